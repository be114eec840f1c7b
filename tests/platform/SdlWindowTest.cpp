#include <gtest/gtest.h>

#include <SDL.h>

#include <cstring>
#include <string>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "core/Error.h"
#include "platform/Service.h"
#include "platform/Window.h"
#include "platform/sdl/X11Library.h"

#include <X11/Xutil.h>

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

// The program next to this test: build/tests/test_platform -> build/program/velmora.
std::string VelmoraBinary() {
  std::error_code ec;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return "";
  std::filesystem::path binary = self.parent_path().parent_path() / "program" / "velmora";
  return std::filesystem::exists(binary) ? binary.string() : "";
}

// In a child process (its own X connection, no SDL state of the other
// tests): a white host window, `velmora -p ID` started on it, and after a
// while a pixel of its upper part read back: the water Velmora draws
// there, blue (the default water) - blue well above red.
int HostedPreview(const char* display, const std::string& binary) {
  X11Library& x = X11Library::Get();
  using CreateFn = Window (*)(Display*, Window, int, int, unsigned, unsigned, unsigned, unsigned long, unsigned long);
  using WindowFn = int (*)(Display*, Window);
  using FlushFn = int (*)(Display*);
  using GetImageFn = XImage* (*)(Display*, Drawable, int, int, unsigned, unsigned, unsigned long, int);
  auto create = reinterpret_cast<CreateFn>(x.Symbol("XCreateSimpleWindow"));
  auto map = reinterpret_cast<WindowFn>(x.Symbol("XMapWindow"));
  auto destroy = reinterpret_cast<WindowFn>(x.Symbol("XDestroyWindow"));
  auto flush = reinterpret_cast<FlushFn>(x.Symbol("XFlush"));
  auto getImage = reinterpret_cast<GetImageFn>(x.Symbol("XGetImage"));
  if (!x.Loaded() || !create || !map || !destroy || !flush || !getImage) return 2;
  X11Connection connection(display);
  if (!connection) return 3;
  Display* dpy = connection.display();
  Window root = RootWindow(dpy, DefaultScreen(dpy));
  unsigned long white = WhitePixel(dpy, DefaultScreen(dpy));
  Window host = create(dpy, root, 0, 0, 152, 112, 0, white, white);
  map(dpy, host);
  if (!connection.SyncOk()) return 4;

  pid_t child = fork();
  if (child == 0) {
    setenv("DISPLAY", display, 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);
    // Never the user's settings.
    std::string config = (std::filesystem::temp_directory_path() / ("velmora-x11-" + std::to_string(getpid()))).string();
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    std::string id = std::to_string(host);
    execl(binary.c_str(), binary.c_str(), "/p", id.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  if (child < 0) return 5;
  // Under Xvfb with the software renderer on a loaded machine the first
  // frame may take long; give it a minute before calling it lost.
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  const Clock::time_point deadline = start + std::chrono::seconds(60);
  unsigned long centre = white;
  auto blue = [](unsigned long p) { return int(p & 0xFF) > int(p >> 16 & 0xFF) + 40; };
  int status = 0;
  bool ended = false;
  while (!blue(centre) && Clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (waitpid(child, &status, WNOHANG) == child) {
      ended = true;  // it ended by itself
      break;
    }
    XImage* image = getImage(dpy, host, 15, 28, 1, 1, AllPlanes, ZPixmap);
    if (image) {
      centre = XGetPixel(image, 0, 0);
      XDestroyImage(image);
    }
    connection.SyncOk();
  }
  const double waited = std::chrono::duration<double>(Clock::now() - start).count();
  if (!ended) {
    // The preview never ends on input; the host ends it.
    kill(child, SIGTERM);
    waitpid(child, &status, 0);
  }
  std::error_code ec;
  std::filesystem::remove_all(std::filesystem::temp_directory_path() / ("velmora-x11-" + std::to_string(child)), ec);
  destroy(dpy, host);
  flush(dpy);
  if (ended) {
    std::fprintf(stderr, "velmora ended by itself after %.1f s (%s %d) with the pixel 0x%06lx\n", waited,
                 WIFEXITED(status) ? "exit code" : "signal", WIFEXITED(status) ? WEXITSTATUS(status) : WTERMSIG(status),
                 centre & 0xFFFFFF);
    return 6;
  }
  if (centre == white) {
    std::fprintf(stderr, "after %.1f s the host window's pixel was still white (0x%06lx): velmora drew nothing\n",
                 waited, centre & 0xFFFFFF);
    return 7;
  }
  if (!blue(centre)) {
    std::fprintf(stderr, "after %.1f s the host window's pixel was 0x%06lx, not the blue water velmora draws\n",
                 waited, centre & 0xFFFFFF);
    return 8;
  }
  return 0;
}

TEST(SdlWindowX11Test, PreviewRendersIntoTheHostWindow) {
  const char* x11 = std::getenv("VELMORA_TEST_X11_DISPLAY");
  if (!x11 || !*x11) GTEST_SKIP() << "needs VELMORA_TEST_X11_DISPLAY (an Xvfb display)";
  std::string binary = VelmoraBinary();
  if (binary.empty()) GTEST_SKIP() << "the velmora program is not built";
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::exit(HostedPreview(x11, binary)), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace platform
