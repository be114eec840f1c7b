#include "app/FramePacer.h"

#include <cmath>
#include <utility>

namespace velmora {

TFramePacer::TFramePacer(TNow now, TSleep sleep) : now_(std::move(now)), sleep_(std::move(sleep)) {}

void TFramePacer::SetRefreshRate(double hz) {
  period_ = 1.0 / (std::isfinite(hz) && hz > 0 ? hz : kDefaultRefreshRate);
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
  if (!seen_) {
    seen_ = true;
    last_ = now;
    return;
  }
  if (!pacing_) {
    fastFrames_ = now - last_ < 0.75 * period_ ? fastFrames_ + 1 : 0;
    last_ = now;
    if (fastFrames_ < kFastFrames) return;
    pacing_ = true;
    deadline_ = now + period_;
  }
  if (deadline_ > now) {
    sleep_(deadline_ - now);
    deadline_ += period_;
  } else if (now - deadline_ < period_) {
    deadline_ += period_;  // a little late: the same cadence
  } else {
    deadline_ = now + period_;  // far behind: start again from now
  }
  last_ = now;
}

}  // namespace velmora
