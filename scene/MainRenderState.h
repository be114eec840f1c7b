// A scene object with an on/off switch: the base of the lights and of any
// other object that switches a piece of OpenGL state every frame.
//
// Lifecycle: made enabled -> "Enabled" read -> Enable / Disable switch it
// (subclasses switch their OpenGL state there too) -> freed with its list.
//
// Keys (besides those of TMainObject): Enabled=<boolean>, default the
// current value (true at creation); always written.
#pragma once

#include "scene/SceneItem.h"

namespace velmora {

class TMainRenderState : public TMainSceneObject {
 public:
  const char* ClassName() const override { return "TMainRenderState"; }

  bool Enabled = true;

  void ReadProperties(TResourceLoader& loader) override;
  void WriteProperties(TResourceLoader& loader) override;

  // The operations it appends, in slot order.
  virtual void Enable();
  virtual void Disable();
};

}  // namespace velmora
