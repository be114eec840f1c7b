#include "platform/fake/FakeSettingsStore.h"

#include "core/Error.h"

namespace platform {

using ValueMap = std::map<std::string, std::string>;
using Keys = std::map<std::string, ValueMap>;

struct FakeSettingsStore::State {
  Keys roots[2];
  Faults faults[2];
  std::vector<OpenRequest> opens;
  int liveKeys = 0;
  int writes = 0;

  static int Index(SettingsRoot root) { return root == SettingsRoot::LocalMachine ? 0 : 1; }
  Keys& KeysOf(SettingsRoot root) { return roots[Index(root)]; }
  Faults& FaultsOf(SettingsRoot root) { return faults[Index(root)]; }
};

namespace {

const char* RootName(SettingsRoot root) { return root == SettingsRoot::LocalMachine ? "machine" : "user"; }

class FakeKey : public SettingsKey {
 public:
  FakeKey(std::shared_ptr<FakeSettingsStore::State> state, SettingsRoot root, std::string path, bool readOnly)
      : state_(std::move(state)), root_(root), path_(std::move(path)), readOnly_(readOnly) {
    ++state_->liveKeys;
  }
  ~FakeKey() override { --state_->liveKeys; }

  bool ReadString(const std::string& name, std::string& value) override {
    const ValueMap* values = Find("ReadString");
    if (!values) return false;
    auto it = values->find(name);
    if (it == values->end()) return false;
    value = it->second;
    return true;
  }

  bool ValueExists(const std::string& name) override {
    const ValueMap* values = Find("ValueExists");
    return values && values->count(name) != 0;
  }

  void WriteString(const std::string& name, const std::string& value) override {
    CheckWritable("WriteString");
    state_->KeysOf(root_)[path_][name] = value;
    ++state_->writes;
  }

  void DeleteValue(const std::string& name) override {
    CheckWritable("DeleteValue");
    auto& keys = state_->KeysOf(root_);
    auto it = keys.find(path_);
    if (it != keys.end()) it->second.erase(name);
  }

 private:
  const ValueMap* Find(const char* operation) {
    if (state_->FaultsOf(root_).read)
      velmora::RaiseError("FakeSettingsKey", operation, std::string("cannot read the ") + RootName(root_) + " root");
    const auto& keys = state_->KeysOf(root_);
    auto it = keys.find(path_);
    return it == keys.end() ? nullptr : &it->second;
  }

  void CheckWritable(const char* operation) {
    if (readOnly_) velmora::RaiseError("FakeSettingsKey", operation, "key opened for reading only");
    if (state_->FaultsOf(root_).write)
      velmora::RaiseError("FakeSettingsKey", operation, std::string("cannot write the ") + RootName(root_) + " root");
  }

  std::shared_ptr<FakeSettingsStore::State> state_;
  SettingsRoot root_;
  std::string path_;
  bool readOnly_;
};

}  // namespace

FakeSettingsStore::FakeSettingsStore() : state_(std::make_shared<State>()) {}

std::unique_ptr<SettingsKey> FakeSettingsStore::OpenKey(SettingsRoot root, const std::string& path, bool readOnly) {
  state_->opens.push_back({root, path, readOnly});
  if (state_->FaultsOf(root).open)
    velmora::RaiseError("FakeSettingsStore", "OpenKey", std::string("cannot open the ") + RootName(root) + " root");
  if (readOnly && !KeyExists(root, path)) return nullptr;
  return std::make_unique<FakeKey>(state_, root, path, readOnly);
}

FakeSettingsStore::Faults& FakeSettingsStore::FaultsOf(SettingsRoot root) { return state_->FaultsOf(root); }

void FakeSettingsStore::SetValue(SettingsRoot root, const std::string& path, const std::string& name,
                                 const std::string& value) {
  state_->KeysOf(root)[path][name] = value;
}

std::optional<std::string> FakeSettingsStore::Value(SettingsRoot root, const std::string& path,
                                                    const std::string& name) const {
  const auto& keys = state_->KeysOf(root);
  auto key = keys.find(path);
  if (key == keys.end()) return std::nullopt;
  auto value = key->second.find(name);
  if (value == key->second.end()) return std::nullopt;
  return value->second;
}

bool FakeSettingsStore::KeyExists(SettingsRoot root, const std::string& path) const {
  return state_->KeysOf(root).count(path) != 0;
}

std::map<std::string, std::string> FakeSettingsStore::Values(SettingsRoot root, const std::string& path) const {
  const auto& keys = state_->KeysOf(root);
  auto key = keys.find(path);
  return key == keys.end() ? ValueMap() : key->second;
}

const std::vector<FakeSettingsStore::OpenRequest>& FakeSettingsStore::Opens() const { return state_->opens; }
int FakeSettingsStore::LiveKeys() const { return state_->liveKeys; }
int FakeSettingsStore::Writes() const { return state_->writes; }

}  // namespace platform
