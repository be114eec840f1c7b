// The application object's option store and log file.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/sdl/SdlSettingsStore.h"
#include "tests/app/ApplicationProTestSupport.h"

using platform::SettingsRoot;
using velmora::Application;
using velmora::TCustomApplicationPro;
using velmora::TForm;

namespace fs = std::filesystem;
using apptest::ApplicationProTest;
using apptest::C;
using apptest::kKey;

// ---------------------------------------------------------------------------
// Option store

TEST_F(ApplicationProTest, OptionsLiveUnderTheProductKeyWithComplementedNames) {
  TForm form(nullptr);
  auto* app = MakeApp(form);
  EXPECT_EQ(app->StoreKeyPath(), kKey);
  app->Company.clear();
  EXPECT_EQ(app->StoreKeyPath(), "Software\\Velmora 1");
  app->Company = "Ostrevin";

  app->LowCPU = true;
  app->HomeDir = "/srv/velmora/";
  app->SaveOptions();
  // Written under the machine-wide root, names complemented.
  auto values = store.Values(SettingsRoot::LocalMachine, kKey);
  EXPECT_EQ(values.size(), 4u);
  EXPECT_EQ(store.Value(SettingsRoot::LocalMachine, kKey, C("LowCPU")), "-1");
  EXPECT_EQ(store.Value(SettingsRoot::LocalMachine, kKey, C("HomeDir")), "/srv/velmora/");
  EXPECT_EQ(store.Value(SettingsRoot::LocalMachine, kKey, C("NeedDisplay")), "0");
  EXPECT_EQ(store.Value(SettingsRoot::LocalMachine, kKey, C("NeedSystem")), "0");
  EXPECT_FALSE(store.Value(SettingsRoot::LocalMachine, kKey, "LowCPU")) << "no plain name";

  // Plain names when not scrambled.
  app->NamesScrambled = false;
  app->SetUseLocalMachine(false);
  app->WriteOptionInteger("FishCount", 12);
  EXPECT_EQ(store.Value(SettingsRoot::CurrentUser, kKey, "FishCount"), "12");
  EXPECT_EQ(app->ReadOptionInteger("FishCount", 0), 12);
}

TEST_F(ApplicationProTest, ComplementTextFlipsEveryByte) {
  EXPECT_EQ(C(""), "");
  std::string flipped = C("Ab\x01\xFF");
  ASSERT_EQ(flipped.size(), 4u);
  EXPECT_EQ(static_cast<unsigned char>(flipped[0]), 0xBE);
  EXPECT_EQ(static_cast<unsigned char>(flipped[1]), 0x9D);
  EXPECT_EQ(static_cast<unsigned char>(flipped[2]), 0xFE);
  EXPECT_EQ(static_cast<unsigned char>(flipped[3]), 0x00);
  EXPECT_EQ(C(flipped), std::string("Ab\x01\xFF"));
}

TEST_F(ApplicationProTest, LoadOptionsReadsPathsVersionAndFlags) {
  TForm form(nullptr);
  auto* app = MakeApp(form);
  store.SetValue(SettingsRoot::LocalMachine, kKey, C("HomeDir"), "/srv/home/");
  store.SetValue(SettingsRoot::LocalMachine, kKey, C("Version"), "2,5");
  store.SetValue(SettingsRoot::CurrentUser, kKey, C("NeedDisplay"), "True");
  store.SetValue(SettingsRoot::CurrentUser, kKey, C("LowCPU"), "-1");
  int loaded = 0;
  std::string versionSeen;
  app->OnLoadOptions = [&](void*) {
    ++loaded;
    versionSeen = app->VersionText();
  };
  app->LoadOptions();
  EXPECT_EQ(loaded, 1);
  EXPECT_EQ(versionSeen, "2.5") << "OnLoadOptions runs after the base options";
  EXPECT_FALSE(app->StoreOpen()) << "closed after OnLoadOptions";
  EXPECT_EQ(app->HomeDir, "/srv/home/");
  EXPECT_EQ(app->ExeDir(), "/opt/velmora/") << "missing: the current value";
  EXPECT_EQ(app->AppName(), "velmora");
  EXPECT_EQ(app->MajorVersion, "2");
  EXPECT_EQ(app->MinorVersion, "5");
  EXPECT_EQ(app->VersionText(), "2.5");
  EXPECT_TRUE(app->NeedDisplay());
  EXPECT_FALSE(app->NeedSystem());
  EXPECT_TRUE(app->LowCPU);
  EXPECT_TRUE(app->UseLocalMachine());
  EXPECT_TRUE(app->NamesScrambled);
  ASSERT_FALSE(system.executionStates.empty());
  EXPECT_TRUE(system.executionStates.back().display);

  // The major version is part of the key: the next pass reads "Velmora 2".
  const std::string key2 = "Software\\Ostrevin\\Velmora 2";
  EXPECT_EQ(app->StoreKeyPath(), key2);
  // A version without a separator changes nothing; "." goes before ",".
  store.SetValue(SettingsRoot::LocalMachine, key2, C("Version"), "7");
  app->LoadOptions();
  EXPECT_EQ(app->VersionText(), "2.5");
  store.SetValue(SettingsRoot::LocalMachine, key2, C("Version"), "3.1,4");
  app->LoadOptions();
  EXPECT_EQ(app->MajorVersion, "3");
  EXPECT_EQ(app->MinorVersion, "1,4");
}

TEST_F(ApplicationProTest, BooleanAndIntegerTexts) {
  TForm form(nullptr);
  auto* app = MakeApp(form);
  struct Case {
    std::string text;
    bool defaultValue;
    bool expected;
  };
  for (const Case& c : std::vector<Case>{{"True", false, true},
                                         {"true", false, true},
                                         {"FALSE", true, false},
                                         {"-1", false, true},
                                         {"0", true, false},
                                         {"5", false, true},
                                         {"", true, true},
                                         {"", false, false}}) {
    SCOPED_TRACE("\"" + c.text + "\"");
    store.SetValue(SettingsRoot::CurrentUser, kKey, "B", c.text);
    EXPECT_EQ(app->ReadOptionBool("B", c.defaultValue), c.expected);
  }
  EXPECT_EQ(app->ReadOptionBool("Missing", true), true);

  // A damaged settings file: a text that is no boolean or integer gives the
  // default, with a warning naming the option, and stays stored.
  store.SetValue(SettingsRoot::CurrentUser, kKey, "B", "yes please");
  for (bool defaultValue : {false, true}) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(app->ReadOptionBool("B", defaultValue), defaultValue);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              std::string("velmora: warning: TCustomApplicationPro.ReadOptionBool: option \"B\" is 'yes please', "
                          "not a valid boolean value; ") +
                  (defaultValue ? "true" : "false") + " is used\n");
  }
  EXPECT_EQ(store.Value(SettingsRoot::CurrentUser, kKey, "B"), "yes please");
  store.SetValue(SettingsRoot::CurrentUser, kKey, "I", "-42");
  EXPECT_EQ(app->ReadOptionInteger("I", 0), -42);
  store.SetValue(SettingsRoot::CurrentUser, kKey, "I", "");
  EXPECT_EQ(app->ReadOptionInteger("I", 9), 9);
  for (const char* bad : {"4x", "99999999999"}) {
    store.SetValue(SettingsRoot::CurrentUser, kKey, "I", bad);
    testing::internal::CaptureStderr();
    EXPECT_EQ(app->ReadOptionInteger("I", 7), 7) << bad;
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              std::string("velmora: warning: TCustomApplicationPro.ReadOptionInteger: option \"I\" is '") + bad +
                  "', not a valid integer value; 7 is used\n");
  }

  app->WriteOptionBool("W", true);
  EXPECT_EQ(store.Value(SettingsRoot::CurrentUser, kKey, "W"), "-1");
  app->WriteOptionBool("W", false);
  EXPECT_EQ(store.Value(SettingsRoot::CurrentUser, kKey, "W"), "0");
}

TEST_F(ApplicationProTest, ReadFallsBackToThePerUserRootAndReturns) {
  TForm form(nullptr);
  auto* app = MakeApp(form);
  app->SetUseLocalMachine(true);
  store.SetValue(SettingsRoot::CurrentUser, kKey, "Only user", "u");
  store.SetValue(SettingsRoot::LocalMachine, kKey, "Both", "machine");
  store.SetValue(SettingsRoot::CurrentUser, kKey, "Both", "user");

  EXPECT_EQ(app->ReadOptionString("Only user", "d"), "u");
  EXPECT_TRUE(app->UseLocalMachine()) << "back to the machine-wide root";
  EXPECT_EQ(app->ReadOptionString("Both", "d"), "machine");
  EXPECT_EQ(app->ReadOptionString("Nowhere", "d"), "d");
  EXPECT_FALSE(store.KeyExists(SettingsRoot::LocalMachine, "Software\\Other")) << "reads create nothing";

  // Opened read-only each time; the per-user root only when needed.
  const auto& opens = store.Opens();
  ASSERT_GE(opens.size(), 3u);
  EXPECT_EQ(opens[0].root, SettingsRoot::LocalMachine);
  EXPECT_TRUE(opens[0].readOnly);
  EXPECT_EQ(opens[1].root, SettingsRoot::CurrentUser);
  EXPECT_EQ(opens[2].root, SettingsRoot::LocalMachine);

  // A machine-wide root that cannot be read: the per-user root, for good.
  store.FaultsOf(SettingsRoot::LocalMachine).read = true;
  EXPECT_EQ(app->ReadOptionString("Both", "d"), "user");
  EXPECT_FALSE(app->UseLocalMachine());
  store.FaultsOf(SettingsRoot::LocalMachine).read = false;
  EXPECT_EQ(app->ReadOptionString("Both", "d"), "user");

  // A root that cannot even be opened behaves the same.
  app->SetUseLocalMachine(true);
  store.FaultsOf(SettingsRoot::LocalMachine).open = true;
  EXPECT_EQ(app->ReadOptionString("Only user", "d"), "u");
  EXPECT_FALSE(app->UseLocalMachine());

  // Both roots failing: the default, and no error.
  app->SetUseLocalMachine(true);
  store.FaultsOf(SettingsRoot::CurrentUser).read = true;
  EXPECT_EQ(app->ReadOptionString("Only user", "d"), "d");
}

TEST_F(ApplicationProTest, WriteFallsBackToThePerUserRootAndStays) {
  TForm form(nullptr);
  auto* app = MakeApp(form);
  app->SetUseLocalMachine(true);
  app->WriteOptionString("A", "1");
  EXPECT_EQ(store.Value(SettingsRoot::LocalMachine, kKey, "A"), "1");
  EXPECT_FALSE(store.Opens().back().readOnly);

  store.FaultsOf(SettingsRoot::LocalMachine).write = true;
  app->WriteOptionString("B", "2");
  EXPECT_FALSE(store.Value(SettingsRoot::LocalMachine, kKey, "B"));
  EXPECT_EQ(store.Value(SettingsRoot::CurrentUser, kKey, "B"), "2");
  EXPECT_FALSE(app->UseLocalMachine());
  app->WriteOptionString("C", "3");
  EXPECT_EQ(store.Value(SettingsRoot::CurrentUser, kKey, "C"), "3");

  // Nowhere to write: ignored.
  store.FaultsOf(SettingsRoot::CurrentUser).write = true;
  EXPECT_NO_THROW(app->WriteOptionString("D", "4"));
  app->SetUseLocalMachine(true);
  EXPECT_NO_THROW(app->WriteOptionString("D", "4"));
  EXPECT_FALSE(store.Value(SettingsRoot::CurrentUser, kKey, "D"));
}

TEST_F(ApplicationProTest, ChangingStoreFlagsReopensTheKey) {
  TForm form(nullptr);
  auto* app = MakeApp(form);
  app->ReadOptionString("x", "");
  EXPECT_TRUE(app->StoreOpen());
  EXPECT_TRUE(app->ReadOnlyStore());
  app->SetReadOnlyStore(true);
  EXPECT_TRUE(app->StoreOpen()) << "same value: kept";
  app->SetReadOnlyStore(false);
  EXPECT_FALSE(app->StoreOpen());
  app->WriteOptionString("x", "1");
  EXPECT_TRUE(app->StoreOpen());
  app->SetUseLocalMachine(true);
  EXPECT_FALSE(app->StoreOpen());
  EXPECT_EQ(store.LiveKeys(), 0);
}

TEST_F(ApplicationProTest, OptionsSurviveInTheRealStore) {
  fs::path dir = fs::temp_directory_path() / ("velmora-appcore-store-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" + std::to_string(reinterpret_cast<uintptr_t>(this)));
  fs::remove_all(dir);
  fs::create_directories(dir / "user");
  // The machine-wide root is a plain file: it can be neither read nor
  // written, so everything goes to the per-user root.
  std::ofstream(dir / "machine") << "not a folder";
  {
    platform::SdlSettingsStore real((dir / "machine").string(), (dir / "user").string());
    platform::ScopedService<platform::SettingsStore> scoped(&real);
    TForm form(nullptr);
    auto* app = MakeApp(form);
    app->LowCPU = true;
    app->HomeDir = "/srv/velmora/";
    app->SaveOptions();
    EXPECT_FALSE(app->UseLocalMachine());
  }
  EXPECT_TRUE(fs::exists(dir / "user" / "Ostrevin" / "Velmora 1.conf"));
  {
    platform::SdlSettingsStore real((dir / "machine").string(), (dir / "user").string());
    platform::ScopedService<platform::SettingsStore> scoped(&real);
    Application().Reset();
    TForm form(nullptr);
    auto* app = MakeApp(form);
    app->LoadOptions();
    EXPECT_TRUE(app->LowCPU);
    EXPECT_EQ(app->HomeDir, "/srv/velmora/");
  }
  // A missing machine-wide root reads as "no value" and values written to
  // it are found there afterwards.
  fs::remove(dir / "machine");
  {
    platform::SdlSettingsStore real((dir / "machine").string(), (dir / "user").string());
    platform::ScopedService<platform::SettingsStore> scoped(&real);
    Application().Reset();
    TForm form(nullptr);
    auto* app = MakeApp(form);
    app->SetUseLocalMachine(true);
    EXPECT_EQ(app->ReadOptionString("Missing", "d"), "d");
    app->WriteOptionString("Shared", "m");
    EXPECT_TRUE(app->UseLocalMachine());
    EXPECT_EQ(app->ReadOptionString("Shared", "d"), "m");
  }
  EXPECT_TRUE(fs::exists(dir / "machine" / "Ostrevin" / "Velmora 1.conf"));
  fs::remove_all(dir);
}

// ---------------------------------------------------------------------------
// Log file

TEST_F(ApplicationProTest, LogFileIsPaddedWithZeroBlocks) {
  fs::path dir = fs::temp_directory_path() / ("velmora-appcore-log-" + std::to_string(reinterpret_cast<uintptr_t>(this)));
  fs::remove_all(dir);
  fs::create_directories(dir);
  system.executablePath = (dir / "velmora").string();
  TForm form(nullptr);
  auto* app = MakeApp(form);
  const fs::path log = dir / "velmora.log";
  ASSERT_EQ(app->LogFileName(), log.string());

  EXPECT_FALSE(app->WriteLog("not wanted"));
  EXPECT_FALSE(fs::exists(log));

  app->SetLogFile(true);
  ASSERT_TRUE(app->WriteLog("first"));
  auto read = [&] {
    std::ifstream in(log, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  std::string content = read();
  ASSERT_EQ(content.size(), velmora::kLogBlockSize);
  EXPECT_EQ(content.substr(0, 7), "first\r\n");
  EXPECT_EQ(content.find_first_not_of('\0', 7), std::string::npos);

  // Lines follow each other; the file grows by whole blocks.
  std::string line(1000, 'x');
  std::string expected = "first\r\n";
  for (int i = 0; i < 20; ++i) {
    ASSERT_TRUE(app->WriteLog(line));
    expected += line + "\r\n";
  }
  content = read();
  EXPECT_EQ(content.size(), 2 * velmora::kLogBlockSize);
  EXPECT_EQ(content.substr(0, expected.size()), expected);
  EXPECT_EQ(content.find_first_not_of('\0', expected.size()), std::string::npos);

  // A line longer than a block takes as many blocks as it needs.
  std::string huge(40000, 'y');
  ASSERT_TRUE(app->WriteLog(huge));
  expected += huge + "\r\n";
  content = read();
  EXPECT_EQ(content.size() % velmora::kLogBlockSize, 0u);
  EXPECT_GE(content.size(), expected.size());
  EXPECT_LT(content.size(), expected.size() + velmora::kLogBlockSize + 1);
  EXPECT_EQ(content.substr(0, expected.size()), expected);

  // Switching it off closes it; the next line starts a new file.
  app->SetLogFile(false);
  EXPECT_FALSE(app->LogOpen());
  app->SetLogFile(true);
  ASSERT_TRUE(app->WriteLog("again"));
  content = read();
  EXPECT_EQ(content.size(), velmora::kLogBlockSize);
  EXPECT_EQ(content.substr(0, 7), "again\r\n");

  // Debug logs the errors that are reported.
  app->Debug = true;
  app->OnException = [](void*, const std::exception&) {};
  app->HandleException(app, std::runtime_error("TScene.Load error: bad"));
  EXPECT_EQ(read().substr(0, 31), "again\r\nTScene.Load error: bad\r\n");
  fs::remove_all(dir);
}

TEST_F(ApplicationProTest, LogFileThatCannotBeMadeIsNoError) {
  fs::path dir = fs::temp_directory_path() / ("velmora-appcore-nolog-" + std::to_string(reinterpret_cast<uintptr_t>(this)));
  fs::remove_all(dir);
  fs::create_directories(dir);
  fs::create_directories(dir / "velmora.log");  // a folder where the file should be
  system.executablePath = (dir / "velmora").string();
  TForm form(nullptr);
  auto* app = MakeApp(form);
  app->SetLogFile(true);
  app->Debug = true;
  EXPECT_FALSE(app->WriteLog("x"));
  // The error report still reaches the user.
  app->HandleException(app, std::runtime_error("TScene.Load error: bad"));
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "TScene.Load error: bad");
  fs::remove_all(dir);
}

// Each problem of the stored settings is said once, however often the
// options are read; an empty value is one too. A write that fails is kept
// for the caller of the whole save, the usual fall-back from the
// machine-wide root is not.
TEST_F(ApplicationProTest, EachStoredProblemIsWarnedOnceAndAFailedWriteIsKept) {
  TForm form(nullptr);
  auto* app = MakeApp(form);
  store.SetValue(SettingsRoot::CurrentUser, kKey, "E", "");
  testing::internal::CaptureStderr();
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(app->ReadOptionInteger("E", 4), 4);
    EXPECT_TRUE(app->ReadOptionBool("E", true));
    EXPECT_EQ(app->ReadOptionString("E", "d"), "") << "a stored empty text is a text";
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "velmora: warning: TCustomApplicationPro.ReadOptionInteger: option \"E\" is '', not a valid integer "
            "value; 4 is used\n"
            "velmora: warning: TCustomApplicationPro.ReadOptionBool: option \"E\" is '', not a valid boolean "
            "value; true is used\n");

  store.FaultsOf(SettingsRoot::CurrentUser).read = true;
  testing::internal::CaptureStderr();
  for (int i = 0; i < 6; ++i) EXPECT_EQ(app->ReadOptionString("X" + std::to_string(i), "d"), "d");
  const std::string unreadable = testing::internal::GetCapturedStderr();
  EXPECT_EQ(unreadable.rfind("velmora: warning: TCustomApplicationPro.ReadOptionString: the stored settings cannot "
                             "be read (",
                             0),
            0u)
      << unreadable;
  EXPECT_EQ(std::count(unreadable.begin(), unreadable.end(), '\n'), 1) << unreadable;
  store.FaultsOf(SettingsRoot::CurrentUser).read = false;

  EXPECT_EQ(app->WriteError(), "");
  store.FaultsOf(SettingsRoot::CurrentUser).write = true;
  app->WriteOptionString("W", "1");
  const std::string first = app->WriteError();
  EXPECT_NE(first, "");
  app->WriteOptionString("V", "2");
  EXPECT_EQ(app->WriteError(), first) << "the first failure is kept";
  app->ClearWriteError();
  EXPECT_EQ(app->WriteError(), "");
  store.FaultsOf(SettingsRoot::CurrentUser).write = false;
  app->WriteOptionString("W", "1");
  EXPECT_EQ(app->WriteError(), "");
  app->SetUseLocalMachine(true);
  store.FaultsOf(SettingsRoot::LocalMachine).write = true;
  app->WriteOptionString("W", "3");
  EXPECT_EQ(app->WriteError(), "") << "stored in the per-user root";
  EXPECT_EQ(store.Value(SettingsRoot::CurrentUser, kKey, "W"), "3");
}
