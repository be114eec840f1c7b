#include <gtest/gtest.h>

#include "platform/sdl/SdlClock.h"
#include "platform/sdl/SdlDialogs.h"

using platform::MessageIcon;
using platform::SdlClock;
using platform::SdlDialogs;

TEST(SdlClock, MillisecondsAdvanceAcrossASleep) {
  SdlClock clock;
  uint32_t before = clock.Milliseconds();
  clock.Sleep(20);
  uint32_t after = clock.Milliseconds();
  // Unsigned difference, as the readers take it: right across the wrap too.
  EXPECT_GE(uint32_t(after - before), 20u);
  EXPECT_LT(uint32_t(after - before), 0x80000000u) << "the clock went backwards";
  uint32_t period = 0;
  EXPECT_TRUE(clock.MinimumPeriod(period));
  EXPECT_EQ(period, 1u);
  EXPECT_TRUE(clock.BeginPeriod(period));
  clock.EndPeriod(period);
}

TEST(SdlDialogs, WithoutADisplayTheMessageGoesToStandardError) {
  // The tests run on the offscreen driver, which has no screen for a box.
  SdlDialogs dialogs;
  testing::internal::CaptureStderr();
  dialogs.MessageBox("TExecutePro.ProcessExecute error: no such file", "Velmora", MessageIcon::Error);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Velmora: TExecutePro.ProcessExecute error: no such file\n");
}

TEST(SdlDialogs, CursorCountFollowsShowsAndHides) {
  SdlDialogs dialogs;
  EXPECT_EQ(dialogs.ShowCursor(false), -1);
  EXPECT_EQ(dialogs.ShowCursor(false), -2);
  EXPECT_EQ(dialogs.ShowCursor(true), -1);
  EXPECT_EQ(dialogs.ShowCursor(true), 0);
  EXPECT_EQ(dialogs.ShowCursor(true), 1);
}
