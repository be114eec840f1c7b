// Sprites: the quad and texture coordinates of a pixel rectangle (the
// "Plate" example), the rectangle's texels and the tint drawn into the
// frame buffer, a texture with alpha drawn in the blended pass, rectangles
// outside the image, missing textures and materials, keys read again and
// written back.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "gl/Primitive.h"
#include "scene/SceneSprite.h"
#include "scene/SceneTexture.h"
#include "tests/scene/MeshTestSupport.h"

namespace scenetest {
namespace {

using Floats = std::vector<float>;
using Pixel3 = std::vector<int>;

// Quadrants of a 64 x 64 image (y from the top): red, white / blue, green.
RGB Quadrants(int x, int y) {
  if (y < 32) return x < 32 ? RGB{255, 0, 0} : RGB{255, 255, 255};
  return x < 32 ? RGB{0, 0, 255} : RGB{0, 255, 0};
}

std::string SpriteScene(const std::string& sprites, int count, const std::string& textureKeys = "") {
  return "[MainScene]\nCount=3\n"
         "[MainScene1]\nType=TSceneTextureList\nName=Textures\nPath=%PATH%\nColorBit=32bit\nCount=2\n"
         "[Textures1]\nType=TSceneTexture\nName=Skin\nTextureName=skin.bmp\n" +
         textureKeys +
         "\n[Textures2]\nType=TSceneTexture\nName=Big\nTextureName=big.bmp\n"
         "[MainScene2]\nType=TSceneMaterialList\nName=Materials\nCount=1\n"
         "[Materials1]\nType=TSceneMaterial\nName=ClockSprite\nCount=1\nAmbient1=1,1,1,1\nDiffuse1=1,1,1,1\n"
         "[MainScene3]\nType=TSceneMeshList\nName=Sprites\nCount=" +
         std::to_string(count) + "\n" + sprites;
}

class Sprites : public DrawingTest {
 protected:
  void SetUp() override {
    DrawingTest::SetUp();
    files.Write("skin.bmp", Bmp24(64, 64, Quadrants));
    files.Write("big.bmp", Bmp24(256, 256, [](int, int) { return RGB{9, 9, 9}; }));
  }
  Floats Coords(TSceneSprite& sprite) {
    const TMeshGroupList& groups = sprite.OpaqueGroups.Count() ? sprite.OpaqueGroups : sprite.TransparentGroups;
    const TGLTextureCoordDArray& t = groups.Items(0)->Primitive->TexCoords[0];
    Floats out;
    for (int i = 0; i < t.Count(); ++i) out.insert(out.end(), {t.Items()[i].s, t.Items()[i].t});
    return out;
  }
  Floats Corners(TSceneSprite& sprite) {
    const TMeshGroupList& groups = sprite.OpaqueGroups.Count() ? sprite.OpaqueGroups : sprite.TransparentGroups;
    const TGLVectorDArray& v = groups.Items(0)->Primitive->Vertices;
    Floats out;
    for (int i = 0; i < v.Count(); ++i) out.insert(out.end(), {v.Items()[i].x, v.Items()[i].y, v.Items()[i].z});
    return out;
  }
};

void ExpectNear(const Floats& got, const Floats& expected) {
  ASSERT_EQ(got.size(), expected.size());
  for (size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], expected[i], 1e-6f) << i;
}

TEST_F(Sprites, PlateCoordinatesCountTheRectangleFromTheImageTop) {
  Load(SpriteScene("[Sprites1]\nType=TSceneSprite\nName=Plate\nTexture=Textures/Big\nMaterial=Materials/ClockSprite\n"
                   "StartU=0\nStartV=0\nWidth=180\nHeight=131\nOriginX=0\nOriginY=0\n",
                   1));
  auto* plate = Find<TSceneSprite>("Sprites/Plate");
  EXPECT_FALSE(plate->MeshBuilt);
  EXPECT_EQ(plate->GroupCount(), 0);
  StartFrame();
  Draw(*plate);
  EXPECT_TRUE(plate->MeshBuilt);
  ASSERT_EQ(plate->OpaqueGroups.Count(), 1);
  EXPECT_FALSE(plate->Alpha);
  ExpectNear(Coords(*plate), {0, 1, 0, 125 / 255.0f, 179 / 255.0f, 125 / 255.0f, 179 / 255.0f, 1});
  ExpectNear(Corners(*plate), {0, 130, 0, 0, 0, 0, 179, 0, 0, 179, 130, 0});
  const TGLIndexDArray& indices = plate->OpaqueGroups.Items(0)->Primitive->Indices;
  EXPECT_EQ(std::vector<uint16_t>(indices.Items(), indices.Items() + indices.Count()),
            (std::vector<uint16_t>{0, 1, 2, 0, 2, 3}));
  const TGLColorDArray& colours = plate->OpaqueGroups.Items(0)->Primitive->Colors;
  ASSERT_EQ(colours.Count(), 1);
  EXPECT_EQ(colours.GetColor(0), 0xFFFFFFFFu);
}

TEST_F(Sprites, TheRectanglesTexelsInTheTintColour) {
  Load(SpriteScene(
      "[Sprites1]\nType=TSceneSprite\nName=Red\nTexture=Textures/Skin\nMaterial=Materials/ClockSprite\n"
      "Width=32\nHeight=32\n"
      "[Sprites2]\nType=TSceneSprite\nName=White\nTexture=Textures/Skin\nMaterial=Materials/ClockSprite\n"
      "StartU=32\nWidth=32\nHeight=32\nOriginX=32\n"
      "[Sprites3]\nType=TSceneSprite\nName=Blue\nTexture=Textures/Skin\nMaterial=Materials/ClockSprite\n"
      "StartV=32\nWidth=32\nHeight=32\nOriginY=32\n",
      3));
  auto* white = Find<TSceneSprite>("Sprites/White");
  white->Color = {255, 128, 0, 255};
  StartFrame();
  for (const char* name : {"Red", "White", "Blue"}) Draw(*Find<TSceneSprite>(std::string("Sprites/") + name));
  EXPECT_EQ(PixelAt(16, 16), (Pixel3{255, 0, 0}));
  EXPECT_EQ(PixelAt(48, 16), (Pixel3{255, 128, 0}));  // white texels, tinted
  EXPECT_EQ(PixelAt(16, 48), (Pixel3{0, 0, 255}));
  EXPECT_EQ(PixelAt(48, 48), (Pixel3{0, 0, 0}));  // nothing drawn there
  EXPECT_EQ(SceneTexture(), Find<TSceneTexture>("Textures/Skin"));
  // The tint is sent on every pass.
  white->Color = {0, 255, 255, 255};
  StartFrame();
  Draw(*white);
  EXPECT_EQ(PixelAt(48, 16), (Pixel3{0, 255, 255}));
  EXPECT_EQ(GL.glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Sprites, AnAlphaTextureDrawsInTheBlendedPass) {
  files.Write("mask.bmp", Bmp24(64, 64, [](int x, int) { return x < 32 ? RGB{255, 255, 255} : RGB{0, 0, 0}; }));
  Load(SpriteScene("[Sprites1]\nType=TSceneSprite\nName=Half\nTexture=Textures/Skin\nMaterial=Materials/ClockSprite\n"
                   "StartU=16\nStartV=32\nWidth=32\nHeight=32\n",
                   1, "Format=Alpha\nAlphaName=mask.bmp\n"));
  auto* half = Find<TSceneSprite>("Sprites/Half");
  StartFrame();
  Draw(*half);  // a visual object asks for the blended pass once Alpha is set
  EXPECT_TRUE(half->Alpha);
  EXPECT_EQ(half->OpaqueGroups.Count(), 0);
  ASSERT_EQ(half->TransparentGroups.Count(), 1);
  StartFrame();
  Draw(*half);
  EXPECT_TRUE(SceneBlending());
  // Texels 16..31 of the bottom-left quadrant are blue and opaque; 32..47
  // are green with alpha 0, cut away by the alpha test.
  EXPECT_EQ(PixelAt(8, 16), (Pixel3{0, 0, 255}));
  EXPECT_EQ(PixelAt(24, 16), (Pixel3{0, 0, 0}));
  EXPECT_EQ(half->TransparentGroups.Items(0)->Primitive->Colors.Count(), 1);
}

TEST_F(Sprites, RectanglesOutsideTheImageMissingTexturesAndMaterials) {
  Load(SpriteScene(
      "[Sprites1]\nType=TSceneSprite\nName=Out\nTexture=Textures/Big\nMaterial=Materials/ClockSprite\n"
      "StartU=200\nStartV=-40\nWidth=180\nHeight=2147483647\nOriginX=2147483647\nOriginY=-2147483648\n"
      "[Sprites2]\nType=TSceneSprite\nName=Bare\nMaterial=Materials/ClockSprite\n"
      "[Sprites3]\nType=TSceneSprite\nName=Plain\nTexture=Textures/Big\n",
      3));
  auto* out = Find<TSceneSprite>("Sprites/Out");
  StartFrame();
  Draw(*out);
  for (float value : Coords(*out)) EXPECT_TRUE(std::isfinite(value));
  for (float value : Corners(*out)) EXPECT_TRUE(std::isfinite(value));
  EXPECT_NEAR(Coords(*out)[0], 200 / 255.0f, 1e-6f);
  EXPECT_NEAR(Coords(*out)[4], 379 / 255.0f, 1e-6f);  // beyond 1: the texture repeats
  EXPECT_EQ(GL.glGetError(), static_cast<GLenum>(GL_NO_ERROR));

  // Without texture or material a sprite draws nothing; asked to build its
  // quad it says why it cannot.
  EXPECT_EQ(Message([&] { Find<TSceneSprite>("Sprites/Bare")->RenderOpaque(); }), "(nothing raised)");
  EXPECT_EQ(Message([&] { Find<TSceneSprite>("Sprites/Plain")->RenderTransparent(); }), "(nothing raised)");
  EXPECT_EQ(Find<TSceneSprite>("Sprites/Plain")->GroupCount(), 0);
  EXPECT_EQ(Message([&] { Find<TSceneSprite>("Sprites/Bare")->UpdateSpriteMesh(); }),
            "TSceneSprite.UpdateSpriteMesh error: Texture=nil! (sprite Bare)");
  EXPECT_EQ(Message([&] { Find<TSceneSprite>("Sprites/Plain")->UpdateSpriteMesh(); }),
            "TSceneMesh.AddGroup error: Material is not assigned! (mesh Plain)");

  // A texture whose image is missing has size 0: coordinates stay finite.
  auto* bare = Find<TSceneSprite>("Sprites/Bare");
  auto* missing = new TSceneTexture;
  missing->SetName("Missing");
  Find<TSceneTextureList>("Textures")->AddItem(missing);
  missing->TextureName = "nothing.png";  // a kind no decoder reads: an empty image
  missing->Path = files.Folder();
  bare->Texture = missing;
  EXPECT_EQ(Message([&] { StartFrame(); Draw(*bare); }), "(nothing raised)");
  EXPECT_EQ(missing->ImageWidth, 0);
  for (float value : Coords(*bare)) EXPECT_TRUE(std::isfinite(value));

  // Paths that find nothing (or no material) read as none; the sprite
  // loads and draws nothing.
  Load(SpriteScene("[Sprites1]\nType=TSceneSprite\nName=Lost\nTexture=Textures/Nope\nMaterial=Textures/Big\n", 1));
  auto* lost = Find<TSceneSprite>("Sprites/Lost");
  EXPECT_EQ(lost->Texture, nullptr);
  EXPECT_EQ(lost->Material, nullptr);
  StartFrame();
  EXPECT_EQ(Message([&] { Draw(*lost); }), "(nothing raised)");
  EXPECT_EQ(GL.glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Sprites, KeysReadAgainRebuildTheQuadAndWriteBack) {
  const std::string plate =
      "[Sprites1]\nType=TSceneSprite\nName=Plate\nTexture=Textures/Big\nMaterial=Materials/ClockSprite\n"
      "StartU=0\nStartV=0\nWidth=180\nHeight=131\nOriginX=5\nOriginY=-6\n";
  Load(SpriteScene(plate, 1));
  auto* sprite = Find<TSceneSprite>("Sprites/Plate");
  StartFrame();
  Draw(*sprite);
  ASSERT_TRUE(sprite->MeshBuilt);

  scene_->SourceName = "saved.gsc";
  scene_->Save();
  const std::string saved = files.Read("saved.gsc");
  EXPECT_NE(saved.find("Name=Plate\r\nFPS=6\r\nMaterial=Materials/ClockSprite\r\nTexture=Textures/Big\r\nOriginX=5\r\n"
                       "OriginY=-6\r\nWidth=180\r\nHeight=131\r\nStartU=0\r\nStartV=0\r\n"),
            std::string::npos)
      << saved;
  auto again = files.Load("saved.gsc");
  auto* copy = dynamic_cast<TSceneSprite*>(again->FindObject("Sprites/Plate"));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->Texture, again->FindObject("Textures/Big"));
  EXPECT_EQ(copy->OriginY, -6);
  EXPECT_EQ(copy->Height, 131);
  again.reset();

  // Reading keys again frees the quad; the next pass builds the new one.
  TResourceLoader loader;
  loader.MainScene = scene_.get();
  loader.OpenLines({"[S]", "Width=10", "Height=20", "OriginX=0", "OriginY=0"});
  loader.Section = "S";
  sprite->ReadProperties(loader);
  EXPECT_FALSE(sprite->MeshBuilt);
  EXPECT_EQ(sprite->GroupCount(), 0);
  EXPECT_EQ(sprite->Texture, Find<TSceneTexture>("Textures/Big"));  // kept: no key
  StartFrame();
  Draw(*sprite);
  ExpectNear(Corners(*sprite), {0, 19, 0, 0, 0, 0, 9, 0, 0, 9, 19, 0});
}

}  // namespace
}  // namespace scenetest
