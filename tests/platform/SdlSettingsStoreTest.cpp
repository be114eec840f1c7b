#include "platform/sdl/SdlSettingsStore.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/Error.h"
#include "tests/platform/TempFolder.h"

using platform::SdlSettingsStore;
using platform::SettingsRoot;
using platform_test::ReadFile;
using platform_test::ScopedEnv;
using platform_test::TempFolder;
using platform_test::WriteFile;
namespace fs = std::filesystem;

namespace {

const char kKey[] = "Software\\Ostrevin\\Velmora 1";

std::string Complement(std::string s) {
  for (char& c : s) c = char(~static_cast<unsigned char>(c));
  return s;
}

struct Roots {
  TempFolder tmp;
  std::string machine = tmp / "machine";
  std::string user = tmp / "user";
  SdlSettingsStore Store() const { return SdlSettingsStore(machine, user); }
  fs::path UserFile() const { return fs::path(user) / "Ostrevin" / "Velmora 1.conf"; }
};

std::optional<std::string> Read(SdlSettingsStore& store, SettingsRoot root, const std::string& name) {
  auto key = store.OpenKey(root, kKey, true);
  std::string value;
  if (key && key->ReadString(name, value)) return value;
  return std::nullopt;
}

void Write(SdlSettingsStore& store, SettingsRoot root, const std::string& name, const std::string& value) {
  store.OpenKey(root, kKey, false)->WriteString(name, value);
}

std::vector<std::string> FolderEntries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

TEST(SdlSettingsStore, KeyPathMapsToOneFileUnderItsRoot) {
  SdlSettingsStore store("/m", "/u/");
  EXPECT_EQ(store.KeyFile(SettingsRoot::CurrentUser, kKey), "/u/Ostrevin/Velmora 1.conf");
  EXPECT_EQ(store.KeyFile(SettingsRoot::LocalMachine, kKey), "/m/Ostrevin/Velmora 1.conf");
  EXPECT_EQ(store.KeyFile(SettingsRoot::CurrentUser, "software\\Velmora 1"), "/u/Velmora 1.conf");
  EXPECT_EQ(store.KeyFile(SettingsRoot::CurrentUser, "Software"), "/u/Software.conf");
  // Parts that would climb out of the root, or split a part, are escaped.
  EXPECT_EQ(store.KeyFile(SettingsRoot::CurrentUser, "Software\\..\\a/b\\.\\50%"), "/u/%2E%2E/a%2Fb/%2E/50%25.conf");
  EXPECT_EQ(store.KeyFile(SettingsRoot::CurrentUser, "\\A\\\\B\\"), "/u/A/B.conf");
  EXPECT_THROW(store.KeyFile(SettingsRoot::CurrentUser, "\\\\"), velmora::Error);
}

TEST(SdlSettingsStore, RootsComeFromTheXdgEnvironment) {
  {
    ScopedEnv home("XDG_CONFIG_HOME", "/cfg/home/");
    ScopedEnv dirs("XDG_CONFIG_DIRS", "/first/xdg:/second");
    SdlSettingsStore store;
    EXPECT_EQ(store.RootPath(SettingsRoot::CurrentUser), "/cfg/home");
    EXPECT_EQ(store.RootPath(SettingsRoot::LocalMachine), "/first/xdg");
  }
  {
    // Unset or relative values fall back to the defaults.
    ScopedEnv home("XDG_CONFIG_HOME", "relative/cfg");
    ScopedEnv dirs("XDG_CONFIG_DIRS", nullptr);
    ScopedEnv user("HOME", "/home/someone");
    SdlSettingsStore store;
    EXPECT_EQ(store.RootPath(SettingsRoot::CurrentUser), "/home/someone/.config");
    EXPECT_EQ(store.RootPath(SettingsRoot::LocalMachine), "/etc/xdg");
  }
}

TEST(SdlSettingsStore, MissingRootsAndFilesReadAsNoValue) {
  Roots r;
  SdlSettingsStore store = r.Store();
  EXPECT_EQ(store.OpenKey(SettingsRoot::LocalMachine, kKey, true), nullptr);
  EXPECT_EQ(store.OpenKey(SettingsRoot::CurrentUser, kKey, true), nullptr);
  auto key = store.OpenKey(SettingsRoot::LocalMachine, kKey, false);
  ASSERT_NE(key, nullptr);
  std::string value = "untouched";
  EXPECT_FALSE(key->ReadString("LowCPU", value));
  EXPECT_EQ(value, "untouched");
  EXPECT_FALSE(key->ValueExists("LowCPU"));
  key->DeleteValue("LowCPU");  // nothing there: no file appears
  EXPECT_FALSE(fs::exists(r.machine));
}

TEST(SdlSettingsStore, ValuesSurviveANewStoreAndRootsStayApart) {
  Roots r;
  {
    SdlSettingsStore store = r.Store();
    Write(store, SettingsRoot::CurrentUser, "WaterColor", "0,106,156,255");
    Write(store, SettingsRoot::CurrentUser, "Fish Count", "12");
    Write(store, SettingsRoot::LocalMachine, "WaterColor", "1,2,3,4");
    Write(store, SettingsRoot::CurrentUser, "Fish Count", "14");  // replaces
  }
  ASSERT_TRUE(fs::is_regular_file(r.UserFile()));
  EXPECT_NE(ReadFile(r.UserFile()).find("[Settings]"), std::string::npos);
  EXPECT_NE(ReadFile(r.UserFile()).find("Fish Count=14"), std::string::npos);

  SdlSettingsStore again = r.Store();
  EXPECT_EQ(Read(again, SettingsRoot::CurrentUser, "WaterColor"), "0,106,156,255");
  EXPECT_EQ(Read(again, SettingsRoot::CurrentUser, "Fish Count"), "14");
  EXPECT_EQ(Read(again, SettingsRoot::LocalMachine, "WaterColor"), "1,2,3,4");
  EXPECT_EQ(Read(again, SettingsRoot::LocalMachine, "Fish Count"), std::nullopt);

  auto key = again.OpenKey(SettingsRoot::CurrentUser, kKey, false);
  key->DeleteValue("WaterColor");
  EXPECT_FALSE(key->ValueExists("WaterColor"));
  EXPECT_TRUE(key->ValueExists("Fish Count"));
}

TEST(SdlSettingsStore, AnyBytesInNamesAndValuesRoundTrip) {
  Roots r;
  std::vector<std::pair<std::string, std::string>> cases = {
      {Complement("HomeDir"), "/opt/velmora/"},
      {Complement("NeedDisplay"), "-1"},
      {"", "the unnamed value"},
      {" padded name ", "  padded value  "},
      {"a=b[c]#;%41", "100% \\n literal backslash"},
      {"line\nbreak\tand\rcontrol", "multi\nline\r\nvalue\t\x01"},
      {"\xC3\xA9t\xC3\xA9", "caf\xC3\xA9 \xE6\xB0\xB4"},    // UTF-8
      {"\xFF\xFE\x80", "stray \xFF bytes \xC3"},              // not UTF-8
  };
  std::string everyByte;
  for (int c = 1; c < 256; ++c) everyByte += char(c);
  cases.push_back({everyByte, everyByte});
  cases.push_back({std::string("nul\0inside", 10), std::string("value\0with nul", 14)});
  {
    SdlSettingsStore store = r.Store();
    for (const auto& [name, value] : cases) Write(store, SettingsRoot::CurrentUser, name, value);
  }
  SdlSettingsStore store = r.Store();
  for (const auto& [name, value] : cases) EXPECT_EQ(Read(store, SettingsRoot::CurrentUser, name), value) << name;
  // Names differing only in the escaping alphabet stay distinct.
  EXPECT_EQ(Read(store, SettingsRoot::CurrentUser, "%41"), std::nullopt);
  EXPECT_EQ(Read(store, SettingsRoot::CurrentUser, "A"), std::nullopt);
}

TEST(SdlSettingsStore, NameEncodingIsExactAndRejectsForeignText) {
  for (int c = 0; c < 256; ++c) {
    std::string name(1, char(c));
    EXPECT_EQ(SdlSettingsStore::DecodeName(SdlSettingsStore::EncodeName(name)), name) << c;
    EXPECT_EQ(SdlSettingsStore::DecodeValue(SdlSettingsStore::EncodeValue(name)), name) << c;
  }
  EXPECT_EQ(SdlSettingsStore::EncodeName("Fish Count"), "Fish Count");
  EXPECT_EQ(SdlSettingsStore::EncodeName(" x"), "%20x");
  EXPECT_EQ(SdlSettingsStore::DecodeName("%"), "");
  EXPECT_EQ(SdlSettingsStore::DecodeName(""), std::nullopt);
  EXPECT_EQ(SdlSettingsStore::DecodeName("%4"), std::nullopt);
  EXPECT_EQ(SdlSettingsStore::DecodeName("%G0"), std::nullopt);
  // A hand-edited value with a bare "%" keeps it.
  EXPECT_EQ(SdlSettingsStore::DecodeValue("100%"), "100%");
  EXPECT_EQ(SdlSettingsStore::DecodeValue("%zz%41"), "%zzA");
}

TEST(SdlSettingsStore, UnusableRootThrowsOnOpenReadAndWrite) {
  Roots r;
  WriteFile(r.machine, "a plain file where the folder should be");
  SdlSettingsStore store = r.Store();
  for (bool readOnly : {true, false}) {
    try {
      store.OpenKey(SettingsRoot::LocalMachine, kKey, readOnly);
      FAIL() << "no exception";
    } catch (const velmora::Error& e) {
      EXPECT_EQ(std::string(e.what()).rfind("SdlSettingsStore.OpenKey error: ", 0), 0u) << e.what();
    }
  }
  // A plain file deeper down: the key opens for writing, its use throws.
  WriteFile(fs::path(r.user) / "Ostrevin", "not a folder");
  auto key = store.OpenKey(SettingsRoot::CurrentUser, kKey, false);
  std::string value;
  EXPECT_THROW(key->ReadString("x", value), velmora::Error);
  EXPECT_THROW(key->ValueExists("x"), velmora::Error);
  try {
    key->WriteString("x", "1");
    FAIL() << "no exception";
  } catch (const velmora::Error& e) {
    EXPECT_EQ(std::string(e.what()).rfind("SdlSettingsKey.WriteString error: ", 0), 0u) << e.what();
  }
  EXPECT_THROW(store.OpenKey(SettingsRoot::CurrentUser, kKey, true), velmora::Error);
  // The key file is a folder.
  fs::create_directories(fs::path(r.tmp.Path()) / "other" / "Ostrevin" / "Velmora 1.conf");
  SdlSettingsStore other((r.tmp / "other"), r.user);
  EXPECT_THROW(other.OpenKey(SettingsRoot::LocalMachine, kKey, true), velmora::Error);
  EXPECT_THROW(other.OpenKey(SettingsRoot::LocalMachine, kKey, false)->WriteString("x", "1"), velmora::Error);
}

TEST(SdlSettingsStore, ReadOnlyKeyRefusesWrites) {
  Roots r;
  SdlSettingsStore store = r.Store();
  Write(store, SettingsRoot::CurrentUser, "a", "1");
  auto key = store.OpenKey(SettingsRoot::CurrentUser, kKey, true);
  ASSERT_NE(key, nullptr);
  EXPECT_THROW(key->WriteString("a", "2"), velmora::Error);
  EXPECT_THROW(key->DeleteValue("a"), velmora::Error);
  EXPECT_EQ(Read(store, SettingsRoot::CurrentUser, "a"), "1");
}

TEST(SdlSettingsStore, FailedWriteKeepsTheOldFileAndLeavesNoTemporaries) {
  Roots r;
  {
    SdlSettingsStore store = r.Store();
    Write(store, SettingsRoot::CurrentUser, "kept", "old value");
  }
  std::string before = ReadFile(r.UserFile());
  // A file-size limit below the new contents stands in for a full disk; a
  // child process takes it so this process keeps writing freely.
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{rlim_t(before.size() + 16), rlim_t(before.size() + 16)};
    setrlimit(RLIMIT_FSIZE, &limit);
    SdlSettingsStore store = r.Store();
    int code = 1;
    try {
      Write(store, SettingsRoot::CurrentUser, "big", std::string(4096, 'x'));
    } catch (const velmora::Error&) {
      code = 42;
    }
    _exit(code);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 42) << "the failed write was not reported";
  EXPECT_EQ(ReadFile(r.UserFile()), before);
  EXPECT_EQ(FolderEntries(r.UserFile().parent_path()), std::vector<std::string>{"Velmora 1.conf"});
  SdlSettingsStore store = r.Store();
  EXPECT_EQ(Read(store, SettingsRoot::CurrentUser, "kept"), "old value");
  EXPECT_EQ(Read(store, SettingsRoot::CurrentUser, "big"), std::nullopt);
}

TEST(SdlSettingsStore, CorruptFileReadsEmptyAndIsKeptAsideOnTheNextSave) {
  Roots r;
  const std::string garbage = "this is [not a key file\n\x01\x02=\n[Settings]\nbroken";
  WriteFile(r.UserFile(), garbage);
  SdlSettingsStore store = r.Store();
  EXPECT_EQ(Read(store, SettingsRoot::CurrentUser, "broken"), std::nullopt);
  auto key = store.OpenKey(SettingsRoot::CurrentUser, kKey, false);
  EXPECT_FALSE(key->ValueExists("anything"));
  key->DeleteValue("anything");
  EXPECT_EQ(ReadFile(r.UserFile()), garbage) << "reads and no-op deletes must leave the file alone";
  EXPECT_FALSE(fs::exists(r.UserFile().string() + ".corrupt"));

  key->WriteString("fresh", "1");
  EXPECT_EQ(ReadFile(r.UserFile().string() + ".corrupt"), garbage);
  EXPECT_EQ(Read(store, SettingsRoot::CurrentUser, "fresh"), "1");
  // Once sound again, later saves keep what is there.
  key->WriteString("second", "2");
  EXPECT_EQ(Read(store, SettingsRoot::CurrentUser, "fresh"), "1");
  EXPECT_EQ(ReadFile(r.UserFile().string() + ".corrupt"), garbage);
}

TEST(SdlSettingsStore, CommentsOfAHandEditedFileSurviveASave) {
  Roots r;
  WriteFile(r.UserFile(), "# chosen by hand\n[Settings]\nFish Count=3\n");
  SdlSettingsStore store = r.Store();
  Write(store, SettingsRoot::CurrentUser, "Bubbles", "5");
  EXPECT_EQ(Read(store, SettingsRoot::CurrentUser, "Fish Count"), "3");
  EXPECT_NE(ReadFile(r.UserFile()).find("# chosen by hand"), std::string::npos);
}

TEST(SdlSettingsStore, AFileOrFolderMarkedReadOnlyIsNotReplaced) {
  // Renaming the new file over the old one would pass (and root passes
  // every check): the mode decides.
  for (bool folder : {false, true}) {
    SCOPED_TRACE(folder ? "read-only folder" : "read-only file");
    Roots r;
    {
      SdlSettingsStore store = r.Store();
      Write(store, SettingsRoot::CurrentUser, "kept", "old value");
    }
    const fs::path marked = folder ? r.UserFile().parent_path() : r.UserFile();
    const std::string before = ReadFile(r.UserFile());
    fs::permissions(marked, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    SdlSettingsStore store = r.Store();
    try {
      Write(store, SettingsRoot::CurrentUser, "kept", "new value");
      ADD_FAILURE() << "the write was not refused";
    } catch (const velmora::Error& e) {
      EXPECT_NE(std::string(e.what()).find("\"" + marked.string() + "\" is read-only"), std::string::npos) << e.what();
    }
    auto key = store.OpenKey(SettingsRoot::CurrentUser, kKey, false);
    EXPECT_THROW(key->DeleteValue("kept"), velmora::Error);
    EXPECT_EQ(ReadFile(r.UserFile()), before);
    EXPECT_EQ(Read(store, SettingsRoot::CurrentUser, "kept"), "old value");
    fs::permissions(marked, fs::perms::owner_write, fs::perm_options::add);
  }
}

TEST(SdlSettingsStore, ADamagedFileIsReportedOncePerStore) {
  Roots r;
  WriteFile(r.UserFile(), "this is [not a key file\n");
  SdlSettingsStore store = r.Store();
  testing::internal::CaptureStderr();
  // Keys are opened for every pass over the options, many times a run.
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(Read(store, SettingsRoot::CurrentUser, "a"), std::nullopt);
    EXPECT_FALSE(store.OpenKey(SettingsRoot::CurrentUser, kKey, false)->ValueExists("a"));
  }
  const std::string err = testing::internal::GetCapturedStderr();
  size_t count = 0;
  for (size_t at = err.find("is damaged"); at != std::string::npos; at = err.find("is damaged", at + 1)) ++count;
  EXPECT_EQ(count, 1u) << err;
}
