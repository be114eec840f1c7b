// The mixer's cost: one second of 44100 Hz 16-bit stereo output (about 172
// buffers of the ring, each filled as the output returns it) from looping
// sounds, 8 (the most that play at once) and 2 (the shipped scene). The
// output is the fake one, pulled on this thread, so only the mixing and
// the ring are measured. "realtime_x" is how many seconds of sound one
// second of one core mixes; its inverse is the share of a core the
// device takes.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "assets/WinSoundDevice.h"
#include "platform/fake/FakeAudio.h"

namespace {

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void PutU16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

// A 44100 Hz 16-bit stereo WAV file of a noisy tone.
void WriteLoop(const std::string& path, int frames, double period, std::mt19937& random) {
  std::vector<std::uint8_t> data;
  for (int i = 0; i < frames; ++i) {
    double tone = 9000 * std::sin(2 * M_PI * i / period);
    for (int c = 0; c < 2; ++c) PutU16(data, static_cast<std::uint16_t>(std::int16_t(tone + int(random() % 2001) - 1000)));
  }
  std::vector<std::uint8_t> file = {'R', 'I', 'F', 'F'};
  PutU32(file, static_cast<std::uint32_t>(4 + 24 + 8 + data.size()));
  file.insert(file.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  PutU32(file, 16);
  PutU16(file, 1);
  PutU16(file, 2);
  PutU32(file, 44100);
  PutU32(file, 44100 * 4);
  PutU16(file, 4);
  PutU16(file, 16);
  file.insert(file.end(), {'d', 'a', 't', 'a'});
  PutU32(file, static_cast<std::uint32_t>(data.size()));
  file.insert(file.end(), data.begin(), data.end());
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
}

void BM_MixOneSecondOfLoops(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  platform::FakeAudioOutput output;
  platform::ScopedService<platform::AudioOutput> installed{&output};
  std::random_device unique;
  std::filesystem::path dir = std::filesystem::temp_directory_path() / ("velmora-mixer-" + std::to_string(unique()));
  std::filesystem::create_directories(dir);
  {
    velmora::TWinSoundDevice device;
    device.SetFormat(2, true, 2);
    std::mt19937 random(42);
    for (int i = 0; i < count; ++i) {
      std::string path = (dir / ("loop" + std::to_string(i) + ".wav")).string();
      WriteLoop(path, 20000 + 7919 * i, 50.0 + 13 * i, random);  // loops of 0.45 s to 1.7 s
      velmora::TCustomSound* sound = device.AddSound(path);
      sound->SetLoop(true);
      sound->SetVolume(60 + 5 * i);
      sound->Play();
    }
    device.SetActive(true);
    if (!device.IsActive()) state.SkipWithError("the device did not start");
    std::vector<std::uint8_t> second(44100 * 4);
    for (auto _ : state) {
      output.Pull(second.data(), second.size());
      benchmark::DoNotOptimize(second.data());
      benchmark::ClobberMemory();
    }
    state.counters["realtime_x"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["buffers"] = double(device.BuffersFilled());
    state.SetBytesProcessed(state.iterations() * std::int64_t(second.size()));
  }
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
}
BENCHMARK(BM_MixOneSecondOfLoops)->Arg(8)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
