// The shared render state on the real driver: which OpenGL calls each
// switch sends (counted on their way to the driver) and what the context
// holds afterwards; then a scene built from a description and drawn into
// the offscreen frame buffer.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "gl/GLEntryPoints.h"
#include "gl/Material.h"
#include "scene/GroupMaterial.h"
#include "scene/RenderState.h"
#include "scene/SceneClasses.h"
#include "scene/SceneTexture.h"
#include "scene/SceneTextureList.h"
#include "tests/assets/ImageTestSupport.h"
#include "tests/scene/SceneTestSupport.h"

namespace scenetest {
namespace {

using Names = std::vector<std::string>;

// Records the state calls on their way to the driver while it lives.
class GLCalls {
 public:
  GLCalls() : saved_(GL) {
    Calls().clear();
    Saved() = GL;
    GL.glEnable = [](GLenum c) {
      Calls().push_back("enable " + Name(c));
      Saved().glEnable(c);
    };
    GL.glDisable = [](GLenum c) {
      Calls().push_back("disable " + Name(c));
      Saved().glDisable(c);
    };
    GL.glBlendFunc = [](GLenum s, GLenum d) {
      Calls().push_back(s == GL_SRC_ALPHA && d == GL_ONE_MINUS_SRC_ALPHA ? "blend alpha" : "blend other");
      Saved().glBlendFunc(s, d);
    };
    GL.glAlphaFunc = [](GLenum f, GLclampf r) {
      Calls().push_back(f == GL_GREATER ? "alpha greater " + std::to_string(r).substr(0, 4) : "alpha other");
      Saved().glAlphaFunc(f, r);
    };
    GL.glColor4fv = [](const GLfloat* v) {
      Calls().push_back("color");
      Saved().glColor4fv(v);
    };
    GL.glMaterialfv = [](GLenum face, GLenum name, const GLfloat* v) {
      Calls().push_back("material");
      Saved().glMaterialfv(face, name, v);
    };
    GL.glMaterialf = [](GLenum face, GLenum name, GLfloat v) {
      Calls().push_back("material");
      Saved().glMaterialf(face, name, v);
    };
  }
  ~GLCalls() { GL = saved_; }

  // The calls since the last Take.
  Names Take() {
    Names taken;
    taken.swap(Calls());
    return taken;
  }

 private:
  static Names& Calls() {
    static Names calls;
    return calls;
  }
  static TGLEntryPoints& Saved() {
    static TGLEntryPoints saved;
    return saved;
  }
  static std::string Name(GLenum c) {
    switch (c) {
      case GL_BLEND: return "BLEND";
      case GL_ALPHA_TEST: return "ALPHA_TEST";
      case GL_LIGHTING: return "LIGHTING";
      case GL_CULL_FACE: return "CULL_FACE";
      case GL_TEXTURE_2D: return "TEXTURE_2D";
      default: return std::to_string(c);
    }
  }
  TGLEntryPoints saved_;
};

bool Enabled(GLenum capability) { return GL.glIsEnabled(capability) == GL_TRUE; }

std::vector<float> GetFloats(GLenum name, int count) {
  std::vector<float> v(16);
  GL.glGetFloatv(name, v.data());
  v.resize(static_cast<size_t>(count));
  return v;
}

using RenderState = SceneGLTest;

TEST_F(RenderState, BlendingIsSentOnlyWhenItChangesLightingAlways) {
  ResetSceneRenderState();
  GLCalls calls;
  SetBlending(false);
  EXPECT_TRUE(calls.Take().empty());
  SetBlending(true);
  EXPECT_EQ(calls.Take(), (Names{"blend alpha", "alpha greater 0.05", "enable ALPHA_TEST", "enable BLEND"}));
  EXPECT_TRUE(Enabled(GL_BLEND));
  EXPECT_TRUE(Enabled(GL_ALPHA_TEST));
  GLint func = 0;
  GL.glGetIntegerv(GL_ALPHA_TEST_FUNC, &func);
  EXPECT_EQ(func, GL_GREATER);
  EXPECT_NEAR(GetFloats(GL_ALPHA_TEST_REF, 1)[0], 0.05f, 1e-6f);
  GLint source = 0, destination = 0;
  GL.glGetIntegerv(GL_BLEND_SRC, &source);
  GL.glGetIntegerv(GL_BLEND_DST, &destination);
  EXPECT_EQ(source, GL_SRC_ALPHA);
  EXPECT_EQ(destination, GL_ONE_MINUS_SRC_ALPHA);
  SetBlending(true);
  EXPECT_TRUE(calls.Take().empty());
  EXPECT_TRUE(SceneBlending());
  SetBlending(false);
  EXPECT_EQ(calls.Take(), (Names{"disable ALPHA_TEST", "disable BLEND"}));
  EXPECT_FALSE(Enabled(GL_BLEND));
  EXPECT_FALSE(Enabled(GL_ALPHA_TEST));

  SetLighting(true);
  SetLighting(true);
  EXPECT_EQ(calls.Take(), (Names{"enable LIGHTING", "enable LIGHTING"}));
  EXPECT_TRUE(SceneLighting());
  EXPECT_TRUE(Enabled(GL_LIGHTING));
  SetLighting(false);
  EXPECT_FALSE(SceneLighting());
  EXPECT_FALSE(Enabled(GL_LIGHTING));
}

TEST_F(RenderState, MaterialGroupsAreSentOnceUntilAnotherOneWasCurrent) {
  ResetSceneRenderState();
  TGroupMaterial glass(OpenGL().Materials()->Add());
  TGroupMaterial green(OpenGL().Materials()->Add());
  glass.GLMaterial->SetDiffuse({1, 0, 0, 0.5f});
  green.GLMaterial->SetDiffuse({0, 1, 0, 1});
  EXPECT_TRUE(glass.IsTransparent());
  EXPECT_FALSE(green.IsTransparent());
  CurrentColor() = {0.25f, 0.5f, 0.75f, 1};
  GLCalls calls;

  ApplySceneMaterial(&glass);
  EXPECT_EQ(calls.Take(), (Names{"material", "material", "material", "material", "material", "color"}));
  EXPECT_TRUE(glass.Applied);
  EXPECT_EQ(SceneMaterial(), &glass);
  EXPECT_EQ(GetFloats(GL_CURRENT_COLOR, 4), (std::vector<float>{0.25f, 0.5f, 0.75f, 0.5f}));
  std::vector<float> diffuse(4);
  GL.glGetMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse.data());
  EXPECT_EQ(diffuse, (std::vector<float>{1, 0, 0, 0.5f}));

  ApplySceneMaterial(&glass);
  EXPECT_TRUE(calls.Take().empty());
  // A group marked as not applied is sent again even when it is current.
  glass.Applied = false;
  ApplySceneMaterial(&glass);
  EXPECT_EQ(calls.Take().back(), "color");

  ApplySceneMaterial(&green);
  EXPECT_EQ(calls.Take().size(), 6u);
  EXPECT_EQ(GetFloats(GL_CURRENT_COLOR, 4)[3], 1.0f);
  ApplySceneMaterial(&glass);  // another one was current in between
  EXPECT_EQ(calls.Take().size(), 6u);

  // None: only the colour, with alpha 1; none after none sends nothing.
  ApplySceneMaterial(nullptr);
  EXPECT_EQ(calls.Take(), (Names{"color"}));
  EXPECT_EQ(GetFloats(GL_CURRENT_COLOR, 4), (std::vector<float>{0.25f, 0.5f, 0.75f, 1}));
  ApplySceneMaterial(nullptr);
  EXPECT_TRUE(calls.Take().empty());

  // A reset cache sends the next group whatever was sent before.
  ApplySceneMaterial(&green);
  calls.Take();
  ResetSceneRenderCaches();
  EXPECT_EQ(calls.Take(), (Names{"disable TEXTURE_2D"}));  // with the texture forgotten
  ApplySceneMaterial(&green);
  EXPECT_EQ(calls.Take().size(), 6u);
  {
    TGroupMaterial passing(OpenGL().Materials()->Add());
    ApplySceneMaterial(&passing);
    EXPECT_EQ(SceneMaterial(), &passing);
  }
  EXPECT_EQ(SceneMaterial(), nullptr);  // a freed group leaves the cache
}

// Draws a quad over the whole viewport in its Color: in the opaque pass
// when the colour is opaque, else in the blended pass.
class TTestQuad : public TMainSceneObject {
 public:
  const char* ClassName() const override { return "TTestQuad"; }
  void ReadProperties(TResourceLoader& loader) override {
    TMainSceneObject::ReadProperties(loader);
    Color = loader.ReadColor("Color", Color);
  }
  void RenderOpaque() override {
    Seen.push_back({SceneBlending(), SceneMaterial() != nullptr, Enabled(GL_CULL_FACE)});
    if (Color.a < 1) return;
    SetBlending(false);
    Draw();
  }
  void RenderTransparent() override {
    if (Color.a >= 1) return;
    SetBlending(true);
    Draw();
  }
  void Draw() {
    GL.glMatrixMode(GL_PROJECTION);
    GL.glLoadIdentity();
    GL.glMatrixMode(GL_MODELVIEW);
    GL.glLoadIdentity();
    GL.glColor4f(Color.r, Color.g, Color.b, Color.a);
    GL.glBegin(GL_QUADS);  // counter-clockwise: the front face
    GL.glVertex2f(-1, -1);
    GL.glVertex2f(1, -1);
    GL.glVertex2f(1, 1);
    GL.glVertex2f(-1, 1);
    GL.glEnd();
  }

  struct State {
    bool blending, material, culling;
  };
  TGLColor Color{1, 1, 1, 1};
  std::vector<State> Seen;
};

TEST_F(RenderState, ASceneFromADescriptionDrawsInFileOrderBlendedOnTop) {
  ScopedSceneClass<TTestQuad> quads("TTestQuad");
  SceneFiles files;
  files.Write("quads.gsc", R"(
[MainScene]
Count=4
[MainScene1]
Type=TTestQuad
Name=red
Color=1,0,0
ProcessOptions=[Render]
[MainScene2]
Type=TTestQuad
Name=glass
Color=0,0,1,0.5
Alpha=1
ProcessOptions=[Render]
[MainScene3]
Type=TTestQuad
Name=hidden
Color=0,1,0
Visible=0
ProcessOptions=[Render]
[MainScene4]
Type=TTestQuad
Name=not rendered
Color=0,1,0
)");
  auto scene = NewScene();
  scene->Path = files.Folder();
  scene->SourceName = "quads.gsc";
  scene->Load();

  // State left over from other drawing: the frame starts clean anyway.
  TGroupMaterial leftover(OpenGL().Materials()->Add());
  ApplySceneMaterial(&leftover);
  SetBlending(true);
  OpenGL().SetCullFace(false);

  GL.glClearColor(0, 0, 0, 1);
  GL.glClear(GL_COLOR_BUFFER_BIT);
  scene->Process(0.02f);
  GL.glFinish();
  const std::vector<uint8_t> pixel = Pixel(32, 32);
  EXPECT_NEAR(pixel[0], 128, 2);  // red under half-transparent blue
  EXPECT_EQ(pixel[1], 0);
  EXPECT_NEAR(pixel[2], 128, 2);
  auto* red = static_cast<TTestQuad*>(scene->FindObject("red"));
  ASSERT_EQ(red->Seen.size(), 1u);
  EXPECT_FALSE(red->Seen[0].blending);
  EXPECT_FALSE(red->Seen[0].material);
  EXPECT_TRUE(red->Seen[0].culling);
  EXPECT_TRUE(static_cast<TTestQuad*>(scene->FindObject("hidden"))->Seen.empty());
  EXPECT_TRUE(static_cast<TTestQuad*>(scene->FindObject("not rendered"))->Seen.empty());
  // The frame ended blended; the next one starts with blending off again.
  EXPECT_TRUE(SceneBlending());
  scene->Process(0.02f);
  EXPECT_FALSE(red->Seen[1].blending);

  // Hiding the glass shows the red quad alone.
  scene->SetObjectVisible("glass", false);
  GL.glClear(GL_COLOR_BUFFER_BIT);
  scene->Process(0.02f);
  EXPECT_EQ(Pixel(10, 50), (std::vector<uint8_t>{255, 0, 0, 255}));
}

// Draws a quad over the left or the right half of the viewport in white,
// with its texture bound through the cache, or untextured through the
// cache's none.
class TTestHalf : public TMainSceneObject {
 public:
  const char* ClassName() const override { return "TTestHalf"; }
  void RenderOpaque() override {
    SetBlending(false);
    BindSceneTexture(Texture);
    GL.glMatrixMode(GL_PROJECTION);
    GL.glLoadIdentity();
    GL.glMatrixMode(GL_MODELVIEW);
    GL.glLoadIdentity();
    GL.glColor4f(1, 1, 1, 1);
    const float left = Right ? 0.0f : -1.0f, right = left + 1;
    GL.glBegin(GL_QUADS);
    GL.glTexCoord2f(0.5f, 0.5f);
    GL.glVertex2f(left, -1);
    GL.glVertex2f(right, -1);
    GL.glVertex2f(right, 1);
    GL.glVertex2f(left, 1);
    GL.glEnd();
  }
  TSceneTexture* Texture = nullptr;
  bool Right = false;
};

// A frame that ends textured: the next one starts with texturing off, as
// the cache (which knows no texture then) says, so its first untextured
// draw is not tinted by the last frame's texture.
TEST_F(RenderState, AFrameStartsWithTexturingOffAsTheCacheKnowsNoTexture) {
  SceneFiles files;
  image_test::BmpSpec image;
  image.width = image.height = 4;
  for (int y = 0; y < 4; ++y) {
    image_test::Bytes row;
    for (int x = 0; x < 4; ++x) row.insert(row.end(), {0, 0, 255});  // b, g, r: red
    image.rows.push_back(row);
  }
  files.Write("red.bmp", image_test::MakeBmp(image));
  auto scene = NewScene();
  auto* list = new TSceneTextureList;
  list->SetName("Textures");
  list->SetColorBit(cb32Bit);
  scene->AddObject(list, 0);
  auto* red = new TSceneTexture;
  red->SetName("Red");
  red->Path = files.Folder();
  red->TextureName = "red.bmp";
  list->AddItem(red);
  auto* plain = new TTestHalf;
  plain->SetName("plain");
  scene->AddObject(plain, poRender);
  auto* textured = new TTestHalf;
  textured->SetName("textured");
  textured->Texture = red;
  textured->Right = true;
  scene->AddObject(textured, poRender);

  for (int frame = 0; frame < 3; ++frame) {
    SCOPED_TRACE(frame);
    GL.glClearColor(0, 0, 0, 1);
    GL.glClear(GL_COLOR_BUFFER_BIT);
    scene->Process(0.02f);
    GL.glFinish();
    EXPECT_EQ(Pixel(16, 32), (std::vector<uint8_t>{255, 255, 255, 255}));  // plain white
    EXPECT_EQ(Pixel(48, 32), (std::vector<uint8_t>{255, 0, 0, 255}));      // the red texture
    // The frame ends with the texture bound and texturing on.
    EXPECT_EQ(SceneTexture(), red);
    EXPECT_TRUE(Enabled(GL_TEXTURE_2D));
  }
  ResetSceneRenderCaches();
  EXPECT_EQ(SceneTexture(), nullptr);
  EXPECT_FALSE(Enabled(GL_TEXTURE_2D));
  EXPECT_EQ(GL.glGetError(), GLenum(GL_NO_ERROR));
  scene.reset();
}

}  // namespace
}  // namespace scenetest
