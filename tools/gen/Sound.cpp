// The looping bubble sounds: 22050 Hz, stereo, 16-bit PCM WAV files.
//
// A bubble rings at the resonance of its air pocket (higher for smaller
// bubbles), dies away within milliseconds and rises in pitch as it goes:
// a damped sine with a rising frequency and a short fade-in. Each sound is
// many such bubbles scattered over the loop plus a soft bed of filtered
// noise. The loop is built on a circle: a bubble that starts near the end
// rings on at the start, and the noise bed is filtered twice around the
// buffer, so the last sample runs into the first like any two neighbours.
// The mean of each channel is removed (no DC offset) and the peak is set
// well below full scale.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/gen/Content.h"
#include "tools/gen/GenRandom.h"

namespace velmora::gen {

namespace {

constexpr int kRate = 22050;
constexpr double kTwoPi = 6.283185307179586;

struct TStereo {
  std::vector<double> L, R;
  explicit TStereo(std::size_t n) : L(n, 0.0), R(n, 0.0) {}
  std::size_t Size() const { return L.size(); }
};

struct TBubbleStyle {
  double Seconds;
  double Rate;            // bubbles per second on average
  double Burst;           // chance that a bubble brings 2-4 close followers
  double MinHz, MaxHz;    // resonance range
  double Rise;            // pitch rise per damping time
  double Width;           // stereo spread, 0..1
  double BedLevel;        // noise bed, relative to a bubble
  double BedCutoff;       // noise bed low-pass, Hz
  double Peak;            // final peak, of full scale
};

// One bubble added around the circle at `start` (samples).
void AddBubble(TStereo& out, double start, double hz, double amplitude, double rise, double pan) {
  const double damping = 0.13 * hz + 0.0072 * std::pow(hz, 1.5);  // per second
  const double length = 9.0 / damping;                             // down to about 1e-4
  const std::size_t n = out.Size();
  const int samples = static_cast<int>(length * kRate);
  const double gainL = std::cos(pan * kTwoPi / 4) * amplitude, gainR = std::sin(pan * kTwoPi / 4) * amplitude;
  const double attack = 0.0004;  // seconds of fade-in, so no bubble clicks
  double phase = 0;
  const std::size_t first = static_cast<std::size_t>(start);
  for (int i = 0; i < samples; ++i) {
    double t = i / double(kRate);
    double f = hz * (1 + rise * damping * t);
    phase += kTwoPi * f / kRate;
    double env = std::exp(-damping * t) * (t < attack ? 0.5 - 0.5 * std::cos(kTwoPi / 2 * t / attack) : 1.0);
    double v = std::sin(phase) * env;
    std::size_t k = (first + static_cast<std::size_t>(i)) % n;
    out.L[k] += v * gainL;
    out.R[k] += v * gainR;
  }
}

// Low-passed noise that loops: the filter runs twice around the buffer and
// the second round is kept, so its state at the start is that of the end.
std::vector<double> NoiseBed(TGenRandom& rng, std::size_t n, double cutoff) {
  std::vector<double> white(n);
  for (double& w : white) w = rng.Float() * 2 - 1;
  const double a = 1 - std::exp(-kTwoPi * cutoff / kRate);
  std::vector<double> out(n);
  double y1 = 0, y2 = 0;
  for (int round = 0; round < 2; ++round)
    for (std::size_t i = 0; i < n; ++i) {
      y1 += a * (white[i] - y1);
      y2 += a * (y1 - y2);
      out[i] = y2;
    }
  double rms = 0;
  for (double v : out) rms += v * v;
  rms = std::sqrt(rms / static_cast<double>(n));
  for (double& v : out) v /= rms;
  return out;
}

std::vector<std::uint8_t> Wav(const std::vector<std::int16_t>& interleaved) {
  std::vector<std::uint8_t> out;
  auto u32 = [&](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  };
  auto u16 = [&](std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
  };
  auto tag = [&](const char* t) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(t[i]));
  };
  const std::uint32_t dataBytes = static_cast<std::uint32_t>(interleaved.size() * 2);
  out.reserve(44 + dataBytes);
  tag("RIFF");
  u32(36 + dataBytes);
  tag("WAVE");
  tag("fmt ");
  u32(16);
  u16(1);  // PCM
  u16(2);
  u32(kRate);
  u32(kRate * 4);
  u16(4);
  u16(16);
  tag("data");
  u32(dataBytes);
  for (std::int16_t s : interleaved) u16(static_cast<std::uint16_t>(s));
  return out;
}

void BubbleSound(TGenOutput& out, const std::string& name, const TBubbleStyle& st) {
  TGenRandom rng(name);
  const std::size_t n = static_cast<std::size_t>(st.Seconds * kRate);
  TStereo sound(n);
  const int count = static_cast<int>(st.Rate * st.Seconds);
  auto bubble = [&](double start) {
    // Small bubbles are the common ones: pick the radius, not the pitch.
    double radius = 1.0 / st.MaxHz + rng.Float() * rng.Float() * (1.0 / st.MinHz - 1.0 / st.MaxHz);
    double hz = 1.0 / radius;
    double amplitude = (0.4 + 0.6 * rng.Float()) * std::sqrt(st.MaxHz / hz);
    double pan = 0.5 + (rng.Float() - 0.5) * st.Width;
    AddBubble(sound, start, hz, amplitude, st.Rise * (0.6 + 0.8 * rng.Float()), pan);
  };
  for (int i = 0; i < count; ++i) {
    double start = rng.Float() * static_cast<double>(n);
    bubble(start);
    if (rng.Float() < st.Burst) {
      int followers = 2 + rng.Int(3);
      for (int k = 0; k < followers; ++k) {
        start += (0.015 + 0.05 * rng.Float()) * kRate;
        bubble(std::fmod(start, static_cast<double>(n)));
      }
    }
  }
  std::vector<double> bedL = NoiseBed(rng, n, st.BedCutoff), bedR = NoiseBed(rng, n, st.BedCutoff);
  for (std::size_t i = 0; i < n; ++i) {
    sound.L[i] += st.BedLevel * (0.8 * bedL[i] + 0.2 * bedR[i]);
    sound.R[i] += st.BedLevel * (0.8 * bedR[i] + 0.2 * bedL[i]);
  }
  // Tame the few loudest bubbles with a soft knee (the quiet ones keep
  // their level), then no DC and the peak where asked.
  auto removeDc = [&]() {
    for (std::vector<double>* ch : {&sound.L, &sound.R}) {
      double mean = 0;
      for (double v : *ch) mean += v;
      mean /= static_cast<double>(n);
      for (double& v : *ch) v -= mean;
    }
  };
  removeDc();
  std::vector<double> magnitudes;
  for (std::size_t i = 0; i < n; ++i) magnitudes.push_back(std::max(std::abs(sound.L[i]), std::abs(sound.R[i])));
  std::nth_element(magnitudes.begin(), magnitudes.begin() + static_cast<std::ptrdiff_t>(n * 995 / 1000), magnitudes.end());
  const double loud = std::max(1e-9, magnitudes[n * 995 / 1000]);
  for (std::vector<double>* ch : {&sound.L, &sound.R})
    for (double& v : *ch) v = std::tanh(v / loud * 0.5) * 2;
  removeDc();
  double peak = 1e-9;
  for (std::size_t i = 0; i < n; ++i) peak = std::max({peak, std::abs(sound.L[i]), std::abs(sound.R[i])});
  const double gain = st.Peak * 32767 / peak;
  std::vector<std::int16_t> pcm(2 * n);
  for (std::size_t i = 0; i < n; ++i) {
    pcm[2 * i] = static_cast<std::int16_t>(std::lround(sound.L[i] * gain));
    pcm[2 * i + 1] = static_cast<std::int16_t>(std::lround(sound.R[i] * gain));
  }
  out.Add(name, Wav(pcm));
}

}  // namespace

void MakeSoundContent(TGenOutput& out) {
  // An air stone: a dense, bright fizz of small bubbles.
  BubbleSound(out, "bubbles1.wav", TBubbleStyle{4.0, 45, 0.25, 900, 3600, 0.35, 0.8, 0.10, 900, 0.45});
  // Gurgling: fewer, larger bubbles, some in little runs, over a low murmur.
  BubbleSound(out, "bubbles2.wav", TBubbleStyle{5.0, 9, 0.45, 260, 1100, 0.6, 0.6, 0.14, 300, 0.42});
}

}  // namespace velmora::gen
