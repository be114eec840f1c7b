// WAV loading: the chunk walk and its size checks on files built here, the
// error texts, the sources a sound is read from, compressed input decoded,
// and conversions between PCM formats.
#include <gtest/gtest.h>

#include <array>
#include <functional>

#include "assets/WaveSound.h"
#include "core/Error.h"
#include "tests/assets/WaveTestSupport.h"

namespace velmora {
namespace {

using namespace wave_test;
using assets_test::TempDir;

std::string LoadError(const Bytes& file, const std::string& name = "test.wav") {
  TWaveSound wave(name);
  try {
    wave.Load(file);
  } catch (const Error& error) {
    return error.what();
  }
  return "loaded";
}

Bytes Ramp(std::size_t size) {
  Bytes out(size);
  for (std::size_t i = 0; i < size; ++i) out[i] = static_cast<std::uint8_t>(i * 7 + 3);
  return out;
}

Format Stereo16() {
  Format f;
  f.channels = 2;
  f.rate = 22050;
  f.bits = 16;
  return f;
}

TEST(WaveSoundLoad, PcmWithA16ByteFormatChunk) {
  Bytes data = Ramp(400);
  TWaveSound wave("bubbles1.wav");
  wave.Load(PcmWave(Stereo16(), data));
  ASSERT_TRUE(wave.Loaded());
  const TWaveFormat& f = *wave.WaveFormat();
  EXPECT_EQ(f.FormatTag, 1);
  EXPECT_EQ(wave.Channels(), 2);
  EXPECT_EQ(wave.SamplesPerSec(), 22050);
  EXPECT_EQ(wave.BitsPerSample(), 16);
  EXPECT_EQ(f.BlockAlign, 4);
  EXPECT_EQ(f.AvgBytesPerSec, 88200u);
  EXPECT_EQ(f.ExtraSize, 0);
  EXPECT_TRUE(f.Extra.empty());
  ASSERT_EQ(wave.DataSize(), 400);
  EXPECT_EQ(Bytes(wave.Data(), wave.Data() + 400), data);

  wave.Clear();
  EXPECT_FALSE(wave.Loaded());
  EXPECT_EQ(wave.WaveFormat(), nullptr);
  EXPECT_EQ(wave.Data(), nullptr);
  EXPECT_EQ(wave.DataSize(), 0);
  EXPECT_EQ(wave.Channels(), 0);
  EXPECT_EQ(wave.SamplesPerSec(), 0);
  EXPECT_EQ(wave.FileName(), "bubbles1.wav");
}

TEST(WaveSoundLoad, ExtraFormatBytesAndUnknownChunksAreRead) {
  Bytes extra = {9, 8, 7, 6, 5};
  Bytes data = Ramp(64);
  Bytes file = Riff({Chunk("LIST", Bytes(12, 'x')), Chunk("junk", Bytes(5, 1)),  // odd, padded
                     Chunk("fmt ", FmtBody(Stereo16(), &extra)), Chunk("cue ", Bytes(3, 2)), Chunk("data", data),
                     Chunk("smpl", Bytes(8, 0))});
  TWaveSound wave("x.wav");
  wave.Load(file);
  EXPECT_EQ(wave.WaveFormat()->ExtraSize, 5);
  EXPECT_EQ(wave.WaveFormat()->Extra, extra);
  EXPECT_EQ(Bytes(wave.Data(), wave.Data() + wave.DataSize()), data);

  // A longer format chunk whose extra size is 0 (bytes after it ignored).
  Bytes empty;
  Bytes body = FmtBody(Stereo16(), &empty);
  body.insert(body.end(), {1, 2});
  wave.Load(Riff({Chunk("fmt ", body), Chunk("data", data)}));
  EXPECT_EQ(wave.WaveFormat()->ExtraSize, 0);
  EXPECT_EQ(wave.DataSize(), 64);
}

TEST(WaveSoundLoad, OddSizedChunksFollowThePadRule) {
  // An 8-bit mono sound of odd length, its pad byte after it.
  Format mono8;
  mono8.bits = 8;
  Bytes data = Ramp(1001);
  TWaveSound wave("odd.wav");
  wave.Load(Riff({Chunk("fmt ", FmtBody(mono8)), Chunk("data", data)}));
  EXPECT_EQ(wave.DataSize(), 1001);
  EXPECT_EQ(Bytes(wave.Data(), wave.Data() + 1001), data);
  // The same without the pad byte at the very end still loads.
  Bytes unpadded = Riff({Chunk("fmt ", FmtBody(mono8)), Chunk("data", data, false)});
  wave.Load(unpadded);
  EXPECT_EQ(wave.DataSize(), 1001);

  // An odd unknown chunk that lacks its pad byte puts the walk off by one:
  // the format chunk is not found.
  EXPECT_EQ(LoadError(Riff({Chunk("junk", Bytes(3, 1), false), Chunk("fmt ", FmtBody(mono8)), Chunk("data", data)})),
            "TWaveSound.Load error: Find fmt CHUNK failed file test.wav");
}

TEST(WaveSoundLoad, ErrorTextsAtTheirFailurePoints) {
  Format f = Stereo16();
  Bytes fmt = Chunk("fmt ", FmtBody(f));
  Bytes data = Chunk("data", Ramp(40));
  auto message = [](const char* reason) { return std::string("TWaveSound.Load error: ") + reason + " file test.wav"; };

  EXPECT_EQ(LoadError(Riff({data}), "bubbles2.wav"), "TWaveSound.Load error: Find fmt CHUNK failed file bubbles2.wav");
  EXPECT_EQ(LoadError(Riff({fmt})), message("Find data CHUNK failed"));
  // "data" is searched only after "fmt ".
  EXPECT_EQ(LoadError(Riff({data, fmt})), message("Find data CHUNK failed"));

  EXPECT_EQ(LoadError({}), message("Find RIFF failed"));
  EXPECT_EQ(LoadError(assets_test::ToBytes("RIFF")), message("Find RIFF failed"));
  EXPECT_EQ(LoadError(Riff({fmt, data}, -1, "AVI ")), message("Find RIFF failed"));
  Bytes riff = Riff({fmt, data});
  EXPECT_EQ(LoadError(Riff({fmt, data}, std::int64_t(riff.size()))), message("Find RIFF failed"));  // 8 bytes too many
  EXPECT_EQ(LoadError(Riff({fmt, data}, 0xFFFFFFFF)), message("Find RIFF failed"));

  EXPECT_EQ(LoadError(Riff({Chunk("fmt ", Bytes(14, 1)), data})), message("Read Wave format failed"));
  // A format chunk that claims 16 bytes where the form ends sooner.
  EXPECT_EQ(LoadError(Riff({Chunk("fmt ", Bytes(10, 1), true, 16)})), message("Read Wave format failed"));
  Bytes tooMuchExtra = FmtBody(f);
  PutU16(tooMuchExtra, 6);
  tooMuchExtra.insert(tooMuchExtra.end(), {1, 2, 3});
  EXPECT_EQ(LoadError(Riff({Chunk("fmt ", tooMuchExtra), data})), message("Read Extra data failed"));
  Bytes halfExtraSize = FmtBody(f);
  halfExtraSize.push_back(0);
  EXPECT_EQ(LoadError(Riff({Chunk("fmt ", halfExtraSize), data})), message("Read Extra data failed"));
  // A format chunk longer than the form.
  Bytes noExtra;
  EXPECT_EQ(LoadError(Riff({Chunk("fmt ", FmtBody(f, &noExtra), true, 1000), data})), message("Release CHUNCK failed"));

  for (auto broken : std::vector<std::function<void(Format&)>>{[](Format& g) { g.channels = 0; g.blockAlign = 4; },
                                                              [](Format& g) { g.rate = 0; },
                                                              [](Format& g) { g.blockAlign = 0, g.bits = 0; }}) {
    Format g = f;
    broken(g);
    EXPECT_EQ(LoadError(Riff({Chunk("fmt ", FmtBody(g)), data})), message("Bad Wave format"));
  }

  // The data chunk claims more than the file holds.
  Bytes shortData = Riff({fmt, Chunk("data", Ramp(40), true, 41)});
  EXPECT_EQ(LoadError(shortData), message("Read Wave data failed"));
  EXPECT_EQ(LoadError(Riff({fmt, Chunk("data", Ramp(40), true, 0x7FFFFFF0)})), message("Read Wave data failed"));
  EXPECT_EQ(LoadError(Riff({fmt, Chunk("data", Ramp(40), true, 0xFFFFFFF0)})), message("Read Wave data failed"));
}

TEST(WaveSoundLoad, WhatWasReadBeforeAFailureStaysUntilTheNextLoad) {
  TWaveSound wave("test.wav");
  EXPECT_THROW(wave.Load(Riff({Chunk("fmt ", FmtBody(Stereo16())), Chunk("data", Ramp(8), true, 9)})), Error);
  ASSERT_NE(wave.WaveFormat(), nullptr);
  EXPECT_EQ(wave.Channels(), 2);
  EXPECT_FALSE(wave.Loaded());
  EXPECT_EQ(wave.Data(), nullptr);
}

TEST(WaveSoundLoad, BlockAlignIsCutToTheDataSize) {
  Format f = Stereo16();
  f.blockAlign = 64;
  TWaveSound wave("test.wav");
  wave.Load(PcmWave(f, Ramp(12)));
  EXPECT_EQ(wave.WaveFormat()->BlockAlign, 12);
  wave.Load(PcmWave(f, {}));
  EXPECT_EQ(wave.WaveFormat()->BlockAlign, 0);
  EXPECT_EQ(wave.DataSize(), 0);
  EXPECT_TRUE(wave.Loaded());
}

TEST(WaveSoundLoad, FilesAndStreams) {
  TempDir dir;
  Bytes file = PcmWave(Stereo16(), Ramp(100));
  TWaveSound wave(dir.Write("on disk.wav", file));
  wave.LoadFromFile();
  EXPECT_EQ(wave.DataSize(), 100);

  // A file stream is copied from its first byte, wherever it stands.
  TFileStream stream(wave.FileName(), TFileMode::fmOpenRead);
  stream.SetPosition(30);
  TWaveSound fromFile("f.wav");
  fromFile.LoadFromStream(stream);
  EXPECT_EQ(Bytes(fromFile.Data(), fromFile.Data() + 100), Ramp(100));

  // An in-memory stream is read in place, from its first byte too.
  TMemoryStream memory(file);
  memory.Seek(0, TSeekOrigin::soEnd);
  TWaveSound fromMemory("m.wav");
  fromMemory.LoadFromStream(memory);
  EXPECT_EQ(fromMemory.DataSize(), 100);

  TMemoryStream empty;
  TWaveSound nothing("empty.wav");
  try {
    nothing.LoadFromStream(empty);
    ADD_FAILURE() << "an empty stream loaded";
  } catch (const Error& error) {
    EXPECT_STREQ(error.what(), "TWaveSound.LoadFromStream error: mmioOpen stream failed file empty.wav");
  }

  TWaveSound missing(dir.File("missing.wav"));
  try {
    missing.LoadFromFile();
    ADD_FAILURE() << "a missing file loaded";
  } catch (const Error& error) {
    EXPECT_EQ(std::string(error.what()), "TWaveSound.LoadFromFile error: file " + dir.File("missing.wav") + " is not open");
  }
}

// Compressed input --------------------------------------------------------------------------

TEST(WaveSoundDecode, MuLawAndALawDecodeToTheirStandardValues) {
  Bytes codes(256);
  for (int i = 0; i < 256; ++i) codes[std::size_t(i)] = static_cast<std::uint8_t>(i);
  for (std::uint16_t tag : {std::uint16_t(7), std::uint16_t(6)}) {
    Format f;
    f.tag = tag;
    f.channels = 2;
    f.rate = 8000;
    f.bits = 8;
    Bytes noExtra;
    TWaveSound wave("g711.wav");
    wave.Load(Riff({Chunk("fmt ", FmtBody(f, &noExtra)), Chunk("data", codes)}));
    SCOPED_TRACE(tag);
    EXPECT_TRUE(wave.Loaded());
    EXPECT_EQ(wave.WaveFormat()->FormatTag, 1);
    EXPECT_EQ(wave.Channels(), 2);
    EXPECT_EQ(wave.SamplesPerSec(), 8000);
    EXPECT_EQ(wave.BitsPerSample(), 16);
    EXPECT_EQ(wave.WaveFormat()->BlockAlign, 4);
    ASSERT_EQ(wave.DataSize(), 512);
    std::vector<std::int16_t> decoded = FromBytes16(wave.Data(), 512);
    for (int i = 0; i < 256; ++i)
      ASSERT_EQ(decoded[std::size_t(i)], tag == 7 ? MuLawDecode(std::uint8_t(i)) : ALawDecode(std::uint8_t(i))) << i;
  }
}

TEST(WaveSoundDecode, ImaAdpcmDecodesToWhatTheEncoderPredicted) {
  std::vector<std::int16_t> signal = Sine(505 * 6, 37.5, 12000);
  ImaAdpcm ima = ImaEncode(signal, 256);
  ASSERT_EQ(ima.data.size(), 6u * 256);
  TWaveSound wave("ima.wav");
  wave.Load(ImaWave(ima, 11025, 256));
  EXPECT_EQ(wave.WaveFormat()->FormatTag, 1);
  EXPECT_EQ(wave.Channels(), 1);
  EXPECT_EQ(wave.SamplesPerSec(), 11025);
  EXPECT_EQ(wave.BitsPerSample(), 16);
  ASSERT_EQ(wave.DataSize(), 2 * 505 * 6);
  std::vector<std::int16_t> decoded = FromBytes16(wave.Data(), std::size_t(wave.DataSize()));
  EXPECT_EQ(decoded, ima.decoded);
  // And it is the sine, give or take the coding's error (once the step
  // size has grown to the signal in the first block).
  int worst = 0;
  for (std::size_t i = 505; i < signal.size(); ++i) worst = std::max(worst, std::abs(decoded[i] - signal[i]));
  EXPECT_LT(worst, 2000);
}

TEST(WaveSoundDecode, CompressedSoundsConvertOnToAnotherFormat) {
  std::vector<std::int16_t> signal = Sine(505 * 4, 50, 8000);
  ImaAdpcm ima = ImaEncode(signal, 256);
  TWaveSound wave("ima.wav");
  wave.Load(ImaWave(ima, 22050, 256));
  ASSERT_TRUE(wave.Loaded());
  wave.ConvertTo(2, 22050, 16);
  EXPECT_EQ(wave.Channels(), 2);
  ASSERT_EQ(wave.DataSize(), 4 * 505 * 4);
  std::vector<std::int16_t> stereo = FromBytes16(wave.Data(), std::size_t(wave.DataSize()));
  for (std::size_t i = 0; i < ima.decoded.size(); ++i) {
    ASSERT_EQ(stereo[2 * i], stereo[2 * i + 1]);
    ASSERT_NEAR(stereo[2 * i], ima.decoded[i], 1);
  }
}

TEST(WaveSoundDecode, FormatsNoDecoderKnowsAreRefused) {
  Format mp3;
  mp3.tag = 0x55;
  mp3.bits = 0;
  mp3.blockAlign = 1;
  Bytes noExtra;
  EXPECT_EQ(LoadError(Riff({Chunk("fmt ", FmtBody(mp3, &noExtra)), Chunk("data", Ramp(50))}), "song.wav"),
            "TWaveSound.Convert error: acmFormatSuggest failed file song.wav");
  // A known tag whose data the decoder rejects (an ADPCM block size that
  // is no whole number of 4-byte words).
  ImaAdpcm ima = ImaEncode(Sine(505 * 2, 20, 1000), 256);
  Bytes file = ImaWave(ima, 22050, 256);
  file[20 + 12] = 2;  // block align 258
  EXPECT_EQ(LoadError(file, "ima.wav"), "TWaveSound.Convert error: acmStreamConvert failed file ima.wav");
}

// Conversion -------------------------------------------------------------------------------

TEST(WaveSoundConvert, TheSoundsOwnFormatIsNotTouched) {
  TWaveSound wave("own.wav");
  wave.Load(PcmWave(Stereo16(), Ramp(400)));
  const std::uint8_t* before = wave.Data();
  wave.ConvertTo(2, 22050, 16);
  EXPECT_EQ(wave.Data(), before);
  EXPECT_EQ(wave.DataSize(), 400);

  TWaveSound empty("none.wav");
  empty.ConvertTo(1, 22050, 16);  // not loaded: nothing
  EXPECT_EQ(empty.WaveFormat(), nullptr);
}

TEST(WaveSoundConvert, StereoToMonoHalvesTheData) {
  std::vector<std::int16_t> samples;
  for (int i = 0; i < 500; ++i) {
    samples.push_back(static_cast<std::int16_t>(i * 40));
    samples.push_back(static_cast<std::int16_t>(-i * 20));
  }
  TWaveSound wave("stereo.wav");
  wave.Load(PcmWave(Stereo16(), Samples16(samples)));
  wave.ConvertTo(1, 22050, 16);
  EXPECT_EQ(wave.DataSize(), 1000);
  EXPECT_EQ(wave.Channels(), 1);
  EXPECT_EQ(wave.WaveFormat()->BlockAlign, 2);
  EXPECT_EQ(wave.WaveFormat()->AvgBytesPerSec, 44100u);
  EXPECT_EQ(wave.WaveFormat()->ExtraSize, 0);
  EXPECT_TRUE(wave.Loaded());
  std::vector<std::int16_t> mono = FromBytes16(wave.Data(), 1000);
  for (int i = 0; i < 500; ++i) ASSERT_NEAR(mono[std::size_t(i)], (i * 40 - i * 20) / 2, 2) << i;
}

TEST(WaveSoundConvert, RateAndSampleSize) {
  std::vector<std::int16_t> ramp;
  for (int i = 0; i < 2000; ++i) ramp.push_back(static_cast<std::int16_t>((i % 200) * 300 - 30000));
  Format mono;
  TWaveSound wave("mono.wav");
  wave.Load(PcmWave(mono, Samples16(ramp)));
  wave.ConvertTo(1, 22050, 8);
  ASSERT_EQ(wave.DataSize(), 2000);
  EXPECT_EQ(wave.BitsPerSample(), 8);
  for (int i = 0; i < 2000; ++i) ASSERT_NEAR(int(wave.Data()[i]), ramp[std::size_t(i)] / 256 + 128, 2) << i;

  wave.Load(PcmWave(mono, Samples16(ramp)));
  wave.ConvertTo(1, 44100, 16);
  EXPECT_NEAR(wave.DataSize(), 8000, 64);
  EXPECT_EQ(wave.DataSize() % 2, 0);
  wave.ConvertTo(2, 11025, 8);
  EXPECT_NEAR(wave.DataSize(), 2000, 32);  // a quarter of the frames, two bytes each
  EXPECT_EQ(wave.DataSize() % 2, 0);
  EXPECT_EQ(wave.WaveFormat()->BlockAlign, 2);
}

TEST(WaveSoundConvert, FailuresLeaveTheSoundAsItWas) {
  TWaveSound wave("keep.wav");
  wave.Load(PcmWave(Stereo16(), Ramp(400)));
  const std::uint8_t* before = wave.Data();
  for (auto target : std::vector<std::array<int, 3>>{
           {0, 22050, 16}, {9, 22050, 16}, {1, 0, 16}, {1, 999, 16}, {1, 384001, 16}, {1, 22050, 12}}) {
    try {
      wave.Convert(target[0], target[1], target[2]);
      ADD_FAILURE() << "converted to " << target[0] << " " << target[1] << " " << target[2];
    } catch (const Error& error) {
      EXPECT_STREQ(error.what(), "TWaveSound.Convert error: acmFormatSuggest failed file keep.wav");
    }
    EXPECT_EQ(wave.Data(), before);
    EXPECT_EQ(wave.Channels(), 2);
  }
  // A PCM sample size the converter does not read.
  Format f24 = Stereo16();
  f24.bits = 24;
  wave.Load(PcmWave(f24, Ramp(60)));
  EXPECT_THROW(wave.ConvertTo(2, 22050, 16), Error);
  EXPECT_EQ(wave.BitsPerSample(), 24);
  // A rate no converter should blow up to the device's.
  Format slow = Stereo16();
  slow.rate = 10;
  wave.Load(PcmWave(slow, Ramp(400)));
  EXPECT_THROW(wave.ConvertTo(2, 44100, 16), Error);
  EXPECT_EQ(wave.DataSize(), 400);
  TWaveSound none("none.wav");
  EXPECT_THROW(none.Convert(1, 22050, 16), Error);
}

}  // namespace
}  // namespace velmora
