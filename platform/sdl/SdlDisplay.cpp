// The display service on SDL: the primary display is SDL's display 0, a
// mode switch is an exclusive full-screen window in that mode.
#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/Display.h"
#include "platform/Service.h"
#include "platform/sdl/SdlWindow.h"

namespace platform {

namespace {

bool EnsureVideo() { return SdlStartVideo(); }

// Only these video systems let a program change the display's mode; the
// others (Wayland scales a window instead, offscreen and dummy have no
// screen) keep the desktop mode.
bool DriverChangesModes() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver) return false;
  return std::strcmp(driver, "x11") == 0 || std::strcmp(driver, "windows") == 0 || std::strcmp(driver, "cocoa") == 0;
}

DisplayMode FromSdl(const SDL_DisplayMode& m) {
  DisplayMode r;
  r.width = static_cast<uint32_t>(std::max(m.w, 0));
  r.height = static_cast<uint32_t>(std::max(m.h, 0));
  r.bitsPerPixel = SDL_BITSPERPIXEL(m.format);
  r.frequency = static_cast<uint32_t>(std::max(m.refresh_rate, 0));
  return r;
}

// A refresh rate of 0 or 1 asks for the hardware default, which any listed
// rate satisfies; so does a display that does not report its rate.
bool Matches(const SDL_DisplayMode& offered, const DisplayMode& wanted) {
  DisplayMode o = FromSdl(offered);
  if (o.width != wanted.width || o.height != wanted.height || o.bitsPerPixel != wanted.bitsPerPixel) return false;
  return wanted.frequency <= 1 || o.frequency == 0 || o.frequency == wanted.frequency;
}

class SdlDisplay : public Display {
 public:
  bool EnumMode(int index, DisplayMode& mode) override {
    std::vector<SDL_DisplayMode> modes = Offered();
    if (index < 0 || static_cast<size_t>(index) >= modes.size()) return false;
    mode = FromSdl(modes[static_cast<size_t>(index)]);
    return true;
  }

  bool TestMode(const DisplayMode& mode) override { return Find(mode).has_value(); }

  bool ChangeMode(const DisplayMode& mode) override {
    std::optional<SDL_DisplayMode> m = Find(mode);
    if (!m) return false;
    if (!DriverChangesModes()) return true;  // the desktop mode: nothing to change
    pending_ = m;
    if (attached_) return Apply();
    return true;
  }

  void RestoreMode() override {
    pending_.reset();
    if (attached_ && applied_) {
      if (SDL_Window* w = static_cast<SDL_Window*>(attached_->Handle())) SDL_SetWindowFullscreen(w, 0);
    }
    applied_ = false;
  }

  DisplayMode CurrentMode() override {
    SDL_DisplayMode m;
    if (!EnsureVideo() || SDL_GetCurrentDisplayMode(0, &m) != 0) return DisplayMode{};
    return FromSdl(m);
  }

  int MonitorCount() override {
    if (!EnsureVideo()) return 0;
    return std::max(SDL_GetNumVideoDisplays(), 0);
  }

  Rect MonitorBounds(int index) override {
    SDL_Rect b;
    if (index < 0 || index >= MonitorCount() || SDL_GetDisplayBounds(index, &b) != 0) return Rect{};
    return Rect{b.x, b.y, b.w, b.h};
  }

  Rect VirtualDesktop() override {
    int n = MonitorCount();
    if (n == 0) return Rect{};
    Rect first = MonitorBounds(0);
    int left = first.left, top = first.top, right = first.left + first.width, bottom = first.top + first.height;
    for (int i = 1; i < n; ++i) {
      Rect b = MonitorBounds(i);
      left = std::min(left, b.left);
      top = std::min(top, b.top);
      right = std::max(right, b.left + b.width);
      bottom = std::max(bottom, b.top + b.height);
    }
    return Rect{left, top, right - left, bottom - top};
  }

  ScreenSize PrimaryScreenSize() override {
    Rect b = MonitorBounds(0);
    return ScreenSize{b.width, b.height};
  }

  // VELMORA_SCALE (a factor such as 1.5 or 2) when set, else the primary
  // display's horizontal DPI over 96, in quarter steps, at least 1.
  float ContentScale() override {
    if (const char* forced = std::getenv("VELMORA_SCALE")) {
      char* end = nullptr;
      float v = std::strtof(forced, &end);
      if (end != forced && v >= 0.5f && v <= 4.0f) return v;
    }
    float dpi = 0;
    if (!EnsureVideo() || SDL_GetDisplayDPI(0, nullptr, &dpi, nullptr) != 0 || !(dpi > 0)) return 1.0f;
    float scale = std::round(dpi / 96.0f * 4.0f) / 4.0f;
    return std::clamp(scale, 1.0f, 4.0f);
  }

  void AttachFullScreenWindow(NativeWindow* window) override {
    if (!window) return;
    attached_ = window;
    applied_ = false;
    if (pending_) Apply();
  }

  void DetachFullScreenWindow(NativeWindow* window) override {
    if (!window || window != attached_) return;
    attached_ = nullptr;
    applied_ = false;
  }

 private:
  // The modes this program may use: all of display 0's, or only the
  // desktop's where modes cannot change.
  std::vector<SDL_DisplayMode> Offered() {
    std::vector<SDL_DisplayMode> modes;
    if (!EnsureVideo()) return modes;
    SDL_DisplayMode m;
    if (!DriverChangesModes()) {
      if (SDL_GetDesktopDisplayMode(0, &m) == 0) modes.push_back(m);
      return modes;
    }
    int n = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < n; ++i)
      if (SDL_GetDisplayMode(0, i, &m) == 0) modes.push_back(m);
    if (modes.empty() && SDL_GetDesktopDisplayMode(0, &m) == 0) modes.push_back(m);
    return modes;
  }

  std::optional<SDL_DisplayMode> Find(const DisplayMode& mode) {
    for (const SDL_DisplayMode& m : Offered())
      if (Matches(m, mode)) return m;
    return std::nullopt;
  }

  // Moves the attached window onto the primary display and gives it the
  // pending mode as exclusive full screen.
  bool Apply() {
    SDL_Window* w = static_cast<SDL_Window*>(attached_->Handle());
    if (!w || !pending_) return false;
    SDL_Rect b;
    if (SDL_GetDisplayBounds(0, &b) == 0) SDL_SetWindowPosition(w, b.x, b.y);
    if (SDL_SetWindowDisplayMode(w, &*pending_) != 0) return false;
    if (SDL_SetWindowFullscreen(w, SDL_WINDOW_FULLSCREEN) != 0) return false;
    applied_ = true;
    return true;
  }

  std::optional<SDL_DisplayMode> pending_;
  NativeWindow* attached_ = nullptr;
  bool applied_ = false;
};

}  // namespace

template <>
Display& Service<Display>::Default() {
  static SdlDisplay display;
  return display;
}

}  // namespace platform
