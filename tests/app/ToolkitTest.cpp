#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "app/Form.h"
#include "app/Toolkit.h"
#include "platform/Service.h"
#include "platform/fake/FakeDialogs.h"
#include "platform/fake/FakeEvents.h"

using platform::Message;
using platform::MessageKind;
using velmora::Application;
using velmora::TApplication;
using velmora::TCloseAction;
using velmora::TForm;

namespace {

class ToolkitTest : public ::testing::Test {
 protected:
  void SetUp() override { Application().Reset(); }
  void TearDown() override { Application().Reset(); }

  Message Make(MessageKind kind, uint32_t window = 0, int32_t key = 0) {
    Message m;
    m.kind = kind;
    m.window = window;
    m.key = key;
    return m;
  }

  platform::FakeEvents events;
  platform::FakeDialogs dialogs;
  platform::ScopedService<platform::EventSource> scopedEvents{&events};
  platform::ScopedService<platform::Dialogs> scopedDialogs{&dialogs};
};

}  // namespace

TEST_F(ToolkitTest, EveryMessagePassesTheHookBeforeDispatch) {
  TApplication& app = Application();
  std::vector<std::string> order;
  app.Events.OnMessage = [&](Message& m, bool& handled) {
    order.push_back("hook " + std::to_string(m.key));
    handled = m.key == 2;  // the hook swallows key 2
  };
  app.RegisterWindow(7, [&](Message& m) { order.push_back("window " + std::to_string(m.key)); });
  events.Push(Make(MessageKind::KeyUp, 7, 1));
  events.Push(Make(MessageKind::KeyUp, 7, 2));
  events.Push(Make(MessageKind::KeyUp, 7, 3));
  events.Push(Make(MessageKind::Quit));
  app.Run();
  EXPECT_EQ(order, (std::vector<std::string>{"hook 1", "window 1", "hook 2", "hook 3", "window 3"}));
  EXPECT_TRUE(app.Terminated());
}

TEST_F(ToolkitTest, KeyPressesPassTheShortCutEventThenTheWindow) {
  TApplication& app = Application();
  int shortCuts = 0, dispatched = 0;
  app.Events.OnShortCut = [&](Message& m, bool& handled) {
    ++shortCuts;
    handled = m.key == 'S';
  };
  app.RegisterWindow(1, [&](Message&) { ++dispatched; });
  Message s = Make(MessageKind::KeyDown, 1, 'S');
  Message a = Make(MessageKind::SysKeyDown, 1, 'A');
  Message up = Make(MessageKind::KeyUp, 1, 'S');  // not a short-cut candidate
  app.ProcessMessage(s);
  app.ProcessMessage(a);
  app.ProcessMessage(up);
  EXPECT_EQ(shortCuts, 2);
  EXPECT_EQ(dispatched, 2);
}

TEST_F(ToolkitTest, IdleRunsAgainAtOnceUntilItIsDone) {
  TApplication& app = Application();
  int calls = 0;
  app.Events.OnIdle = [&](void* sender, bool& done) {
    EXPECT_EQ(sender, &app);
    EXPECT_TRUE(done) << "done starts true";
    ++calls;
    done = calls >= 3;
    if (calls == 5) app.Terminate();
  };
  // Every wait ends with a message, so the loop idles again afterwards.
  events.onWait = [&](uint32_t) { events.Push(Make(MessageKind::Paint)); };
  app.Run();
  EXPECT_EQ(calls, 5);
  // Calls 1 and 2 were not done: no wait. Calls 3 and 4 were: one wait each.
  EXPECT_EQ(events.waits.size(), 2u);
}

// With an idle step a turn of the loop is that step, and the messages
// waiting are for it to take; without one a turn is one message.
TEST_F(ToolkitTest, ATurnIsTheIdleStepWhichTakesTheMessagesElseOneMessage) {
  TApplication& app = Application();
  std::vector<std::string> order;
  app.RegisterWindow(3, [&](Message& m) { order.push_back("window " + std::to_string(m.key)); });
  events.Push(Make(MessageKind::KeyUp, 3, 1));
  events.Push(Make(MessageKind::KeyUp, 3, 2));
  app.HandleMessage();
  EXPECT_EQ(order, (std::vector<std::string>{"window 1"}));
  EXPECT_TRUE(events.waits.empty());

  order.clear();
  events.Push(Make(MessageKind::KeyUp, 3, 3));
  app.Events.OnIdle = [&](void*, bool& done) {
    order.push_back("idle");
    app.ProcessMessages();
    order.push_back("rest of the step");
    done = false;
  };
  app.HandleMessage();
  EXPECT_EQ(order, (std::vector<std::string>{"idle", "window 2", "window 3", "rest of the step"}));
  EXPECT_TRUE(events.waits.empty()) << "not done: no wait";
}

// An idle step may replace or clear the idle event while it runs: the
// function running lives until it returns, and a replacement runs from the
// next turn on.
TEST_F(ToolkitTest, AnIdleStepMayReplaceOrClearItselfWhileItRuns) {
  TApplication& app = Application();
  // State a handler holds: `live` counts the copies of it that exist.
  struct Held {
    int* live;
    explicit Held(int* count) : live(count) { ++*live; }
    Held(const Held& other) : live(other.live) { ++*live; }
    ~Held() { --*live; }
  };
  int live = 0;
  std::vector<std::string> seen;
  app.Events.OnIdle = [&app, &seen, &live, held = Held(&live)](void*, bool&) {
    app.Events.OnIdle = [&seen](void*, bool&) { seen.push_back("second"); };
    seen.push_back(live > 0 ? "first, alive" : "first, gone");
  };
  app.HandleMessage();
  app.HandleMessage();
  EXPECT_EQ(seen, (std::vector<std::string>{"first, alive", "second"}));
  EXPECT_EQ(live, 0) << "the first handler is gone after its call";

  seen.clear();
  app.Events.OnIdle = [&app, &seen, &live, held = Held(&live)](void*, bool&) {
    app.Events.OnIdle = nullptr;
    seen.push_back(live > 0 ? "alive" : "gone");
  };
  app.HandleMessage();
  EXPECT_FALSE(app.Events.OnIdle);
  app.HandleMessage();
  EXPECT_EQ(seen, (std::vector<std::string>{"alive"}));
  EXPECT_EQ(live, 0);
}

TEST_F(ToolkitTest, QuitEndsTheLoopWithoutPassingTheHook) {
  TApplication& app = Application();
  int hooked = 0;
  app.Events.OnMessage = [&](Message&, bool&) { ++hooked; };
  app.PostQuit();
  ASSERT_EQ(events.posted.size(), 1u);
  EXPECT_EQ(events.posted[0].kind, MessageKind::Quit);
  app.Run();
  EXPECT_TRUE(app.Terminated());
  EXPECT_EQ(hooked, 0);
}

TEST_F(ToolkitTest, ProcessMessagesHandlesWhatIsWaitingWithoutIdle) {
  TApplication& app = Application();
  int idles = 0, handled = 0;
  app.Events.OnIdle = [&](void*, bool&) { ++idles; };
  app.RegisterWindow(3, [&](Message&) { ++handled; });
  events.Push(Make(MessageKind::Paint, 3));
  events.Push(Make(MessageKind::Paint, 3));
  app.ProcessMessages();
  EXPECT_EQ(handled, 2);
  EXPECT_EQ(idles, 0);
  EXPECT_TRUE(events.queue.empty());
  EXPECT_TRUE(events.waits.empty());

  // A quit stops at once; what follows it stays queued.
  events.Push(Make(MessageKind::Quit));
  events.Push(Make(MessageKind::Paint, 3));
  app.ProcessMessages();
  EXPECT_TRUE(app.Terminated());
  EXPECT_EQ(handled, 2);
  EXPECT_EQ(events.queue.size(), 1u);
}

TEST_F(ToolkitTest, DispatchByWindowIdAndDefaultProcedure) {
  TApplication& app = Application();
  std::vector<uint32_t> seen;
  app.RegisterWindow(0, [&](Message& m) { seen.push_back(m.window); });
  app.RegisterWindow(5, [&](Message& m) { seen.push_back(m.window); });
  Message toProgram = Make(MessageKind::User, 0);
  Message toWindow = Make(MessageKind::User, 5);
  app.Dispatch(toProgram);
  app.Dispatch(toWindow);
  EXPECT_EQ(seen, (std::vector<uint32_t>{0, 5}));

  // A power broadcast nobody takes is granted.
  app.UnregisterWindow(0);
  EXPECT_FALSE(app.WindowRegistered(0));
  Message power = Make(MessageKind::PowerBroadcast, 0);
  app.Dispatch(power);
  EXPECT_EQ(power.result, platform::pbTrue);

  // A handler may unregister itself while it runs.
  int calls = 0;
  app.RegisterWindow(9, [&](Message&) {
    ++calls;
    app.UnregisterWindow(9);
  });
  Message m9 = Make(MessageKind::Paint, 9);
  app.Dispatch(m9);
  app.Dispatch(m9);
  EXPECT_EQ(calls, 1);
}

TEST_F(ToolkitTest, ActivationAndWindowStateMessagesFireTheApplicationEvents) {
  TApplication& app = Application();
  std::vector<std::string> fired;
  app.Events.OnActivate = [&](void*) { fired.push_back("activate"); };
  app.Events.OnDeactivate = [&](void*) { fired.push_back("deactivate"); };
  app.Events.OnMinimize = [&](void*) { fired.push_back("minimize"); };
  app.Events.OnRestore = [&](void*) { fired.push_back("restore"); };
  for (MessageKind kind : {MessageKind::Activate, MessageKind::Deactivate, MessageKind::Minimize,
                           MessageKind::Restore, MessageKind::Paint}) {
    Message m = Make(kind, 4);
    app.ProcessMessage(m);
  }
  EXPECT_EQ(fired, (std::vector<std::string>{"activate", "deactivate", "minimize", "restore"}));
}

TEST_F(ToolkitTest, ExceptionsOfHandlersGoToTheExceptionEventElseAMessageBox) {
  TApplication& app = Application();
  app.Title = "Velmora";
  app.RegisterWindow(2, [](Message&) { throw std::runtime_error("TThing.Paint error: broken"); });
  events.Push(Make(MessageKind::Paint, 2));
  events.Push(Make(MessageKind::Quit));
  app.Run();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "TThing.Paint error: broken");
  EXPECT_EQ(dialogs.messages[0].caption, "Velmora");
  EXPECT_EQ(dialogs.messages[0].icon, platform::MessageIcon::Error);

  app.Reset();
  std::string caught;
  app.Events.OnException = [&](void*, const std::exception& e) { caught = e.what(); };
  events.onWait = [&](uint32_t) { app.Terminate(); };
  // The first idle step throws; the loop goes on and the next one ends it.
  int idles = 0;
  app.Events.OnIdle = [&](void*, bool& done) {
    if (++idles == 1) throw std::runtime_error("idle failed");
    done = true;
  };
  app.Run();
  EXPECT_EQ(caught, "idle failed");
  EXPECT_EQ(idles, 2);
  EXPECT_EQ(dialogs.messages.size(), 1u) << "no further message box";
}

TEST_F(ToolkitTest, RunShowsTheMainFormUnlessSuppressed) {
  {
    TForm form(nullptr);
    EXPECT_EQ(Application().MainForm(), &form);
    events.Push(Make(MessageKind::Quit));
    Application().Run();
    EXPECT_TRUE(form.Visible());
  }
  EXPECT_EQ(Application().MainForm(), nullptr) << "a freed main form is forgotten";

  Application().Reset();
  TForm form(nullptr);
  int shown = 0;
  form.OnShow = [&](void*) { ++shown; };
  Application().ShowMainForm = false;
  events.Push(Make(MessageKind::Quit));
  Application().Run();
  EXPECT_FALSE(form.Visible());
  EXPECT_EQ(shown, 0);
}

TEST_F(ToolkitTest, HintsPassTheirEvents) {
  TApplication& app = Application();
  int hints = 0;
  app.Events.OnHint = [&](void*) { ++hints; };
  app.SetHint("Water colour");
  EXPECT_EQ(hints, 1);
  EXPECT_EQ(app.Hint(), "Water colour");

  app.Events.OnShowHint = [](std::string& text, bool& canShow, velmora::THintInfo& info) {
    canShow = text != "secret";
    text += "!";
    info.HideTimeout = 2500;
  };
  velmora::THintInfo info;
  std::string text = "Bubbles";
  EXPECT_TRUE(app.ShowHint(text, info));
  EXPECT_EQ(text, "Bubbles!");
  EXPECT_EQ(info.HideTimeout, 2500);
  text = "secret";
  EXPECT_FALSE(app.ShowHint(text, info));
}

// ---------------------------------------------------------------------------
// TForm

TEST_F(ToolkitTest, FormCloseQueryCloseActionAndTheMainForm) {
  TForm mainForm(nullptr);
  TForm dialog(&mainForm);
  EXPECT_EQ(Application().MainForm(), &mainForm) << "an owned form is not the main form";

  dialog.Show();
  bool allow = false;
  dialog.OnCloseQuery = [&](void*, bool& canClose) { canClose = allow; };
  dialog.Close();
  EXPECT_TRUE(dialog.Visible()) << "close refused";
  allow = true;
  TCloseAction seen = TCloseAction::caNone;
  dialog.OnClose = [&](void*, TCloseAction& action) { seen = action; };
  dialog.Close();
  EXPECT_EQ(seen, TCloseAction::caHide);
  EXPECT_FALSE(dialog.Visible());
  EXPECT_FALSE(Application().Terminated());

  mainForm.Show();
  mainForm.OnClose = [&](void*, TCloseAction& action) {
    seen = action;
    action = TCloseAction::caNone;
  };
  mainForm.Close();
  EXPECT_EQ(seen, TCloseAction::caFree);
  EXPECT_FALSE(Application().Terminated()) << "caNone keeps the program running";
  mainForm.OnClose = nullptr;
  mainForm.Close();
  EXPECT_TRUE(Application().Terminated());
}

TEST_F(ToolkitTest, FormBoundsVisibilityAndClearedHandlers) {
  TForm form(nullptr);
  int resized = 0, shown = 0, hidden = 0;
  form.OnResize = [&](void*) { ++resized; };
  form.OnShow = [&](void*) { ++shown; };
  form.OnHide = [&](void*) { ++hidden; };
  form.SetBounds(10, 20, 800, 600);
  form.SetLeft(30);  // a move is no resize
  EXPECT_EQ(resized, 1);
  EXPECT_EQ(form.Left(), 30);
  EXPECT_EQ(form.Top(), 20);
  EXPECT_EQ(form.Width(), 800);
  EXPECT_EQ(form.Height(), 600);
  form.Show();
  form.Show();
  form.Hide();
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(hidden, 1);

  form.ClearEventHandlers();
  form.Show();
  form.SetWidth(100);
  form.Close();  // the main form: terminates, but no handler runs
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(resized, 1);
  EXPECT_TRUE(Application().Terminated());
}
