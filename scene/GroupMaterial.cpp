#include "scene/GroupMaterial.h"

#include "gl/Material.h"
#include "scene/RenderState.h"

namespace velmora {

TGroupMaterial::~TGroupMaterial() { ForgetSceneMaterial(this); }

void TGroupMaterial::Apply() {
  if (GLMaterial) GLMaterial->MarkAllDirty();
  Applied = true;
}

float TGroupMaterial::DiffuseAlpha() const { return GLMaterial ? GLMaterial->Diffuse().a : 1.0f; }

}  // namespace velmora
