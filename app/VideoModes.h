// The modes of the primary display, as tested by the platform.
//
// One record per width, height and depth, in the order the platform lists
// them, with the highest refresh rate seen. Comparisons look at the lower
// 16 bits of width, height and depth only.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/Display.h"

namespace velmora {

struct TVideoMode {
  uint32_t Width = 0;
  uint32_t Height = 0;
  uint32_t BitsPerPixel = 0;
  uint32_t Frequency = 0;  // Hz; 1 = the hardware default
};

class TVideoModesList {
 public:
  TVideoModesList() = default;
  // Restores the desktop when a full-screen mode is still in effect.
  ~TVideoModesList();
  TVideoModesList(const TVideoModesList&) = delete;
  TVideoModesList& operator=(const TVideoModesList&) = delete;

  // Lists every mode the platform offers and passes its test, then makes
  // sure the desktop's own mode is in the list.
  void Enumerate();
  // Merges a mode into a record of the same size and depth (keeping the
  // higher refresh rate), or appends it when the platform's test passes.
  void AddMode(const platform::DisplayMode& mode);
  // Index of the record of that size and depth, or -1.
  int FindMode(uint32_t width, uint32_t height, uint32_t bits) const;
  // The desktop: primary screen size and depth (frequency 0).
  TVideoMode CurrentMode() const;
  // Full screen in that mode. The desktop's own mode succeeds at once
  // without a change; a mode not listed fails and changes nothing.
  bool SetMode(uint32_t width, uint32_t height, uint32_t bits);
  // Back to the desktop mode.
  void Restore();

  int Count() const { return static_cast<int>(modes_.size()); }
  // Raises "TVideoModesList.GetMode error: ..." for an index out of range.
  const TVideoMode& Mode(int index) const;
  const TVideoMode& operator[](int index) const { return Mode(index); }

  // Index of the record last switched to, -1 before the first switch.
  int CurrentIndex() const { return current_; }
  bool Active() const { return active_; }
  bool ModeChanged() const { return modeChanged_; }

 private:
  std::vector<TVideoMode> modes_;
  int current_ = -1;
  bool active_ = false;
  bool modeChanged_ = false;
};

}  // namespace velmora
