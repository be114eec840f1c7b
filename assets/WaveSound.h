// One sound: a wave format and a block of sample data, read from a RIFF
// WAVE file and converted to the PCM format the sound device plays, so
// that mixing never converts.
//
//   empty -> Load (the file's format; a compressed file is decoded to PCM at
//   once) -> ConvertTo (the device's format) -> read by the mixer while it
//   plays -> Clear, or loaded again when the device's format changes
//
// Format read (integers little-endian):
//
//   "RIFF" size "WAVE"                the form; its size must fit the bytes
//   then chunks: id (4 bytes), size (4), size bytes, one pad byte when
//   size is odd. Chunks other than these two are skipped:
//   "fmt "  FormatTag (2) Channels (2) SamplesPerSec (4) AvgBytesPerSec (4)
//           BlockAlign (2) BitsPerSample (2), and when the chunk is longer
//           than 16 bytes: ExtraSize (2) and ExtraSize extra bytes
//   "data"  the samples; it must come after "fmt "
//
// A block align larger than the data is cut to the data size. PCM
// (FormatTag 1) is read as it stands: 8-bit unsigned, 16- and 32-bit
// signed samples. Other tags that SDL's WAV decoder knows (IMA and MS
// ADPCM, A-law, mu-law, float) are decoded by SDL from the same bytes and
// then hold 16-bit PCM at the file's rate and channels. Conversions go
// through SDL's audio converter (SDL_AudioCVT) over the whole sound at once;
// a resampled sound may differ from another converter's in its last bits.
//
// Errors, "TWaveSound.<operation> error: <reason> file <FileName>":
//   LoadFromFile   "TWaveSound.LoadFromFile error: file <FileName> is not
//                  open" (this one alone has no reason part)
//   LoadFromStream "mmioOpen stream failed" (an empty or unreadable stream)
//   Load           "Find RIFF failed", "Find fmt CHUNK failed",
//                  "Read Wave format failed", "Read Extra data failed",
//                  "Bad Wave format" (0 channels, 0 Hz or block align 0),
//                  "Release CHUNCK failed", "Find data CHUNK failed",
//                  "Read Wave data failed"
//   Convert        "acmFormatSuggest failed" (no sound, a format SDL cannot
//                  read, a rate of either side outside 1000..384000 Hz, or
//                  a target that is not 1..8 channels and 8 or 16 bits),
//                  "acmStreamOpen failed",
//                  "acmStreamSize failed" (a result of 2 GB or more),
//                  "acmStreamPrepareHeader failed" (no memory for it),
//                  "acmStreamConvert failed"
// Diagnostics (core/Diagnostics.h, when a sink is in force): a compressed
// file decoded to PCM and a sound converted to another format are
// reported as warnings.
// What was read before a failure stays until the next Load or Clear; a
// failed Convert leaves the sound as it was. A converted sound stays
// Loaded, so that a decoded file can be converted again to the device's
// format.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "assets/Stream.h"

namespace velmora {

constexpr std::uint16_t kWaveFormatPCM = 1;

struct TWaveFormat {
  std::uint16_t FormatTag = 0;
  std::uint16_t Channels = 0;
  std::uint32_t SamplesPerSec = 0;
  std::uint32_t AvgBytesPerSec = 0;
  std::uint16_t BlockAlign = 0;
  std::uint16_t BitsPerSample = 0;
  std::uint16_t ExtraSize = 0;
  std::vector<std::uint8_t> Extra;  // ExtraSize bytes
};

class TWaveSound {
 public:
  explicit TWaveSound(std::string fileName = {}) : fileName_(std::move(fileName)) {}
  TWaveSound(const TWaveSound&) = delete;
  TWaveSound& operator=(const TWaveSound&) = delete;

  // nullptr while empty.
  const TWaveFormat* WaveFormat() const { return waveFormat_.get(); }
  // DataSize bytes; nullptr when there is no data.
  const std::uint8_t* Data() const { return data_.get(); }
  std::int32_t DataSize() const { return dataSize_; }
  const std::string& FileName() const { return fileName_; }
  void SetFileName(std::string fileName) { fileName_ = std::move(fileName); }
  bool Loaded() const { return loaded_; }

  // From WaveFormat; 0 while empty.
  int Channels() const { return waveFormat_ ? waveFormat_->Channels : 0; }
  int SamplesPerSec() const { return waveFormat_ ? static_cast<int>(waveFormat_->SamplesPerSec) : 0; }
  int BitsPerSample() const { return waveFormat_ ? waveFormat_->BitsPerSample : 0; }

  // Reads the file FileName (copied into memory first).
  void LoadFromFile();
  // Reads all of the stream from its first byte: an in-memory stream in
  // place, any other copied into memory first.
  void LoadFromStream(TStream& stream);
  // Reads a whole RIFF WAVE file held in memory; a compressed format is
  // then decoded (Convert with 0, 0, 0).
  void Load(std::span<const std::uint8_t> bytes);

  // Replaces the sound with the PCM format given. With a PCM source all
  // three are the result's; a compressed source is decoded first, and a 0
  // keeps the decoded channels, rate or 16 bits.
  void Convert(int channels, int samplesPerSec, int bitsPerSample);
  // Convert, unless the sound is not loaded or already PCM in that format.
  void ConvertTo(int channels, int samplesPerSec, int bitsPerSample);
  void Clear();

 private:
  [[noreturn]] void Fail(const char* operation, const char* reason) const;

  std::unique_ptr<TWaveFormat> waveFormat_;
  std::unique_ptr<std::uint8_t[]> data_;
  std::int32_t dataSize_ = 0;
  std::string fileName_;
  bool loaded_ = false;
};

}  // namespace velmora
