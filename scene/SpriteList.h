// The screen-space layer: a list whose children draw over the 3D scene in
// a fixed virtual screen, whatever the window's size (the digital clock is
// one, a list of visual objects showing sprites).
//
// Lifecycle: made visible -> keys read, children loaded -> every frame
// Render -> freed with its children.
//
// Render, every frame, whether visible or not:
//   1. GL_LIGHTING on when Lighting is set, else off (sent directly; the
//      scene's lighting flag, SceneLighting, is left as it was)
//   2. back-face culling, depth test and fog off
//   3. projection saved, then an orthographic view: x from 0 (left) to
//      ViewWidth, y from 0 (bottom) to ViewHeight, depth -100 .. 100
//   4. model-view saved, then identity moved by (Position.x, Position.y)
//      (both saved on OpenGL's stacks while they have room, else in memory:
//      gl/SavedMatrix.h; lists may nest as deep as a description likes)
//   5. the layer's drawing (TSceneLayer::Render): when visible, the opaque
//      parts of all visible children, then, when Alpha, their transparent
//      parts
//   6. projection and model-view restored (the model-view matrix is the
//      current one afterwards), depth test and culling on again; fog and
//      lighting stay as steps 1 and 2 left them
// A child at Position=x,y,0 (a visual object) therefore draws with its
// origin x units right of and y units above the list's lower-left corner.
//
// Keys (besides those of TResource):
//   Position=<vector>     default current; only x and y are used
//   ViewWidth=<float>     default current (1024 at creation)
//   ViewHeight=<float>    default current (768 at creation)
//   Lighting=<boolean>    default current (false at creation)
// All four are written back. A view size that is not above 0 cannot make a
// projection: it becomes 1, with a warning (TResourceLoader::NoteAdjustedValue);
// not a number keeps the current.
#pragma once

#include "gl/Types.h"
#include "scene/Resource.h"

namespace velmora {

class TMainSpriteList : public TSceneLayer {
 public:
  const char* ClassName() const override { return "TMainSpriteList"; }

  // The virtual screen; a size that is not above 0 (set in code) leaves
  // the projection at identity.
  float ViewWidth = 1024;
  float ViewHeight = 768;
  // Only x and y are used.
  TGLVector Position{0, 0, 0};
  bool Lighting = false;

  void Render() override;
  void ReadProperties(TResourceLoader& loader) override;
  void WriteProperties(TResourceLoader& loader) override;
};

}  // namespace velmora
