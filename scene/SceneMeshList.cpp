#include "scene/SceneMeshList.h"

#include "scene/SceneHost.h"
#include "assets/ResourceReader.h"
#include "scene/FileNames.h"
#include "scene/ResourceLoader.h"
#include "scene/SceneMaterial.h"
#include "scene/SceneMesh.h"
#include "scene/SceneOptions.h"
#include "scene/SceneTextureList.h"

namespace velmora {

TSceneMesh* TSceneMeshList::Meshes(int index) const { return dynamic_cast<TSceneMesh*>(GetItem(index)); }

TSceneMesh* TSceneMeshList::FindMesh(const std::string& name) const { return dynamic_cast<TSceneMesh*>(FindItem(name)); }

void TSceneMeshList::ReadProperties(TResourceLoader& loader) {
  TResource::ReadProperties(loader);
  Materials = loader.ReadReferenceAs<TSceneMaterialList>("Materials", Materials);
  Textures = loader.ReadReferenceAs<TSceneTextureList>("Textures", Textures);
}

void TSceneMeshList::WriteProperties(TResourceLoader& loader) {
  TResource::WriteProperties(loader);
  if (Materials) loader.WriteReference("Materials", Materials);
  if (Textures) loader.WriteReference("Textures", Textures);
}

void TSceneMeshList::LoadOptions() {
  if (TSceneHost* app = Application()) {
    for (int i = 0; i < GetCount(); ++i) {
      TSceneMesh* mesh = Meshes(i);
      if (mesh && !mesh->FileListName.empty())
        mesh->SetFileIndex(app->ReadOptionInteger(kOptFileIndex.Key(BaseFileName(mesh->FileListName)),
                                                  kOptFileIndex.Default));
    }
  }
  TResource::LoadOptions();
}

void TSceneMeshList::SaveOptions() {
  if (TSceneHost* app = Application()) {
    for (int i = 0; i < GetCount(); ++i) {
      TSceneMesh* mesh = Meshes(i);
      if (mesh && !mesh->FileListName.empty())
        app->WriteOptionInteger(kOptFileIndex.Key(BaseFileName(mesh->FileListName)), mesh->FileIndex);
    }
  }
  TResource::SaveOptions();
}

void TSceneMeshList::ListResources(std::vector<std::string>& lines) {
  for (int i = 0; i < GetCount(); ++i) {
    TSceneMesh* mesh = Meshes(i);
    // Sprites and meshes made in code have no file.
    if (mesh && !mesh->SourceName().empty())
      lines.push_back(mesh->SourceName() + " RCData " + ResourceIdent(mesh->SourceName()));
  }
}

}  // namespace velmora
