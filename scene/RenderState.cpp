#include "scene/RenderState.h"

#include "gl/GLEntryPoints.h"
#include "scene/GroupMaterial.h"
#include "scene/SceneTexture.h"

namespace velmora {

namespace {

struct TRenderState {
  bool lighting = false;
  bool blending = false;
  TSceneTexture* texture = nullptr;
  TGroupMaterial* material = nullptr;
  TGLColor currentColor{1, 1, 1, 1};
};

TRenderState& State() {
  static TRenderState state;
  return state;
}

void Switch(GLenum capability, bool on) {
  if (on) {
    if (GL.glEnable) GL.glEnable(capability);
  } else if (GL.glDisable) {
    GL.glDisable(capability);
  }
}

}  // namespace

void SetLighting(bool on) {
  State().lighting = on;
  Switch(GL_LIGHTING, on);
}

bool SceneLighting() { return State().lighting; }

void SetBlending(bool on) {
  TRenderState& state = State();
  if (on == state.blending) return;
  if (on) {
    if (GL.glBlendFunc) GL.glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (GL.glAlphaFunc) GL.glAlphaFunc(GL_GREATER, kBlendAlphaReference);
  }
  Switch(GL_ALPHA_TEST, on);
  Switch(GL_BLEND, on);
  state.blending = on;
}

bool SceneBlending() { return State().blending; }

void BindSceneTexture(TSceneTexture* texture) {
  TRenderState& state = State();
  if (texture == state.texture) return;
  if (texture) {
    const bool enabling = !state.texture;
    if (enabling) Switch(GL_TEXTURE_2D, true);
    try {
      texture->Bind();
    } catch (...) {
      // A texture that failed to load leaves texturing as the cache says.
      if (enabling) Switch(GL_TEXTURE_2D, false);
      throw;
    }
  } else {
    Switch(GL_TEXTURE_2D, false);
  }
  state.texture = texture;
}

TSceneTexture* SceneTexture() { return State().texture; }

void ApplySceneMaterial(TGroupMaterial* group) {
  TRenderState& state = State();
  if (group == state.material && (!group || group->Applied)) return;
  TGLColor& color = state.currentColor;
  if (group) {
    group->Apply();
    color.a = group->DiffuseAlpha();
  } else {
    color.a = 1.0f;
  }
  if (GL.glColor4fv) GL.glColor4fv(&color.r);
  state.material = group;
}

TGroupMaterial* SceneMaterial() { return State().material; }

TGLColor& CurrentColor() { return State().currentColor; }

void ResetSceneRenderCaches() {
  State().texture = nullptr;
  State().material = nullptr;
  // The cache's "no texture" means texturing off: left on, the first
  // untextured draw would use whatever the last frame bound.
  Switch(GL_TEXTURE_2D, false);
}

void ResetSceneRenderState() { State() = TRenderState{}; }

void ForgetSceneTexture(const TSceneTexture* texture) {
  if (State().texture == texture) State().texture = nullptr;
}

void ForgetSceneMaterial(const TGroupMaterial* group) {
  if (State().material == group) State().material = nullptr;
}

}  // namespace velmora
