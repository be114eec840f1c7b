// The program's own command line: which run the switches ask for and the
// values they give it. The screen-saver roles' switches pass through to the
// roles untouched; the settings switches for one run (app/OptionOverrides.h)
// and --data are taken out of the line before.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/LocalTime.h"

namespace velmora {

// The live wallpaper's frames a second.
inline constexpr int kWallpaperFramesPerSecond = 30;

// What the program's own options ask for (see ParseProgramOptions).
struct TProgramOptions {
  enum class TRun { roSaver, roHelp, roVersion, roFilm, roBench, roCheck, roSaveScene } Run = TRun::roSaver;
  double Seconds = 0;        // --film, --bench
  int Rate = 25;             // --rate
  std::string Out;           // --out
  int Width = 0, Height = 0; // --size; 0 = the default
  bool Blank = false;        // --bench --blank
  bool PassTimes = false;    // --bench --pass-times
  std::vector<std::string> LeaveOut;  // --bench --leave-out PART[,PART...]
  std::optional<uint32_t> Seed;              // --seed N
  std::optional<platform::LocalDateTime> At; // --at YYYY-MM-DDTHH:MM:SS
  std::string SceneFile;     // --save-scene OUT.gsc
  bool Strict = false;       // --check --strict: warnings fail the check too
  // --wallpaper: the saver's run as a live wallpaper, below the windows
  // (its screen-saver switch is -root, added to SaverArguments).
  bool Wallpaper = false;
  // Frames a second the saver's run keeps to whatever the display's rate
  // (a wallpaper's 30: a few frames less are not seen beside the user's
  // work, the processor time is); 0 = the display's rate.
  int FramesPerSecond = 0;
  // The command line left for the screen-saver roles (argument 0 first).
  std::vector<std::string> SaverArguments;
};

// --help, -help and -h: the switches that ask for the usage.
bool IsHelpSwitch(const std::string& argument);

// Reads --help (or -help, -h), --version, --film SECONDS [--rate N] [--out
// NAME.jpg] [--size WxH], --bench SECONDS [--size WxH] [--blank]
// [--leave-out PART,...] [--pass-times] (both
// also [--seed N] [--at YYYY-MM-DDTHH:MM:SS]), --check [--strict] and
// --save-scene OUT.gsc and --wallpaper out of the command line (--data FILE is the asset
// reader's, taken out before); the screen-saver roles' switches (/s,
// /c[:ID], /p ID, /l ID, /a, -window-id ID, -root; a dash for the slash,
// either case) and plain words stay for the roles. Help, once asked for,
// wins over every other option. Raises "TProgramOptions.Parse error: ..."
// for an unknown switch (one or two dashes, or a slash), a missing or bad
// value, a film name that is neither .jpg nor .bmp, or options that do not
// go together (--wallpaper takes no screen-saver switch and no run of its
// own).
TProgramOptions ParseProgramOptions(const std::vector<std::string>& argv);

}  // namespace velmora
