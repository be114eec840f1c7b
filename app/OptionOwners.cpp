#include "app/OptionOwners.h"

#include "app/ApplicationOptions.h"
#include "scene/SceneOptions.h"
#include "world/ClockOptions.h"
#include "world/WorldOptions.h"

namespace velmora {

namespace {

constexpr const TOptionTable* kOwners[] = {&kApplicationOptions, &kWorldOptions, &kClockOptions, &kSceneOptions};

}  // namespace

std::span<const TOptionTable* const> OptionOwners() { return kOwners; }

}  // namespace velmora
