#include "world/WorldClasses.h"

#include "scene/SceneClasses.h"
#include "world/Bubbles.h"

namespace velmora {

void RegisterWorldClasses() {
  // TUnderWater
  RegisterSceneClass<TBubbles>("TBubbles");
  // TFishes, TFishRender
  // TGLClock, TWatchClock
}

}  // namespace velmora
