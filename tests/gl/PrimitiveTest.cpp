#include "gl/Primitive.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "core/Error.h"
#include "gl/GLEntryPoints.h"
#include "gl/OpenGL.h"
#include "tests/gl/GLTestContext.h"

using namespace velmora;

namespace {

std::array<int, 4> Pixel(int x, int y) {
  uint8_t p[4] = {};
  GL.glFinish();
  GL.glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
  return {p[0], p[1], p[2], p[3]};
}

bool ClientEnabled(GLenum array) { return GL.glIsEnabled(array) == GL_TRUE; }

// A quad over the whole 64 x 64 window, corners counter-clockwise from the
// lower left; identity matrices, cleared to black.
void MakeScreenQuad(TGLPrimitive& p) {
  p.Mode = GL_QUADS;
  p.Vertices.LoadFromArray(std::vector<float>{-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1, 0});
}

void ResetScreen() {
  GL.glViewport(0, 0, 64, 64);
  GL.glMatrixMode(GL_PROJECTION);
  GL.glLoadIdentity();
  GL.glMatrixMode(GL_MODELVIEW);
  GL.glLoadIdentity();
  GL.glDisable(GL_LIGHTING);
  GL.glDisable(GL_DEPTH_TEST);
  GL.glClearColor(0, 0, 0, 1);
  GL.glClear(GL_COLOR_BUFFER_BIT);
}

class PrimitiveRender : public velmora::testing::GLContextTest {
 protected:
  void SetUp() override {
    GLContextTest::SetUp();
    if (HasFatalFailure()) return;
    ResetScreen();
    p = OpenGL().Primitives()->Add();
    MakeScreenQuad(*p);
  }
  TGLPrimitive* p = nullptr;
};

}  // namespace

// --- list and array handling, no context ---------------------------------------

TEST(PrimitiveList, ItemsLeaveTheListWhenFreedAndTheListFreesTheRest) {
  TGLPrimitiveList list(nullptr);
  TGLPrimitive* a = list.Add();
  TGLPrimitive* b = list.Add();
  TGLPrimitive* c = list.Add();
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(b->List(), &list);
  delete b;
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Items(0), a);
  EXPECT_EQ(list.Items(1), c);
  EXPECT_EQ(list.IndexOf(b), -1);
  try {
    list.Items(2);
    FAIL();
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "TGLItemList.GetItems error: Index out of bounds");
  }
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

TEST(PrimitiveList, TextureCoordsOfUnitsZeroToTwoOnly) {
  TGLPrimitive p(nullptr);
  EXPECT_EQ(&p.TextureCoords(2), &p.TexCoords[2]);
  try {
    p.TextureCoords(3);
    FAIL();
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "TGLPrimitive.GetTextureCoords error: Index out of bounds");
  }
  EXPECT_THROW(p.TextureCoords(-1), Error);
}

TEST(PrimitiveList, AssignToAddsToTheSameListAndCopiesTheArrays) {
  TGLPrimitiveList list(nullptr);
  TGLPrimitive* src = list.Add();
  src->Mode = GL_QUADS;
  src->Vertices.LoadFromArray(std::vector<float>{1, 2, 3, 4, 5, 6});
  src->Indices.LoadFromArray(std::vector<uint16_t>{1, 0});
  src->TexCoords[2].LoadFromArray(std::vector<float>{0.5f, 0.25f});
  TGLPrimitive* copy = nullptr;
  src->AssignTo(copy);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(copy->List(), &list);
  EXPECT_EQ(copy->Mode, GLenum(GL_QUADS));
  EXPECT_EQ(copy->Vertices.GetVector(1), MakeVector(4, 5, 6));
  EXPECT_EQ(copy->Indices.GetIndex(0), 1);
  EXPECT_EQ(copy->TexCoords[2].GetTexCoord(0).t, 0.25f);
  EXPECT_NE(copy->Vertices.Data(), src->Vertices.Data());

  // Into an existing primitive: arrays empty in the source stay.
  TGLPrimitive* other = list.Add();
  other->Colors.LoadFromWords(std::vector<uint32_t>{0xFF00FF00u});
  src->AssignTo(other);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(other->Colors.Count(), 1);
  EXPECT_EQ(other->Vertices.Count(), 2);
}

TEST(PrimitiveGeometry, CalcNormalsOfIndexedTrianglesAccumulatesSharedCorners) {
  TGLPrimitive p(nullptr);
  // Two triangles folded along the edge 0-1: one in the z = 0 plane facing
  // +z, one in the y = 0 plane facing +y.
  p.Vertices.LoadFromArray(std::vector<float>{0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, -1});
  p.Indices.LoadFromArray(std::vector<uint16_t>{0, 1, 2, 0, 1, 3});
  p.CalcNormals();
  ASSERT_EQ(p.Normals.Count(), 4);
  const float h = std::sqrt(0.5f);
  for (int shared : {0, 1}) {
    EXPECT_NEAR(p.Normals.GetVector(shared).x, 0, 1e-6f);
    EXPECT_NEAR(p.Normals.GetVector(shared).y, h, 1e-6f);
    EXPECT_NEAR(p.Normals.GetVector(shared).z, h, 1e-6f);
  }
  EXPECT_EQ(p.Normals.GetVector(2), MakeVector(0, 0, 1));
  EXPECT_EQ(p.Normals.GetVector(3), MakeVector(0, 1, 0));

  p.Indices.LoadFromArray(std::vector<uint16_t>{0, 1, 4});
  EXPECT_THROW(p.CalcNormals(), Error);
}

TEST(PrimitiveGeometry, CalcNormalsOfUnindexedFacesAndIndexedQuads) {
  TGLPrimitive p(nullptr);
  // Two separate triangles, the second wound the other way, and one stray
  // vertex that belongs to no whole face.
  p.Vertices.LoadFromArray(std::vector<float>{0, 0, 0, 2, 0, 0, 0, 2, 0,  //
                                              0, 0, 5, 0, 3, 5, 3, 0, 5,  //
                                              9, 9, 9});
  p.CalcNormals();
  ASSERT_EQ(p.Normals.Count(), 7);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(p.Normals.GetVector(i), MakeVector(0, 0, 1));
  for (int i = 3; i < 6; ++i) EXPECT_EQ(p.Normals.GetVector(i), MakeVector(0, 0, -1));
  EXPECT_EQ(p.Normals.GetVector(6), MakeVector(0, 0, 0));

  p.Mode = GL_QUADS;
  p.Vertices.LoadFromArray(std::vector<float>{0, 0, 0, 0, 0, 1, 1, 0, 1, 1, 0, 0});
  p.CalcNormals();
  ASSERT_EQ(p.Normals.Count(), 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(p.Normals.GetVector(i), MakeVector(0, 1, 0));

  p.Indices.LoadFromArray(std::vector<uint16_t>{0, 1, 2, 3});
  p.CalcNormals();
  ASSERT_EQ(p.Normals.Count(), 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(p.Normals.GetVector(i), MakeVector(0, 0, 0));
}

TEST(PrimitiveGeometry, BlendRotateAndTransformTheVertices) {
  TGLPrimitive p(nullptr);
  TGLVectorDArray a, b;
  a.LoadFromArray(std::vector<float>{0, 0, 0, 1, 1, 1});
  b.LoadFromArray(std::vector<float>{2, 4, 6, 1, 1, 1});
  p.BlendVertices(a, b, 0.5f);
  ASSERT_EQ(p.Vertices.Count(), 2);
  EXPECT_EQ(p.Vertices.GetVector(0), MakeVector(1, 2, 3));
  p.BlendNormals(a, b, 0.5f);  // no normals: none made
  EXPECT_EQ(p.Normals.Count(), 0);
  p.Normals.SetCount(2);
  p.BlendNormals(a, b, 1);
  EXPECT_EQ(p.Normals.GetVector(0), MakeVector(2, 4, 6));

  p.RotateZ(180);  // x and y change sign
  EXPECT_NEAR(p.Vertices.GetVector(0).x, -1, 1e-5f);
  EXPECT_NEAR(p.Vertices.GetVector(0).y, -2, 1e-5f);
  EXPECT_EQ(p.Vertices.GetVector(0).z, 3);
  TGLMatrix m = IdentityMatrix();
  m[14] = -3;
  p.Transform(m);
  EXPECT_NEAR(p.Vertices.GetVector(0).z, 0, 1e-6f);
}

// --- rendering ---------------------------------------------------------------

TEST_F(PrimitiveRender, PerVertexColoursAreInterpolated) {
  p->Colors.LoadFromBytes(std::vector<uint8_t>{255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255},
                          true);
  p->Render();
  EXPECT_TRUE(ClientEnabled(GL_COLOR_ARRAY));
  auto ll = Pixel(0, 0), lr = Pixel(63, 0), ur = Pixel(63, 63), ul = Pixel(0, 63);
  EXPECT_GT(ll[0], 240);
  EXPECT_LT(ll[1], 15);
  EXPECT_GT(lr[1], 240);
  EXPECT_LT(lr[0], 15);
  EXPECT_GT(ur[2], 240);
  EXPECT_LT(ur[0], 15);
  EXPECT_GT(ul[0], 240);
  EXPECT_GT(ul[1], 240);
}

TEST_F(PrimitiveRender, OneColourPaintsEveryVertexAndOtherCountsUseTheCurrentColour) {
  p->Colors.LoadFromWords(std::vector<uint32_t>{0xFF20A0F0u});  // r F0, g A0, b 20
  p->Render();
  EXPECT_FALSE(ClientEnabled(GL_COLOR_ARRAY));
  EXPECT_EQ(Pixel(5, 5), (std::array<int, 4>{0xF0, 0xA0, 0x20, 0xFF}));
  EXPECT_EQ(Pixel(60, 60), (std::array<int, 4>{0xF0, 0xA0, 0x20, 0xFF}));

  // Two colours for four vertices: not used, the current colour draws.
  GL.glColor4ub(0, 200, 0, 255);
  p->Colors.LoadFromWords(std::vector<uint32_t>{0xFF0000FFu, 0xFF0000FFu});
  p->Render();
  EXPECT_EQ(Pixel(30, 30), (std::array<int, 4>{0, 200, 0, 255}));

  // No colours at all: the same.
  GL.glColor4ub(0, 0, 90, 255);
  p->Colors.SetCount(0);
  p->Render();
  EXPECT_EQ(Pixel(30, 30), (std::array<int, 4>{0, 0, 90, 255}));
}

TEST_F(PrimitiveRender, NormalsAreUsedOnlyPerVertexOrAsOne) {
  // A white light straight ahead, lighting on: a face turned to it is bright,
  // one turned away only gets the ambient term.
  GL.glEnable(GL_LIGHTING);
  GL.glEnable(GL_LIGHT0);
  const float pos[4] = {0, 0, 1, 0};
  GL.glLightfv(GL_LIGHT0, GL_POSITION, pos);
  GL.glColor4ub(255, 255, 255, 255);

  p->Normals.LoadFromArray(std::vector<float>{0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1});
  p->Render();
  EXPECT_TRUE(ClientEnabled(GL_NORMAL_ARRAY));
  int lit = Pixel(30, 30)[0];
  EXPECT_GT(lit, 150);

  p->Normals.LoadFromArray(std::vector<float>{0, 0, -1});
  p->Render();
  EXPECT_FALSE(ClientEnabled(GL_NORMAL_ARRAY));
  float current[4] = {};
  GL.glGetFloatv(GL_CURRENT_NORMAL, current);
  EXPECT_EQ(current[2], -1);
  int dark = Pixel(30, 30)[0];
  EXPECT_LT(dark, 80);

  // Two normals for four vertices: no normal is sent, the last one stays.
  GL.glNormal3f(0, 0, 1);
  p->Normals.LoadFromArray(std::vector<float>{0, 0, -1, 0, 0, -1});
  p->Render();
  EXPECT_FALSE(ClientEnabled(GL_NORMAL_ARRAY));
  EXPECT_EQ(Pixel(30, 30)[0], lit);
}

TEST_F(PrimitiveRender, TextureCoordinatesFollowTheirCount) {
  p->TexCoords[0].LoadFromArray(std::vector<float>{0, 0, 1, 0, 1, 1, 0, 1});
  p->Render();
  EXPECT_TRUE(ClientEnabled(GL_TEXTURE_COORD_ARRAY));
  void* pointer = nullptr;
  GL.glGetPointerv(GL_TEXTURE_COORD_ARRAY_POINTER, &pointer);
  EXPECT_EQ(pointer, p->TexCoords[0].Data());

  p->TexCoords[0].SetCount(3);  // another size: left as it was
  p->Render();
  EXPECT_TRUE(ClientEnabled(GL_TEXTURE_COORD_ARRAY));

  p->TexCoords[0].SetCount(0);
  p->Render();
  EXPECT_FALSE(ClientEnabled(GL_TEXTURE_COORD_ARRAY));

  // A textured draw: a 2 x 1 texture, red left, blue right.
  const uint8_t texels[8] = {255, 0, 0, 255, 0, 0, 255, 255};
  GLuint tex = 0;
  GL.glGenTextures(1, &tex);
  GL.glBindTexture(GL_TEXTURE_2D, tex);
  GL.glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  GL.glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
  GL.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  GL.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  GL.glEnable(GL_TEXTURE_2D);
  GL.glColor4ub(255, 255, 255, 255);
  p->TexCoords[0].LoadFromArray(std::vector<float>{0, 0, 1, 0, 1, 1, 0, 1});
  p->Render();
  EXPECT_EQ(Pixel(10, 30), (std::array<int, 4>{255, 0, 0, 255}));
  EXPECT_EQ(Pixel(54, 30), (std::array<int, 4>{0, 0, 255, 255}));
  GL.glDisable(GL_TEXTURE_2D);
  GL.glDeleteTextures(1, &tex);
}

TEST_F(PrimitiveRender, MultiTextureSetsEveryUnitAndHandsBackUnitZero) {
  ASSERT_NE(GL.glClientActiveTextureARB, nullptr);
  ASSERT_GE(OpenGL().Primitives()->MaxTextureUnits, 2);
  p->MultiTexture = true;
  for (int u = 0; u < 3; ++u) p->TexCoords[u].LoadFromArray(std::vector<float>{0, 0, 1, 0, 1, 1, 0, 1});
  p->Render();
  EXPECT_EQ(OpenGL().GetInt(GL_CLIENT_ACTIVE_TEXTURE_ARB), GL_TEXTURE0_ARB);
  EXPECT_TRUE(ClientEnabled(GL_TEXTURE_COORD_ARRAY));
  // The other units do not keep pointing into this primitive's memory.
  GL.glClientActiveTextureARB(GL_TEXTURE1_ARB);
  EXPECT_FALSE(ClientEnabled(GL_TEXTURE_COORD_ARRAY));
  GL.glClientActiveTextureARB(GL_TEXTURE0_ARB);
}

TEST_F(PrimitiveRender, IndicesPickTheCornersAndBadOnesAreRefused) {
  // A triangle over the right half only: corners 1, 2 and the bottom right
  // corner again, then the same with 1, 2, 3 indexed as a quad.
  GL.glColor4ub(255, 255, 255, 255);
  p->Mode = GL_TRIANGLES;
  p->Indices.LoadFromArray(std::vector<uint16_t>{1, 2, 1});
  p->Render();
  EXPECT_EQ(Pixel(32, 32)[0], 0);  // a degenerate triangle draws nothing
  p->Indices.LoadFromArray(std::vector<uint16_t>{0, 1, 2});
  p->Render();
  EXPECT_EQ(Pixel(60, 5)[0], 255);   // below the diagonal
  EXPECT_EQ(Pixel(5, 60)[0], 0);     // above it
  p->Indices.LoadFromArray(std::vector<uint16_t>{0, 1, 4});
  EXPECT_THROW(p->Render(), Error);
}

TEST_F(PrimitiveRender, DisplayListKeepsTheCompiledDrawUntilReleased) {
  p->UseDisplayList = true;
  p->Colors.LoadFromWords(std::vector<uint32_t>{0xFF0000FFu});
  p->Render();
  ASSERT_TRUE(p->Compiled);
  EXPECT_EQ(GL.glIsList(p->ListName), GL_TRUE);
  EXPECT_EQ(Pixel(30, 30), (std::array<int, 4>{255, 0, 0, 255}));

  // The list holds the data as it was compiled.
  p->Colors.SetColor(0, 0xFF00FF00u);
  GL.glClear(GL_COLOR_BUFFER_BIT);
  p->Render();
  EXPECT_EQ(Pixel(30, 30), (std::array<int, 4>{255, 0, 0, 255}));

  GLuint name = p->ListName;
  OpenGL().Primitives()->ReleaseAll();
  EXPECT_FALSE(p->Compiled);
  EXPECT_EQ(GL.glIsList(name), GL_FALSE);
  p->Render();
  EXPECT_TRUE(p->Compiled);
  EXPECT_EQ(Pixel(30, 30), (std::array<int, 4>{0, 255, 0, 255}));

  // A primitive freed while the context is active hands its list back.
  name = p->ListName;
  delete p;
  EXPECT_EQ(GL.glIsList(name), GL_FALSE);
}

TEST_F(PrimitiveRender, EmptyPrimitiveDrawsNothingAndListsRecompileInANewContext) {
  TGLPrimitive* empty = OpenGL().Primitives()->Add();
  empty->UseDisplayList = true;
  empty->Render();
  EXPECT_FALSE(empty->Compiled);

  p->UseDisplayList = true;
  p->Render();
  ASSERT_TRUE(p->Compiled);
  OpenGL().Deactivate();
  EXPECT_FALSE(p->Compiled);
  OpenGL().Activate(Window());
  ASSERT_TRUE(OpenGL().Active());
  ResetScreen();
  GL.glColor4ub(0, 0, 255, 255);
  p->Render();
  EXPECT_TRUE(p->Compiled);
  EXPECT_EQ(Pixel(30, 30), (std::array<int, 4>{0, 0, 255, 255}));
}
