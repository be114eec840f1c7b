// Descriptions a scene pack may hold that the program cannot use as they
// stand: references whose path finds nothing read as none (a warning in
// the check, the scene loads and draws what it can), and values OpenGL
// would refuse become the nearest value that works (a warning in the check,
// one line on standard error otherwise). Counts that keep memory in bounds
// stay errors.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/Diagnostics.h"
#include "core/Error.h"
#include "gl/Light.h"
#include "gl/Material.h"
#include "scene/GroupMaterial.h"
#include "scene/MainLight.h"
#include "scene/MainScene.h"
#include "scene/ResourceLoader.h"
#include "scene/SceneFont.h"
#include "scene/SceneMaterial.h"
#include "scene/SceneMesh.h"
#include "scene/SceneMeshList.h"
#include "scene/SceneSprite.h"
#include "scene/SpriteList.h"
#include "tests/scene/SceneTestSupport.h"

namespace scenetest {
namespace {

// Keys with values OpenGL refuses, each in its own object.
const char* const kOutOfRange = R"([MainScene]
Count=7
[MainScene1]
Type=TSceneMaterialList
Name=Materials
Count=1
[Materials1]
Type=TSceneMaterial
Name=Shiny
Count=2
Shininess1=129
Shininess2=-3
[MainScene2]
Type=TMainLight
Name=Spot
LightStyle=Point
SpotCutoff=120
SpotExponent=200
ConstantAttenuation=-1
LinearAttenuation=-0.5
QuadraticAttenuation=-2
[MainScene3]
Type=TMainLight
Name=Wide
LightStyle=Point
SpotCutoff=150
SpotExponent=-1
[MainScene4]
Type=TMainSpriteList
Name=Flat
ViewWidth=0
ViewHeight=-5
[MainScene5]
Type=TSceneFont
Name=Odd
FontOptions=[BuildFromFont]
TextureSize=320
FontCellSize=512
[MainScene6]
Type=TSceneFont
Name=Huge
FontOptions=[BuildFromFont]
TextureSize=9000
FontCellSize=0
[MainScene7]
Type=TSceneFont
Name=Metrics
FontOptions=[]
TextureSize=300
FontCellSize=16
)";

// "Section Key" of each warning, in order.
std::vector<std::string> WarningKeys(const TDiagnostics& sink) {
  std::vector<std::string> keys;
  for (const TDiagnostic& problem : sink.Problems()) {
    EXPECT_EQ(problem.Level, TDiagnosticLevel::dlWarning) << problem.Reason;
    keys.push_back(problem.Where.Section + " " + problem.Where.Key);
  }
  return keys;
}

TEST(SceneValueFit, ValuesOpenGLRefusesBecomeTheNearestThatWorksWithAWarningAtTheirKey) {
  SceneFiles files;
  TDiagnostics sink;
  TDiagnosticsScope scope(sink);
  auto scene = files.LoadText(kOutOfRange);

  auto* material = dynamic_cast<TSceneMaterial*>(scene->FindObject("Materials/Shiny"));
  ASSERT_NE(material, nullptr);
  EXPECT_EQ(material->GetGroup(0)->GLMaterial->Shininess(), 128.0f);
  EXPECT_EQ(material->GetGroup(1)->GLMaterial->Shininess(), 0.0f);

  auto* spot = dynamic_cast<TMainLight*>(scene->FindObject("Spot"));
  ASSERT_NE(spot, nullptr);
  EXPECT_EQ(spot->GLLight()->SpotCutoff(), 90.0f);
  EXPECT_EQ(spot->GLLight()->SpotExponent(), 128.0f);
  EXPECT_EQ(spot->GLLight()->ConstantAttenuation(), 0.0f);
  EXPECT_EQ(spot->GLLight()->LinearAttenuation(), 0.0f);
  EXPECT_EQ(spot->GLLight()->QuadraticAttenuation(), 0.0f);
  auto* wide = dynamic_cast<TMainLight*>(scene->FindObject("Wide"));
  ASSERT_NE(wide, nullptr);
  EXPECT_EQ(wide->GLLight()->SpotCutoff(), 180.0f);
  EXPECT_EQ(wide->GLLight()->SpotExponent(), 0.0f);

  auto* flat = dynamic_cast<TMainSpriteList*>(scene->FindObject("Flat"));
  ASSERT_NE(flat, nullptr);
  EXPECT_EQ(flat->ViewWidth, 1.0f);
  EXPECT_EQ(flat->ViewHeight, 1.0f);

  auto* odd = dynamic_cast<TSceneFont*>(scene->FindObject("Odd"));
  ASSERT_NE(odd, nullptr);
  EXPECT_EQ(odd->TextureSize, 256);  // 320 is nearer 256 than 512
  EXPECT_EQ(odd->FontCellSize, 256);
  auto* huge = dynamic_cast<TSceneFont*>(scene->FindObject("Huge"));
  ASSERT_NE(huge, nullptr);
  EXPECT_EQ(huge->TextureSize, 4096);
  EXPECT_EQ(huge->FontCellSize, 1);
  // An atlas from a metrics file may have any side.
  auto* metrics = dynamic_cast<TSceneFont*>(scene->FindObject("Metrics"));
  ASSERT_NE(metrics, nullptr);
  EXPECT_EQ(metrics->TextureSize, 300);

  EXPECT_EQ(WarningKeys(sink),
            (std::vector<std::string>{"Materials1 Shininess1", "Materials1 Shininess2", "MainScene2 SpotExponent",
                                      "MainScene2 SpotCutoff", "MainScene2 ConstantAttenuation",
                                      "MainScene2 LinearAttenuation", "MainScene2 QuadraticAttenuation",
                                      "MainScene3 SpotExponent", "MainScene3 SpotCutoff", "MainScene4 ViewWidth",
                                      "MainScene4 ViewHeight", "MainScene5 TextureSize", "MainScene5 FontCellSize",
                                      "MainScene6 TextureSize", "MainScene6 FontCellSize"}));
  ASSERT_FALSE(sink.Problems().empty());
  EXPECT_EQ(sink.Problems()[0].Reason, "Shininess 129 is out of range 0..128; 128 is used");
  EXPECT_EQ(sink.Problems()[3].Reason, "SpotCutoff 120 is out of range 0..90 or 180; 90 is used");
  EXPECT_EQ(sink.Problems()[11].Reason, "TextureSize 320 is not a power of 2 in 1..4096; 256 is used");
}

TEST(SceneValueFit, WithoutTheCheckEachFittedValueIsWrittenOnceOnStandardError) {
  SceneFiles files;
  const std::string text = "[MainScene]\nCount=1\n[MainScene1]\nType=TMainLight\nName=L\nLightStyle=Point\n"
                           "SpotCutoff=100\n";
  testing::internal::CaptureStderr();
  auto first = files.LoadText(text);
  auto second = files.LoadText(text);
  const std::string err = testing::internal::GetCapturedStderr();
  const std::string line = "velmora: warning: SpotCutoff 100 is out of range 0..90 or 180; 90 is used (file " +
                           files.File("scene.gsc") + ", section [MainScene1], key SpotCutoff)\n";
  EXPECT_EQ(err, line);
  EXPECT_EQ(dynamic_cast<TMainLight*>(second->FindObject("L"))->GLLight()->SpotCutoff(), 90.0f);
  // Values in range say nothing.
  testing::internal::CaptureStderr();
  files.LoadText("[MainScene]\nCount=1\n[MainScene1]\nType=TMainLight\nName=L\nSpotCutoff=90\n");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(SceneValueFit, CountsThatKeepMemoryInBoundsStayErrors) {
  SceneFiles files;
  for (const char* body : {"Type=TSceneMaterial\nName=M\nCount=1001\n", "Type=TSceneMaterial\nName=M\nCount=-1\n"}) {
    try {
      files.LoadText(std::string("[MainScene]\nCount=1\n[MainScene1]\n") + body);
      ADD_FAILURE() << "no error for " << body;
    } catch (const TLoadError& error) {
      EXPECT_EQ(error.Where.Key, "Count");
    }
  }
}

// Every reference key that names an object path, left to find nothing.
const char* const kLostReferences = R"([MainScene]
Count=4
[MainScene1]
Type=TSceneTextureList
Name=Textures
Count=0
[MainScene2]
Type=TSceneMaterialList
Name=Materials
Count=1
[Materials1]
Type=TSceneMaterial
Name=M
Count=1
[MainScene3]
Type=TSceneMeshList
Name=Meshes
Materials=Nowhere/Materials
Textures=Nowhere/Textures
Count=3
[Meshes1]
Type=TSceneMesh
Name=Lost
Material=Materials/NoSuch
[Meshes2]
Type=TSceneSprite
Name=NoTexture
Material=Materials/M
Texture=Textures/NoSuch
[Meshes3]
Type=TSceneSprite
Name=NoMaterial
Material=Materials/NoSuch
Texture=Textures/NoSuch
[MainScene4]
Type=TSceneFont
Name=F
Texture=Textures/NoSuch
)";

TEST(SceneValueFit, ReferencesThatFindNothingReadAsNoneWithAWarningAndDrawNothing) {
  SceneFiles files;
  TDiagnostics sink;
  std::unique_ptr<TMainScene> scene;
  {
    TDiagnosticsScope scope(sink);
    scene = files.LoadText(kLostReferences);
  }
  EXPECT_EQ(WarningKeys(sink), (std::vector<std::string>{"MainScene3 Materials", "MainScene3 Textures",
                                                         "Meshes1 Material", "Meshes2 Texture", "Meshes3 Material",
                                                         "Meshes3 Texture", "MainScene4 Texture"}));
  for (const TDiagnostic& problem : sink.Problems())
    EXPECT_EQ(problem.Reason.rfind("the path ", 0), 0u) << problem.Reason;
  auto* lost = dynamic_cast<TSceneMesh*>(scene->FindObject("Meshes/Lost"));
  ASSERT_NE(lost, nullptr);
  EXPECT_EQ(lost->Material, nullptr);
  auto* noTexture = dynamic_cast<TSceneSprite*>(scene->FindObject("Meshes/NoTexture"));
  ASSERT_NE(noTexture, nullptr);
  EXPECT_EQ(noTexture->Texture, nullptr);
  EXPECT_NE(noTexture->Material, nullptr);
  auto* noMaterial = dynamic_cast<TSceneSprite*>(scene->FindObject("Meshes/NoMaterial"));
  ASSERT_NE(noMaterial, nullptr);
  // Drawn, they draw nothing and raise nothing (no rendering context here:
  // a quad that were built would raise for the missing texture).
  for (TSceneMesh* mesh : {static_cast<TSceneMesh*>(lost), static_cast<TSceneMesh*>(noTexture),
                           static_cast<TSceneMesh*>(noMaterial)}) {
    EXPECT_NO_THROW(mesh->RenderOpaque()) << mesh->Name();
    EXPECT_NO_THROW(mesh->RenderTransparent()) << mesh->Name();
    EXPECT_EQ(mesh->OpaqueGroups.Count() + mesh->TransparentGroups.Count(), 0) << mesh->Name();
  }
  EXPECT_FALSE(noTexture->MeshBuilt);
  // Asked to build its quad, a sprite without texture still says why not.
  EXPECT_THROW(noTexture->UpdateSpriteMesh(), Error);
}

}  // namespace
}  // namespace scenetest
