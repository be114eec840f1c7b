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
  // ApplySceneMaterial, BindSceneTexture, then the primitive's draw.
  void Render();
};

class TMeshGroupList : public TBaseList<TMeshGroup> {};

}  // namespace velmora
