#include "scene/SceneMaterial.h"

#include <string>
#include <string_view>

#include "core/Error.h"
#include "core/Strings.h"
#include "gl/Material.h"
#include "gl/OpenGL.h"
#include "scene/IniDocument.h"
#include "scene/MainScene.h"
#include "scene/ResourceLoader.h"

namespace velmora {

TSceneMaterial::~TSceneMaterial() {
  // The groups go while the material is still whole (they leave the render
  // state cache one by one).
  while (!groups_.empty()) groups_.pop_back();
}

TGroupMaterial* TSceneMaterial::AddGroup() {
  TCustomOpenGL* gl = MainScene() ? MainScene()->OpenGL() : nullptr;
  TGLMaterial* material = gl ? gl->Materials()->Add() : new TGLMaterial(nullptr);
  auto group = std::make_unique<TGroupMaterial>(material);
  group->Index = GroupCount();
  group->Material = this;
  groups_.push_back(std::move(group));
  return groups_.back().get();
}

TGroupMaterial* TSceneMaterial::GetGroup(int index) const {
  if (index < 0 || index >= GroupCount())
    RaiseError("TSceneMaterial", "GetGroup",
               "List index out of bounds (" + std::to_string(index) + ") in material " + Name() + " of " +
                   std::to_string(GroupCount()) + " groups");
  return groups_[static_cast<size_t>(index)].get();
}

// --- keys -------------------------------------------------------------------

namespace {

// The group number of a key such as "Diffuse12" (its name part one of the
// group keys, then decimal digits only), as written; empty for any other
// key.
std::string_view GroupKeyDigits(std::string_view key) {
  static const char* const kNames[] = {"Ambient", "Diffuse", "Specular", "Emission",
                                       "VertexColor", "Shininess", "Front", "Back"};
  for (const char* name : kNames) {
    const std::string_view prefix(name);
    if (key.size() <= prefix.size() || !SameText(key.substr(0, prefix.size()), prefix)) continue;
    const std::string_view digits = key.substr(prefix.size());
    if (digits.find_first_not_of("0123456789") != std::string_view::npos) return {};
    return digits;
  }
  return {};
}

}  // namespace

void TSceneMaterial::CheckGroupKeys(const TResourceLoader& loader, int count) const {
  const TIniDocument* ini = loader.Ini();
  const TIniDocument::TSection* section = ini ? ini->FindSection(loader.Section) : nullptr;
  if (!section) return;
  for (const TIniDocument::TKeyLine& line : section->keys) {
    const std::string_view digits = GroupKeyDigits(line.key);
    if (digits.empty()) continue;
    // Beyond nine digits the number is beyond any count.
    const int number = digits.size() > 9 ? kMaxGroups + 1 : std::stoi(std::string(digits));
    if (number >= 1 && number <= count) continue;
    loader.RaiseKeyError("TSceneMaterial", "ReadProperties",
                         "Key " + line.key + " is for group " + std::string(digits) + ", but Count is " +
                             std::to_string(count),
                         line.key);
  }
}

void TSceneMaterial::ReadProperties(TResourceLoader& loader) {
  TMainObject::ReadProperties(loader);
  const int32_t count = loader.ReadInteger("Count", 0);
  if (count < 0 || count > kMaxGroups)
    loader.RaiseKeyError("TSceneMaterial", "ReadProperties",
                         "Count " + std::to_string(count) + " is out of range 0.." + std::to_string(kMaxGroups), "Count");
  UseVertexColor = loader.ReadBool("UseVertexColor", UseVertexColor);
  CheckGroupKeys(loader, count);
  for (int i = 1; i <= count; ++i) AddGroup()->ReadProperties(loader, i);
}

void TSceneMaterial::WriteProperties(TResourceLoader& loader) {
  TMainObject::WriteProperties(loader);
  loader.WriteInteger("Count", GroupCount());
  loader.WriteBool("UseVertexColor", UseVertexColor);
  for (int i = 0; i < GroupCount(); ++i) groups_[static_cast<size_t>(i)]->WriteProperties(loader, i + 1);
}

// --- list -------------------------------------------------------------------

TSceneMaterial* TSceneMaterialList::FindMaterial(const std::string& name) const {
  return dynamic_cast<TSceneMaterial*>(FindItem(name));
}

}  // namespace velmora
