#include "assets/SoundDevice.h"

#include <algorithm>

#include "assets/ResourceReader.h"
#include "core/Diagnostics.h"
#include "core/Strings.h"

namespace velmora {

namespace {

std::string WaveKey(std::string_view fileName) { return LowerCase(ResourceFileName(fileName)); }

}  // namespace

// TCustomSound ---------------------------------------------------------------------------

TCustomSound::TCustomSound(TWaveSound* wave, TCustomSoundDevice* device)
    : volume_(device ? device->SoundVolume() : 100), device_(device), wave_(wave) {}

TCustomSound::~TCustomSound() {
  if (!device_) return;
  auto& sounds = device_->sounds_;
  sounds.erase(std::remove(sounds.begin(), sounds.end(), this), sounds.end());
}

void TCustomSound::SetVolume(int volume) {
  if (volume == volume_) return;
  volume_ = volume;
  VolumeChanged();
}

void TCustomSound::SetPan(int pan) {
  if (pan == pan_) return;
  pan_ = pan;
  PanChanged();
}

void TCustomSound::SetMusic(bool music) {
  music_ = music;
  if (device_) SetVolume(music ? device_->MusicVolume() : device_->SoundVolume());
}

void TCustomSound::Play() {
  if (playing_) return;
  Fire(OnPlay, this);
  playing_ = true;
  if (device_) ++device_->playingCount_;
}

void TCustomSound::Stop() {
  if (!playing_) return;
  Fire(OnStop, this);
  ForgetPlaying();
}

void TCustomSound::ForgetPlaying() {
  if (!playing_) return;
  playing_ = false;
  if (device_) --device_->playingCount_;
}

// TCustomSoundDevice ---------------------------------------------------------------------

TCustomSoundDevice::~TCustomSoundDevice() {
  SetActive(false);
  Clear();
}

int TCustomSoundDevice::SamplesPerSec() const {
  switch (rateIndex_) {
    case 0: return 11025;
    case 2: return 44100;
    default: return 22050;
  }
}

int TCustomSoundDevice::BlockAlign() const {
  if (channels_ < 1 || channels_ > 0xFFFF) return 0;
  return channels_ * BitsPerSample() / 8;
}

std::int64_t TCustomSoundDevice::AvgBytesPerSec() const {
  return std::int64_t(BlockAlign()) * SamplesPerSec();
}

void TCustomSoundDevice::GuardedSwitch(bool activate) {
  try {
    if (activate)
      Activate();
    else
      Deactivate();
  } catch (const std::exception& error) {
    lastError_ = error.what();
    enabled_ = false;
    active_ = false;
  }
}

void TCustomSoundDevice::SetActive(bool active) {
  if (active == active_) return;
  active_ = active;
  GuardedSwitch(enabled_ && active);
}

void TCustomSoundDevice::SetGroupVolume(bool music, int volume) {
  volume = std::clamp(volume, 0, 100);
  int& stored = music ? musicVolume_ : soundVolume_;
  if (volume == stored) return;
  stored = volume;
  for (TCustomSound* sound : sounds_)
    if (sound->Music() == music) sound->SetVolume(volume);
}

void TCustomSoundDevice::SetSoundVolume(int volume) { SetGroupVolume(false, volume); }

void TCustomSoundDevice::SetMusicVolume(int volume) { SetGroupVolume(true, volume); }

TWaveSound* TCustomSoundDevice::FindWave(std::string_view fileName) const {
  auto found = waves_.find(WaveKey(fileName));
  return found == waves_.end() ? nullptr : found->second.get();
}

std::unique_ptr<TCustomSound> TCustomSoundDevice::CreateSound(TWaveSound* wave) {
  return std::make_unique<TCustomSound>(wave, this);
}

TCustomSound* TCustomSoundDevice::AddSound(const std::string& fileName) {
  if (!enabled_) return nullptr;
  TWaveSound* wave = FindWave(fileName);
  if (!wave) {
    auto loaded = std::make_unique<TWaveSound>(fileName);
    LoadWave(*loaded);
    wave = loaded.get();
    waves_.emplace(WaveKey(fileName), std::move(loaded));
  }
  std::unique_ptr<TCustomSound> sound = CreateSound(wave);
  sounds_.push_back(sound.get());
  return sound.release();
}

void TCustomSoundDevice::LoadWave(TWaveSound& wave) {
  if (!enabled_) return;
  if (UseResourceReader) {
    TResourceFileReader& reader = ResourceReader();
    if (reader.Open(wave.FileName()))
      wave.LoadFromStream(*reader.Stream());
    else
      Diagnose(TDiagnosticLevel::dlError, "the file " + ResourceFileName(wave.FileName()) + " is missing from the data");
  } else {
    wave.LoadFromFile();
  }
  wave.ConvertTo(channels_, SamplesPerSec(), BitsPerSample());
}

void TCustomSoundDevice::SetFormat(int rateIndex, bool bits16, int channels) {
  // Stopped, not rewound: a sound's wave may come back empty, and the
  // scene starts its visible sounds again on the next frame anyway.
  StopAll();
  rateIndex_ = static_cast<std::uint8_t>(rateIndex);
  bits16_ = bits16;
  channels_ = channels;
  enabled_ = true;
  bool wasActive = active_;
  if (wasActive) GuardedSwitch(false);
  std::exception_ptr firstError;
  for (auto& [key, wave] : waves_) {
    try {
      LoadWave(*wave);
    } catch (...) {
      if (!firstError) firstError = std::current_exception();
    }
  }
  if (wasActive && enabled_) GuardedSwitch(true);
  if (firstError) std::rethrow_exception(firstError);
}

void TCustomSoundDevice::Clear() {
  SetActive(false);
  StopAll();
  std::vector<TCustomSound*> sounds;
  sounds.swap(sounds_);
  for (TCustomSound* sound : sounds) {
    sound->ForgetPlaying();
    sound->device_ = nullptr;
    delete sound;
  }
  waves_.clear();
}

}  // namespace velmora
