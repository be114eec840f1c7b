#include "program/WorldForm.h"

#include <memory>

#include "app/SettingsForm.h"
#include "world/FormWorld.h"

namespace velmora {

void UseWorldForm() {
  SetFormSceneMaker([](TFormSettings& form) -> std::unique_ptr<TFormScene> { return std::make_unique<TFormWorld>(form); });
}

}  // namespace velmora
