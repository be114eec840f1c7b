// SDL's audio output without a sound device: the program says once, in its
// own words, that it runs silent, and the sound library prints nothing of
// its own.
#include "platform/sdl/SdlAudio.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/platform/TempFolder.h"

using platform::AudioFormat;
using platform::AudioSource;
using platform::SdlAudioOutput;
using platform_test::ScopedEnv;

namespace {

class SilenceSource : public AudioSource {
 public:
  void FillAudio(std::uint8_t* out, std::size_t size) override { std::memset(out, 0, size); }
};

const char kSilent[] = "; running silent\n";

// How many lines of `text` begin with `prefix`.
int LinesStartingWith(const std::string& text, const std::string& prefix) {
  int count = 0;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    if (text.compare(at, prefix.size(), prefix) == 0) ++count;
    at = end + 1;
  }
  return count;
}

TEST(SdlAudioOutput, AMissingDriverIsToldOnceThatTheProgramRunsSilent) {
  ScopedEnv driver("SDL_AUDIODRIVER", "no-such-driver");
  SilenceSource source;
  SdlAudioOutput output;
  testing::internal::CaptureStderr();
  bool first = output.Open(AudioFormat{}, 512, &source);
  std::string firstError = output.LastError();
  bool second = output.Open(AudioFormat{}, 512, &source);
  std::string said = testing::internal::GetCapturedStderr();
  EXPECT_FALSE(first);
  EXPECT_FALSE(second);
  EXPECT_FALSE(output.IsOpen());
  EXPECT_FALSE(firstError.empty());
  // One line, naming SDL's reason, for both failures.
  EXPECT_EQ(said, "velmora: no sound device could be opened (" + firstError + ")" + kSilent);
}

TEST(SdlAudioOutput, ALsaWithoutTheCardPrintsNothingOfItsOwn) {
  // A card that no machine has: ALSA fails to find it and would print its
  // own "ALSA lib ..." lines on the way.
  ScopedEnv driver("SDL_AUDIODRIVER", "alsa");
  ScopedEnv device("AUDIODEV", "hw:97,0");
  SilenceSource source;
  SdlAudioOutput output;
  testing::internal::CaptureStderr();
  bool opened = output.Open(AudioFormat{}, 512, &source);
  output.Close();
  std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(LinesStartingWith(said, "ALSA lib"), 0) << said;
  if (opened) {
    // A machine with a 98th card opens it.
    EXPECT_EQ(said, "");
  } else {
    EXPECT_EQ(LinesStartingWith(said, "velmora: no sound device could be opened ("), 1) << said;
    EXPECT_EQ(LinesStartingWith(said, ""), 1) << said;
    EXPECT_NE(said.find(kSilent), std::string::npos) << said;
  }
}

}  // namespace
