// The SDL display service under the video driver the tests run with (the
// offscreen driver in CTest): only the desktop mode is offered there and
// choosing it changes nothing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "platform/Display.h"
#include "platform/Service.h"

namespace platform {
namespace {

bool OffscreenDriver() {
  const char* driver = std::getenv("SDL_VIDEODRIVER");
  return driver && std::strcmp(driver, "offscreen") == 0;
}

class SdlDisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (Service<Display>::Overridden()) GTEST_SKIP() << "a fake display is installed";
    if (!OffscreenDriver()) GTEST_SKIP() << "needs SDL_VIDEODRIVER=offscreen";
  }
  Display& display_ = Service<Display>::Default();
};

TEST_F(SdlDisplayTest, OffersOnlyTheDesktopMode) {
  DisplayMode current = display_.CurrentMode();
  ASSERT_GT(current.width, 0u);
  ASSERT_GT(current.height, 0u);
  EXPECT_GE(current.bitsPerPixel, 16u);

  DisplayMode first;
  ASSERT_TRUE(display_.EnumMode(0, first));
  EXPECT_EQ(first.width, current.width);
  EXPECT_EQ(first.height, current.height);
  EXPECT_EQ(first.bitsPerPixel, current.bitsPerPixel);
  DisplayMode none;
  EXPECT_FALSE(display_.EnumMode(1, none));
  EXPECT_FALSE(display_.EnumMode(-1, none));
}

TEST_F(SdlDisplayTest, TestsAndChangesOnlyToTheDesktopMode) {
  DisplayMode current = display_.CurrentMode();
  DisplayMode any = current;
  any.frequency = 0;
  EXPECT_TRUE(display_.TestMode(any));
  any.frequency = 1;
  EXPECT_TRUE(display_.TestMode(any));

  DisplayMode other = current;
  other.width = current.width / 2;
  EXPECT_FALSE(display_.TestMode(other));
  DisplayMode deeper = current;
  deeper.bitsPerPixel = current.bitsPerPixel == 8 ? 16 : 8;
  EXPECT_FALSE(display_.TestMode(deeper));

  EXPECT_FALSE(display_.ChangeMode(other));
  EXPECT_TRUE(display_.ChangeMode(any));
  DisplayMode after = display_.CurrentMode();
  EXPECT_EQ(after.width, current.width);
  EXPECT_EQ(after.height, current.height);
  display_.RestoreMode();
  display_.RestoreMode();  // harmless twice
  EXPECT_EQ(display_.CurrentMode().width, current.width);
}

TEST_F(SdlDisplayTest, MonitorsMakeUpTheVirtualDesktop) {
  int n = display_.MonitorCount();
  ASSERT_GE(n, 1);
  Rect desk = display_.VirtualDesktop();
  for (int i = 0; i < n; ++i) {
    Rect m = display_.MonitorBounds(i);
    EXPECT_GT(m.width, 0);
    EXPECT_GT(m.height, 0);
    EXPECT_LE(desk.left, m.left);
    EXPECT_LE(desk.top, m.top);
    EXPECT_GE(desk.left + desk.width, m.left + m.width);
    EXPECT_GE(desk.top + desk.height, m.top + m.height);
  }
  Rect outside = display_.MonitorBounds(n);
  EXPECT_EQ(outside.width, 0);
  EXPECT_EQ(display_.MonitorBounds(-1).height, 0);

  ScreenSize primary = display_.PrimaryScreenSize();
  EXPECT_EQ(primary.width, display_.MonitorBounds(0).width);
  EXPECT_EQ(primary.height, display_.MonitorBounds(0).height);
  EXPECT_EQ(static_cast<uint32_t>(primary.width), display_.CurrentMode().width);
}

TEST_F(SdlDisplayTest, AttachingAWindowWithoutAPendingModeLeavesItAlone) {
  // A window that fails the test when the service touches it.
  class Untouchable : public NativeWindow {
   public:
    uint32_t Id() const override { return 1; }
    void* Handle() const override {
      ADD_FAILURE() << "window touched";
      return nullptr;
    }
    int Width() const override { return 0; }
    int Height() const override { return 0; }
    void SetBounds(const Rect&) override { ADD_FAILURE(); }
    void SetVisible(bool) override { ADD_FAILURE(); }
    void SetTitle(const std::string&) override {}
    void Raise() override {}
  } window;
  DisplayMode desktop = display_.CurrentMode();
  ASSERT_TRUE(display_.ChangeMode(desktop));
  display_.AttachFullScreenWindow(&window);
  display_.RestoreMode();
  display_.DetachFullScreenWindow(&window);
  display_.AttachFullScreenWindow(nullptr);
  display_.DetachFullScreenWindow(nullptr);
}

}  // namespace
}  // namespace platform

// Under a real X server (the private Xvfb of the test script) modes can
// change: a chosen mode puts the attached window into exclusive full screen
// and restoring takes it out again. SDL picks its video driver once per
// process, so the check runs in a fresh copy of this test program.
#include <SDL.h>

#include <cstdio>

#include "platform/Window.h"

namespace platform {
namespace {

int X11Switch(const char* x11Display) {
  setenv("SDL_VIDEODRIVER", "x11", 1);
  setenv("DISPLAY", x11Display, 1);
  Display& display = Service<Display>::Default();
  DisplayMode current = display.CurrentMode();
  if (current.width == 0) return 2;
  DisplayMode first;
  if (!display.EnumMode(0, first) || !display.TestMode(first)) return 3;
  if (!display.ChangeMode(first)) return 4;

  WindowRequest request;
  request.title = "display test";
  request.popup = true;
  request.bounds = display.MonitorBounds(0);
  std::unique_ptr<NativeWindow> window = Service<Windows>::Default().Create(request);
  SDL_Window* sdl = static_cast<SDL_Window*>(window->Handle());
  if ((SDL_GetWindowFlags(sdl) & SDL_WINDOW_FULLSCREEN) != 0) return 5;  // nothing before the attach

  display.AttachFullScreenWindow(window.get());
  Uint32 flags = SDL_GetWindowFlags(sdl);
  if ((flags & SDL_WINDOW_FULLSCREEN_DESKTOP) != SDL_WINDOW_FULLSCREEN) return 6;  // exclusive, not desktop
  SDL_DisplayMode mode;
  if (SDL_GetWindowDisplayMode(sdl, &mode) != 0 || static_cast<uint32_t>(mode.w) != first.width ||
      static_cast<uint32_t>(mode.h) != first.height)
    return 7;

  display.RestoreMode();
  if ((SDL_GetWindowFlags(sdl) & SDL_WINDOW_FULLSCREEN) != 0) return 8;
  display.DetachFullScreenWindow(window.get());

  // A mode chosen while a window is attached applies at once.
  display.AttachFullScreenWindow(window.get());
  if (!display.ChangeMode(first)) return 9;
  if ((SDL_GetWindowFlags(sdl) & SDL_WINDOW_FULLSCREEN) == 0) return 10;
  display.RestoreMode();
  display.DetachFullScreenWindow(window.get());
  return 0;
}

TEST(SdlDisplayX11Test, AChosenModeMakesTheAttachedWindowExclusiveFullScreen) {
  const char* x11 = std::getenv("VELMORA_TEST_X11_DISPLAY");
  if (!x11 || !*x11) GTEST_SKIP() << "needs VELMORA_TEST_X11_DISPLAY (an Xvfb display)";
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::exit(X11Switch(x11)), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace platform
