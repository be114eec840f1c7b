// The settings store as GLib key files under the XDG configuration folders.
//
// Roots: the per-user root is $XDG_CONFIG_HOME (default ~/.config), the
// machine-wide root the first folder of $XDG_CONFIG_DIRS (default /etc/xdg),
// both read from the environment when the store is made (relative paths are
// ignored, as the XDG rules ask). Tests give the roots explicitly.
//
// Keys: a key path names ONE file under its root. A leading "Software\" is
// dropped, the other "\"-separated parts become folders and the last part
// the file name with ".conf" added:
//   "Software\Ostrevin\Velmora 1"  ->  <root>/Ostrevin/Velmora 1.conf
// Empty parts are skipped; "/" and "%" inside a part, and parts "." and
// "..", are written as %XX so a key never leaves its root. Key paths are
// compared exactly (case matters). All values sit in the group [Settings].
//
// Value names may hold any bytes. Letters, digits, "-", "_", "." and inner
// blanks stay as they are; every other byte is written as %XX (upper-case
// hex), and the empty name as "%". Value texts keep printable ASCII and valid
// UTF-8 and write "%", control bytes, stray bytes >= 0x80 and leading or
// trailing blanks as %XX. Both mappings are exact round trips.
//
// Reading: a missing root or file is "no value". A root that cannot be used
// (a plain file where the folder should be, no permission) throws
// velmora::Error. A file that is not a valid key file reads as empty, with a
// warning on standard error ("velmora: warning: settings file ... is
// damaged ...", once per file for the store's life, however often
// its keys are opened); it stays untouched until the next write, which
// first moves it to "<file>.corrupt" so nothing is silently lost.
//
// Writing: every change rewrites the file atomically (a temporary file in
// the same folder, flushed to disk, renamed over the old one, the folder
// flushed), creating folders as needed. A settings file or its folder
// without the owner's write permission counts as read-only and is not
// replaced (the rename would pass, and root passes every check). When any
// step fails the old file is left as it was, no temporary file remains, and
// velmora::Error is thrown.
#pragma once

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "platform/SettingsStore.h"

namespace platform {

class SdlSettingsStore : public SettingsStore {
 public:
  SdlSettingsStore();  // roots from the environment
  SdlSettingsStore(std::string machineRoot, std::string userRoot);

  std::unique_ptr<SettingsKey> OpenKey(SettingsRoot root, const std::string& path, bool readOnly) override;

  const std::string& RootPath(SettingsRoot root) const;
  // The file that holds key `path` under `root`; throws for a path without
  // any part.
  std::string KeyFile(SettingsRoot root, const std::string& path) const;

  static std::string EncodeName(std::string_view name);
  static std::optional<std::string> DecodeName(std::string_view encoded);  // nullopt: not an encoded name
  static std::string EncodeValue(std::string_view value);
  static std::string DecodeValue(std::string_view encoded);  // a "%" without two hex digits stays literal

  static constexpr const char* kGroup = "Settings";

 private:
  std::string machineRoot_;
  std::string userRoot_;
  // The damaged files already reported, shared with the keys.
  std::shared_ptr<std::set<std::string>> warned_ = std::make_shared<std::set<std::string>>();
};

}  // namespace platform
