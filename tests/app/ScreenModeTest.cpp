#include "app/ScreenMode.h"

#include <gtest/gtest.h>

#include <functional>

#include "core/Error.h"

namespace velmora {
namespace {

// Counts the Changed calls a setter makes.
class CountingMode : public TScreenMode {
 public:
  int changes = 0;

 protected:
  void Changed() override { ++changes; }
};

void ExpectError(const std::function<void()>& f, const std::string& prefix) {
  try {
    f();
    ADD_FAILURE() << "no error, expected " << prefix;
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()).rfind(prefix, 0), 0u) << e.what();
  }
}

TEST(ScreenModeTest, PacksWidthHighAndHeightLow) {
  TScreenMode m;
  m.SetScreenSize(41943520);
  EXPECT_EQ(m.Width(), 640);
  EXPECT_EQ(m.Height(), 480);
  EXPECT_EQ(TScreenMode::PackSize(640, 480), 41943520);
  m.SetSize(1920, 1200);
  EXPECT_EQ(m.Width(), 1920);
  EXPECT_EQ(m.Height(), 1200);
  // Widths past 32767 still come back whole.
  m.SetSize(40000, 3);
  EXPECT_EQ(m.Width(), 40000);
  EXPECT_EQ(m.Height(), 3);
}

TEST(ScreenModeTest, SettersKeepTheOtherFieldAndChangeOnce) {
  CountingMode m;
  m.SetMode(800, 600, 16);
  EXPECT_EQ(m.changes, 1);
  m.SetColorDepth(32);
  EXPECT_EQ(m.changes, 2);
  EXPECT_EQ(m.Width(), 800);
  EXPECT_EQ(m.Height(), 600);
  m.SetSize(1024, 768);
  EXPECT_EQ(m.ColorDepth(), 32);
  m.SetModeText("640x480x8");
  EXPECT_EQ(m.changes, 4);
  EXPECT_EQ(m.ModeText(), "640x480x8");

  TScreenMode other(1280, 1024, 24);
  m.Assign(other);
  EXPECT_EQ(m.changes, 5);
  EXPECT_EQ(m.ModeText(), "1280x1024x24");
}

TEST(ScreenModeTest, DepthNames) {
  EXPECT_EQ(TScreenMode::DepthName(16), "High Color(16 bit)");
  EXPECT_EQ(TScreenMode::DepthName(32), "True Color(32 bit)");
  EXPECT_EQ(TScreenMode::DepthName(24), "16777216 Color(24 bit)");
  EXPECT_EQ(TScreenMode::DepthName(8), "256 Color(8 bit)");
  EXPECT_EQ(TScreenMode::DepthName(4), "16 Color(4 bit)");
}

TEST(ScreenModeTest, ParsesDepthNames) {
  TScreenMode m(800, 600, 0);
  m.SetColorDepthName("256 Color(8 bit)");
  EXPECT_EQ(m.ColorDepth(), 8);
  m.SetColorDepthName("High Color(16 bit)");
  EXPECT_EQ(m.ColorDepth(), 16);
  m.SetColorDepthName("True Color(32 bit)");
  EXPECT_EQ(m.ColorDepth(), 32);
  for (int depth : {1, 4, 8, 15, 16, 24, 30, 32}) {
    TScreenMode d(640, 480, depth);
    m.SetColorDepthName(d.ColorDepthName());
    EXPECT_EQ(m.ColorDepth(), depth);
  }
  EXPECT_EQ(m.SizeText(), "800x600");
}

TEST(ScreenModeTest, IllFormedDepthNamesAreErrors) {
  TScreenMode m(800, 600, 16);
  for (const char* text : {"", "Color", "256 Color 8 bit", "256 Color(8)", "256 Color(bit)", "Color(x bit)",
                           "Color(-8 bit)", "Color(99999 bit)", "b(8 bit)"}) {
    SCOPED_TRACE(text);
    ExpectError([&] { m.SetColorDepthName(text); }, "TScreenMode.SetColorDepthName error: ");
  }
  EXPECT_EQ(m.ColorDepth(), 16);
}

TEST(ScreenModeTest, SizeAndModeTexts) {
  TScreenMode m(640, 480, 16);
  EXPECT_EQ(m.SizeText(), "640x480");
  EXPECT_EQ(m.ModeText(), "640x480x16");
  m.SetSizeText("1024x768");
  EXPECT_EQ(m.ModeText(), "1024x768x16");
  m.SetModeText("1280x1024x32");
  EXPECT_EQ(m.Width(), 1280);
  EXPECT_EQ(m.Height(), 1024);
  EXPECT_EQ(m.ColorDepth(), 32);
}

TEST(ScreenModeTest, IllFormedSizeAndModeTextsAreErrorsAndChangeNothing) {
  CountingMode m;
  m.SetMode(640, 480, 16);
  for (const char* text : {"", "800", "x600", "800x", "axb", "800x600x16", "70000x600", "-1x600"}) {
    SCOPED_TRACE(text);
    ExpectError([&] { m.SetSizeText(text); }, "TScreenMode.SetSizeText error: ");
  }
  for (const char* text : {"", "800x600", "800xx16", "x600x16", "800x600x", "800x600x16x", "800x600xhigh",
                           "800x99999x16"}) {
    SCOPED_TRACE(text);
    ExpectError([&] { m.SetModeText(text); }, "TScreenMode.SetModeText error: ");
  }
  EXPECT_EQ(m.ModeText(), "640x480x16");
  EXPECT_EQ(m.changes, 1);
}

TEST(ScreenModeTest, ScreenModesListKeepsEachModeOnce) {
  TScreenModes list;
  EXPECT_EQ(list.Add(800, 600, 16), 0);
  EXPECT_EQ(list.Add(640, 480, 16), 1);
  EXPECT_EQ(list.Add(800, 600, 16), 0);
  EXPECT_EQ(list.Add(800, 600, 32), 2);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.IndexOf(640, 480, 16), 1);
  EXPECT_EQ(list.IndexOf(640, 480, 32), -1);
  EXPECT_EQ(list.Item(1).SizeText(), "640x480");
  ExpectError([&] { list.Item(3); }, "TScreenModes.GetItem error: ");
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.IndexOf(800, 600, 16), -1);
}

TEST(ScreenModeTest, ColorDepthModesKeepInsertionOrder) {
  TColorDepthModes depths;
  EXPECT_EQ(depths.Add(32), 0);
  EXPECT_EQ(depths.Add(16), 1);
  EXPECT_EQ(depths.Add(32), 0);
  EXPECT_EQ(depths.IndexOf(16), 1);
  EXPECT_EQ(depths.IndexOf(24), -1);
  EXPECT_EQ(depths.Item(1).ColorDepth, 16);
  ExpectError([&] { depths.Item(-1); }, "TColorDepthModes.GetItem error: ");
  depths.Clear();
  EXPECT_EQ(depths.Count(), 0);
}

}  // namespace
}  // namespace velmora
