#include "gl/Material.h"

#include "gl/GLEntryPoints.h"
#include "gl/OpenGL.h"

namespace velmora {

TGLMaterial::TGLMaterial(TGLMaterialList* list) : TGLItem(list) {}

void TGLMaterial::SetAmbient(const TGLColor& c) {
  ambient_ = c;
  dirtyMask_ |= mdAmbient;
}
void TGLMaterial::SetDiffuse(const TGLColor& c) {
  diffuse_ = c;
  dirtyMask_ |= mdDiffuse;
}
void TGLMaterial::SetSpecular(const TGLColor& c) {
  specular_ = c;
  dirtyMask_ |= mdSpecular;
}
void TGLMaterial::SetEmission(const TGLColor& c) {
  emission_ = c;
  dirtyMask_ |= mdEmission;
}
void TGLMaterial::SetShininess(float v) {
  shininess_ = v;
  dirtyMask_ |= mdShininess;
}
void TGLMaterial::SetBackFace(bool v) {
  backFace_ = v;
  dirtyMask_ |= mdColors;
}
void TGLMaterial::SetFrontFace(bool v) {
  frontFace_ = v;
  dirtyMask_ |= mdColors;
}

GLenum TGLMaterial::Face() const {
  if (frontFace_ && backFace_) return GL_FRONT_AND_BACK;
  return frontFace_ ? GL_FRONT : GL_BACK;
}

void TGLMaterial::Apply() {
  if (dirtyMask_ == 0 || !List() || !List()->ContextActive()) return;
  const GLenum face = Face();
  if (dirtyMask_ & mdAmbient) GL.glMaterialfv(face, GL_AMBIENT, &ambient_.r);
  if (dirtyMask_ & mdDiffuse) GL.glMaterialfv(face, GL_DIFFUSE, &diffuse_.r);
  if (dirtyMask_ & mdSpecular) GL.glMaterialfv(face, GL_SPECULAR, &specular_.r);
  if (dirtyMask_ & mdEmission) GL.glMaterialfv(face, GL_EMISSION, &emission_.r);
  if (dirtyMask_ & mdShininess) GL.glMaterialf(face, GL_SHININESS, shininess_);
  dirtyMask_ = 0;
}

void TGLMaterial::MarkAllDirty() {
  dirtyMask_ = mdAll;
  Apply();
}

TGLMaterialList::~TGLMaterialList() { Clear(); }

TGLMaterial* TGLMaterialList::Add() { return new TGLMaterial(this); }

void TGLMaterialList::InitGL() {
  hasSeparateSpecular_ = ExtensionSupported("EXT_separate_specular_color");
  // Sent whether or not the driver listed the extension: OpenGL 1.2 has the
  // switch in its core.
  if (SeparateSpecular) {
    GL.glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
    GL.glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SEPARATE_SPECULAR_COLOR);
  }
}

}  // namespace velmora
