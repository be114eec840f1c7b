#include "scene/SceneSound.h"

#include "assets/WinSoundDevice.h"
#include "core/Diagnostics.h"
#include "core/Strings.h"
#include "scene/FileNames.h"
#include "scene/Resource.h"
#include "scene/ResourceLoader.h"

namespace velmora {

namespace {

// The process device when it still holds sound: a released device has
// freed its sounds already.
TCustomSoundDevice* HolderOf(const TCustomSound* sound) {
  TCustomSoundDevice* device = SoundDeviceIfMade();
  if (!device) return nullptr;
  for (int i = 0; i < device->SoundCount(); ++i)
    if (device->Sounds(i) == sound) return device;
  return nullptr;
}

}  // namespace

TSceneSound::~TSceneSound() { FreeSound(); }

void TSceneSound::FreeSound() {
  TCustomSound* sound = sound_;
  sound_ = nullptr;
  // Deleting the instance takes it out of the device's playing sounds (under
  // the mixer's lock, without OnStop) and out of its list of sounds.
  if (sound && HolderOf(sound)) delete sound;
}

void TSceneSound::SetFileName(const std::string& name) {
  FreeSound();
  fileName_ = name;
  if (name.empty()) return;
  auto* list = dynamic_cast<TResource*>(Owner());
  const std::string file = list ? CombinePath(list->Path, name) : name;
  // Folders are written with "\" in descriptions; the archive reader takes
  // either separator, plain files only "/".
  TDiagnosticPlace place(this, "FileName");
  sound_ = SoundDevice().AddSound(DiskFileName(file));
}

bool TSceneSound::Looped() const { return sound_ ? sound_->Loop() : looped_; }

void TSceneSound::SetLooped(bool value) {
  looped_ = value;
  if (sound_) sound_->SetLoop(value);
}

bool TSceneSound::Music() const { return sound_ ? sound_->Music() : music_; }

void TSceneSound::SetMusic(bool value) {
  music_ = value;
  if (sound_) sound_->SetMusic(value);
}

int TSceneSound::Volume() const { return sound_ ? sound_->Volume() : volume_; }

void TSceneSound::SetVolume(int value) {
  volume_ = value;
  if (sound_) sound_->SetVolume(value);
}

int TSceneSound::Pan() const { return sound_ ? sound_->Pan() : pan_; }

void TSceneSound::SetPan(int value) {
  pan_ = value;
  if (sound_) sound_->SetPan(value);
}

void TSceneSound::SetVisible(bool value) {
  visible_ = value;
  if (!value && sound_) sound_->Stop();
}

void TSceneSound::Render() {
  if (!visible_) return;
  if (sound_ && !sound_->Playing()) sound_->Play();
}

void TSceneSound::ReadProperties(TResourceLoader& loader) {
  TMainObject::ReadProperties(loader);
  // A blank name ("FileName=") names no file: the sound gets no instance.
  if (loader.ValueExists("FileName")) SetFileName(Trim(loader.ReadString("FileName", fileName_)));
  SetLooped(loader.ReadBool("Looped", Looped()));
  SetMusic(loader.ReadBool("Music", Music()));
  SetVolume(loader.ReadInteger("Volume", Volume()));
  SetPan(loader.ReadInteger("Pan", Pan()));
}

void TSceneSound::WriteProperties(TResourceLoader& loader) {
  // An empty value would read back as " ": an empty name is left out.
  if (!fileName_.empty()) loader.WriteString("FileName", fileName_);
  loader.WriteBool("Looped", Looped());
  loader.WriteBool("Music", Music());
  loader.WriteInteger("Volume", Volume());
  loader.WriteInteger("Pan", Pan());
  TMainObject::WriteProperties(loader);
}

}  // namespace velmora
