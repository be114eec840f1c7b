#include "scene/GroupMaterial.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "gl/Material.h"
#include "scene/RenderState.h"
#include "scene/ResourceLoader.h"
#include "scene/SceneValues.h"

namespace velmora {

TGroupMaterial::~TGroupMaterial() {
  ForgetSceneMaterial(this);
  delete GLMaterial;
}

void TGroupMaterial::Apply() {
  if (GLMaterial) GLMaterial->MarkAllDirty();
  Applied = true;
}

float TGroupMaterial::DiffuseAlpha() const { return GLMaterial ? GLMaterial->Diffuse().a : 1.0f; }

void TGroupMaterial::ReadProperties(TResourceLoader& loader, int number) {
  const std::string n = std::to_string(number);
  TGLMaterial& m = *GLMaterial;
  m.SetAmbient(loader.ReadColor("Ambient" + n, m.Ambient()));
  m.SetDiffuse(loader.ReadColor("Diffuse" + n, m.Diffuse()));
  m.SetSpecular(loader.ReadColor("Specular" + n, m.Specular()));
  m.SetEmission(loader.ReadColor("Emission" + n, m.Emission()));
  VertexColor = loader.ReadColor("VertexColor" + n, VertexColor);
  // OpenGL takes a shininess in 0..128 only: one outside is brought into it.
  const float read = loader.ReadFloat("Shininess" + n, m.Shininess());
  const float shininess = std::isnan(read) ? m.Shininess() : std::clamp(read, 0.0f, 128.0f);
  if (shininess != read)
    loader.NoteAdjustedValue("Shininess" + n, "Shininess " + SceneFloatToStr(read) + " is out of range 0..128; " +
                                                  SceneFloatToStr(shininess) + " is used");
  m.SetShininess(shininess);
  m.SetFrontFace(loader.ReadBool("Front" + n, m.FrontFace()));
  m.SetBackFace(loader.ReadBool("Back" + n, m.BackFace()));
}

void TGroupMaterial::WriteProperties(TResourceLoader& loader, int number) const {
  const std::string n = std::to_string(number);
  const TGLMaterial& m = *GLMaterial;
  loader.WriteColor("Ambient" + n, m.Ambient());
  loader.WriteColor("Diffuse" + n, m.Diffuse());
  loader.WriteColor("Specular" + n, m.Specular());
  loader.WriteColor("Emission" + n, m.Emission());
  loader.WriteColor("VertexColor" + n, VertexColor);
  loader.WriteFloat("Shininess" + n, m.Shininess());
  loader.WriteBool("Front" + n, m.FrontFace());
  loader.WriteBool("Back" + n, m.BackFace());
}

}  // namespace velmora
