// Scene materials: a named set of numbered material groups (GroupMaterial.h)
// that meshes pick from, one group per face group; and the resource list
// that holds them.
//
// Lifecycle:
//
//   made by the loader (or by the 3DM mesh loader for a material a mesh
//   file names) -> added to a TSceneMaterialList -> its keys read: "Count"
//   new groups appended, each with the OpenGL layer's default material
//   (ambient 0.2 grey, diffuse 0.8 grey, specular and emission black,
//   shininess 0, front faces), then their keys -> groups applied by the
//   drawing classes through ApplySceneMaterial -> freed with its list,
//   freeing its groups.
//
// A group whose diffuse alpha is below 0.99 is transparent: meshes draw its
// faces in their blended pass.
//
// Keys (besides those of TMainObject):
//   Count=<integer>           groups to append, 0..1000; default 0
//   UseVertexColor=<boolean>  kept and written; nothing draws with it
//   and the keys of each new group i = 1 .. Count (GroupMaterial.h)
// Written back: Count (the number of groups), UseVertexColor and every key
// of every group.
//
// TSceneMaterialList is a plain resource list with no keys of its own
// (invisible, as every resource list).
//
// Errors (all followed by " (file F, section [S], key K)"):
//   "TSceneMaterial.ReadProperties error: Count <n> is out of range 0..1000"
//   "TSceneMaterial.ReadProperties error: Key <K> is for group <i>, but Count is <n>"
//   "TSceneMaterial.GetGroup error: List index out of bounds (<i>) in material <name> of <n> groups"
#pragma once

#include <memory>
#include <vector>

#include "scene/GroupMaterial.h"
#include "scene/Resource.h"

namespace velmora {

class TSceneMaterial : public TMainObject {
 public:
  // The most groups one description or one mesh file may ask for.
  static constexpr int kMaxGroups = 1000;

  ~TSceneMaterial() override;

  const char* ClassName() const override { return "TSceneMaterial"; }

  bool UseVertexColor = true;

  // A new group with a new material of the context's Materials list (a
  // material of no list when the material is in no scene with a rendering
  // context), Index = the current count; appended and returned.
  TGroupMaterial* AddGroup();
  // Raises the index error above outside 0 .. GroupCount - 1.
  TGroupMaterial* GetGroup(int index) const;
  int GroupCount() const { return static_cast<int>(groups_.size()); }

  void ReadProperties(TResourceLoader& loader) override;
  void WriteProperties(TResourceLoader& loader) override;

 private:
  // Raises the group-number error for a group key numbered beyond count.
  void CheckGroupKeys(const TResourceLoader& loader, int count) const;

  std::vector<std::unique_ptr<TGroupMaterial>> groups_;
};

class TSceneMaterialList : public TResource {
 public:
  const char* ClassName() const override { return "TSceneMaterialList"; }

  // The material named name, or nullptr (also when the object of that name
  // is not a material).
  TSceneMaterial* FindMaterial(const std::string& name) const;
};

}  // namespace velmora
