// The main form of the program, standing in for the settings dialog until
// the dialog itself is built.
//
// It owns the three components the real form owns - the application object
// (TGLScreenSaver), the display and the render window - reads them with the
// values of the main form's description, and shows the render window when
// it is shown itself: a plain 640 x 480 window in the windowed roles, the
// full-screen pop-up in the saver role, the host's window in the preview
// role. The scene is still empty: every frame clears to the window's
// colour, which the start sets to the colour of the chosen water (when the
// settings or the command line choose one).
#pragma once

#include <string>

#include "app/Form.h"
#include "app/GLDisplay.h"
#include "app/GLWindow.h"
#include "app/ScreenSaver.h"

namespace velmora {

class TFormSettings : public TForm {
 public:
  // Creates and reads the components: role decided, Initialize run, the
  // display switched in the saver role. Raises what they raise (a bad host
  // window id). independent: a run of its own (film, benchmark) that leaves
  // the single-instance lock alone.
  explicit TFormSettings(bool independent = false);
  ~TFormSettings() override;

  TGLScreenSaver* GLScreenSaver() const { return glScreenSaver_; }
  TGLDisplay* GLDisplay() const { return glDisplay_; }
  TGLWindow* GLWindow() const { return glWindow_; }

  // Event handlers of the form (the world's in the finished program).
  void ScreenSaverStart(void* sender);
  void ScreenSaverRender(float deltaTime, bool select);

 protected:
  void VisibleChanged() override;

 private:
  TGLScreenSaver* glScreenSaver_ = nullptr;
  TGLDisplay* glDisplay_ = nullptr;
  TGLWindow* glWindow_ = nullptr;
};

// What the program's own options ask for (see ParseProgramOptions).
struct TProgramOptions {
  enum class TRun { roSaver, roHelp, roVersion, roFilm, roBench } Run = TRun::roSaver;
  double Seconds = 0;        // --film, --bench
  int Rate = 25;             // --rate
  std::string Out;           // --out
  int Width = 0, Height = 0; // --size; 0 = the default
  bool Blank = false;        // --bench --blank
  // The command line left for the screen-saver roles (argument 0 first).
  std::vector<std::string> SaverArguments;
};

// Reads --help (or -h), --version, --film SECONDS [--rate N] [--out
// NAME.jpg] [--size WxH] and --bench SECONDS [--size WxH] [--blank] out of
// the command line (--data FILE is the asset reader's, taken out before);
// the rest stays for the screen-saver roles. Help, once asked for, wins over
// every other option. Raises "TProgramOptions.Parse error: ..." for an
// unknown option, a missing or bad value, or options that do not go
// together.
TProgramOptions ParseProgramOptions(const std::vector<std::string>& argv);

// The whole program for each kind of run; each returns the exit code.
int RunSaver();
// Renders seconds x rate frames in fixed steps into an offscreen window
// and writes them as NAME00001.jpg ...
int RunFilm(const TProgramOptions& options);
// Renders full screen as fast as the loop goes for the given seconds and
// prints "frames=N seconds=S fps=F ms_per_frame=M".
int RunBench(const TProgramOptions& options);

}  // namespace velmora
