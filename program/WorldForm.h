// The settings form shows the underwater world: the one place that knows
// both the application's form (app/SettingsForm.h) and the world's side of
// it (world/FormWorld.h), and puts them together.
#pragma once

namespace velmora {

// Every settings form made from now on shows the world, made on the form
// as its settings host.
void UseWorldForm();

}  // namespace velmora
