#include "platform/fake/FakeDisplay.h"

#include <algorithm>

namespace platform {

static bool SameMode(const DisplayMode& a, const DisplayMode& b) {
  return a.width == b.width && a.height == b.height && a.bitsPerPixel == b.bitsPerPixel;
}

FakeDisplay::FakeDisplay() : current(desktop) {}

bool FakeDisplay::EnumMode(int index, DisplayMode& mode) {
  if (index < 0 || static_cast<size_t>(index) >= modes.size()) return false;
  mode = modes[static_cast<size_t>(index)];
  return true;
}

bool FakeDisplay::Listed(const DisplayMode& mode) const {
  for (const DisplayMode& r : rejected)
    if (SameMode(r, mode)) return false;
  if (SameMode(mode, desktop)) return true;
  return std::any_of(modes.begin(), modes.end(), [&](const DisplayMode& m) {
    return SameMode(m, mode) && (mode.frequency == 0 || m.frequency == mode.frequency);
  });
}

bool FakeDisplay::TestMode(const DisplayMode& mode) {
  tests.push_back(mode);
  return Listed(mode);
}

bool FakeDisplay::ChangeMode(const DisplayMode& mode) {
  changes.push_back(mode);
  if (changeFails || !Listed(mode)) return false;
  current = mode;
  changed = true;
  return true;
}

void FakeDisplay::RestoreMode() {
  ++restores;
  current = desktop;
  changed = false;
}

DisplayMode FakeDisplay::CurrentMode() { return changed ? current : desktop; }

int FakeDisplay::MonitorCount() { return static_cast<int>(monitors.size()); }

Rect FakeDisplay::MonitorBounds(int index) {
  if (index < 0 || static_cast<size_t>(index) >= monitors.size()) return Rect{};
  return monitors[static_cast<size_t>(index)];
}

Rect FakeDisplay::VirtualDesktop() {
  if (monitors.empty()) return Rect{};
  int left = monitors[0].left, top = monitors[0].top;
  int right = left + monitors[0].width, bottom = top + monitors[0].height;
  for (const Rect& m : monitors) {
    left = std::min(left, m.left);
    top = std::min(top, m.top);
    right = std::max(right, m.left + m.width);
    bottom = std::max(bottom, m.top + m.height);
  }
  return Rect{left, top, right - left, bottom - top};
}

ScreenSize FakeDisplay::PrimaryScreenSize() {
  DisplayMode m = CurrentMode();
  return ScreenSize{static_cast<int>(m.width), static_cast<int>(m.height)};
}

void FakeDisplay::AttachFullScreenWindow(NativeWindow* window) {
  if (window) attached = window;
}

void FakeDisplay::DetachFullScreenWindow(NativeWindow* window) {
  if (window && window == attached) attached = nullptr;
}

}  // namespace platform
