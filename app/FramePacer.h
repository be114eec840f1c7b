// Frame pacing for displays whose swaps do not wait for the vertical
// retrace (software renderers, virtual and remote displays, Xvfb): there a
// loop draws as fast as it can and keeps a core busy for frames nobody
// sees. The pacer, told each time a swap has returned, notices frames
// coming faster than the display refreshes and from then on sleeps until
// the next refresh tick, so that the loop draws at the refresh rate.
//
// Lifecycle: made with a clock (seconds, monotonic) and a sleep; the
// refresh rate set once the display is known (SetRefreshRate, 60 Hz while
// unknown); FrameSwapped right after every swap. Pacing starts after
// kFastFrames frames in a row shorter than three quarters of the refresh
// period, and stays on (a swap that waits keeps frames at the period
// anyway). A frame slower than the period sleeps not at all, and a late
// frame does not make the next ones hurry to catch up. Enabled false (a
// benchmark, a film) stops pacing and forgets what was seen.
//
// A fixed rate (SetFixedRate: a live wallpaper's 30 frames a second) is
// kept from the first frame on, whatever the display's rate and whether the
// swap waits for the retrace or not: there every frame waits until its
// period is over.
#pragma once

#include <functional>

namespace velmora {

class TFramePacer {
 public:
  using TNow = std::function<double()>;
  using TSleep = std::function<void(double seconds)>;

  static constexpr int kFastFrames = 3;
  static constexpr double kDefaultRefreshRate = 60;

  TFramePacer(TNow now, TSleep sleep);

  // Hz; 0, below or not finite (the display did not say): 60.
  void SetRefreshRate(double hz);
  // Hz kept from the first frame on; 0, below or not finite lifts it.
  void SetFixedRate(double hz);
  double FixedRate() const { return fixedPeriod_ > 0 ? 1.0 / fixedPeriod_ : 0.0; }
  // The period frames are paced to: the fixed rate's when one is set.
  double Period() const { return fixedPeriod_ > 0 ? fixedPeriod_ : period_; }

  void SetEnabled(bool enabled);
  bool Enabled() const { return enabled_; }
  // Whether frames are being paced now.
  bool Pacing() const { return pacing_; }

  void FrameSwapped();

 private:
  TNow now_;
  TSleep sleep_;
  double period_ = 1.0 / kDefaultRefreshRate;
  double fixedPeriod_ = 0;
  bool enabled_ = true;
  bool pacing_ = false;
  bool seen_ = false;
  int fastFrames_ = 0;
  double last_ = 0;
  double deadline_ = 0;
};

}  // namespace velmora
