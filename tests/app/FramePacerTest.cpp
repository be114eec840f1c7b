#include "app/FramePacer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace velmora;

namespace {

// A clock that moves only when a frame is drawn (Draw) or the pacer sleeps.
struct FakeTime {
  double now = 100;
  std::vector<double> sleeps;
  TFramePacer pacer{[this] { return now; },
                    [this](double seconds) {
                      sleeps.push_back(seconds);
                      now += seconds;
                    }};
  // A frame taking `seconds` to draw, its swap returning at once.
  void Draw(double seconds) {
    now += seconds;
    pacer.FrameSwapped();
  }
};

}  // namespace

TEST(FramePacer, FastFramesArePacedToTheRefreshRate) {
  FakeTime t;
  t.pacer.SetRefreshRate(50);
  EXPECT_DOUBLE_EQ(t.pacer.Period(), 0.02);
  // The first frame and kFastFrames - 1 fast ones: watched, not paced.
  for (int i = 0; i < TFramePacer::kFastFrames; ++i) t.Draw(0.001);
  EXPECT_FALSE(t.pacer.Pacing());
  EXPECT_TRUE(t.sleeps.empty());
  t.Draw(0.001);
  EXPECT_TRUE(t.pacer.Pacing());
  // From then on one frame per period, whatever the frame takes below it.
  const double start = t.now;
  for (int i = 0; i < 100; ++i) t.Draw(i % 2 ? 0.002 : 0.012);
  EXPECT_NEAR(t.now - start, 100 * 0.02, 1e-9);
  // Each sleep fills what the frame left of its period.
  ASSERT_GE(t.sleeps.size(), 2u);
  EXPECT_NEAR(t.sleeps[t.sleeps.size() - 2], 0.008, 1e-9);
  EXPECT_NEAR(t.sleeps.back(), 0.018, 1e-9);
}

TEST(FramePacer, FramesSlowerThanTheRefreshAreNeverHeldBack) {
  FakeTime t;  // 60 Hz by default
  EXPECT_NEAR(t.pacer.Period(), 1.0 / 60, 1e-12);
  for (int i = 0; i < 50; ++i) t.Draw(0.030);
  EXPECT_FALSE(t.pacer.Pacing());
  EXPECT_TRUE(t.sleeps.empty());
  // A vertical sync that holds each swap to the period: no pacing either.
  for (int i = 0; i < 50; ++i) t.Draw(1.0 / 60);
  EXPECT_FALSE(t.pacer.Pacing());
  // Fast frames interrupted by a slow one start counting again.
  t.Draw(0.001);
  t.Draw(0.001);
  t.Draw(0.030);
  t.Draw(0.001);
  t.Draw(0.001);
  EXPECT_FALSE(t.pacer.Pacing());
  t.Draw(0.001);
  EXPECT_TRUE(t.pacer.Pacing());
}

TEST(FramePacer, ALateFrameDoesNotMakeTheNextOnesHurry) {
  FakeTime t;
  t.pacer.SetRefreshRate(100);  // 10 ms
  for (int i = 0; i < 5; ++i) t.Draw(0.001);
  ASSERT_TRUE(t.pacer.Pacing());
  // Far behind (a 50 ms frame): the cadence starts again from there, so
  // the frames after it are not drawn back to back.
  t.Draw(0.050);
  const size_t sleepsBefore = t.sleeps.size();
  const double start = t.now;
  for (int i = 0; i < 10; ++i) t.Draw(0.001);
  EXPECT_EQ(t.sleeps.size(), sleepsBefore + 10);
  EXPECT_NEAR(t.now - start, 10 * 0.010, 1e-9);
  // A little late (12 ms): the next frame keeps the old cadence.
  t.Draw(0.012);
  const double afterLate = t.now;
  t.Draw(0.001);
  EXPECT_NEAR(t.now - afterLate, 0.008, 1e-9);
}

TEST(FramePacer, DisabledItNeitherSleepsNorRemembers) {
  FakeTime t;
  for (int i = 0; i < 10; ++i) t.Draw(0.001);
  ASSERT_TRUE(t.pacer.Pacing());
  t.pacer.SetEnabled(false);
  EXPECT_FALSE(t.pacer.Pacing());
  const size_t sleeps = t.sleeps.size();
  for (int i = 0; i < 20; ++i) t.Draw(0.001);
  EXPECT_EQ(t.sleeps.size(), sleeps);
  // Enabled again it watches afresh before pacing.
  t.pacer.SetEnabled(true);
  for (int i = 0; i < TFramePacer::kFastFrames; ++i) t.Draw(0.001);
  EXPECT_FALSE(t.pacer.Pacing());
  t.Draw(0.001);
  EXPECT_TRUE(t.pacer.Pacing());
}

TEST(FramePacer, AnUnknownOrNonsenseRateMeansSixtyHertz) {
  FakeTime t;
  for (double hz : {0.0, -5.0, std::nan(""), double(INFINITY)}) {
    t.pacer.SetRefreshRate(hz);
    EXPECT_NEAR(t.pacer.Period(), 1.0 / 60, 1e-12) << hz;
  }
  t.pacer.SetRefreshRate(144);
  EXPECT_NEAR(t.pacer.Period(), 1.0 / 144, 1e-12);
}

TEST(FramePacer, AFixedRateSpacesEveryFrameFromTheFirstOn) {
  FakeTime t;
  t.pacer.SetFixedRate(30);
  EXPECT_DOUBLE_EQ(t.pacer.FixedRate(), 30);
  EXPECT_NEAR(t.pacer.Period(), 1.0 / 30, 1e-12);
  // The display's rate does not undo it.
  t.pacer.SetRefreshRate(60);
  EXPECT_NEAR(t.pacer.Period(), 1.0 / 30, 1e-12);
  // The first frame is shown at once; the second, drawn 5 ms later, waits
  // for the rest of its period: no fast frames are watched first.
  t.Draw(0.001);
  EXPECT_TRUE(t.pacer.Pacing());
  EXPECT_TRUE(t.sleeps.empty());
  t.Draw(0.005);
  ASSERT_EQ(t.sleeps.size(), 1u);
  EXPECT_NEAR(t.sleeps.back(), 1.0 / 30 - 0.005, 1e-9);
  // So 300 frames drawn as fast as possible take 10 seconds.
  const double start = t.now;
  for (int i = 0; i < 300; ++i) t.Draw(0.0001);
  EXPECT_NEAR(t.now - start, 300.0 / 30, 1e-6);
}

TEST(FramePacer, AFixedRateHoldsBackSwapsThatWaitForTheDisplay) {
  FakeTime t;
  t.pacer.SetRefreshRate(60);
  t.pacer.SetFixedRate(30);
  // Swaps held to a 60 Hz retrace: still one frame per 1/30 s.
  t.Draw(1.0 / 60);
  const double start = t.now;
  for (int i = 0; i < 60; ++i) t.Draw(1.0 / 60);
  EXPECT_NEAR(t.now - start, 60.0 / 30, 1e-6);
  EXPECT_EQ(t.sleeps.size(), 60u);
}

TEST(FramePacer, AFixedRateDoesNotMakeUpForALateFrameWithABurst) {
  FakeTime t;
  t.pacer.SetFixedRate(30);
  t.Draw(0);
  // A frame half a second late is shown at once; the next one still waits
  // a whole period after it.
  t.Draw(0.5);
  EXPECT_TRUE(t.sleeps.empty());
  t.Draw(0);
  ASSERT_EQ(t.sleeps.size(), 1u);
  EXPECT_NEAR(t.sleeps.back(), 1.0 / 30, 1e-9);
}

TEST(FramePacer, AFixedRateStopsWithTheBenchmarksAndCanBeLifted) {
  FakeTime t;
  t.pacer.SetFixedRate(30);
  t.pacer.SetEnabled(false);
  for (int i = 0; i < 20; ++i) t.Draw(0.001);
  EXPECT_TRUE(t.sleeps.empty());
  // Nonsense rates lift it, never a division by zero: the display's rate
  // and its watch for fast frames again.
  t.pacer.SetEnabled(true);
  for (double hz : {0.0, -5.0, std::nan(""), double(INFINITY)}) {
    t.pacer.SetFixedRate(hz);
    EXPECT_EQ(t.pacer.FixedRate(), 0) << hz;
    EXPECT_NEAR(t.pacer.Period(), 1.0 / 60, 1e-12) << hz;
  }
  for (int i = 0; i < TFramePacer::kFastFrames; ++i) t.Draw(0.001);
  EXPECT_FALSE(t.pacer.Pacing());
  EXPECT_TRUE(t.sleeps.empty());
}
