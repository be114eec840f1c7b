// The main form of the program: the settings dialog with its live
// preview.
//
// It owns the three components of the main form - the application object
// (TGLScreenSaver), the display and the render window - reads them with the
// values of the main form's description, and shows the render window when
// it is shown itself: the full-screen pop-up in the saver role, the host's
// window in the preview role, and in the program and configuration roles
// the settings dialog.
//
// The settings dialog (when the scene side has one and the run is not one
// of its own): the render window is the whole form, client area 685 x 422
// at 100 % (times the display's ContentScale), centred on the screen; the
// scene renders in the preview panel (484 x 364 at 6, 4) through a
// viewport with the scissor test in that same window, and the panel's size
// is the scene window's size. The controls are drawn over the rest with
// Dear ImGui (TDialogGui) after the scene, in the same frame. A viewport
// rather than a framebuffer object: it needs nothing beyond OpenGL 1.1 (no
// framebuffer extension, no second copy of the picture), behaves the same
// on llvmpipe and on real drivers, and the scene draws at the panel's own
// pixels. The window's input messages reach the dialog; the window
// manager's close button acts as "Cancel". "Preview" makes the scene full
// screen; any input returns to the form (the screen-saver exit rules).
//
// What it shows is its scene side (TFormScene), made for it when it is
// made by the maker the program installs (SetFormSceneMaker; the world's
// is world/FormWorld.h). The form hands the application's events to it:
//
//   OnStart        Start: scene and world built, options loaded
//   OnLoadOptions  LoadOptions      OnSaveOptions  SaveOptions
//   OnStartOpenGL  StartOpenGL      OnRender       Render(DeltaTime), then
//                                                  DrawDialog in the dialog
//   OnFPSChanged   FPSChanged (after the frame rate went to the title)
//   OnStop         Stop: world and scene freed
//
// The form frees its scene side before its components, so the scene never
// outlives the rendering context. Without a maker (the shell's own tests)
// the start only loads the application's options and every frame clears
// to the window's colour.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/DialogGui.h"
#include "app/Form.h"
#include "app/GLDisplay.h"
#include "app/GLWindow.h"
#include "app/ScreenSaver.h"
#include "platform/LocalTime.h"

namespace velmora {

class TFormSettings;

// The scene side of the settings form: one handler per application event
// the form answers (see above).
class TFormScene {
 public:
  virtual ~TFormScene() = default;
  virtual void Start() = 0;
  virtual void Stop() = 0;
  virtual void LoadOptions() = 0;
  virtual void SaveOptions() = 0;
  virtual void StartOpenGL() = 0;
  virtual void Render(float deltaTime) = 0;
  virtual void FPSChanged() = 0;

  // The settings dialog of a scene side that has one: its controls filled
  // from the scene, drawn in an open ImGui frame, and "Cancel" (the window
  // manager's close button).
  virtual bool HasDialog() const { return false; }
  virtual void FillControls() {}
  virtual void DrawDialog(TDialogGui& gui) { (void)gui; }
  virtual void CancelDialog() {}
  // A benchmark's part of the frame left out from now on (a name the scene
  // side knows); false for a name it does not know.
  virtual bool LeaveOut(const std::string& part) {
    (void)part;
    return false;
  }
};

using TFormSceneMaker = std::unique_ptr<TFormScene> (*)(TFormSettings& form);
// The maker every settings form made from now on uses; nullptr: none.
void SetFormSceneMaker(TFormSceneMaker maker);

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
  // The scene side, or nullptr.
  TFormScene* Scene() const { return scene_.get(); }

  // Event handlers of the form.
  void ScreenSaverStart(void* sender);
  void ScreenSaverStop(void* sender);
  void ScreenSaverLoadOptions(void* sender);
  void ScreenSaverSaveOptions(void* sender);
  void ScreenSaverStartOpenGL(void* sender);
  void ScreenSaverRender(float deltaTime, bool select);
  void ScreenSaverFPSChanged(void* sender);

  // Fills the dialog controls from the scene and the world (the scene
  // side's FillControls).
  virtual void FillDialogControls();

  // The form is the settings dialog (see above).
  bool DialogShown() const { return gui_ != nullptr; }
  TDialogGui* DialogGui() const { return gui_.get(); }
  // The form's client size and the preview panel at 100 %.
  static constexpr int kClientWidth = 685, kClientHeight = 422;
  static constexpr platform::Rect kPreviewPanel{6, 4, 484, 364};
  // One frame of the dialog over the whole window (after the scene).
  void DrawDialog(float deltaTime);
  // "Preview": the scene full screen until a key or a click, then the
  // dialog again with its state. Asked for while a dialog frame is open (a
  // button's handler), the switch waits for the next idle step before the
  // next frame: going full screen makes the render window and its
  // rendering context again, and the open frame still draws with the old.
  void StartPreview();
  bool PreviewPending() const { return previewPending_; }

 protected:
  void VisibleChanged() override;

 private:
  TGLScreenSaver* glScreenSaver_ = nullptr;
  TGLDisplay* glDisplay_ = nullptr;
  TGLWindow* glWindow_ = nullptr;
  std::unique_ptr<TFormScene> scene_;
  std::unique_ptr<TDialogGui> gui_;
  bool inDialogFrame_ = false;
  bool previewPending_ = false;

  // Lays the form out as the settings dialog.
  void UseDialog();
};

// What the program's own options ask for (see ParseProgramOptions).
struct TProgramOptions {
  enum class TRun { roSaver, roHelp, roVersion, roFilm, roBench, roCheck, roSaveScene } Run = TRun::roSaver;
  double Seconds = 0;        // --film, --bench
  int Rate = 25;             // --rate
  std::string Out;           // --out
  int Width = 0, Height = 0; // --size; 0 = the default
  bool Blank = false;        // --bench --blank
  std::vector<std::string> LeaveOut;  // --bench --leave-out PART[,PART...]
  std::optional<uint32_t> Seed;              // --seed N
  std::optional<platform::LocalDateTime> At; // --at YYYY-MM-DDTHH:MM:SS
  std::string SceneFile;     // --save-scene OUT.gsc
  bool Strict = false;       // --check --strict: warnings fail the check too
  // The command line left for the screen-saver roles (argument 0 first).
  std::vector<std::string> SaverArguments;
};

// --help, -help and -h: the switches that ask for the usage.
bool IsHelpSwitch(const std::string& argument);

// Reads --help (or -help, -h), --version, --film SECONDS [--rate N] [--out
// NAME.jpg] [--size WxH], --bench SECONDS [--size WxH] [--blank]
// [--leave-out PART,...] (both
// also [--seed N] [--at YYYY-MM-DDTHH:MM:SS]), --check [--strict] and
// --save-scene OUT.gsc out of the command line (--data FILE is the asset
// reader's, taken out before); the screen-saver roles' switches (/s,
// /c[:ID], /p ID, /l ID, /a, -window-id ID, -root; a dash for the slash,
// either case) and plain words stay for the roles. Help, once asked for,
// wins over every other option. Raises "TProgramOptions.Parse error: ..."
// for an unknown switch (one or two dashes, or a slash), a missing or bad
// value, a film name that is neither .jpg nor .bmp, or options that do not
// go together.
TProgramOptions ParseProgramOptions(const std::vector<std::string>& argv);

// The whole program for each kind of run; each returns the exit code.
int RunSaver();
// Renders seconds x rate frames in fixed steps into an offscreen window
// and writes them as NAME00001.jpg ..., then prints "frames=N". With a
// seed and a moment, two runs write the same frames: the scene spawns from
// the seed and the clocks show the moment advanced by the film's own time.
// Told to end (SIGTERM) it stops after the frame in hand, says so on
// standard error and returns kExitInterrupted.
int RunFilm(const TProgramOptions& options);
// The exit code of a run ended by SIGTERM before it was done (128 + 15, as
// a shell reports a process the signal ended).
constexpr int kExitInterrupted = 143;
// Renders full screen as fast as the loop goes for the given seconds and
// prints "frames=N seconds=S fps=F ms_per_frame=M".
int RunBench(const TProgramOptions& options);

// For the runs of their own made elsewhere (the scene check): the command
// line cut to the program role, and frames run until OpenGL has started
// (false when it did not within 200 frames or the program ended).
void OwnRunArguments();
bool WaitForOpenGL(TGLScreenSaver& app);

}  // namespace velmora
