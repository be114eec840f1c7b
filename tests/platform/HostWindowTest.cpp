// Velmora as the module of an X11 screen-saver daemon, with this test in the
// daemon's place: it makes the host window, starts velmora on it the way a
// daemon does, reads the window's pixels back, and resizes, destroys or
// signals as a daemon would. Needs VELMORA_TEST_X11_DISPLAY (an Xvfb).
#include <gtest/gtest.h>

// Before Xlib, whose macros (None, ...) would clash with their names.
#include "platform/Events.h"
#include "platform/Service.h"
#include "platform/Window.h"

#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/sdl/X11Library.h"
#include "tests/platform/TempFolder.h"

namespace {

using platform::X11Connection;
using platform_test::ReadFile;
using platform_test::TempFolder;
namespace fs = std::filesystem;

// The water Velmora shows: its upper part, left and right of the clock, is
// of the chosen water's colour (blue: blue well above green; green: green
// well above blue), whatever swims or rises through some of the points.
enum class Water { Blue, Green };

bool WaterColour(unsigned long p, Water water) {
  const int r = int(p >> 16 & 0xFF), g = int(p >> 8 & 0xFF), b = int(p & 0xFF);
  if (water == Water::Blue) return b > g + 25 && g > r;
  return g > b + 15 && b > r;
}

// Generous: a loaded machine running the suite in parallel.
constexpr auto kPatience = std::chrono::seconds(30);

// Polls `done` until it is true or the patience runs out.
bool WaitFor(const std::function<bool()>& done) {
  auto end = std::chrono::steady_clock::now() + kPatience;
  while (std::chrono::steady_clock::now() < end) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return done();
}

std::string VelmoraBinary() {
  std::error_code ec;
  fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return "";
  fs::path binary = self.parent_path().parent_path() / "program" / "velmora";
  return fs::exists(binary) ? binary.string() : "";
}

// The daemon's side: an X connection with a host window of the given depth
// (the daemon's own are often 32 bits deep while the screen's default is 24),
// white until something draws into it.
class Host {
 public:
  Host(const std::string& display, int width, int height, int depth) : x_(display) {
    if (!x_) return;
    Display* d = x_.display();
    int screen = DefaultScreen(d);
    XVisualInfo info{};
    if (!XMatchVisualInfo(d, screen, depth, TrueColor, &info)) return;
    XSetWindowAttributes a{};
    a.colormap = XCreateColormap(d, RootWindow(d, screen), info.visual, AllocNone);
    a.background_pixel = depth == 32 ? 0xFFFFFFFFul : WhitePixel(d, screen);
    a.border_pixel = 0;
    window_ = XCreateWindow(d, RootWindow(d, screen), 0, 0, unsigned(width), unsigned(height), 0, depth, InputOutput,
                            info.visual, CWColormap | CWBackPixel | CWBorderPixel, &a);
    XMapWindow(d, window_);
    if (!x_.SyncOk()) window_ = 0;
  }
  ~Host() {
    if (window_) Destroy();
  }

  explicit operator bool() const { return window_ != 0; }
  Window Id() const { return window_; }

  // The 0xRRGGBB colour at (x, y), none when it cannot be read.
  std::optional<unsigned long> Pixel(int x, int y) {
    XImage* image = XGetImage(x_.display(), window_, x, y, 1, 1, AllPlanes, ZPixmap);
    bool ok = x_.SyncOk();
    if (!image) return std::nullopt;
    unsigned long p = XGetPixel(image, 0, 0) & 0xFFFFFF;
    XDestroyImage(image);
    if (!ok) return std::nullopt;
    return p;
  }
  // Most of five points in the upper quarter show the water.
  bool ShowsWater(int width, int height, Water water) {
    int matches = 0;
    for (int x : {width / 10, width / 5, width * 3 / 10, width * 4 / 5, width * 9 / 10}) {
      std::optional<unsigned long> p = Pixel(x, height / 4);
      if (p && WaterColour(*p, water)) ++matches;
    }
    return matches >= 3;
  }

  // Whether some client listens to the window's structure events (Velmora
  // does once it has taken the window over).
  bool Watched() {
    XWindowAttributes a{};
    bool ok = XGetWindowAttributes(x_.display(), window_, &a) != 0;
    return x_.SyncOk() && ok && (a.all_event_masks & StructureNotifyMask);
  }

  void Resize(int width, int height) {
    XResizeWindow(x_.display(), window_, unsigned(width), unsigned(height));
    x_.SyncOk();
  }
  void Destroy() {
    XDestroyWindow(x_.display(), window_);
    x_.SyncOk();
    window_ = 0;
  }

 private:
  X11Connection x_;
  Window window_ = 0;
};

// Velmora started on the host window, with settings, lock and standard
// error of its own.
class Module {
 public:
  // args: after the program name. The environment is this process's, so
  // XSCREENSAVER_WINDOW set here reaches it as the daemon's does.
  Module(const std::string& display, const std::vector<std::string>& args) {
    std::string binary = VelmoraBinary();
    std::string config = home_ / "config", runtime = home_ / "runtime", err = home_ / "stderr";
    fs::create_directories(config);
    fs::create_directories(runtime);
    pid_ = fork();
    if (pid_ == 0) {
      setenv("DISPLAY", display.c_str(), 1);
      setenv("SDL_VIDEODRIVER", "x11", 1);
      setenv("XDG_CONFIG_HOME", config.c_str(), 1);
      setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
      int fd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      if (fd >= 0) dup2(fd, 2);
      std::vector<char*> argv;
      argv.push_back(const_cast<char*>(binary.c_str()));
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(binary.c_str(), argv.data());
      _exit(127);
    }
  }
  ~Module() {
    if (pid_ > 0 && !status_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }

  // Still running (reaps it when it has ended).
  bool Running() {
    if (status_) return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) status_ = status;
    return !status_;
  }
  // Waits for the end; the wait status, none when it did not end in time.
  std::optional<int> Ended() {
    WaitFor([this] { return !Running(); });
    return status_;
  }
  void Signal(int signal) { kill(pid_, signal); }
  std::string Errors() const { return ReadFile(home_.Path() / "stderr"); }
  fs::path ConfigFolder() const { return home_.Path() / "config"; }

 private:
  TempFolder home_;
  pid_t pid_ = -1;
  std::optional<int> status_;
};

class HostWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* x11 = std::getenv("VELMORA_TEST_X11_DISPLAY");
    if (!x11 || !*x11) GTEST_SKIP() << "needs VELMORA_TEST_X11_DISPLAY (an Xvfb display)";
    if (VelmoraBinary().empty()) GTEST_SKIP() << "the velmora program is not built";
    display = x11;
  }

  // Ended by itself with exit code 0 and not a word on standard error.
  static void EndedQuietly(Module& module) {
    std::optional<int> status = module.Ended();
    ASSERT_TRUE(status) << "velmora did not end";
    EXPECT_TRUE(WIFEXITED(*status)) << "ended by signal " << (WIFSIGNALED(*status) ? WTERMSIG(*status) : 0);
    if (WIFEXITED(*status)) {
      EXPECT_EQ(WEXITSTATUS(*status), 0);
    }
    EXPECT_EQ(module.Errors(), "");
  }

  std::string display;
};

TEST_F(HostWindowTest, DrawsIntoADaemonWindowOfAnotherDepthAndEndsOnTheSignal) {
  Host host(display, 200, 150, 32);
  if (!host) GTEST_SKIP() << "the display has no 32-bit visual";
  setenv("XSCREENSAVER_WINDOW", std::to_string(host.Id()).c_str(), 1);
  Module velmora(display, {"-root", "-water", "blue"});
  unsetenv("XSCREENSAVER_WINDOW");
  EXPECT_TRUE(WaitFor([&] { return host.ShowsWater(200, 150, Water::Blue) || !velmora.Running(); }));
  EXPECT_TRUE(host.ShowsWater(200, 150, Water::Blue)) << std::hex << host.Pixel(20, 37).value_or(0);
  ASSERT_TRUE(velmora.Running()) << velmora.Errors();
  // The daemon ends its module with SIGTERM.
  velmora.Signal(SIGTERM);
  EndedQuietly(velmora);
}

// In a child process (SDL on X11, no SDL state of the other tests): SDL
// takes a host window over as velmora does; the host then resizes and
// destroys it. The window reports the new size, and its end closes it.
int HostWindowEvents(const std::string& display) {
  setenv("DISPLAY", display.c_str(), 1);
  setenv("SDL_VIDEODRIVER", "x11", 1);
  Host host(display, 160, 120, 24);
  if (!host) return 2;
  platform::WindowRequest request;
  request.host = host.Id();
  std::unique_ptr<platform::NativeWindow> window = platform::Get<platform::Windows>().Create(request);
  if (window->Width() != 160 || window->Height() != 120) return 3;
  platform::EventSource& events = platform::Get<platform::EventSource>();
  // Drains the queue until a message of the window matches.
  auto await = [&](platform::MessageKind kind, int x, int y) {
    return WaitFor([&] {
      platform::Message m;
      while (events.Poll(m))
        if (m.window == window->Id() && m.kind == kind && m.x == x && m.y == y) return true;
      return false;
    });
  };
  host.Resize(320, 240);
  if (!await(platform::MessageKind::Resize, 320, 240)) return 4;
  if (window->Width() != 320 || window->Height() != 240) return 5;
  host.Resize(100, 80);
  if (!await(platform::MessageKind::Resize, 100, 80)) return 6;
  host.Destroy();
  if (!await(platform::MessageKind::Close, 0, 0)) return 7;
  return 0;
}

TEST_F(HostWindowTest, HostWindowReportsItsSizeAndItsEnd) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::exit(HostWindowEvents(display)), ::testing::ExitedWithCode(0), "");
}

TEST_F(HostWindowTest, EndsQuietlyWhenTheHostWindowGoesMidFrame) {
  // The frames follow each other without pause, so the window goes while
  // one is being drawn; at different moments of the run each time.
  for (int delayMs : {0, 30, 250}) {
    SCOPED_TRACE(delayMs);
    Host host(display, 160, 120, 24);
    ASSERT_TRUE(host);
    Module velmora(display, {"-window-id", std::to_string(host.Id()), "-water", "blue"});
    ASSERT_TRUE(WaitFor([&] { return host.ShowsWater(160, 120, Water::Blue) || !velmora.Running(); }))
        << velmora.Errors();
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    host.Destroy();
    EndedQuietly(velmora);
  }
}

// A window that is not there: the error on standard error and exit code 1,
// at once. A module of a daemon or a host never shows a box (one would
// wait for a click nobody gives, and outlive the module).
TEST_F(HostWindowTest, AHostWindowThatDoesNotExistIsAnErrorOnStandardErrorNeverABox) {
  const std::string missing = "0x3fffff0";
  struct Start {
    std::vector<std::string> args;
    const char* xscreensaverWindow;
  };
  for (const Start& start : {Start{{"-window-id", missing}, nullptr}, Start{{"-root"}, "0x3fffff0"},
                             Start{{}, "0x3fffff0"}, Start{{"/p:" + missing}, nullptr}, Start{{"/l", missing}, nullptr}}) {
    SCOPED_TRACE(start.args.empty() ? std::string("$XSCREENSAVER_WINDOW") : start.args.front());
    if (start.xscreensaverWindow) setenv("XSCREENSAVER_WINDOW", start.xscreensaverWindow, 1);
    Module velmora(display, start.args);
    unsetenv("XSCREENSAVER_WINDOW");
    std::optional<int> status = velmora.Ended();
    ASSERT_TRUE(status) << "velmora did not end (waiting on a box?)";
    ASSERT_TRUE(WIFEXITED(*status)) << "ended by signal " << (WIFSIGNALED(*status) ? WTERMSIG(*status) : 0);
    EXPECT_EQ(WEXITSTATUS(*status), 1);
    EXPECT_NE(velmora.Errors().find("Host window 0x3fffff0 does not exist"), std::string::npos) << velmora.Errors();
  }
}

// Message boxes named `caption` on the display (SDL's boxes are dialog
// windows); -1 when the display cannot be asked.
int BoxesOnDisplay(const std::string& display, const std::string& caption) {
  X11Connection x(display);
  if (!x) return -1;
  Display* d = x.display();
  const Atom type = XInternAtom(d, "_NET_WM_WINDOW_TYPE", False);
  const Atom dialog = XInternAtom(d, "_NET_WM_WINDOW_TYPE_DIALOG", False);
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  int boxes = 0;
  if (XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count)) {
    for (unsigned i = 0; i < count; ++i) {
      // The name as its bytes (SDL gives it as UTF-8, which XFetchName
      // does not return).
      XTextProperty name{};
      const bool named = XGetWMName(d, children[i], &name) && name.value &&
                         caption == std::string(reinterpret_cast<char*>(name.value), name.nitems);
      if (name.value) XFree(name.value);
      Atom actual = 0;
      int format = 0;
      unsigned long items = 0, after = 0;
      unsigned char* data = nullptr;
      if (named && XGetWindowProperty(d, children[i], type, 0, 1, False, XA_ATOM, &actual, &format, &items, &after,
                                      &data) == Success && data) {
        if (items == 1 && reinterpret_cast<Atom*>(data)[0] == dialog) ++boxes;
        XFree(data);
      }
    }
    if (children) XFree(children);
  }
  if (!x.SyncOk()) return -1;
  return boxes;
}

// A run that shows its own box (the saver started by the user with a
// damaged scene archive) still ends when it is told to, and the box goes
// with it: on SIGTERM the box closes, its text goes to standard error and
// the run ends; killed outright, it takes the box along instead of leaving
// it on the screen with nobody behind it.
TEST_F(HostWindowTest, AnOpenBoxNeverOutlivesItsRunNorKeepsItFromEnding) {
  TempFolder data;
  const fs::path archive = data.Path() / "damaged.rfa";
  std::FILE* f = std::fopen(archive.c_str(), "wb");
  ASSERT_TRUE(f);
  std::fputs("not an archive at all", f);
  std::fclose(f);
  ASSERT_EQ(BoxesOnDisplay(display, "Velmora"), 0) << "a box of another run is open";
  for (int signal : {SIGTERM, SIGKILL}) {
    SCOPED_TRACE(strsignal(signal));
    Module velmora(display, {"-s", "--data", archive.string()});
    ASSERT_TRUE(WaitFor([&] { return BoxesOnDisplay(display, "Velmora") == 1 || !velmora.Running(); }))
        << "no box appeared: " << velmora.Errors();
    ASSERT_TRUE(velmora.Running()) << velmora.Errors();
    velmora.Signal(signal);
    std::optional<int> status = velmora.Ended();
    ASSERT_TRUE(status) << "velmora did not end";
    EXPECT_TRUE(WaitFor([&] { return BoxesOnDisplay(display, "Velmora") == 0; })) << "the box stayed";
    if (signal == SIGTERM) {
      EXPECT_NE(velmora.Errors().find("cannot read the scene archive"), std::string::npos) << velmora.Errors();
    }
  }
}

// The daemon destroys its window while Velmora is still taking it over
// (reading its properties and attributes, making the GL context for it):
// as when it goes later, Velmora ends quietly, never with Xlib's error text
// nor a crash. A window gone before Velmora first looked at it is one that
// does not exist (said so).
TEST_F(HostWindowTest, AWindowDestroyedWhileVelmoraTakesItOverEndsQuietly) {
  // How long Velmora takes, on this machine now, until it has the window
  // (it then listens to its structure events); its property reads come
  // just before. The window goes at moments around that time.
  std::chrono::microseconds takeOver{};
  {
    Host host(display, 160, 120, 24);
    ASSERT_TRUE(host);
    const auto start = std::chrono::steady_clock::now();
    Module velmora(display, {"-window-id", std::to_string(host.Id()), "-water", "blue"});
    const auto end = start + kPatience;
    while (!host.Watched() && velmora.Running() && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(std::chrono::microseconds(500));
    ASSERT_TRUE(host.Watched()) << velmora.Errors();
    takeOver = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
  }
  int quiet = 0;
  for (int percent : {0, 50, 70, 80, 85, 88, 90, 92, 94, 96, 98, 100}) {
    const auto delay = takeOver * percent / 100;
    SCOPED_TRACE(std::to_string(percent) + " % of " + std::to_string(takeOver.count()) + " us");
    Host host(display, 160, 120, 24);
    ASSERT_TRUE(host);
    Module velmora(display, {"-window-id", std::to_string(host.Id()), "-water", "blue"});
    std::this_thread::sleep_for(delay);
    host.Destroy();
    std::optional<int> status = velmora.Ended();
    ASSERT_TRUE(status) << "velmora did not end";
    ASSERT_TRUE(WIFEXITED(*status)) << "ended by signal " << (WIFSIGNALED(*status) ? WTERMSIG(*status) : 0);
    const std::string errors = velmora.Errors();
    EXPECT_EQ(errors.find("X Error"), std::string::npos) << errors;
    if (errors.empty()) {
      EXPECT_EQ(WEXITSTATUS(*status), 0);
      ++quiet;
    } else {
      // Gone before Velmora first looked at it.
      EXPECT_NE(errors.find("does not exist"), std::string::npos) << errors;
    }
  }
  // How many runs Velmora had the window in varies with the machine's load.
  RecordProperty("quiet", quiet);
}

TEST_F(HostWindowTest, EndsQuietlyWhenTheDaemonDestroysTheWindowAndSignalsAtOnce) {
  Host host(display, 160, 120, 32);
  if (!host) GTEST_SKIP() << "the display has no 32-bit visual";
  Module velmora(display, {"-window-id", std::to_string(host.Id()), "-water", "blue"});
  ASSERT_TRUE(WaitFor([&] { return host.ShowsWater(160, 120, Water::Blue) || !velmora.Running(); }))
      << velmora.Errors();
  host.Destroy();
  velmora.Signal(SIGTERM);
  EndedQuietly(velmora);
}

TEST_F(HostWindowTest, SettingsSwitchesShowForTheRunAndAreNotStored) {
  Host host(display, 160, 120, 24);
  ASSERT_TRUE(host);
  Module velmora(display, {"-window-id", std::to_string(host.Id()), "-water", "green", "-no-sound", "-fps"});
  EXPECT_TRUE(WaitFor([&] { return host.ShowsWater(160, 120, Water::Green) || !velmora.Running(); }));
  EXPECT_TRUE(host.ShowsWater(160, 120, Water::Green)) << std::hex << host.Pixel(16, 30).value_or(0)
                                                        << velmora.Errors();
  velmora.Signal(SIGTERM);
  EndedQuietly(velmora);
  // Nothing of the run's switches reached the user's settings.
  for (const auto& entry : fs::recursive_directory_iterator(velmora.ConfigFolder())) {
    if (!entry.is_regular_file()) continue;
    std::string settings = ReadFile(entry.path());
    EXPECT_EQ(settings.find("WaterBackgroundIndex"), std::string::npos) << entry.path();
    EXPECT_EQ(settings.find("FPS"), std::string::npos) << entry.path();
  }
}

// The desktop platforms' preview switches name the host window the same way
// (decimal or 0x hexadecimal, "-p ID" or "/p:ID"): the scene shows in it, in
// the stored water (blue when nothing is stored), and ends with the window.
TEST_F(HostWindowTest, ThePreviewSwitchesDrawIntoTheHostWindow) {
  for (bool colonForm : {false, true}) {
    SCOPED_TRACE(colonForm ? "/p:ID" : "-p ID");
    Host host(display, 160, 120, 24);
    ASSERT_TRUE(host);
    char hex[32];
    std::snprintf(hex, sizeof hex, "0x%lx", static_cast<unsigned long>(host.Id()));
    std::vector<std::string> args = colonForm ? std::vector<std::string>{std::string("/p:") + hex}
                                              : std::vector<std::string>{"-p", std::to_string(host.Id())};
    Module velmora(display, args);
    EXPECT_TRUE(WaitFor([&] { return host.ShowsWater(160, 120, Water::Blue) || !velmora.Running(); }));
    EXPECT_TRUE(host.ShowsWater(160, 120, Water::Blue)) << std::hex << host.Pixel(16, 30).value_or(0)
                                                         << velmora.Errors();
    host.Destroy();
    EndedQuietly(velmora);
  }
}

}  // namespace
