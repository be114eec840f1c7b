// The OpenGL state that every drawing class of the scene shares, switched
// only through these calls so that nothing is sent twice.
//
//   SetLighting(on)        records the flag (mesh animation reads it) and
//                          switches GL_LIGHTING; always sent
//   SetBlending(on)        only on a change: on = blend function source
//                          alpha / one minus source alpha, alpha test
//                          passing alpha above 0.05, GL_ALPHA_TEST and
//                          GL_BLEND enabled; off = both disabled
//   BindSceneTexture(t)    only on a change: a texture after none enables
//                          GL_TEXTURE_2D, then the texture binds itself
//                          (loading and uploading it on first use); none
//                          disables GL_TEXTURE_2D
//   ApplySceneMaterial(g)  nothing when g is the cached group and has been
//                          applied before (or both are none); otherwise the
//                          group applies its material, CurrentColor takes
//                          the group's diffuse alpha (1 for none) and is
//                          sent with glColor4fv
//   CurrentColor()         starts 1, 1, 1, 1; lights overwrite it when they
//                          switch on, unlit drawing starts from it
//
// Lifecycle: module start (RegisterSceneClasses) resets everything, with
// blending off -> each scene render starts with ResetSceneRenderCaches
// (texture and material none, texturing off) and SetBlending(false) ->
// drawing classes call SetBlending(false) before opaque and
// SetBlending(true) before transparent geometry. A texture or material
// group that is freed (or a texture whose OpenGL texture is) takes itself
// out of the cache (ForgetSceneTexture, ForgetSceneMaterial).
//
// One context current on the main thread is assumed; without a loaded GL
// library the switches only update the cache.
#pragma once

#include "gl/Types.h"

namespace velmora {

class TGroupMaterial;
class TSceneTexture;

void SetLighting(bool on);
// The flag SetLighting last recorded.
bool SceneLighting();
// The alpha test of blended drawing: a pixel whose alpha is not above this
// is dropped.
inline constexpr float kBlendAlphaReference = 0.05f;
void SetBlending(bool on);
bool SceneBlending();
void BindSceneTexture(TSceneTexture* texture);
TSceneTexture* SceneTexture();
void ApplySceneMaterial(TGroupMaterial* group);
TGroupMaterial* SceneMaterial();
TGLColor& CurrentColor();

// Texture and material back to none, and GL_TEXTURE_2D switched off to
// match (of the active texture unit, unit 0 between draws).
void ResetSceneRenderCaches();
// Every cache back to its start: lighting and blending off, texture and
// material none, CurrentColor white (no OpenGL call).
void ResetSceneRenderState();
// A texture or group that is being freed leaves the cache.
void ForgetSceneTexture(const TSceneTexture* texture);
void ForgetSceneMaterial(const TGroupMaterial* group);

}  // namespace velmora
