#include "scene/MainLight.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/Error.h"
#include "gl/GLEntryPoints.h"
#include "gl/Light.h"
#include "gl/OpenGL.h"
#include "scene/MainScene.h"
#include "scene/RenderState.h"
#include "scene/ResourceLoader.h"
#include "scene/SceneValues.h"

namespace velmora {

TLightStyle StrToLightStyle(const std::string& text) {
  if (text.find("ParallelPoint") != std::string::npos) return lsParallelPoint;
  if (text.find("Parallel") != std::string::npos) return lsParallel;
  if (text.find("Point") != std::string::npos) return lsPoint;
  if (text.find("Directional") != std::string::npos) return lsDirectional;
  return lsAmbient;
}

const char* LightStyleToStr(TLightStyle style) {
  switch (style) {
    case lsParallel: return "Parallel";
    case lsParallelPoint: return "ParallelPoint";
    case lsPoint: return "Point";
    case lsDirectional: return "Directional";
    default: return "Ambient";
  }
}

TMainLight::~TMainLight() { FreeGLLight(); }

void TMainLight::FreeGLLight() {
  delete glLight_;
  glLight_ = nullptr;
}

void TMainLight::SetLightStyle(TLightStyle style) {
  if (style == lightStyle_) return;
  FreeGLLight();
  lightStyle_ = style;
}

void TMainLight::CreateGLLight() {
  if (glLight_) return;
  if (!MainScene()) RaiseError("TMainLight", "CreateGLLight", "MainScene is nil!");
  TCustomOpenGL* gl = MainScene()->OpenGL();
  glLight_ = gl ? gl->Lights()->Add() : new TGLLight(nullptr);
  switch (lightStyle_) {
    case lsParallel: glLight_->SetDirectional(); break;
    case lsParallelPoint: glLight_->SetDirectionalReset(); break;
    case lsPoint: glLight_->SetPositionalReset(); break;
    case lsDirectional: glLight_->SetPositional(); break;
    case lsAmbient: break;
  }
}

// --- switching ----------------------------------------------------------------

void TMainLight::Render() {
  if (Enabled)
    Enable();
  else
    Disable();
}

void TMainLight::Enable() {
  CreateGLLight();
  if (lightStyle_ != lsAmbient) {
    glLight_->Enable();
    CurrentColor() = glLight_->Diffuse();
  } else {
    if (TCustomOpenGL* gl = MainScene()->OpenGL()) {
      gl->Lights()->SetAmbient(glLight_->Ambient());
      ambientSet_ = gl->Active();
    }
    CurrentColor() = glLight_->Ambient();
  }
  SendLightModel();
  TMainRenderState::Enable();
}

void TMainLight::Disable() {
  if (glLight_) glLight_->Disable();
  if (ambientSet_) {
    if (TCustomOpenGL* gl = MainScene() ? MainScene()->OpenGL() : nullptr) gl->Lights()->SetAmbient({0, 0, 0, 1});
    ambientSet_ = false;
  }
  TMainRenderState::Disable();
}

// The light object's Apply sends the light model's switches with fixed
// values; the light's own go after it.
void TMainLight::SendLightModel() const {
  TCustomOpenGL* gl = MainScene() ? MainScene()->OpenGL() : nullptr;
  if (!gl || !gl->Active() || !GL.glLightModeli) return;
  GL.glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, TwoSide ? 1 : 0);
  GL.glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, LocalViewer ? 1 : 0);
}

// --- keys -------------------------------------------------------------------

namespace {

// A value read for key: NaN keeps current; anything else OpenGL would
// refuse becomes the nearest value it takes (fit), with a warning.
float ReadFitted(const TResourceLoader& loader, const char* key, float current, const char* range,
                 float (*fit)(float)) {
  const float read = loader.ReadFloat(key, current);
  const float value = std::isnan(read) ? current : fit(read);
  if (value != read)
    loader.NoteAdjustedValue(key, std::string(key) + " " + SceneFloatToStr(read) + " is out of range " + range + "; " +
                                      SceneFloatToStr(value) + " is used");
  return value;
}

float FitExponent(float value) { return std::clamp(value, 0.0f, 128.0f); }
// 0..90, or 180 (no cone): from 90 to 180 the nearer of the two.
float FitCutoff(float value) {
  if (value <= 0) return 0;
  if (value <= 90) return value;
  return value < 135 ? 90.0f : 180.0f;
}
float FitAttenuation(float value) { return value < 0 ? 0.0f : value; }

}  // namespace

void TMainLight::ReadProperties(TResourceLoader& loader) {
  TMainRenderState::ReadProperties(loader);
  CreateGLLight();
  SetLightStyle(StrToLightStyle(loader.ReadString("LightStyle", "")));
  CreateGLLight();
  TGLLight& light = *glLight_;
  light.SetIsDirectional(loader.ReadBool("Infinite", light.Directional()));
  light.SetAmbient(loader.ReadColor("Ambient", light.Ambient()));
  light.SetDiffuse(loader.ReadColor("Diffuse", light.Diffuse()));
  light.SetSpecular(loader.ReadColor("Specular", light.Specular()));
  light.SetPosition(loader.ReadVector("Position", light.Position()));
  light.SetSpotDirection(loader.ReadVector("Direction", light.SpotDirection()));

  light.SetSpotExponent(ReadFitted(loader, "SpotExponent", light.SpotExponent(), "0..128", FitExponent));
  light.SetSpotCutoff(ReadFitted(loader, "SpotCutoff", light.SpotCutoff(), "0..90 or 180", FitCutoff));
  light.SetConstantAttenuation(
      ReadFitted(loader, "ConstantAttenuation", light.ConstantAttenuation(), "0 and above", FitAttenuation));
  light.SetLinearAttenuation(
      ReadFitted(loader, "LinearAttenuation", light.LinearAttenuation(), "0 and above", FitAttenuation));
  light.SetQuadraticAttenuation(
      ReadFitted(loader, "QuadraticAttenuation", light.QuadraticAttenuation(), "0 and above", FitAttenuation));

  TwoSide = loader.ReadBool("TwoSide", TwoSide);
  LocalViewer = loader.ReadBool("LocalViewer", LocalViewer);
}

void TMainLight::WriteProperties(TResourceLoader& loader) {
  TMainRenderState::WriteProperties(loader);
  CreateGLLight();
  const TGLLight& light = *glLight_;
  loader.WriteString("LightStyle", LightStyleToStr(lightStyle_));
  loader.WriteBool("Infinite", light.Directional());
  loader.WriteColor("Ambient", light.Ambient());
  loader.WriteColor("Diffuse", light.Diffuse());
  loader.WriteColor("Specular", light.Specular());
  loader.WriteVector("Position", light.Position());
  loader.WriteVector("Direction", light.SpotDirection());
  loader.WriteFloat("SpotExponent", light.SpotExponent());
  loader.WriteFloat("SpotCutoff", light.SpotCutoff());
  loader.WriteFloat("ConstantAttenuation", light.ConstantAttenuation());
  loader.WriteFloat("LinearAttenuation", light.LinearAttenuation());
  loader.WriteFloat("QuadraticAttenuation", light.QuadraticAttenuation());
  loader.WriteBool("TwoSide", TwoSide);
  loader.WriteBool("LocalViewer", LocalViewer);
}

}  // namespace velmora
