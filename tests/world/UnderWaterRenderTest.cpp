// The water drawn on the real driver: which primitives each frame draws in
// which order and with which fog, texturing and blending (seen at each draw
// call on its way to the driver); the texture-generation planes of the
// caustics and the light rays read back from the context; the background
// object's copies; and whole frames in the offscreen frame buffer checked
// by pixels: the backdrop's gradient, the light rays over it, the bottom
// under the caustics, fogged by OpenGL fog or by its fog layer.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "gl/GLEntryPoints.h"
#include "gl/Primitive.h"
#include "gl/Texture.h"
#include "scene/RenderState.h"
#include "scene/SceneTexture.h"
#include "tests/world/WorldTestSupport.h"

namespace worldtest {
namespace {

using Names = std::vector<std::string>;

bool Enabled(GLenum capability) { return GL.glIsEnabled(capability) == GL_TRUE; }

std::array<float, 4> Floats4(GLenum name) {
  std::array<float, 4> v{};
  GL.glGetFloatv(name, v.data());
  return v;
}

// Whether unit's GL_TEXTURE_2D is on, the active unit left as it was.
bool UnitTexturing(int unit) {
  if (!GL.glActiveTextureARB) return unit == 0 && Enabled(GL_TEXTURE_2D);
  GLint active = 0;
  GL.glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &active);
  GL.glActiveTextureARB(GL_TEXTURE0_ARB + unit);
  const bool on = Enabled(GL_TEXTURE_2D);
  GL.glActiveTextureARB(static_cast<GLenum>(active));
  return on;
}

// The state every indexed draw call is made with, while it lives.
struct DrawState {
  const void* vertices;
  bool fog;
  GLint fogMode;
  float fogStart, fogEnd;
  std::array<float, 4> fogColor;
  GLint fogSource;
  bool fogCoordArray;
  bool texture0, texture1, blend, depthTest, lighting;
};

class DrawLog {
 public:
  DrawLog() : saved_(GL) {
    Draws().clear();
    Saved() = GL;
    GL.glVertexPointer = [](GLint size, GLenum type, GLsizei stride, const void* pointer) {
      Pointer() = pointer;
      Saved().glVertexPointer(size, type, stride, pointer);
    };
    GL.glDrawElements = [](GLenum mode, GLsizei count, GLenum type, const void* indices) {
      DrawState d{};
      d.vertices = Pointer();
      d.fog = Enabled(GL_FOG);
      GL.glGetIntegerv(GL_FOG_MODE, &d.fogMode);
      GL.glGetFloatv(GL_FOG_START, &d.fogStart);
      GL.glGetFloatv(GL_FOG_END, &d.fogEnd);
      d.fogColor = Floats4(GL_FOG_COLOR);
      GL.glGetIntegerv(GL_FOG_COORDINATE_SOURCE_EXT, &d.fogSource);
      d.fogCoordArray = Enabled(GL_FOG_COORDINATE_ARRAY_EXT);
      d.texture0 = UnitTexturing(0);
      d.texture1 = UnitTexturing(1);
      d.blend = Enabled(GL_BLEND);
      d.depthTest = Enabled(GL_DEPTH_TEST);
      d.lighting = Enabled(GL_LIGHTING);
      Draws().push_back(d);
      Saved().glDrawElements(mode, count, type, indices);
    };
  }
  ~DrawLog() { GL = saved_; }

  static std::vector<DrawState>& Draws() {
    static std::vector<DrawState> draws;
    return draws;
  }

 private:
  static const void*& Pointer() {
    static const void* pointer = nullptr;
    return pointer;
  }
  static TGLEntryPoints& Saved() {
    static TGLEntryPoints saved;
    return saved;
  }
  TGLEntryPoints saved_;
};

// Names of the water's primitives by their vertex arrays.
std::map<const void*, std::string> PrimitiveNames(const TUnderWater& w) {
  return {{w.SurfaceGrid()->Vertices.Data(), "surface"},     {w.SurfaceLightGrid()->Vertices.Data(), "surface light"},
          {w.SurfaceFogLayer()->Vertices.Data(), "surface fog"}, {w.Backdrop()->Vertices.Data(), "backdrop"},
          {w.BottomGrid()->Vertices.Data(), "bottom"},       {w.BottomFogLayer()->Vertices.Data(), "bottom fog"},
          {w.BottomLightGrid()->Vertices.Data(), "bottom light"}, {w.LightShafts()->Vertices.Data(), "shafts"}};
}

class WaterRender : public WaterGLTest {
 protected:
  bool Multitexture() { return OpenGL().Textures()->MultitextureEnabled && OpenGL().Textures()->MaxTextureUnits >= 2; }

  // One frame of the scene; the draws it made, named.
  Names Frame(std::vector<DrawState>* states = nullptr) {
    LoadView();
    DrawLog log;
    scene_->Process(0);
    GL.glFinish();
    const auto names = PrimitiveNames(*Water("Blue Water"));
    Names drawn;
    for (const DrawState& d : DrawLog::Draws()) drawn.push_back(names.count(d.vertices) ? names.at(d.vertices) : "?");
    if (states) *states = DrawLog::Draws();
    return drawn;
  }

  // RGB of a pixel of the 64 x 64 frame.
  std::array<int, 3> RGB(int x, int y) {
    const std::vector<uint8_t> p = Pixel(x, y);
    return {p[0], p[1], p[2]};
  }
  void ClearFrame() {
    GL.glClearColor(0, 0, 0, 1);
    GL.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  }

  const Keys textured_ = {{"BottomTexture", "Textures/SeaBottom"}, {"UpTexture", "Textures/surface.jpg"}};
};

void ExpectFog(const DrawState& d, const std::array<float, 4>& colour) {
  EXPECT_TRUE(d.fog);
  EXPECT_EQ(d.fogMode, GL_LINEAR);
  EXPECT_EQ(d.fogSource, GL_FRAGMENT_DEPTH_EXT);
  EXPECT_FALSE(d.fogCoordArray);
  EXPECT_EQ(d.fogStart, 6000);
  EXPECT_EQ(d.fogEnd, 10000);
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(d.fogColor[i], colour[i], 1e-6) << i;
}

// Fog by coordinates from 0 (none) to 1 (all colour), one per vertex.
void ExpectFogByCoordinates(const DrawState& d, const std::array<float, 4>& colour) {
  EXPECT_TRUE(d.fog);
  EXPECT_EQ(d.fogMode, GL_LINEAR);
  EXPECT_EQ(d.fogSource, GL_FOG_COORDINATE_EXT);
  EXPECT_TRUE(d.fogCoordArray);
  EXPECT_EQ(d.fogStart, 0);
  EXPECT_EQ(d.fogEnd, 1);
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(d.fogColor[i], colour[i], 1e-6) << i;
}

TEST_F(WaterRender, OpenGLFogOrFogLayersDrawTheWaterInItsOrder) {
  LoadWater(textured_);
  std::vector<DrawState> d;
  // The surface's light map rides on unit 1 of the surface's own pass where
  // units combine; elsewhere it is a layer blended over the surface.
  const bool merged = Multitexture() && ExtensionSupported("GL_ARB_texture_env_combine");
  EXPECT_EQ(Water("Blue Water")->SurfaceLightMerged(), merged);
  const Names order = merged ? Names{"surface", "backdrop", "bottom", "shafts"}
                             : Names{"surface", "surface light", "backdrop", "bottom", "shafts"};
  EXPECT_EQ(Frame(&d), order);
  ASSERT_EQ(d.size(), order.size());
  const size_t k = merged ? 0 : 1;
  const std::array<float, 4> up{20 / 255.0f, 160 / 255.0f, 230 / 255.0f, 1}, bottom{20 / 255.0f, 90 / 255.0f,
                                                                                     130 / 255.0f, 1};
  // The surface (with its light), fogged to UpColor.
  ExpectFog(d[0], up);
  EXPECT_TRUE(d[0].texture0);
  EXPECT_EQ(d[0].texture1, merged);
  EXPECT_FALSE(d[0].blend);
  EXPECT_FALSE(d[0].depthTest);
  EXPECT_FALSE(d[0].lighting);
  if (!merged) {
    ExpectFog(d[1], up);
    EXPECT_TRUE(d[1].blend);
    EXPECT_TRUE(d[1].texture0);
  }
  // The backdrop: plain colours, nothing else.
  EXPECT_FALSE(d[1 + k].fog);
  EXPECT_FALSE(d[1 + k].texture0);
  EXPECT_FALSE(d[1 + k].texture1);
  EXPECT_FALSE(d[1 + k].blend);
  EXPECT_FALSE(d[1 + k].depthTest);
  // The bottom, fogged to BottomColor, the caustics on unit 1.
  ExpectFog(d[2 + k], bottom);
  EXPECT_TRUE(d[2 + k].texture0);
  EXPECT_EQ(d[2 + k].texture1, Multitexture());
  EXPECT_FALSE(d[2 + k].blend);
  // The rays: blended and textured, without fog or caustics.
  EXPECT_FALSE(d[3 + k].fog);
  EXPECT_TRUE(d[3 + k].blend);
  EXPECT_TRUE(d[3 + k].texture0);
  EXPECT_FALSE(d[3 + k].texture1);
  EXPECT_FALSE(d[3 + k].depthTest);
  GLint hint = 0;
  GL.glGetIntegerv(GL_FOG_HINT, &hint);
  EXPECT_EQ(hint, GL_DONT_CARE);
  // The frame leaves fog off and the depth test on.
  EXPECT_FALSE(Enabled(GL_FOG));
  EXPECT_TRUE(Enabled(GL_DEPTH_TEST));

  // Emulated depth: the fog layers' alphas fog each plane's own passes as
  // fog coordinates; the frame leaves the fog's source at depth again.
  Water("Blue Water")->EmulateDepth = true;
  ASSERT_NE(GL.glFogCoordPointerEXT, nullptr) << "the driver takes fog coordinates";
  EXPECT_EQ(Frame(&d), order);
  ExpectFogByCoordinates(d[0], up);
  if (!merged) ExpectFogByCoordinates(d[1], up);
  ExpectFogByCoordinates(d[2 + k], bottom);
  EXPECT_FALSE(d[1 + k].fog);
  EXPECT_FALSE(d[3 + k].fog);
  EXPECT_FALSE(d[3 + k].fogCoordArray);
  GLint source = 0;
  GL.glGetIntegerv(GL_FOG_COORDINATE_SOURCE_EXT, &source);
  EXPECT_EQ(source, GL_FRAGMENT_DEPTH_EXT);
  EXPECT_FALSE(Enabled(GL_FOG_COORDINATE_ARRAY_EXT));
  // Without fog coordinates each plane gets its fog layer, blended and
  // untextured, right after it, and no fog at all.
  const auto fogCoordPointer = GL.glFogCoordPointerEXT;
  GL.glFogCoordPointerEXT = nullptr;
  const Names layered = merged ? Names{"surface", "surface fog", "backdrop", "bottom", "bottom fog", "shafts"}
                               : Names{"surface", "surface light", "surface fog", "backdrop", "bottom", "bottom fog",
                                       "shafts"};
  EXPECT_EQ(Frame(&d), layered);
  GL.glFogCoordPointerEXT = fogCoordPointer;
  for (const DrawState& s : d) EXPECT_FALSE(s.fog);
  for (size_t layer : {1 + k, 4 + k}) {
    EXPECT_FALSE(d[layer].texture0) << layer;
    EXPECT_FALSE(d[layer].texture1) << layer;
    EXPECT_TRUE(d[layer].blend) << layer;
  }
  // Left out, the fog layers fog nothing either way.
  Water("Blue Water")->LeftOut = wlFogLayers;
  EXPECT_EQ(Frame(&d), order);
  for (const DrawState& s : d) EXPECT_FALSE(s.fog || s.fogCoordArray);
  Water("Blue Water")->LeftOut = 0;

  // No surface light layer at UpAlpha 0, no rays without UseLights, no
  // caustics without UseCaustic.
  LoadWater(With(textured_, {{"UpAlpha", "0"}}));
  Water("Blue Water")->UseLights = false;
  Water("Blue Water")->UseCaustic = false;
  EXPECT_EQ(Frame(&d), (Names{"surface", "backdrop", "bottom"}));
  EXPECT_FALSE(d[2].texture1);
  // Without bottom and surface textures only the backdrop and the rays.
  LoadWater();
  EXPECT_EQ(Frame(), (Names{"backdrop", "shafts"}));
  // A hidden water draws nothing; nor does one whose context is gone.
  Water("Blue Water")->SetVisible(false);
  EXPECT_EQ(Frame(), Names{});
  Water("Blue Water")->SetVisible(true);
  OpenGL().Deactivate();
  DrawLog log;
  scene_->Process(0);
  EXPECT_TRUE(DrawLog::Draws().empty());
}

// The light map mixed into the surface's pass on unit 1 gives the surface
// the light layer gave it, stripe for stripe; left out, the surface is
// plain.
TEST_F(WaterRender, TheSurfacesLightOnUnitOneLooksAsItsLayerDid) {
  TUnderWater& water = LoadWater(textured_);
  if (!water.SurfaceLightMerged()) GTEST_SKIP() << "no texture combiners";
  water.UseLights = false;
  // Stripes in the (plain white) light map, so that its coordinates show.
  Frame();
  TGLTexture* map = water.UpLightMap->GLTexture();
  ASSERT_TRUE(map && map->Uploaded());
  std::vector<uint8_t> stripes(static_cast<size_t>(map->Width()) * map->Height() * 3);
  for (size_t i = 0; i < stripes.size(); ++i) stripes[i] = (i / 3 % map->Width()) % 8 < 4 ? 255 : 40;
  GL.glBindTexture(GL_TEXTURE_2D, map->Handle());
  GL.glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  GL.glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, map->Width(), map->Height(), GL_RGB, GL_UNSIGNED_BYTE, stripes.data());
  ResetSceneRenderCaches();
  auto upperRows = [&] {
    ClearFrame();
    Frame();
    std::vector<std::array<int, 3>> rows;
    for (int r = 40; r < 64; r += 2)
      for (int x : {5, 20, 40, 60}) rows.push_back(RGB(x, r));
    return rows;
  };
  const auto merged = upperRows();
  TGLTextureList& textures = *OpenGL().Textures();
  textures.MultitextureEnabled = false;
  EXPECT_FALSE(water.SurfaceLightMerged());
  const auto layered = upperRows();
  textures.MultitextureEnabled = true;
  ASSERT_EQ(merged.size(), layered.size());
  for (size_t i = 0; i < merged.size(); ++i)
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(merged[i][c], layered[i][c], 1) << i << " " << c;
  water.LeftOut = wlSurfaceLight;
  EXPECT_FALSE(water.SurfaceLightMerged());
  const auto plain = upperRows();
  water.LeftOut = 0;
  int differing = 0;
  for (size_t i = 0; i < merged.size(); ++i) differing += merged[i] != plain[i];
  EXPECT_GT(differing, int(merged.size()) / 4) << "the rows compared must show the surface's light";
}

TEST_F(WaterRender, CausticsUseUnitOneWithObjectPlanesTheRaysEyePlanes) {
  if (!Multitexture()) GTEST_SKIP() << "one texture unit";
  TUnderWater& water = LoadWater(textured_);
  water.CausticPhase = 3;
  LoadView();
  ResetSceneRenderState();
  auto* map = Find<TSceneTexture>("Textures/caustback.jpg");
  EXPECT_EQ(map->GLTexture(), nullptr);
  water.BeginCaustics();
  ASSERT_NE(map->GLTexture(), nullptr);
  // Bound on unit 1 for the caustics only: the texture's own unit stays
  // 0 for an ordinary bind of the same texture.
  EXPECT_EQ(map->GLTexture()->TextureUnit, 0);
  // Unit 0 is active again and untouched; the cache still speaks for it.
  GLint active = 0;
  GL.glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &active);
  EXPECT_EQ(active, GL_TEXTURE0_ARB);
  EXPECT_FALSE(Enabled(GL_TEXTURE_2D));
  EXPECT_EQ(SceneTexture(), nullptr);
  GL.glActiveTextureARB(GL_TEXTURE1_ARB);
  EXPECT_TRUE(Enabled(GL_TEXTURE_2D));
  EXPECT_TRUE(Enabled(GL_TEXTURE_GEN_S));
  EXPECT_TRUE(Enabled(GL_TEXTURE_GEN_T));
  GLint mode = 0, env = 0, bound = 0;
  GL.glGetTexGeniv(GL_S, GL_TEXTURE_GEN_MODE, &mode);
  EXPECT_EQ(mode, GL_OBJECT_LINEAR);
  GL.glGetTexGeniv(GL_T, GL_TEXTURE_GEN_MODE, &mode);
  EXPECT_EQ(mode, GL_OBJECT_LINEAR);
  GL.glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
  EXPECT_EQ(env, GL_MODULATE);
  GL.glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(GLuint(bound), map->GLTexture()->Handle());
  std::array<float, 4> plane{};
  GL.glGetTexGenfv(GL_S, GL_OBJECT_PLANE, plane.data());
  EXPECT_EQ(plane, (std::array<float, 4>{0.0004f, 0, 0, 1.5f}));
  GL.glGetTexGenfv(GL_T, GL_OBJECT_PLANE, plane.data());
  EXPECT_EQ(plane, (std::array<float, 4>{0, 0.0002f, -0.0004f, 0.75f}));
  GL.glActiveTextureARB(GL_TEXTURE0_ARB);

  water.EndCaustics();
  GL.glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &active);
  EXPECT_EQ(active, GL_TEXTURE0_ARB);
  EXPECT_FALSE(UnitTexturing(1));
  EXPECT_FALSE(UnitTexturing(0));
  // A texture of unit 0 bound through the cache in between, as the bottom
  // does, stays on unit 0 and leaves the caustics on unit 1.
  water.BeginCaustics();
  BindSceneTexture(Find<TSceneTexture>("Textures/SeaBottom"));
  EXPECT_TRUE(UnitTexturing(0));
  EXPECT_TRUE(UnitTexturing(1));
  BindSceneTexture(nullptr);
  EXPECT_FALSE(UnitTexturing(0));
  EXPECT_TRUE(UnitTexturing(1));
  water.EndCaustics();
  EXPECT_FALSE(UnitTexturing(1));

  // The rays: eye-linear generation on unit 0 while they are drawn, off
  // afterwards (planes given under the identity model-view, so read back
  // as given).
  Frame();
  GL.glGetTexGeniv(GL_S, GL_TEXTURE_GEN_MODE, &mode);
  EXPECT_EQ(mode, GL_EYE_LINEAR);
  GL.glGetTexGenfv(GL_S, GL_EYE_PLANE, plane.data());
  EXPECT_EQ(plane, (std::array<float, 4>{0.0002f, 0, 0, 0.45f}));
  GL.glGetTexGenfv(GL_T, GL_EYE_PLANE, plane.data());
  EXPECT_EQ(plane, (std::array<float, 4>{0, 0.000004f, 0, 0.75f}));
  EXPECT_FALSE(Enabled(GL_TEXTURE_GEN_S));
  EXPECT_FALSE(Enabled(GL_TEXTURE_GEN_T));

  // Without the multitexture switch nothing is generated or bound.
  OpenGL().Textures()->MultitextureEnabled = false;
  map->ReleaseGLTexture();
  water.BeginCaustics();
  EXPECT_EQ(map->GLTexture(), nullptr);
  OpenGL().Textures()->MultitextureEnabled = true;
}

// The surface's light map may be the very texture the caustics use (the
// program's description could name "caustback.jpg" for both). The caustics
// bind it on unit 1 for the bottom; the next frame's surface binds it the
// ordinary way, on unit 0, and shows it as it did in the first frame -
// as a water whose two maps are separate textures of the same picture.
TEST_F(WaterRender, ALightMapThatIsAlsoTheCausticMapDrawsTheSameEveryFrame) {
  if (!Multitexture()) GTEST_SKIP() << "one texture unit";
  const Keys shared = With(textured_, {{"UpLightMap", "Textures/caustback.jpg"}});
  auto frames = [&](int count) {
    std::vector<std::vector<uint8_t>> shown;
    for (int i = 0; i < count; ++i) {
      ClearFrame();
      Frame();
      std::vector<uint8_t> frame(64 * 64 * 4);
      GL.glPixelStorei(GL_PACK_ALIGNMENT, 1);
      GL.glReadPixels(0, 0, 64, 64, GL_RGBA, GL_UNSIGNED_BYTE, frame.data());
      shown.push_back(frame);
    }
    return shown;
  };
  TUnderWater& water = LoadWater(shared);
  water.UseLights = false;
  ASSERT_EQ(water.UpLightMap, water.BackgroundLightMap);
  const auto sharedFrames = frames(3);
  auto* map = Find<TSceneTexture>("Textures/caustback.jpg");
  EXPECT_EQ(map->GLTexture()->TextureUnit, 0);

  // The reference: the light map a texture of its own, of the same grey.
  std::vector<Keys> textures = StandardTextures();
  textures.push_back({{"Name", "grey copy"}, {"TextureName", "grey.bmp"}});
  LoadText(Describe({With(ShippedWater("Blue Water"), With(textured_, {{"UpLightMap", "Textures/grey copy"}}))},
                    textures));
  Water("Blue Water")->UseLights = false;
  const auto separate = frames(2);

  // The surface shows at the top of the frame: blue under the grey layer.
  const uint8_t* top = &sharedFrames[0][(63 * 64 + 32) * 4];
  EXPECT_GT(top[2], top[0]);
  for (size_t i = 0; i < sharedFrames.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(sharedFrames[i] == separate[1]) << "the frame differs from the water with two textures";
  }
  EXPECT_EQ(GL.glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(WaterRender, TheBackgroundObjectIsDrawnThriceAcrossOrTwiceSqueezed) {
  Load({{{"Type", "TTestBackground"}, {"Name", "Reef"}},
        With(ShippedWater("Blue Water"), {{"Background", "Reef"}})});
  auto* reef = Find<TTestBackground>("Reef");
  Frame();
  ASSERT_EQ(reef->Draws.size(), 3u);
  const float offsets[] = {-12600, 0, 12600};
  for (int i = 0; i < 3; ++i) {
    const TTestBackground::Draw& d = reef->Draws[i];
    EXPECT_EQ(d.modelView[0], 1);
    EXPECT_EQ(d.modelView[12], offsets[i]) << i;
    EXPECT_NEAR(d.alphaRef, 0.35f, 1e-6);
    EXPECT_TRUE(d.depthTest);
    EXPECT_TRUE(d.blend);
    EXPECT_FALSE(d.lighting);
    EXPECT_FALSE(d.fog);
    EXPECT_EQ(d.unit1Texture, Multitexture());  // lit by the caustics
  }
  // Blending ends with the background; the next blended draw gets the
  // usual alpha test again.
  EXPECT_FALSE(SceneBlending());
  EXPECT_FALSE(Enabled(GL_ALPHA_TEST));
  EXPECT_FALSE(UnitTexturing(1));

  // One picture across monitors: x squeezed by 0.4 x 0.914 x right / top
  // (0.3656 x 4 / 3 on this view), two halves.
  reef->Draws.clear();
  Water("Blue Water")->BackgroundMode = 2;
  Frame();
  ASSERT_EQ(reef->Draws.size(), 2u);
  const float scale = 0.3656f * 4 / 3;
  for (const TTestBackground::Draw& d : reef->Draws) {
    EXPECT_NEAR(d.modelView[0], scale, 1e-5);
    EXPECT_EQ(d.modelView[5], 1);
    EXPECT_EQ(d.modelView[10], 1);
  }
  EXPECT_NEAR(reef->Draws[0].modelView[12], -6295 * scale, 0.05);
  EXPECT_NEAR(reef->Draws[1].modelView[12], (12594 - 6295) * scale, 0.05);
  // The wide view squeezes less.
  reef->Draws.clear();
  App().Viewport().WideScreen = true;
  Frame();
  EXPECT_NEAR(reef->Draws[0].modelView[0], 0.3656f * 16 / 9, 1e-5);
  // A view without extent keeps the 4:3 squeeze instead of a NaN.
  reef->Draws.clear();
  App().Viewport().FOV = 0;
  Frame();
  EXPECT_NEAR(reef->Draws[0].modelView[0], scale, 1e-5);

  reef->Draws.clear();
  Water("Blue Water")->UseBackground = false;
  Frame();
  EXPECT_TRUE(reef->Draws.empty());
}

// The backdrop's colour at frame row r: BottomColor at the bottom edge,
// UpColor at the top, linear in between.
double Backdrop(int r, double bottom, double up) { return bottom + (up - bottom) * (r + 0.5) / 64; }

TEST_F(WaterRender, BackdropShadesFromUpColorToBottomColorAndTheRaysBrightenItsUpperPart) {
  TUnderWater& water = LoadWater();
  water.UseLights = false;
  ClearFrame();
  Frame();
  const int up[] = {20, 160, 230}, bottom[] = {20, 90, 130};
  for (int r : {0, 16, 32, 48, 63})
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(RGB(32, r)[c], Backdrop(r, bottom[c], up[c]), 1.5) << r << " " << c;
  EXPECT_EQ(RGB(0, 63), RGB(63, 63));

  // The rays: the sheet from (UpY, -7000) down to (BottomY, -4000) is
  // above the view where it is brightest (alpha 80 at 0.8 x UpY, -6700)
  // and fades towards the bottom; a white ray texture adds
  // (255 - backdrop) x alpha. Along the sheet, from vertex 4 (t = 0) to
  // vertex 1 (t = 1), alpha is 80 x (1 - t); the row looking at the point
  // t of the sheet satisfies y(t) = ndc x top x depth(t).
  water.UseLights = true;
  ClearFrame();
  Frame();
  const double top = std::tan(75.0 * std::numbers::pi / 360.0);
  const double y4 = 0.8 * water.UpY, d4 = 6700, y1 = water.BottomY, d1 = 4000;
  std::vector<double> alphas;
  for (int r : {63, 48, 32, 16, 0}) {
    const double ndc = (r + 0.5) / 32 - 1;
    const double t = (y4 - ndc * top * d4) / ((y4 - y1) - ndc * top * (d4 - d1));
    const double alpha = 80 * (1 - t) / 255;
    alphas.push_back(alpha);
    for (int c = 0; c < 3; ++c) {
      const double behind = Backdrop(r, bottom[c], up[c]);
      EXPECT_NEAR(RGB(32, r)[c], behind + (255 - behind) * alpha, 2.5) << r << " " << c;
    }
  }
  EXPECT_NEAR(alphas.front(), 0.285, 0.01);  // brightest at the top row
  EXPECT_NEAR(alphas.back(), 0.092, 0.01);   // faint at the bottom
  EXPECT_FALSE(Enabled(GL_CLIP_PLANE0));
  EXPECT_FALSE(Enabled(GL_CLIP_PLANE1));
}

// The sheet's ends, too faint for the alpha test of blended drawing, are
// cut off where its alpha falls to 12 (of 255): the largest byte value the
// test drops. Whatever passes the test lies between the planes.
TEST_F(WaterRender, TheRaysAreCutWhereTheAlphaTestWouldDropThemAnyway) {
  TUnderWater& water = LoadWater();
  const TGLPrimitive& sheet = *water.LightShafts();
  double fromTop[4], fromBottom[4];
  ASSERT_TRUE(ShaftClipPlanes(sheet, fromTop, fromBottom));
  const TGLVector a = sheet.Vertices.Items()[0], b = sheet.Vertices.Items()[1], c = sheet.Vertices.Items()[4];
  auto along = [](TGLVector p, TGLVector q, double u) {
    return std::array<double, 3>{p.x + (q.x - p.x) * u, p.y + (q.y - p.y) * u, p.z + (q.z - p.z) * u};
  };
  auto side = [](const double* plane, std::array<double, 3> p) {
    return plane[0] * p[0] + plane[1] * p[1] + plane[2] * p[2] + plane[3];
  };
  const double length = std::hypot(double(b.y) - a.y, double(b.z) - a.z);
  // Alpha along the top part is 80 u, along the rest 80 (1 - u).
  for (double alpha : {12.0, 12.75, 40.0, 80.0}) {
    const double topSide = side(fromTop, along(a, c, alpha / 80)) / length;
    const double bottomSide = side(fromBottom, along(c, b, 1 - alpha / 80)) / length;
    if (alpha == 12.0) {
      EXPECT_NEAR(topSide, 0, 1e-3);
      EXPECT_NEAR(bottomSide, 0, 1e-3);
    } else {
      EXPECT_GT(topSide, 0) << alpha;
      EXPECT_GT(bottomSide, 0) << alpha;
    }
  }
  EXPECT_LT(side(fromTop, along(a, c, 0)), 0);     // the top edge is cut
  EXPECT_LT(side(fromBottom, along(c, b, 1)), 0);  // and so is the bottom edge
  EXPECT_GT(side(fromTop, along(c, b, 1)), 0);     // each plane keeps the other end
  EXPECT_GT(side(fromBottom, along(a, c, 0)), 0);

  // A sheet too faint to pass anywhere, or of another shape, gets no planes.
  auto copy = std::make_unique<TGLPrimitive>(nullptr);
  TGLPrimitive* other = copy.get();
  sheet.AssignTo(other);
  for (int i : {4, 5}) other->Colors.Items()[i].a = 12;
  EXPECT_FALSE(ShaftClipPlanes(*other, fromTop, fromBottom));
  other->Vertices.SetCount(4);
  other->Colors.SetCount(4);
  EXPECT_FALSE(ShaftClipPlanes(*other, fromTop, fromBottom));
}

TEST_F(WaterRender, BottomUnderCausticsFadesIntoItsColourByFogOrByItsLayer) {
  TUnderWater& water = LoadWater(With(textured_, {{"UpTexture", ""}}));
  water.UseLights = false;
  water.Flat = true;
  ClearFrame();
  Frame();
  EXPECT_TRUE(water.FlatApplied);
  // Row 3 looks at the flat bottom (y -3000) about 4400 away: before the
  // fog. The red bottom is halved by the grey caustic map on unit 1.
  const int red = Multitexture() ? 128 : 255;
  const std::array<int, 3> near = RGB(32, 3);
  EXPECT_NEAR(near[0], red, 2);
  EXPECT_LE(near[1], 1);
  EXPECT_LE(near[2], 1);

  // Row 18 looks at it about 9270 away: 82% of the way to BottomColor.
  const double depth = 3000 / ((1 - 18.5 / 32) * std::tan(75.0 * std::numbers::pi / 360.0));
  const double f = (10000 - depth) / 4000;  // what is left of the bottom
  const double expected[] = {f * red + (1 - f) * 20, (1 - f) * 90, (1 - f) * 130};
  std::array<int, 3> fogged = RGB(32, 18);
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(fogged[c], expected[c], 4) << c;
  // Above the bottom's far edge the backdrop shows.
  EXPECT_NEAR(RGB(32, 30)[2], 130 + (230 - 130) * (30.5 / 64 * 2 - 1 + 0.3910) / (0.6516 + 0.3910), 3);

  // The fog layer's alphas in place of fog: much the same colours.
  water.EmulateDepth = true;
  ClearFrame();
  Frame();
  EXPECT_EQ(RGB(32, 3), near);
  fogged = RGB(32, 18);
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(fogged[c], expected[c], 6) << c;
  // The layer itself drawn over the bottom (a driver without fog
  // coordinates) blends the same colours in; only where the layer is
  // nearly clear (alpha up to 0.05, which the blending's alpha test drops)
  // the coordinates fog a little more.
  std::vector<std::array<int, 3>> byCoordinates;
  for (int r = 0; r < 28; ++r) byCoordinates.push_back(RGB(32, r));
  const auto fogCoordPointer = GL.glFogCoordPointerEXT;
  GL.glFogCoordPointerEXT = nullptr;
  ClearFrame();
  Frame();
  GL.glFogCoordPointerEXT = fogCoordPointer;
  const int bottomColour[] = {20, 90, 130};
  for (int r = 0; r < 28; ++r)
    for (int c = 0; c < 3; ++c) {
      const int layer = RGB(32, r)[c], coordinates = byCoordinates[size_t(r)][c];
      EXPECT_LE(std::abs(layer - coordinates), 1 + std::abs(layer - bottomColour[c]) * 0.06) << r << " " << c;
    }

  // Without caustics the bottom shows its own red.
  water.UseCaustic = false;
  water.EmulateDepth = false;
  ClearFrame();
  Frame();
  EXPECT_NEAR(RGB(32, 3)[0], 255, 2);

  // Hills: the first draw with Flat off raises them.
  water.Flat = false;
  Frame();
  EXPECT_FALSE(water.FlatApplied);
  EXPECT_NE(water.BottomGrid()->Vertices.Items()[8].y, 0);
}

}  // namespace
}  // namespace worldtest
