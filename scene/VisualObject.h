// Visual objects: a place in the world for a shared drawable.
//
// Meshes and sprites are resources without a position. A TMainVisualObject
// refers to one of them (any TMainItem) by path and wraps the drawable's
// passes in its own transform. A TMainVisualObjectList draws one shared
// drawable once per child, each time with that child's transform: the
// children only carry transforms (the particle lists are built on it).
//
// Lifecycle:
//
//   made -> added to a list -> keys read ("Visual" resolved from the scene;
//   a path that finds nothing leaves no visual, which draws nothing) ->
//   per frame: Animate (the visual advances), RenderOpaque /
//   RenderTransparent from a layer -> freed with its list. The visual is
//   not owned: freeing a drawable that is still referenced is its
//   creator's concern.
//
// Transform (BeginRender; EndRender restores): nothing at all when
// VisualOptions is empty; otherwise the model-view matrix is saved, then
//   voPosition   translate by Position
//   voRotation   rotate Angles.y about y, then Angles.x about x, then
//                Angles.z about z (degrees)
//   voScale      scale by Scale
// in this order. A transform with a value that is not finite (set in code)
// collapses to a point instead, so such a value never reaches OpenGL and
// nothing of the object shows.
//
// TMainVisualObject::Render is the inherited one: the transform around the
// whole and once more around each pass (RenderOpaque and RenderTransparent
// apply it themselves), so a plain Render applies it twice. Layers call the
// passes directly.
//
// Keys of TMainVisualObject (besides those of TMainObject):
//   VisualOptions=<text>   members found as substrings "Position",
//                          "Rotation", "Scale"; without the key
//                          [Position,Rotation] whatever the current value;
//                          written "[Position]", "[Position,Rotation]", ...,
//                          "[]" for none
//   Position=<vector>, Scale=<vector>, Angles=<vector>   default current
//   Visual=<path>          the drawable; default current
// Keys of TMainVisualObjectList (besides those of TResource): Visual.
// Every key is written back; "Visual" only when set.
//
// Drawing never loops: a "Visual" that would draw the object inside its
// own drawing (itself, a list that holds it, ...) is refused while
// loading, and visuals nested deeper than kMaxVisualNesting (a chain or a
// loop made in code) are not drawn or animated below that depth.
//
// Errors:
//   "<class>.ReadProperties error: Visual <path> would draw <name> inside itself (file F, section [S], key Visual)"
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "gl/Types.h"
#include "scene/Resource.h"

namespace velmora {

// Which parts of the transform a visual object applies: a set of these.
using TVisualOptions = uint8_t;
enum : TVisualOptions {
  voPosition = 1,
  voRotation = 2,
  voScale = 4,
};

TVisualOptions StrToVisualOptions(std::string_view text);
// "[Position,Rotation]" and so on; "[]" for the empty set.
std::string VisualOptionsToStr(TVisualOptions options);

// How deep visuals may draw visuals (each level saves one model-view
// matrix; OpenGL guarantees a stack of 32).
constexpr int kMaxVisualNesting = 16;

class TMainVisualObject : public TMainSceneObject {
 public:
  const char* ClassName() const override { return "TMainVisualObject"; }

  TGLVector Position{0, 0, 0};
  TGLVector Scale{1, 1, 1};
  // Degrees about x, y and z.
  TGLVector Angles{0, 0, 0};
  TVisualOptions VisualOptions = voPosition | voRotation;
  // The drawable; not owned.
  TMainItem* Visual = nullptr;

  // The visual's Animate.
  void Animate(float deltaTime) override;
  // Saves the model-view matrix and applies the transform (see above).
  void BeginRender() override;
  // Restores the matrix when BeginRender saved it.
  void EndRender() override;
  // With a visual: BeginRender, the visual's pass, EndRender.
  void RenderOpaque() override;
  void RenderTransparent() override;
  void ReadProperties(TResourceLoader& loader) override;
  void WriteProperties(TResourceLoader& loader) override;

 private:
  // Matrices BeginRender saved and EndRender has not restored yet (a plain
  // Render nests two).
  int saved_ = 0;
};

class TMainVisualObjectList : public TResource {
 public:
  TMainVisualObjectList();

  const char* ClassName() const override { return "TMainVisualObjectList"; }

  // The drawable every child shows; not owned.
  TMainItem* Visual = nullptr;

  // The visual's Animate once, when there is a visual and at least one
  // child; the children are not animated.
  void Animate(float deltaTime) override;
  // Alpha follows the visual's Alpha; then, when visible: BeginRender,
  // RenderOpaque, RenderTransparent when Alpha, EndRender.
  void Render() override;
  // For every child in list order, visible or not: the child's
  // BeginRender, the visual's pass, the child's EndRender. The
  // transparent pass only when the visual has Alpha.
  void RenderOpaque() override;
  void RenderTransparent() override;
  void ReadProperties(TResourceLoader& loader) override;
  void WriteProperties(TResourceLoader& loader) override;
  // True: children in name order; false: in the order they were added.
  void SetSorted(bool value) override;
};

// Whether drawing drawable reaches item: drawable is item, or item is drawn
// through drawable's visual or its children, at any depth.
bool DrawsItem(const TMainItem* drawable, const TMainItem* item);

}  // namespace velmora
