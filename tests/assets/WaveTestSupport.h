// Helpers of the sound tests: RIFF WAVE files assembled chunk by chunk, so
// that every size can be made right or wrong on purpose, and the G.711 and
// IMA ADPCM codings written out from their definitions to make compressed
// input whose decoded samples are known exactly.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tests/assets/AssetsTestSupport.h"

namespace wave_test {

using assets_test::Bytes;
using assets_test::PutU32;

inline void PutU16(Bytes& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

// A chunk: id, the size given (the real size when omitted), the bytes and,
// for an odd size, a pad byte unless told otherwise.
inline Bytes Chunk(std::string_view id, const Bytes& body, bool pad = true, std::int64_t declaredSize = -1) {
  Bytes out(id.begin(), id.end());
  PutU32(out, static_cast<std::uint32_t>(declaredSize < 0 ? std::int64_t(body.size()) : declaredSize));
  out.insert(out.end(), body.begin(), body.end());
  if (pad && body.size() % 2 == 1) out.push_back(0);
  return out;
}

// "RIFF" size "WAVE" and the chunks; the RIFF size is the real one unless
// given.
inline Bytes Riff(const std::vector<Bytes>& chunks, std::int64_t declaredSize = -1, std::string_view form = "WAVE") {
  Bytes body(form.begin(), form.end());
  for (const Bytes& c : chunks) body.insert(body.end(), c.begin(), c.end());
  return Chunk("RIFF", body, false, declaredSize);
}

struct Format {
  std::uint16_t tag = 1;
  std::uint16_t channels = 1;
  std::uint32_t rate = 22050;
  std::uint16_t bits = 16;
  std::uint16_t blockAlign = 0;  // 0: channels * bits / 8
  std::uint32_t avgBytes = 0;    // 0: blockAlign * rate
};

// The 16-byte PCM part; with `extra` (even empty) also ExtraSize and the
// extra bytes.
inline Bytes FmtBody(const Format& f, const Bytes* extra = nullptr) {
  std::uint16_t align = f.blockAlign ? f.blockAlign : static_cast<std::uint16_t>(f.channels * f.bits / 8);
  Bytes out;
  PutU16(out, f.tag);
  PutU16(out, f.channels);
  PutU32(out, f.rate);
  PutU32(out, f.avgBytes ? f.avgBytes : align * f.rate);
  PutU16(out, align);
  PutU16(out, f.bits);
  if (extra) {
    PutU16(out, static_cast<std::uint16_t>(extra->size()));
    out.insert(out.end(), extra->begin(), extra->end());
  }
  return out;
}

inline Bytes PcmWave(const Format& f, const Bytes& data) {
  return Riff({Chunk("fmt ", FmtBody(f)), Chunk("data", data)});
}

// 16-bit samples as little-endian bytes, and back.
inline Bytes Samples16(const std::vector<std::int16_t>& samples) {
  Bytes out;
  for (std::int16_t s : samples) PutU16(out, static_cast<std::uint16_t>(s));
  return out;
}
inline std::vector<std::int16_t> FromBytes16(const std::uint8_t* data, std::size_t size) {
  std::vector<std::int16_t> out(size / 2);
  for (std::size_t i = 0; i < out.size(); ++i)
    out[i] = static_cast<std::int16_t>(data[2 * i] | data[2 * i + 1] << 8);
  return out;
}
inline std::vector<std::int16_t> FromBytes16(const Bytes& b) { return FromBytes16(b.data(), b.size()); }

// A sine of the given period in samples, at amplitude a.
inline std::vector<std::int16_t> Sine(std::size_t count, double period, double amplitude) {
  std::vector<std::int16_t> out(count);
  for (std::size_t i = 0; i < count; ++i)
    out[i] = static_cast<std::int16_t>(std::lround(amplitude * std::sin(2 * M_PI * double(i) / period)));
  return out;
}

// G.711 decoding, as the standard defines it.
inline std::int16_t MuLawDecode(std::uint8_t code) {
  code = static_cast<std::uint8_t>(~code);
  int exponent = (code >> 4) & 7, mantissa = code & 0x0F;
  int magnitude = (((mantissa << 3) + 0x84) << exponent) - 0x84;
  return static_cast<std::int16_t>(code & 0x80 ? -magnitude : magnitude);
}
inline std::int16_t ALawDecode(std::uint8_t code) {
  code ^= 0x55;
  int t = (code & 0x0F) << 4, segment = (code & 0x70) >> 4;
  if (segment == 0)
    t += 8;
  else
    t = (t + 0x108) << (segment - 1);
  return static_cast<std::int16_t>(code & 0x80 ? t : -t);
}

// IMA ADPCM, mono, blocks of `blockAlign` bytes: a 4-byte header (first
// sample, step index, 0) and two 4-bit codes per byte, low nibble first.
struct ImaAdpcm {
  Bytes data;                          // whole blocks
  std::vector<std::int16_t> decoded;   // what a decoder makes of them
  std::uint16_t samplesPerBlock = 0;
};

inline ImaAdpcm ImaEncode(const std::vector<std::int16_t>& input, std::uint16_t blockAlign) {
  static const int steps[89] = {
      7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,    28,
      31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,
      130,   143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,   494,
      544,   598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,
      2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,
      9493,  10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
  static const int indexMoves[8] = {-1, -1, -1, -1, 2, 4, 6, 8};
  ImaAdpcm out;
  out.samplesPerBlock = static_cast<std::uint16_t>((blockAlign - 4) * 2 + 1);
  std::size_t blocks = input.size() / out.samplesPerBlock;
  int index = 0;
  for (std::size_t b = 0; b < blocks; ++b) {
    const std::int16_t* in = input.data() + b * out.samplesPerBlock;
    int predicted = in[0];
    PutU16(out.data, static_cast<std::uint16_t>(in[0]));
    out.data.push_back(static_cast<std::uint8_t>(index));
    out.data.push_back(0);
    out.decoded.push_back(in[0]);
    std::uint8_t pending = 0;
    for (int i = 1; i < out.samplesPerBlock; ++i) {
      int step = steps[index];
      int diff = in[i] - predicted;
      int code = 0;
      if (diff < 0) {
        code = 8;
        diff = -diff;
      }
      int delta = step >> 3;
      if (diff >= step) { code |= 4; diff -= step; delta += step; }
      if (diff >= step >> 1) { code |= 2; diff -= step >> 1; delta += step >> 1; }
      if (diff >= step >> 2) { code |= 1; delta += step >> 2; }
      predicted = std::clamp(code & 8 ? predicted - delta : predicted + delta, -32768, 32767);
      index = std::clamp(index + indexMoves[code & 7], 0, 88);
      out.decoded.push_back(static_cast<std::int16_t>(predicted));
      if (i % 2 == 1) {
        pending = static_cast<std::uint8_t>(code);
      } else {
        out.data.push_back(static_cast<std::uint8_t>(pending | code << 4));
      }
    }
  }
  return out;
}

inline Bytes ImaWave(const ImaAdpcm& ima, std::uint32_t rate, std::uint16_t blockAlign) {
  Format f;
  f.tag = 0x11;
  f.channels = 1;
  f.rate = rate;
  f.bits = 4;
  f.blockAlign = blockAlign;
  f.avgBytes = rate * blockAlign / ima.samplesPerBlock;
  Bytes extra;
  PutU16(extra, ima.samplesPerBlock);
  return Riff({Chunk("fmt ", FmtBody(f, &extra)), Chunk("data", ima.data)});
}

}  // namespace wave_test
