#include "world/WorldClasses.h"

#include "scene/SceneClasses.h"
#include "world/Bubbles.h"
#include "world/FishRender.h"
#include "world/Fishes.h"
#include "world/UnderWater.h"

namespace velmora {

void RegisterWorldClasses() {
  RegisterSceneClass<TUnderWater>("TUnderWater");
  RegisterSceneClass<TBubbles>("TBubbles");
  RegisterSceneClass<TFishes>("TFishes");
  RegisterSceneClass<TFishRender>("TFishRender");
  // TGLClock, TWatchClock
}

}  // namespace velmora
