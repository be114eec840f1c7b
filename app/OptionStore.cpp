#include "app/OptionStore.h"

#include <cstdint>
#include <cstdio>
#include <set>

#include "core/Error.h"
#include "core/Strings.h"
#include "platform/Service.h"

namespace velmora {

namespace {

// The option warnings given since ForgetWarnings.
std::set<std::string>& WarnedLines() {
  static std::set<std::string> lines;
  return lines;
}

}  // namespace

void TOptionStore::SetReadOnly(bool value) {
  if (value == readOnly_) return;
  readOnly_ = value;
  Close();
}

void TOptionStore::SetUseLocalMachine(bool value) {
  if (value == useLocalMachine_) return;
  useLocalMachine_ = value;
  Close();
}

void TOptionStore::Close() {
  key_.reset();
  opened_ = false;
}

platform::SettingsKey* TOptionStore::OpenKey() {
  if (!opened_) {
    platform::SettingsRoot root =
        useLocalMachine_ ? platform::SettingsRoot::LocalMachine : platform::SettingsRoot::CurrentUser;
    key_ = platform::Get<platform::SettingsStore>().OpenKey(root, keyPath_(), readOnly_);
    opened_ = true;
  }
  return key_.get();
}

bool TOptionStore::ReadFrom(const std::string& name, std::string& value) {
  platform::SettingsKey* key = OpenKey();
  return key && key->ReadString(name, value);
}

TOptionOverrides& TOptionStore::Overrides() {
  static TOptionOverrides overrides;
  return overrides;
}

std::optional<std::string> TOptionStore::ReadText(const std::string& name) {
  if (std::optional<std::string> value = Overrides().Find(name)) return value;
  SetReadOnly(true);
  const std::string valueName = namesScrambled_ ? ComplementText(name) : name;
  auto unreadable = [](const std::exception& error) {
    Warn("TCustomApplicationPro", "ReadOptionString",
         std::string("the stored settings cannot be read (") + error.what() + "); defaults are used");
  };
  std::string value;
  if (useLocalMachine_) {
    try {
      if (ReadFrom(valueName, value)) return value;
    } catch (const std::exception& error) {
      // The machine-wide root cannot be read: the per-user root from now on.
      unreadable(error);
      SetUseLocalMachine(false);
    }
  }
  const bool machine = useLocalMachine_;
  if (machine) SetUseLocalMachine(false);
  std::optional<std::string> result;
  try {
    if (ReadFrom(valueName, value)) result = value;
  } catch (const std::exception& error) {
    unreadable(error);
  }
  if (machine) SetUseLocalMachine(true);
  return result;
}

std::string TOptionStore::ReadString(const std::string& name, const std::string& defaultValue) {
  return ReadText(name).value_or(defaultValue);
}

bool TOptionStore::ReadBool(const std::string& name, bool defaultValue) {
  const std::optional<std::string> stored = ReadText(name);
  if (!stored) return defaultValue;
  const std::string& text = *stored;
  std::optional<bool> value = TextToBool(text);
  if (!value) {
    Warn("TCustomApplicationPro", "ReadOptionBool",
         "option \"" + name + "\" is '" + text + "', not a valid boolean value; " +
             (defaultValue ? "true" : "false") + " is used");
    return defaultValue;
  }
  return *value;
}

int TOptionStore::ReadInteger(const std::string& name, int defaultValue) {
  const std::optional<std::string> stored = ReadText(name);
  if (!stored) return defaultValue;
  const std::string& text = *stored;
  std::optional<int64_t> value = ParseInt(text);
  if (!value || *value < INT32_MIN || *value > INT32_MAX) {
    Warn("TCustomApplicationPro", "ReadOptionInteger",
         "option \"" + name + "\" is '" + text + "', not a valid integer value; " + std::to_string(defaultValue) +
             " is used");
    return defaultValue;
  }
  return static_cast<int>(*value);
}

void TOptionStore::Warn(std::string_view className, std::string_view operation, std::string_view text) {
  const std::string line =
      "velmora: warning: " + std::string(className) + "." + std::string(operation) + ": " + std::string(text) + "\n";
  if (!WarnedLines().insert(line).second) return;
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
}

void TOptionStore::ForgetWarnings() { WarnedLines().clear(); }

void TOptionStore::WriteString(const std::string& name, const std::string& value) {
  // A switch of this run: the stored setting stays as the user left it.
  if (Overrides().Find(name)) {
    Overrides().Set(name, value);
    return;
  }
  SetReadOnly(false);
  const std::string valueName = namesScrambled_ ? ComplementText(name) : name;
  auto write = [&] {
    platform::SettingsKey* key = OpenKey();
    if (!key) RaiseError("TCustomApplicationPro", "WriteOptionString", "the option key cannot be opened");
    key->WriteString(valueName, value);
  };
  try {
    write();
  } catch (const std::exception& error) {
    if (!useLocalMachine_) {
      NoteWriteError(error);
      return;
    }
    // The machine-wide root cannot be written: the per-user root from now on.
    SetUseLocalMachine(false);
    try {
      write();
    } catch (const std::exception& userError) {
      NoteWriteError(userError);
    }
  }
}

void TOptionStore::NoteWriteError(const std::exception& error) {
  if (writeError_.empty()) writeError_ = error.what();
}

void TOptionStore::WriteBool(const std::string& name, bool value) { WriteString(name, BoolToText(value)); }

void TOptionStore::WriteInteger(const std::string& name, int value) { WriteString(name, std::to_string(value)); }

std::string TOptionStore::ComplementText(const std::string& text) {
  std::string result(text);
  for (char& c : result) c = static_cast<char>(static_cast<unsigned char>(c) ^ 0xFFu);
  return result;
}

std::string TOptionStore::BoolToText(bool value) { return value ? "-1" : "0"; }

std::optional<bool> TOptionStore::TextToBool(const std::string& text) {
  if (SameText(Trim(text), "True")) return true;
  if (SameText(Trim(text), "False")) return false;
  std::optional<int64_t> number = ParseInt(text);
  if (!number) return std::nullopt;
  return *number != 0;
}

}  // namespace velmora
