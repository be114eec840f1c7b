// The pass-by-pass timer of the benchmark: names joined and kept in
// fixed slots in the order first seen, a pass charged the program thread's
// processor time it used, the slots running out into "(others)", names cut
// to their slot. Without a loaded OpenGL library the timer only counts.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "scene/PassTimes.h"

namespace scenetest {
namespace {

using velmora::TPassTimes;

// Spins the processor for about ms milliseconds of wall time.
void Busy(double ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double, std::milli>(ms);
  volatile unsigned sink = 0;
  while (std::chrono::steady_clock::now() < end) sink = sink + 1;
}

TEST(PassTimes, EachPassIsChargedItsOwnTimeUnderItsName) {
  TPassTimes times;
  for (int frame = 0; frame < 3; ++frame) {
    times.StartFrame();
    Busy(8);
    times.Pass("surface", "Blue Water");
    times.Pass("SaltWater");
  }
  EXPECT_EQ(times.Frames(), 3);
  ASSERT_EQ(times.Count(), 2);
  EXPECT_STREQ(times.Item(0).Name, "Blue Water surface");
  EXPECT_STREQ(times.Item(1).Name, "SaltWater");
  // 24 ms spun in the first pass, next to nothing in the second.
  EXPECT_GE(times.Item(0).WallMs, 24);
  EXPECT_GT(times.Item(0).ThreadMs, 12);
  EXPECT_LT(times.Item(1).WallMs, 12);
  EXPECT_LT(times.Item(1).ThreadMs, times.Item(0).ThreadMs);

  char text[512] = {};
  std::FILE* out = fmemopen(text, sizeof text - 1, "w");
  ASSERT_NE(out, nullptr);
  times.Report(out);
  std::fclose(out);
  const std::string report = text;
  EXPECT_EQ(report.find("pass Blue Water surface wall_ms="), 0u) << report;
  EXPECT_NE(report.find("\npass SaltWater wall_ms="), std::string::npos) << report;
  EXPECT_NE(report.find(" thread_ms="), std::string::npos) << report;
}

TEST(PassTimes, NamesBeyondTheSlotsShareOneAndLongNamesAreCut) {
  TPassTimes times;
  times.StartFrame();
  for (int i = 0; i < TPassTimes::kMaxPasses + 8; ++i) times.Pass(("pass " + std::to_string(i)).c_str());
  ASSERT_EQ(times.Count(), TPassTimes::kMaxPasses);
  EXPECT_STREQ(times.Item(TPassTimes::kMaxPasses - 2).Name, "pass 30");
  EXPECT_STREQ(times.Item(TPassTimes::kMaxPasses - 1).Name, "(others)");
  // A name seen before still finds its own slot.
  times.Pass("pass 3");
  EXPECT_EQ(times.Count(), TPassTimes::kMaxPasses);

  TPassTimes cut;
  const std::string longName(100, 'x');
  cut.Pass(longName.c_str(), "Water");
  cut.Pass(longName.c_str(), "Water");
  ASSERT_EQ(cut.Count(), 1);
  EXPECT_EQ(std::string(cut.Item(0).Name), "Water " + std::string(TPassTimes::kNameSize - 7, 'x'));
}

}  // namespace
}  // namespace scenetest
