#include <gtest/gtest.h>

#include "app/ScreenSaver.h"
#include "app/SettingsForm.h"
#include "core/Error.h"
#include "platform/KeyCodes.h"
#include "tests/app/ShellTestSupport.h"

using namespace velmora;
using platform::Message;
using platform::MessageKind;

namespace {

struct SaverFixture : ::testing::Test, shelltest::ShellFakes {
  std::unique_ptr<TFormSettings> form;

  TGLScreenSaver& Make(std::vector<std::string> args) {
    Application().SetArguments(std::move(args));
    form = std::make_unique<TFormSettings>();
    return *form->GLScreenSaver();
  }
  void TearDown() override {
    // The handlers of a test capture its locals, which are gone by now.
    if (form) {
      form->GLScreenSaver()->OnPowerOff = nullptr;
      form->GLScreenSaver()->OnSnapShot = nullptr;
    }
    form.reset();
  }

  static Message Msg(MessageKind kind, int key = 0) {
    Message m;
    m.kind = kind;
    m.key = key;
    return m;
  }
  static Message Move(int x, int y) {
    Message m = Msg(MessageKind::MouseMove);
    m.x = x;
    m.y = y;
    return m;
  }
  // One message through the toolkit: hook first, then dispatch.
  bool Send(Message m) {
    Application().ProcessMessage(m);
    return form->GLDisplay()->FullScreen();
  }
};

}  // namespace

TEST_F(SaverFixture, SaverRoleGoesFullScreenAtLoadAndHidesTheForm) {
  TGLScreenSaver& app = Make({"/opt/velmora/velmora", "-s"});
  EXPECT_EQ(app.Role(), srSaver);
  EXPECT_TRUE(app.SingleInstance);
  EXPECT_TRUE(app.ExitWithFullScreen);
  EXPECT_TRUE(form->GLDisplay()->FullScreen());
  EXPECT_EQ(form->Left(), -640);
  EXPECT_EQ(form->Width(), 0);
  EXPECT_EQ(host.runningFlags, (std::vector<bool>{true}));
  // Shown, the form's window becomes the full-screen pop-up.
  form->Show();
  ASSERT_FALSE(windows.requests.empty());
  EXPECT_TRUE(windows.requests.back().popup);
  form.reset();
  EXPECT_EQ(host.runningFlags, (std::vector<bool>{true, false}));
}

TEST_F(SaverFixture, ConfigurationRoleDisablesItsHostUntilTheEnd) {
  TGLScreenSaver& app = Make({"/usr/lib/velmora.scr"});
  EXPECT_EQ(app.Role(), srConfig);
  EXPECT_EQ(app.ParentHandle(), windows.foreground);
  ASSERT_EQ(windows.enables.size(), 1u);
  EXPECT_EQ(windows.enables[0], std::make_pair(windows.foreground, false));
  form.reset();
  ASSERT_EQ(windows.enables.size(), 2u);
  EXPECT_EQ(windows.enables[1], std::make_pair(windows.foreground, true));
  // The configuration role does not claim to be a running saver.
  EXPECT_TRUE(host.runningFlags.empty());
}

TEST_F(SaverFixture, PreviewRendersIntoTheHostAndNeverEndsOnInput) {
  TGLScreenSaver& app = Make({"velmora", "/p", "4242"});
  EXPECT_EQ(app.Role(), srPreview);
  // Previews never wait for each other: a daemon runs one per monitor.
  EXPECT_FALSE(app.SingleInstance);
  EXPECT_EQ(form->GLWindow()->ParentWindow(), 4242u);
  EXPECT_EQ(form->GLWindow()->Parent(), nullptr);
  form->Show();
  EXPECT_EQ(windows.requests.back().host, 4242u);
  app.MouseMoveExit = true;
  for (Message m : {Msg(MessageKind::KeyDown, 'A'), Msg(MessageKind::LButtonUp), Move(300, 300)}) Send(m);
  EXPECT_FALSE(Application().Terminated());
}

TEST_F(SaverFixture, PasswordRoleRunsTheHostDialogThenEnds) {
  host.hasPasswordChange = true;
  Make({"velmora", "/a:99"});
  ASSERT_EQ(host.passwordChanges.size(), 1u);
  EXPECT_EQ(host.passwordChanges[0].provider, "SCRSAVE");
  EXPECT_EQ(host.passwordChanges[0].host, 99u);
  EXPECT_FALSE(Application().ShowMainForm);
  EXPECT_TRUE(Application().Terminated());
}

TEST_F(SaverFixture, BadHostWindowEndsStartUpWithAClearError) {
  Application().SetArguments({"velmora", "/p", "nine"});
  EXPECT_THROW(TFormSettings(), Error);
}

TEST_F(SaverFixture, PointerMustMoveThreePixelsOnBothAxesAfterFiveIgnoredMoves) {
  TGLScreenSaver& app = Make({"velmora", "/s"});
  // Without the option no move ends the saver.
  for (int i = 0; i < 8; ++i) EXPECT_TRUE(Send(Move(100 + 50 * i, 100 + 50 * i)));
  app.ResetMouse();
  app.MouseMoveExit = true;
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(Send(Move(500 * i, 7 * i)));  // ignored
  EXPECT_TRUE(Send(Move(100, 100)));  // the reference point
  EXPECT_EQ(app.LastMouseX(), 100);
  EXPECT_TRUE(Send(Move(110, 100)));  // 10 right only
  EXPECT_TRUE(Send(Move(102, 102)));  // 2 on both axes
  EXPECT_FALSE(Send(Move(103, 103)));  // 3 right and 3 down
  EXPECT_TRUE(Application().Terminated());
}

TEST_F(SaverFixture, ClickEndsTheSaverOnReleaseNotOnPress) {
  Make({"velmora", "/s"});
  EXPECT_TRUE(Send(Msg(MessageKind::LButtonDown)));
  EXPECT_TRUE(Send(Msg(MessageKind::RButtonDown)));
  EXPECT_FALSE(Send(Msg(MessageKind::LButtonUp)));
  EXPECT_TRUE(Application().Terminated());
}

TEST_F(SaverFixture, EveryExitInputEndsTheSaver) {
  for (MessageKind kind : {MessageKind::LButtonDblClk, MessageKind::MButtonUp, MessageKind::MButtonDblClk,
                           MessageKind::RButtonUp, MessageKind::RButtonDblClk, MessageKind::SysKeyDown}) {
    Make({"velmora", "/s"});
    EXPECT_FALSE(Send(Msg(kind))) << int(kind);
    form.reset();
    Application().Reset();
  }
}

TEST_F(SaverFixture, ShiftCtrlAndPrintScreenKeepTheSaverRunning) {
  TGLScreenSaver& app = Make({"velmora", "/s"});
  int snapshots = 0;
  app.OnSnapShot = [&](void*) { ++snapshots; };
  EXPECT_TRUE(Send(Msg(MessageKind::KeyDown, platform::vkShift)));
  EXPECT_TRUE(Send(Msg(MessageKind::KeyDown, platform::vkControl)));
  EXPECT_TRUE(Send(Msg(MessageKind::KeyDown, platform::vkSnapshot)));
  Message up = Msg(MessageKind::KeyUp, platform::vkSnapshot);
  up.ctrl = true;
  EXPECT_TRUE(Send(up));
  EXPECT_EQ(snapshots, 1);
  EXPECT_FALSE(Application().Terminated());
  EXPECT_FALSE(Send(Msg(MessageKind::KeyDown, 'A')));
}

TEST_F(SaverFixture, FailedPasswordCheckGoesOnAndResetsThePointer) {
  store.SetValue(platform::SettingsRoot::CurrentUser, "Control Panel\\desktop", "ScreenSaveUsePassword", "1");
  host.hasPasswordCheck = true;
  host.passwordAnswers = {false, true};
  TGLScreenSaver& app = Make({"velmora", "/s"});
  EXPECT_TRUE(app.PasswordProtected());
  app.MouseMoveExit = true;
  for (int i = 0; i < 5; ++i) Send(Move(0, 0));
  Send(Move(10, 10));
  EXPECT_TRUE(Send(Move(50, 50)));  // exit input, but the check fails
  ASSERT_EQ(host.passwordChecks.size(), 1u);
  EXPECT_EQ(host.passwordChecks[0], windows.foreground);
  EXPECT_FALSE(Application().Terminated());
  EXPECT_EQ(app.MouseIgnoreCount(), 5);
  EXPECT_EQ(app.LastMouseX(), -1);
  // The cursor was shown for the check and hidden again.
  EXPECT_FALSE(dialogs.CursorVisible());
  EXPECT_FALSE(Send(Msg(MessageKind::KeyDown, platform::vkSpace)));  // passes this time
  EXPECT_EQ(host.passwordChecks.size(), 2u);
  EXPECT_TRUE(Application().Terminated());
}

TEST_F(SaverFixture, UnprotectedSaverAsksNoPassword) {
  store.SetValue(platform::SettingsRoot::CurrentUser, "Control Panel\\desktop", "ScreenSaveUsePassword", "0");
  host.hasPasswordCheck = true;
  TGLScreenSaver& app = Make({"velmora", "/s"});
  EXPECT_FALSE(app.PasswordProtected());
  EXPECT_FALSE(Send(Msg(MessageKind::KeyDown, platform::vkSpace)));
  EXPECT_TRUE(host.passwordChecks.empty());
}

TEST_F(SaverFixture, FullScreenFromTheSettingsFormReturnsToIt) {
  TGLScreenSaver& app = Make({"velmora", "/c"});
  form->GLDisplay()->SetFullScreen(true);
  ASSERT_TRUE(form->GLDisplay()->FullScreen());
  EXPECT_FALSE(Send(Msg(MessageKind::KeyDown, platform::vkSpace)));
  EXPECT_FALSE(Application().Terminated());
  EXPECT_EQ(app.Role(), srConfig);
}

TEST_F(SaverFixture, PowerTimersFireOnceAfterTheirTime) {
  TGLScreenSaver& app = Make({"velmora", "/s"});
  app.SetPowerOffIndex(1);
  app.SetMonitorOffIndex(2);
  EXPECT_TRUE(app.SuspendEnabled);
  int powerOffs = 0;
  app.OnPowerOff = [&](void*) { ++powerOffs; };
  bool done = true;
  app.Idle(nullptr, done);  // first frame: start, options read, timer running
  app.SetPowerOffIndex(1);
  app.SetMonitorOffIndex(2);
  clock.Advance(59000);
  app.Idle(nullptr, done);
  EXPECT_EQ(host.suspends, 0);
  clock.Advance(2000);
  app.Idle(nullptr, done);
  EXPECT_EQ(host.suspends, 1);
  EXPECT_EQ(app.PowerOffTime(), -1.0f);
  clock.Advance(60000);
  app.Idle(nullptr, done);
  EXPECT_EQ(host.suspends, 1);  // once only
  EXPECT_EQ(host.monitorOffs, 1);
  EXPECT_EQ(powerOffs, 1);
  EXPECT_EQ(app.Viewport().ClearMode, cmColor);
  clock.Advance(600000);
  app.Idle(nullptr, done);
  EXPECT_EQ(host.monitorOffs, 1);
}

TEST_F(SaverFixture, SuspendIsDeniedWhilePowerOffIndexIsZero) {
  TGLScreenSaver& app = Make({"velmora", "/s"});
  app.SetPowerOffIndex(0);
  Message query = Msg(MessageKind::PowerBroadcast);
  query.param = 0;  // query-suspend
  app.WindowProc(query);
  EXPECT_EQ(query.result, platform::pbDenyQuery);
  app.SetPowerOffIndex(3);
  Message again = Msg(MessageKind::PowerBroadcast);
  app.WindowProc(again);
  EXPECT_NE(again.result, platform::pbDenyQuery);
  EXPECT_THROW(app.SetPowerOffIndex(16), Error);
  EXPECT_THROW(app.SetMonitorOffIndex(-1), Error);
  EXPECT_EQ(app.PowerOffIndex(), 3);
}

TEST_F(SaverFixture, SuspendBroadcastLeavesFullScreenAndCloses) {
  TGLScreenSaver& app = Make({"velmora", "/s"});
  app.SetPowerOffIndex(2);
  Message suspend = Msg(MessageKind::PowerBroadcast);
  suspend.param = 4;
  app.WindowProc(suspend);
  EXPECT_FALSE(app.SuspendEnabled);
  EXPECT_FALSE(form->GLDisplay()->FullScreen());
  EXPECT_TRUE(app.InIdle());  // no more frames
  EXPECT_TRUE(Application().Terminated());
}

TEST_F(SaverFixture, OptionsRoundTripUnderScrambledNames) {
  TGLScreenSaver& app = Make({"velmora", "/c"});
  app.MouseMoveExit = true;
  app.SetPowerOffIndex(4);
  app.SetMonitorOffIndex(11);
  app.SaveOptions();
  const std::string key = "Software\\Ostrevin\\Velmora 1";
  auto values = store.Values(platform::SettingsRoot::LocalMachine, key);
  EXPECT_EQ(values.count("MouseMoveExit"), 0u);  // names are held complemented
  EXPECT_EQ(values[TCustomApplicationPro::ComplementText("MouseMoveExit")], "-1");
  EXPECT_EQ(values[TCustomApplicationPro::ComplementText("MonitorOffIndex")], "11");
  form.reset();
  Application().Reset();
  TGLScreenSaver& again = Make({"velmora", "/c"});
  again.LoadOptions();
  EXPECT_TRUE(again.MouseMoveExit);
  EXPECT_EQ(again.PowerOffIndex(), 4);
  EXPECT_EQ(again.MonitorOffTime(), 3600.0f);
}

// Per role, what a start does while another copy runs: the saver has a
// lock of its own, so an open settings window never keeps it from
// starting; a second saver ends; a second settings window asks the first
// to come forward, or says it cannot; previews and the password role take
// no lock. Every refusal is said on standard error, never in a box.
TEST_F(SaverFixture, EachRoleDecidesWhatASecondStartDoesAndSaysIt) {
  struct Case {
    std::vector<std::string> args;
    std::string lock;  // empty: no lock taken
  };
  for (const Case& c : {Case{{"velmora", "-s"}, "velmoraSaverSemaphore"}, Case{{"velmora", "-c"}, "velmoraSemaphore"},
                        Case{{"velmora"}, "velmoraSemaphore"}, Case{{"velmora", "/p", "4242"}, ""},
                        Case{{"velmora", "/a"}, ""}}) {
    SCOPED_TRACE(c.args.back());
    system.lockRequests.clear();
    Application().Reset();
    Make(c.args);
    EXPECT_EQ(system.lockRequests, c.lock.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.lock});
    form.reset();
  }

  // The settings window is open: the saver starts all the same.
  system.otherInstances = {"velmoraSemaphore"};
  Application().Reset();
  testing::internal::CaptureStderr();
  TGLScreenSaver& saver = Make({"velmora", "-s"});
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_FALSE(Application().Terminated());
  EXPECT_NE(saver.Semaphore(), nullptr);
  form.reset();

  // A second settings window: the first is asked to come forward.
  Application().Reset();
  testing::internal::CaptureStderr();
  Make({"velmora", "-c"});
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "velmora: the settings window is already open; it is brought to the front\n");
  EXPECT_EQ(system.raiseRequests, std::vector<std::string>{"velmoraSemaphore"});
  EXPECT_TRUE(Application().Terminated());
  form.reset();
  // ... or, where that cannot be done, says so.
  system.canRaise = false;
  Application().Reset();
  testing::internal::CaptureStderr();
  Make({"velmora", "-c"});
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "velmora: the settings window is already open (it cannot be brought to the front here); this start "
            "ends\n");
  form.reset();

  // A second saver ends, and says why.
  system.otherInstances = {"velmoraSaverSemaphore"};
  Application().Reset();
  testing::internal::CaptureStderr();
  Make({"velmora", "-s"});
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "velmora: the screen saver is already running; this start ends\n");
  EXPECT_TRUE(Application().Terminated());
  EXPECT_TRUE(dialogs.messages.empty());
  form.reset();
  Application().Reset();
}

// The settings window holds the lock; a second copy's request brings its
// window to the front between frames.
TEST_F(SaverFixture, TheFirstSettingsWindowComesForwardWhenAsked) {
  Make({"velmora", "-c"});
  form->Show();
  ASSERT_NE(form->GLScreenSaver()->Semaphore(), nullptr);
  ASSERT_NE(windows.last, nullptr);
  const int before = windows.last->raised;
  bool done = true;
  form->GLScreenSaver()->Idle(nullptr, done);
  EXPECT_EQ(windows.last->raised, before) << "nobody asked";
  system.pendingRaises = 1;
  form->GLScreenSaver()->Idle(nullptr, done);
  EXPECT_EQ(windows.last->raised, before + 1);
}
