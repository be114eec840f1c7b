#include "app/FramePacer.h"

#include <cmath>
#include <utility>

namespace velmora {

TFramePacer::TFramePacer(TNow now, TSleep sleep) : now_(std::move(now)), sleep_(std::move(sleep)) {}

void TFramePacer::SetRefreshRate(double hz) {
  period_ = 1.0 / (std::isfinite(hz) && hz > 0 ? hz : kDefaultRefreshRate);
}

void TFramePacer::SetFixedRate(double hz) {
  fixedPeriod_ = std::isfinite(hz) && hz > 0 ? 1.0 / hz : 0.0;
  // The next frame starts the new cadence.
  pacing_ = false;
  seen_ = false;
  fastFrames_ = 0;
}

void TFramePacer::SetEnabled(bool enabled) {
  enabled_ = enabled;
  pacing_ = false;
  seen_ = false;
  fastFrames_ = 0;
}

void TFramePacer::FrameSwapped() {
  if (!enabled_) return;
  const double now = now_();
  const double period = Period();
  if (!seen_) {
    seen_ = true;
    last_ = now;
    if (fixedPeriod_ > 0) {
      // A fixed rate paces from the first frame on.
      pacing_ = true;
      deadline_ = now + period;
    }
    return;
  }
  if (!pacing_) {
    fastFrames_ = now - last_ < 0.75 * period ? fastFrames_ + 1 : 0;
    last_ = now;
    if (fastFrames_ < kFastFrames) return;
    pacing_ = true;
    deadline_ = now + period;
  }
  if (deadline_ > now) {
    sleep_(deadline_ - now);
    deadline_ += period;
  } else if (now - deadline_ < period) {
    deadline_ += period;  // a little late: the same cadence
  } else {
    deadline_ = now + period;  // far behind: start again from now
  }
  last_ = now;
}

}  // namespace velmora
