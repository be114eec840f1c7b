#include "world/WorldClasses.h"

#include "scene/SceneClasses.h"
#include "world/Bubbles.h"
#include "world/UnderWater.h"

namespace velmora {

void RegisterWorldClasses() {
  RegisterSceneClass<TUnderWater>("TUnderWater");
  RegisterSceneClass<TBubbles>("TBubbles");
  // TFishes, TFishRender
  // TGLClock, TWatchClock
}

}  // namespace velmora
