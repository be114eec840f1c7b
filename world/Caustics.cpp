#include "world/Caustics.h"

#include <cmath>

#include "gl/GLEntryPoints.h"
#include "scene/SceneTexture.h"

namespace velmora {

float AdvanceCausticPhase(float phase, double deltaTime) {
  double r = std::fmod(double(phase) + kCausticSpeed * deltaTime, kCausticPeriod);
  if (r < 0) r += kCausticPeriod;
  if (!(r < kCausticPeriod)) r = 0;  // not a number, or rounded up to the period
  const float f = static_cast<float>(r);
  return f < static_cast<float>(kCausticPeriod) ? f : 0.0f;
}

void BeginCausticPass(TSceneTexture& map, const TCausticPlanes& planes, double phase) {
  map.UseOnUnit(1, GL_MODULATE);  // selects unit 1
  const GLfloat planeS[4] = {planes.s[0], planes.s[1], planes.s[2], static_cast<GLfloat>(planes.sShift * phase)};
  const GLfloat planeT[4] = {planes.t[0], planes.t[1], planes.t[2], static_cast<GLfloat>(planes.tShift * phase)};
  GL.glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
  GL.glTexGenfv(GL_S, GL_OBJECT_PLANE, planeS);
  GL.glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
  GL.glTexGenfv(GL_T, GL_OBJECT_PLANE, planeT);
  GL.glEnable(GL_TEXTURE_GEN_S);
  GL.glEnable(GL_TEXTURE_GEN_T);
  GL.glActiveTextureARB(GL_TEXTURE0_ARB);
}

void EndCausticPass(TSceneTexture& map) {
  map.DisableOnUnit(1);
  GL.glActiveTextureARB(GL_TEXTURE0_ARB);
}

}  // namespace velmora
