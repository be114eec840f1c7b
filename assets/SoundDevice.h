// The sound device's platform-independent half: the output format, the
// group volumes, the cache of loaded waves and the sounds made from them.
// TWinSoundDevice (WinSoundDevice.h) adds the mixer and the audio output.
//
//   made (inactive, enabled, 22050 Hz mono 16-bit)
//     -> SetFormat (every cached wave loaded again in the new format)
//     -> AddSound per file (waves loaded once, converted to the format)
//     -> SetActive(true): Activate opens the output
//     -> sounds Play / Stop
//     -> SetActive(false): Deactivate closes it
//     -> Clear or destruction: all sounds stopped and freed, waves freed
//
// A device whose output fails to open or close disables itself: SetActive
// swallows the error (LastError keeps its text), Active and Enabled become
// false, AddSound gives nullptr and nothing plays until SetFormat enables
// it again.
//
// Threads: everything here runs on the main thread, except that a sound
// that ends by itself is stopped (with its OnStop) on the output's thread.
// Playing and PlayingCount may be read on any thread.
//
// Diagnostics (core/Diagnostics.h): a wave the archive lacks is reported
// as a missing file (the sound then has no data).
//
// Errors: AddSound and SetFormat pass out the errors of TWaveSound
// (WaveSound.h) for a file that cannot be read or converted, and of the
// asset reader for an archive that cannot be loaded.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "assets/WaveSound.h"
#include "core/Event.h"

namespace velmora {

class TCustomSoundDevice;

// One playing instance of a wave. Made by the device (AddSound), owned by
// the device's Sounds; deleting it takes it out of that list.
class TCustomSound {
 public:
  // Volume starts at the device's SoundVolume.
  TCustomSound(TWaveSound* wave, TCustomSoundDevice* device);
  virtual ~TCustomSound();
  TCustomSound(const TCustomSound&) = delete;
  TCustomSound& operator=(const TCustomSound&) = delete;

  bool Playing() const { return playing_.load(); }
  // Restart at the end instead of stopping; may change while playing.
  bool Loop() const { return loop_.load(); }
  void SetLoop(bool loop) { loop_.store(loop); }
  // Stored as given; the mixer clamps it to 0..100.
  int Volume() const { return volume_; }
  void SetVolume(int volume);  // VolumeChanged when it differs
  // Stored only: the mixer applies no panning.
  int Pan() const { return pan_; }
  void SetPan(int pan);        // PanChanged when it differs
  // A music sound follows the device's MusicVolume instead of SoundVolume;
  // setting it takes that volume at once.
  bool Music() const { return music_; }
  void SetMusic(bool music);

  // nullptr once the device has let the sound go (Clear).
  TCustomSoundDevice* Device() const { return device_; }
  TWaveSound* Wave() const { return wave_; }

  // Both receive the sound. OnStop also fires when the sound ends by itself,
  // then on the output's thread with the device's lock held: a handler must
  // not wait for the main thread, free sounds or switch the device.
  TEvent<TCustomSound*> OnPlay;
  TEvent<TCustomSound*> OnStop;

  virtual void PanChanged() {}
  virtual void VolumeChanged() {}
  // When idle: OnPlay, Playing, the device's PlayingCount + 1.
  virtual void Play();
  // When playing: OnStop, not Playing, the device's PlayingCount - 1.
  virtual void Stop();

 protected:
  // Leaves the playing state without OnStop (a sound being freed).
  void ForgetPlaying();

 private:
  friend class TCustomSoundDevice;

  std::atomic<bool> playing_{false};
  std::atomic<bool> loop_{false};
  int volume_;
  int pan_ = 0;
  bool music_ = false;
  TCustomSoundDevice* device_;
  TWaveSound* wave_;
};

class TCustomSoundDevice {
 public:
  TCustomSoundDevice() = default;
  // SetActive(false), then Clear.
  virtual ~TCustomSoundDevice();
  TCustomSoundDevice(const TCustomSoundDevice&) = delete;
  TCustomSoundDevice& operator=(const TCustomSoundDevice&) = delete;

  // The requested state. Nothing when unchanged; otherwise stores it and
  // opens the output (when Enabled and true) or closes it. No error passes
  // out: a failure disables the device.
  bool Active() const { return active_; }
  void SetActive(bool active);
  bool IsActive() const { return enabled_ && active_; }
  bool Enabled() const { return enabled_.load(); }
  bool Paused() const { return paused_; }
  int PlayingCount() const { return playingCount_.load(); }
  // The text of the last device failure that SetActive swallowed.
  const std::string& LastError() const { return lastError_; }

  // The output format: PCM, Channels channels, the rate of RateIndex
  // (0: 11025 Hz, 1: 22050 Hz, 2: 44100 Hz, any other: 22050 Hz), 16 bits
  // (Bits16) or 8.
  int Channels() const { return channels_; }
  bool Bits16() const { return bits16_; }
  std::uint8_t RateIndex() const { return rateIndex_; }
  int SamplesPerSec() const;
  int BitsPerSample() const { return bits16_ ? 16 : 8; }
  int BlockAlign() const;              // Channels * bits / 8 (0 for a channel count below 1)
  std::int64_t AvgBytesPerSec() const; // BlockAlign * SamplesPerSec

  // 0..100; a new value (clamped) replaces the Volume of every sound of the
  // group (music sounds for MusicVolume, the others for SoundVolume).
  int SoundVolume() const { return soundVolume_; }
  void SetSoundVolume(int volume);
  int MusicVolume() const { return musicVolume_; }
  void SetMusicVolume(int volume);

  // Load waves through ResourceReader() (an entry that does not open loads
  // nothing) instead of from files.
  bool UseResourceReader = false;

  // Every sound made by the device, oldest first.
  int SoundCount() const { return static_cast<int>(sounds_.size()); }
  TCustomSound* Sounds(int index) const { return sounds_.at(static_cast<std::size_t>(index)); }
  // The wave cache, keyed by file name without folder, ignoring case.
  int WaveCount() const { return static_cast<int>(waves_.size()); }
  TWaveSound* FindWave(std::string_view fileName) const;

  // A new sound of the file, its wave loaded and converted on first use and
  // shared afterwards; nullptr when the device is not Enabled. A wave that
  // fails to load is not kept, and its error passes out.
  TCustomSound* AddSound(const std::string& fileName);
  // Loads the wave from its FileName and converts it to the output format;
  // nothing when not Enabled.
  void LoadWave(TWaveSound& wave);

  // Opens the output; empty here.
  virtual void Activate() {}
  // Closes the output; empty here.
  virtual void Deactivate() {}
  virtual std::unique_ptr<TCustomSound> CreateSound(TWaveSound* wave);
  // Stores the format and enables the device. Playing sounds are stopped
  // (their positions would point into data about to be replaced); an
  // active output is closed, every cached wave loaded and converted again,
  // and the output opened in the new format. The first wave that fails
  // raises its error once all are done and the output runs again.
  virtual void SetFormat(int rateIndex, bool bits16, int channels);
  virtual void Pause() { paused_ = true; }
  virtual void Resume() { paused_ = false; }
  virtual void StopAll() {}

  // SetActive(false), stops every sound, frees the sounds (let go of the
  // device first) and the waves.
  void Clear();

 protected:
  // Runs Activate or Deactivate; any error disables the device.
  void GuardedSwitch(bool activate);

 private:
  friend class TCustomSound;

  void SetGroupVolume(bool music, int volume);

  bool active_ = false;
  int channels_ = 1;
  bool bits16_ = true;
  std::uint8_t rateIndex_ = 1;
  std::vector<TCustomSound*> sounds_;  // owned
  std::map<std::string, std::unique_ptr<TWaveSound>> waves_;
  bool paused_ = false;
  int soundVolume_ = 100;
  int musicVolume_ = 100;
  std::atomic<bool> enabled_{true};
  std::atomic<int> playingCount_{0};
  std::string lastError_;
};

}  // namespace velmora
