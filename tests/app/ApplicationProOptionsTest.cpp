#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/ApplicationPro.h"
#include "app/Form.h"
#include "app/Toolkit.h"
#include "core/Error.h"
#include "platform/Service.h"
#include "platform/fake/FakeClock.h"
#include "platform/fake/FakeDialogs.h"
#include "platform/fake/FakeDisplay.h"
#include "platform/fake/FakeEvents.h"
#include "platform/fake/FakeProcesses.h"
#include "platform/fake/FakeSettingsStore.h"
#include "platform/fake/FakeSystem.h"
#include "platform/sdl/SdlSettingsStore.h"

using platform::Message;
using platform::MessageKind;
using platform::SettingsRoot;
using velmora::Application;
using velmora::TComponent;
using velmora::TCustomApplicationPro;
using velmora::TCustomGraphicApplicationPro;
using velmora::TForm;

namespace fs = std::filesystem;

namespace {

const std::string kKey = "Software\\Ostrevin\\Velmora 1";

std::string C(const std::string& name) { return TCustomApplicationPro::ComplementText(name); }

class ApplicationProTest : public ::testing::Test {
 protected:
  void SetUp() override { Application().Reset(); }
  void TearDown() override { Application().Reset(); }

  // A form owning an application object, its properties set as the main
  // form sets them, then loaded.
  TCustomGraphicApplicationPro* MakeApp(TForm& form, bool load = true) {
    auto* app = new TCustomGraphicApplicationPro(&form);
    app->Title = "Velmora";
    app->Company = "Ostrevin";
    if (load) {
      TComponent::BeginLoadingAll(&form);
      TComponent::EndLoadingAll(&form);
    }
    return app;
  }

  // Runs one frame after setting the clock to `clockBefore`.
  void FrameAt(TCustomApplicationPro& app, uint32_t clockBefore) {
    clock.Set(clockBefore);
    bool done = true;
    app.Idle(&app, done);
    EXPECT_FALSE(done);
  }

  platform::FakeClock clock{1000};
  platform::FakeEvents events;
  platform::FakeDialogs dialogs;
  platform::FakeSettingsStore store;
  platform::FakeSystem system;
  platform::FakeProcesses processes;
  platform::FakeDisplay display;
  platform::ScopedService<platform::Clock> s1{&clock};
  platform::ScopedService<platform::EventSource> s2{&events};
  platform::ScopedService<platform::Dialogs> s3{&dialogs};
  platform::ScopedService<platform::SettingsStore> s4{&store};
  platform::ScopedService<platform::System> s5{&system};
  platform::ScopedService<platform::Processes> s6{&processes};
  platform::ScopedService<platform::Display> s7{&display};
};

}  // namespace

// ---------------------------------------------------------------------------
// Frames and FPS

TEST_F(ApplicationProTest, FpsMeasuredOncePerSecondCountingFromOne) {
  TForm form(nullptr);
  auto* app = MakeApp(form);
  int changes = 0;
  app->OnFPSChanged = [&](void* sender) {
    EXPECT_EQ(sender, app);
    ++changes;
  };
  FrameAt(*app, 1000);  // the first frame starts the timer at 1003 (three 1 ms sleeps)
  const uint32_t base = 1003;
  ASSERT_TRUE(app->Timer().Running());
  // Frame k runs its check 1000 * (k - 1) / 59 ms after the start, so the
  // 60th frame is the first to see a whole second.
  for (uint32_t k = 2; k <= 60; ++k) {
    if (k == 30) {
      EXPECT_EQ(app->FPS(), 1) << "no measurement yet";
    }
    FrameAt(*app, base + 1000 * (k - 1) / 59 - 1);
  }
  EXPECT_EQ(app->FPS(), 60);  // 60 frames in 1.001 s (the measurement sleeps 1 ms)
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(app->FrameCount(), 1);
  EXPECT_DOUBLE_EQ(app->LastFPSTime(), 1.001);

  // The frame that ended a measurement counts for the next: 59 more frames
  // in the next second give 60 again, and an unchanged value fires nothing.
  for (uint32_t j = 1; j <= 59; ++j) FrameAt(*app, base + 1001 + 1000 * j / 59 - 1);
  EXPECT_EQ(app->FPS(), 60);
  EXPECT_EQ(changes, 1);

  // Half the rate: the event fires again.
  for (uint32_t j = 1; j <= 29; ++j) FrameAt(*app, base + 2002 + 1000 * j / 29 - 1);
  EXPECT_EQ(app->FPS(), 30);
  EXPECT_EQ(changes, 2);
}

TEST_F(ApplicationProTest, FpsRoundsTiesToEven) {
  TForm form(nullptr);
  auto* app = MakeApp(form);
  FrameAt(*app, 1000);
  const uint32_t base = 1003;
  // 121 frames, the last one measuring at 1.999 + 0.001 s: 60.5 -> 60.
  for (uint32_t k = 2; k <= 120; ++k) FrameAt(*app, base + k - 2);
  EXPECT_EQ(app->FPS(), 1);
  FrameAt(*app, base + 1999 - 1);
  EXPECT_EQ(app->FPS(), 60);
  EXPECT_DOUBLE_EQ(app->LastFPSTime(), 2.0);
  // 123 frames (1 + 122) in 2.000 s: 61.5 -> 62.
  for (uint32_t k = 1; k <= 121; ++k) FrameAt(*app, base + 2000 + k - 1);
  FrameAt(*app, base + 2000 + 1999 - 1);
  EXPECT_EQ(app->FPS(), 62);
}

TEST_F(ApplicationProTest, FirstFrameStartsWithItsSleepsAndTheIdleHookDetached) {
  TForm form(nullptr);
  auto* app = MakeApp(form);
  int started = 0;
  app->OnStart = [&](void* sender) {
    EXPECT_EQ(sender, app);
    EXPECT_EQ(app->State(), 0);
    EXPECT_FALSE(Application().Events.OnIdle) << "no frames from a nested loop during OnStart";
    EXPECT_EQ(clock.sleeps.size(), 1u) << "1 ms before Start";
    ++started;
  };
  int idleEvents = 0;
  app->OnIdle = [&](void*, bool&) {
    EXPECT_FALSE(Application().Events.OnIdle);
    ++idleEvents;
  };
  // The store is closed after every frame.
  app->ReadOptionString("x", "");
  ASSERT_TRUE(app->StoreOpen());

  FrameAt(*app, 1000);
  EXPECT_EQ(started, 1);
  EXPECT_EQ(app->State(), 2);
  EXPECT_EQ(clock.sleeps, (std::vector<uint32_t>{1, 1, 1}));
  EXPECT_TRUE(Application().Events.OnIdle);
  EXPECT_FALSE(app->StoreOpen());
  EXPECT_EQ(app->FrameCount(), 1);

  FrameAt(*app, 1100);
  EXPECT_EQ(started, 1);
  EXPECT_EQ(clock.sleeps, (std::vector<uint32_t>{1, 1, 1, 1}));
  EXPECT_EQ(idleEvents, 2);

  app->LowCPU = true;
  FrameAt(*app, 1200);
  EXPECT_EQ(clock.sleeps, (std::vector<uint32_t>{1, 1, 1, 1, 1, 17}));

  // A measuring frame sleeps 1 ms more before it computes.
  clock.sleeps.clear();
  FrameAt(*app, 2500);
  EXPECT_EQ(clock.sleeps, (std::vector<uint32_t>{1, 17, 1}));
}

TEST_F(ApplicationProTest, NoFramesCountedWhileStartFails) {
  TForm form(nullptr);
  auto* app = MakeApp(form);
  app->OnStart = [](void*) { throw std::runtime_error("TWorld.Start error: no scene"); };
  bool done = true;
  EXPECT_THROW(app->Idle(app, done), std::runtime_error);
  EXPECT_EQ(app->State(), 0);
  EXPECT_EQ(app->FrameCount(), 0);
  EXPECT_TRUE(Application().Events.OnIdle) << "the idle hook comes back after a failed start";
  // Through the loop: the error goes to HandleException, which ends the
  // program with a message box.
  Application().Run();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "TWorld.Start error: no scene");
  EXPECT_TRUE(Application().Events.OnIdle);
  EXPECT_EQ(app->FrameCount(), 0);
}

TEST_F(ApplicationProTest, StartAndStopFireOnceEach) {
  TForm form(nullptr);
  auto* app = MakeApp(form);
  int starts = 0, stops = 0;
  app->OnStart = [&](void*) { ++starts; };
  app->OnStop = [&](void*) { ++stops; };
  app->Stop();
  EXPECT_EQ(stops, 0) << "not started";
  app->Start();
  app->Start();
  EXPECT_EQ(starts, 1);
  app->Stop();
  app->Stop();
  EXPECT_EQ(stops, 1);
  EXPECT_EQ(app->State(), 0);
}

TEST_F(ApplicationProTest, ShutdownStopsWhenTheFirstOtherComponentGoes) {
  int stops = 0;
  {
    TForm form(nullptr);
    auto* app = MakeApp(form);
    new TComponent(&form);  // e.g. the display
    new TComponent(&form);  // e.g. the window
    app->OnStop = [&](void*) { ++stops; };
    app->Start();
    delete form.Components().back();  // removed while running: no stop
    EXPECT_EQ(stops, 0);
    Application().Terminate();
  }
  EXPECT_EQ(stops, 1);
}

// ---------------------------------------------------------------------------
// Events and hooks

TEST_F(ApplicationProTest, ApplicationEventsReachTheObjectsEventsAndAreFreedWithIt) {
  {
    TForm form(nullptr);
    auto* app = MakeApp(form);
    std::vector<std::string> fired;
    app->OnActivate = [&](void*) { fired.push_back("activate"); };
    app->OnDeactivate = [&](void*) { fired.push_back("deactivate"); };
    app->OnMinimize = [&](void*) { fired.push_back("minimize"); };
    app->OnRestore = [&](void*) { fired.push_back("restore"); };
    app->OnHint = [&](void*) { fired.push_back("hint"); };
    app->OnMessage = [&](Message& m, bool& handled) {
      fired.push_back("message");
      handled = m.key == 1;
    };
    app->OnShortCut = [&](Message&, bool& handled) {
      fired.push_back("shortcut");
      handled = true;
    };
    app->OnShowHint = [&](std::string& text, bool& canShow, velmora::THintInfo&) {
      fired.push_back("showhint " + text);
      canShow = false;
    };
    for (MessageKind kind : {MessageKind::Activate, MessageKind::Deactivate, MessageKind::Minimize,
                             MessageKind::Restore}) {
      Message m;
      m.kind = kind;
      m.window = 3;
      m.key = 1;  // swallowed by the hook after the state events
      Application().ProcessMessage(m);
      Application().Dispatch(m);
    }
    Message key;
    key.kind = MessageKind::KeyDown;
    Application().ProcessMessage(key);
    Application().SetHint("x");
    std::string text = "tip";
    velmora::THintInfo info;
    EXPECT_FALSE(Application().ShowHint(text, info));
    EXPECT_EQ(fired, (std::vector<std::string>{"message", "activate", "message", "deactivate", "message", "minimize",
                                               "message", "restore", "message", "shortcut", "hint",
                                               "showhint tip"}));
    bool callHelp = true;
    EXPECT_FALSE(app->Help(1, 0, callHelp)) << "no OnHelp";
    app->OnHelp = [](uint16_t command, intptr_t data, bool& call) {
      call = false;
      return command == 3 && data == 7;
    };
    EXPECT_TRUE(app->Help(3, 7, callHelp));
    EXPECT_FALSE(callHelp);
  }
  // Nothing of the freed object remains installed.
  EXPECT_FALSE(Application().Events.OnIdle);
  EXPECT_FALSE(Application().Events.OnMessage);
  EXPECT_FALSE(Application().WindowRegistered(0));
  Message m;
  m.kind = MessageKind::Activate;
  Application().ProcessMessage(m);  // must not reach the freed object
}

TEST_F(ApplicationProTest, HandleExceptionShowsTheErrorAndEndsUnlessOnExceptionIsSet) {
  TForm form(nullptr);
  auto* app = MakeApp(form);
  ASSERT_EQ(Application().Title, "Velmora");
  dialogs.ShowCursor(false);  // hidden, as in full screen
  std::runtime_error error("TGLTexture.SetWidth error: Width is not power 2");
  app->HandleException(app, error);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, error.what());
  EXPECT_EQ(dialogs.messages[0].caption, "Velmora");
  EXPECT_EQ(dialogs.messages[0].icon, platform::MessageIcon::Error);
  EXPECT_TRUE(dialogs.CursorVisible());
  EXPECT_TRUE(Application().Terminated());
  EXPECT_TRUE(Application().Events.OnIdle) << "idle hook back after the report";

  Application().Reset();
  app->HookApplicationEvents();
  void* seenSender = nullptr;
  std::string seenText;
  app->OnException = [&](void* sender, const std::exception& e) {
    seenSender = sender;
    seenText = e.what();
    EXPECT_FALSE(Application().Events.OnIdle) << "no frames while the handler runs";
  };
  // Through the toolkit: an error escaping a message handler.
  Application().RegisterWindow(4, [](Message&) { throw velmora::Error("TFish.Swim error: lost"); });
  Message m;
  m.kind = MessageKind::Paint;
  m.window = 4;
  events.Push(m);
  // The frame loop never says it is done: the idle event ends it.
  app->OnIdle = [&](void*, bool&) {
    if (events.queue.empty()) Application().Terminate();
  };
  Application().Run();
  EXPECT_EQ(seenText, "TFish.Swim error: lost");
  EXPECT_EQ(seenSender, &Application());
  EXPECT_EQ(dialogs.messages.size(), 1u) << "no box when OnException is set";
  EXPECT_TRUE(Application().Events.OnIdle);
}

// ---------------------------------------------------------------------------
// Message window: power broadcasts and close

TEST_F(ApplicationProTest, PowerBroadcastsReachWindowProc) {
  TForm form(nullptr);
  auto* app = MakeApp(form);
  ASSERT_EQ(TCustomApplicationPro::MessageTarget(), app);
  int powerOff = 0, powerOn = 0;
  app->OnPowerOff = [&](void*) { ++powerOff; };
  app->OnPowerOn = [&](void*) { ++powerOn; };
  auto broadcast = [&](uint32_t code) {
    Message m;
    m.kind = MessageKind::PowerBroadcast;
    m.window = 0;
    m.param = code;
    Application().ProcessMessage(m);
    return m.result;
  };
  EXPECT_EQ(broadcast(velmora::pbtQuerySuspend), platform::pbDenyQuery);
  EXPECT_EQ(broadcast(velmora::pbtQueryStandby), 0x424D5144);
  app->SuspendEnabled = true;
  EXPECT_EQ(broadcast(velmora::pbtQuerySuspend), platform::pbTrue);
  EXPECT_EQ(broadcast(velmora::pbtQueryStandby), platform::pbTrue);
  EXPECT_EQ(powerOff + powerOn, 0);

  broadcast(velmora::pbtSuspend);
  broadcast(velmora::pbtStandby);
  EXPECT_EQ(powerOff, 2);
  broadcast(velmora::pbtResumeCritical);
  broadcast(velmora::pbtResumeSuspend);
  broadcast(velmora::pbtResumeStandby);
  EXPECT_EQ(powerOn, 3);
  broadcast(9);  // unknown codes: nothing
  EXPECT_EQ(powerOff, 2);
  EXPECT_EQ(powerOn, 3);

  Message close;
  close.kind = MessageKind::Close;
  close.window = 0;
  close.result = 5;
  Application().ProcessMessage(close);
  EXPECT_EQ(close.result, 0);
  ASSERT_EQ(events.posted.size(), 1u);
  EXPECT_EQ(events.posted[0].kind, MessageKind::Quit);
}

TEST_F(ApplicationProTest, FirstObjectOutsideDesignModeIsTheMessageTarget) {
  TForm designer(nullptr);
  designer.SetDesigning(true);
  auto* designed = new TCustomApplicationPro(&designer);
  EXPECT_TRUE(designed->Designing());
  EXPECT_EQ(TCustomApplicationPro::MessageTarget(), nullptr);
  EXPECT_FALSE(Application().WindowRegistered(0));
  EXPECT_FALSE(Application().Events.OnIdle) << "a designed object hooks nothing";

  TForm form(nullptr);
  auto* first = new TCustomApplicationPro(&form);
  auto* second = new TCustomApplicationPro(&form);
  EXPECT_EQ(TCustomApplicationPro::MessageTarget(), first);
  delete second;
  EXPECT_EQ(TCustomApplicationPro::MessageTarget(), first);
  delete first;
  EXPECT_EQ(TCustomApplicationPro::MessageTarget(), nullptr);
  EXPECT_FALSE(Application().WindowRegistered(0));
  // No target: a query to suspend gets the default answer.
  Message m;
  m.kind = MessageKind::PowerBroadcast;
  m.param = velmora::pbtQuerySuspend;
  Application().ProcessMessage(m);
  EXPECT_EQ(m.result, platform::pbTrue);
}

// ---------------------------------------------------------------------------
// Paths, single instance, keep-awake

TEST_F(ApplicationProTest, PathsFromTheProgramFile) {
  struct Case {
    std::string path, appName, exeFileName, exeDir;
  };
  for (const Case& c : std::vector<Case>{
           {"/opt/velmora/velmora", "velmora", "velmora", "/opt/velmora/"},
           {"/opt/velmora/saver", "saver", "saver", "/opt/velmora/"},
           {"/usr/lib/xscreensaver/velmora.scr", "velmora", "velmora.scr", "/usr/lib/xscreensaver/"},
           {"/a/b/my.saver.scr", "my", "my.saver.scr", "/a/b/"},
           {"/a/.hidden", "", ".hidden", "/a/"},
       }) {
    SCOPED_TRACE(c.path);
    Application().Reset();
    system.executablePath = c.path;
    system.lockRequests.clear();
    TForm form(nullptr);
    auto* app = MakeApp(form);
    EXPECT_EQ(app->AppName(), c.appName);
    EXPECT_EQ(app->ExeFileName(), c.exeFileName);
    EXPECT_EQ(app->ExeDir(), c.exeDir);
    EXPECT_EQ(app->HomeDir, c.exeDir);
    EXPECT_EQ(app->LogFileName(), c.exeDir + c.appName + ".log");
    EXPECT_EQ(app->SystemDir(), "/usr/lib/");
    EXPECT_EQ(app->WindowsDir(), "/");
    ASSERT_EQ(system.lockRequests.size(), 1u);
    EXPECT_EQ(system.lockRequests[0], c.appName + "Semaphore");
  }

  // The long form of the path counts; a linked program is named after its
  // file.
  Application().Reset();
  system.executablePath = "/usr/bin/velmora";
  system.longPaths["/usr/bin/velmora"] = "/opt/Velmora 1/velmora";
  TForm form(nullptr);
  auto* app = MakeApp(form);
  EXPECT_EQ(app->ExeDir(), "/opt/Velmora 1/");
}

TEST_F(ApplicationProTest, TitleAgreesWithTheToolkitAfterInitialize) {
  {
    TForm form(nullptr);
    MakeApp(form);
    EXPECT_EQ(Application().Title, "Velmora");
  }
  Application().Reset();
  system.lockRequests.clear();
  Application().Title = "From toolkit";
  TForm form(nullptr);
  auto* app = new TCustomApplicationPro(&form);
  app->SingleInstance = false;
  app->Loaded();
  EXPECT_EQ(app->Title, "From toolkit");
  EXPECT_TRUE(system.lockRequests.empty()) << "single instance off: no lock";
}

TEST_F(ApplicationProTest, SecondCopyShowsNothingAndSaysWhyOnStandardError) {
  system.otherInstances.insert("velmoraSemaphore");
  testing::internal::CaptureStderr();
  TForm form(nullptr);
  int formHandlers = 0;
  form.OnShow = [&](void*) { ++formHandlers; };
  form.OnClose = [&](void*, velmora::TCloseAction&) { ++formHandlers; };
  form.Show();
  formHandlers = 0;
  auto* app = new TCustomGraphicApplicationPro(&form);
  app->SetLogFile(true);
  int starts = 0;
  app->OnStart = [&](void*) { ++starts; };
  TComponent::BeginLoadingAll(&form);
  TComponent::EndLoadingAll(&form);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "velmora: another copy is running; this start ends\n");

  EXPECT_TRUE(Application().Terminated());
  EXPECT_FALSE(Application().ShowMainForm);
  EXPECT_FALSE(form.Visible());
  EXPECT_FALSE(app->LogFile());
  EXPECT_FALSE(form.OnShow);
  Application().Run();
  EXPECT_FALSE(form.Visible());
  EXPECT_EQ(formHandlers, 0);
  EXPECT_EQ(starts, 0);
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ApplicationProTest, KeepAwakeReportsBothFlags) {
  TForm form(nullptr);
  auto* app = MakeApp(form);
  app->SetNeedDisplay(true);
  app->SetNeedSystem(true);
  app->SetNeedDisplay(false);
  ASSERT_EQ(system.executionStates.size(), 3u);
  EXPECT_TRUE(system.executionStates[0].display);
  EXPECT_FALSE(system.executionStates[0].system);
  EXPECT_TRUE(system.executionStates[1].display);
  EXPECT_TRUE(system.executionStates[1].system);
  EXPECT_FALSE(system.executionStates[2].display);
  EXPECT_TRUE(system.executionStates[2].system);

  TForm designer(nullptr);
  designer.SetDesigning(true);
  auto* designed = new TCustomApplicationPro(&designer);
  designed->SetNeedDisplay(true);
  EXPECT_EQ(system.executionStates.size(), 3u) << "design mode reports nothing";
}

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

// ---------------------------------------------------------------------------
// Main form and help

TEST_F(ApplicationProTest, CenterFormPositionOnTallAndWideScreens) {
  int left = -1, top = -1;
  // Tall: middle of the screen, vertically inside the upper 4:3 band.
  TCustomApplicationPro::CenterFormPosition(768, 1024, 640, 480, left, top);
  EXPECT_EQ(left, 64);
  EXPECT_EQ(top, 48);  // (576 - 480) / 2
  // Square counts as tall.
  TCustomApplicationPro::CenterFormPosition(1000, 1000, 500, 100, left, top);
  EXPECT_EQ(left, 250);
  EXPECT_EQ(top, 325);
  // A form taller than the band: at the top, never above it.
  TCustomApplicationPro::CenterFormPosition(600, 800, 500, 790, left, top);
  EXPECT_EQ(top, 0);
  EXPECT_EQ(left, 50);
  // Wide (two monitors side by side): middle of the left-hand 4:3 band.
  TCustomApplicationPro::CenterFormPosition(2560, 1024, 640, 480, left, top);
  EXPECT_EQ(left, 362);  // (1365 - 640) / 2
  EXPECT_EQ(top, 272);
  // A band wider than the screen: kept on the screen.
  TCustomApplicationPro::CenterFormPosition(1000, 999, 900, 500, left, top);
  EXPECT_EQ(left, 100);
  EXPECT_EQ(top, 249);
  // A form wider than the band: at the left edge.
  TCustomApplicationPro::CenterFormPosition(1920, 1080, 1600, 1200, left, top);
  EXPECT_EQ(left, 0);
  EXPECT_EQ(top, -60) << "the vertical rule has no lower bound";
}

TEST_F(ApplicationProTest, CenterMainFormMovesOnlyATopLevelMainForm) {
  display.desktop = platform::DisplayMode{2560, 1024, 32, 60};
  display.current = display.desktop;
  TForm form(nullptr);
  auto* app = MakeApp(form);
  form.SetBounds(5, 5, 640, 480);
  app->CenterMainForm();
  EXPECT_EQ(form.Left(), 362);
  EXPECT_EQ(form.Top(), 272);
  EXPECT_EQ(form.Width(), 640);
  EXPECT_EQ(form.Height(), 480);

  form.SetBounds(5, 5, 640, 480);
  form.SetParentWindow(1234);
  app->CenterMainForm();
  EXPECT_EQ(form.Left(), 5);
  form.SetParentWindow(0);
  TComponent panel(nullptr);
  form.SetParent(&panel);
  app->CenterMainForm();
  EXPECT_EQ(form.Left(), 5);
}

TEST_F(ApplicationProTest, HelpPageBesideTheProgramOrInTheInstalledShareFolder) {
  // An installed tree: <prefix>/bin/velmora, <prefix>/share/velmora/Help.html.
  fs::path prefix = fs::temp_directory_path() / ("velmora-help-" + std::to_string(reinterpret_cast<uintptr_t>(this)));
  fs::remove_all(prefix);
  fs::create_directories(prefix / "bin");
  fs::create_directories(prefix / "share" / "velmora");
  std::ofstream(prefix / "share" / "velmora" / "Help.html") << "<html></html>";
  system.executablePath = (prefix / "bin" / "velmora").string();
  TForm form(nullptr);
  auto* app = MakeApp(form);
  ASSERT_EQ(app->HomeDir, (prefix / "bin").string() + "/");
  app->ShowHelp();
  ASSERT_EQ(processes.shellOpens.size(), 1u);
  EXPECT_EQ(fs::weakly_canonical(processes.shellOpens[0].file), prefix / "share" / "velmora" / "Help.html");
  // A page beside the program (the build tree) or in a chosen HomeDir wins.
  std::ofstream(prefix / "bin" / "Help.html") << "<html></html>";
  EXPECT_EQ(app->HelpFileName(), (prefix / "bin" / "Help.html").string());
  fs::remove_all(prefix);
  // With neither, the page named by HomeDir, as always.
  EXPECT_EQ(app->HelpFileName(), (prefix / "bin" / "Help.html").string());
}

TEST_F(ApplicationProTest, HelpCursorAndClosing) {
  TForm form(nullptr);
  auto* app = MakeApp(form);
  app->HomeDir = "/usr/share/velmora/";
  app->ShowHelp();
  ASSERT_EQ(processes.shellOpens.size(), 1u);
  EXPECT_EQ(processes.shellOpens[0].file, "/usr/share/velmora/Help.html");
  EXPECT_EQ(processes.shellOpens[0].show, platform::ShowCommand::Show);

  app->ShowAppCursor(false);
  EXPECT_FALSE(dialogs.CursorVisible());
  app->ShowAppCursor(true);
  EXPECT_TRUE(dialogs.CursorVisible());

  app->MakeToolWindow();
  EXPECT_TRUE(Application().SkipTaskBar);

  form.Show();
  app->ShowAppCursor(false);
  app->CloseApplication();
  EXPECT_FALSE(form.Visible());
  EXPECT_TRUE(dialogs.CursorVisible());
  EXPECT_TRUE(Application().Terminated()) << "closing the main form ends the program";

  // Without a main form the application is told to end directly.
  Application().Reset();
  TComponent owner(nullptr);
  auto* lone = new TCustomApplicationPro(&owner);
  lone->CloseApplication();
  EXPECT_TRUE(Application().Terminated());
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
