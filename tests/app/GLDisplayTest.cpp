#include "app/GLDisplay.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Error.h"
#include "core/Strings.h"
#include "platform/Service.h"
#include "platform/fake/FakeDialogs.h"
#include "platform/fake/FakeDisplay.h"

namespace velmora {
namespace {

using platform::DisplayMode;

// What the OpenGL application installs: at least 16 bits and 480 lines.
void AcceptMode(int depth, int, int height, bool& accept) { accept = depth >= 16 && height >= 480; }

class GLDisplayTest : public ::testing::Test {
 protected:
  GLDisplayTest() : scopedDisplay_(&display_), scopedDialogs_(&dialogs_) {
    display_.desktop = {1024, 768, 32, 60};
    display_.modes = {{640, 480, 8, 60},   {640, 480, 16, 60},  {800, 600, 16, 60},  {1024, 768, 16, 60},
                      {640, 400, 32, 70},  {640, 480, 32, 60},  {800, 600, 32, 85},  {1024, 768, 32, 60}};
  }

  // A display linked the way the application links it, with a log of its
  // events.
  void Link(TCustomDisplayControl& d) {
    d.OnFilterMode = AcceptMode;
    d.OnBeforeChange = [this, &d](void* sender) {
      log_.push_back("before");
      EXPECT_EQ(sender, static_cast<void*>(&d));
    };
    d.OnAfterChange = [this, &d](void* sender) {
      log_.push_back(d.FullScreen() ? "after:full" : "after:desktop");
      EXPECT_EQ(sender, static_cast<void*>(&d));
    };
  }

  platform::FakeDisplay display_;
  platform::FakeDialogs dialogs_;
  platform::ScopedService<platform::Display> scopedDisplay_;
  platform::ScopedService<platform::Dialogs> scopedDialogs_;
  std::vector<std::string> log_;
};

TEST_F(GLDisplayTest, GroupsAcceptedModesByDepthInListOrder) {
  TGLDisplay d(nullptr);
  std::vector<std::string> seen;
  d.OnFilterMode = [&](int depth, int width, int height, bool& accept) {
    seen.push_back(Format("%dx%dx%d", width, height, depth));
    AcceptMode(depth, width, height, accept);
  };
  d.Enumerate();
  EXPECT_EQ(seen.size(), 8u);
  EXPECT_EQ(seen[0], "640x480x8");
  ASSERT_EQ(d.ColorDepthModes().Count(), 2);
  EXPECT_EQ(d.ColorDepthModes().Item(0).ColorDepth, 16);
  EXPECT_EQ(d.ColorDepthModes().Item(1).ColorDepth, 32);

  std::vector<std::string> names{"stale"};
  d.GetColorDepthNames(names);
  EXPECT_EQ(names, (std::vector<std::string>{"High Color(16 bit)", "True Color(32 bit)"}));

  std::vector<std::string> sizes{"stale"};
  d.GetScreenSizes(sizes);  // the full-screen mode starts at 640x480x16
  EXPECT_EQ(sizes, (std::vector<std::string>{"640x480", "800x600", "1024x768"}));
  EXPECT_EQ(d.ColorDepthIndex(), 0);
  EXPECT_EQ(d.ScreenSizeIndex(), 0);

  d.FullScreenMode().SetModeText("800x600x32");
  d.GetScreenSizes(sizes);
  EXPECT_EQ(sizes, (std::vector<std::string>{"640x480", "800x600", "1024x768"}));  // 640x400 filtered out
  EXPECT_EQ(d.ColorDepthIndex(), 1);
  EXPECT_EQ(d.ScreenSizeIndex(), 1);

  // Enumerating again starts the groups afresh.
  display_.modes = {{800, 600, 32, 60}};
  d.Enumerate();
  ASSERT_EQ(d.ColorDepthModes().Count(), 1);
  EXPECT_EQ(d.ColorDepthModes().Item(0).ScreenModes.Count(), 2);  // and the desktop's
}

TEST_F(GLDisplayTest, WithoutAFilterEveryTestedModeIsGrouped) {
  TGLDisplay d(nullptr);
  d.Enumerate();
  ASSERT_EQ(d.ColorDepthModes().Count(), 3);
  EXPECT_EQ(d.ColorDepthModes().Item(0).ColorDepth, 8);
  std::vector<std::string> names;
  d.GetColorDepthNames(names);
  EXPECT_EQ(names[0], "256 Color(8 bit)");
}

TEST_F(GLDisplayTest, FullScreenModeCorrectsItselfToAnOfferedMode) {
  TGLDisplay d(nullptr);
  TScreenMode& m = d.FullScreenMode();
  EXPECT_EQ(m.ModeText(), "640x480x16");

  // Before the modes are known nothing is corrected.
  m.SetModeText("1600x1200x24");
  EXPECT_EQ(m.ModeText(), "1600x1200x24");

  display_.modes = {{800, 600, 16, 60}, {640, 480, 16, 60}};
  display_.desktop = {800, 600, 16, 60};
  d.OnFilterMode = AcceptMode;
  d.Enumerate();

  m.SetModeText("1024x768x32");  // only 16-bit modes: the first 16-bit size
  EXPECT_EQ(m.ModeText(), "800x600x16");
  m.SetModeText("1280x1024x16");  // size absent at that depth: its first size
  EXPECT_EQ(m.ModeText(), "800x600x16");
  m.SetModeText("640x480x16");  // offered: kept
  EXPECT_EQ(m.ModeText(), "640x480x16");
  m.SetColorDepth(8);
  EXPECT_EQ(m.ModeText(), "640x480x16");

  TScreenMode wanted(1024, 768, 24);
  d.SetFullScreenMode(wanted);
  EXPECT_EQ(d.FullScreenMode().ModeText(), "800x600x16");
}

TEST_F(GLDisplayTest, ADepthNotOfferedFallsBackToTheFirstDepth) {
  TGLDisplay d(nullptr);
  d.OnFilterMode = AcceptMode;
  d.Enumerate();
  // The size is kept when the first depth offers it.
  d.FullScreenMode().SetModeText("1024x768x24");
  EXPECT_EQ(d.FullScreenMode().ModeText(), "1024x768x16");
  d.FullScreenMode().SetModeText("1280x1024x24");
  EXPECT_EQ(d.FullScreenMode().ModeText(), "640x480x16");
  d.FullScreenMode().SetColorDepthName("True Color(32 bit)");
  EXPECT_EQ(d.FullScreenMode().ModeText(), "640x480x32");
  d.FullScreenMode().SetSizeText("640x400");  // filtered out: first 32-bit size
  EXPECT_EQ(d.FullScreenMode().ModeText(), "640x480x32");
}

TEST_F(GLDisplayTest, NoValidationInDesignMode) {
  TGLDisplay d(nullptr);
  d.Enumerate();
  d.SetDesigning(true);
  d.FullScreenMode().SetModeText("1600x1200x24");
  EXPECT_EQ(d.FullScreenMode().ModeText(), "1600x1200x24");
}

TEST_F(GLDisplayTest, IllFormedStoredModeTextIsAClearError) {
  TGLDisplay d(nullptr);
  d.Enumerate();
  try {
    d.FullScreenMode().SetModeText("1024 by 768");
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()).rfind("TScreenMode.SetModeText error: ", 0), 0u) << e.what();
  }
  EXPECT_EQ(d.FullScreenMode().ModeText(), "640x480x16");
}

TEST_F(GLDisplayTest, DesktopModeSwitchSucceedsWithoutAPlatformChange) {
  TGLDisplay d(nullptr);
  Link(d);
  d.Enumerate();
  EXPECT_TRUE(d.SetMode(1024, 768, 32));
  EXPECT_TRUE(d.FullScreen());
  EXPECT_TRUE(display_.changes.empty());
  EXPECT_EQ(log_, (std::vector<std::string>{"before", "after:full"}));
  EXPECT_FALSE(dialogs_.CursorVisible());

  d.SetFullScreen(false);
  EXPECT_FALSE(d.FullScreen());
  EXPECT_EQ(display_.restores, 1);
  EXPECT_EQ(log_, (std::vector<std::string>{"before", "after:full", "before", "after:desktop"}));
  EXPECT_TRUE(dialogs_.CursorVisible());
}

TEST_F(GLDisplayTest, SwitchesToTheChosenModeAndBack) {
  TGLDisplay d(nullptr);
  Link(d);
  d.Enumerate();
  d.FullScreenMode().SetModeText("800x600x32");
  d.SetFullScreen(true);
  EXPECT_TRUE(d.FullScreen());
  ASSERT_EQ(display_.changes.size(), 1u);
  EXPECT_EQ(display_.changes[0].width, 800u);
  EXPECT_EQ(display_.changes[0].height, 600u);
  EXPECT_EQ(display_.changes[0].bitsPerPixel, 32u);
  EXPECT_EQ(display_.changes[0].frequency, 85u);
  EXPECT_TRUE(d.VideoModes().ModeChanged());

  d.SetFullScreen(true);  // no change of state: nothing happens
  EXPECT_EQ(display_.changes.size(), 1u);
  EXPECT_EQ(log_.size(), 2u);

  d.SetFullScreen(false);
  EXPECT_FALSE(d.FullScreen());
  EXPECT_FALSE(display_.changed);
}

TEST_F(GLDisplayTest, ARejectedSwitchLeavesFullScreenOffAndStillFiresBothEvents) {
  TGLDisplay d(nullptr);
  Link(d);
  d.Enumerate();
  display_.changeFails = true;
  EXPECT_FALSE(d.SetMode(800, 600, 16));
  EXPECT_FALSE(d.FullScreen());
  EXPECT_EQ(log_, (std::vector<std::string>{"before", "after:desktop"}));
}

TEST_F(GLDisplayTest, TheBeforeChangeHandlerDecidesTheModeUsed) {
  TGLDisplay d(nullptr);
  d.OnFilterMode = AcceptMode;
  d.Enumerate();
  // As the application reads its display options on the first switch.
  d.OnBeforeChange = [&](void*) { d.DesktopOnly = true; };
  EXPECT_TRUE(d.SetMode(800, 600, 16));
  EXPECT_TRUE(d.FullScreen());
  EXPECT_TRUE(display_.changes.empty());  // the desktop's own mode
  EXPECT_EQ(d.FullScreenMode().ModeText(), "1024x768x32");

  d.SetFullScreen(false);
  d.DesktopOnly = false;
  d.OnBeforeChange = [&](void*) { d.FullScreenMode().SetModeText("1024x768x16"); };
  EXPECT_TRUE(d.SetMode(800, 600, 16));
  ASSERT_EQ(display_.changes.size(), 1u);
  EXPECT_EQ(display_.changes[0].width, 1024u);
  EXPECT_EQ(display_.changes[0].bitsPerPixel, 16u);
}

TEST_F(GLDisplayTest, DesktopAndDefaultModesFollowThePlatform) {
  TGLDisplay d(nullptr);
  EXPECT_EQ(d.GetDesktopMode().ModeText(), "1024x768x32");
  EXPECT_EQ(d.GetDefaultMode().ModeText(), "1024x768x16");
  display_.desktop = {1280, 1024, 24, 60};
  EXPECT_EQ(d.GetDesktopMode().ModeText(), "1280x1024x24");
  EXPECT_EQ(d.GetDefaultMode().ModeText(), "1280x1024x16");
  d.DesktopOnly = true;
  EXPECT_EQ(&d.FullScreenMode(), &d.GetDesktopMode());
}

TEST_F(GLDisplayTest, SizesAreLeftAloneForADepthNotOffered) {
  TGLDisplay d(nullptr);
  d.OnFilterMode = AcceptMode;
  d.Enumerate();
  d.DesktopOnly = true;
  display_.desktop = {1024, 768, 24, 60};  // the desktop moved to a depth not listed
  std::vector<std::string> sizes{"kept"};
  d.GetScreenSizes(sizes);
  EXPECT_EQ(sizes, (std::vector<std::string>{"kept"}));
  EXPECT_EQ(d.ColorDepthIndex(), -1);
  EXPECT_EQ(d.ScreenSizeIndex(), -1);
}

TEST_F(GLDisplayTest, FullScreenRequestedWhileLoadingSwitchesInLoaded) {
  TGLDisplay d(nullptr);
  Link(d);
  d.BeginLoading();
  d.FullScreenMode().SetModeText("800x600x16");
  d.SetFullScreen(true);
  EXPECT_TRUE(d.FullScreen());  // recorded only
  EXPECT_TRUE(log_.empty());
  EXPECT_EQ(d.ColorDepthModes().Count(), 0);

  d.Loaded();  // enumerates (EnumOnLoad), then switches
  EXPECT_FALSE(d.Loading());
  EXPECT_EQ(d.ColorDepthModes().Count(), 2);
  EXPECT_TRUE(d.FullScreen());
  ASSERT_EQ(display_.changes.size(), 1u);
  EXPECT_EQ(display_.changes[0].width, 800u);
  EXPECT_EQ(log_, (std::vector<std::string>{"before", "after:full"}));
}

TEST_F(GLDisplayTest, PlainDisplayControlDoesNotEnumerateOnLoad) {
  TCustomDisplayControl plain(nullptr);
  EXPECT_FALSE(plain.EnumOnLoad);
  plain.BeginLoading();
  plain.Loaded();
  EXPECT_EQ(plain.VideoModes().Count(), 0);
  EXPECT_TRUE(display_.tests.empty());

  TCustomGLDisplay gl(nullptr);
  EXPECT_TRUE(gl.EnumOnLoad);
}

TEST_F(GLDisplayTest, DesignModeOnlyStoresFullScreen) {
  TGLDisplay d(nullptr);
  Link(d);
  d.SetDesigning(true);
  d.SetFullScreen(true);
  EXPECT_TRUE(d.FullScreen());
  d.Loaded();
  EXPECT_TRUE(log_.empty());
  EXPECT_TRUE(display_.tests.empty());
  d.SetFullScreen(false);
  EXPECT_EQ(display_.restores, 0);
}

TEST_F(GLDisplayTest, FreeingAFullScreenDisplayRestoresTheDesktop) {
  {
    TGLDisplay d(nullptr);
    Link(d);
    d.Enumerate();
    ASSERT_TRUE(d.SetMode(800, 600, 16));
  }
  EXPECT_EQ(display_.restores, 1);
  EXPECT_FALSE(display_.changed);
  EXPECT_EQ(log_.back(), "after:desktop");
  EXPECT_TRUE(dialogs_.CursorVisible());
}

TEST_F(GLDisplayTest, IsFreedWithItsOwner) {
  auto* owner = new TComponent(nullptr);
  auto* d = new TGLDisplay(owner);
  d->Enumerate();
  ASSERT_TRUE(d->SetMode(800, 600, 16));
  delete owner;
  EXPECT_EQ(display_.restores, 1);
}

}  // namespace
}  // namespace velmora
