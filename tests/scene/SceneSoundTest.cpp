// Scene sounds on the process-wide sound device over the fake audio output,
// with WAV files the tests write: which sounds the frames start and stop,
// when the output runs, the volume keys and options, a disabled device, a
// second load, the keys written back, and the sounds of the carried scene.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "assets/ResourceReader.h"
#include "assets/WinSoundDevice.h"
#include "platform/fake/FakeAudio.h"
#include "scene/SceneSound.h"
#include "scene/SceneSoundList.h"
#include "tests/assets/WaveTestSupport.h"
#include "tests/scene/SceneTestSupport.h"

namespace scenetest {
namespace {

using Samples = std::vector<std::int16_t>;

class SceneSounds : public ::testing::Test {
 protected:
  // A 16-bit mono 22050 Hz file (the device's default format) of count
  // samples of value.
  void WriteWave(const std::string& name, std::size_t count, std::int16_t value = 1000, int channels = 1) {
    wave_test::Format format;
    format.channels = static_cast<std::uint16_t>(channels);
    files.Write(name, wave_test::PcmWave(format, wave_test::Samples16(Samples(count * channels, value))));
  }

  // A scene of one sound list "Sounds" in the render list, with listKeys,
  // Path the test folder, and one section of keys per sound.
  std::unique_ptr<TMainScene> LoadSounds(const std::string& listKeys, const std::vector<std::string>& sounds) {
    std::string text = "[MainScene]\nCount=1\n[MainScene1]\nType=TSceneSoundList\nName=Sounds\n"
                       "ProcessOptions=[Render]\nPath=" + files.Folder() + "\n" + listKeys +
                       "\nCount=" + std::to_string(sounds.size()) + "\n";
    for (std::size_t i = 0; i < sounds.size(); ++i)
      text += "[Sounds" + std::to_string(i + 1) + "]\nType=TSceneSound\n" + sounds[i] + "\n";
    return files.LoadText(text);
  }

  static TSceneSoundList* List(const TMainScene& scene) {
    return dynamic_cast<TSceneSoundList*>(scene.FindObject("Sounds"));
  }
  static TSceneSound* Sound(const TMainScene& scene, const std::string& name) {
    return dynamic_cast<TSceneSound*>(scene.FindObject("Sounds/" + name));
  }
  static bool Playing(const TSceneSound* sound) { return sound && sound->Sound() && sound->Sound()->Playing(); }

  // Pulls buffers of the output until pred holds; false when 1000 buffers
  // (about six seconds of sound) did not make it hold.
  template <class Pred>
  bool PullUntil(Pred pred) {
    for (int i = 0; i < 1000 && !pred(); ++i) output.Pull(std::size_t(device.BufferSize() > 0 ? device.BufferSize() : 256));
    return pred();
  }
  // The next n bytes of the output are silent.
  bool Silent(std::size_t n) {
    std::vector<std::uint8_t> bytes = output.Pull(n);
    return std::count(bytes.begin(), bytes.end(), 0) == std::ptrdiff_t(n);
  }

  platform::FakeAudioOutput output;
  platform::ScopedService<platform::AudioOutput> installed{&output};
  TSoundDeviceScope deviceScope;
  TWinSoundDevice& device = SoundDevice();
  SceneFiles files;
};

constexpr std::size_t kRingBytes = 33 * 256;  // the queued ring at 22050 Hz mono 16-bit

// Frames: what starts, what stops, when the output runs -----------------------------------

TEST_F(SceneSounds, AnInvisibleListStartsNothingAndTheOutputClosesOnceNothingPlays) {
  WriteWave("a.wav", 4000);
  WriteWave("b.wav", 3000);
  auto scene = LoadSounds("Visible=0", {"Name=A\nFileName=a.wav\nLooped=1", "Name=B\nFileName=b.wav\nLooped=1"});
  TSceneSound* a = Sound(*scene, "A");
  TSceneSound* b = Sound(*scene, "B");
  ASSERT_TRUE(a && a->Sound() && b && b->Sound());
  EXPECT_FALSE(device.UseResourceReader);  // the scene reads from disk

  scene->Process(0.02f);
  scene->Process(0.02f);
  EXPECT_FALSE(Playing(a));
  EXPECT_FALSE(Playing(b));
  EXPECT_EQ(device.PlayingCount(), 0);
  EXPECT_FALSE(device.Active());
  EXPECT_EQ(output.opens, 0);

  List(*scene)->SetVisible(true);
  scene->Process(0.02f);
  EXPECT_TRUE(Playing(a));
  EXPECT_TRUE(Playing(b));
  EXPECT_TRUE(device.IsActive());
  EXPECT_TRUE(output.IsOpen());
  EXPECT_FALSE(output.Paused());

  // The list made invisible again keeps what plays; its sounds stopped, the
  // output closes on the next frame.
  List(*scene)->SetVisible(false);
  scene->Process(0.02f);
  EXPECT_TRUE(device.IsActive());
  a->Stop();
  b->Stop();
  EXPECT_EQ(device.PlayingCount(), 0);
  EXPECT_TRUE(device.Active());
  scene->Process(0.02f);
  EXPECT_FALSE(device.Active());
  EXPECT_FALSE(output.IsOpen());
  EXPECT_EQ(output.closes, 1);
}

TEST_F(SceneSounds, AnInvisibleSoundStopsAtOnceAndStartsAgainOnTheFrameAfterItIsShown) {
  WriteWave("loop.wav", 5000, 1000);
  auto scene = LoadSounds("Visible=1", {"Name=Loop\nFileName=loop.wav\nLooped=1"});
  TSceneSound* sound = Sound(*scene, "Loop");
  ASSERT_TRUE(sound && sound->Sound());
  scene->Process(0.02f);
  ASSERT_TRUE(Playing(sound));
  EXPECT_EQ(wave_test::FromBytes16(output.Pull(2))[0], 1000);

  sound->SetVisible(false);
  EXPECT_FALSE(Playing(sound));
  EXPECT_EQ(device.PlayingSoundCount(), 0);
  EXPECT_EQ(device.PlayingCount(), 0);
  // What was queued before still plays out; after that the mix is silent.
  output.Pull(kRingBytes - 2);
  EXPECT_TRUE(Silent(2 * 256));

  scene->Process(0.02f);
  EXPECT_FALSE(Playing(sound));  // invisible: not rendered
  EXPECT_FALSE(device.Active());
  sound->SetVisible(true);
  EXPECT_FALSE(Playing(sound));  // the next frame starts it
  scene->Process(0.02f);
  EXPECT_TRUE(Playing(sound));
  EXPECT_TRUE(device.IsActive());
  // Play and Stop are the same switches.
  sound->Stop();
  EXPECT_FALSE(sound->Visible());
  EXPECT_FALSE(Playing(sound));
  sound->Play();
  EXPECT_TRUE(sound->Visible());
  scene->Process(0.02f);
  EXPECT_TRUE(Playing(sound));
}

TEST_F(SceneSounds, ANonLoopingVisibleSoundStartsAgainOnTheFrameAfterItEnded) {
  // Longer than the ring, so that it ends while the output plays.
  WriteWave("once.wav", 6000, 500);
  auto scene = LoadSounds("Visible=1", {"Name=Once\nFileName=once.wav\nLooped=0"});
  TSceneSound* sound = Sound(*scene, "Once");
  ASSERT_TRUE(sound && sound->Sound());
  int plays = 0, stops = 0;
  sound->Sound()->OnPlay = [&plays](TCustomSound*) { ++plays; };
  sound->Sound()->OnStop = [&stops](TCustomSound*) { ++stops; };
  scene->Process(0.02f);
  ASSERT_TRUE(Playing(sound));
  ASSERT_TRUE(PullUntil([&] { return !Playing(sound); })) << "the sound never ended";
  EXPECT_EQ(stops, 1);
  EXPECT_EQ(device.PlayingCount(), 0);

  scene->Process(0.02f);
  EXPECT_TRUE(Playing(sound));
  EXPECT_EQ(plays, 2);
  EXPECT_EQ(static_cast<TWinSound*>(sound->Sound())->Position(), 0);  // from its first byte
  // The output ran on throughout: the frame found a sound playing again.
  EXPECT_EQ(output.opens, 1);
  EXPECT_EQ(output.closes, 0);
}

// Keys and options ---------------------------------------------------------------------------

TEST_F(SceneSounds, MusicTakesTheMusicVolumeAndAVolumeKeyAfterItReplacesThat) {
  WriteWave("w.wav", 100);
  auto scene = LoadSounds("SoundVolume=40\nMusicVolume=80",
                          {"Name=Music\nFileName=w.wav\nMusic=1", "Name=Quiet music\nFileName=w.wav\nMusic=1\nVolume=30",
                           "Name=Effect\nFileName=w.wav", "Name=Loud effect\nFileName=w.wav\nMusic=0\nVolume=90"});
  TSceneSound* music = Sound(*scene, "Music");
  TSceneSound* quiet = Sound(*scene, "Quiet music");
  TSceneSound* effect = Sound(*scene, "Effect");
  TSceneSound* loud = Sound(*scene, "Loud effect");
  ASSERT_TRUE(music && quiet && effect && loud);
  EXPECT_EQ(device.SoundVolume(), 40);
  EXPECT_EQ(device.MusicVolume(), 80);
  EXPECT_EQ(music->Volume(), 80);
  EXPECT_EQ(quiet->Volume(), 30);
  EXPECT_EQ(effect->Volume(), 40);
  EXPECT_EQ(loud->Volume(), 90);
  EXPECT_EQ(device.WaveCount(), 1);  // one file, one wave

  // A group volume replaces the volumes of its sounds only.
  List(*scene)->SetSoundVolume(60);
  EXPECT_EQ(effect->Volume(), 60);
  EXPECT_EQ(loud->Volume(), 60);
  EXPECT_EQ(music->Volume(), 80);
  List(*scene)->SetMusicVolume(20);
  EXPECT_EQ(music->Volume(), 20);
  EXPECT_EQ(quiet->Volume(), 20);
  EXPECT_EQ(effect->Volume(), 60);
  // Switching a sound to music takes the music volume at once.
  effect->SetMusic(true);
  EXPECT_EQ(effect->Volume(), 20);
  List(*scene)->SetMusicVolume(150);
  EXPECT_EQ(effect->Volume(), 100);  // the device clamps its volumes
}

TEST_F(SceneSounds, OptionsRoundTripThroughTheOptionStore) {
  platform::FakeSettingsStore store;
  platform::ScopedService<platform::SettingsStore> storeService(&store);
  Application().Reset();
  TCustomGLApplication app(nullptr);
  app.Title = "Velmora";
  app.Company = "Ostrevin";
  const std::string key = app.StoreKeyPath();
  auto value = [&](const std::string& name) { return store.Value(platform::SettingsRoot::CurrentUser, key, name); };
  {
    WriteWave("b.wav", 4000);
    auto scene = LoadSounds("Visible=1\nSoundVolume=70\nMusicVolume=70",
                            {"Name=Bubbles Sound - 1\nFileName=b.wav\nLooped=1\nVolume=70",
                             "Name=Bubbles Sound - 2\nFileName=b.wav\nLooped=1\nVolume=55\nPan=5"});
    scene->Application = &app;
    TSceneSound* one = Sound(*scene, "Bubbles Sound - 1");
    TSceneSound* two = Sound(*scene, "Bubbles Sound - 2");
    ASSERT_TRUE(one && two);

    // Nothing stored: every option keeps the current value.
    scene->LoadOptions();
    app.CloseStore();
    EXPECT_EQ(device.SoundVolume(), 70);
    EXPECT_FALSE(device.Active());
    EXPECT_TRUE(one->Visible());
    EXPECT_EQ(one->Volume(), 70);
    EXPECT_EQ(two->Pan(), 5);

    store.SetValue(platform::SettingsRoot::CurrentUser, key, "Sounds SoundVolume", "30");
    store.SetValue(platform::SettingsRoot::CurrentUser, key, "Sounds MusicVolume", "45");
    store.SetValue(platform::SettingsRoot::CurrentUser, key, "Sounds Active", "-1");
    store.SetValue(platform::SettingsRoot::CurrentUser, key, "Bubbles Sound - 1Played", "0");
    store.SetValue(platform::SettingsRoot::CurrentUser, key, "Bubbles Sound - 2Volume", "25");
    store.SetValue(platform::SettingsRoot::CurrentUser, key, "Bubbles Sound - 2Pan", "-12");
    scene->LoadOptions();
    app.CloseStore();
    EXPECT_EQ(device.SoundVolume(), 30);
    EXPECT_EQ(device.MusicVolume(), 45);
    EXPECT_TRUE(device.IsActive());
    EXPECT_FALSE(one->Visible());
    EXPECT_EQ(one->Volume(), 30);  // the group volume, no own option
    EXPECT_EQ(two->Volume(), 25);  // its own option after the group's
    EXPECT_EQ(two->Pan(), -12);

    // The frame then plays the sounds that are played, and the output runs
    // as long as one does.
    scene->Process(0.02f);
    EXPECT_FALSE(Playing(one));
    EXPECT_TRUE(Playing(two));

    one->SetVisible(true);
    two->SetVolume(64);
    List(*scene)->SetMusicVolume(12);
    two->Stop();
    scene->Process(0.02f);  // starts one, closes nothing
    EXPECT_TRUE(device.IsActive());
    scene->SaveOptions();
    app.CloseStore();
    EXPECT_EQ(value("Sounds SoundVolume"), "30");
    EXPECT_EQ(value("Sounds MusicVolume"), "12");
    EXPECT_EQ(value("Sounds Active"), "-1");
    EXPECT_EQ(value("Bubbles Sound - 1Played"), "-1");
    EXPECT_EQ(value("Bubbles Sound - 1Volume"), "30");
    EXPECT_EQ(value("Bubbles Sound - 1Pan"), "0");
    EXPECT_EQ(value("Bubbles Sound - 2Played"), "0");
    EXPECT_EQ(value("Bubbles Sound - 2Volume"), "64");
    EXPECT_EQ(value("Bubbles Sound - 2Pan"), "-12");
  }
  {
    // A new scene takes the stored options back.
    auto scene = LoadSounds("Visible=1", {"Name=Bubbles Sound - 1\nFileName=b.wav", "Name=Bubbles Sound - 2\nFileName=b.wav"});
    scene->Application = &app;
    List(*scene)->SetSoundVolume(100);
    scene->LoadOptions();
    app.CloseStore();
    EXPECT_EQ(device.SoundVolume(), 30);
    EXPECT_TRUE(Sound(*scene, "Bubbles Sound - 1")->Visible());
    EXPECT_FALSE(Sound(*scene, "Bubbles Sound - 2")->Visible());
    EXPECT_EQ(Sound(*scene, "Bubbles Sound - 2")->Volume(), 64);
  }
  Application().Reset();
}

TEST_F(SceneSounds, KeysAreReadInOrderAndWrittenBackForTheSameScene) {
  WriteWave("stereo.wav", 2000, 1000, 2);
  WriteWave("mono.wav", 2000);
  files.Write("scene.gsc", "[MainScene]\nCount=1\n[MainScene1]\nType=TSceneSoundList\nName=Sounds\n"
                           "ProcessOptions=[Render]\nVisible=1\nActive=1\nInitDevice=1\nRate=2\nBits=0\nChannels=2\n"
                           "SoundVolume=35\nMusicVolume=65\nPath=" + files.Folder() + "\nCount=2\n"
                           "[Sounds1]\nType=TSceneSound\nName=Stereo\nVisible=0\nFileName=stereo.wav\nLooped=1\n"
                           "Music=1\nVolume=45\nPan=-20\n"
                           "[Sounds2]\nType=TSceneSound\nName=Mono\nFileName=mono.wav\n");
  auto check = [&](TMainScene& scene) {
    TSceneSoundList* list = List(scene);
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->Visible());
    EXPECT_EQ(list->ProcessOptions, poRender);
    EXPECT_TRUE(list->InitDevice);
    EXPECT_EQ(list->Rate, 2);
    EXPECT_EQ(list->Bits, 0);
    EXPECT_EQ(list->Channels, 2);
    EXPECT_EQ(list->Path, files.Folder());
    // The device's format was set before the sounds asked for their waves.
    EXPECT_EQ(device.SamplesPerSec(), 44100);
    EXPECT_FALSE(device.Bits16());
    EXPECT_EQ(device.Channels(), 2);
    EXPECT_EQ(device.SoundVolume(), 35);
    EXPECT_EQ(device.MusicVolume(), 65);
    EXPECT_FALSE(device.Active());  // "Active" is an option, not a key
    TSceneSound* stereo = Sound(scene, "Stereo");
    TSceneSound* mono = Sound(scene, "Mono");
    ASSERT_TRUE(stereo && stereo->Sound() && mono && mono->Sound());
    EXPECT_EQ(stereo->FileName(), "stereo.wav");
    EXPECT_FALSE(stereo->Visible());
    EXPECT_TRUE(stereo->Looped());
    EXPECT_TRUE(stereo->Music());
    EXPECT_EQ(stereo->Volume(), 45);
    EXPECT_EQ(stereo->Pan(), -20);
    EXPECT_TRUE(mono->Visible());
    EXPECT_FALSE(mono->Looped());
    EXPECT_FALSE(mono->Music());
    EXPECT_EQ(mono->Volume(), 35);
    for (TSceneSound* sound : {stereo, mono}) {
      const TWaveSound* wave = sound->Sound()->Wave();
      EXPECT_EQ(wave->SamplesPerSec(), 44100);
      EXPECT_EQ(wave->Channels(), 2);
      EXPECT_EQ(wave->BitsPerSample(), 8);
    }
  };
  std::unique_ptr<TMainScene> scene = files.Load("scene.gsc");
  check(*scene);
  if (HasFatalFailure()) return;

  scene->SourceName = "saved.gsc";
  scene->Save();
  const std::string saved = files.Read("saved.gsc");
  // The list's base keys come first, the sound's last.
  EXPECT_LT(saved.find("Path="), saved.find("InitDevice=1"));
  EXPECT_LT(saved.find("InitDevice=1"), saved.find("Rate=2"));
  EXPECT_LT(saved.find("Channels=2"), saved.find("SoundVolume=35"));
  EXPECT_LT(saved.find("MusicVolume=65"), saved.find("[Sounds1]"));
  // The sounds in the order they were read, Mono second.
  const std::string first = saved.substr(saved.find("[Sounds1]"));
  EXPECT_LT(first.find("FileName=stereo.wav"), first.find("[Sounds2]"));
  const std::string second = saved.substr(saved.find("[Sounds2]"));
  EXPECT_LT(second.find("FileName=mono.wav"), second.find("Looped=0"));
  EXPECT_LT(second.find("Music=0"), second.find("Volume=35"));
  EXPECT_NE(second.find("Pan=0"), std::string::npos);
  EXPECT_EQ(saved.find("Active="), std::string::npos);

  scene.reset();
  device.SetFormat(1, true, 1);
  device.SetSoundVolume(100);
  device.SetMusicVolume(100);
  scene = files.Load("saved.gsc");
  check(*scene);
}

// Instances ------------------------------------------------------------------------------

TEST_F(SceneSounds, ADisabledDeviceGivesSoundsWithoutInstanceAndRaisesNothing) {
  WriteWave("w.wav", 2000);
  output.openSucceeds = false;
  device.SetActive(true);
  ASSERT_FALSE(device.Enabled());

  std::unique_ptr<TMainScene> scene;
  ASSERT_NO_THROW(scene = LoadSounds("Visible=1", {"Name=S\nFileName=w.wav\nLooped=1\nMusic=1\nVolume=45\nPan=7"}));
  TSceneSound* sound = Sound(*scene, "S");
  ASSERT_NE(sound, nullptr);
  EXPECT_EQ(sound->Sound(), nullptr);
  EXPECT_EQ(device.SoundCount(), 0);
  ASSERT_NO_THROW(scene->Process(0.02f));
  sound->SetVisible(false);
  sound->SetVisible(true);
  ASSERT_NO_THROW(scene->Process(0.02f));
  EXPECT_EQ(device.PlayingCount(), 0);
  EXPECT_FALSE(device.Active());
  EXPECT_EQ(output.opens, 0);
  // The keys the sound could not give an instance are kept for writing back.
  EXPECT_TRUE(sound->Looped());
  EXPECT_TRUE(sound->Music());
  EXPECT_EQ(sound->Volume(), 45);
  EXPECT_EQ(sound->Pan(), 7);
  scene->SourceName = "saved.gsc";
  scene->Save();
  const std::string saved = files.Read("saved.gsc");
  for (const char* line : {"Looped=1", "Music=1", "Volume=45", "Pan=7"})
    EXPECT_NE(saved.find(line), std::string::npos) << line;

  // A list that sets the format enables the device again.
  output.openSucceeds = true;
  scene = LoadSounds("Visible=1\nInitDevice=1", {"Name=S\nFileName=w.wav\nLooped=1"});
  EXPECT_TRUE(device.Enabled());
  ASSERT_NE(Sound(*scene, "S")->Sound(), nullptr);
  scene->Process(0.02f);
  EXPECT_TRUE(Playing(Sound(*scene, "S")));
  EXPECT_TRUE(device.IsActive());
}

TEST_F(SceneSounds, ASecondLoadLeavesOnlyTheNewInstancesAndFreeingTheSceneLeavesNone) {
  WriteWave("a.wav", 4000);
  WriteWave("b.wav", 4000);
  auto scene = LoadSounds("Visible=1", {"Name=A\nFileName=a.wav\nLooped=1", "Name=B\nFileName=b.wav\nLooped=1"});
  scene->Process(0.02f);
  ASSERT_EQ(device.SoundCount(), 2);
  ASSERT_EQ(device.PlayingSoundCount(), 2);

  scene->Load();
  TSceneSound* a = Sound(*scene, "A");
  TSceneSound* b = Sound(*scene, "B");
  ASSERT_TRUE(a && a->Sound() && b && b->Sound());
  EXPECT_EQ(device.SoundCount(), 2);
  EXPECT_EQ(device.PlayingSoundCount(), 0);
  EXPECT_EQ(device.PlayingCount(), 0);
  std::vector<TCustomSound*> held{device.Sounds(0), device.Sounds(1)};
  EXPECT_NE(std::find(held.begin(), held.end(), a->Sound()), held.end());
  EXPECT_NE(std::find(held.begin(), held.end(), b->Sound()), held.end());
  scene->Process(0.02f);
  EXPECT_EQ(device.PlayingSoundCount(), 2);
  EXPECT_EQ(device.PlayingCount(), 2);

  // A new file for a sound replaces its instance.
  a->SetFileName("b.wav");
  EXPECT_NE(a->Sound(), nullptr);
  EXPECT_EQ(device.SoundCount(), 2);
  EXPECT_EQ(device.PlayingSoundCount(), 1);  // the old instance left the mix
  EXPECT_FALSE(Playing(a));                   // the new one starts with the next frame
  a->SetFileName("");
  EXPECT_EQ(a->Sound(), nullptr);
  EXPECT_EQ(device.SoundCount(), 1);

  // Freeing the scene frees the instances, and closes the output that
  // nothing plays on any more.
  scene.reset();
  EXPECT_EQ(device.SoundCount(), 0);
  EXPECT_EQ(device.PlayingCount(), 0);
  EXPECT_FALSE(device.Active());
  EXPECT_FALSE(output.IsOpen());
}

TEST_F(SceneSounds, ASceneFreedAfterTheDeviceLeavesTheInstancesToIt) {
  WriteWave("a.wav", 4000);
  auto scene = LoadSounds("Visible=1", {"Name=A\nFileName=a.wav\nLooped=1"});
  scene->Process(0.02f);
  ReleaseSoundDevice();  // frees its sounds, the scene's instance among them
  EXPECT_EQ(SoundDeviceIfMade(), nullptr);
  scene.reset();
  EXPECT_EQ(SoundDeviceIfMade(), nullptr);  // freeing the scene made no new device
}

TEST_F(SceneSounds, AFileThatCannotBeReadStopsTheLoadNamingItAndItsSection) {
  const std::string message =
      Message([&] { LoadSounds("Visible=1", {"Name=Missing\nFileName=missing.wav"}); });
  EXPECT_NE(message.find("TWaveSound.LoadFromFile error: file " + files.Folder() + "missing.wav is not open"),
            std::string::npos)
      << message;
  EXPECT_NE(message.find("section [Sounds1]"), std::string::npos) << message;

  // A channel count the converter cannot make is the first wave's error.
  WriteWave("w.wav", 100);
  const std::string channels =
      Message([&] { LoadSounds("InitDevice=1\nChannels=0", {"Name=W\nFileName=w.wav"}); });
  EXPECT_NE(channels.find("TWaveSound.Convert error: acmFormatSuggest failed"), std::string::npos) << channels;

  // A blank name names no file.
  device.SetFormat(1, true, 1);
  auto scene = LoadSounds("Visible=1", {"Name=Blank\nFileName=\nVolume=20"});
  ASSERT_NE(Sound(*scene, "Blank"), nullptr);
  EXPECT_EQ(Sound(*scene, "Blank")->Sound(), nullptr);
  EXPECT_EQ(Sound(*scene, "Blank")->FileName(), "");
  EXPECT_EQ(Sound(*scene, "Blank")->Volume(), 20);
}

// The carried scene -------------------------------------------------------------------------

// The asset reader pointed at the archive linked into this executable for
// one test, and put back afterwards.
class CarriedArchive {
 public:
  CarriedArchive() : source_(ResourceReader().Source), name_(ResourceReader().ArchiveName) {
    ResourceReader().Source = TResourceSource::rsArchiveResource;
    ResourceReader().ArchiveName = "data.rfa";
    ResourceReader().FreeArchive();
  }
  ~CarriedArchive() {
    ResourceReader().Source = source_;
    ResourceReader().ArchiveName = name_;
    ResourceReader().FreeArchive();
  }

 private:
  TResourceSource source_;
  std::string name_;
};

TEST_F(SceneSounds, TheCarriedSoundsListPlaysBothBubbleSoundsAt22050HzStereo16Bit) {
  CarriedArchive archive;
  TMainScene scene;
  scene.SourceFlags = sfArchive;
  // Only the list of the description: the other classes belong elsewhere.
  TResourceLoader loader;
  loader.Source = TResourceLoader::lsArchive;
  loader.FileName = "ravavezaz.gsc";
  loader.MainScene = &scene;
  loader.Open();
  loader.Section = "MainScene";
  const int count = loader.ReadInteger("Count", 0);
  std::string section;
  for (int i = 1; i <= count && section.empty(); ++i) {
    loader.Section = "MainScene" + std::to_string(i);
    if (loader.ReadString("Name", "") == "Sounds") section = loader.Section;
  }
  ASSERT_FALSE(section.empty()) << "no list named Sounds in the carried scene";
  loader.Section = section;
  std::unique_ptr<TMainObject> object = loader.CreateObject();
  auto* list = dynamic_cast<TSceneSoundList*>(object.get());
  ASSERT_NE(list, nullptr);
  scene.AddItem(object.release());
  loader.ReadObjectProperties(list);
  loader.LoadChildren(list);

  EXPECT_TRUE(device.UseResourceReader);
  EXPECT_EQ(device.SamplesPerSec(), 22050);
  EXPECT_EQ(device.Channels(), 2);
  EXPECT_TRUE(device.Bits16());
  ASSERT_EQ(list->Count(), 2);
  for (int i = 0; i < list->Count(); ++i) {
    TSceneSound* sound = list->Sounds(i);
    ASSERT_NE(sound, nullptr);
    SCOPED_TRACE(sound->Name());
    ASSERT_NE(sound->Sound(), nullptr);
    const TWaveSound* wave = sound->Sound()->Wave();
    ASSERT_NE(wave, nullptr);
    EXPECT_EQ(wave->SamplesPerSec(), 22050);
    EXPECT_EQ(wave->Channels(), 2);
    EXPECT_EQ(wave->BitsPerSample(), 16);
    EXPECT_GT(wave->DataSize(), 22050 * 4 / 10);  // a tenth of a second at least
    EXPECT_TRUE(sound->Looped());
    EXPECT_TRUE(sound->Visible());
  }
  EXPECT_EQ(list->FindSound("Bubbles Sound - 1")->Volume(), 70);
  EXPECT_EQ(list->FindSound("Bubbles Sound - 2")->Volume(), 55);

  scene.Process(0.02f);
  EXPECT_EQ(device.PlayingSoundCount(), 2);
  EXPECT_TRUE(output.IsOpen());
  EXPECT_EQ(output.format.rate, 22050);
  EXPECT_EQ(output.format.channels, 2);
  EXPECT_EQ(output.format.bits, 16);
}

}  // namespace
}  // namespace scenetest
