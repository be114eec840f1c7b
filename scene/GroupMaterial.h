// One material group of a scene material: an OpenGL material plus a vertex
// colour. Meshes pick one group per face group and apply it through
// ApplySceneMaterial (RenderState.h).
//
// Lifecycle: made with a material of the context's Materials list (or, for
// a scene without a rendering context, a material of no list, which keeps
// its values but sends nothing) -> values set -> Apply sends every value
// the first time it becomes current, and again whenever another material
// was current in between -> freed with its scene material: it leaves the
// render state cache and frees its OpenGL material, which takes itself out
// of the context's list (so the scene goes before the context object).
//
// Keys of group i (1-based) in its material's section; each defaults to the
// group's current value:
//   Ambient<i>, Diffuse<i>, Specular<i>, Emission<i>, VertexColor<i>
//                           float colours
//   Shininess<i>            float, 0..128 (the range OpenGL accepts); a
//                           value outside is brought to the nearer end
//                           with a warning (TResourceLoader::NoteAdjustedValue)
//   Front<i>, Back<i>       booleans: the faces the material is sent to
#pragma once

#include <cstdint>

#include "gl/Types.h"

namespace velmora {

class TGLMaterial;
class TResourceLoader;
class TSceneMaterial;

class TGroupMaterial {
 public:
  explicit TGroupMaterial(TGLMaterial* material = nullptr) : GLMaterial(material) {}
  // Leaves the render state cache and frees GLMaterial.
  ~TGroupMaterial();
  TGroupMaterial(const TGroupMaterial&) = delete;
  TGroupMaterial& operator=(const TGroupMaterial&) = delete;

  // Owned.
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

  // The keys of the group numbered number (1-based) in the loader's section.
  void ReadProperties(TResourceLoader& loader, int number);
  void WriteProperties(TResourceLoader& loader, int number) const;
};

}  // namespace velmora
