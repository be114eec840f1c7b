// Every owner of stored options, in the order the one-run switches and
// --help list theirs: the application, the world, the clocks, the scene.
// A new owner is added here, once.
#pragma once

#include <span>

#include "core/OptionTable.h"

namespace velmora {

std::span<const TOptionTable* const> OptionOwners();

}  // namespace velmora
