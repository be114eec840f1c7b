// The class registry: scene objects created by type name, as the "Type="
// key of a scene description names them.
//
// One process-wide table from type name to factory, kept in registration
// order and matched without regard to case. It is filled by explicit calls,
// never by static objects (the libraries are static archives, and the
// linker drops an object file nothing refers to):
//
//   program or test start -> RegisterSceneClasses() (the scene graph's
//   classes, render state reset) -> the world's module adds its own with
//   RegisterSceneClass -> CreateSceneObject while loading -> program end:
//   FreeSceneClasses().
//
// Registering a name again replaces its factory in place; a registration
// made for a while (a test's own class) is taken back with
// UnregisterSceneClass, or the earlier factory put back in its place.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "scene/SceneItem.h"

namespace velmora {

using TSceneClassFactory = std::unique_ptr<TMainObject> (*)();

void RegisterSceneClass(std::string_view typeName, TSceneClassFactory factory);

// RegisterSceneClass<TUnderWater>("TUnderWater").
template <class T>
void RegisterSceneClass(std::string_view typeName) {
  RegisterSceneClass(typeName, []() -> std::unique_ptr<TMainObject> { return std::make_unique<T>(); });
}

// Takes typeName out of the table (the others keep their order); false
// when it is not registered.
bool UnregisterSceneClass(std::string_view typeName);
// The factory registered as typeName; null when there is none.
TSceneClassFactory FindSceneClass(std::string_view typeName);

// A new object of the class registered as typeName, named objectName; null
// when the name is not registered. The caller owns it until a list takes it.
std::unique_ptr<TMainObject> CreateSceneObject(std::string_view typeName, const std::string& objectName);

// The registered type names in registration order.
std::vector<std::string> SceneClassNames();

// Module start: the scene graph's classes in their fixed order, and the
// render state cache reset. Calling it again changes nothing but the reset.
void RegisterSceneClasses();
// Module end: the table emptied.
void FreeSceneClasses();

}  // namespace velmora
