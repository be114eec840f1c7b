#include "platform/sdl/SdlDialogs.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "core/Strings.h"
#include "platform/Service.h"

namespace platform {

namespace {

bool HeadlessDriver(const char* name) {
  return name && (velmora::SameText(name, "offscreen") || velmora::SameText(name, "dummy") ||
                  velmora::SameText(name, "evdev"));
}

// A box on a driver without screens would either fail or, worse, appear on
// some X display the test run did not ask for and wait there for a click.
bool CanShowBox() {
  if (SDL_WasInit(SDL_INIT_VIDEO)) return !HeadlessDriver(SDL_GetCurrentVideoDriver());
  if (HeadlessDriver(std::getenv("SDL_VIDEODRIVER"))) return false;
  const char* x = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x && *x) || (wayland && *wayland);
}

Uint32 BoxFlags(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Error: return SDL_MESSAGEBOX_ERROR;
    case MessageIcon::Warning: return SDL_MESSAGEBOX_WARNING;
    case MessageIcon::Information: return SDL_MESSAGEBOX_INFORMATION;
    case MessageIcon::None: break;
  }
  return 0;
}

}  // namespace

void SdlDialogs::MessageBox(const std::string& text, const std::string& caption, MessageIcon icon) {
  if (BoxesAllowed() && CanShowBox() && SDL_ShowSimpleMessageBox(BoxFlags(icon), caption.c_str(), text.c_str(), nullptr) == 0) return;
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  std::fflush(stderr);
}

int SdlDialogs::ShowCursor(bool show) {
  cursorCount_ += show ? 1 : -1;
  // Without video SDL only reports an error; the count stays right anyway.
  if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(cursorCount_ >= 0 ? SDL_ENABLE : SDL_DISABLE);
  return cursorCount_;
}

void SdlDialogs::SetCursorShape(CursorShape shape) {
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
  if (shape == CursorShape::Busy) {
    if (!busy_) busy_ = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_WAIT);
    if (busy_) SDL_SetCursor(busy_);
    return;
  }
  SDL_SetCursor(SDL_GetDefaultCursor());
  // SDL frees only cursors it still knows (a video system ended since
  // took this one with it).
  if (busy_) SDL_FreeCursor(busy_);
  busy_ = nullptr;
}

template <>
Dialogs& Service<Dialogs>::Default() {
  static SdlDialogs dialogs;
  return dialogs;
}

}  // namespace platform
