#include "gl/Light.h"

#include <algorithm>

#include "core/Error.h"
#include "gl/GLEntryPoints.h"
#include "gl/OpenGL.h"

namespace velmora {

TGLLight::TGLLight(TGLLightList* list) : TGLItem(list) {}

TGLLight::~TGLLight() {
  if (!enabled_) return;
  if (ContextActive())
    Disable();
  else if (ownsIndex_ && Lights())
    Lights()->ReleaseLight(lightIndex_);
}

TGLLightList* TGLLight::Lights() const { return static_cast<TGLLightList*>(List()); }

bool TGLLight::ContextActive() const { return List() && List()->ContextActive(); }

void TGLLight::SetAmbient(const TGLColor& c) {
  ambient_ = c;
  dirtyMask_ |= ldAmbient;
}
void TGLLight::SetDiffuse(const TGLColor& c) {
  diffuse_ = c;
  dirtyMask_ |= ldDiffuse;
}
void TGLLight::SetSpecular(const TGLColor& c) {
  specular_ = c;
  dirtyMask_ |= ldSpecular;
}
void TGLLight::SetPosition(const TGLVector& v) {
  position_ = v;
  dirtyMask_ |= ldPosition;
}
void TGLLight::SetSpotDirection(const TGLVector& v) {
  spotDirection_ = v;
  dirtyMask_ |= ldSpotDirection;
}
void TGLLight::SetSpotExponent(float v) {
  spotExponent_ = v;
  dirtyMask_ |= ldSpotExponent;
}
void TGLLight::SetSpotCutoff(float v) {
  spotCutoff_ = v;
  dirtyMask_ |= ldSpotCutoff;
}
void TGLLight::SetConstantAttenuation(float v) {
  constantAttenuation_ = v;
  dirtyMask_ |= ldConstantAttenuation;
}
void TGLLight::SetLinearAttenuation(float v) {
  linearAttenuation_ = v;
  dirtyMask_ |= ldLinearAttenuation;
}
void TGLLight::SetQuadraticAttenuation(float v) {
  quadraticAttenuation_ = v;
  dirtyMask_ |= ldQuadraticAttenuation;
}
void TGLLight::SetIsDirectional(bool v) {
  directional_ = v;
  dirtyMask_ |= ldDirectional;
}
void TGLLight::SetSwitch1(bool v) {
  switch1_ = v;
  dirtyMask_ |= ldSwitch1;
}
void TGLLight::SetSwitch2(bool v) {
  switch2_ = v;
  dirtyMask_ |= ldSwitch2;
}

void TGLLight::Enable() {
  if (!ContextActive()) return;
  if (!enabled_) {
    uint32_t before = Lights()->UsedLights();
    lightIndex_ = Lights()->AllocateLight();
    ownsIndex_ = Lights()->UsedLights() != before;
  }
  MarkAllDirty();
  GL.glEnable(GL_LIGHT0 + lightIndex_);
  enabled_ = true;
}

void TGLLight::Disable() {
  if (!enabled_ || !ContextActive()) return;
  if (ownsIndex_) {
    Lights()->ReleaseLight(lightIndex_);
    // A light that only shares GL_LIGHT0 leaves it on for its owner.
    GL.glDisable(GL_LIGHT0 + lightIndex_);
  }
  ownsIndex_ = false;
  enabled_ = false;
}

void TGLLight::Apply() {
  if (dirtyMask_ == 0 || !ContextActive()) return;
  const GLenum light = GL_LIGHT0 + lightIndex_;
  GL.glLightfv(light, GL_AMBIENT, &ambient_.r);
  GL.glLightfv(light, GL_DIFFUSE, &diffuse_.r);
  GL.glLightfv(light, GL_SPECULAR, &specular_.r);

  // w = 0: a light at infinity shining along SpotDirection.
  const float position[4] = {directional_ ? -spotDirection_.x : position_.x,
                             directional_ ? -spotDirection_.y : position_.y,
                             directional_ ? -spotDirection_.z : position_.z, directional_ ? 0.0f : 1.0f};
  // Under an identity modelview the position is taken as eye coordinates.
  GL.glPushMatrix();
  GL.glLoadIdentity();
  GL.glLightfv(light, GL_POSITION, position);
  GL.glLightfv(light, GL_SPOT_DIRECTION, &spotDirection_.x);
  GL.glPopMatrix();

  GL.glLightf(light, GL_SPOT_EXPONENT, spotExponent_);
  GL.glLightf(light, GL_SPOT_CUTOFF, spotCutoff_);
  GL.glLightf(light, GL_CONSTANT_ATTENUATION, constantAttenuation_);
  GL.glLightf(light, GL_LINEAR_ATTENUATION, linearAttenuation_);
  GL.glLightf(light, GL_QUADRATIC_ATTENUATION, quadraticAttenuation_);
  GL.glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
  GL.glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 0);
  dirtyMask_ = 0;
}

void TGLLight::MarkAllDirty() {
  dirtyMask_ = ldAll;
  Apply();
}

void TGLLight::SetPositional() { SetIsDirectional(false); }

void TGLLight::SetDirectional() {
  SetIsDirectional(true);
  SetPosition(spotDirection_ * 1e37f);
  SetSpotExponent(0);
  SetSpotCutoff(180);
  SetConstantAttenuation(1);
  SetLinearAttenuation(0);
  SetQuadraticAttenuation(0);
}

void TGLLight::SetDirectionalReset() {
  SetIsDirectional(true);
  SetSpotExponent(0);
  SetSpotCutoff(180);
  SetConstantAttenuation(1);
  SetLinearAttenuation(0);
  SetQuadraticAttenuation(0);
}

void TGLLight::SetPositionalReset() {
  SetIsDirectional(false);
  SetSpotExponent(0);
  SetSpotCutoff(180);
}

// --- list --------------------------------------------------------------------

TGLLightList::~TGLLightList() { Clear(); }

TGLLight* TGLLightList::Add() {
  int index = Count();
  auto* light = new TGLLight(this);
  light->lightIndex_ = index;
  return light;
}

int TGLLightList::MaxLights() {
  if (maxLights_ == 0) {
    if (!Owner()) RaiseError("TCustomOpenGL", "GetInt", "OpenGL is not activated!");
    maxLights_ = Owner()->GetInt(GL_MAX_LIGHTS);
  }
  return maxLights_;
}

int TGLLightList::AllocateLight() {
  // The pool is a 32-bit set whatever the driver reports.
  int limit = std::min(MaxLights(), 32);
  for (int n = 0; n < limit; ++n)
    if (!(usedLights_ & (1u << n))) {
      usedLights_ |= 1u << n;
      return n;
    }
  return 0;
}

void TGLLightList::ReleaseLight(int index) {
  if (index >= 0 && index < 32) usedLights_ &= ~(1u << index);
}

void TGLLightList::SetAmbient(const TGLColor& c) {
  ambient_ = c;
  if (ContextActive()) GL.glLightModelfv(GL_LIGHT_MODEL_AMBIENT, &ambient_.r);
}

void TGLLightList::InitGL() { SetAmbient({0, 0, 0, 1}); }

}  // namespace velmora
