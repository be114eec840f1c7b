#include "platform/sdl/SdlClock.h"

#include <cerrno>
#include <ctime>

#include "platform/Service.h"

namespace platform {

uint32_t SdlClock::Milliseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  uint64_t ms = uint64_t(now.tv_sec) * 1000u + uint64_t(now.tv_nsec) / 1000000u;
  return static_cast<uint32_t>(ms);  // the wrap at 2^32 is intended
}

void SdlClock::Sleep(uint32_t milliseconds) {
  timespec wanted{};
  wanted.tv_sec = milliseconds / 1000;
  wanted.tv_nsec = long(milliseconds % 1000) * 1000000L;
  timespec left{};
  while (nanosleep(&wanted, &left) != 0 && errno == EINTR) wanted = left;
}

bool SdlClock::MinimumPeriod(uint32_t& period) {
  period = 1;
  return true;
}

bool SdlClock::BeginPeriod(uint32_t) { return true; }

void SdlClock::EndPeriod(uint32_t) {}

template <>
Clock& Service<Clock>::Default() {
  static SdlClock clock;
  return clock;
}

}  // namespace platform
