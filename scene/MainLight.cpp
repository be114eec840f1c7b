#include "scene/MainLight.h"

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

void CheckRange(const TResourceLoader& loader, const char* key, float value, bool valid, const char* range) {
  if (!valid)
    loader.RaiseKeyError("TMainLight", "ReadProperties",
                         std::string(key) + " " + SceneFloatToStr(value) + " is out of range " + range, key);
}

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

  const float exponent = loader.ReadFloat("SpotExponent", light.SpotExponent());
  CheckRange(loader, "SpotExponent", exponent, exponent >= 0 && exponent <= 128, "0..128");
  light.SetSpotExponent(exponent);
  const float cutoff = loader.ReadFloat("SpotCutoff", light.SpotCutoff());
  CheckRange(loader, "SpotCutoff", cutoff, (cutoff >= 0 && cutoff <= 90) || cutoff == 180, "0..90 or 180");
  light.SetSpotCutoff(cutoff);
  const float constant = loader.ReadFloat("ConstantAttenuation", light.ConstantAttenuation());
  CheckRange(loader, "ConstantAttenuation", constant, constant >= 0, "0 and above");
  light.SetConstantAttenuation(constant);
  const float linear = loader.ReadFloat("LinearAttenuation", light.LinearAttenuation());
  CheckRange(loader, "LinearAttenuation", linear, linear >= 0, "0 and above");
  light.SetLinearAttenuation(linear);
  const float quadratic = loader.ReadFloat("QuadraticAttenuation", light.QuadraticAttenuation());
  CheckRange(loader, "QuadraticAttenuation", quadratic, quadratic >= 0, "0 and above");
  light.SetQuadraticAttenuation(quadratic);

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
