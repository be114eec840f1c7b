// The application object's frames and frame rate, its events and hooks, and
// its message window.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "core/Error.h"
#include "tests/app/ApplicationProTestSupport.h"
#include "tests/support/AllocationHook.h"

using platform::Message;
using platform::MessageKind;
using velmora::Application;
using velmora::TComponent;
using velmora::TCustomApplicationPro;
using velmora::TForm;
using apptest::ApplicationProTest;

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

// A frame's first step is the input waiting: every message passes the hook
// before the frame's other steps, and one that ends the program ends the
// frame before them.
TEST_F(ApplicationProTest, AFrameTakesTheInputWaitingFirst) {
  TForm form(nullptr);
  auto* app = MakeApp(form);
  std::vector<std::string> steps;
  app->OnMessage = [&](Message& m, bool&) { steps.push_back("input " + std::string(1, char(m.key))); };
  app->OnIdle = [&](void*, bool&) { steps.push_back("idle"); };
  Message key;
  key.kind = MessageKind::KeyDown;
  key.key = 'A';
  events.Push(key);
  key.key = 'B';
  events.Push(key);
  Application().HandleMessage();
  EXPECT_EQ(steps, (std::vector<std::string>{"input A", "input B", "idle"}));
  EXPECT_TRUE(events.queue.empty());
  EXPECT_EQ(app->FrameCount(), 1);

  steps.clear();
  events.Push(key);
  events.Push(MessageKind::Quit);
  Application().HandleMessage();
  EXPECT_EQ(steps, (std::vector<std::string>{"input B"}));
  EXPECT_TRUE(Application().Terminated());
  EXPECT_EQ(app->FrameCount(), 1) << "no frame after the quit";
  EXPECT_TRUE(events.waits.empty());
}

// A frame in which nothing changes takes nothing from the heap: not the
// loop's call of its idle hook, not the hook taken away and given back
// around the idle handler.
TEST_F(ApplicationProTest, ASteadyFrameAllocatesNothing) {
  TForm form(nullptr);
  auto* app = MakeApp(form);
  int idles = 0;
  app->OnIdle = [&](void*, bool&) { ++idles; };
  clock.sleeps.reserve(64);
  Application().HandleMessage();  // the first frame starts the application
  Application().HandleMessage();
  clock.sleeps.clear();
  testsupport::StartCountingBlocks();
  for (int i = 0; i < 5; ++i) Application().HandleMessage();
  testsupport::StopCountingBlocks();
  EXPECT_EQ(testsupport::CountedBlocks(), 0u);
  EXPECT_EQ(idles, 7);
  EXPECT_EQ(app->FrameCount(), 7);
  EXPECT_EQ(clock.sleeps.size(), 5u) << "a frame's sleep each";
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
  EXPECT_EQ(broadcast(platform::pbtQuerySuspend), platform::pbDenyQuery);
  EXPECT_EQ(broadcast(platform::pbtQueryStandby), 0x424D5144);
  app->SuspendEnabled = true;
  EXPECT_EQ(broadcast(platform::pbtQuerySuspend), platform::pbTrue);
  EXPECT_EQ(broadcast(platform::pbtQueryStandby), platform::pbTrue);
  EXPECT_EQ(powerOff + powerOn, 0);

  broadcast(platform::pbtSuspend);
  broadcast(platform::pbtStandby);
  EXPECT_EQ(powerOff, 2);
  broadcast(platform::pbtResumeCritical);
  broadcast(platform::pbtResumeSuspend);
  broadcast(platform::pbtResumeStandby);
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
  m.param = platform::pbtQuerySuspend;
  Application().ProcessMessage(m);
  EXPECT_EQ(m.result, platform::pbTrue);
}
