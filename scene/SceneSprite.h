// A sprite: a mesh of one textured quad cut out of a texture by a pixel
// rectangle, drawn in one colour (the sprite clock is made of them).
//
// Lifecycle: made by the loader -> keys read (the quad freed) -> first
// render pass: UpdateSpriteMesh binds the texture (so its image size is
// known) and builds the quad once -> every pass: the quad's single vertex
// colour becomes Color, then the mesh passes draw it -> keys read again:
// the quad is built anew.
//
// Geometry, in drawing units: the quad spans OriginX .. OriginX + Width - 1
// and OriginY .. OriginY + Height - 1 at z = 0, as triangles (0, 1, 2) and
// (0, 2, 3) over the corners upper-left, lower-left, lower-right,
// upper-right. Texture coordinates, with W and H the texture's image width
// and height less one (1 when below 1): u from StartU / W to
// (StartU + Width - 1) / W; v from (H - StartV - Height + 1) / H to
// (H - StartV) / H. The rectangle is counted from the image's top edge,
// texture rows from the bottom: "Plate" (0, 0, 180 x 131 of a 256 x 256
// image) has u 0 .. 179/255 and v 125/255 .. 1. A rectangle reaching
// outside the image gives coordinates outside 0..1 (the texture repeats).
//
// The quad's group is transparent when the material's group 0 is or the
// texture has an alpha channel (then Alpha is set and it draws in the
// blended pass).
//
// Keys (besides those of TSceneMesh):
//   Texture=<reference>      a TSceneTexture; a path that finds nothing
//                            reads as none (a warning in --check)
//   OriginX=, OriginY=       integers, default 0
//   Width=, Height=          integers, default 256
//   StartU=, StartV=         integers, default 0
// Color is set by code, not read. All keys are written.
//
// A sprite without texture or without material draws nothing.
//
// Errors:
//   "TSceneSprite.UpdateSpriteMesh error: Texture=nil! (sprite S)" (when
//     asked to build the quad without texture)
//   those of TSceneMesh::AddGroup (no material, a material without groups).
#pragma once

#include <cstdint>

#include "gl/Types.h"
#include "scene/SceneMesh.h"

namespace velmora {

class TSceneSprite : public TSceneMesh {
 public:
  const char* ClassName() const override { return "TSceneSprite"; }

  int32_t Width = 256;
  int32_t Height = 256;
  int32_t OriginX = 0;
  int32_t OriginY = 0;
  int32_t StartU = 0;
  int32_t StartV = 0;
  // Not owned.
  TSceneTexture* Texture = nullptr;
  bool MeshBuilt = false;
  // The quad's single vertex colour.
  TGLColorBytes Color{255, 255, 255, 255};

  // Builds the quad when it is not built; sets the vertex colour.
  void UpdateSpriteMesh();

  void RenderOpaque() override;
  void RenderTransparent() override;
  void ReadProperties(TResourceLoader& loader) override;
  void WriteProperties(TResourceLoader& loader) override;
};

}  // namespace velmora
