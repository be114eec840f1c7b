#include "scene/SceneClasses.h"

#include "core/Strings.h"
#include "scene/MainLight.h"
#include "scene/MainScene.h"
#include "scene/RenderState.h"
#include "scene/Resource.h"
#include "scene/SceneFont.h"
#include "scene/SceneList.h"
#include "scene/SceneMaterial.h"
#include "scene/SceneMesh.h"
#include "scene/SceneMeshList.h"
#include "scene/SceneSprite.h"
#include "scene/SceneSound.h"
#include "scene/SceneSoundList.h"
#include "scene/SceneText.h"
#include "scene/SceneTexture.h"
#include "scene/SceneTextureList.h"
#include "scene/SpriteList.h"
#include "scene/VisualObject.h"

namespace velmora {

namespace {

struct TSceneClass {
  std::string name;
  TSceneClassFactory factory;
};

std::vector<TSceneClass>& Table() {
  static std::vector<TSceneClass> table;
  return table;
}

TSceneClass* Find(std::string_view typeName) {
  for (TSceneClass& entry : Table())
    if (SameText(entry.name, typeName)) return &entry;
  return nullptr;
}

}  // namespace

void RegisterSceneClass(std::string_view typeName, TSceneClassFactory factory) {
  if (TSceneClass* entry = Find(typeName))
    entry->factory = factory;
  else
    Table().push_back(TSceneClass{std::string(typeName), factory});
}

bool UnregisterSceneClass(std::string_view typeName) {
  std::vector<TSceneClass>& table = Table();
  for (auto it = table.begin(); it != table.end(); ++it)
    if (SameText(it->name, typeName)) {
      table.erase(it);
      return true;
    }
  return false;
}

TSceneClassFactory FindSceneClass(std::string_view typeName) {
  const TSceneClass* entry = Find(typeName);
  return entry ? entry->factory : nullptr;
}

std::unique_ptr<TMainObject> CreateSceneObject(std::string_view typeName, const std::string& objectName) {
  TSceneClass* entry = Find(typeName);
  if (!entry || !entry->factory) return nullptr;
  std::unique_ptr<TMainObject> object = entry->factory();
  if (object) object->SetName(objectName);
  return object;
}

std::vector<std::string> SceneClassNames() {
  std::vector<std::string> names;
  for (const TSceneClass& entry : Table()) names.push_back(entry.name);
  return names;
}

void RegisterSceneClasses() {
  // The order is fixed: each class of the scene graph has its place, and
  // the classes of the parts still to come go in at theirs.
  RegisterSceneClass<TMainItemList>("TMainItemList");
  RegisterSceneClass<TMainObjectList>("TMainObjectList");
  RegisterSceneClass<TMainScene>("TMainScene");
  RegisterSceneClass<TResource>("TResource");
  RegisterSceneClass<TSceneTexture>("TSceneTexture");
  RegisterSceneClass<TSceneTextureList>("TSceneTextureList");
  RegisterSceneClass<TSceneMaterial>("TSceneMaterial");
  RegisterSceneClass<TSceneMaterialList>("TSceneMaterialList");
  RegisterSceneClass<TSceneMesh>("TSceneMesh");
  RegisterSceneClass<TSceneMeshList>("TSceneMeshList");
  RegisterSceneClass<TMainVisualObject>("TMainVisualObject");
  RegisterSceneClass<TMainVisualObjectList>("TMainVisualObjectList");
  RegisterSceneClass<TMainLight>("TMainLight");
  RegisterSceneClass<TSceneSprite>("TSceneSprite");
  RegisterSceneClass<TMainSpriteList>("TMainSpriteList");
  RegisterSceneClass<TSceneFont>("TSceneFont");
  RegisterSceneClass<TSceneString>("TSceneString");
  RegisterSceneClass<TSceneText>("TSceneText");
  RegisterSceneClass<TSceneSound>("TSceneSound");
  RegisterSceneClass<TSceneSoundList>("TSceneSoundList");
  ResetSceneRenderState();
}

void FreeSceneClasses() {
  Table().clear();
  Table().shrink_to_fit();
}

}  // namespace velmora
