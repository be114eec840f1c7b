// The graphic application: the application object with a time base, the
// frames-per-second measurement and the "Low CPU Usage" pause. Its
// TimersStep counts each frame, starts the time base with the first one,
// measures the rate once a second (OnFPSChanged when it changes) and
// sleeps the Low CPU pause (see TCustomApplicationPro::Idle for the steps).
#pragma once

#include <memory>

#include "app/ApplicationPro.h"
#include "app/Timer.h"
#include "core/Event.h"

namespace velmora {

class TCustomGraphicApplicationPro : public TCustomApplicationPro {
 public:
  explicit TCustomGraphicApplicationPro(TComponent* owner);
  ~TCustomGraphicApplicationPro() override;

  void LoadOptions() override;
  void SaveOptions() override;

  // The time base of the whole program, made on first use; it starts with
  // the first frame.
  TTimerPro& Timer();

  // The last measured frames per second; 1 before the first measurement.
  int FPS() const { return fps_ == 0 ? 1 : fps_; }
  // Frames since the last measurement (counting the one it ended with).
  int FrameCount() const { return frameCount_; }
  double LastFPSTime() const { return lastFPSTime_; }

  // "Low CPU Usage": 17 ms more sleep every frame.
  bool LowCPU = false;

  // A new FPS value differs from the old one.
  TNotifyEvent OnFPSChanged;

 protected:
  void TimersStep() override;

  std::unique_ptr<TTimerPro> timer_;
  int fps_ = 0;
  int frameCount_ = 0;
  double lastFPSTime_ = 0;
};

}  // namespace velmora
