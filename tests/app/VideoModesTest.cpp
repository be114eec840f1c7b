#include "app/VideoModes.h"

#include <gtest/gtest.h>

#include "core/Error.h"
#include "platform/Service.h"
#include "platform/fake/FakeDisplay.h"

namespace velmora {
namespace {

using platform::DisplayMode;

class VideoModesTest : public ::testing::Test {
 protected:
  VideoModesTest() : scoped_(&display_) { display_.desktop = {1024, 768, 32, 60}; }

  platform::FakeDisplay display_;
  platform::ScopedService<platform::Display> scoped_;
};

TEST_F(VideoModesTest, KeepsOneRecordPerModeWithTheHighestRefreshRate) {
  display_.modes = {{800, 600, 16, 60}, {800, 600, 16, 85}, {800, 600, 16, 75}, {1024, 768, 32, 60}};
  TVideoModesList list;
  list.Enumerate();
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list[0].Width, 800u);
  EXPECT_EQ(list[0].Height, 600u);
  EXPECT_EQ(list[0].BitsPerPixel, 16u);
  EXPECT_EQ(list[0].Frequency, 85u);
  EXPECT_EQ(list[1].Frequency, 60u);
  // Only new modes go through the platform's test.
  EXPECT_EQ(display_.tests.size(), 2u);
}

TEST_F(VideoModesTest, StoresTheHardwareDefaultRateAsOne) {
  display_.modes = {{640, 480, 16, 0}, {1024, 768, 32, 60}};
  TVideoModesList list;
  list.Enumerate();
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list[0].Frequency, 1u);
  // A real rate seen later still wins over the default.
  list.AddMode({640, 480, 16, 72});
  EXPECT_EQ(list[0].Frequency, 72u);
}

TEST_F(VideoModesTest, LeavesOutModesThePlatformRejects) {
  display_.modes = {{640, 480, 16, 60}, {800, 600, 16, 60}, {1024, 768, 32, 60}};
  display_.rejected = {{800, 600, 16, 0}};
  TVideoModesList list;
  list.Enumerate();
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.FindMode(800, 600, 16), -1);
  EXPECT_EQ(list.FindMode(640, 480, 16), 0);
}

TEST_F(VideoModesTest, AddsTheDesktopModeWhenThePlatformDoesNotListIt) {
  display_.modes = {{640, 480, 16, 60}};
  TVideoModesList list;
  list.Enumerate();
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list[1].Width, 1024u);
  EXPECT_EQ(list[1].Height, 768u);
  EXPECT_EQ(list[1].BitsPerPixel, 32u);
  EXPECT_EQ(list[1].Frequency, 1u);  // added with size and depth only

  // Listed already: not added twice.
  display_.modes.push_back({1024, 768, 32, 75});
  list.Enumerate();
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list[1].Frequency, 75u);
}

TEST_F(VideoModesTest, ComparesTheLower16BitsOnly) {
  display_.modes = {{800, 600, 16, 60}};
  TVideoModesList list;
  list.Enumerate();
  EXPECT_EQ(list.FindMode(800 + 0x10000, 600, 16), 0);
  EXPECT_EQ(list.FindMode(800, 600 + 0x20000, 16 + 0x10000), 0);
  EXPECT_EQ(list.FindMode(800, 601, 16), -1);
  EXPECT_EQ(list.FindMode(800, 600, 32), -1);
}

TEST_F(VideoModesTest, DesktopModeSucceedsWithoutAPlatformChange) {
  display_.modes = {{800, 600, 16, 60}, {1024, 768, 32, 60}};
  TVideoModesList list;
  list.Enumerate();
  EXPECT_TRUE(list.SetMode(1024, 768, 32));
  EXPECT_TRUE(list.Active());
  EXPECT_FALSE(list.ModeChanged());
  EXPECT_TRUE(display_.changes.empty());
}

TEST_F(VideoModesTest, SwitchesToAListedModeWithItsRefreshRate) {
  display_.modes = {{800, 600, 16, 60}, {800, 600, 16, 85}, {1024, 768, 32, 60}};
  TVideoModesList list;
  list.Enumerate();
  EXPECT_TRUE(list.SetMode(800, 600, 16));
  ASSERT_EQ(display_.changes.size(), 1u);
  EXPECT_EQ(display_.changes[0].width, 800u);
  EXPECT_EQ(display_.changes[0].frequency, 85u);
  EXPECT_TRUE(list.Active());
  EXPECT_TRUE(list.ModeChanged());
  EXPECT_EQ(list.CurrentIndex(), 0);

  list.Restore();
  EXPECT_FALSE(list.Active());
  EXPECT_FALSE(list.ModeChanged());
  EXPECT_EQ(display_.restores, 1);
  EXPECT_FALSE(display_.changed);
}

TEST_F(VideoModesTest, FailedOrUnknownSwitchesLeaveFullScreenOff) {
  display_.modes = {{800, 600, 16, 60}, {1024, 768, 32, 60}};
  TVideoModesList list;
  list.Enumerate();

  EXPECT_FALSE(list.SetMode(1280, 1024, 32));  // not listed: nothing happens
  EXPECT_TRUE(display_.changes.empty());
  EXPECT_FALSE(list.Active());
  EXPECT_EQ(list.CurrentIndex(), -1);

  display_.changeFails = true;
  EXPECT_FALSE(list.SetMode(800, 600, 16));
  EXPECT_EQ(display_.changes.size(), 1u);
  EXPECT_FALSE(list.Active());
  EXPECT_FALSE(list.ModeChanged());
  EXPECT_EQ(list.CurrentIndex(), 0);
}

TEST_F(VideoModesTest, RestoresWhenFreedInFullScreen) {
  display_.modes = {{800, 600, 16, 60}};
  {
    TVideoModesList list;
    list.Enumerate();
    ASSERT_TRUE(list.SetMode(800, 600, 16));
  }
  EXPECT_EQ(display_.restores, 1);
  {
    TVideoModesList idle;
    idle.Enumerate();
  }
  EXPECT_EQ(display_.restores, 1);
}

TEST_F(VideoModesTest, RecordIndexOutOfRangeIsAnError) {
  TVideoModesList list;
  list.Enumerate();
  ASSERT_EQ(list.Count(), 1);  // the desktop
  EXPECT_THROW(list.Mode(1), Error);
  try {
    list.Mode(-1);
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()).rfind("TVideoModesList.GetMode error: ", 0), 0u) << e.what();
  }
}

TEST_F(VideoModesTest, NoVideoSystemGivesAnEmptyList) {
  display_.desktop = {};
  display_.rejected = {{0, 0, 0, 0}};
  TVideoModesList list;
  list.Enumerate();
  EXPECT_EQ(list.Count(), 0);
}

}  // namespace
}  // namespace velmora
