// One face group of a scene mesh: an indexed triangle primitive drawn with
// one texture and one material group, and its animation frames.
//
// Lifecycle: made by TSceneMesh::AddGroup (a new primitive of the
// context's primitive list, or of no list for a mesh in no scene with a
// rendering context; empty vertex frames) -> filled by the 3DM mesh loader,
// a sprite or code -> every frame the mesh blends two of its frames into
// the primitive's vertex array (Blend) and draws it (Render) -> freed with
// its mesh, freeing its primitive and frames (so the scene goes before the
// context object).
//
// The texture and the material group belong to their lists; the group only
// points at them.
//
// A thin sheet seen from both sides comes as every triangle twice, once in
// each winding, and culling leaves whichever faces the eye. FoldTwinFaces
// keeps one of each such pair (the first, in the group's order) and has the
// group drawn with culling off: the same pixels from half the triangles.
#pragma once

#include "gl/DArray.h"
#include "scene/BaseList.h"

namespace velmora {

class TGLPrimitive;
class TGroupMaterial;
class TSceneTexture;

// One vertex (or normal) array per animation frame.
class TVertexFrameList : public TBaseList<TGLVectorDArray> {};

class TMeshGroup {
 public:
  // primitive is taken over.
  explicit TMeshGroup(TGLPrimitive* primitive);
  ~TMeshGroup();
  TMeshGroup(const TMeshGroup&) = delete;
  TMeshGroup& operator=(const TMeshGroup&) = delete;

  // Not owned; may be nullptr.
  TSceneTexture* Texture = nullptr;
  // Not owned.
  TGroupMaterial* MaterialGroup = nullptr;
  // Owned.
  TGLPrimitive* Primitive;
  TVertexFrameList VertexFrames;
  TVertexFrameList NormalFrames;

  // The primitive's vertex array := frame from + (frame to - frame from) x
  // fraction, and likewise its normals when withNormals is set and the
  // primitive has normals. A pair of frames that does not exist or does not
  // match the primitive's vertex count leaves the array as it is.
  void Blend(int from, int to, float fraction, bool withNormals);
  // Drawn with culling off (FoldTwinFaces); the culling switch is left as
  // it was found.
  bool BothSides = false;

  // Only where every triangle has a twin of the opposite winding over the
  // same three vertices: keeps the first of each pair, in order, and sets
  // BothSides. Otherwise (a lone triangle, no indices, not triangles) the
  // group stays as it is and the answer is false.
  bool FoldTwinFaces();
  // ApplySceneMaterial, BindSceneTexture, then the primitive's draw.
  void Render();
};

class TMeshGroupList : public TBaseList<TMeshGroup> {};

}  // namespace velmora
