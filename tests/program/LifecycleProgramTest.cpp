// The velmora program's runs from start to end, as a user or a desktop
// session treats them: a film told to end (SIGTERM) stops, leaves whole
// files and says so; a damaged or odd settings store is reported once per
// problem, however often the run reads it.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "tests/app/JpegDecode.h"
#include "tests/program/ProgramTestSupport.h"

namespace {

namespace fs = std::filesystem;
using programtest::Outcome;
using programtest::ProgramTest;

// The settings file the program reads under a given XDG_CONFIG_HOME.
fs::path SettingsFile(const std::string& config) { return fs::path(config) / "Ostrevin" / "Velmora 1.conf"; }

// Lines of `text` that contain `part`.
int LinesWith(const std::string& text, const std::string& part) {
  int count = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (std::string_view(text).substr(start, end - start).find(part) != std::string_view::npos) ++count;
    start = end + 1;
  }
  return count;
}

class Lifecycle : public ProgramTest {
 protected:
  // The film's files in the folder "film": frames and anything else.
  void FilmFiles(std::vector<fs::path>& frames, std::vector<fs::path>& others) const {
    frames.clear();
    others.clear();
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(File("film"), ec)) {
      const std::string name = entry.path().filename().string();
      if (name.size() == 10 && name.rfind("F", 0) == 0 && entry.path().extension() == ".jpg")
        frames.push_back(entry.path());
      else
        others.push_back(entry.path());
    }
  }
  // Who holds which lock, by the process id its lock file names.
  static bool Holds(const std::string& lockFile, pid_t pid) { return Read(lockFile) == std::to_string(pid) + "\n"; }
  size_t FrameCount() const {
    std::vector<fs::path> frames, others;
    FilmFiles(frames, others);
    return frames.size();
  }
};

TEST_F(Lifecycle, AFilmToldToEndStopsAfterTheFrameInHandLeavesWholeFilesAndSaysSo) {
  fs::create_directories(File("film"));
  // An hour at 25 frames a second: 90 000 frames, unless it is stopped.
  const pid_t film = Start({"--film", "3600", "--size", "64x48", "--out", File("film/F.jpg")});
  ASSERT_GT(film, 0);
  const bool someFrames = WaitFor([&] { return FrameCount() >= 3; });
  kill(film, SIGTERM);
  const Outcome o = Finish(film);
  ASSERT_TRUE(someFrames) << o.err;
  EXPECT_EQ(o.code, 143) << o.err;

  std::vector<fs::path> frames, others;
  FilmFiles(frames, others);
  EXPECT_TRUE(others.empty()) << "left behind: " << others.front();
  ASSERT_GE(frames.size(), 3u);
  EXPECT_LT(frames.size(), 90000u);
  EXPECT_EQ(o.out, "frames=" + std::to_string(frames.size()) + "\n");
  EXPECT_NE(o.err.find("film interrupted after " + std::to_string(frames.size()) + " of 90000 frames"),
            std::string::npos)
      << o.err;
  // Numbered from 1 without a gap, and every one a whole picture.
  for (size_t i = 1; i <= frames.size(); ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "F%05zu.jpg", i);
    std::ifstream f(File("film/") + name, std::ios::binary);
    ASSERT_TRUE(f) << name;
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    testjpeg::Decoded picture;
    EXPECT_TRUE(testjpeg::DecodeJpeg(bytes, picture)) << name;
    EXPECT_EQ(picture.width, 64) << name;
    EXPECT_EQ(picture.height, 48) << name;
  }
}

TEST_F(Lifecycle, AFilmThatEndsByItselfSaysHowManyFramesItWrote) {
  fs::create_directories(File("film"));
  const Outcome o = Run({"--film", "1", "--rate", "4", "--size", "32x24", "--out", File("film/F.jpg")});
  EXPECT_EQ(o.code, 0) << o.err;
  EXPECT_EQ(o.out, "frames=4\n");
  EXPECT_EQ(FrameCount(), 4u);
}

// The stored settings' problems, each in a run of its own: every one is
// reported exactly once, however often the run reads the options.
TEST_F(Lifecycle, EachProblemOfTheStoredSettingsIsReportedOnce) {
  struct Case {
    const char* what;
    std::function<void(const fs::path& config)> make;
    const char* said;  // a part of the one warning
  };
  const auto settings = [](const std::string& text) {
    return [text](const fs::path& config) {
      fs::create_directories(config / "Ostrevin");
      std::ofstream(SettingsFile(config.string())) << text;
    };
  };
  const std::vector<Case> cases = {
      {"a damaged file", settings("this is [not a settings file\n\x01=\n"), "is damaged"},
      {"a settings folder that is a file",
       [](const fs::path& config) {
         fs::create_directories(config);
         std::ofstream(config / "Ostrevin") << "not a folder";
       },
       "the stored settings cannot be read"},
      {"a settings file that is a folder",
       [](const fs::path& config) { fs::create_directories(SettingsFile(config.string())); },
       "is not a file"},
      {"FishDirection=Up", settings("[Settings]\nFishDirection=Up\n"), "FishDirection \"Up\" is not Right, Left or Both"},
      {"an empty Clock Mode", settings("[Settings]\nClock Mode=\n"), "option \"Clock Mode\" is ''"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::error_code ec;
    fs::remove_all(File("config"), ec);
    c.make(File("config"));
    fs::create_directories(File("film"));
    const Outcome o = Run({"--film", "1", "--rate", "1", "--size", "32x24", "--out", File("film/F.jpg")});
    EXPECT_EQ(o.code, 0) << o.err;
    EXPECT_EQ(LinesWith(o.err, c.said), 1) << o.err;
    EXPECT_EQ(LinesWith(o.err, "warning"), 1) << "one problem, one warning:\n" << o.err;
  }
}

// The settings window is open: the saver still starts (a daemon's or the
// desktop's start of it is never turned away by it), and a second settings
// window ends after asking the first to come forward and saying so.
TEST_F(Lifecycle, AnOpenSettingsWindowNeverKeepsTheSaverFromStarting) {
  const std::string run = File("run");
  fs::create_directories(run);
  fs::permissions(run, fs::perms::owner_all);
  const std::vector<std::string> env = {"XDG_RUNTIME_DIR=" + run};
  const pid_t settings = Start({"-c"}, "", env, "settings");
  ASSERT_GT(settings, 0);
  pid_t saver = -1;
  auto stop = [&] {
    for (pid_t p : {settings, saver})
      if (p > 0) kill(p, SIGTERM);
  };
  // Without reaping it: Finish does that.
  auto alive = [](pid_t p) {
    siginfo_t info{};
    return waitid(P_PID, id_t(p), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0;
  };
  if (!WaitFor([&] { return Holds(run + "/velmoraSemaphore.lock", settings) || !alive(settings); }) ||
      !alive(settings)) {
    stop();
    FAIL() << "the settings window did not start:\n" << Finish(settings, std::chrono::seconds(60), "settings").err;
  }
  saver = Start({"-s"}, "", env, "saver");
  ASSERT_GT(saver, 0);
  const bool saverRuns = WaitFor([&] { return Holds(run + "/velmoraSaverSemaphore.lock", saver) || !alive(saver); }) &&
                         alive(saver);
  // A second settings window.
  const Outcome second = Finish(Start({"-c"}, "", env, "second"), std::chrono::seconds(60), "second");
  const bool firstLives = alive(settings);
  stop();
  const Outcome savers = Finish(saver, std::chrono::seconds(60), "saver");
  const Outcome first = Finish(settings, std::chrono::seconds(60), "settings");
  EXPECT_TRUE(saverRuns) << "the saver was turned away:\n" << savers.err;
  EXPECT_EQ(savers.code, 0) << savers.err;
  EXPECT_EQ(second.code, 0) << second.err;
  EXPECT_EQ(second.err, "velmora: the settings window is already open; it is brought to the front\n");
  EXPECT_TRUE(firstLives) << "the request ended the first window";
  EXPECT_EQ(first.code, 0) << first.err;
}

}  // namespace
