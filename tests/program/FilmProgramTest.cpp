// Films of the velmora program as a user records them: with a seed and a
// moment two runs write the same frames byte for byte, and one frame of a
// fixed film keeps the look of the committed reference.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "assets/FrameDiff.h"
#include "core/Strings.h"
#include "tests/program/ProgramTestSupport.h"

namespace {

using programtest::Outcome;
using programtest::ProgramTest;

class FilmProgramTest : public ProgramTest {
 protected:
  // Records a small film into NAME00001.jpg ... and returns the run's outcome.
  Outcome Film(const std::string& name, int rate, const std::vector<std::string>& fixed) {
    std::vector<std::string> args = {"--film", "1", "--rate", std::to_string(rate), "--size", "160x120",
                                     "--out", File(name)};
    args.insert(args.end(), fixed.begin(), fixed.end());
    return Run(args);
  }
  std::string Frame(const std::string& name, int index) const {
    return File(velmora::Format("%s%05d%s", name.substr(0, name.find('.')).c_str(), index,
                                name.substr(name.find('.')).c_str()));
  }
};

}  // namespace

TEST_F(FilmProgramTest, ASeedAndAMomentMakeTwoRunsWriteTheSameFrames) {
  const std::vector<std::string> fixed = {"--seed", "23", "--at", "2024-05-08T10:09:30"};
  for (const char* name : {"A.jpg", "B.jpg"}) {
    Outcome o = Film(name, 5, fixed);
    ASSERT_EQ(o.code, 0) << o.err;
  }
  for (int i = 1; i <= 5; ++i) {
    const std::string a = Read(Frame("A.jpg", i)), b = Read(Frame("B.jpg", i));
    ASSERT_FALSE(a.empty()) << Frame("A.jpg", i);
    EXPECT_TRUE(a == b) << "frame " << i << " differs between two runs";
  }
  EXPECT_FALSE(std::filesystem::exists(Frame("A.jpg", 6)));

  // Each of the two decides what is seen: another seed spawns other fish,
  // another moment turns the clock's hands.
  ASSERT_EQ(Film("Seed.jpg", 5, {"--seed", "24", "--at", "2024-05-08T10:09:30"}).code, 0);
  ASSERT_EQ(Film("Moment.jpg", 5, {"--seed", "23", "--at", "2024-05-08T04:41:00"}).code, 0);
  EXPECT_FALSE(Read(Frame("A.jpg", 1)) == Read(Frame("Seed.jpg", 1)));
  EXPECT_FALSE(Read(Frame("A.jpg", 1)) == Read(Frame("Moment.jpg", 1)));
}

// The golden frame: the first frame of a one-second film at rate 1, seed 23,
// 2024-05-08T10:09:30, 160x120, written as a bitmap (no JPEG losses) with
// the default settings. It must stay within a small tolerance of
// tests/data/golden/Film160x120.bmp: llvmpipe draws the same picture every
// time, but other Mesa versions may round a few edges differently.
//
// When the look changes on purpose, regenerate the reference from the
// build and commit it with the change that alters the look:
//
//   export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME=$(mktemp -d)
//   build-test/program/velmora --film 1 --rate 1 --size 160x120 --seed 23 --at 2024-05-08T10:09:30 --out /tmp/Golden.bmp
//   cp /tmp/Golden00001.bmp tests/data/golden/Film160x120.bmp
//
// and compare old and new with build-test/tools/framediff first.
TEST_F(FilmProgramTest, TheGoldenFrameKeepsItsLook) {
  Outcome o = Film("Golden.bmp", 1, {"--seed", "23", "--at", "2024-05-08T10:09:30"});
  ASSERT_EQ(o.code, 0) << o.err;
  const velmora::TBitmap reference = velmora::ReadFrameFile(VELMORA_TEST_DATA_DIR "/golden/Film160x120.bmp");
  const velmora::TBitmap frame = velmora::ReadFrameFile(Frame("Golden.bmp", 1));
  velmora::TFrameDiff diff;
  diff.Add(reference, frame);
  for (int c = 0; c < 3; ++c) {
    EXPECT_LE(diff.Mean(c), 1.0) << "channel " << c << ": the picture changed (see above to regenerate)";
    EXPECT_LE(diff.Percentile(c, 0.99), 8) << "channel " << c << ": the picture changed (see above to regenerate)";
  }
}
