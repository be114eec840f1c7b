// An in-memory settings store with both roots, and switches that make a root
// fail so the application's fall-back from the machine-wide to the per-user
// root can be tested.
//
// Keys and value names are compared exactly (as the real store does). Key
// objects share the store's contents, so switches set after a key was opened
// still apply to it, and a key outliving the store does no harm.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/SettingsStore.h"

namespace platform {

class FakeSettingsStore : public SettingsStore {
 public:
  // Failure switches of one root; each makes the named step throw
  // velmora::Error.
  struct Faults {
    bool open = false;   // OpenKey
    bool read = false;   // ReadString, ValueExists
    bool write = false;  // WriteString, DeleteValue
  };

  struct OpenRequest {
    SettingsRoot root;
    std::string path;
    bool readOnly;
  };

  FakeSettingsStore();

  std::unique_ptr<SettingsKey> OpenKey(SettingsRoot root, const std::string& path, bool readOnly) override;

  Faults& FaultsOf(SettingsRoot root);

  // Direct access for tests (no faults, no records).
  void SetValue(SettingsRoot root, const std::string& path, const std::string& name, const std::string& value);
  std::optional<std::string> Value(SettingsRoot root, const std::string& path, const std::string& name) const;
  bool KeyExists(SettingsRoot root, const std::string& path) const;
  // All values of a key (empty when the key does not exist).
  std::map<std::string, std::string> Values(SettingsRoot root, const std::string& path) const;

  // What the program did.
  const std::vector<OpenRequest>& Opens() const;
  int LiveKeys() const;  // key objects not yet freed
  int Writes() const;    // successful WriteString calls

  struct State;

 private:
  std::shared_ptr<State> state_;
};

}  // namespace platform
