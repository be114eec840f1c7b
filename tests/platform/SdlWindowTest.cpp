#include <gtest/gtest.h>

#include <SDL.h>

#include <cstring>
#include <string>

#include "core/Error.h"
#include "platform/Service.h"
#include "platform/Window.h"

namespace platform {
namespace {

bool OffscreenDriver() {
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver && std::strcmp(driver, "offscreen") == 0;
}

TEST(SdlWindowTest, PopupCoversItsRectangle) {
  WindowRequest request;
  request.title = "popup";
  request.bounds = Rect{0, 0, 320, 200};
  request.popup = true;
  std::unique_ptr<NativeWindow> w = Get<Windows>().Create(request);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->Width(), 320);
  EXPECT_EQ(w->Height(), 200);
  auto* sdl = static_cast<SDL_Window*>(w->Handle());
  EXPECT_NE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_BORDERLESS, 0u);
}

TEST(SdlWindowTest, HostWindowsNeedX11AndSayWhy) {
  // Start the video system the usual way first.
  WindowRequest plain;
  plain.bounds = Rect{0, 0, 8, 8};
  Get<Windows>().Create(plain);
  if (!OffscreenDriver()) GTEST_SKIP() << "runs under the offscreen driver";
  WindowRequest request;
  request.host = 0x400007;
  try {
    Get<Windows>().Create(request);
    FAIL() << "a host window was taken over without X11";
  } catch (const velmora::Error& e) {
    EXPECT_NE(std::string(e.what()).find("Windows.Create error: Host windows need the X11 video system"),
              std::string::npos)
        << e.what();
  }
  request.host = 0;
  request.hostIsRoot = true;
  EXPECT_THROW(Get<Windows>().Create(request), velmora::Error);
  Rect rect;
  EXPECT_FALSE(Get<Windows>().ForeignWindowRect(0x400007, rect));
  EXPECT_EQ(Get<Windows>().ForegroundWindow(), 0u);
  // The video system is running offscreen already: the request holds.
  EXPECT_TRUE(Get<Windows>().UseOffscreen(false));
}

}  // namespace
}  // namespace platform
