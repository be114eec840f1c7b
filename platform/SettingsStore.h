// The system settings store: a tree of keys holding named string values,
// under a machine-wide root and a per-user root.
//
// A key path such as "Software\Ostrevin\Velmora 1" names one key. Value
// names may hold any bytes (the application keeps some of its names
// complemented); the store keeps them reversibly. Writes are durable when
// WriteString returns: a crash or a full disk never loses what was stored
// before. (How keys and names are laid out on disk: platform/sdl/
// SdlSettingsStore.h.)
#pragma once

#include <memory>
#include <string>

namespace platform {

enum class SettingsRoot { LocalMachine, CurrentUser };

class SettingsKey {
 public:
  virtual ~SettingsKey() = default;

  // False when the value does not exist. Throws velmora::Error when the
  // key cannot be read.
  virtual bool ReadString(const std::string& name, std::string& value) = 0;
  virtual bool ValueExists(const std::string& name) = 0;
  // Throws velmora::Error when the value cannot be stored (read-only key,
  // unwritable root, full disk).
  virtual void WriteString(const std::string& name, const std::string& value) = 0;
  virtual void DeleteValue(const std::string& name) = 0;
};

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  // Opens a key. readOnly: the key is never written and a missing key gives
  // nullptr. Otherwise a missing key is created (on its first write).
  // Throws velmora::Error when the root cannot be used at all.
  virtual std::unique_ptr<SettingsKey> OpenKey(SettingsRoot root, const std::string& path, bool readOnly) = 0;
};

}  // namespace platform
