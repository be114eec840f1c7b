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
  double Period() const { return period_; }

  void SetEnabled(bool enabled);
  bool Enabled() const { return enabled_; }
  // Whether frames are being paced now.
  bool Pacing() const { return pacing_; }

  void FrameSwapped();

 private:
  TNow now_;
  TSleep sleep_;
  double period_ = 1.0 / kDefaultRefreshRate;
  bool enabled_ = true;
  bool pacing_ = false;
  bool seen_ = false;
  int fastFrames_ = 0;
  double last_ = 0;
  double deadline_ = 0;
};

}  // namespace velmora
