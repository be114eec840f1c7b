#include "scene/Resource.h"

#include <algorithm>
#include <memory>

#include "core/Diagnostics.h"
#include "core/Error.h"
#include "core/Strings.h"
#include "scene/FileNames.h"
#include "scene/MainScene.h"
#include "scene/ResourceLoader.h"

namespace velmora {

namespace {

// The description files being loaded, outermost first: a file that names
// itself (directly or through others) as SourceName would otherwise load
// forever.
std::vector<std::string>& LoadChain() {
  static std::vector<std::string> chain;
  return chain;
}

constexpr size_t kMaxNestedFiles = 32;

class TLoadChainEntry {
 public:
  explicit TLoadChainEntry(const std::string& fileName) {
    std::vector<std::string>& chain = LoadChain();
    for (const std::string& open : chain)
      if (SameText(DiskFileName(open), DiskFileName(fileName)))
        RaiseError("TResource", "Load", fileName + " includes itself");
    if (chain.size() >= kMaxNestedFiles) RaiseError("TResource", "Load", "Descriptions nested too deeply at " + fileName);
    chain.push_back(fileName);
  }
  ~TLoadChainEntry() { LoadChain().pop_back(); }
  TLoadChainEntry(const TLoadChainEntry&) = delete;
  TLoadChainEntry& operator=(const TLoadChainEntry&) = delete;
};

}  // namespace

// --- TResource --------------------------------------------------------------

TResource::TResource() { visible_ = false; }

TResource::~TResource() { TResource::Clear(); }

TMainItem* TResource::AddItem(TMainItem* item) {
  TMainObjectList::AddItem(item);
  // A rejected duplicate stays with its maker: as the owner's child it
  // would take the original's entry with it when freed.
  if (Contains(item)) item->SetOwner(this);
  return item;
}

void TResource::Clear() {
  TMainList::DeleteItems(GetCount());
  TMainObjectList::ClearList();
}

void TResource::ClearList() { Clear(); }

void TResource::ReadProperties(TResourceLoader& loader) {
  TMainObjectList::ReadProperties(loader);
  Path = loader.ReadString("Path", Path);
}

void TResource::WriteProperties(TResourceLoader& loader) {
  TMainObjectList::WriteProperties(loader);
  if (visible_) loader.WriteBool("Visible", true);
  if (Path != ".\\") loader.WriteString("Path", Path);
}

void TResource::ListResources(std::vector<std::string>&) {}

uint8_t TResource::SourceFlags() const { return MainScene() ? MainScene()->SourceFlags : uint8_t(sfDisk); }

void TResource::Load() {
  const uint8_t flags = SourceFlags();
  if (!Loadable || flags == 0 || ((flags & sfDisk) && SourceName.empty())) return;
  const std::string fileName = CombinePath(Path, SourceName);
  TLoadChainEntry entry(fileName);
  // A resource loaded by itself (the scene) is described in its own file.
  if (TDiagnostics* sink = Diagnostics(); sink && sink->PlaceOf(this, "").File.empty())
    sink->SetPlace(this, fileName, Name());
  Clear();
  auto open = [&](uint8_t source) {
    auto loader = std::make_unique<TResourceLoader>();
    loader->Source = source;
    loader->Encoded = Encoded;
    loader->FileName = fileName;
    loader->Section = Name();
    loader->MainScene = MainScene();
    loader->Open();
    return loader;
  };
  std::unique_ptr<TResourceLoader> disk, archive;
  if (flags & sfDisk) disk = open(TResourceLoader::lsDisk);
  if (flags & sfArchive) archive = open(TResourceLoader::lsArchive);
  if (archive) archive->ReadObjectProperties(this);
  if (disk) disk->ReadObjectProperties(this);
  if (disk) disk->LoadChildren(this);
  if (archive) archive->LoadChildren(this);
}

void TResource::Save() {
  if (!Loadable || !(SourceFlags() & sfDisk) || SourceName.empty()) return;
  TResourceLoader loader;
  loader.Source = TResourceLoader::lsDisk;
  loader.FileName = CombinePath(Path, SourceName);
  loader.Section = Name();
  loader.MainScene = MainScene();
  loader.CreateNew();
  loader.WriteHeader(this);
  WriteProperties(loader);
  loader.SaveChildren(this);
  loader.Close();
}

// --- TSceneLayer ------------------------------------------------------------

TSceneLayer::TSceneLayer() { visible_ = true; }

void TSceneLayer::Render() {
  if (!visible_) return;
  BeginRender();
  RenderOpaque();
  if (Alpha) RenderTransparent();
  EndRender();
}

// --- paths ------------------------------------------------------------------

TMainObject* FindObject(const TMainList* root, std::string_view path) {
  if (path.empty() || !root) return nullptr;
  const TMainItem* current = root;
  TMainObject* found = nullptr;
  size_t start = 0;
  while (start < path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view segment = path.substr(start, end - start);
    auto* list = dynamic_cast<const TMainObjectList*>(current);
    if (!list) {
      const std::string name = found ? found->Name() : std::string("the root");
      RaiseMessage("FindObject error: Invalid class typecast: " + name + " is a " + current->ClassName() +
                   ", not a list of named objects (path " + std::string(path) + ")");
    }
    found = segment.empty() ? nullptr : list->FindItem(segment);
    if (!found) return nullptr;
    current = found;
    start = end + 1;
  }
  return found;
}

std::string RefferenceToStr(const TMainItem* root, const TMainItem* object) {
  if (!object) return std::string();
  auto nameOf = [](const TMainItem* item) {
    auto* named = dynamic_cast<const TMainObject*>(item);
    return named ? named->Name() : std::string();
  };
  std::string text = nameOf(object);
  for (const TMainItem* owner = object->Owner(); owner != root; owner = owner->Owner()) {
    if (!owner) RaiseMessage("RefferenceToStr error: Owner is nil!");
    text = nameOf(owner) + "/" + text;
  }
  return text;
}

}  // namespace velmora
