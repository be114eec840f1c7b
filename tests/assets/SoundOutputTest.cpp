// The sound device on SDL's real audio output: the file SDL's disk driver
// writes holds exactly what the mixer made; a missing driver disables the
// device quietly; the main thread plays, stops and changes volumes while
// SDL's audio thread mixes (the case the ThreadSanitizer build is for).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <thread>

#include "assets/WinSoundDevice.h"
#include "tests/assets/WaveTestSupport.h"

namespace velmora {
namespace {

using namespace wave_test;
using Samples = std::vector<std::int16_t>;

// Sets environment variables for one test and puts the old values back.
class ScopedEnvironment {
 public:
  void Set(const char* name, const std::string& value) {
    const char* old = std::getenv(name);
    saved_.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnvironment() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->second)
        setenv(it->first.c_str(), it->second->c_str(), 1);
      else
        unsetenv(it->first.c_str());
    }
  }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// Waits for a condition, checking every millisecond, for at most a minute.
template <class Condition>
bool WaitFor(Condition condition) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

Samples Pattern(std::size_t count, int seed) {
  Samples out(count);
  for (std::size_t i = 0; i < count; ++i)
    out[i] = static_cast<std::int16_t>((int(i) * (seed * 53 + 17) + seed * 3000 + 1) % 30001 - 15000);
  return out;
}

TCustomSound* AddLoop(TWinSoundDevice& device, const assets_test::TempDir& dir, const std::string& name,
                      const Samples& samples, int volume) {
  Format f;
  f.channels = 2;
  f.rate = 44100;
  dir.Write(name, PcmWave(f, Samples16(samples)));
  TCustomSound* sound = device.AddSound(dir.File(name));
  if (sound) {
    sound->SetLoop(true);
    sound->SetVolume(volume);
  }
  return sound;
}

TEST(SdlSoundOutput, TheDiskDriverWritesWhatTheMixerMade) {
  assets_test::TempDir dir;
  std::string raw = dir.File("out.raw");
  ScopedEnvironment environment;
  environment.Set("SDL_AUDIODRIVER", "disk");
  environment.Set("SDL_DISKAUDIOFILE", raw);
  environment.Set("SDL_DISKAUDIODELAY", "1");

  TWinSoundDevice device;
  device.SetFormat(2, true, 2);
  // 1000 and 1500 bytes of 44100 Hz stereo; both start loud, so the first
  // mixed sample tells where the mix begins after any silence SDL wrote
  // before the output was released.
  Samples a = Pattern(500, 1), b = Pattern(750, 2), c = Pattern(322, 3);
  a[0] = 12000;
  b[0] = 9000;
  ASSERT_NE(AddLoop(device, dir, "a.wav", a, 100), nullptr);
  ASSERT_NE(AddLoop(device, dir, "b.wav", b, 60), nullptr);
  ASSERT_NE(AddLoop(device, dir, "c.wav", c, 150), nullptr);
  for (int i = 0; i < device.SoundCount(); ++i) device.Sounds(i)->Play();
  ASSERT_EQ(device.PlayingCount(), 3);

  device.SetActive(true);
  ASSERT_TRUE(device.IsActive()) << device.LastError();
  const std::uintmax_t wanted = 4 * 44100;  // a second of sound, and more
  ASSERT_TRUE(WaitFor([&] {
    std::error_code ec;
    return std::filesystem::file_size(raw, ec) >= wanted + 64 * 1024 && !ec;
  }));
  device.SetActive(false);
  ASSERT_TRUE(device.Enabled()) << device.LastError();

  Samples written = FromBytes16(dir.Read("out.raw"));
  std::size_t start = 0;
  while (start < written.size() && written[start] == 0) ++start;
  ASSERT_GE(written.size() - start, wanted / 2);
  for (std::size_t i = 0; i < wanted / 2; ++i) {
    int expected = a[i % 500] + b[i % 750] * 60 / 100 + c[i % 322];
    ASSERT_EQ(written[start + i], std::clamp(expected, -32768, 32767)) << "sample " << i;
  }
}

TEST(SdlSoundOutput, AMissingDriverDisablesTheDeviceQuietly) {
  assets_test::TempDir dir;
  ScopedEnvironment environment;
  environment.Set("SDL_AUDIODRIVER", "no-such-driver");
  TWinSoundDevice device;
  TCustomSound* sound = AddLoop(device, dir, "s.wav", Pattern(100, 1), 100);
  ASSERT_NE(sound, nullptr);
  sound->Play();
  EXPECT_NO_THROW(device.SetActive(true));
  EXPECT_FALSE(device.Enabled());
  EXPECT_FALSE(device.IsActive());
  EXPECT_EQ(device.LastError(), "TWinSoundDevice.Activate error: waveOutOpen failed");
  EXPECT_EQ(device.AddSound(dir.File("s.wav")), nullptr);
  EXPECT_NO_THROW(device.SetActive(false));
}

TEST(SdlSoundOutput, TheMainThreadChangesSoundsWhileTheAudioThreadMixes) {
  assets_test::TempDir dir;
  ScopedEnvironment environment;
  environment.Set("SDL_AUDIODRIVER", "dummy");
  TWinSoundDevice device;
  device.SetFormat(2, true, 2);
  std::vector<TCustomSound*> sounds;
  for (int i = 0; i < 10; ++i) sounds.push_back(AddLoop(device, dir, "s" + std::to_string(i) + ".wav", Pattern(200 + 37 * i, i), 80));
  // Three of them end by themselves, on the audio thread.
  std::atomic<int> endedOnAudioThread{0};
  const std::thread::id mainThread = std::this_thread::get_id();
  for (int i = 0; i < 3; ++i) {
    sounds[std::size_t(i)]->SetLoop(false);
    sounds[std::size_t(i)]->OnStop = [&](TCustomSound*) {
      if (std::this_thread::get_id() != mainThread) ++endedOnAudioThread;
    };
  }
  device.SetActive(true);
  ASSERT_TRUE(device.IsActive()) << device.LastError();

  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    TCustomSound* sound = sounds[random() % sounds.size()];
    switch (random() % 5) {
      case 0:
      case 1: sound->Play(); break;
      case 2: sound->Stop(); break;
      case 3: sound->SetVolume(int(random() % 120)); break;
      case 4: device.SetSoundVolume(int(random() % 100)); break;
    }
    if (round % 50 == 49) device.StopAll();
    sounds[random() % sounds.size()]->SetLoop(random() % 2 == 0);
    ASSERT_LE(device.PlayingCount(), TWinSoundDevice::kMaxPlaying);
    // Let the audio thread mix at least one buffer before the next change.
    std::uint64_t filled = device.BuffersFilled();
    ASSERT_TRUE(WaitFor([&] { return device.BuffersFilled() > filled; }));
  }
  device.SetActive(false);

  int playing = 0;
  for (TCustomSound* s : sounds) playing += s->Playing() ? 1 : 0;
  EXPECT_EQ(device.PlayingCount(), playing);
  EXPECT_EQ(device.PlayingSoundCount(), playing);
  EXPECT_GT(endedOnAudioThread.load(), 0);
  EXPECT_EQ(device.QueuedBuffers(), 0);
}

}  // namespace
}  // namespace velmora
