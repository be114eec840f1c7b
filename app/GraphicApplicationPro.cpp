#include "app/GraphicApplicationPro.h"

#include <cmath>

#include "app/ApplicationOptions.h"
#include "platform/Clock.h"
#include "platform/Service.h"

namespace velmora {

namespace {

void Sleep(uint32_t milliseconds) { platform::Get<platform::Clock>().Sleep(milliseconds); }

}  // namespace

TCustomGraphicApplicationPro::TCustomGraphicApplicationPro(TComponent* owner) : TCustomApplicationPro(owner) {}

TCustomGraphicApplicationPro::~TCustomGraphicApplicationPro() = default;

TTimerPro& TCustomGraphicApplicationPro::Timer() {
  if (!timer_) timer_ = std::make_unique<TTimerPro>();
  return *timer_;
}

void TCustomGraphicApplicationPro::TimersStep() {
  if (state_ != 2) return;
  Sleep(1);
  ++frameCount_;
  TTimerPro& timer = Timer();
  if (!timer.Running()) {
    timer.Start();
    lastFPSTime_ = timer.GetTime().Seconds();
  }
  double now = timer.GetTime().Seconds();
  if (lastFPSTime_ > now) lastFPSTime_ = now;
  if (LowCPU) Sleep(17);
  if (timer.GetTime().Seconds() - lastFPSTime_ >= 1.0) {
    Sleep(1);
    // Rounded to the nearest integer, ties to even (the default rounding
    // mode).
    int fps = static_cast<int>(std::nearbyint(frameCount_ / (timer.GetTime().Seconds() - lastFPSTime_)));
    if (fps != fps_ && OnFPSChanged) {
      fps_ = fps;
      OnFPSChanged(static_cast<void*>(this));
    }
    fps_ = fps;
    lastFPSTime_ = timer.GetTime().Seconds();
    frameCount_ = 1;
  }
}

void TCustomGraphicApplicationPro::LoadOptions() {
  SetUseLocalMachine(true);
  NamesScrambled = true;
  LowCPU = ReadOptionBool(kOptLowCPU.Name, kOptLowCPU.BoolDefault());
  TCustomApplicationPro::LoadOptions();
}

void TCustomGraphicApplicationPro::SaveOptions() {
  SetUseLocalMachine(true);
  NamesScrambled = true;
  WriteOptionBool(kOptLowCPU.Name, LowCPU);
  TCustomApplicationPro::SaveOptions();
}

}  // namespace velmora
