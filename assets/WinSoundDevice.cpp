#include "assets/WinSoundDevice.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "core/Error.h"

namespace velmora {

static_assert(std::endian::native == std::endian::little, "the mixer reads and writes little-endian samples");

// TWinSound ------------------------------------------------------------------------------

TWinSound::TWinSound(TWaveSound* wave, TWinSoundDevice* device) : TCustomSound(wave, device) {}

TWinSound::~TWinSound() {
  TWinSoundDevice* device = WinDevice();
  if (!device) return;
  std::lock_guard<std::recursive_mutex> guard(device->lock_);
  if (!Playing()) return;
  device->Remove(this);
  ForgetPlaying();
}

TWinSoundDevice* TWinSound::WinDevice() const { return static_cast<TWinSoundDevice*>(Device()); }

void TWinSound::VolumeChanged() {
  TWinSoundDevice* device = WinDevice();
  if (!device) return;
  std::lock_guard<std::recursive_mutex> guard(device->lock_);
  mixVolume_ = std::clamp(Volume(), 0, 100);
}

void TWinSound::Play() {
  TWinSoundDevice* device = WinDevice();
  if (!device) return;
  std::lock_guard<std::recursive_mutex> guard(device->lock_);
  if (Playing()) return;
  position_ = 0;
  cursor_ = Wave() ? Wave()->Data() : nullptr;
  mixVolume_ = std::clamp(Volume(), 0, 100);
  if (!device->Accept(this)) return;
  TCustomSound::Play();
}

void TWinSound::Stop() {
  TWinSoundDevice* device = WinDevice();
  if (!device) return;
  std::lock_guard<std::recursive_mutex> guard(device->lock_);
  if (!Playing()) return;
  device->Remove(this);
  TCustomSound::Stop();
}

std::int32_t TWinSound::Position() const {
  TWinSoundDevice* device = WinDevice();
  if (!device) return position_;
  std::lock_guard<std::recursive_mutex> guard(device->lock_);
  return position_;
}

int TWinSound::MixVolume() const {
  TWinSoundDevice* device = WinDevice();
  if (!device) return mixVolume_;
  std::lock_guard<std::recursive_mutex> guard(device->lock_);
  return mixVolume_;
}

// TWinSoundDevice: the main thread's side -------------------------------------------------

TWinSoundDevice::~TWinSoundDevice() {
  // The sounds need this object whole while they are freed.
  StopAll();
  SetActive(false);
  Clear();
}

std::unique_ptr<TCustomSound> TWinSoundDevice::CreateSound(TWaveSound* wave) {
  return std::make_unique<TWinSound>(wave, this);
}

int TWinSoundDevice::BufferSize() const { return static_cast<int>(64 * (AvgBytesPerSec() / 11025)); }

void TWinSoundDevice::Activate() {
  if (output_) return;
  platform::AudioFormat format;
  format.rate = SamplesPerSec();
  format.channels = Channels();
  format.bits = BitsPerSample();
  int size = BufferSize();
  if (Channels() < 1 || Channels() > 8 || size <= 0) RaiseError("TWinSoundDevice", "Activate", "waveOutOpen failed");
  std::vector<std::uint8_t> ring(std::size_t(size) * kBufferCount);
  platform::AudioOutput& output = platform::Get<platform::AudioOutput>();
  if (!output.Open(format, size / BlockAlign(), this)) RaiseError("TWinSoundDevice", "Activate", "waveOutOpen failed");
  {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    output_ = &output;
    ring_.swap(ring);
    bufferSize_ = size;
    silence_ = format.bits == 8 ? 128 : 0;
    StartRing();
  }
  if (!Paused() && !output.SetPaused(false)) {
    Deactivate();
    RaiseError("TWinSoundDevice", "Activate", "waveOutOpen failed");
  }
}

void TWinSoundDevice::Deactivate() {
  if (!output_) return;
  {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    stopping_ = true;
  }
  // Outside the lock: closing waits for a fill that may be waiting for it.
  output_->Close();
  std::lock_guard<std::recursive_mutex> guard(lock_);
  queuedBuffers_ = 0;  // every queued buffer came back with the close
  output_ = nullptr;
  std::vector<std::uint8_t>().swap(ring_);
  bufferSize_ = 0;
}

void TWinSoundDevice::Pause() {
  TCustomSoundDevice::Pause();
  if (output_ && !output_->SetPaused(true)) RaiseError("TWinSoundDevice", "Pause", "waveOutPause failed");
}

void TWinSoundDevice::Resume() {
  TCustomSoundDevice::Resume();
  if (output_ && !output_->SetPaused(false)) RaiseError("TWinSoundDevice", "Resume", "waveOutRestart failed");
}

void TWinSoundDevice::StopAll() {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  while (playingSize_ > 0) playing_[std::size_t(playingSize_ - 1)]->Stop();
}

int TWinSoundDevice::CurrentBuffer() const {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  return currentBuffer_;
}

int TWinSoundDevice::QueuedBuffers() const {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  return queuedBuffers_;
}

bool TWinSoundDevice::Stopping() const {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  return stopping_;
}

int TWinSoundDevice::PlayingSoundCount() const {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  return playingSize_;
}

TWinSound* TWinSoundDevice::PlayingSounds(int index) const {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  return index >= 0 && index < playingSize_ ? playing_[std::size_t(index)] : nullptr;
}

std::uint64_t TWinSoundDevice::BuffersFilled() const { return filled_.load(); }

// Called with the lock held.
bool TWinSoundDevice::Accept(TWinSound* sound) {
  if (!Enabled() || playingSize_ >= kMaxPlaying) return false;
  const TWaveSound* wave = sound->Wave();
  if (!wave || !wave->Data() || !wave->WaveFormat()) return false;
  // Only data in the output format is mixed: a wave whose conversion
  // failed keeps its file's format and would play as noise.
  const TWaveFormat& format = *wave->WaveFormat();
  int frame = BlockAlign();
  if (format.FormatTag != kWaveFormatPCM || format.Channels != Channels() ||
      int(format.SamplesPerSec) != SamplesPerSec() || format.BitsPerSample != BitsPerSample() || frame <= 0)
    return false;
  // Whole frames only, so that every chunk keeps the samples aligned.
  std::int32_t end = wave->DataSize() - wave->DataSize() % frame;
  if (end <= 0) return false;
  sound->end_ = end;
  playing_[std::size_t(playingSize_++)] = sound;
  return true;
}

// Called with the lock held.
void TWinSoundDevice::Remove(TWinSound* sound) {
  auto begin = playing_.begin(), end = playing_.begin() + playingSize_;
  auto found = std::find(begin, end, sound);
  if (found == end) return;
  std::move(found + 1, end, found);
  playing_[std::size_t(--playingSize_)] = nullptr;
}

// The ring ---------------------------------------------------------------------------------

// Called with the lock held.
void TWinSoundDevice::StartRing() {
  currentBuffer_ = 0;
  stopping_ = false;
  queuedBuffers_ = 0;
  playBuffer_ = 0;
  playOffset_ = 0;
  for (int i = 0; i < kBufferCount; ++i) FillAndQueue();
}

void TWinSoundDevice::FillAudio(std::uint8_t* out, std::size_t size) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  while (size > 0) {
    if (queuedBuffers_ == 0 || bufferSize_ == 0) {
      std::memset(out, silence_, size);
      return;
    }
    std::size_t n = std::min(size, std::size_t(bufferSize_ - playOffset_));
    std::memcpy(out, ring_.data() + std::size_t(playBuffer_) * std::size_t(bufferSize_) + std::size_t(playOffset_), n);
    out += n;
    size -= n;
    playOffset_ += static_cast<int>(n);
    if (playOffset_ == bufferSize_) {
      // The buffer is done: it comes back, and (the ring running) is the
      // one at CurrentBuffer, filled and queued again at once.
      playOffset_ = 0;
      playBuffer_ = (playBuffer_ + 1) % kBufferCount;
      --queuedBuffers_;
      if (!stopping_) FillAndQueue();
    }
  }
}

// Called with the lock held.
void TWinSoundDevice::FillAndQueue() {
  std::uint8_t* out = ring_.data() + std::size_t(currentBuffer_) * std::size_t(bufferSize_);
  std::int32_t length = bufferSize_;
  std::int32_t written = 0;
  while (written < length) {
    // The sounds of this step, as they stand before any of them ends.
    std::array<TWinSound*, kMaxPlaying> step;
    int count = playingSize_;
    std::copy_n(playing_.begin(), count, step.begin());
    std::int32_t chunk = length - written;
    for (int i = 0; i < count; ++i) chunk = std::min(chunk, step[std::size_t(i)]->end_ - step[std::size_t(i)]->position_);
    if (chunk <= 0) break;  // cannot happen: a playing sound is never at its end
    if (count == 0)
      std::memset(out + written, silence_, std::size_t(chunk));
    else
      MixChunk(out + written, chunk, step.data(), count);
    written += chunk;

    std::array<TWinSound*, kMaxPlaying> ended;
    int endedCount = 0;
    for (int i = 0; i < count; ++i) {
      TWinSound* sound = step[std::size_t(i)];
      sound->position_ += chunk;
      if (sound->position_ < sound->end_) {
        sound->cursor_ += chunk;
      } else if (sound->Loop()) {
        sound->position_ = 0;
        sound->cursor_ = sound->Wave()->Data();
      } else {
        ended[std::size_t(endedCount++)] = sound;
      }
    }
    for (int i = 0; i < endedCount; ++i) ended[std::size_t(i)]->Stop();
  }
  if (written < length) std::memset(out + written, silence_, std::size_t(length - written));
  currentBuffer_ = (currentBuffer_ + 1) % kBufferCount;
  ++queuedBuffers_;
  filled_.fetch_add(1);
}

void TWinSoundDevice::MixChunk(std::uint8_t* out, std::int32_t chunk, TWinSound* const* sounds, int count) const {
  const std::uint8_t* cursors[kMaxPlaying];
  int volumes[kMaxPlaying];
  for (int k = 0; k < count; ++k) {
    cursors[k] = sounds[k]->cursor_;
    volumes[k] = sounds[k]->mixVolume_;
  }
  if (BitsPerSample() == 16) {
    std::int32_t samples = chunk / 2;
    for (std::int32_t s = 0; s < samples; ++s) {
      std::int32_t sum = 0;
      for (int k = 0; k < count; ++k) {
        std::int16_t sample;
        std::memcpy(&sample, cursors[k] + 2 * s, 2);
        sum += sample * volumes[k] / 100;  // truncates toward zero
      }
      auto value = static_cast<std::int16_t>(std::clamp(sum, -32768, 32767));
      std::memcpy(out + 2 * s, &value, 2);
    }
  } else {
    for (std::int32_t s = 0; s < chunk; ++s) {
      std::int32_t sum = 128;
      for (int k = 0; k < count; ++k) sum += (cursors[k][s] - 128) * volumes[k] / 100;
      out[s] = static_cast<std::uint8_t>(std::clamp(sum, 0, 255));
    }
  }
}

// The process-wide device ----------------------------------------------------------------

namespace {

// Never freed by a static destructor: a device still open at exit must not
// outlive the audio output it plays on.
TWinSoundDevice* processDevice = nullptr;

}  // namespace

TWinSoundDevice& SoundDevice() {
  if (!processDevice) processDevice = new TWinSoundDevice;
  return *processDevice;
}

TWinSoundDevice* SoundDeviceIfMade() { return processDevice; }

void ReleaseSoundDevice() {
  delete processDevice;
  processDevice = nullptr;
}

}  // namespace velmora
