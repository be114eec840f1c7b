#include "gl/Material.h"

#include <gtest/gtest.h>

#include <array>

#include "gl/GLEntryPoints.h"
#include "gl/OpenGL.h"
#include "tests/gl/GLTestContext.h"

using namespace velmora;

namespace {

std::array<float, 4> MaterialValue(GLenum face, GLenum what) {
  std::array<float, 4> v{};
  GL.glGetMaterialfv(face, what, v.data());
  return v;
}

using MaterialGL = velmora::testing::GLContextTest;

}  // namespace

TEST(Material, FacesAndTheirDirtyBits) {
  TGLMaterialList list(nullptr);
  TGLMaterial* m = list.Add();
  EXPECT_EQ(m->Face(), GLenum(GL_FRONT));
  m->SetBackFace(true);
  EXPECT_EQ(m->Face(), GLenum(GL_FRONT_AND_BACK));
  m->SetFrontFace(false);
  EXPECT_EQ(m->Face(), GLenum(GL_BACK));
  m->SetBackFace(false);
  EXPECT_EQ(m->Face(), GLenum(GL_BACK));  // neither: the back, as before
  EXPECT_TRUE(list.SeparateSpecular);
}

TEST_F(MaterialGL, ApplySendsOnlyTheDirtyValuesToTheChosenFaces) {
  TGLMaterial* m = OpenGL().Materials()->Add();
  m->Apply();  // a new material sends its defaults
  EXPECT_EQ(m->DirtyMask(), 0);
  EXPECT_EQ(MaterialValue(GL_FRONT, GL_DIFFUSE), (std::array<float, 4>{0.8f, 0.8f, 0.8f, 1}));

  struct Case {
    void (*set)(TGLMaterial&);
    int32_t bit;
    GLenum what;
    float first;
  } cases[] = {
      {[](TGLMaterial& x) { x.SetAmbient({0.5f, 0, 0, 1}); }, 0x1, GL_AMBIENT, 0.5f},
      {[](TGLMaterial& x) { x.SetDiffuse({0.25f, 0, 0, 1}); }, 0x2, GL_DIFFUSE, 0.25f},
      {[](TGLMaterial& x) { x.SetSpecular({0.75f, 0, 0, 1}); }, 0x8, GL_SPECULAR, 0.75f},
      {[](TGLMaterial& x) { x.SetEmission({0.125f, 0, 0, 1}); }, 0x10, GL_EMISSION, 0.125f},
      {[](TGLMaterial& x) { x.SetShininess(40); }, 0x20, GL_SHININESS, 40},
  };
  for (const Case& c : cases) {
    c.set(*m);
    EXPECT_EQ(m->DirtyMask(), c.bit);
    m->Apply();
    EXPECT_EQ(MaterialValue(GL_FRONT, c.what)[0], c.first);
    EXPECT_NE(MaterialValue(GL_BACK, c.what)[0], c.first);  // the back face is not touched
  }

  // Only the dirty value goes: a value changed behind the material's back
  // stays until everything is marked dirty.
  const float other[4] = {0.9f, 0.9f, 0.9f, 1};
  GL.glMaterialfv(GL_FRONT, GL_AMBIENT, other);
  m->SetDiffuse({0.3f, 0, 0, 1});
  m->Apply();
  EXPECT_EQ(MaterialValue(GL_FRONT, GL_AMBIENT)[0], 0.9f);
  m->MarkAllDirty();
  EXPECT_EQ(MaterialValue(GL_FRONT, GL_AMBIENT)[0], 0.5f);

  // A change of faces sends every colour and the shininess again.
  m->SetBackFace(true);
  EXPECT_EQ(m->DirtyMask(), 0x3B);
  m->Apply();
  EXPECT_EQ(MaterialValue(GL_BACK, GL_DIFFUSE)[0], 0.3f);
  EXPECT_EQ(MaterialValue(GL_BACK, GL_SHININESS)[0], 40);
  EXPECT_EQ(MaterialValue(GL_BACK, GL_EMISSION)[0], 0.125f);

  m->SetFrontFace(false);
  m->SetSpecular({0.6f, 0, 0, 1});
  m->Apply();
  EXPECT_EQ(MaterialValue(GL_BACK, GL_SPECULAR)[0], 0.6f);
  EXPECT_EQ(MaterialValue(GL_FRONT, GL_SPECULAR)[0], 0.75f);
}

TEST_F(MaterialGL, NewContextsGetTheSeparateSpecularColour) {
  EXPECT_EQ(OpenGL().GetInt(GL_LIGHT_MODEL_COLOR_CONTROL), GL_SEPARATE_SPECULAR_COLOR);
  EXPECT_EQ(OpenGL().GetInt(GL_LIGHT_MODEL_LOCAL_VIEWER), 1);
  EXPECT_EQ(OpenGL().Materials()->HasSeparateSpecular(), ExtensionSupported("EXT_separate_specular_color"));

  OpenGL().Materials()->SeparateSpecular = false;
  OpenGL().Deactivate();
  OpenGL().Activate(Window());
  ASSERT_TRUE(OpenGL().Active());
  EXPECT_EQ(OpenGL().GetInt(GL_LIGHT_MODEL_COLOR_CONTROL), GL_SINGLE_COLOR);
}
