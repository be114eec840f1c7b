// The underwater world's classes in the scene class registry.
//
//   program or test start -> RegisterSceneClasses() (the scene graph's own)
//   -> RegisterWorldClasses() -> descriptions may name "TUnderWater" and
//   the other world classes in "Type=" -> program end: FreeSceneClasses()
//   empties the one table both fill.
//
// The world's classes go in after the scene graph's, in a fixed order:
// "TUnderWater", "TBubbles", "TFishes", "TFishRender", "TGLClock",
// "TWatchClock"; each class takes its place as it is written. Calling it
// again changes nothing.
#pragma once

namespace velmora {

void RegisterWorldClasses();

}  // namespace velmora
