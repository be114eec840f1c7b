// The velmora program started as a user starts it, for the command lines
// that end before any window opens: what it prints, where, and its exit
// code.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/program/ProgramTestSupport.h"

namespace {

using programtest::Outcome;
using programtest::ProgramTest;

TEST_F(ProgramTest, HelpPrintsTheUsageAndSucceeds) {
  for (const char* help : {"--help", "-help", "-h"}) {
    Outcome o = Run({help});
    EXPECT_EQ(o.code, 0) << help << "\n" << o.err;
    EXPECT_EQ(o.out.rfind("usage: velmora", 0), 0u) << help << "\n" << o.out;
    EXPECT_NE(o.out.find("--data FILE"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("--help"), std::string::npos) << o.out;
    EXPECT_EQ(o.err, "") << help;
  }
  // Neither help nor the version needs the data, so neither opens it.
  for (const char* ask : {"--help", "--version"}) {
    Outcome withData = Run({"--data", File("missing.rfa"), ask});
    EXPECT_EQ(withData.code, 0) << ask << "\n" << withData.err;
  }
}

TEST_F(ProgramTest, MistakesInTheCommandLineShowTheUsage) {
  Outcome unknown = Run({"--frobnicate"});
  EXPECT_EQ(unknown.code, 2);
  EXPECT_NE(unknown.err.find("Unknown option --frobnicate"), std::string::npos) << unknown.err;
  EXPECT_NE(unknown.err.find("usage: velmora"), std::string::npos) << unknown.err;
  Outcome noFile = Run({"--data"});
  EXPECT_EQ(noFile.code, 2);
  EXPECT_NE(noFile.err.find("option --data needs an archive file name"), std::string::npos) << noFile.err;
  EXPECT_NE(noFile.err.find("usage: velmora"), std::string::npos) << noFile.err;
  // Unknown switches with one dash or a slash, and film names that would
  // write nothing, are refused the same way before any window opens.
  const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
      {{"-xyz"}, "Unknown option -xyz"},
      {{"/x"}, "Unknown option /x"},
      {{"--film", "1", "--out", File("foo.png")}, "--out needs a name ending in .jpg or .bmp"},
      {{"--film", "1", "--out", File("foo")}, "--out needs a name ending in .jpg or .bmp"},
  };
  for (const auto& [args, reason] : refused) {
    Outcome o = Run(args);
    EXPECT_EQ(o.code, 2) << args[0] << "\n" << o.err;
    EXPECT_NE(o.err.find(reason), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("usage: velmora"), std::string::npos) << o.err;
    EXPECT_EQ(o.out, "");
  }
  EXPECT_FALSE(std::filesystem::exists(File("foo00001.png")));
  EXPECT_FALSE(std::filesystem::exists(File("foo00001")));
}

// A benchmark without some of the water's layers runs and prints its
// figures, processor time included; a part the scene does not have is
// refused by name.
TEST_F(ProgramTest, ABenchmarkLeavesOutTheNamedPartsOfTheWater) {
  Outcome o = Run({"--bench", "0.2", "--size", "64x48", "--leave-out", "light-rays,caustics", "-scale", "50"});
  EXPECT_EQ(o.code, 0) << o.err;
  EXPECT_NE(o.out.find(" fps="), std::string::npos) << o.out;
  EXPECT_NE(o.out.find(" cpu_ms_per_frame="), std::string::npos) << o.out;
  Outcome unknown = Run({"--bench", "0.2", "--size", "64x48", "--leave-out", "seaweed"});
  EXPECT_EQ(unknown.code, 1) << unknown.err;
  EXPECT_NE(unknown.err.find("--leave-out: the scene has no part \"seaweed\""), std::string::npos) << unknown.err;
}

// Timed pass by pass, a benchmark also prints a line per object and per
// layer of the visible water, each with its wall and program-thread time.
TEST_F(ProgramTest, ABenchmarkTimesEachPassWhenAsked) {
  Outcome o = Run({"--bench", "0.3", "--size", "64x48", "--pass-times", "--leave-out", "light-rays"});
  ASSERT_EQ(o.code, 0) << o.err;
  EXPECT_NE(o.out.find(" fps="), std::string::npos) << o.out;
  for (const char* pass : {"pass Blue Water surface wall_ms=", "pass Blue Water backdrop wall_ms=",
                           "pass Blue Water light-rays wall_ms=", "pass SaltWater wall_ms=", "pass Clock wall_ms="})
    EXPECT_NE(o.out.find(pass), std::string::npos) << pass << "\n" << o.out;
  EXPECT_NE(o.out.find(" thread_ms="), std::string::npos) << o.out;
  EXPECT_EQ(o.out.rfind("frames=", o.out.size() - 2), o.out.rfind('\n', o.out.size() - 2) + 1)
      << "the figures stay the last line\n" << o.out;
  EXPECT_EQ(Run({"--bench", "0.2", "--size", "64x48"}).out.find("pass "), std::string::npos);
}

TEST_F(ProgramTest, AnUnreadableArchiveIsReportedWithItsReasonAndNoUsage) {
  const std::string missing = File("missing.rfa");
  // A run that never reads its data would end after a tenth of a second.
  const std::vector<std::string> bench{"--bench", "0.1", "--size", "32x24"};
  std::vector<std::string> withOption{"--data", missing};
  withOption.insert(withOption.end(), bench.begin(), bench.end());
  for (const Outcome& o : {Run(withOption), Run(bench, missing)}) {
    EXPECT_EQ(o.code, 1) << o.err;
    EXPECT_NE(o.err.find("cannot read the scene archive \"" + missing + "\""), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("No such file or directory"), std::string::npos) << o.err;
    EXPECT_EQ(o.err.find("usage:"), std::string::npos) << o.err;
    EXPECT_EQ(o.out, "");
  }
  const std::string corrupt = File("corrupt.rfa");
  std::ofstream(corrupt) << "not an archive at all";
  Outcome o = Run({"--data", corrupt, "--bench", "0.1", "--size", "32x24"});
  EXPECT_EQ(o.code, 1) << o.err;
  EXPECT_NE(o.err.find("cannot read the scene archive \"" + corrupt + "\": TResourceFileArchive.LoadFromStream error"),
            std::string::npos)
      << o.err;
  EXPECT_EQ(o.err.find("usage:"), std::string::npos) << o.err;
}

}  // namespace
