#include "platform/fake/FakeAudio.h"

#include <algorithm>

namespace platform {

bool FakeAudioOutput::Open(const AudioFormat& wanted, int wantedFrames, AudioSource* source) {
  if (!openSucceeds || open_ || !source) return false;
  format = wanted;
  frames = wantedFrames;
  source_ = source;
  open_ = true;
  paused_ = true;
  ++opens;
  return true;
}

bool FakeAudioOutput::SetPaused(bool paused) {
  if (!open_) return false;
  pauses.push_back(paused);
  if (!pauseSucceeds) return false;
  paused_ = paused;
  return true;
}

void FakeAudioOutput::Close() {
  if (!open_) return;
  open_ = false;
  paused_ = true;
  source_ = nullptr;
  ++closes;
}

std::vector<std::uint8_t> FakeAudioOutput::Pull(std::size_t size) {
  std::vector<std::uint8_t> out(size);
  Pull(out.data(), out.size());
  return out;
}

void FakeAudioOutput::Pull(std::uint8_t* out, std::size_t size) {
  if (open_ && !paused_)
    source_->FillAudio(out, size);
  else
    std::fill(out, out + size, format.bits == 8 ? 128 : 0);
}

}  // namespace platform
