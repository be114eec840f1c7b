// The list of the scene's sounds. It sets up the process-wide sound device
// (SoundDevice(), assets/WinSoundDevice.h) from the description, holds the
// TSceneSounds (SceneSound.h) and, rendered every frame, starts the visible
// sounds that are not playing and keeps the device's output open only
// while some sound plays.
//
// Lifecycle:
//
//   made (invisible, like every resource list) -> keys read in this order:
//   "InitDevice", "Rate", "Bits", "Channels" (with InitDevice=1 the
//   device's SetFormat follows at once, which also enables a device that
//   failed before), "SoundVolume", "MusicVolume", the device's
//   UseResourceReader set from the scene's archive bit (sfArchive), then
//   "Visible", "Alpha", "Path" -> its sounds read, each asking the device
//   for its instance -> user options applied (LoadOptions) -> every frame
//   (when in the scene's render list): Render -> freed with its sounds
//   (their instances freed), the output closed when nothing plays any more.
//
// Render: when visible, each visible sound's Render (an idle instance is
// started); then, visible or not, the device's SetActive(PlayingCount > 0).
// A list with "Visible=0" thus starts nothing, and the output closes on the
// first frame on which no sound plays.
//
// Keys (besides those of TResource; each defaults to the current value):
//   InitDevice=<boolean>   set the device's format from the three below
//   Rate=<0|1|2>           11025, 22050, 44100 Hz (any other: 22050 Hz);
//                          kept as a byte
//   Bits=<0|1>             8-bit output, 16-bit output (nonzero); a byte
//   Channels=<integer>     output channels
//   SoundVolume=<0..100>   the device's volume of sounds that are not music
//   MusicVolume=<0..100>   the device's volume of music sounds
// The list does not read "Active": whether the device runs is a user
// option. Written back: the base keys, then "InitDevice", "Rate", "Bits",
// "Channels", "SoundVolume", "MusicVolume" (the device's volumes).
//
// User options (L the list's name, S a sound's name directly followed by
// the suffix), read with the current value as default:
//   "L SoundVolume", "L MusicVolume"   the device's volumes
//   "L Active"                         the device's SetActive (the next
//                                      frame sets it again from what plays)
//   "SPlayed"                          the sound's SetVisible
//   "SVolume", "SPan"                  the sound's volume and pan
//
// Errors: none of its own. Reading passes out the device's SetFormat errors
// for a cached wave that cannot be read again, and a channel count the
// converter cannot make gives "TWaveSound.Convert error: acmFormatSuggest
// failed file <F>" when the first sound asks for its instance. A device
// whose output fails to open disables itself without an error (its sounds
// then get no instance).
#pragma once

#include <cstdint>
#include <string>

#include "scene/Resource.h"
#include "scene/SceneSound.h"

namespace velmora {

class TCustomSoundDevice;

class TSceneSoundList : public TResource {
 public:
  TSceneSoundList() = default;
  // Frees the sounds; closes the device's output when nothing plays then.
  ~TSceneSoundList() override;

  const char* ClassName() const override { return "TSceneSoundList"; }

  bool InitDevice = false;
  int32_t Channels = 1;
  // The device's 16-bit switch: nonzero = 16-bit output.
  uint8_t Bits = 1;
  // The device's RateIndex.
  uint8_t Rate = 1;

  // The device's group volumes and state, read and written through it.
  int SoundVolume() const;
  void SetSoundVolume(int value);
  int MusicVolume() const;
  void SetMusicVolume(int value);
  // The device's IsActive and SetActive.
  bool Active() const;
  void SetActive(bool value);

  // The child at index in name order, or nullptr when it is no sound.
  TSceneSound* Sounds(int index) const;
  TSceneSound* FindSound(const std::string& name) const;

  // The visible sounds started, then the device active while any plays.
  void Render() override;

  void ReadProperties(TResourceLoader& loader) override;
  void WriteProperties(TResourceLoader& loader) override;
  void LoadOptions() override;
  void SaveOptions() override;
};

}  // namespace velmora
