// velmora: the program's entry point.
//
//   velmora [/s | /c[:ID] | /p ID | /l ID | /a]        the screen-saver roles
//   velmora -window-id ID | -root                      an X11 daemon's module
//   velmora --film SECONDS [--rate N] [--out NAME.jpg] [--size WxH]
//   velmora --bench SECONDS [--size WxH] [--blank]
//   velmora --version
//   --data FILE (or VELMORA_DATA) reads the scene from an archive on disk.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "app/ScreenSaver.h"
#include "app/SettingsForm.h"
#include "app/Toolkit.h"
#include "assets/ResourceReader.h"
#include "assets/WinSoundDevice.h"
#include "core/Error.h"
#include "platform/Dialogs.h"
#include "platform/Service.h"
#include "platform/System.h"
#include "scene/SceneClasses.h"
#include "world/WorldClasses.h"

namespace {

const char* const kUsage =
    "usage: velmora [/s | /c[:ID] | /p ID | /l ID | /a | -window-id ID | -root]\n"
    "       velmora --film SECONDS [--rate N] [--out NAME.jpg] [--size WxH]\n"
    "       velmora --bench SECONDS [--size WxH] [--blank]\n"
    "       velmora --version\n"
    "       any of them with --data FILE\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace velmora;
  // The process-wide sound device lives until main returns; its sounds are
  // stopped and its output closed then.
  TSoundDeviceScope soundDevice;
  std::vector<std::string> args(argv, argv + argc);
  if (args.empty()) args.push_back("velmora");
  TProgramOptions options;
  try {
    platform::System& system = platform::Get<platform::System>();
    std::string dataVariable = system.Environment("VELMORA_DATA");
    SelectDataSource(args, dataVariable.empty() ? nullptr : dataVariable.c_str());
    options = ParseProgramOptions(args);
    // The role rules run again when the application object is made; a bad
    // window id is a usage error, found here before any window opens.
    DecideSaverRole(options.SaverArguments, 0, system.Environment("XSCREENSAVER_WINDOW"));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "velmora: %s\n%s", error.what(), kUsage);
    return 2;
  }
  if (options.Run == TProgramOptions::TRun::roVersion) {
    std::printf("Velmora 1.0\n");
    return 0;
  }
  Application().SetArguments(options.SaverArguments);
  // The scene module and the world's classes: the class registry for the
  // whole run.
  RegisterSceneClasses();
  RegisterWorldClasses();
  struct SceneModuleEnd {
    ~SceneModuleEnd() { FreeSceneClasses(); }
  } sceneModuleEnd;
  try {
    switch (options.Run) {
      case TProgramOptions::TRun::roFilm: return RunFilm(options);
      case TProgramOptions::TRun::roBench: return RunBench(options);
      default: return RunSaver();
    }
  } catch (const std::exception& error) {
    platform::Get<platform::Dialogs>().MessageBox(error.what(), "Velmora", platform::MessageIcon::Error);
    return 1;
  }
}
