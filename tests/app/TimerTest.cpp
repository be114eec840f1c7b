#include <gtest/gtest.h>

#include "app/Timer.h"
#include "platform/Service.h"
#include "platform/fake/FakeClock.h"

using velmora::TTime;
using velmora::TTimerPro;

TEST(TTimeTest, SplitFollowsTheTotal) {
  TTime time;
  // 2 days, 3 h, 4 min, 5 s, 678 ms
  time.SetMilliseconds(2u * 86400000u + 3u * 3600000u + 4u * 60000u + 5u * 1000u + 678u);
  EXPECT_EQ(time.Day(), 2);
  EXPECT_EQ(time.Hour(), 3);
  EXPECT_EQ(time.Minute(), 4);
  EXPECT_EQ(time.Second(), 5);
  EXPECT_EQ(time.MilliSecond(), 678);
  EXPECT_DOUBLE_EQ(time.Seconds(), 183845.678);

  // The largest total: 49 days 17:02:47.295
  time.SetMilliseconds(0xFFFFFFFFu);
  EXPECT_EQ(time.Day(), 49);
  EXPECT_EQ(time.Hour(), 17);
  EXPECT_EQ(time.Minute(), 2);
  EXPECT_EQ(time.Second(), 47);
  EXPECT_EQ(time.MilliSecond(), 295);

  time.SetMilliseconds(999);
  EXPECT_EQ(time.Day(), 0);
  EXPECT_EQ(time.Second(), 0);
  EXPECT_EQ(time.MilliSecond(), 999);
}

class TTimerProTest : public ::testing::Test {
 protected:
  platform::FakeClock clock{1000};
  platform::ScopedService<platform::Clock> scoped{&clock};
};

TEST_F(TTimerProTest, CountsFromStartAndOnlyWhileRunning) {
  TTimerPro timer;
  clock.Advance(500);
  EXPECT_EQ(timer.GetTime().Milliseconds(), 0u) << "a timer that was never started stands still";
  EXPECT_FALSE(timer.Running());

  timer.Start();
  EXPECT_TRUE(timer.Running());
  clock.Advance(250);
  EXPECT_EQ(timer.GetTime().Milliseconds(), 250u);
  clock.Advance(1750);
  EXPECT_DOUBLE_EQ(timer.GetTime().Seconds(), 2.0);

  // A second Start neither restarts nor clears.
  clock.Advance(10);
  timer.Start();
  EXPECT_EQ(timer.GetTime().Milliseconds(), 2010u);
}

TEST_F(TTimerProTest, WrapAroundOfTheClockCostsNothing) {
  clock.Set(0xFFFFFF00u);
  TTimerPro timer;
  timer.Start();
  clock.Advance(0x80);
  EXPECT_EQ(timer.GetTime().Milliseconds(), 0x80u);
  clock.Advance(0x100);  // past 2^32: the clock now reads 0x80
  EXPECT_EQ(clock.Now(), 0x80u);
  EXPECT_EQ(timer.GetTime().Milliseconds(), 0x180u);
  clock.Advance(1000);
  EXPECT_EQ(timer.GetTime().Milliseconds(), 0x180u + 1000u);
}

TEST_F(TTimerProTest, ClockSteppingBackAddsNothingAndCountsOnFromThere) {
  TTimerPro timer;
  timer.Start();
  clock.Advance(100);
  EXPECT_EQ(timer.GetTime().Milliseconds(), 100u);
  clock.Set(clock.Now() - 40);  // a step back
  EXPECT_EQ(timer.GetTime().Milliseconds(), 100u);
  clock.Advance(30);  // counted from the new reading
  EXPECT_EQ(timer.GetTime().Milliseconds(), 130u);
}

TEST_F(TTimerProTest, EveryReadingAdvancesTheTime) {
  clock.stepPerReading = 3;
  TTimerPro timer;
  timer.Start();
  uint32_t first = timer.GetTime().Milliseconds();
  uint32_t second = timer.GetTime().Milliseconds();
  EXPECT_EQ(first, 3u);
  EXPECT_EQ(second, 6u);
}

TEST_F(TTimerProTest, ResolutionIsTheFinestPeriodAndIsGivenBack) {
  clock.minimumPeriod = 4;
  {
    TTimerPro timer;
    EXPECT_EQ(timer.Period(), 4u);
    ASSERT_EQ(clock.begunPeriods.size(), 1u);
    EXPECT_EQ(clock.begunPeriods[0], 4u);
    EXPECT_TRUE(clock.endedPeriods.empty());
  }
  ASSERT_EQ(clock.endedPeriods.size(), 1u);
  EXPECT_EQ(clock.endedPeriods[0], 4u);
}

TEST_F(TTimerProTest, ResolutionFallsBackToOneMillisecond) {
  // A reported minimum of 0 is raised to 1.
  clock.minimumPeriod = 0;
  {
    TTimerPro timer;
    EXPECT_EQ(timer.Period(), 1u);
  }
  // No capabilities: 1 ms asked for directly.
  clock.begunPeriods.clear();
  clock.endedPeriods.clear();
  clock.minimumPeriodAvailable = false;
  {
    TTimerPro timer;
    EXPECT_EQ(timer.Period(), 1u);
    EXPECT_EQ(clock.begunPeriods, std::vector<uint32_t>{1u});
  }
  EXPECT_EQ(clock.endedPeriods, std::vector<uint32_t>{1u});

  // Every request refused: nothing is given back.
  clock.begunPeriods.clear();
  clock.endedPeriods.clear();
  clock.minimumPeriodAvailable = true;
  clock.minimumPeriod = 5;
  clock.beginPeriodSucceeds = false;
  {
    TTimerPro timer;
    EXPECT_EQ(timer.Period(), 0u);
    EXPECT_EQ(clock.begunPeriods, (std::vector<uint32_t>{5u, 1u}));
  }
  EXPECT_TRUE(clock.endedPeriods.empty());
}
