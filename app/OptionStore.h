// The option store of the application object: the values of its options
// in one key of the settings store (platform/SettingsStore.h), under the
// machine-wide root (UseLocalMachine) or the per-user root. The key is
// opened on first use and freed by Close (after each options pass and
// each frame); changing either flag closes it, so the next access reopens
// it.
//
// Errors: a missing key or value gives the default; reads and writes that
// fail under the machine-wide root fall back to the per-user root. A stored
// value that is not a boolean or an integer (a damaged settings file; an
// empty one too) gives the default, with a warning (Warn):
//   "TCustomApplicationPro.ReadOptionBool: option "<name>" is '<text>',
//    not a valid boolean value; <default> is used"
// (likewise ReadOptionInteger, "not a valid integer value"); the stored
// text stays as it is until the option is written. A store that cannot be
// read (a settings folder that is a file, a settings file that is a
// folder, no permission) gives the default with a warning
//   "TCustomApplicationPro.ReadOptionString: the stored settings cannot
//    be read (<reason>); defaults are used".
// Writes never throw; one that cannot be stored (a read-only settings file
// or home) is kept as WriteError until ClearWriteError, so that the caller
// of a whole save (the settings dialog's OK) can tell the user.
//
// A name in Overrides() (this run's command-line options) is answered from
// there without opening the store, and writing it changes only the run's
// value there.
#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/OptionOverrides.h"
#include "platform/SettingsStore.h"

namespace velmora {

class TOptionStore {
 public:
  // keyPath names the key each time it is opened; value names are held
  // complemented (ComplementText) while namesScrambled is set.
  TOptionStore(std::function<std::string()> keyPath, const bool& namesScrambled)
      : keyPath_(std::move(keyPath)), namesScrambled_(namesScrambled) {}

  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value);
  bool UseLocalMachine() const { return useLocalMachine_; }
  void SetUseLocalMachine(bool value);
  // Frees the key object.
  void Close();
  bool IsOpen() const { return opened_; }

  std::string ReadString(const std::string& name, const std::string& defaultValue);
  bool ReadBool(const std::string& name, bool defaultValue);
  int ReadInteger(const std::string& name, int defaultValue);
  void WriteString(const std::string& name, const std::string& value);
  void WriteBool(const std::string& name, bool value);
  void WriteInteger(const std::string& name, int value);
  // The reason of the first write that failed since ClearWriteError; empty
  // when every one was stored.
  const std::string& WriteError() const { return writeError_; }
  void ClearWriteError() { writeError_.clear(); }

  // A stored option that cannot be used, reported while the program goes
  // on without it: "velmora: warning: <Class>.<Operation>: <text>" on
  // standard error, each distinct warning once until ForgetWarnings (a new
  // application object; the options are read again and again in a run).
  static void Warn(std::string_view className, std::string_view operation, std::string_view text);
  static void ForgetWarnings();

  // The options given on the command line for this run (process-wide,
  // looked up by the plain option name).
  static TOptionOverrides& Overrides();

  // Every byte XOR 0xFF (its own inverse).
  static std::string ComplementText(const std::string& text);
  // The toolkit's boolean texts: "-1"/"0" written; "True"/"False" (any
  // case) and any integer (non-zero = true) read. nullopt for other texts.
  static std::string BoolToText(bool value);
  static std::optional<bool> TextToBool(const std::string& text);

 private:
  // The key object, opened on first use; nullptr when a read-only open
  // found no key.
  platform::SettingsKey* OpenKey();
  bool ReadFrom(const std::string& name, std::string& value);
  // The stored text of an option (or this run's override); nullopt when
  // it is not stored.
  std::optional<std::string> ReadText(const std::string& name);
  void NoteWriteError(const std::exception& error);

  std::function<std::string()> keyPath_;
  const bool& namesScrambled_;
  bool readOnly_ = false;
  bool useLocalMachine_ = false;
  std::unique_ptr<platform::SettingsKey> key_;
  bool opened_ = false;
  std::string writeError_;
};

}  // namespace velmora
