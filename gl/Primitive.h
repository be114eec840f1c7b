// Primitives: one vertex-array draw call with optional normals, colours and
// up to three texture-coordinate sets.
//
// The arrays live in client memory and are handed to OpenGL in place each
// time the primitive is drawn. With UseDisplayList the first Render compiles
// the draw into a display list (which copies the data as it is then) and
// later renders only call it: change the arrays of such a primitive after
// ReleaseList, or the list keeps drawing the old data. The list is a driver
// object; the rendering context object releases it (ReleaseAll) before the
// context goes, and the next Render compiles it again.
#pragma once

#include <cstdint>

#include <GL/gl.h>

#include "gl/DArray.h"
#include "gl/ItemList.h"
#include "gl/Types.h"

namespace velmora {

class TGLPrimitiveList;

class TGLPrimitive : public TGLItem {
 public:
  explicit TGLPrimitive(TGLPrimitiveList* list);
  ~TGLPrimitive() override;

  // Triangle or quad corners; empty: the vertices are drawn in order.
  TGLIndexDArray Indices;
  // One set per texture unit 0, 1, 2.
  TGLTextureCoordDArray TexCoords[3];
  // As many as Vertices to be used per vertex; exactly one to be used for
  // every vertex; any other count is not used.
  TGLVectorDArray Normals;
  TGLVectorDArray Vertices;
  TGLColorDArray Colors;  // the same rule as Normals
  GLenum Mode = GL_TRIANGLES;
  uint32_t ListName = 0;
  bool Compiled = false;
  // Set up texture coordinates for every texture unit, not only unit 0.
  bool MultiTexture = false;
  bool UseDisplayList = false;

  // Draws the primitive (nothing when there are no vertices). An index at or
  // beyond the vertex count raises "TGLPrimitive.Render error: ..." before
  // anything reaches the driver.
  void Render();
  // Per-vertex normals from the faces: shared corners of an indexed
  // triangle list accumulate their faces' normals; unindexed triangles and
  // quads take the normal of their own face; indexed quads get zero normals.
  void CalcNormals();
  // Unit 0..2; others raise "TGLPrimitive.GetTextureCoords error: Index out
  // of bounds".
  TGLTextureCoordDArray& TextureCoords(int unit);
  // Copies mode and arrays into dest; when dest is nullptr a new primitive
  // is added to this one's list first (and is the caller's to keep when this
  // primitive has no list). Arrays that are empty here are left as they are
  // in dest.
  void AssignTo(TGLPrimitive*& dest) const;
  // Vertices := a + (b - a) x t; nothing when a and b differ in count.
  void BlendVertices(const TGLVectorDArray& a, const TGLVectorDArray& b, float t);
  // The same for Normals, and only when there are normals.
  void BlendNormals(const TGLVectorDArray& a, const TGLVectorDArray& b, float t);
  // Rotates the vertices about the z axis.
  void RotateZ(float degrees);
  void Transform(const TGLMatrix& matrix);
  // Deletes the compiled display list.
  void ReleaseList();

 private:
  TGLPrimitiveList* Primitives() const;
  int TextureUnits() const;
  void SetUpArrays();
  void Draw();
  void CheckIndices() const;
};

class TGLPrimitiveList : public TGLItemList {
 public:
  explicit TGLPrimitiveList(TCustomOpenGL* owner) : TGLItemList(owner) {}
  ~TGLPrimitiveList() override;

  // A new empty primitive, appended.
  TGLPrimitive* Add();
  TGLPrimitive* Items(int index) const { return ItemsAs<TGLPrimitive>(index); }

  // GL_MAX_TEXTURE_UNITS_ARB with "GL_ARB_multitexture", else 1; read by
  // InitGL.
  int MaxTextureUnits = 1;

  void InitGL() override;
  // Every primitive's ReleaseList; the context object calls it before it
  // deletes the context.
  void ReleaseAll();
};

}  // namespace velmora
