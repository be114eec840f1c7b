// One sound of the scene: a WAV file played through the process-wide sound
// device (SoundDevice(), assets/WinSoundDevice.h), which makes the playing
// instance and mixes it. The sound lives in a TSceneSoundList, whose Path
// is the directory of its file; it plays while it is visible.
//
// Lifecycle:
//
//   made (visible, no instance) -> added to a sound list -> keys read:
//   "Visible", then "FileName" (SetFileName asks the device for an
//   instance, none when the device is not Enabled), then the instance's
//   "Looped", "Music", "Volume", "Pan" -> every frame the list renders it:
//   a visible sound whose instance is not playing is started (a sound that
//   ended by itself thus starts again on the next frame) -> SetVisible
//   (false) stops it at once -> SetFileName with another file or freeing the
//   sound frees the instance, which stops it.
//
// The instance belongs to the device's list of sounds but is freed by the
// scene sound that asked for it, so a scene loaded again (or freed) leaves
// no instance of its old sounds behind in the device. A device released
// before the scene has freed the instances itself; the scene sound then
// leaves them alone.
//
// Without an instance the sound plays nothing and raises nothing; it keeps
// the values of "Looped", "Music", "Volume" and "Pan" it read or was given
// and writes them back, so a description saved then loses none of them.
//
// Keys (besides "Visible" and "Alpha" of every object):
//   FileName=<file>     the WAV file, combined with the list's Path
//   Looped=<boolean>    restart at the end instead of stopping
//   Music=<boolean>     follow the device's MusicVolume instead of its
//                       SoundVolume; setting it takes that volume at once
//   Volume=<0..100>     replaces the volume "Music" gave
//   Pan=<integer>       stored by the device; the mixer does not pan
// Every key defaults to the current value. Written back: "FileName" (when
// not empty), "Looped", "Music", "Volume", "Pan", then the base keys.
//
// User options (S the sound's name, directly followed by the suffix; read
// and written by the list, SceneSoundList.h): "SPlayed" (SetVisible),
// "SVolume", "SPan".
//
// Errors: none of its own. SetFileName passes out the device's errors for a
// file that cannot be read or converted ("TWaveSound.LoadFromFile error:
// file <F> is not open", the TWaveSound.Load and Convert errors of
// assets/WaveSound.h).
#pragma once

#include <cstdint>
#include <string>

#include "scene/SceneItem.h"

namespace velmora {

class TCustomSound;

class TSceneSound : public TMainObject {
 public:
  TSceneSound() = default;
  // Frees the instance (which stops it).
  ~TSceneSound() override;

  const char* ClassName() const override { return "TSceneSound"; }

  // The device's instance; nullptr when the device made none.
  TCustomSound* Sound() const { return sound_; }
  const std::string& FileName() const { return fileName_; }
  // Frees the instance, stores name and asks the device for an instance of
  // CombinePath(list's Path, name) (the name alone outside a list); an
  // empty name asks for none.
  void SetFileName(const std::string& name);

  // The instance's values when there is one, else the ones kept.
  bool Looped() const;
  void SetLooped(bool value);
  bool Music() const;
  void SetMusic(bool value);
  int Volume() const;
  void SetVolume(int value);
  int Pan() const;
  void SetPan(int value);

  // Stores the value; false also stops the instance.
  void SetVisible(bool value) override;
  // SetVisible(true): the next frame starts the sound.
  void Play() { SetVisible(true); }
  // SetVisible(false).
  void Stop() { SetVisible(false); }

  // Starts the instance when it is not playing (only visible sounds are
  // rendered).
  void Render() override;

  void ReadProperties(TResourceLoader& loader) override;
  void WriteProperties(TResourceLoader& loader) override;

 private:
  void FreeSound();

  TCustomSound* sound_ = nullptr;  // freed by this object
  std::string fileName_;
  // Kept for a sound without instance.
  bool looped_ = false;
  bool music_ = false;
  int volume_ = 100;
  int pan_ = 0;
};

}  // namespace velmora
