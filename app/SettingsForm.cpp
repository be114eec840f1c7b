#include "app/SettingsForm.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <memory>
#include <optional>

#include "app/Toolkit.h"
#include "core/Error.h"
#include "core/Strings.h"
#include "gl/GLEntryPoints.h"
#include "platform/Display.h"
#include "platform/FilmLocalTime.h"
#include "platform/Service.h"
#include "platform/Window.h"

namespace velmora {

namespace {

TFormSceneMaker g_sceneMaker = nullptr;

}  // namespace

void SetFormSceneMaker(TFormSceneMaker maker) { g_sceneMaker = maker; }

TFormSettings::TFormSettings(bool independent) : TForm(nullptr) {
  Caption = "Velmora";
  SetBounds(0, 0, 640, 480);
  glScreenSaver_ = new TGLScreenSaver(this);
  glDisplay_ = new TGLDisplay(this);
  glWindow_ = new TGLWindow(this);

  BeginLoadingAll(this);
  TGLScreenSaver& app = *glScreenSaver_;
  app.Name = "GLScreenSaver1";
  app.Title = "Velmora";
  app.Company = "Ostrevin";
  app.Independent = independent;
  app.SetDisplay(glDisplay_);
  app.SetWindow(glWindow_);
  app.Active = true;
  TDefViewport& vp = app.Viewport();
  vp.ClearMode = cmDepth;
  vp.FarDepth = 11000.0;
  vp.NearDepth = 100.0;
  vp.FOV = 75.0;
  vp.Perspective = true;
  vp.Enabled = true;
  vp.Cleared = true;
  vp.Stretch = false;
  vp.WideScreen = false;
  vp.Camera().Direction.Z = -1;
  vp.Camera().Position.Z = -4.9999998736894e-05f;
  vp.Camera().Up.Y = 1;
  app.OnStart = [this](void* sender) { ScreenSaverStart(sender); };
  app.OnStop = [this](void* sender) { ScreenSaverStop(sender); };
  app.OnLoadOptions = [this](void* sender) { ScreenSaverLoadOptions(sender); };
  app.OnSaveOptions = [this](void* sender) { ScreenSaverSaveOptions(sender); };
  app.OnStartOpenGL = [this](void* sender) { ScreenSaverStartOpenGL(sender); };
  app.OnRender = [this](float deltaTime, bool select) { ScreenSaverRender(deltaTime, select); };
  // A scene showing its FPS display chains itself after this handler
  // (TMainScene::ConnectFPSDisplay).
  app.OnFPSChanged = [this](void* sender) { ScreenSaverFPSChanged(sender); };

  glDisplay_->Name = "GLDisplay1";
  glDisplay_->DesktopOnly = false;
  glDisplay_->SetFullScreen(false);
  glDisplay_->SetFullScreenMode(TScreenMode(640, 480, 16));

  glWindow_->Name = "GLWindow1";
  glWindow_->SetParent(this);
  glWindow_->Color = clBlack;
  glWindow_->Caption = "Velmora";
  platform::ScreenSize screen = platform::Get<platform::Display>().PrimaryScreenSize();
  glWindow_->SetBounds(screen.width > 640 ? (screen.width - 640) / 2 : 0,
                       screen.height > 480 ? (screen.height - 480) / 2 : 0, 640, 480);
  glWindow_->OnClose = [this](void*) { Close(); };

  EndLoadingAll(this);
  if (g_sceneMaker) scene_ = g_sceneMaker(*this);
  const TSaverRole role = app.Role();
  if (!independent && scene_ && scene_->HasDialog() && (role == srProgram || role == srConfig)) UseDialog();
}

void TFormSettings::UseDialog() {
  const float scale = std::max(1.0f, platform::Get<platform::Display>().ContentScale());
  auto px = [scale](int length) { return int(std::lround(length * scale)); };
  gui_ = std::make_unique<TDialogGui>(scale);
  BorderStyle = TFormBorderStyle::bsDialog;
  Color = 14401325;
  SetBounds(Left(), Top(), px(kClientWidth), px(kClientHeight));
  glScreenSaver_->CenterMainForm();
  glWindow_->SetBounds(Left(), Top(), Width(), Height());
  glWindow_->SetPanel(platform::Rect{px(kPreviewPanel.left), px(kPreviewPanel.top), px(kPreviewPanel.width),
                                     px(kPreviewPanel.height)});
  glWindow_->OnInput = [this](void*, const platform::Message& message) {
    if (gui_ && !glDisplay_->FullScreen()) gui_->Input(message);
  };
  // The window manager's close button: "Cancel".
  glWindow_->OnClose = [this](void*) {
    if (scene_)
      scene_->CancelDialog();
    else
      Close();
  };
  glScreenSaver_->OnStopOpenGL = [this](void*) {
    if (gui_) gui_->ReleaseGL(true);
  };
  // A preview asked for in a frame starts between frames.
  TEvent<void*, bool&> idle = glScreenSaver_->OnIdle;
  glScreenSaver_->OnIdle = [this, idle](void* sender, bool& done) {
    if (idle) idle(sender, done);
    if (previewPending_) {
      previewPending_ = false;
      glDisplay_->SetFullScreen(true);
    }
  };
}

void TFormSettings::StartPreview() {
  if (inDialogFrame_)
    previewPending_ = true;
  else
    glDisplay_->SetFullScreen(true);
}

void TFormSettings::FillDialogControls() {
  if (scene_) scene_->FillControls();
}

void TFormSettings::DrawDialog(float deltaTime) {
  if (!gui_ || !scene_ || glDisplay_->FullScreen()) return;
  // The whole window, not only the panel the scene kept to.
  const int width = glWindow_->ClientWidth(), height = glWindow_->ClientHeight();
  if (GL.glDisable) GL.glDisable(GL_SCISSOR_TEST);
  if (GL.glViewport) GL.glViewport(0, 0, width, height);
  struct FrameOpen {
    bool& open;
    explicit FrameOpen(bool& flag) : open(flag) { open = true; }
    ~FrameOpen() { open = false; }
  } frameOpen(inDialogFrame_);
  gui_->NewFrame(width, height, deltaTime);
  scene_->DrawDialog(*gui_);
  gui_->Render(glScreenSaver_->OpenGL() && glScreenSaver_->OpenGL()->Active());
}

TFormSettings::~TFormSettings() {
  // The scene goes before the components: its objects live in the
  // rendering context's lists.
  if (scene_) scene_->Stop();
  scene_.reset();
  if (glScreenSaver_) {
    glScreenSaver_->OnStop = nullptr;
    // The dialog goes with this body; the components stop OpenGL later.
    glScreenSaver_->OnStopOpenGL = nullptr;
    glScreenSaver_->OnIdle = nullptr;
  }
  if (glWindow_) glWindow_->OnInput = nullptr;
  gui_.reset();
}

void TFormSettings::VisibleChanged() {
  if (Visible() && glWindow_) glWindow_->HandleNeeded();
}

void TFormSettings::ScreenSaverStart(void*) {
  if (scene_)
    scene_->Start();
  else
    glScreenSaver_->LoadOptions();
}

void TFormSettings::ScreenSaverStop(void*) {
  if (scene_) scene_->Stop();
}

void TFormSettings::ScreenSaverLoadOptions(void*) {
  if (scene_) scene_->LoadOptions();
}

void TFormSettings::ScreenSaverSaveOptions(void*) {
  if (scene_) scene_->SaveOptions();
}

void TFormSettings::ScreenSaverStartOpenGL(void*) {
  if (scene_) scene_->StartOpenGL();
}

void TFormSettings::ScreenSaverRender(float deltaTime, bool) {
  if (scene_)
    scene_->Render(deltaTime);
  else if (GL.glClear)  // the window's colour, set by the viewport
    GL.glClear(GL_COLOR_BUFFER_BIT);
  if (gui_) DrawDialog(deltaTime);
}

void TFormSettings::ScreenSaverFPSChanged(void*) {
  // Outside the settings dialog the frame rate goes to the title.
  if (platform::NativeWindow* handle = glWindow_->Handle(); handle && !gui_)
    handle->SetTitle(Format("Velmora - %d FPS", glScreenSaver_->FPS()));
  if (scene_) scene_->FPSChanged();
}

// ---------------------------------------------------------------------------
// The program's own options

namespace {

[[noreturn]] void Bad(const std::string& text) { RaiseError("TProgramOptions", "Parse", text); }

const std::string& ValueOf(const std::vector<std::string>& argv, size_t& i) {
  if (i + 1 >= argv.size()) Bad(argv[i] + " needs a value");
  return argv[++i];
}

int IntValue(const std::string& option, const std::string& text, int low, int high) {
  std::optional<int64_t> v = ParseInt(text);
  if (!v || *v < low || *v > high) Bad(Format("%s needs a whole number %d..%d, not \"%s\"", option.c_str(), low, high,
                                              text.c_str()));
  return int(*v);
}

// The screen-saver roles' switches: a dash or a slash, then one of the
// letters s, c, p, l, a in either case, the host window after a colon or as
// the next argument; the X11 daemons' -window-id ID and -root (also with
// two dashes).
bool IsSaverSwitch(const std::string& a) {
  if (a == "-window-id" || a == "--window-id" || a == "-root" || a == "--root") return true;
  if (a.size() < 2 || (a[0] != '-' && a[0] != '/')) return false;
  const char letter = char(a[1] | 0x20);
  if (letter != 's' && letter != 'c' && letter != 'p' && letter != 'l' && letter != 'a') return false;
  return a.size() == 2 || (a[2] == ':' && (letter == 'c' || letter == 'p' || letter == 'l'));
}

// The switches that take the next argument as their value.
bool TakesValue(const std::string& a) {
  if (a == "-window-id" || a == "--window-id") return true;
  return a.size() == 2 && (a[0] == '-' || a[0] == '/') && (char(a[1] | 0x20) == 'p' || char(a[1] | 0x20) == 'l');
}

// Frames are written as JPEG or BMP, told by the name's extension.
bool IsPictureName(const std::string& name) {
  const size_t slash = name.find_last_of('/'), dot = name.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
  const std::string ext = LowerCase(name.substr(dot));
  return ext == ".jpg" || ext == ".jpeg" || ext == ".bmp";
}

}  // namespace

bool IsHelpSwitch(const std::string& a) { return a == "--help" || a == "-help" || a == "-h"; }

TProgramOptions ParseProgramOptions(const std::vector<std::string>& argv) {
  TProgramOptions o;
  using TRun = TProgramOptions::TRun;
  if (!argv.empty()) o.SaverArguments.push_back(argv[0]);
  bool rate = false, out = false, size = false, blank = false, strict = false;
  // Asking for help is never a mistake, whatever else the line holds.
  for (size_t i = 1; i < argv.size(); ++i) {
    if (IsHelpSwitch(argv[i])) {
      o.Run = TRun::roHelp;
      return o;
    }
  }
  for (size_t i = 1; i < argv.size(); ++i) {
    const std::string& a = argv[i];
    if (a == "--version") {
      o.Run = TRun::roVersion;
    } else if (a == "--film" || a == "--bench") {
      if (o.Run == TRun::roFilm || o.Run == TRun::roBench) Bad("--film and --bench go alone");
      if (o.Run == TRun::roCheck || o.Run == TRun::roSaveScene) Bad(a + " and --check or --save-scene go alone");
      const std::string& v = ValueOf(argv, i);
      if (a == "--film") {
        o.Run = TRun::roFilm;
        o.Seconds = IntValue(a, v, 1, 3600);
      } else {
        o.Run = TRun::roBench;
        std::optional<double> s = ParseFloat(v);
        if (!s || !(*s > 0) || *s > 3600) Bad("--bench needs seconds above 0, not \"" + v + "\"");
        o.Seconds = *s;
      }
    } else if (a == "--check" || a == "--save-scene") {
      if (o.Run != TRun::roSaver) Bad(a + " goes alone");
      if (a == "--check") {
        o.Run = TRun::roCheck;
      } else {
        o.Run = TRun::roSaveScene;
        o.SceneFile = ValueOf(argv, i);
        if (o.SceneFile.empty()) Bad("--save-scene needs a file name");
      }
    } else if (a == "--rate") {
      o.Rate = IntValue(a, ValueOf(argv, i), 1, 1000);
      rate = true;
    } else if (a == "--out") {
      o.Out = ValueOf(argv, i);
      if (o.Out.empty()) Bad("--out needs a file name");
      if (!IsPictureName(o.Out)) Bad("--out needs a name ending in .jpg or .bmp, not \"" + o.Out + "\"");
      out = true;
    } else if (a == "--size") {
      const std::string& v = ValueOf(argv, i);
      size_t x = v.find_first_of("xX");
      if (x == std::string::npos) Bad("--size needs WIDTHxHEIGHT, not \"" + v + "\"");
      o.Width = IntValue(a, v.substr(0, x), 1, 16384);
      o.Height = IntValue(a, v.substr(x + 1), 1, 16384);
      size = true;
    } else if (a == "--blank") {
      blank = true;
    } else if (a == "--leave-out") {
      const std::string& v = ValueOf(argv, i);
      for (size_t start = 0; start <= v.size();) {
        size_t comma = v.find(',', start);
        if (comma == std::string::npos) comma = v.size();
        if (comma == start) Bad("--leave-out needs part names separated by commas, not \"" + v + "\"");
        o.LeaveOut.push_back(v.substr(start, comma - start));
        start = comma + 1;
      }
    } else if (a == "--strict") {
      strict = true;
    } else if (a == "--seed") {
      const std::string& v = ValueOf(argv, i);
      std::optional<int64_t> seed = ParseInt(v);
      if (!seed || *seed < 0 || *seed > int64_t(UINT32_MAX))
        Bad(Format("--seed needs a whole number 0..%u, not \"%s\"", unsigned(UINT32_MAX), v.c_str()));
      o.Seed = uint32_t(*seed);
    } else if (a == "--at") {
      const std::string& v = ValueOf(argv, i);
      o.At = platform::ParseLocalDateTime(v);
      if (!o.At) Bad("--at needs a moment YYYY-MM-DDTHH:MM:SS that exists, not \"" + v + "\"");
    } else if (IsSaverSwitch(a)) {
      o.SaverArguments.push_back(a);
      // The window id after /p, /l and -window-id is no switch of its own.
      if (TakesValue(a) && i + 1 < argv.size()) o.SaverArguments.push_back(argv[++i]);
    } else if (a.size() > 1 && (a[0] == '-' || a[0] == '/')) {
      Bad("Unknown option " + a);
    } else {
      o.SaverArguments.push_back(a);
    }
  }
  if ((rate || out) && o.Run != TRun::roFilm) Bad("--rate and --out belong to --film");
  if (size && o.Run != TRun::roFilm && o.Run != TRun::roBench) Bad("--size belongs to --film or --bench");
  if (blank && o.Run != TRun::roBench) Bad("--blank belongs to --bench");
  if (!o.LeaveOut.empty() && o.Run != TRun::roBench) Bad("--leave-out belongs to --bench");
  if (strict && o.Run != TRun::roCheck) Bad("--strict belongs to --check");
  if ((o.Seed || o.At) && o.Run != TRun::roFilm && o.Run != TRun::roBench)
    Bad("--seed and --at belong to --film or --bench");
  if ((o.Run == TRun::roFilm || o.Run == TRun::roBench) && o.SaverArguments.size() > 1)
    Bad("--film and --bench take no screen-saver switches");
  if ((o.Run == TRun::roCheck || o.Run == TRun::roSaveScene) && o.SaverArguments.size() > 1)
    Bad("--check and --save-scene take no screen-saver switches");
  o.Blank = blank;
  o.Strict = strict;
  if (o.Run == TRun::roFilm && o.Out.empty()) o.Out = "Film.jpg";
  return o;
}

// ---------------------------------------------------------------------------
// Runs

namespace {

// The clocks of a film or a benchmark when --at sets them: that moment,
// advanced by the run's own time instead of the wall clock's.
class TRunLocalTime {
 public:
  explicit TRunLocalTime(const std::optional<platform::LocalDateTime>& at) {
    if (!at) return;
    time_.emplace(platform::Get<platform::LocalTime>(), *at);
    use_.emplace(&*time_);
  }
  void SetOffset(int64_t milliseconds) {
    if (time_) time_->SetOffset(milliseconds);
  }

 private:
  std::optional<platform::FilmLocalTime> time_;
  std::optional<platform::ScopedService<platform::LocalTime>> use_;
};

}  // namespace

// Frames until OpenGL runs, or nothing more to wait for.
bool WaitForOpenGL(TGLScreenSaver& app) {
  for (int frame = 0; frame < 200 && !Application().Terminated(); ++frame) {
    Application().HandleMessage();
    if (app.GLStarted()) return true;
  }
  return app.GLStarted();
}

// The arguments of a run of its own: the program role.
void OwnRunArguments() {
  std::vector<std::string> args = Application().Arguments();
  if (args.size() > 1) args.resize(1);
  if (args.empty()) args.push_back("velmora");
  Application().SetArguments(args);
}

int RunSaver() {
  TFormSettings form;
  Application().Run();
  return 0;
}

int RunFilm(const TProgramOptions& options) {
  platform::Get<platform::Windows>().UseOffscreen(false);
  OwnRunArguments();
  TRunLocalTime clocks(options.At);
  TFormSettings form(true);
  TGLScreenSaver& app = *form.GLScreenSaver();
  app.RandomSeed = options.Seed;
  app.OnFilmTime = [&clocks](int64_t milliseconds) { clocks.SetOffset(milliseconds); };
  form.GLWindow()->SetBounds(0, 0, options.Width > 0 ? options.Width : 640,
                             options.Height > 0 ? options.Height : 480);
  form.Show();
  const int64_t wanted = int64_t(options.Seconds) * options.Rate;
  int64_t written = 0;
  if (WaitForOpenGL(app)) {
    app.SnapshotsEnabled = true;
    written = app.RecordFilm(int(options.Seconds), options.Rate, options.Out);
  } else if (!Application().Terminated()) {
    RaiseError("TGLScreenSaver", "RecordFilm", "OpenGL could not be started");
  }
  std::printf("frames=%lld\n", static_cast<long long>(written));
  std::fflush(stdout);
  if (written < wanted && Application().Terminated()) {
    // Told to end (SIGTERM): the frames so far are whole files.
    std::fprintf(stderr, "velmora: film interrupted after %lld of %lld frames\n", static_cast<long long>(written),
                 static_cast<long long>(wanted));
    return kExitInterrupted;
  }
  return 0;
}

int RunBench(const TProgramOptions& options) {
  platform::Get<platform::Windows>().UseOffscreen(true);
  OwnRunArguments();
  TRunLocalTime clocks(options.At);
  TFormSettings form(true);
  TGLScreenSaver& app = *form.GLScreenSaver();
  app.RandomSeed = options.Seed;
  int64_t frames = 0;
  if (options.Width > 0) {
    form.GLWindow()->SetBounds(0, 0, options.Width, options.Height);
  } else {
    app.ExitWithFullScreen = true;
    form.GLDisplay()->SetFullScreen(true);
  }
  form.Show();
  if (!WaitForOpenGL(app)) RaiseError("TGLScreenSaver", "Bench", "OpenGL could not be started");
  for (const std::string& part : options.LeaveOut)
    if (!form.Scene() || !form.Scene()->LeaveOut(part))
      RaiseError("TGLScreenSaver", "Bench", "--leave-out: the scene has no part \"" + part + "\"");
  // As fast as the loop goes: no retrace, no Low CPU sleep, no pacing.
  app.OpenGL()->WaitSync = false;
  app.LowCPU = false;
  app.FramePacer().SetEnabled(false);
  const bool blank = options.Blank;
  app.OnRender = [&frames, &form, blank](float deltaTime, bool select) {
    if (!blank) form.ScreenSaverRender(deltaTime, select);
    ++frames;
  };
  const double start = app.Timer().GetTime().Seconds();
  // The processor time of every thread (the software renderer's too): on a
  // busy machine a steadier measure of a frame's work than the wall clock.
  const std::clock_t cpuStart = std::clock();
  double elapsed = 0;
  while (!Application().Terminated()) {
    Application().HandleMessage();
    elapsed = app.Timer().GetTime().Seconds() - start;
    clocks.SetOffset(int64_t(elapsed * 1000));
    if (elapsed >= options.Seconds) break;
  }
  double fps = elapsed > 0 ? double(frames) / elapsed : 0;
  double ms = frames > 0 ? elapsed * 1000.0 / double(frames) : 0;
  const double cpuMs =
      frames > 0 ? double(std::clock() - cpuStart) * 1000.0 / CLOCKS_PER_SEC / double(frames) : 0;
  std::printf("frames=%lld seconds=%.3f fps=%.1f ms_per_frame=%.3f cpu_ms_per_frame=%.3f\n",
              static_cast<long long>(frames), elapsed, fps, ms, cpuMs);
  std::fflush(stdout);
  return 0;
}

}  // namespace velmora
