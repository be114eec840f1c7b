#include "app/GLDisplay.h"

#include "platform/Dialogs.h"
#include "platform/Service.h"

namespace velmora {

TCustomDisplayControl::TCustomDisplayControl(TComponent* owner) : TComponent(owner), fullScreenMode_(this) {}

TCustomDisplayControl::~TCustomDisplayControl() {
  if (fullScreen_ && !Designing()) {
    try {
      RestoreMode();
    } catch (...) {
      // Nothing may escape a destructor; the video list restores the
      // desktop in its own destructor when it is still active.
    }
  }
}

void TCustomDisplayControl::Loaded() {
  TComponent::Loaded();
  if (Designing()) return;
  if (EnumOnLoad) Enumerate();
  if (fullScreen_) {
    TScreenMode& m = FullScreenMode();
    SetMode(m.Width(), m.Height(), m.ColorDepth());
  }
}

void TCustomDisplayControl::SetFullScreen(bool value) {
  if (value == fullScreen_) return;
  if (Designing() || Loading()) {
    fullScreen_ = value;
    return;
  }
  if (!value) {
    RestoreMode();
  } else {
    TScreenMode& m = FullScreenMode();
    SetMode(m.Width(), m.Height(), m.ColorDepth());
  }
}

bool TCustomDisplayControl::SetMode(int width, int height, int depth) {
  platform::Get<platform::Dialogs>().ShowCursor(false);
  fullScreenMode_.SetMode(width, height, depth);
  Fire(OnBeforeChange, static_cast<void*>(this));
  // The handler may have changed FullScreenMode and DesktopOnly.
  TScreenMode& m = FullScreenMode();
  bool result = videoModes_.SetMode(static_cast<uint32_t>(m.Width()), static_cast<uint32_t>(m.Height()),
                                    static_cast<uint32_t>(m.ColorDepth()));
  fullScreen_ = videoModes_.Active();
  Fire(OnAfterChange, static_cast<void*>(this));
  return result;
}

void TCustomDisplayControl::RestoreMode() {
  platform::Get<platform::Dialogs>().ShowCursor(true);
  Fire(OnBeforeChange, static_cast<void*>(this));
  videoModes_.Restore();
  fullScreen_ = videoModes_.Active();
  Fire(OnAfterChange, static_cast<void*>(this));
}

void TCustomDisplayControl::Enumerate() {
  colorDepthModes_.Clear();
  videoModes_.Enumerate();
  for (int i = 0; i < videoModes_.Count(); ++i) {
    const TVideoMode& r = videoModes_.Mode(i);
    int bits = static_cast<int>(r.BitsPerPixel), width = static_cast<int>(r.Width), height = static_cast<int>(r.Height);
    bool accept = true;
    Fire(OnFilterMode, bits, width, height, accept);
    if (!accept) continue;
    int entry = colorDepthModes_.Add(bits);
    colorDepthModes_.Item(entry).ScreenModes.Add(width, height, bits);
  }
}

TScreenMode& TCustomDisplayControl::GetDesktopMode() {
  TVideoMode m = videoModes_.CurrentMode();
  desktopMode_.SetMode(static_cast<int>(m.Width), static_cast<int>(m.Height), static_cast<int>(m.BitsPerPixel));
  return desktopMode_;
}

TScreenMode& TCustomDisplayControl::GetDefaultMode() {
  TVideoMode m = videoModes_.CurrentMode();
  defaultMode_.SetMode(static_cast<int>(m.Width), static_cast<int>(m.Height), 16);
  return defaultMode_;
}

TScreenMode& TCustomDisplayControl::FullScreenMode() {
  if (DesktopOnly) return GetDesktopMode();
  return fullScreenMode_;
}

void TCustomDisplayControl::SetFullScreenMode(const TScreenMode& mode) { fullScreenMode_.Assign(mode); }

void TCustomDisplayControl::GetColorDepthNames(std::vector<std::string>& list) {
  list.clear();
  for (int i = 0; i < colorDepthModes_.Count(); ++i) {
    const TColorDepthMode& entry = colorDepthModes_.Item(i);
    int depth = entry.ScreenModes.Count() > 0 ? entry.ScreenModes.Item(0).ColorDepth() : entry.ColorDepth;
    list.push_back(TScreenMode::DepthName(depth));
  }
}

void TCustomDisplayControl::GetScreenSizes(std::vector<std::string>& list) {
  int i = colorDepthModes_.IndexOf(FullScreenMode().ColorDepth());
  if (i < 0) return;
  list.clear();
  const TScreenModes& sizes = colorDepthModes_.Item(i).ScreenModes;
  for (int k = 0; k < sizes.Count(); ++k) list.push_back(sizes.Item(k).SizeText());
}

int TCustomDisplayControl::ColorDepthIndex() { return colorDepthModes_.IndexOf(FullScreenMode().ColorDepth()); }

int TCustomDisplayControl::ScreenSizeIndex() {
  TScreenMode& m = FullScreenMode();
  int i = colorDepthModes_.IndexOf(m.ColorDepth());
  if (i < 0) return -1;
  return colorDepthModes_.Item(i).ScreenModes.IndexOf(m.Width(), m.Height(), m.ColorDepth());
}

}  // namespace velmora
