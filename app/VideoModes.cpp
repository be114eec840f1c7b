#include "app/VideoModes.h"

#include "core/Error.h"
#include "core/Strings.h"
#include "platform/Service.h"

namespace velmora {

static bool Same16(uint32_t a, uint32_t b) { return (a & 0xFFFFu) == (b & 0xFFFFu); }

TVideoModesList::~TVideoModesList() {
  if (active_) {
    try {
      Restore();
    } catch (...) {
      // A destructor must not throw; the platform restores the desktop when
      // the program ends anyway.
    }
  }
}

void TVideoModesList::Enumerate() {
  modes_.clear();
  current_ = -1;
  platform::Display& display = platform::Get<platform::Display>();
  platform::DisplayMode mode;
  for (int i = 0; display.EnumMode(i, mode); ++i) AddMode(mode);
  TVideoMode desktop = CurrentMode();
  if (FindMode(desktop.Width, desktop.Height, desktop.BitsPerPixel) < 0) {
    platform::DisplayMode d;
    d.width = desktop.Width;
    d.height = desktop.Height;
    d.bitsPerPixel = desktop.BitsPerPixel;
    AddMode(d);
  }
}

void TVideoModesList::AddMode(const platform::DisplayMode& mode) {
  int i = FindMode(mode.width, mode.height, mode.bitsPerPixel);
  if (i >= 0) {
    TVideoMode& r = modes_[static_cast<size_t>(i)];
    if (r.Frequency < mode.frequency) r.Frequency = mode.frequency;
    return;
  }
  if (!platform::Get<platform::Display>().TestMode(mode)) return;
  modes_.push_back(TVideoMode{mode.width, mode.height, mode.bitsPerPixel, mode.frequency == 0 ? 1u : mode.frequency});
}

int TVideoModesList::FindMode(uint32_t width, uint32_t height, uint32_t bits) const {
  for (size_t i = 0; i < modes_.size(); ++i) {
    const TVideoMode& r = modes_[i];
    if (Same16(r.Width, width) && Same16(r.Height, height) && Same16(r.BitsPerPixel, bits)) return static_cast<int>(i);
  }
  return -1;
}

TVideoMode TVideoModesList::CurrentMode() const {
  platform::DisplayMode m = platform::Get<platform::Display>().CurrentMode();
  return TVideoMode{m.width, m.height, m.bitsPerPixel, 0};
}

bool TVideoModesList::SetMode(uint32_t width, uint32_t height, uint32_t bits) {
  TVideoMode desktop = CurrentMode();
  if (Same16(desktop.Width, width) && Same16(desktop.Height, height) && Same16(desktop.BitsPerPixel, bits)) {
    active_ = true;
    return true;
  }
  int i = FindMode(width, height, bits);
  if (i < 0) return false;
  const TVideoMode& r = modes_[static_cast<size_t>(i)];
  platform::DisplayMode m{r.Width, r.Height, r.BitsPerPixel, r.Frequency};
  bool ok = platform::Get<platform::Display>().ChangeMode(m);
  modeChanged_ = ok;
  current_ = i;
  active_ = ok;
  return ok;
}

void TVideoModesList::Restore() {
  platform::Get<platform::Display>().RestoreMode();
  modeChanged_ = false;
  active_ = false;
}

const TVideoMode& TVideoModesList::Mode(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= modes_.size())
    RaiseError("TVideoModesList", "GetMode", Format("Index %d out of bounds (%zu modes)", index, modes_.size()));
  return modes_[static_cast<size_t>(index)];
}

}  // namespace velmora
