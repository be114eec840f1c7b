// One material group of a scene material: an OpenGL material of the
// context's material list plus a vertex colour. Meshes pick one group per
// face group and apply it through ApplySceneMaterial (RenderState.h).
//
// Lifecycle: made with a material of the context's Materials list (the
// list keeps and frees it) -> values set -> Apply sends every value the
// first time it becomes current, and again whenever another material was
// current in between -> freed with its scene material (leaving the render
// state cache).
#pragma once

#include <cstdint>

#include "gl/Types.h"

namespace velmora {

class TGLMaterial;
class TSceneMaterial;

class TGroupMaterial {
 public:
  explicit TGroupMaterial(TGLMaterial* material = nullptr) : GLMaterial(material) {}
  ~TGroupMaterial();
  TGroupMaterial(const TGroupMaterial&) = delete;
  TGroupMaterial& operator=(const TGroupMaterial&) = delete;

  // Not freed by the group.
  TGLMaterial* GLMaterial;
  // Position in its material, 0-based; -1 before it is added.
  int32_t Index = -1;
  // The owning scene material; not owned.
  TSceneMaterial* Material = nullptr;
  TGLColor VertexColor{1, 1, 1, 1};
  // Set by the first Apply.
  bool Applied = false;

  // Sends every value of the material (another one may have been sent in
  // between) and sets Applied.
  void Apply();
  // The diffuse alpha; 1 without a material.
  float DiffuseAlpha() const;
  // The diffuse alpha is below 0.99: the group belongs to the blended pass.
  bool IsTransparent() const { return DiffuseAlpha() < 0.99f; }
};

}  // namespace velmora
