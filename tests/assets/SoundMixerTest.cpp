// The mixing sound device on the fake audio output: the ring and its
// buffer sizes, the mixer's arithmetic and chunking on exact sample
// buffers, acceptance of sounds, volumes, the wave cache, format changes
// and a device that cannot open.
#include <gtest/gtest.h>

#include <numeric>

#include "assets/ResourceReader.h"
#include "assets/WinSoundDevice.h"
#include "core/Error.h"
#include "platform/fake/FakeAudio.h"
#include "platform/fake/FakeResources.h"
#include "tests/assets/WaveTestSupport.h"

namespace velmora {
namespace {

using namespace wave_test;
using Samples = std::vector<std::int16_t>;

class SoundMixer : public ::testing::Test {
 protected:
  // A 16-bit mono 22050 Hz sound (the device's default format).
  TCustomSound* Sound(const std::string& name, const Samples& samples, bool loop = true, int volume = 100) {
    Format f;
    dir.Write(name, PcmWave(f, Samples16(samples)));
    TCustomSound* sound = device.AddSound(dir.File(name));
    EXPECT_NE(sound, nullptr);
    if (!sound) return nullptr;
    sound->SetLoop(loop);
    sound->SetVolume(volume);
    return sound;
  }
  Samples Pull16(std::size_t samples) { return FromBytes16(output.Pull(samples * 2)); }

  // Counts OnStop calls of a sound.
  static void CountStops(TCustomSound* sound, int& stops) {
    sound->OnStop = [&stops](TCustomSound*) { ++stops; };
  }

  assets_test::TempDir dir;
  platform::FakeAudioOutput output;
  platform::ScopedService<platform::AudioOutput> installed{&output};
  TWinSoundDevice device;
};

Samples Pattern(std::size_t count, int seed) {
  Samples out(count);
  for (std::size_t i = 0; i < count; ++i)
    out[i] = static_cast<std::int16_t>((int(i) * (seed * 37 + 11) + seed * 1000) % 20001 - 10000);
  return out;
}

// The ring ---------------------------------------------------------------------------------

TEST_F(SoundMixer, ActivationQueuesTheRingAndEveryFinishedBufferIsFilledAgain) {
  EXPECT_TRUE(device.Enabled());
  EXPECT_FALSE(device.Active());
  device.SetActive(true);
  ASSERT_TRUE(device.IsActive());
  EXPECT_EQ(output.opens, 1);
  EXPECT_EQ(output.format.rate, 22050);
  EXPECT_EQ(output.format.channels, 1);
  EXPECT_EQ(output.format.bits, 16);
  EXPECT_EQ(device.BufferSize(), 256);
  EXPECT_EQ(output.frames, 128);
  EXPECT_FALSE(output.Paused());
  EXPECT_EQ(device.QueuedBuffers(), 33);
  EXPECT_EQ(device.CurrentBuffer(), 0);
  EXPECT_EQ(device.BuffersFilled(), 33u);

  // Part of a buffer returns nothing; its end does, and that buffer is
  // filled and queued again.
  output.Pull(100);
  EXPECT_EQ(device.BuffersFilled(), 33u);
  output.Pull(156);
  EXPECT_EQ(device.BuffersFilled(), 34u);
  EXPECT_EQ(device.CurrentBuffer(), 1);
  EXPECT_EQ(device.QueuedBuffers(), 33);
  output.Pull(256 * 40);
  EXPECT_EQ(device.BuffersFilled(), 74u);
  EXPECT_EQ(device.CurrentBuffer(), 41 % 33);

  device.SetActive(false);
  EXPECT_FALSE(device.Active());
  EXPECT_TRUE(device.Enabled());
  EXPECT_TRUE(device.Stopping());
  EXPECT_EQ(device.QueuedBuffers(), 0);
  EXPECT_EQ(output.closes, 1);
  EXPECT_FALSE(output.IsOpen());
}

TEST_F(SoundMixer, BufferSizeIs64BytesPer11025BytesPerSecond) {
  struct Case {
    int rateIndex;
    bool bits16;
    int channels;
    int rate, size;
  };
  for (Case c : {Case{0, false, 1, 11025, 64}, Case{1, true, 1, 22050, 256}, Case{2, true, 2, 44100, 1024},
                 Case{7, false, 2, 22050, 256}, Case{0, true, 1, 11025, 128}}) {
    device.SetFormat(c.rateIndex, c.bits16, c.channels);
    device.SetActive(true);
    ASSERT_TRUE(device.IsActive()) << device.LastError();
    EXPECT_EQ(device.SamplesPerSec(), c.rate);
    EXPECT_EQ(output.format.rate, c.rate);
    EXPECT_EQ(output.format.bits, c.bits16 ? 16 : 8);
    EXPECT_EQ(output.format.channels, c.channels);
    EXPECT_EQ(device.BufferSize(), c.size);
    EXPECT_EQ(output.frames * device.BlockAlign(), c.size);
    device.SetActive(false);
  }
}

TEST_F(SoundMixer, NothingPlayingIsSilence) {
  device.SetActive(true);
  Bytes out = output.Pull(256 * 50);
  EXPECT_EQ(std::count(out.begin(), out.end(), 0), std::ptrdiff_t(out.size()));
  device.SetActive(false);

  device.SetFormat(1, false, 2);
  device.SetActive(true);
  out = output.Pull(256 * 50);
  EXPECT_EQ(std::count(out.begin(), out.end(), 128), std::ptrdiff_t(out.size()));
}

// Mixing -----------------------------------------------------------------------------------

TEST_F(SoundMixer, TwoLoopsRestartAtTheirEndsWithoutAGap) {
  Samples a = Pattern(500, 1), b = Pattern(750, 2);  // 1000 and 1500 bytes
  TCustomSound* first = Sound("a.wav", a, true, 100);
  TCustomSound* second = Sound("b.wav", b, true, 70);
  first->Play();
  second->Play();
  EXPECT_EQ(device.PlayingCount(), 2);
  device.SetActive(true);  // the first 33 buffers are mixed now

  Samples out = Pull16(128 * 33 * 3);  // every chunk end of both loops, many times
  for (std::size_t i = 0; i < out.size(); ++i) {
    int expected = a[i % 500] * 100 / 100 + b[i % 750] * 70 / 100;
    ASSERT_EQ(out[i], std::clamp(expected, -32768, 32767)) << "sample " << i;
  }
  // Positions: bytes already mixed into the queued and returned buffers.
  std::int64_t mixed = std::int64_t(device.BuffersFilled()) * 256;
  EXPECT_EQ(static_cast<TWinSound*>(first)->Position(), mixed % 1000);
  EXPECT_EQ(static_cast<TWinSound*>(second)->Position(), mixed % 1500);
  EXPECT_TRUE(first->Playing());
  EXPECT_TRUE(second->Playing());
}

TEST_F(SoundMixer, ASoundThatEndsInsideABufferStopsOnceAndLeavesTheRestToTheOthers) {
  Samples loop = Pattern(128, 3), once = Pattern(150, 4);  // 300 bytes: ends inside the second buffer
  TCustomSound* background = Sound("loop.wav", loop, true, 100);
  TCustomSound* shot = Sound("once.wav", once, false, 100);
  int stops = 0, plays = 0;
  TCustomSound* stopped = nullptr;
  shot->OnStop = [&](TCustomSound* sound) {
    ++stops;
    stopped = sound;
    EXPECT_TRUE(sound->Playing());  // OnStop comes first, then the flag falls
  };
  shot->OnPlay = [&](TCustomSound*) { ++plays; };
  background->Play();
  shot->Play();
  EXPECT_EQ(plays, 1);
  EXPECT_EQ(device.PlayingCount(), 2);
  device.SetActive(true);

  EXPECT_EQ(stops, 1);
  EXPECT_EQ(stopped, shot);
  EXPECT_FALSE(shot->Playing());
  EXPECT_EQ(device.PlayingCount(), 1);
  EXPECT_EQ(device.PlayingSoundCount(), 1);
  EXPECT_EQ(device.PlayingSounds(0), background);

  Samples out = Pull16(128 * 33);
  for (std::size_t i = 0; i < out.size(); ++i) {
    int expected = loop[i % 128] + (i < 150 ? once[i] : 0);
    ASSERT_EQ(out[i], std::clamp(expected, -32768, 32767)) << "sample " << i;
  }
  EXPECT_EQ(stops, 1);

  // Played again, it starts from its first byte in the next buffer filled,
  // which plays after the 33 queued ones.
  shot->Play();
  EXPECT_EQ(static_cast<TWinSound*>(shot)->Position(), 0);
  Samples later = Pull16(128 * 66);
  const std::size_t start = 128 * 33;
  for (std::size_t i = 0; i < later.size(); ++i) {
    int expected = loop[i % 128] + (i >= start && i < start + 150 ? once[i - start] : 0);
    ASSERT_EQ(later[i], std::clamp(expected, -32768, 32767)) << "sample " << i;
  }
  EXPECT_EQ(stops, 2);
}

TEST_F(SoundMixer, VolumesScaleTruncateAndClip) {
  // One sample of each kind in every 4: full scale up, full scale down,
  // small odd values that show the truncation toward zero.
  Samples edge = {-32768, 32767, -3, 199};
  TCustomSound* half = Sound("half.wav", edge, true, 50);
  half->Play();
  device.SetActive(true);
  Samples out = Pull16(8);
  EXPECT_EQ(out, (Samples{-16384, 16383, -1, 99, -16384, 16383, -1, 99}));
  EXPECT_EQ(static_cast<TWinSound*>(half)->MixVolume(), 50);
  device.SetActive(false);

  // Two full-scale sounds at 100 clip, both ways.
  half->SetVolume(100);
  TCustomSound* again = Sound("again.wav", edge, true, 100);
  again->Play();
  device.SetActive(true);
  out = Pull16(4);
  EXPECT_EQ(out, (Samples{-32768, 32767, -6, 398}));
  half->Stop();
  again->Stop();
  device.SetActive(false);

  // Out-of-range volumes play clamped; the sound keeps what it was given.
  TCustomSound* loud = Sound("loud.wav", {1000, -1000}, true, 150);
  TCustomSound* quiet = Sound("quiet.wav", {5000, 5000}, true, -5);
  loud->Play();
  quiet->Play();
  EXPECT_EQ(loud->Volume(), 150);
  EXPECT_EQ(static_cast<TWinSound*>(loud)->MixVolume(), 100);
  EXPECT_EQ(static_cast<TWinSound*>(quiet)->MixVolume(), 0);
  device.SetActive(true);
  EXPECT_EQ(Pull16(4), (Samples{1000, -1000, 1000, -1000}));
}

TEST_F(SoundMixer, AVolumeChangeIsHeardAfterTheQueuedBuffers) {
  TCustomSound* sound = Sound("steady.wav", Samples(64, 10000), true, 100);
  sound->Play();
  device.SetActive(true);
  sound->SetVolume(25);
  Samples queued = Pull16(128 * 33);
  EXPECT_EQ(std::count(queued.begin(), queued.end(), 10000), std::ptrdiff_t(queued.size()));
  // Buffers filled from here on (one per buffer pulled) are at the new volume.
  Samples refilled = Pull16(128 * 33);
  EXPECT_EQ(std::count(refilled.begin(), refilled.end(), 2500), std::ptrdiff_t(refilled.size()));
}

TEST_F(SoundMixer, EightBitOutput) {
  device.SetFormat(1, false, 1);
  Format f;
  f.bits = 8;
  dir.Write("u8.wav", PcmWave(f, Bytes{255, 0, 128, 129, 127, 200}));
  TCustomSound* a = device.AddSound(dir.File("u8.wav"));
  TCustomSound* b = device.AddSound(dir.File("U8.WAV"));
  ASSERT_EQ(a->Wave(), b->Wave());
  a->SetLoop(true);
  b->SetLoop(true);
  a->SetVolume(50);
  a->Play();
  device.SetActive(true);
  EXPECT_EQ(output.Pull(6), (Bytes{191, 64, 128, 128, 128, 164}));
  device.SetActive(false);

  a->SetVolume(100);
  b->Play();
  device.SetActive(true);
  EXPECT_EQ(output.Pull(6), (Bytes{255, 0, 128, 130, 126, 255}));
}

// Which sounds play ------------------------------------------------------------------------

TEST_F(SoundMixer, ANinthSoundIsRefusedSilently) {
  std::vector<TCustomSound*> sounds;
  for (int i = 0; i < 9; ++i) sounds.push_back(Sound("s" + std::to_string(i) + ".wav", Pattern(64, i)));
  int ninthPlays = 0;
  sounds[8]->OnPlay = [&](TCustomSound*) { ++ninthPlays; };
  for (int i = 0; i < 8; ++i) sounds[std::size_t(i)]->Play();
  EXPECT_EQ(device.PlayingCount(), 8);
  sounds[8]->Play();
  EXPECT_FALSE(sounds[8]->Playing());
  EXPECT_EQ(ninthPlays, 0);
  EXPECT_EQ(device.PlayingCount(), 8);
  EXPECT_EQ(device.PlayingSoundCount(), 8);

  // The order they started in; stopping one makes room.
  for (int i = 0; i < 8; ++i) EXPECT_EQ(device.PlayingSounds(i), sounds[std::size_t(i)]);
  sounds[3]->Stop();
  EXPECT_EQ(device.PlayingSounds(3), sounds[4]);
  sounds[8]->Play();
  EXPECT_TRUE(sounds[8]->Playing());
  EXPECT_EQ(device.PlayingSounds(7), sounds[8]);

  device.StopAll();
  EXPECT_EQ(device.PlayingCount(), 0);
  for (TCustomSound* s : sounds) EXPECT_FALSE(s->Playing());
}

TEST_F(SoundMixer, SoundsWithoutDataInTheOutputFormatAreRefused) {
  // A sound of no data, and one whose file could not be found in the
  // archive (nothing loaded).
  TCustomSound* empty = Sound("empty.wav", {});
  empty->Play();
  EXPECT_FALSE(empty->Playing());

  platform::FakeResources resources;
  platform::ScopedService<platform::Resources> installedResources{&resources};
  struct SourceGuard {
    SourceGuard() { ResourceReader().Source = TResourceSource::rsResources; }
    ~SourceGuard() { ResourceReader().Source = TResourceSource::rsFiles; }
  } source;
  device.UseResourceReader = true;
  TCustomSound* absent = device.AddSound("absent.wav");
  ASSERT_NE(absent, nullptr);
  EXPECT_EQ(absent->Wave()->DataSize(), 0);
  absent->Play();
  EXPECT_FALSE(absent->Playing());

  // Through the asset reader, the same as from a file.
  resources.Add("ONE_WAV", PcmWave(Format{}, Samples16({7, 8})));
  TCustomSound* one = device.AddSound("Sounds\\one.wav");
  one->Play();
  EXPECT_TRUE(one->Playing());
  EXPECT_EQ(device.PlayingCount(), 1);
}

TEST_F(SoundMixer, SixteenBitDataOfOddLengthPlaysWholeSamples) {
  Format f;
  Bytes data = Samples16({1000, 2000, 3000});
  data.push_back(0x7F);  // half a sample
  dir.Write("odd.wav", PcmWave(f, data));
  TCustomSound* odd = device.AddSound(dir.File("odd.wav"));
  ASSERT_EQ(odd->Wave()->DataSize(), 7);
  odd->SetLoop(true);
  odd->Play();
  device.SetActive(true);
  EXPECT_EQ(Pull16(9), (Samples{1000, 2000, 3000, 1000, 2000, 3000, 1000, 2000, 3000}));
}

TEST_F(SoundMixer, AFreedPlayingSoundLeavesTheMix) {
  TCustomSound* keep = Sound("keep.wav", Samples(16, 100));
  TCustomSound* gone = Sound("gone.wav", Samples(16, 1000));
  keep->Play();
  gone->Play();
  device.SetActive(true);
  delete gone;
  EXPECT_EQ(device.SoundCount(), 1);
  EXPECT_EQ(device.PlayingCount(), 1);
  EXPECT_EQ(device.PlayingSoundCount(), 1);
  Pull16(128 * 33);  // the buffers mixed before
  Samples after = Pull16(128 * 33);
  EXPECT_EQ(std::count(after.begin(), after.end(), 100), std::ptrdiff_t(after.size()));
}

// Volumes of the groups ------------------------------------------------------------------

TEST_F(SoundMixer, GroupVolumesReplaceTheVolumesOfTheirSounds) {
  device.SetSoundVolume(80);
  dir.Write("g.wav", PcmWave(Format{}, Samples16({1, 2})));
  TCustomSound* effect = device.AddSound(dir.File("g.wav"));
  TCustomSound* music = device.AddSound(dir.File("g.wav"));
  EXPECT_EQ(effect->Volume(), 80);  // new sounds take SoundVolume
  EXPECT_EQ(device.Sounds(1), music);
  music->SetMusic(true);
  EXPECT_EQ(music->Volume(), 100);
  effect->SetVolume(33);

  device.SetSoundVolume(60);
  EXPECT_EQ(effect->Volume(), 60);
  EXPECT_EQ(music->Volume(), 100);
  device.SetMusicVolume(250);
  EXPECT_EQ(device.MusicVolume(), 100);
  device.SetMusicVolume(-20);
  EXPECT_EQ(device.MusicVolume(), 0);
  EXPECT_EQ(music->Volume(), 0);
  EXPECT_EQ(effect->Volume(), 60);

  // Unchanged: the sounds keep their own volumes.
  effect->SetVolume(5);
  device.SetSoundVolume(60);
  EXPECT_EQ(effect->Volume(), 5);
  music->SetMusic(false);
  EXPECT_EQ(music->Volume(), 60);

  int panChanges = 0;
  struct PanSpy : TCustomSound {
    using TCustomSound::TCustomSound;
    int* changes = nullptr;
    void PanChanged() override { ++*changes; }
  } spy(nullptr, &device);
  spy.changes = &panChanges;
  spy.SetPan(-30);
  spy.SetPan(-30);
  EXPECT_EQ(spy.Pan(), -30);
  EXPECT_EQ(panChanges, 1);
  EXPECT_EQ(spy.Volume(), 60);
}

// The wave cache and formats --------------------------------------------------------------

TEST_F(SoundMixer, WavesAreSharedByFileNameAndConvertedOnce) {
  Format f;
  f.channels = 2;
  f.rate = 22050;
  dir.Write("Bubbles.wav", PcmWave(f, Samples16(Pattern(200, 5))));
  TCustomSound* a = device.AddSound(dir.File("Bubbles.wav"));
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->Wave()->Channels(), 1);  // converted to the device's mono
  EXPECT_EQ(a->Wave()->DataSize(), 200);
  const std::uint8_t* data = a->Wave()->Data();
  // Another folder, other letters: the same wave, not loaded again.
  assets_test::TempDir other;
  TCustomSound* b = device.AddSound(other.File("BUBBLES.WAV"));
  EXPECT_EQ(b->Wave(), a->Wave());
  EXPECT_EQ(b->Wave()->Data(), data);
  EXPECT_EQ(device.WaveCount(), 1);
  EXPECT_EQ(device.FindWave("x/bubbles.wav"), a->Wave());
  EXPECT_EQ(device.SoundCount(), 2);

  // A file that fails is not kept: once mended, it loads.
  dir.Write("late.wav", Bytes{1, 2, 3});
  EXPECT_THROW(device.AddSound(dir.File("late.wav")), Error);
  EXPECT_EQ(device.WaveCount(), 1);
  EXPECT_EQ(device.SoundCount(), 2);
  dir.Write("late.wav", PcmWave(Format{}, Samples16({1, 2})));
  EXPECT_NE(device.AddSound(dir.File("late.wav")), nullptr);

  // A compressed file ends up in the device's format too.
  Bytes codes(100, 0x55);
  Format mulaw;
  mulaw.tag = 7;
  mulaw.channels = 1;
  mulaw.rate = 8000;
  mulaw.bits = 8;
  Bytes noExtra;
  dir.Write("mu.wav", Riff({Chunk("fmt ", FmtBody(mulaw, &noExtra)), Chunk("data", codes)}));
  TCustomSound* mu = device.AddSound(dir.File("mu.wav"));
  EXPECT_EQ(mu->Wave()->SamplesPerSec(), 22050);
  EXPECT_EQ(mu->Wave()->BitsPerSample(), 16);
  mu->Play();
  EXPECT_TRUE(mu->Playing());

  device.Clear();
  EXPECT_EQ(device.SoundCount(), 0);
  EXPECT_EQ(device.WaveCount(), 0);
  EXPECT_EQ(device.PlayingCount(), 0);
}

TEST_F(SoundMixer, SetFormatStopsThePlayingSoundsAndReloadsEveryWave) {
  TCustomSound* s = Sound("fmt.wav", Pattern(100, 6));
  int stops = 0;
  CountStops(s, stops);
  s->Play();
  device.SetActive(true);
  output.Pull(256 * 3);

  device.SetFormat(2, true, 2);
  EXPECT_EQ(stops, 1);
  EXPECT_FALSE(s->Playing());
  EXPECT_EQ(device.PlayingCount(), 0);
  EXPECT_EQ(s->Wave()->Channels(), 2);
  EXPECT_EQ(s->Wave()->SamplesPerSec(), 44100);
  EXPECT_NEAR(s->Wave()->DataSize(), 800, 16);
  // Reopened in the new format.
  EXPECT_TRUE(device.IsActive());
  EXPECT_EQ(output.opens, 2);
  EXPECT_EQ(output.closes, 1);
  EXPECT_EQ(output.format.rate, 44100);
  EXPECT_EQ(output.format.channels, 2);
  EXPECT_EQ(device.BufferSize(), 1024);
  s->Play();
  EXPECT_TRUE(s->Playing());
  output.Pull(1024 * 40);

  // A wave that no longer loads: the others are reloaded, the output runs
  // again, then the error passes out.
  TCustomSound* other = Sound("other.wav", Pattern(100, 7));
  dir.Write("fmt.wav", Bytes{0});
  EXPECT_THROW(device.SetFormat(1, true, 1), Error);
  EXPECT_EQ(other->Wave()->Channels(), 1);
  EXPECT_TRUE(device.IsActive());
  EXPECT_EQ(output.format.rate, 22050);
  s->Play();
  EXPECT_FALSE(s->Playing());
  other->Play();
  EXPECT_TRUE(other->Playing());
}

// Failures of the output -------------------------------------------------------------------

TEST_F(SoundMixer, AnOutputThatDoesNotOpenDisablesTheDeviceQuietly) {
  TCustomSound* before = Sound("before.wav", Pattern(10, 8));
  output.openSucceeds = false;
  EXPECT_NO_THROW(device.SetActive(true));
  EXPECT_FALSE(device.Enabled());
  EXPECT_FALSE(device.Active());
  EXPECT_FALSE(device.IsActive());
  EXPECT_EQ(device.LastError(), "TWinSoundDevice.Activate error: waveOutOpen failed");
  EXPECT_EQ(device.AddSound(dir.File("before.wav")), nullptr);
  before->Play();
  EXPECT_FALSE(before->Playing());

  // SetFormat enables it again.
  output.openSucceeds = true;
  device.SetFormat(1, true, 1);
  EXPECT_TRUE(device.Enabled());
  device.SetActive(true);
  EXPECT_TRUE(device.IsActive());
  EXPECT_NE(device.AddSound(dir.File("before.wav")), nullptr);

  // A channel count no output plays.
  device.SetActive(false);
  EXPECT_THROW(device.SetFormat(1, true, 9), Error);  // the wave cannot convert to it
  device.SetActive(true);
  EXPECT_FALSE(device.Enabled());
  EXPECT_EQ(output.opens, 1);
}

TEST_F(SoundMixer, PauseHoldsTheOutputWithoutTouchingTheRing) {
  device.Pause();  // closed: only the flag
  EXPECT_TRUE(device.Paused());
  TCustomSound* s = Sound("p.wav", Samples(8, 500));
  s->Play();
  device.SetActive(true);
  EXPECT_TRUE(output.Paused());  // opened held
  Bytes held = output.Pull(256 * 40);
  EXPECT_EQ(std::count(held.begin(), held.end(), 0), std::ptrdiff_t(held.size()));
  EXPECT_EQ(device.BuffersFilled(), 33u);

  device.Resume();
  EXPECT_FALSE(output.Paused());
  Samples played = Pull16(128);
  EXPECT_EQ(std::count(played.begin(), played.end(), 500), 128);
  EXPECT_EQ(device.BuffersFilled(), 34u);

  device.Pause();
  EXPECT_TRUE(output.Paused());
  output.pauseSucceeds = false;
  try {
    device.Resume();
    ADD_FAILURE() << "resumed";
  } catch (const Error& error) {
    EXPECT_STREQ(error.what(), "TWinSoundDevice.Resume error: waveOutRestart failed");
  }
  try {
    device.Pause();
    ADD_FAILURE() << "paused";
  } catch (const Error& error) {
    EXPECT_STREQ(error.what(), "TWinSoundDevice.Pause error: waveOutPause failed");
  }
}

TEST(SoundDeviceProcess, MadeOnceAndReleasedWithItsSoundsStopped) {
  platform::FakeAudioOutput output;
  platform::ScopedService<platform::AudioOutput> installed{&output};
  assets_test::TempDir dir;
  dir.Write("p.wav", PcmWave(Format{}, Samples16({1, 2, 3, 4})));
  int stops = 0;
  {
    TSoundDeviceScope scope;
    TWinSoundDevice& device = SoundDevice();
    EXPECT_EQ(&SoundDevice(), &device);
    TCustomSound* s = device.AddSound(dir.File("p.wav"));
    s->SetLoop(true);
    s->OnStop = [&](TCustomSound*) { ++stops; };
    s->Play();
    device.SetActive(true);
    EXPECT_TRUE(output.IsOpen());
  }
  EXPECT_EQ(stops, 1);
  EXPECT_FALSE(output.IsOpen());
  EXPECT_EQ(SoundDevice().SoundCount(), 0);  // a new one
  ReleaseSoundDevice();
}

}  // namespace
}  // namespace velmora
