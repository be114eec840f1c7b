#include "world/WorldClasses.h"

#include "scene/SceneClasses.h"
#include "world/Bubbles.h"
#include "world/FishRender.h"
#include "world/Fishes.h"
#include "world/GLClock.h"
#include "world/UnderWater.h"
#include "world/WatchClock.h"

namespace velmora {

void RegisterWorldClasses() {
  RegisterSceneClass<TUnderWater>("TUnderWater");
  RegisterSceneClass<TBubbles>("TBubbles");
  RegisterSceneClass<TFishes>("TFishes");
  RegisterSceneClass<TFishRender>("TFishRender");
  RegisterSceneClass<TGLClock>("TGLClock");
  RegisterSceneClass<TWatchClock>("TWatchClock");
}

}  // namespace velmora
