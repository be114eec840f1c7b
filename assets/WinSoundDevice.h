// The software mixer on the platform's audio output (platform/Audio.h),
// and the process-wide SoundDevice().
//
// A ring of 33 buffers of 64 bytes per 11025 bytes per second of output
// (256 bytes, 128 frames, about 5.8 ms at 22050 Hz mono 16-bit; about
// 190 ms for the ring at every rate) is kept queued on the output:
//
//   Activate: open the output (held), fill-and-queue buffers 0..32 on the
//   calling thread, release the output (unless Paused)
//     -> the output's thread plays the ring in order; every buffer it
//        finishes comes back and is filled and queued again at once
//     -> Deactivate: Stopping, close the output (every queued buffer comes
//        back unfilled), free the ring
//
// Fill-and-queue mixes up to 8 playing sounds into one buffer, in chunks
// that end wherever a playing sound's data ends:
//   16-bit: sample = clamp(sum of (sample * MixVolume) / 100, -32768..32767)
//   8-bit:  sample = clamp(128 + sum of ((byte - 128) * MixVolume) / 100, 0..255)
// each term truncated toward zero, every channel alike; silence when
// nothing plays. A looping sound goes on from its first byte in the next
// chunk; any other sound that reaches its end is stopped (with OnStop)
// once all sounds of the chunk have moved on.
//
// One lock guards the ring, PlayingSounds and each playing sound's
// Position, Cursor and MixVolume: it is held by every fill-and-queue (on
// the output's thread) and by Play, Stop, StopAll and volume changes (on
// the main thread). The output is never opened, held or closed with the
// lock held. Nothing on the output's thread allocates, converts or waits
// for anything but that lock.
//
// Errors (swallowed by SetActive, which disables the device):
//   "TWinSoundDevice.Activate error: waveOutOpen failed"   no output device,
//     a format it cannot play, or a channel count outside 1..8
// Raised to the caller:
//   "TWinSoundDevice.Pause error: waveOutPause failed"
//   "TWinSoundDevice.Resume error: waveOutRestart failed"
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "assets/SoundDevice.h"
#include "platform/Audio.h"

namespace velmora {

class TWinSoundDevice;

class TWinSound : public TCustomSound {
 public:
  TWinSound(TWaveSound* wave, TWinSoundDevice* device);
  // A playing sound leaves PlayingSounds quietly (no OnStop).
  ~TWinSound() override;

  void VolumeChanged() override;
  // When idle: from the first byte, at Volume clamped to 0..100, when the
  // device accepts it: refused while not Enabled, with 8 sounds playing
  // already, or for a wave without whole frames of data in the output
  // format. A refused sound stays idle; no error.
  void Play() override;
  void Stop() override;

  // Bytes of the wave already mixed.
  std::int32_t Position() const;
  int MixVolume() const;

 private:
  friend class TWinSoundDevice;
  TWinSoundDevice* WinDevice() const;

  std::int32_t position_ = 0;
  const std::uint8_t* cursor_ = nullptr;
  int mixVolume_ = 0;
  std::int32_t end_ = 0;  // the wave's data cut to whole frames of the output
};

class TWinSoundDevice : public TCustomSoundDevice, private platform::AudioSource {
 public:
  static constexpr int kBufferCount = 33;
  static constexpr int kMaxPlaying = 8;

  TWinSoundDevice() = default;
  // Stops every sound, closes the output, frees sounds and waves.
  ~TWinSoundDevice() override;

  void Activate() override;
  void Deactivate() override;
  std::unique_ptr<TCustomSound> CreateSound(TWaveSound* wave) override;
  // Hold and release an open output; on a closed one only the flag moves,
  // and the next Activate opens it held or running accordingly.
  void Pause() override;
  void Resume() override;
  // Stops the last playing sound until none plays.
  void StopAll() override;

  // Bytes per buffer of the ring: 64 * (AvgBytesPerSec div 11025).
  int BufferSize() const;
  int CurrentBuffer() const;
  int QueuedBuffers() const;
  bool Stopping() const;
  int PlayingSoundCount() const;
  TWinSound* PlayingSounds(int index) const;
  // Fill-and-queues since the device was made. Read without the lock, so
  // that a thread waiting for the mixer to move on does not order itself
  // against it.
  std::uint64_t BuffersFilled() const;

 private:
  friend class TWinSound;

  // The output's thread asks for the next bytes of the ring.
  void FillAudio(std::uint8_t* out, std::size_t size) override;
  void StartRing();
  void FillAndQueue();
  void MixChunk(std::uint8_t* out, std::int32_t chunk, TWinSound* const* sounds, int count) const;
  bool Accept(TWinSound* sound);
  void Remove(TWinSound* sound);

  mutable std::recursive_mutex lock_;
  platform::AudioOutput* output_ = nullptr;  // open while active
  std::vector<std::uint8_t> ring_;           // kBufferCount buffers back to back
  int bufferSize_ = 0;
  std::uint8_t silence_ = 0;
  std::array<TWinSound*, kMaxPlaying> playing_{};  // in the order they started
  int playingSize_ = 0;
  int currentBuffer_ = 0;  // the next buffer to fill
  bool stopping_ = false;
  int queuedBuffers_ = 0;
  int playBuffer_ = 0;     // the buffer the output reads, and how far
  int playOffset_ = 0;
  std::atomic<std::uint64_t> filled_{0};
};

// The process-wide device: made on first use (main makes it at start-up),
// freed by ReleaseSoundDevice (all sounds stopped first).
TWinSoundDevice& SoundDevice();
void ReleaseSoundDevice();
// The process-wide device while it is made, else nullptr; never makes one
// (for objects that let go of their sounds and may outlive the device).
TWinSoundDevice* SoundDeviceIfMade();

// Makes SoundDevice() now and releases it when it goes out of scope.
class TSoundDeviceScope {
 public:
  TSoundDeviceScope() { SoundDevice(); }
  ~TSoundDeviceScope() { ReleaseSoundDevice(); }
  TSoundDeviceScope(const TSoundDeviceScope&) = delete;
  TSoundDeviceScope& operator=(const TSoundDeviceScope&) = delete;
};

}  // namespace velmora
