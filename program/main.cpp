// velmora: the program's entry point.
//
//   velmora [/s | /c[:ID] | /p ID | /l ID | /a]        the screen-saver roles
//   velmora -window-id ID | -root                      an X11 daemon's module
//   velmora --wallpaper                                the scene below the windows
//   velmora --film SECONDS [--rate N] [--out NAME.jpg] [--size WxH] [--seed N] [--at YYYY-MM-DDTHH:MM:SS]
//   velmora --bench SECONDS [--size WxH] [--blank] [--leave-out PARTS] [--pass-times] [--seed N]
//                   [--at YYYY-MM-DDTHH:MM:SS]
//   velmora --check [--strict] | --save-scene OUT.gsc
//   velmora --version | --help | -help | -h
//   --data FILE|DIR (or VELMORA_DATA) reads the scene from an archive on disk,
//   or from a folder of its files.
//
// Exit codes: 0 done (the usage for --help, on standard output); 2 a
// mistake in the command line (the reason and the usage on standard
// error); 1 an error at run time, unreadable data included (the reason in a
// message box, on standard error without a display and in the roles that
// draw into another program's window, which never show a box); 143 a film
// ended by SIGTERM before its last frame. --check prints its findings on
// standard output and exits 1 when the scene does not load and render
// cleanly (with --strict also when it has warnings); --check and
// --save-scene show no message box.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "app/ApplicationPro.h"
#include "app/OptionOverrides.h"
#include "app/ScreenSaver.h"
#include "app/Toolkit.h"
#include "assets/ResourceReader.h"
#include "assets/WinSoundDevice.h"
#include "core/Error.h"
#include "core/Version.h"
#include "platform/Dialogs.h"
#include "platform/Service.h"
#include "platform/System.h"
#include "platform/Window.h"
#include "program/ProgramOptions.h"
#include "program/Runs.h"
#include "program/SceneCheck.h"
#include "program/WorldForm.h"
#include "scene/SceneClasses.h"
#include "world/WorldClasses.h"

namespace {

// The whole command line, for --help and -h: the usage, then every switch.
// The settings switches (app/OptionOverrides.h) may follow any role or run
// and replace stored settings for this run only. The manual page
// (docs/velmora.6) lists the same switches.
std::string HelpText(const char* usage) {
  std::string text = usage;
  text +=
      "\n"
      "Roles:\n"
      "  (none)            an ordinary program\n"
      "  /s                the screen saver, full screen until a key or a click\n"
      "  /c, /c:ID         the settings window\n"
      "  /p ID, /l ID      a live preview inside window ID\n"
      "  /a                change the password (nothing to do here)\n"
      "  -window-id ID     a module of an X11 screen-saver daemon: draw into window ID\n"
      "  -root             draw into $XSCREENSAVER_WINDOW, or else the root window\n"
      "  --wallpaper       a live wallpaper below the windows, until SIGTERM: on Wayland the\n"
      "                    background layer of every output, on X11 the root window; input\n"
      "                    does not end it; at most 30 frames a second\n"
      "\n"
      "Settings for this run only, after any of the above (the stored settings stay as they are):\n";
  for (const velmora::TOptionSwitch& s : velmora::OptionSwitches()) {
    std::string line = std::string("  ") + s.Usage;
    if (line.size() < 34) line.resize(34, ' ');
    text += line + "  " + s.Description + "\n";
  }
  text +=
      "\n"
      "Runs of its own:\n"
      "  --film SECONDS    render a film offscreen and write its frames as JPEG files\n"
      "  --rate N          frames per second of the film (25)\n"
      "  --out NAME.jpg    name of the film's frames (Film.jpg, numbered; .jpg or .bmp)\n"
      "  --size WxH        size of the film or of the benchmark window\n"
      "  --bench SECONDS   render as fast as possible and print the frame rate\n"
      "  --blank           benchmark the clear and the swap only\n"
      "  --leave-out PARTS benchmark without those parts of the water (comma-separated: surface,\n"
      "                    surface-light, backdrop, bottom, light-rays, background, caustics,\n"
      "                    fog-layers, fish-caustics)\n"
      "  --pass-times      benchmark: also print what each object and water layer costs a frame\n"
      "                    (each finished before the next; wall and program-thread milliseconds)\n"
      "  --seed N          film or benchmark: random numbers from seed N (0..4294967295)\n"
      "  --at TIME         film or benchmark: the clocks start at TIME (YYYY-MM-DDTHH:MM:SS)\n"
      "                    and run with the film's own time; with --seed two films are alike\n"
      "  --check           load the scene as the saver does, draw a few frames offscreen and print\n"
      "                    one line per problem (file, section, key, reason), then\n"
      "                    objects=N textures=N meshes=N sounds=N problems=N; exit 1 on errors\n"
      "  --strict          with --check: warnings count as errors (exit 1), for a pack's CI\n"
      "  --save-scene OUT.gsc  write the scene back as it was understood (the whole tree)\n"
      "  --data FILE|DIR   read the scene from an archive on disk, or a folder of its files\n"
      "  --version         print the version\n"
      "  --help, -help, -h print this text\n";
  return text;
}

const char* const kUsage =
    "usage: velmora [/s | /c[:ID] | /p ID | /l ID | /a | -window-id ID | -root | --wallpaper]\n"
    "       velmora --film SECONDS [--rate N] [--out NAME.jpg] [--size WxH] [--seed N] [--at TIME]\n"
    "       velmora --bench SECONDS [--size WxH] [--blank] [--leave-out PARTS] [--pass-times] [--seed N]\n"
    "                       [--at TIME]\n"
    "       velmora --check [--strict] | --save-scene OUT.gsc\n"
    "       velmora --version | --help | -help | -h\n"
    "       any of them with --data FILE|DIR\n";

int RunTimeError(const std::exception& error) {
  platform::Get<platform::Dialogs>().MessageBox(error.what(), "Velmora", platform::MessageIcon::Error);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace velmora;
  // The process-wide sound device lives until main returns; its sounds are
  // stopped and its output closed then.
  TSoundDeviceScope soundDevice;
  std::vector<std::string> args(argv, argv + argc);
  if (args.empty()) args.push_back("velmora");
  for (size_t i = 1; i < args.size(); ++i) {
    if (IsHelpSwitch(args[i])) {
      std::fputs(HelpText(kUsage).c_str(), stdout);
      return 0;
    }
  }
  TProgramOptions options;
  std::string dataFile;
  try {
    platform::System& system = platform::Get<platform::System>();
    // The settings switches first: some of them ("-sound", "-clock") would
    // otherwise read as the role switches /s and /c.
    TCustomApplicationPro::OptionOverrides() = TakeOptionSwitches(args);
    std::string dataVariable = system.Environment("VELMORA_DATA");
    dataFile = TakeDataOption(args, dataVariable.empty() ? nullptr : dataVariable.c_str());
    options = ParseProgramOptions(args);
    // XSCREENSAVER_WINDOW is a daemon's window for its saver; a wallpaper
    // started from such a session still belongs on the root window.
    if (options.Wallpaper) unsetenv("XSCREENSAVER_WINDOW");
    // The role rules run again when the application object is made; a bad
    // window id is a usage error, found here before any window opens.
    if (options.Run != TProgramOptions::TRun::roHelp) {
      const TSaverCommandLine line =
          DecideSaverRole(options.SaverArguments, 0, system.Environment("XSCREENSAVER_WINDOW"));
      // A module in a daemon's or a host's window (-window-id, -root,
      // $XSCREENSAVER_WINDOW, /p, /l): nobody may see a box there, and one
      // would hold the run; its errors go to standard error.
      if (options.Run == TProgramOptions::TRun::roSaver && line.Role == srPreview) {
        platform::Get<platform::Dialogs>().SetBoxesAllowed(false);
        // A wallpaper is the desktop's own background, on Wayland too.
        if (options.Wallpaper)
          platform::Get<platform::Windows>().UseWallpaper();
        else
          platform::Get<platform::Windows>().UseHostWindows();
      }
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "velmora: %s\n%s", error.what(), kUsage);
    return 2;
  }
  if (options.Run == TProgramOptions::TRun::roHelp) {
    std::fputs(HelpText(kUsage).c_str(), stdout);
    return 0;
  }
  if (options.Run == TProgramOptions::TRun::roVersion) {
    std::printf("Velmora %s\n", velmora::kVersion);
    return 0;
  }
  // The runs for pack makers report on the terminal, never in a message box.
  const bool packRun = options.Run == TProgramOptions::TRun::roCheck || options.Run == TProgramOptions::TRun::roSaveScene;
  auto packRunError = [&options](const std::exception& error) {
    if (options.Run == TProgramOptions::TRun::roCheck)
      std::printf("error: %s\nobjects=0 textures=0 meshes=0 sounds=0 problems=1\n", error.what());
    else
      std::fprintf(stderr, "velmora: %s\n", error.what());
    return 1;
  };
  // The command line is right; data that cannot be read is no mistake in
  // it, so no usage is shown for it.
  try {
    if (!dataFile.empty()) UseDataArchive(dataFile);
  } catch (const std::exception& error) {
    return packRun ? packRunError(error) : RunTimeError(error);
  }
  // The roles on screen need a screen; only the runs of their own render
  // offscreen without one.
  if (options.Run == TProgramOptions::TRun::roSaver && !platform::Get<platform::Windows>().DisplayNamed()) {
    std::fprintf(stderr, "velmora: no display to show on: neither WAYLAND_DISPLAY nor DISPLAY is set\n");
    return 1;
  }
  Application().SetArguments(options.SaverArguments);
  // The scene module and the world's classes: the class registry for the
  // whole run.
  RegisterSceneClasses();
  RegisterWorldClasses();
  // The settings form shows the carried scene with the world.
  UseWorldForm();
  struct SceneModuleEnd {
    ~SceneModuleEnd() { FreeSceneClasses(); }
  } sceneModuleEnd;
  try {
    switch (options.Run) {
      case TProgramOptions::TRun::roFilm: return RunFilm(options);
      case TProgramOptions::TRun::roBench: return RunBench(options);
      case TProgramOptions::TRun::roCheck: return RunCheck(options);
      case TProgramOptions::TRun::roSaveScene: return RunSaveScene(options);
      default: return RunSaver(options);
    }
  } catch (const platform::HostWindowGone&) {
    // The host destroyed its window while the module took it over: it is
    // done with the module, as when the window goes later.
    return 0;
  } catch (const std::exception& error) {
    return packRun ? packRunError(error) : RunTimeError(error);
  }
}
