#include "scene/ResourceLoader.h"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <set>

#include "assets/ResourceReader.h"
#include "assets/Stream.h"
#include "core/Strings.h"
#include "scene/FileNames.h"
#include "scene/MainScene.h"
#include "scene/Resource.h"
#include "scene/SceneClasses.h"
#include "scene/SceneValues.h"

namespace velmora {

namespace {

// Lists inside lists, over all files of one load: a description that nests
// deeper than any scene needs is refused before the stack runs out.
constexpr int kMaxListDepth = 64;
int g_listDepth = 0;

class TListDepth {
 public:
  TListDepth() { ++g_listDepth; }
  ~TListDepth() { --g_listDepth; }
  TListDepth(const TListDepth&) = delete;
  TListDepth& operator=(const TListDepth&) = delete;
};

void Invert(std::string& line) {
  for (char& c : line) c = static_cast<char>(~static_cast<unsigned char>(c));
}

}  // namespace

TResourceLoader::~TResourceLoader() {
  try {
    Close();
  } catch (...) {
    // A loader freed while an error unwinds must not raise a second one.
  }
}

// --- documents --------------------------------------------------------------

void TResourceLoader::Open() {
  Close();
  std::vector<std::string> lines;
  if (Source == lsDisk) {
    if (FileName.empty()) return;
    TFileStream stream(DiskFileName(FileName), TFileMode::fmOpenRead);
    lines = ReadLines(stream);
  } else if (ResourceReader().Open(FileName)) {
    lines = ReadLines(*ResourceReader().Stream());
    ResourceReader().Close();
  } else if (TDiagnostics* sink = Diagnostics(); sink && sink->HasPlace()) {
    // A nested description (the scene's own is the caller's to judge).
    sink->Report(TDiagnosticLevel::dlError, "the file " + ResourceFileName(FileName) + " is missing from the data");
  }
  OpenLines(std::move(lines));
}

void TResourceLoader::OpenLines(std::vector<std::string> lines) {
  Close();
  if (Encoded)
    for (std::string& line : lines) Invert(line);
  ini_ = std::make_unique<TIniDocument>();
  ini_->Parse(lines);
}

void TResourceLoader::CreateNew() {
  Close();
  ini_ = std::make_unique<TIniDocument>();
  modified_ = true;
}

void TResourceLoader::Close() {
  // Let go first: a failed write must not be tried again by the destructor.
  const bool write = modified_;
  modified_ = false;
  if (write && ini_) Flush();
  ini_.reset();
}

void TResourceLoader::Flush() {
  if (!ini_ || FileName.empty()) return;
  std::vector<std::string> lines = ini_->ToLines();
  std::string text;
  for (std::string& line : lines) {
    if (Encoded) Invert(line);
    text += line;
    text += "\r\n";
  }
  TFileStream stream(DiskFileName(FileName), TFileMode::fmCreate);
  stream.WriteBuffer(text.data(), text.size());
  stream.Flush();
}

// --- errors -----------------------------------------------------------------

std::string TResourceLoader::Context(std::string_view key) const {
  std::string text;
  if (!FileName.empty()) text += "file " + FileName;
  if (!text.empty()) text += ", ";
  text += "section [" + Section + "]";
  if (!key.empty()) text += ", key " + std::string(key);
  return text;
}

void TResourceLoader::RaiseLoadError(std::string_view operation, std::string_view text, std::string_view key) const {
  RaiseKeyError("TResourceLoader", operation, text, key);
}

void TResourceLoader::RaiseKeyError(std::string_view className, std::string_view operation, std::string_view text,
                                    std::string_view key) const {
  const std::string reason = ErrorText(className, operation, text);
  throw TLoadError(reason + " (" + Context(key) + ")", TDiagnosticWhere{FileName, Section, std::string(key)}, reason);
}

void TResourceLoader::NoteAdjustedValue(std::string_view key, const std::string& reason) const {
  if (TDiagnostics* sink = Diagnostics()) {
    sink->Report(TDiagnosticLevel::dlWarning, TDiagnosticWhere{FileName, Section, std::string(key)}, reason);
    return;
  }
  // Each distinct line once per run: a scene loaded again (the settings
  // dialog's preview, each start of the saver) does not repeat it. A
  // bounded number of lines, so that no description fills the log.
  constexpr size_t kMaxLines = 100;
  static std::mutex mutex;
  static std::set<std::string> written;
  const std::string line = "velmora: warning: " + reason + " (" + Context(key) + ")";
  std::lock_guard<std::mutex> lock(mutex);
  if (written.size() >= kMaxLines || !written.insert(line).second) return;
  std::fprintf(stderr, "%s\n", line.c_str());
}

template <class F>
void TResourceLoader::WithContext(std::string_view key, F action) {
  try {
    action();
  } catch (const TLoadError&) {
    throw;
  } catch (const Error& error) {
    // The key the object was working on when it failed, where a sink saw
    // the error pass a place of this section.
    std::string placeKey(key);
    if (const TDiagnostics* sink = Diagnostics(); sink && sink->HasThrowPlace()) {
      const TDiagnosticWhere& thrown = sink->ThrowPlace();
      if (thrown.Section == Section && SameText(thrown.File, ResourceFileName(FileName))) placeKey = thrown.Key;
    }
    throw TLoadError(std::string(error.what()) + " (" + Context(placeKey) + ")",
                     TDiagnosticWhere{FileName, Section, placeKey}, error.what());
  }
}

// --- readers ----------------------------------------------------------------

bool TResourceLoader::Lookup(std::string_view key, std::string& value) const {
  return ini_ && ini_->ReadValue(Section, key, value);
}

bool TResourceLoader::ValueExists(std::string_view key) const {
  std::string value;
  return Lookup(key, value);
}

bool TResourceLoader::ReadBool(std::string_view key, bool defaultValue) const {
  std::string text;
  if (!Lookup(key, text)) return defaultValue;
  std::optional<int32_t> value = SceneStrToInt(text);
  return value ? *value != 0 : defaultValue;
}

int32_t TResourceLoader::ReadInteger(std::string_view key, int32_t defaultValue) const {
  std::string text;
  if (!Lookup(key, text)) return defaultValue;
  return SceneStrToInt(text).value_or(defaultValue);
}

float TResourceLoader::ReadFloat(std::string_view key, float defaultValue) const {
  std::string text;
  if (!Lookup(key, text)) return defaultValue;
  return SceneStrToFloat(text).value_or(defaultValue);
}

std::string TResourceLoader::ReadString(std::string_view key, const std::string& defaultValue) const {
  std::string text;
  if (!Lookup(key, text)) return defaultValue;
  return text.empty() ? std::string(" ") : text;
}

TGLColor TResourceLoader::ReadColor(std::string_view key, const TGLColor& defaultValue) const {
  std::string text;
  if (!Lookup(key, text)) return defaultValue;
  try {
    return SceneStrToColor(text);
  } catch (const Error& error) {
    RaiseLoadError("ReadColor", error.what(), key);
  }
}

TGLColorBytes TResourceLoader::ReadColorBytes(std::string_view key, const TGLColorBytes& defaultValue) const {
  std::string text;
  if (!Lookup(key, text)) return defaultValue;
  try {
    return SceneStrToColorBytes(text);
  } catch (const Error& error) {
    RaiseLoadError("ReadColorBytes", error.what(), key);
  }
}

TGLVector TResourceLoader::ReadVector(std::string_view key, const TGLVector& defaultValue) const {
  std::string text;
  if (!Lookup(key, text)) return defaultValue;
  try {
    return SceneStrToVector(text);
  } catch (const Error& error) {
    RaiseLoadError("ReadVector", error.what(), key);
  }
}

TMainObject* TResourceLoader::ReadReference(std::string_view key, TMainObject* current) const {
  std::string path;
  if (!Lookup(key, path) || path.empty()) return current;
  TMainObject* found = nullptr;
  try {
    found = FindObject(MainScene, path);
  } catch (const Error& error) {
    RaiseLoadError("ReadReference", error.what(), key);
  }
  if (!found)
    if (TDiagnostics* sink = Diagnostics())
      sink->Report(TDiagnosticLevel::dlWarning, TDiagnosticWhere{FileName, Section, std::string(key)},
                   "the path " + path + " finds nothing described before it");
  return found;
}

void TResourceLoader::NoteUnusableReference(std::string_view key, const TMainObject* found) const {
  if (TDiagnostics* sink = Diagnostics())
    sink->Report(TDiagnosticLevel::dlWarning, TDiagnosticWhere{FileName, Section, std::string(key)},
                 "the path " + RefferenceToStr(MainScene, found) + " finds a " + found->ClassName() +
                     ", which this key cannot use: it reads as none");
}

std::string TResourceLoader::ReadFileName(std::string_view key, std::string_view directory,
                                          const std::string& defaultValue) const {
  std::string name;
  if (!Lookup(key, name) || name.empty()) return defaultValue;
  return CombinePath(directory, name);
}

// --- writers ----------------------------------------------------------------

void TResourceLoader::Write(std::string_view key, std::string_view value) {
  if (!ini_) RaiseError("TResourceLoader", "Write", "No document to write to");
  ini_->WriteValue(Section, key, value);
}

void TResourceLoader::WriteBool(std::string_view key, bool value) { Write(key, value ? "1" : "0"); }
void TResourceLoader::WriteInteger(std::string_view key, int32_t value) { Write(key, std::to_string(value)); }
void TResourceLoader::WriteFloat(std::string_view key, float value) { Write(key, SceneFloatToStr(value)); }
void TResourceLoader::WriteString(std::string_view key, std::string_view value) { Write(key, value); }
void TResourceLoader::WriteColor(std::string_view key, const TGLColor& value) { Write(key, SceneColorToStr(value)); }
void TResourceLoader::WriteColorBytes(std::string_view key, const TGLColorBytes& value) {
  Write(key, SceneColorBytesToStr(value));
}
void TResourceLoader::WriteVector(std::string_view key, const TGLVector& value) { Write(key, SceneVectorToStr(value)); }

void TResourceLoader::WriteReference(std::string_view key, const TMainItem* object) {
  Write(key, RefferenceToStr(MainScene, object));
}

void TResourceLoader::WriteFileName(std::string_view key, std::string_view directory, const std::string& value) {
  const std::string dir = ExtractFileDir(value);
  Write(key, dir == directory ? std::string_view(value).substr(dir.size()) : std::string_view(value));
}

// --- objects ----------------------------------------------------------------

std::unique_ptr<TMainObject> TResourceLoader::CreateObject() {
  std::string type, name;
  Lookup("Type", type);
  Lookup("Name", name);
  if (type.empty()) RaiseLoadError("CreateObject", "Unknown Object Type! for " + Section, "Type");
  if (name.empty()) RaiseLoadError("CreateObject", "Empty Object Name! for " + Section, "Name");
  std::unique_ptr<TMainObject> object = CreateSceneObject(type, name);
  if (!object)
    RaiseLoadError("CreateObject", "Object not created! for " + Section + " Type: " + type + " Name: " + name,
                   "Type");
  if (auto* sceneObject = dynamic_cast<TMainSceneObject*>(object.get())) {
    std::string options;
    Lookup("ProcessOptions", options);
    sceneObject->ProcessOptions = StrToProcessOptions(options);
  }
  return object;
}

void TResourceLoader::ReadObjectProperties(TMainObject* object) {
  WithContext("", [&] { object->ReadProperties(*this); });
}

void TResourceLoader::LoadChildren(TMainList* list) {
  if (!list->StoreChildren) return;
  TListDepth depth;
  if (g_listDepth > kMaxListDepth) RaiseLoadError("LoadChildren", "Lists nested too deeply", "");
  const std::string listSection = Section;
  // The description cannot justify more room than it has sections.
  const int32_t capacity = ReadInteger("Capacity", list->GetCapacity());
  list->SetCapacity(std::min(capacity, ini_ ? ini_->SectionCount() : 0));
  const int32_t count = ReadInteger("Count", 0);
  const std::string listName = list->Name();
  for (int32_t i = 1; i <= count; ++i) {
    Section = listName + std::to_string(i);
    std::unique_ptr<TMainObject> object = CreateObject();
    TMainObject* child = object.get();
    list->AddItem(child);
    // A name the list has already: the list took nothing, and the object
    // goes with the unique_ptr, unread.
    if (!list->Contains(child)) continue;
    object.release();
    if (TDiagnostics* sink = Diagnostics()) sink->SetPlace(child, FileName, Section);
    ReadObjectProperties(child);
    auto* resource = dynamic_cast<TResource*>(child);
    if (!resource) continue;
    std::string source;
    Lookup("SourceName", source);
    if (!source.empty()) {
      resource->SourceName = CombinePath(resource->Path, source);
      TDiagnosticPlace place(TDiagnosticWhere{FileName, Section, "SourceName"});
      WithContext("SourceName", [&] { resource->Load(); });
    } else {
      LoadChildren(resource);
    }
  }
  Section = listSection;
}

void TResourceLoader::SaveChildren(TMainList* list) {
  if (!list->StoreChildren) return;
  // In the order the children were entered, not the name order of a
  // named list: a child that refers to a sibling must come after it, as
  // it did in the description that was read.
  std::vector<TMainObject*> children;
  if (auto* named = dynamic_cast<TMainObjectList*>(list)) {
    children = named->ObjectsInAddOrder();
  } else {
    for (int i = 0; i < list->GetCount(); ++i)
      if (auto* object = dynamic_cast<TMainObject*>(list->GetItem(i))) children.push_back(object);
  }
  const std::string listSection = Section;
  WriteInteger("Capacity", list->GetCapacity());
  WriteInteger("Count", static_cast<int32_t>(children.size()));
  const std::string listName = list->Name();
  for (size_t i = 0; i < children.size(); ++i) {
    Section = listName + std::to_string(i + 1);
    TMainObject* child = children[i];
    WriteHeader(child);
    auto* resource = dynamic_cast<TResource*>(child);
    if (resource && !resource->SourceName.empty()) {
      // In full: the resource's Path is one of the keys of its own file.
      WriteString("SourceName", resource->SourceName);
      resource->Save();
    } else {
      child->WriteProperties(*this);
      if (resource) SaveChildren(resource);
    }
  }
  Section = listSection;
}

void TResourceLoader::WriteHeader(const TMainObject* object) {
  WriteString("Type", object->ClassName());
  WriteString("Name", object->Name());
  if (auto* sceneObject = dynamic_cast<const TMainSceneObject*>(object))
    if (sceneObject->ProcessOptions != 0) WriteString("ProcessOptions", ProcessOptionsToStr(sceneObject->ProcessOptions));
}

}  // namespace velmora
