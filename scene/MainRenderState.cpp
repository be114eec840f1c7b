#include "scene/MainRenderState.h"

#include "scene/ResourceLoader.h"

namespace velmora {

void TMainRenderState::ReadProperties(TResourceLoader& loader) {
  TMainSceneObject::ReadProperties(loader);
  Enabled = loader.ReadBool("Enabled", Enabled);
}

void TMainRenderState::WriteProperties(TResourceLoader& loader) {
  TMainSceneObject::WriteProperties(loader);
  loader.WriteBool("Enabled", Enabled);
}

void TMainRenderState::Enable() { Enabled = true; }
void TMainRenderState::Disable() { Enabled = false; }

}  // namespace velmora
