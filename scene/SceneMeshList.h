// The list that holds scene meshes and sprites, and names the material and
// texture lists that its 3DM meshes look their materials and texture maps
// up in (and add the missing ones to).
//
// Lifecycle: created by the loader (invisible, like every resource list)
// -> its keys, then its meshes read -> user options applied (LoadOptions:
// the file index of each mesh with a file list) -> meshes load their files
// on first use -> freed with its meshes.
//
// References resolve from the scene root, so a mesh list inside another
// resource names its lists by full path; a list that holds only sprites may
// leave them unset.
//
// Keys (besides those of TResource):
//   Materials=<reference>   a TSceneMaterialList
//   Textures=<reference>    a TSceneTextureList
// Written back when set.
// User options: for each mesh with a file list, BaseFileName(FileListName)
// + "Index" (integer, default 0) passed to SetFileIndex; written from
// FileIndex.
//
// ListResources: per mesh with a source "FILE RCData IDENT".
#pragma once

#include <string>
#include <vector>

#include "scene/Resource.h"

namespace velmora {

class TSceneMaterialList;
class TSceneMesh;
class TSceneTextureList;

class TSceneMeshList : public TResource {
 public:
  const char* ClassName() const override { return "TSceneMeshList"; }

  // Not owned; may be nullptr.
  TSceneMaterialList* Materials = nullptr;
  TSceneTextureList* Textures = nullptr;

  // The child at index in name order when it is a mesh, else nullptr.
  TSceneMesh* Meshes(int index) const;
  TSceneMesh* FindMesh(const std::string& name) const;

  void ReadProperties(TResourceLoader& loader) override;
  void WriteProperties(TResourceLoader& loader) override;
  void LoadOptions() override;
  void SaveOptions() override;
  void ListResources(std::vector<std::string>& lines) override;
};

}  // namespace velmora
