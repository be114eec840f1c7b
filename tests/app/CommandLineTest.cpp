#include <gtest/gtest.h>

#include "app/ScreenSaver.h"
#include "core/Error.h"

using namespace velmora;

namespace {

constexpr platform::ForeignWindowId kForeground = 777;

TSaverCommandLine Decide(std::vector<std::string> argv, const std::string& xwindow = "") {
  return DecideSaverRole(argv, kForeground, xwindow);
}

}  // namespace

TEST(SaverCommandLine, ProgramFileKindStandsInForTheWindowsExtensions) {
  EXPECT_EQ(ProgramFileKind("/usr/bin/velmora"), ".EXE");
  EXPECT_EQ(ProgramFileKind("/usr/lib/savers/velmora.scr"), ".SCR");
  EXPECT_EQ(ProgramFileKind("Velmora.Scr"), ".SCR");
  // A dot in a directory name is no extension of the file.
  EXPECT_EQ(ProgramFileKind("/opt/v1.2/velmora"), ".EXE");
}

TEST(SaverCommandLine, NoArgumentsDependOnTheProgramFile) {
  EXPECT_EQ(Decide({"/usr/bin/velmora"}).Role, srProgram);
  auto scr = Decide({"/usr/lib/velmora.scr"});
  EXPECT_EQ(scr.Role, srConfig);
  EXPECT_EQ(scr.ParentHandle, kForeground);  // the display dialog that started it
}

TEST(SaverCommandLine, SwitchesAndHostWindows) {
  auto c = Decide({"velmora", "/c:5678"});
  EXPECT_EQ(c.Role, srConfig);
  EXPECT_EQ(c.ParentHandle, 5678u);

  auto bareC = Decide({"velmora", "/c"});
  EXPECT_EQ(bareC.Role, srConfig);
  EXPECT_EQ(bareC.ParentHandle, kForeground);

  EXPECT_EQ(Decide({"velmora", "-s"}).Role, srSaver);

  auto p = Decide({"velmora", "/p", "1234"});
  EXPECT_EQ(p.Role, srPreview);
  EXPECT_EQ(p.ParentHandle, 1234u);
  // /p:1234 and the pair /p 1234 name the same window; /l is the same role.
  EXPECT_EQ(Decide({"velmora", "/p:1234"}).ParentHandle, 1234u);
  EXPECT_EQ(Decide({"velmora", "/l", "1234"}).Role, srPreview);

  auto a = Decide({"velmora", "/a"});
  EXPECT_EQ(a.Role, srPassword);
  EXPECT_EQ(a.ParentHandle, kForeground);
}

TEST(SaverCommandLine, SwitchLetterIsTheSecondCharacterInAnyCase) {
  EXPECT_EQ(Decide({"velmora", "-S"}).Role, srSaver);
  EXPECT_EQ(Decide({"velmora", "/s"}).Role, srSaver);
  EXPECT_EQ(Decide({"velmora", "/saver"}).Role, srSaver);
  // /xs is the switch X: an unknown switch runs the program.
  EXPECT_EQ(Decide({"velmora", "/xs"}).Role, srProgram);
  EXPECT_EQ(Decide({"velmora", "s"}).Role, srProgram);
  EXPECT_FALSE(HasSwitch({"velmora", "/xs"}, 'S'));
  EXPECT_TRUE(HasSwitch({"velmora", "/xs"}, 'x'));
}

TEST(SaverCommandLine, RolesAreDecidedInTheirOrder) {
  // Configuration comes before the saver, password before preview, preview
  // before the saver; the host window is always the second argument.
  EXPECT_EQ(Decide({"velmora", "/c", "5", "/s"}).Role, srConfig);
  EXPECT_EQ(Decide({"velmora", "/p", "9", "/a"}).Role, srPassword);
  EXPECT_EQ(Decide({"velmora", "/s", "3", "/p"}).ParentHandle, 3u);
  // A switch in that place is no window id.
  EXPECT_THROW(Decide({"velmora", "/s", "/c"}), Error);
}

TEST(SaverCommandLine, DaemonConventionsRenderIntoTheirWindow) {
  auto w = Decide({"velmora", "-window-id", "0x2a00007"});
  EXPECT_EQ(w.Role, srPreview);
  EXPECT_EQ(w.ParentHandle, 0x2a00007u);
  EXPECT_FALSE(w.ParentIsRoot);

  auto root = Decide({"velmora", "-root"});
  EXPECT_EQ(root.Role, srPreview);
  EXPECT_TRUE(root.ParentIsRoot);

  // The daemon's variable names the window that -root means.
  auto env = Decide({"velmora", "-root"}, "4194311");
  EXPECT_EQ(env.ParentHandle, 4194311u);
  EXPECT_FALSE(env.ParentIsRoot);
  EXPECT_EQ(Decide({"velmora"}, "0x10").ParentHandle, 16u);

  // A switch of the host's own protocol wins over the inherited variable.
  EXPECT_EQ(Decide({"velmora", "/s"}, "0x10").Role, srSaver);
}

TEST(SaverCommandLine, WindowIdsAreDecimalOrHexAndNothingElse) {
  EXPECT_EQ(ParseWindowId("1234"), 1234u);
  EXPECT_EQ(ParseWindowId("0x1F"), 31u);
  EXPECT_EQ(ParseWindowId("0XfF"), 255u);
  for (const char* bad : {"", "0x", "12ab", "-5", "abc", "0x1g", "99999999999999999999999", "0x11112222333344445"})
    EXPECT_THROW(ParseWindowId(bad), Error) << bad;
  try {
    Decide({"velmora", "/p", "window"});
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "TGLScreenSaver.Create error: Invalid window id \"window\"");
  }
  EXPECT_THROW(Decide({"velmora", "/c:12x"}), Error);
  EXPECT_THROW(Decide({"velmora", "-window-id"}), Error);
  EXPECT_THROW(Decide({"velmora", "-root"}, "nonsense"), Error);
  // The saver role reads no host window, so a trailing word is harmless.
  EXPECT_EQ(Decide({"velmora", "/s", "extra"}).Role, srSaver);
}

TEST(SaverCommandLine, HostWindowAfterTheColonIsCutAtTwentyCharacters) {
  // Twenty characters are read; anything beyond is ignored.
  std::string twenty = std::string(18, '0') + "12";
  EXPECT_EQ(Decide({"velmora", "/c:" + twenty + "345"}).ParentHandle, 12u);
  EXPECT_EQ(Decide({"velmora", "/c:" + twenty + "x"}).ParentHandle, 12u);
}

TEST(SaverCommandLine, PowerTimeoutTableAndBounds) {
  EXPECT_EQ(PowerTimeout(0, "SetPowerOffIndex"), -1.0f);
  EXPECT_EQ(PowerTimeout(1, "SetPowerOffIndex"), 60.0f);
  EXPECT_EQ(PowerTimeout(10, "SetPowerOffIndex"), 2700.0f);
  EXPECT_EQ(PowerTimeout(15, "SetPowerOffIndex"), 18000.0f);
  EXPECT_THROW(PowerTimeout(16, "SetPowerOffIndex"), Error);
  EXPECT_THROW(PowerTimeout(-1, "SetMonitorOffIndex"), Error);
}
