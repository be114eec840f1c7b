#include "scene/SceneSoundList.h"

#include "scene/SceneHost.h"
#include "assets/WinSoundDevice.h"
#include "scene/ResourceLoader.h"
#include "scene/SceneOptions.h"

namespace velmora {

namespace {

TCustomSoundDevice& Device() { return SoundDevice(); }

}  // namespace

TSceneSoundList::~TSceneSoundList() {
  // The sounds go first (each frees its instance); the list's Render no
  // longer runs to close an output that now plays nothing.
  Clear();
  if (TCustomSoundDevice* device = SoundDeviceIfMade())
    if (device->PlayingCount() == 0) device->SetActive(false);
}

// --- the device -------------------------------------------------------------

int TSceneSoundList::SoundVolume() const { return Device().SoundVolume(); }
void TSceneSoundList::SetSoundVolume(int value) { Device().SetSoundVolume(value); }
int TSceneSoundList::MusicVolume() const { return Device().MusicVolume(); }
void TSceneSoundList::SetMusicVolume(int value) { Device().SetMusicVolume(value); }
bool TSceneSoundList::Active() const { return Device().IsActive(); }
void TSceneSoundList::SetActive(bool value) { Device().SetActive(value); }

// --- sounds -------------------------------------------------------------------

TSceneSound* TSceneSoundList::Sounds(int index) const { return dynamic_cast<TSceneSound*>(GetItem(index)); }

TSceneSound* TSceneSoundList::FindSound(const std::string& name) const {
  return dynamic_cast<TSceneSound*>(FindItem(name));
}

void TSceneSoundList::Render() {
  TResource::Render();
  TCustomSoundDevice& device = Device();
  device.SetActive(device.PlayingCount() > 0);
}

// --- keys and options ---------------------------------------------------------

void TSceneSoundList::ReadProperties(TResourceLoader& loader) {
  TCustomSoundDevice& device = Device();
  // Before the format: a new format loads the device's waves again, from
  // where this scene reads them.
  device.UseResourceReader = (SourceFlags() & sfArchive) != 0;
  InitDevice = loader.ReadBool("InitDevice", InitDevice);
  Rate = static_cast<uint8_t>(loader.ReadInteger("Rate", Rate));
  Bits = static_cast<uint8_t>(loader.ReadInteger("Bits", Bits));
  Channels = loader.ReadInteger("Channels", Channels);
  if (InitDevice) device.SetFormat(Rate, Bits != 0, Channels);
  device.SetSoundVolume(loader.ReadInteger("SoundVolume", device.SoundVolume()));
  device.SetMusicVolume(loader.ReadInteger("MusicVolume", device.MusicVolume()));
  TResource::ReadProperties(loader);
}

void TSceneSoundList::WriteProperties(TResourceLoader& loader) {
  TResource::WriteProperties(loader);
  const TCustomSoundDevice& device = Device();
  loader.WriteBool("InitDevice", InitDevice);
  loader.WriteInteger("Rate", Rate);
  loader.WriteInteger("Bits", Bits);
  loader.WriteInteger("Channels", Channels);
  loader.WriteInteger("SoundVolume", device.SoundVolume());
  loader.WriteInteger("MusicVolume", device.MusicVolume());
}

void TSceneSoundList::LoadOptions() {
  if (TSceneHost* app = Application()) {
    TCustomSoundDevice& device = Device();
    const std::string& list = Name();
    device.SetSoundVolume(app->ReadOptionInteger(kOptSoundVolume.Key(list), device.SoundVolume()));
    device.SetMusicVolume(app->ReadOptionInteger(kOptMusicVolume.Key(list), device.MusicVolume()));
    device.SetActive(app->ReadOptionBool(kOptSoundActive.Key(list), device.IsActive()));
    for (int i = 0; i < GetCount(); ++i) {
      TSceneSound* sound = Sounds(i);
      if (!sound) continue;
      const std::string& name = sound->Name();
      sound->SetVisible(app->ReadOptionBool(kOptSoundPlayed.Key(name), sound->Visible()));
      sound->SetVolume(app->ReadOptionInteger(kOptSoundLevel.Key(name), sound->Volume()));
      sound->SetPan(app->ReadOptionInteger(kOptSoundPan.Key(name), sound->Pan()));
    }
  }
  TResource::LoadOptions();
}

void TSceneSoundList::SaveOptions() {
  if (TSceneHost* app = Application()) {
    const TCustomSoundDevice& device = Device();
    const std::string& list = Name();
    app->WriteOptionInteger(kOptSoundVolume.Key(list), device.SoundVolume());
    app->WriteOptionInteger(kOptMusicVolume.Key(list), device.MusicVolume());
    app->WriteOptionBool(kOptSoundActive.Key(list), device.IsActive());
    for (int i = 0; i < GetCount(); ++i) {
      TSceneSound* sound = Sounds(i);
      if (!sound) continue;
      const std::string& name = sound->Name();
      app->WriteOptionBool(kOptSoundPlayed.Key(name), sound->Visible());
      app->WriteOptionInteger(kOptSoundLevel.Key(name), sound->Volume());
      app->WriteOptionInteger(kOptSoundPan.Key(name), sound->Pan());
    }
  }
  TResource::SaveOptions();
}

}  // namespace velmora
