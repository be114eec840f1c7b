#include <gtest/gtest.h>

#include "platform/FrameCap.h"

using platform::FrameCap;

TEST(FrameCap, SpacesFramesByTheInterval) {
  FrameCap cap(30);
  EXPECT_EQ(cap.Interval(), 33333u);
  // The first frame is shown at once.
  EXPECT_EQ(cap.WaitBeforeFrame(1000000), 0u);
  // One drawn 5 ms later waits for the rest of the interval.
  EXPECT_EQ(cap.WaitBeforeFrame(1005000), 28333u);
  // Shown at 1.033333 s: the next is due at 1.066666 s.
  EXPECT_EQ(cap.WaitBeforeFrame(1040000), 26666u);
  // So 300 frames drawn as fast as possible take 10 seconds.
  FrameCap fast(30);
  uint64_t now = 0;
  for (int i = 0; i < 300; ++i) now += fast.WaitBeforeFrame(now);
  EXPECT_GE(now, 299u * 33333u);
  EXPECT_LE(now, 300u * 33334u);
}

TEST(FrameCap, LateFramesAreNotMadeUpWithABurst) {
  FrameCap cap(30);
  EXPECT_EQ(cap.WaitBeforeFrame(0), 0u);
  // A frame half a second late is shown at once; the next one still
  // waits a whole interval after it.
  EXPECT_EQ(cap.WaitBeforeFrame(500000), 0u);
  EXPECT_EQ(cap.WaitBeforeFrame(500000), 33333u);
  // Nonsense rates count as one frame a second, never a division by zero.
  EXPECT_EQ(FrameCap(0).Interval(), 1000000u);
  EXPECT_EQ(FrameCap(-5).Interval(), 1000000u);
}
