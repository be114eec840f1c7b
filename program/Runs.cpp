#include "program/Runs.h"

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "app/SettingsForm.h"
#include "app/Toolkit.h"
#include "core/Error.h"
#include "platform/FilmLocalTime.h"
#include "platform/Service.h"
#include "platform/Window.h"
#include "scene/FormScene.h"
#include "scene/PassTimes.h"

namespace velmora {

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

int RunSaver(const TProgramOptions& options) {
  TFormSettings form;
  if (options.FramesPerSecond > 0 && form.GLScreenSaver())
    form.GLScreenSaver()->FramePacer().SetFixedRate(options.FramesPerSecond);
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
  // Made before the form, so that it outlives the scene that points at it.
  TPassTimes passTimes;
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
  if (options.PassTimes && !(form.Scene() && form.Scene()->TimePasses(&passTimes)))
    RaiseError("TGLScreenSaver", "Bench", "--pass-times: the scene cannot be timed");
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
  if (options.PassTimes) {
    passTimes.Report(stdout);
    form.Scene()->TimePasses(nullptr);
  }
  // The figures stay the last line, where scripts look for them.
  std::printf("frames=%lld seconds=%.3f fps=%.1f ms_per_frame=%.3f cpu_ms_per_frame=%.3f\n",
              static_cast<long long>(frames), elapsed, fps, ms, cpuMs);
  std::fflush(stdout);
  return 0;
}

}  // namespace velmora
