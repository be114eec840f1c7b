#include "assets/WaveSound.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "assets/ResourceReader.h"
#include "core/Diagnostics.h"
#include "core/Error.h"

namespace velmora {

namespace {

constexpr std::uint32_t FourCC(const char (&id)[5]) {
  return std::uint32_t(std::uint8_t(id[0])) | std::uint32_t(std::uint8_t(id[1])) << 8 |
         std::uint32_t(std::uint8_t(id[2])) << 16 | std::uint32_t(std::uint8_t(id[3])) << 24;
}

std::uint32_t GetU32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}
std::uint16_t GetU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void PutU16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

// A chunk found by the reader: its id, declared size and where its data
// begins (after the form type for "RIFF").
struct TRiffChunk {
  std::uint32_t Id = 0;
  std::uint32_t Size = 0;
  std::size_t Start = 0;
  std::size_t End() const { return Start + Size; }
};

// Walks the chunks of a RIFF file held in memory. Every read and every
// skip is checked against a limit (the file, or the chunk being read), so
// no size in the file can move it outside the bytes it holds.
class TRiffReader {
 public:
  explicit TRiffReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  // The top-level "RIFF" chunk of the given form type, searched from the
  // start of the file; its declared size must fit in the file.
  bool FindRiff(std::uint32_t formType, TRiffChunk& riff) {
    position_ = 0;
    TRiffChunk chunk;
    while (NextHeader(bytes_.size(), chunk)) {
      if (chunk.Id == FourCC("RIFF") && chunk.Size >= 4 && chunk.End() <= bytes_.size() &&
          GetU32(bytes_.data() + chunk.Start) == formType) {
        riff = chunk;
        riff.Start += 4;
        riff.Size -= 4;
        position_ = riff.Start;
        return true;
      }
      if (!Skip(chunk, bytes_.size())) return false;
    }
    return false;
  }

  // The next sub-chunk `id` of parent, searched from the position; other
  // chunks are skipped with their pad byte. The position is then at the
  // chunk's data. Its declared size is not checked here: reads are.
  bool FindChunk(std::uint32_t id, const TRiffChunk& parent, TRiffChunk& found) {
    TRiffChunk chunk;
    while (NextHeader(parent.End(), chunk)) {
      if (chunk.Id == id) {
        found = chunk;
        position_ = chunk.Start;
        return true;
      }
      if (!Skip(chunk, parent.End())) return false;
    }
    return false;
  }

  // count bytes from the position, all of them before limit.
  bool Read(void* out, std::size_t count, std::size_t limit) {
    if (limit > bytes_.size() || position_ > limit || count > limit - position_) return false;
    if (count) std::memcpy(out, bytes_.data() + position_, count);
    position_ += count;
    return true;
  }
  // Whether count bytes from the position lie before limit.
  bool Holds(std::size_t count, std::size_t limit) const {
    return limit <= bytes_.size() && position_ <= limit && count <= limit - position_;
  }

  // Moves past the end of chunk (and its pad byte when the parent holds
  // it); false when the chunk runs past the parent.
  bool Ascend(const TRiffChunk& chunk, const TRiffChunk& parent) {
    if (chunk.End() > parent.End()) return false;
    position_ = chunk.End() + (chunk.Size & 1);
    if (position_ > parent.End()) position_ = parent.End();
    return true;
  }

 private:
  bool NextHeader(std::size_t limit, TRiffChunk& chunk) {
    if (limit > bytes_.size() || position_ > limit || limit - position_ < 8) return false;
    chunk.Id = GetU32(bytes_.data() + position_);
    chunk.Size = GetU32(bytes_.data() + position_ + 4);
    chunk.Start = position_ + 8;
    return true;
  }
  bool Skip(const TRiffChunk& chunk, std::size_t limit) {
    std::uint64_t next = std::uint64_t(chunk.Start) + chunk.Size + (chunk.Size & 1);
    if (next > limit) return false;
    position_ = static_cast<std::size_t>(next);
    return true;
  }

  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
};

// Sample rates converted from and to. Outside them a conversion would make
// sounds out of all proportion to the data (a "1 Hz" file played at
// 44100 Hz grows 44100 times).
constexpr int kMinRate = 1000;
constexpr int kMaxRate = 384000;

// Format tags that SDL's WAV decoder reads besides PCM.
bool SdlDecodes(std::uint16_t tag) {
  switch (tag) {
    case 0x0002:  // MS ADPCM
    case 0x0003:  // IEEE float
    case 0x0006:  // A-law
    case 0x0007:  // mu-law
    case 0x0011:  // IMA ADPCM
    case 0xFFFE:  // extensible
      return true;
    default:
      return false;
  }
}

SDL_AudioFormat PcmFormat(int bits) {
  switch (bits) {
    case 8: return AUDIO_U8;
    case 16: return AUDIO_S16LSB;
    case 32: return AUDIO_S32LSB;
    default: return 0;
  }
}

// A whole RIFF WAVE file of one format and its data, for SDL's decoder.
std::vector<std::uint8_t> RiffImage(const TWaveFormat& format, const std::uint8_t* data, std::uint32_t size) {
  std::uint32_t fmtSize = 18 + format.ExtraSize;
  std::vector<std::uint8_t> out;
  out.reserve(std::size_t(size) + fmtSize + 29);
  out.insert(out.end(), {'R', 'I', 'F', 'F'});
  PutU32(out, 4 + 8 + fmtSize + 8 + size + (size & 1));
  out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  PutU32(out, fmtSize);
  PutU16(out, format.FormatTag);
  PutU16(out, format.Channels);
  PutU32(out, format.SamplesPerSec);
  PutU32(out, format.AvgBytesPerSec);
  PutU16(out, format.BlockAlign);
  PutU16(out, format.BitsPerSample);
  PutU16(out, format.ExtraSize);
  out.insert(out.end(), format.Extra.begin(), format.Extra.end());
  out.insert(out.end(), {'d', 'a', 't', 'a'});
  PutU32(out, size);
  if (size) out.insert(out.end(), data, data + size);
  if (size & 1) out.push_back(0);
  return out;
}

// Samples handed over by SDL's decoder, freed with SDL_FreeWAV.
struct TDecoded {
  Uint8* buffer = nullptr;
  Uint32 length = 0;
  SDL_AudioSpec spec{};
  ~TDecoded() {
    if (buffer) SDL_FreeWAV(buffer);
  }
};

}  // namespace

void TWaveSound::Fail(const char* operation, const char* reason) const {
  RaiseError("TWaveSound", operation, std::string(reason) + " file " + fileName_);
}

void TWaveSound::Clear() {
  waveFormat_.reset();
  data_.reset();
  dataSize_ = 0;
  loaded_ = false;
}

void TWaveSound::LoadFromFile() {
  std::unique_ptr<TFileStream> file;
  try {
    file = std::make_unique<TFileStream>(fileName_, TFileMode::fmOpenRead);
  } catch (const std::exception&) {
    RaiseError("TWaveSound", "LoadFromFile", "file " + fileName_ + " is not open");
  }
  LoadFromStream(*file);
}

void TWaveSound::LoadFromStream(TStream& stream) {
  if (auto* memory = dynamic_cast<TCustomMemoryStream*>(&stream)) {
    if (memory->Bytes().empty()) Fail("LoadFromStream", "mmioOpen stream failed");
    Load(memory->Bytes());
    return;
  }
  TMemoryStream copy;
  try {
    stream.SetPosition(0);
    std::int64_t size = stream.Size();
    copy.Reserve(static_cast<std::size_t>(size));
    copy.CopyFrom(stream, size);
  } catch (const std::exception&) {
    Fail("LoadFromStream", "mmioOpen stream failed");
  }
  if (copy.Bytes().empty()) Fail("LoadFromStream", "mmioOpen stream failed");
  Load(copy.Bytes());
}

void TWaveSound::Load(std::span<const std::uint8_t> bytes) {
  Clear();
  TRiffReader reader(bytes);
  TRiffChunk riff;
  if (!reader.FindRiff(FourCC("WAVE"), riff)) Fail("Load", "Find RIFF failed");

  TRiffChunk fmt;
  if (!reader.FindChunk(FourCC("fmt "), riff, fmt)) Fail("Load", "Find fmt CHUNK failed");
  std::size_t fmtLimit = std::min(fmt.End(), riff.End());
  std::uint8_t pcm[16];
  if (fmt.Size < 16 || !reader.Read(pcm, 16, fmtLimit)) Fail("Load", "Read Wave format failed");
  auto format = std::make_unique<TWaveFormat>();
  format->FormatTag = GetU16(pcm);
  format->Channels = GetU16(pcm + 2);
  format->SamplesPerSec = GetU32(pcm + 4);
  format->AvgBytesPerSec = GetU32(pcm + 8);
  format->BlockAlign = GetU16(pcm + 12);
  format->BitsPerSample = GetU16(pcm + 14);
  if (fmt.Size > 16) {
    std::uint8_t extraSize[2];
    if (!reader.Read(extraSize, 2, fmtLimit)) Fail("Load", "Read Extra data failed");
    format->ExtraSize = GetU16(extraSize);
    // Checked before the buffer is made: it never outgrows the chunk.
    if (!reader.Holds(format->ExtraSize, fmtLimit)) Fail("Load", "Read Extra data failed");
    format->Extra.resize(format->ExtraSize);
    reader.Read(format->Extra.data(), format->ExtraSize, fmtLimit);
  }
  waveFormat_ = std::move(format);
  if (waveFormat_->Channels == 0 || waveFormat_->SamplesPerSec == 0 || waveFormat_->BlockAlign == 0)
    Fail("Load", "Bad Wave format");
  if (!reader.Ascend(fmt, riff)) Fail("Load", "Release CHUNCK failed");

  TRiffChunk data;
  if (!reader.FindChunk(FourCC("data"), riff, data)) Fail("Load", "Find data CHUNK failed");
  if (waveFormat_->BlockAlign > data.Size) waveFormat_->BlockAlign = static_cast<std::uint16_t>(data.Size);
  if (data.Size > std::uint32_t(std::numeric_limits<std::int32_t>::max()) || !reader.Holds(data.Size, riff.End()))
    Fail("Load", "Read Wave data failed");
  data_.reset(new (std::nothrow) std::uint8_t[data.Size ? data.Size : 1]);
  if (!data_) Fail("Load", "Read Wave data failed");
  reader.Read(data_.get(), data.Size, riff.End());
  dataSize_ = static_cast<std::int32_t>(data.Size);
  loaded_ = true;

  if (waveFormat_->FormatTag != kWaveFormatPCM) {
    if (Diagnostics())
      Diagnose(TDiagnosticLevel::dlWarning, ResourceFileName(fileName_) + " is compressed (format tag " +
                                                std::to_string(waveFormat_->FormatTag) + "); decoded to PCM");
    Convert(0, 0, 0);
  }
}

void TWaveSound::Convert(int channels, int samplesPerSec, int bitsPerSample) {
  // The source: PCM as it stands, or what SDL's decoder makes of it.
  if (!waveFormat_) Fail("Convert", "acmFormatSuggest failed");
  const TWaveFormat& source = *waveFormat_;
  TDecoded decoded;
  SDL_AudioFormat fromFormat = 0;
  int fromChannels = source.Channels;
  int fromRate = static_cast<int>(source.SamplesPerSec);
  const std::uint8_t* from = data_.get();
  std::uint32_t fromSize = static_cast<std::uint32_t>(dataSize_);
  if (source.FormatTag == kWaveFormatPCM) {
    fromFormat = PcmFormat(source.BitsPerSample);
    if (fromFormat == 0 || source.SamplesPerSec > std::uint32_t(kMaxRate)) Fail("Convert", "acmFormatSuggest failed");
  } else {
    if (!SdlDecodes(source.FormatTag)) Fail("Convert", "acmFormatSuggest failed");
    std::vector<std::uint8_t> image = RiffImage(source, from, fromSize);
    if (image.size() > std::size_t(std::numeric_limits<int>::max())) Fail("Convert", "acmStreamSize failed");
    SDL_RWops* rw = SDL_RWFromConstMem(image.data(), static_cast<int>(image.size()));
    if (!rw || !SDL_LoadWAV_RW(rw, 1, &decoded.spec, &decoded.buffer, &decoded.length))
      Fail("Convert", "acmStreamConvert failed");
    fromFormat = decoded.spec.format;
    fromChannels = decoded.spec.channels;
    fromRate = decoded.spec.freq;
    from = decoded.buffer;
    fromSize = decoded.length;
    if (channels == 0) channels = fromChannels;
    if (samplesPerSec == 0) samplesPerSec = fromRate;
    if (bitsPerSample == 0) bitsPerSample = 16;
  }
  SDL_AudioFormat toFormat = PcmFormat(bitsPerSample);
  if (channels < 1 || channels > 8 || samplesPerSec < kMinRate || samplesPerSec > kMaxRate ||
      (bitsPerSample != 8 && bitsPerSample != 16) || fromChannels < 1 || fromRate < kMinRate || fromRate > kMaxRate)
    Fail("Convert", "acmFormatSuggest failed");

  auto target = std::make_unique<TWaveFormat>();
  target->FormatTag = kWaveFormatPCM;
  target->Channels = static_cast<std::uint16_t>(channels);
  target->SamplesPerSec = static_cast<std::uint32_t>(samplesPerSec);
  target->BitsPerSample = static_cast<std::uint16_t>(bitsPerSample);
  target->BlockAlign = static_cast<std::uint16_t>(channels * bitsPerSample / 8);
  target->AvgBytesPerSec = target->BlockAlign * target->SamplesPerSec;

  // Whole source frames only; the result's size is bounded before any of
  // it is made.
  std::uint32_t fromFrame = static_cast<std::uint32_t>(fromChannels) * SDL_AUDIO_BITSIZE(fromFormat) / 8;
  std::uint64_t frames = fromSize / fromFrame;
  fromSize = static_cast<std::uint32_t>(frames * fromFrame);
  std::uint64_t estimate = (frames * std::uint64_t(samplesPerSec) / std::uint64_t(fromRate) + 64) * target->BlockAlign;
  if (estimate > std::uint64_t(std::numeric_limits<std::int32_t>::max())) Fail("Convert", "acmStreamSize failed");

  // SDL_AudioCVT works on the whole sound in one buffer, so that nothing
  // of its end stays behind in a resampler (SDL's audio streams of this
  // generation drop the last frames of a resampled sound).
  SDL_AudioCVT cvt;
  int built = SDL_BuildAudioCVT(&cvt, fromFormat, static_cast<Uint8>(fromChannels), fromRate, toFormat,
                                static_cast<Uint8>(channels), samplesPerSec);
  if (built < 0) Fail("Convert", "acmStreamOpen failed");
  std::uint64_t room = std::uint64_t(fromSize) * std::uint64_t(std::max(cvt.len_mult, 1));
  if (room > std::uint64_t(std::numeric_limits<int>::max())) Fail("Convert", "acmStreamSize failed");
  std::unique_ptr<std::uint8_t[]> work(new (std::nothrow) std::uint8_t[room ? room : 1]);
  if (!work) Fail("Convert", "acmStreamPrepareHeader failed");
  if (fromSize) std::memcpy(work.get(), from, fromSize);
  std::int32_t outputSize = static_cast<std::int32_t>(fromSize);
  if (built == 1 && fromSize > 0) {
    cvt.buf = work.get();
    cvt.len = static_cast<int>(fromSize);
    if (SDL_ConvertAudio(&cvt) != 0 || cvt.len_cvt < 0 || std::uint64_t(cvt.len_cvt) > room)
      Fail("Convert", "acmStreamConvert failed");
    outputSize = cvt.len_cvt - cvt.len_cvt % target->BlockAlign;
  }
  // Kept at its own size: the working buffer may be many times larger.
  std::unique_ptr<std::uint8_t[]> output(new (std::nothrow) std::uint8_t[outputSize ? outputSize : 1]);
  if (!output) Fail("Convert", "acmStreamPrepareHeader failed");
  if (outputSize) std::memcpy(output.get(), work.get(), std::size_t(outputSize));
  work.reset();

  Clear();
  waveFormat_ = std::move(target);
  data_ = std::move(output);
  dataSize_ = outputSize;
  // The converted sound is a loaded sound in its new format, so that a
  // decoded file can still be converted to the device's format.
  loaded_ = true;
}

void TWaveSound::ConvertTo(int channels, int samplesPerSec, int bitsPerSample) {
  if (!loaded_) return;
  if (waveFormat_->FormatTag == kWaveFormatPCM && Channels() == channels && SamplesPerSec() == samplesPerSec &&
      BitsPerSample() == bitsPerSample)
    return;
  if (Diagnostics()) {
    auto describe = [](int tag, int rate, int count, int bits) {
      std::string text = std::to_string(rate) + " Hz, " + std::to_string(count) +
                         (count == 1 ? " channel, " : " channels, ") + std::to_string(bits) + "-bit";
      return tag == kWaveFormatPCM ? text : text + " (format tag " + std::to_string(tag) + ")";
    };
    Diagnose(TDiagnosticLevel::dlWarning,
             ResourceFileName(fileName_) + " is " +
                 describe(waveFormat_->FormatTag, SamplesPerSec(), Channels(), BitsPerSample()) +
                 "; converted to the device's " + describe(kWaveFormatPCM, samplesPerSec, channels, bitsPerSample));
  }
  Convert(channels, samplesPerSec, bitsPerSample);
}

}  // namespace velmora
