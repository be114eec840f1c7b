#include "gl/Light.h"

#include <gtest/gtest.h>

#include <array>

#include "core/Error.h"
#include "gl/GLEntryPoints.h"
#include "gl/OpenGL.h"
#include "tests/gl/GLTestContext.h"

using namespace velmora;

namespace {

std::array<float, 4> LightValue(int n, GLenum what) {
  std::array<float, 4> v{};
  GL.glGetLightfv(GL_LIGHT0 + n, what, v.data());
  return v;
}

using LightGL = velmora::testing::GLContextTest;

}  // namespace

TEST_F(LightGL, EachSetterRaisesItsOwnDirtyBit) {
  TGLLightList list(nullptr);
  EXPECT_EQ(list.Add()->DirtyMask(), 0xFFCB);  // every setter's bit
  TGLLight* free = list.Add();
  free->Apply();  // no context: nothing sent, the mask waits
  EXPECT_EQ(free->DirtyMask(), 0xFFCB);

  TGLLight* light = OpenGL().Lights()->Add();
  light->Enable();
  ASSERT_EQ(light->DirtyMask(), 0);
  struct Case {
    void (*set)(TGLLight&);
    int32_t bit;
  } cases[] = {
      {[](TGLLight& l) { l.SetAmbient({0.1f, 0, 0, 1}); }, 0x1},
      {[](TGLLight& l) { l.SetDiffuse({0.1f, 0, 0, 1}); }, 0x2},
      {[](TGLLight& l) { l.SetSpecular({0.1f, 0, 0, 1}); }, 0x8},
      {[](TGLLight& l) { l.SetIsDirectional(false); }, 0x40},
      {[](TGLLight& l) { l.SetPosition({1, 2, 3}); }, 0x80},
      {[](TGLLight& l) { l.SetSpotDirection({0, 0, -1}); }, 0x100},
      {[](TGLLight& l) { l.SetSpotExponent(2); }, 0x200},
      {[](TGLLight& l) { l.SetSpotCutoff(30); }, 0x400},
      {[](TGLLight& l) { l.SetConstantAttenuation(2); }, 0x800},
      {[](TGLLight& l) { l.SetLinearAttenuation(2); }, 0x1000},
      {[](TGLLight& l) { l.SetQuadraticAttenuation(2); }, 0x2000},
      {[](TGLLight& l) { l.SetSwitch2(true); }, 0x4000},
      {[](TGLLight& l) { l.SetSwitch1(true); }, 0x8000},
  };
  for (const Case& c : cases) {
    c.set(*light);
    EXPECT_EQ(light->DirtyMask(), c.bit);
    light->Apply();
    EXPECT_EQ(light->DirtyMask(), 0);
  }
  EXPECT_TRUE(light->Switch1());
  EXPECT_TRUE(light->Switch2());
}

TEST(Light, PresetsAndTheListPresetIndex) {
  TGLLightList list(nullptr);
  TGLLight* a = list.Add();
  TGLLight* b = list.Add();
  EXPECT_EQ(a->LightIndex(), 0);
  EXPECT_EQ(b->LightIndex(), 1);
  EXPECT_EQ(b->SpotDirection(), MakeVector(-1, -1, -1));
  EXPECT_TRUE(b->Directional());

  b->SetSpotDirection({0, -2, 0});
  b->SetSpotCutoff(20);
  b->SetLinearAttenuation(0.5f);
  b->SetDirectional();
  EXPECT_TRUE(b->Directional());
  EXPECT_EQ(b->Position(), MakeVector(0, -2e37f, 0));
  EXPECT_EQ(b->SpotCutoff(), 180);
  EXPECT_EQ(b->LinearAttenuation(), 0);
  EXPECT_EQ(b->ConstantAttenuation(), 1);

  b->SetSpotExponent(3);
  b->SetPositionalReset();
  EXPECT_FALSE(b->Directional());
  EXPECT_EQ(b->SpotExponent(), 0);
  b->SetQuadraticAttenuation(4);
  b->SetDirectionalReset();
  EXPECT_TRUE(b->Directional());
  EXPECT_EQ(b->QuadraticAttenuation(), 0);
  EXPECT_EQ(b->Position(), MakeVector(0, -2e37f, 0));  // kept
  b->SetPositional();
  EXPECT_FALSE(b->Directional());
}

TEST(Light, MaxLightsNeedsAnActiveContext) {
  TCustomOpenGL gl;
  try {
    gl.Lights()->MaxLights();
    FAIL();
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "TCustomOpenGL.GetInt error: OpenGL is not activated!");
  }
  TGLLight* light = gl.Lights()->Add();
  light->Enable();  // inactive: nothing happens
  EXPECT_FALSE(light->Enabled());
}

TEST_F(LightGL, PoolHandsOutTheLowestFreeNumberAndSharesLightZeroWhenFull) {
  TGLLightList* lights = OpenGL().Lights();
  const int max = lights->MaxLights();
  ASSERT_GE(max, 8);
  EXPECT_EQ(max, OpenGL().GetInt(GL_MAX_LIGHTS));
  std::vector<TGLLight*> all;
  for (int i = 0; i <= max; ++i) {
    all.push_back(lights->Add());
    all.back()->Enable();
  }
  for (int i = 0; i < max; ++i) {
    EXPECT_EQ(all[size_t(i)]->LightIndex(), i);
    EXPECT_TRUE(GL.glIsEnabled(GL_LIGHT0 + i));
  }
  TGLLight* extra = all.back();
  EXPECT_TRUE(extra->Enabled());
  EXPECT_EQ(extra->LightIndex(), 0);
  EXPECT_EQ(lights->UsedLights(), (max >= 32 ? 0xFFFFFFFFu : (1u << max) - 1));

  // The light that only shares GL_LIGHT0 leaves it to its owner.
  extra->Disable();
  EXPECT_FALSE(extra->Enabled());
  EXPECT_TRUE(GL.glIsEnabled(GL_LIGHT0));
  EXPECT_TRUE(lights->UsedLights() & 1u);

  all[3]->Disable();
  EXPECT_FALSE(GL.glIsEnabled(GL_LIGHT3));
  EXPECT_FALSE(lights->UsedLights() & (1u << 3));
  extra->Enable();
  EXPECT_EQ(extra->LightIndex(), 3);
  EXPECT_TRUE(GL.glIsEnabled(GL_LIGHT3));

  // A light freed while enabled gives its number back.
  delete all[5];
  EXPECT_FALSE(lights->UsedLights() & (1u << 5));
  EXPECT_FALSE(GL.glIsEnabled(GL_LIGHT5));
  EXPECT_EQ(lights->AllocateLight(), 5);
  lights->ReleaseLight(5);
}

TEST_F(LightGL, ApplySendsEverythingInEyeCoordinates) {
  TGLLight* light = OpenGL().Lights()->Add();
  light->SetDiffuse({0.25f, 0.5f, 0.75f, 1});
  light->SetAmbient({0.1f, 0.2f, 0.3f, 0.4f});
  light->SetSpotDirection({0, 0, -1});
  // The modelview holds a camera move: positions must not follow it.
  GL.glMatrixMode(GL_MODELVIEW);
  GL.glLoadIdentity();
  GL.glTranslatef(100, 0, 0);
  light->Enable();
  EXPECT_EQ(light->DirtyMask(), 0);
  EXPECT_EQ(LightValue(0, GL_DIFFUSE), (std::array<float, 4>{0.25f, 0.5f, 0.75f, 1}));
  EXPECT_EQ(LightValue(0, GL_AMBIENT), (std::array<float, 4>{0.1f, 0.2f, 0.3f, 0.4f}));
  EXPECT_EQ(LightValue(0, GL_POSITION), (std::array<float, 4>{0, 0, 1, 0}));  // towards the light, at infinity

  light->SetPositionalReset();
  light->SetPosition({1, 2, 3});
  light->SetSpotCutoff(45);
  light->SetSpotExponent(8);
  light->SetQuadraticAttenuation(0.5f);
  light->Apply();
  EXPECT_EQ(LightValue(0, GL_POSITION), (std::array<float, 4>{1, 2, 3, 1}));
  EXPECT_EQ(LightValue(0, GL_SPOT_DIRECTION)[2], -1);
  EXPECT_EQ(LightValue(0, GL_SPOT_CUTOFF)[0], 45);
  EXPECT_EQ(LightValue(0, GL_SPOT_EXPONENT)[0], 8);
  EXPECT_EQ(LightValue(0, GL_QUADRATIC_ATTENUATION)[0], 0.5f);
  EXPECT_EQ(LightValue(0, GL_CONSTANT_ATTENUATION)[0], 1);
  EXPECT_EQ(OpenGL().GetInt(GL_LIGHT_MODEL_LOCAL_VIEWER), 1);
  EXPECT_EQ(OpenGL().GetInt(GL_LIGHT_MODEL_TWO_SIDE), 0);
  float mv[16];
  GL.glGetFloatv(GL_MODELVIEW_MATRIX, mv);
  EXPECT_EQ(mv[12], 100);  // the caller's matrix is back
}

TEST_F(LightGL, ApplySendsOnlyWhenDirty) {
  TGLLight* light = OpenGL().Lights()->Add();
  light->Enable();
  const float other[4] = {0.5f, 0, 0, 1};
  GL.glLightfv(GL_LIGHT0, GL_DIFFUSE, other);
  light->Apply();  // clean: the driver keeps what it was told elsewhere
  EXPECT_EQ(LightValue(0, GL_DIFFUSE)[1], 0);
  light->SetSpotExponent(1);  // any dirty bit sends everything
  light->Apply();
  EXPECT_EQ(LightValue(0, GL_DIFFUSE), (std::array<float, 4>{1, 1, 1, 1}));
  GL.glLightfv(GL_LIGHT0, GL_DIFFUSE, other);
  light->MarkAllDirty();
  EXPECT_EQ(LightValue(0, GL_DIFFUSE), (std::array<float, 4>{1, 1, 1, 1}));
}

TEST_F(LightGL, GlobalAmbientIsBlackInEveryNewContext) {
  float ambient[4] = {};
  GL.glGetFloatv(GL_LIGHT_MODEL_AMBIENT, ambient);
  EXPECT_EQ(ambient[0], 0);  // the driver's own default is 0.2
  EXPECT_EQ(ambient[3], 1);
  OpenGL().Lights()->SetAmbient({0.5f, 0.25f, 0, 1});
  GL.glGetFloatv(GL_LIGHT_MODEL_AMBIENT, ambient);
  EXPECT_EQ(ambient[0], 0.5f);
  EXPECT_EQ(ambient[1], 0.25f);
  OpenGL().Deactivate();
  OpenGL().Activate(Window());
  ASSERT_TRUE(OpenGL().Active());
  GL.glGetFloatv(GL_LIGHT_MODEL_AMBIENT, ambient);
  EXPECT_EQ(ambient[0], 0);
}
