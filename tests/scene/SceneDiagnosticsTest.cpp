// The scene graph's reports into a diagnostics sink: references that find
// nothing or the wrong class, places of the objects read, the key of an
// error raised inside an object, pictures that are fitted or of no known
// kind; and a saved named list that keeps the order its children were read
// in, so a child that refers to a sibling finds it again.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "assets/Bitmap.h"
#include "core/Diagnostics.h"
#include "scene/MainScene.h"
#include "scene/ResourceLoader.h"
#include "scene/SceneTexture.h"
#include "scene/VisualObject.h"
#include "tests/assets/ImageTestSupport.h"
#include "tests/scene/SceneTestSupport.h"

namespace scenetest {
namespace {

const char* const kReferences = R"([MainScene]
Count=3
[MainScene1]
Type=TSceneTextureList
Name=Textures
Count=1
[Textures1]
Type=TSceneTexture
Name=water
[MainScene2]
Type=TMainVisualObject
Name=Typo
Visual=Meshes/nothing
[MainScene3]
Type=TSceneMeshList
Name=Meshes
Materials=Textures/water
)";

TEST(SceneDiagnostics, ReferencesThatFindNothingOrTheWrongClassAreWarningsAtTheirKey) {
  SceneFiles files;
  TDiagnostics sink;
  TDiagnosticsScope scope(sink);
  auto scene = files.LoadText(kReferences);
  ASSERT_EQ(sink.Problems().size(), 2u);
  const TDiagnostic& typo = sink.Problems()[0];
  EXPECT_EQ(typo.Level, TDiagnosticLevel::dlWarning);
  EXPECT_EQ(typo.Where.File, "scene.gsc");
  EXPECT_EQ(typo.Where.Section, "MainScene2");
  EXPECT_EQ(typo.Where.Key, "Visual");
  EXPECT_EQ(typo.Reason.rfind("the path Meshes/nothing finds nothing", 0), 0u) << typo.Reason;
  const TDiagnostic& wrong = sink.Problems()[1];
  EXPECT_EQ(wrong.Where.Section, "MainScene3");
  EXPECT_EQ(wrong.Where.Key, "Materials");
  EXPECT_EQ(wrong.Reason, "the path Textures/water finds a TSceneTexture, which this key cannot use: it reads as none");
  // Every object read knows where it is described.
  TMainObject* water = scene->FindObject("Textures/water");
  ASSERT_NE(water, nullptr);
  EXPECT_EQ(sink.PlaceOf(water, "TextureName").Section, "Textures1");
  EXPECT_EQ(sink.PlaceOf(scene.get(), "").Section, "MainScene");
}

TEST(SceneDiagnostics, LoadErrorsCarryTheirPlaceAndAnErrorInsideAnObjectItsKey) {
  SceneFiles files;
  const std::string text = "[MainScene]\nCount=1\n[MainScene1]\nType=TSceneTextureList\nName=Textures\nCount=1\n"
                           "[Textures1]\nType=TSceneTexture\nName=skin\nFileListName=nolist.txt\n";
  // Without a sink the message names the section only.
  try {
    files.LoadText(text);
    FAIL() << "no error";
  } catch (const TLoadError& error) {
    EXPECT_EQ(error.Where.Section, "Textures1");
    EXPECT_EQ(error.Where.Key, "");
  }
  TDiagnostics sink;
  TDiagnosticsScope scope(sink);
  try {
    files.LoadText(text);
    FAIL() << "no error";
  } catch (const TLoadError& error) {
    EXPECT_EQ(error.Where.File, files.File("scene.gsc"));
    EXPECT_EQ(error.Where.Section, "Textures1");
    EXPECT_EQ(error.Where.Key, "FileListName");
    EXPECT_EQ(error.Reason.rfind("TFileStream.Create error: Cannot open file", 0), 0u) << error.Reason;
    EXPECT_NE(std::string(error.what()).find(", key FileListName)"), std::string::npos) << error.what();
  }
  // A key the loader checks itself.
  try {
    files.LoadText("[MainScene]\nCount=1\n[MainScene1]\nType=TSceneTexture\nName=t\nSpriteColor=1,2,256\n");
    FAIL() << "no error";
  } catch (const TLoadError& error) {
    EXPECT_EQ(error.Where.Key, "SpriteColor");
    EXPECT_EQ(error.Reason, "TResourceLoader.ReadColorBytes error: 256 is out of range 0..255");
  }
}

TEST(SceneDiagnostics, PicturesFittedOrOfNoKnownKindAreReportedAtTheTexturesKey) {
  SceneFiles files;
  image_test::BmpSpec odd;
  odd.width = 48;
  odd.height = 20;
  odd.rows.assign(20, image_test::Bytes(48 * 3, 90));
  files.Write("odd.bmp", image_test::MakeBmp(odd));
  image_test::BmpSpec square = odd;
  square.width = square.height = 16;
  square.rows.assign(16, image_test::Bytes(16 * 3, 90));
  files.Write("square.bmp", image_test::MakeBmp(square));
  TDiagnostics sink;
  TDiagnosticsScope scope(sink);
  auto scene = files.LoadText("[MainScene]\nCount=1\n[MainScene1]\nType=TSceneTextureList\nName=Textures\nPath=" +
                              files.Folder() + "\nCount=1\n[Textures1]\nType=TSceneTexture\nName=t\n");
  auto* texture = dynamic_cast<TSceneTexture*>(scene->FindObject("Textures/t"));
  ASSERT_NE(texture, nullptr);
  {
    TDiagnosticPlace place(texture, "TextureName");
    EXPECT_EQ(texture->LoadBitmap(files.File("odd.bmp")).Width(), 32);
    EXPECT_EQ(texture->LoadBitmap(files.File("square.bmp")).Width(), 16);
    EXPECT_TRUE(texture->LoadBitmap(files.File("picture.png")).Empty());
  }
  ASSERT_EQ(sink.Problems().size(), 2u);
  EXPECT_EQ(sink.Problems()[0].Level, TDiagnosticLevel::dlWarning);
  EXPECT_EQ(sink.Problems()[0].Where.Section, "Textures1");
  EXPECT_EQ(sink.Problems()[0].Where.Key, "TextureName");
  EXPECT_EQ(sink.Problems()[0].Reason, "odd.bmp is 48x20, not powers of two up to 1024: fitted to 32x16");
  EXPECT_EQ(sink.Problems()[1].Level, TDiagnosticLevel::dlError);
  EXPECT_EQ(sink.Problems()[1].Reason, "picture.png is not a .bmp or .jpg picture: the texture stays empty");
  EXPECT_TRUE(sink.FileUsed("odd.bmp"));
  EXPECT_TRUE(sink.FileUsed("picture.png"));
}

TEST(SceneDiagnostics, ASavedNamedListKeepsTheOrderItsChildrenWereReadIn) {
  SceneFiles files;
  // "Zeta" sorts after "Alpha" by name, but Alpha refers to it.
  auto scene = files.LoadText(R"([MainScene]
Count=1
[MainScene1]
Type=TResource
Name=Clock
Count=3
[Clock1]
Type=TMainObjectList
Name=Zeta
[Clock2]
Type=TMainVisualObject
Name=Alpha
Visual=Clock/Zeta
[Clock3]
Type=TMainVisualObject
Name=Middle
Visual=Clock/Alpha
)");
  auto* clock = dynamic_cast<TResource*>(scene->FindObject("Clock"));
  ASSERT_NE(clock, nullptr);
  EXPECT_EQ(clock->Objects(0)->Name(), "Alpha");  // the name index
  // A renamed child keeps its place in the reading order.
  clock->FindItem("Middle")->SetName("Beta");
  std::vector<std::string> order;
  for (TMainObject* object : clock->ObjectsInAddOrder()) order.push_back(object->Name());
  EXPECT_EQ(order, (std::vector<std::string>{"Zeta", "Alpha", "Beta"}));

  scene->SourceName = "saved.gsc";
  scene->Save();
  auto again = files.Load("saved.gsc");
  auto* alpha = dynamic_cast<TMainVisualObject*>(again->FindObject("Clock/Alpha"));
  auto* beta = dynamic_cast<TMainVisualObject*>(again->FindObject("Clock/Beta"));
  ASSERT_TRUE(alpha && beta);
  EXPECT_EQ(alpha->Visual, again->FindObject("Clock/Zeta"));
  EXPECT_EQ(beta->Visual, alpha);
}

}  // namespace
}  // namespace scenetest
