#include <gtest/gtest.h>

#include "core/Error.h"
#include "program/ProgramOptions.h"

using namespace velmora;

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
  EXPECT_FALSE(bench.PassTimes);
  EXPECT_TRUE(Options({"velmora", "--bench", "1", "--pass-times"}).PassTimes);
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

TEST(ProgramOptions, WallpaperIsTheSaverDrawingWhereRootDoes) {
  auto o = Options({"velmora", "--wallpaper"});
  EXPECT_EQ(o.Run, TProgramOptions::TRun::roSaver);
  EXPECT_TRUE(o.Wallpaper);
  // It keeps to its own frame rate; the other roles to the display's.
  EXPECT_EQ(o.FramesPerSecond, kWallpaperFramesPerSecond);
  EXPECT_EQ(kWallpaperFramesPerSecond, 30);
  EXPECT_EQ(Options({"velmora", "-root"}).FramesPerSecond, 0);
  EXPECT_EQ(Options({"velmora", "/s"}).FramesPerSecond, 0);
  EXPECT_EQ(o.SaverArguments, (std::vector<std::string>{"velmora", "-root"}));
  EXPECT_FALSE(Options({"velmora", "-root"}).Wallpaper);
  EXPECT_FALSE(Options({"velmora", "/s"}).Wallpaper);
  // Neither another role nor a run of its own goes with it.
  for (const std::vector<std::string>& argv :
       {std::vector<std::string>{"velmora", "--wallpaper", "/s"}, {"velmora", "-root", "--wallpaper"},
        {"velmora", "--wallpaper", "-window-id", "7"}, {"velmora", "--wallpaper", "--film", "1"},
        {"velmora", "--check", "--wallpaper"}, {"velmora", "--wallpaper", "extra"}}) {
    try {
      Options(argv);
      ADD_FAILURE() << argv[1] << " " << argv[2] << " was taken";
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find("--wallpaper"), std::string::npos) << e.what();
    }
  }
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
      {"velmora", "--film", "1", "--pass-times"},  // belongs to --bench
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
