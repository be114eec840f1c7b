#include <gtest/gtest.h>

#include "app/ScreenSaver.h"
#include "app/SettingsForm.h"
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

namespace {

TProgramOptions Options(std::vector<std::string> argv) { return ParseProgramOptions(argv); }

}  // namespace

TEST(ProgramOptions, FilmAndBenchTakeTheirValues) {
  auto film = Options({"velmora", "--film", "2", "--rate", "10", "--out", "out/F.jpg", "--size", "320x200"});
  EXPECT_EQ(film.Run, TProgramOptions::TRun::roFilm);
  EXPECT_EQ(film.Seconds, 2);
  EXPECT_EQ(film.Rate, 10);
  EXPECT_EQ(film.Out, "out/F.jpg");
  EXPECT_EQ(film.Width, 320);
  EXPECT_EQ(film.Height, 200);
  EXPECT_EQ(film.SaverArguments, (std::vector<std::string>{"velmora"}));
  auto defaults = Options({"velmora", "--film", "1"});
  EXPECT_EQ(defaults.Rate, 25);
  EXPECT_EQ(defaults.Out, "Film.jpg");

  auto bench = Options({"velmora", "--bench", "0.5", "--blank"});
  EXPECT_EQ(bench.Run, TProgramOptions::TRun::roBench);
  EXPECT_DOUBLE_EQ(bench.Seconds, 0.5);
  EXPECT_TRUE(bench.Blank);
  EXPECT_TRUE(bench.LeaveOut.empty());
  auto without = Options({"velmora", "--bench", "1", "--leave-out", "light-rays,bottom", "--leave-out", "surface"});
  EXPECT_EQ(without.LeaveOut, (std::vector<std::string>{"light-rays", "bottom", "surface"}));
  EXPECT_EQ(Options({"velmora", "--version"}).Run, TProgramOptions::TRun::roVersion);
}

TEST(ProgramOptions, SeedAndMomentFixAFilmOrABenchmark) {
  auto film = Options({"velmora", "--film", "1", "--seed", "4294967295", "--at", "2024-05-08T10:09:30"});
  ASSERT_TRUE(film.Seed);
  EXPECT_EQ(*film.Seed, 4294967295u);
  ASSERT_TRUE(film.At);
  EXPECT_EQ(film.At->year, 2024);
  EXPECT_EQ(film.At->hour, 10);
  EXPECT_EQ(film.At->second, 30);
  EXPECT_EQ(film.At->weekday, 3);
  auto bench = Options({"velmora", "--seed", "0", "--bench", "1"});
  ASSERT_TRUE(bench.Seed);
  EXPECT_EQ(*bench.Seed, 0u);
  EXPECT_FALSE(bench.At);
  // Without them every run differs, as the saver's does.
  auto plain = Options({"velmora", "--film", "1"});
  EXPECT_FALSE(plain.Seed);
  EXPECT_FALSE(plain.At);
}

TEST(ProgramOptions, HelpWinsOverAnyOtherOption) {
  using TRun = TProgramOptions::TRun;
  EXPECT_EQ(Options({"velmora", "--help"}).Run, TRun::roHelp);
  EXPECT_EQ(Options({"velmora", "-h"}).Run, TRun::roHelp);
  EXPECT_EQ(Options({"velmora", "-help"}).Run, TRun::roHelp);
  EXPECT_EQ(Options({"velmora", "/s", "-help"}).Run, TRun::roHelp);
  // Even beside a mistake: whoever asks for help gets it.
  EXPECT_EQ(Options({"velmora", "--frobnicate", "-h"}).Run, TRun::roHelp);
  EXPECT_EQ(Options({"velmora", "--film", "1", "--help"}).Run, TRun::roHelp);
}

TEST(ProgramOptions, SaverSwitchesPassThrough) {
  auto o = Options({"velmora", "/p", "1234"});
  EXPECT_EQ(o.Run, TProgramOptions::TRun::roSaver);
  EXPECT_EQ(o.SaverArguments, (std::vector<std::string>{"velmora", "/p", "1234"}));
  EXPECT_EQ(Options({"velmora", "--window-id", "7"}).SaverArguments.size(), 3u);
  // Every role switch, with a dash or a slash, in either case, and the
  // daemons' switches with their window.
  const std::vector<std::vector<std::string>> roles = {
      {"velmora", "/s"},         {"velmora", "-S"},          {"velmora", "/c"},    {"velmora", "/c:5678"},
      {"velmora", "-c:0x1F"},    {"velmora", "/p", "1234"},  {"velmora", "/p:77"}, {"velmora", "-l", "0x10"},
      {"velmora", "/a"},         {"velmora", "-window-id", "0x2a"}, {"velmora", "--window-id", "9"},
      {"velmora", "-root"},      {"velmora", "--root"},
  };
  for (const auto& argv : roles) {
    auto options = Options(argv);
    EXPECT_EQ(options.Run, TProgramOptions::TRun::roSaver) << argv[1];
    EXPECT_EQ(options.SaverArguments, argv) << argv[1];
  }
  // A film with frames named .bmp or .jpg in any case.
  EXPECT_EQ(Options({"velmora", "--film", "1", "--out", "a/B.BMP"}).Out, "a/B.BMP");
  EXPECT_EQ(Options({"velmora", "--film", "1", "--out", "shot.Jpg"}).Out, "shot.Jpg");
}

TEST(ProgramOptions, BadCommandLinesAreRefusedWithTheirReason) {
  const std::vector<std::vector<std::string>> bad = {
      {"velmora", "--film"},                       // no value
      {"velmora", "--film", "0"},                  // not a film length
      {"velmora", "--film", "1.5"},                // whole seconds
      {"velmora", "--bench", "-1"},
      {"velmora", "--bench", "abc"},
      {"velmora", "--film", "1", "--rate", "0"},
      {"velmora", "--film", "1", "--size", "320"},
      {"velmora", "--film", "1", "--size", "0x200"},
      {"velmora", "--film", "1", "--out", ""},
      {"velmora", "--rate", "5"},                  // belongs to --film
      {"velmora", "--blank"},                      // belongs to --bench
      {"velmora", "--film", "1", "--leave-out", "bottom"},  // belongs to --bench
      {"velmora", "--bench", "1", "--leave-out", ""},
      {"velmora", "--bench", "1", "--leave-out", "bottom,,surface"},
      {"velmora", "--bench", "1", "--leave-out"},
      {"velmora", "--film", "1", "--bench", "1"},  // one at a time
      {"velmora", "--film", "1", "/s"},            // not with a role
      {"velmora", "--frobnicate"},
      // Unknown switches with one dash or a slash, a host's -H among them.
      {"velmora", "-xyz"},
      {"velmora", "/x"},
      {"velmora", "-H"},
      {"velmora", "/saver"},                       // a role is one letter
      {"velmora", "/s:1"},                         // the saver takes no window
      {"velmora", "/c", "-q"},
      // Frames are written as .jpg or .bmp: any other name would write none.
      {"velmora", "--film", "1", "--out", "foo.png"},
      {"velmora", "--film", "1", "--out", "foo"},
      {"velmora", "--film", "1", "--out", "dir.jpg/foo"},
      {"velmora", "--seed", "7"},                                  // belongs to --film or --bench
      {"velmora", "--at", "2024-05-08T10:09:30", "/s"},
      {"velmora", "--check", "--seed", "7"},
      {"velmora", "--film", "1", "--seed"},                        // no value
      {"velmora", "--film", "1", "--seed", "-1"},
      {"velmora", "--film", "1", "--seed", "4294967296"},
      {"velmora", "--film", "1", "--seed", "seven"},
      {"velmora", "--film", "1", "--at", "2024-05-08"},
      {"velmora", "--film", "1", "--at", "2023-02-29T12:00:00"},  // no such day
      {"velmora", "--film", "1", "--at", "2024-05-08T25:00:00"},
  };
  for (const auto& argv : bad) {
    try {
      Options(argv);
      ADD_FAILURE() << "accepted: " << argv.back();
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()).rfind("TProgramOptions.Parse error: ", 0), 0u) << e.what();
    }
  }
}
