// A drawable for the tests of visual objects, sprite lists and particles,
// standing in for meshes and sprites.
//
// TTestSquare draws one flat rectangle from Low to High (at the depth of
// Low.z) in Color, without blending when the colour is opaque and in the
// blended pass when it is not; Clockwise turns its front face away. Every
// pass it gets is recorded with the model-view matrix and stack depth of
// that moment, and every Animate is counted. Keys: Color, Low, High,
// Clockwise.
#pragma once

#include <vector>

#include "gl/GLEntryPoints.h"
#include "scene/RenderState.h"
#include "scene/ResourceLoader.h"
#include "scene/SceneItem.h"

namespace scenetest {

using namespace velmora;

class TTestSquare : public TMainSceneObject {
 public:
  const char* ClassName() const override { return "TTestSquare"; }

  struct TPass {
    char pass;  // 'o' opaque, 't' transparent
    TGLMatrix modelView;
    int depth;
  };

  void Animate(float deltaTime) override {
    ++Animations;
    Time += deltaTime;
  }
  void RenderOpaque() override {
    Record('o');
    if (Color.a < 1) return;
    SetBlending(false);
    Draw();
  }
  void RenderTransparent() override {
    Record('t');
    if (Color.a >= 1) return;
    SetBlending(true);
    Draw();
  }
  void ReadProperties(TResourceLoader& loader) override {
    TMainSceneObject::ReadProperties(loader);
    Color = loader.ReadColor("Color", Color);
    Low = loader.ReadVector("Low", Low);
    High = loader.ReadVector("High", High);
    Clockwise = loader.ReadBool("Clockwise", Clockwise);
  }

  // The translation of the model-view matrix of pass i.
  TGLVector Offset(size_t i) const {
    const TGLMatrix& m = Passes.at(i).modelView;
    return {m[12], m[13], m[14]};
  }
  // The passes of one kind.
  int Count(char pass) const {
    int n = 0;
    for (const TPass& p : Passes) n += p.pass == pass;
    return n;
  }

  TGLColor Color{1, 1, 1, 1};
  TGLVector Low{-0.5f, -0.5f, 0};
  TGLVector High{0.5f, 0.5f, 0};
  bool Clockwise = false;
  std::vector<TPass> Passes;
  int Animations = 0;
  float Time = 0;

 private:
  void Record(char pass) {
    TPass p{pass, {}, 0};
    if (GL.glGetFloatv) {
      GL.glGetFloatv(GL_MODELVIEW_MATRIX, p.modelView.data());
      GL.glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &p.depth);
    }
    Passes.push_back(p);
  }
  void Draw() {
    if (!GL.glBegin) return;
    GL.glColor4f(Color.r, Color.g, Color.b, Color.a);
    const float z = Low.z;
    GL.glBegin(GL_QUADS);
    if (Clockwise) {
      GL.glVertex3f(Low.x, Low.y, z);
      GL.glVertex3f(Low.x, High.y, z);
      GL.glVertex3f(High.x, High.y, z);
      GL.glVertex3f(High.x, Low.y, z);
    } else {
      GL.glVertex3f(Low.x, Low.y, z);
      GL.glVertex3f(High.x, Low.y, z);
      GL.glVertex3f(High.x, High.y, z);
      GL.glVertex3f(Low.x, High.y, z);
    }
    GL.glEnd();
  }
};

}  // namespace scenetest
