#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/GLWindow.h"
#include "app/Toolkit.h"
#include "platform/Service.h"
#include "platform/fake/FakeDisplay.h"
#include "tests/app/ShellTestSupport.h"

using namespace velmora;
using platform::Message;
using platform::MessageKind;

namespace {

using shelltest::RecordingWindows;

struct WindowFixture : ::testing::Test {
  RecordingWindows windows;
  platform::FakeDisplay display;
  platform::ScopedService<platform::Windows> useWindows{&windows};
  platform::ScopedService<platform::Display> useDisplay{&display};
  TGLWindow window{nullptr};

  void SetUp() override {
    Application().Reset();
    display.monitors = {{0, 0, 1280, 1024}, {1280, 0, 1920, 1080}};
  }
  void TearDown() override {
    window.DestroyHandle();
    Application().Reset();
  }
};

}  // namespace

TEST_F(WindowFixture, WindowedHandleHasItsOwnSizeAndHandsOverTheDeviceContext) {
  std::vector<std::string> calls;
  window.DeviceContextCreated = [&](platform::NativeWindow* dc) {
    calls.push_back("created");
    EXPECT_EQ(dc, window.Handle());
  };
  window.DeviceContextReleased = [&] {
    // The surface must still exist while the application stops OpenGL.
    EXPECT_TRUE(window.HandleAllocated());
    calls.push_back("released");
  };
  window.HandleNeeded();
  window.HandleNeeded();  // a second call keeps the handle
  ASSERT_EQ(windows.requests.size(), 1u);
  EXPECT_FALSE(windows.requests[0].popup);
  EXPECT_EQ(windows.requests[0].bounds.width, 640);
  EXPECT_EQ(windows.requests[0].bounds.height, 480);
  EXPECT_EQ(window.Width(), 640);
  EXPECT_TRUE(Application().WindowRegistered(window.WindowId()));
  uint32_t id = window.WindowId();
  window.DestroyHandle();
  EXPECT_EQ(calls, (std::vector<std::string>{"created", "released"}));
  EXPECT_EQ(windows.destroyed, 1);
  EXPECT_FALSE(Application().WindowRegistered(id));
  EXPECT_EQ(display.attached, nullptr);
}

TEST_F(WindowFixture, FullScreenPopupCoversTheChosenMonitorOrTheDesktop) {
  window.FullScreenQuery = [] { return true; };
  window.Monitor = 1;
  window.HandleNeeded();
  EXPECT_TRUE(windows.requests.back().popup);
  EXPECT_EQ(windows.requests.back().bounds.left, 1280);
  EXPECT_EQ(windows.requests.back().bounds.width, 1920);
  EXPECT_EQ(windows.last->raised, 1);
  // The display gets the pop-up for its mode, and loses it before it goes.
  EXPECT_EQ(display.attached, window.Handle());
  window.DestroyHandle();
  EXPECT_EQ(display.attached, nullptr);

  for (int monitor : {-1, 2, 3}) {
    window.Monitor = monitor;
    window.HandleNeeded();
    platform::Rect desk = display.VirtualDesktop();
    EXPECT_EQ(windows.requests.back().bounds.width, desk.width) << monitor;
    EXPECT_EQ(windows.requests.back().bounds.height, desk.height) << monitor;
    window.DestroyHandle();
  }
}

TEST_F(WindowFixture, HostWindowIsFilledFromItsOrigin) {
  window.SetParentWindow(4242);
  window.HandleNeeded();
  const auto& r = windows.requests.back();
  EXPECT_EQ(r.host, 4242u);
  EXPECT_FALSE(r.popup);
  EXPECT_EQ(r.bounds.left, 0);
  EXPECT_EQ(r.bounds.top, 0);
  EXPECT_EQ(r.bounds.width, 152);
  EXPECT_EQ(r.bounds.height, 112);
  window.DestroyHandle();

  // A parent control wins over the host window.
  TComponent panel(nullptr);
  window.SetParent(&panel);
  window.HandleNeeded();
  EXPECT_EQ(windows.requests.back().host, 0u);
  window.DestroyHandle();
  window.SetParent(nullptr);

  window.SetParentWindow(0);
  window.SetParentIsRoot(true);
  window.HandleNeeded();
  EXPECT_TRUE(windows.requests.back().hostIsRoot);
}

TEST_F(WindowFixture, MessagesReachTheApplicationsHandlers) {
  std::vector<std::pair<int, int>> sizes;
  int closes = 0, keys = 0;
  bool refuse = true;
  window.OnResize = [&](int w, int h) { sizes.emplace_back(w, h); };
  window.CloseRequest = [&] { return refuse; };
  window.OnClose = [&](void*) { ++closes; };
  window.OnKeyDown = [&](void*, const Message& m) { keys += m.key; };
  window.HandleNeeded();

  Message m;
  m.window = window.WindowId();
  m.kind = MessageKind::Resize;
  m.x = 800;
  m.y = 600;
  Application().Dispatch(m);
  EXPECT_EQ(sizes, (std::vector<std::pair<int, int>>{{800, 600}}));

  m.kind = MessageKind::Close;
  Application().Dispatch(m);
  EXPECT_EQ(closes, 0);  // refused: it was full screen
  refuse = false;
  Application().Dispatch(m);
  EXPECT_EQ(closes, 1);

  for (uint32_t command : {platform::scScreenSave, platform::scMonitorPower, platform::scClose}) {
    m.kind = MessageKind::SysCommand;
    m.param = command;
    m.result = 99;
    Application().Dispatch(m);
    EXPECT_EQ(m.result, 0) << command;
  }

  m.kind = MessageKind::KeyDown;
  m.key = 65;
  Application().Dispatch(m);
  EXPECT_EQ(keys, 65);
}

TEST_F(WindowFixture, NewIdAfterASurfaceChangeIsFollowed) {
  window.HandleNeeded();
  uint32_t old = window.WindowId();
  windows.last->id_ = 77;  // the driver made the surface again
  window.UpdateRegistration();
  EXPECT_EQ(window.WindowId(), 77u);
  EXPECT_TRUE(Application().WindowRegistered(77));
  EXPECT_FALSE(Application().WindowRegistered(old));
}
