// The OpenGL application: the frame loop of the application object turned
// into a render loop.
//
// It owns the rendering context (OpenGL) and the default viewport with its
// camera, and is linked to a display (full-screen modes) and a window (the
// surface OpenGL draws into). Each frame (Idle) it starts OpenGL when the
// window has a device context and OpenGL is not running, measures the time
// since the previous frame, fires OnUpdate with it, lets the viewport clear
// the buffers and load projection and camera, fires OnRender, then
// OnRenderDialog, and swaps the buffers (the steps of
// TCustomApplicationPro::Idle).
//
// Rendering lifecycle: GLStarted false -> (device context, Active)
// StartOpenGL -> frames -> window handle destroyed / Stop / PowerOff ->
// StopOpenGL -> GLStarted false. A new handle brings a new device context,
// and the next frame starts OpenGL again; OpenGL objects are uploaded again
// on their next use.
//
// Full screen: the display's after-change event (DisplayChanged) rebuilds
// the window as a full-screen pop-up, or back in its place when full screen
// ends (unless ExitWithFullScreen, which ends the program instead).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/FramePacer.h"
#include "app/GLDisplay.h"
#include "app/GLWindow.h"
#include "app/GraphicApplicationPro.h"
#include "core/Event.h"
#include "gl/OpenGL.h"
#include "gl/Types.h"
#include "gl/Viewport.h"
#include "scene/DefViewport.h"
#include "scene/SceneHost.h"
#include "platform/Window.h"

namespace velmora {

// The event types, parameters in declared order; they carry no sender.
using TUpdateEvent = TEvent<float>;        // DeltaTime
using TRenderEvent = TEvent<float, bool>;  // DeltaTime, Select (false for every frame drawn here)
using TFilmTimeEvent = TEvent<int64_t>;    // the film's own time in milliseconds

class TCustomGLApplication;

// The device context of the platform: the window itself (see GLWindow.h).
using TDeviceContext = platform::NativeWindow*;

// The rendering context of the application: a renderer change restarts
// the application's OpenGL.
class TCustomAppOpenGL : public TCustomOpenGL {
 public:
  explicit TCustomAppOpenGL(TCustomGLApplication* application) : application_(application) {}
  void SetRenderer(TGLRenderer renderer) override;
  TCustomGLApplication* Application() const { return application_; }

 private:
  TCustomGLApplication* application_;
};

// It is the host of the scenes it shows (scene/SceneHost.h): their
// rendering context, viewport, frame rate and options store.
class TCustomGLApplication : public TCustomGraphicApplicationPro, public TSceneHost {
 public:
  explicit TCustomGLApplication(TComponent* owner);
  // Leaves full screen, unlinks display and window, frees OpenGL.
  ~TCustomGLApplication() override;

  void Notification(TComponent* component, TOperation operation) override;
  void Start() override;
  void Stop() override;
  void HandleException(void* sender, const std::exception& error) override;
  void MessageHook(platform::Message& message, bool& handled) override;
  void PowerOff() override;
  void PowerOn() override;
  void LoadOptions() override;
  void SaveOptions() override;

  // The virtual operations it appends, in slot order.
  virtual void DisplayChanged();
  virtual void LoadDisplayOptions();
  virtual void StartOpenGL(TDeviceContext deviceContext);
  virtual void StopOpenGL();
  virtual void RenderFrame(TDeviceContext deviceContext);
  virtual void ResizeViewport(int width, int height);

  // Viewport, render, dialog, swap of one frame (also the film's frames).
  void RenderScene(TDeviceContext deviceContext, float deltaTime);

  TDefViewport& Viewport() override { return *viewport_; }
  void SetViewport(const TDefViewport& viewport) { viewport_->Assign(viewport); }

  TCustomGLDisplay* Display() const { return display_; }
  void SetDisplay(TCustomGLDisplay* display);
  TCustomGLWindow* Window() const { return window_; }
  void SetWindow(TCustomGLWindow* window);

  // nullptr in design mode.
  TCustomAppOpenGL* OpenGL() const override { return openGL_.get(); }

  // The scene's host (scene/SceneHost.h): the window, the frame rate and
  // the option store as the scene sees them.
  bool Surface(TSceneSurface& surface) const override;
  int FPS() const override { return TCustomGraphicApplicationPro::FPS(); }
  void AddFPSListener(std::function<void(int)> listener) override;
  std::string ReadOptionString(const std::string& name, const std::string& defaultValue) override {
    return TCustomApplicationPro::ReadOptionString(name, defaultValue);
  }
  bool ReadOptionBool(const std::string& name, bool defaultValue) override {
    return TCustomApplicationPro::ReadOptionBool(name, defaultValue);
  }
  int ReadOptionInteger(const std::string& name, int defaultValue) override {
    return TCustomApplicationPro::ReadOptionInteger(name, defaultValue);
  }
  void WriteOptionString(const std::string& name, const std::string& value) override {
    TCustomApplicationPro::WriteOptionString(name, value);
  }
  void WriteOptionBool(const std::string& name, bool value) override {
    TCustomApplicationPro::WriteOptionBool(name, value);
  }
  void WriteOptionInteger(const std::string& name, int value) override {
    TCustomApplicationPro::WriteOptionInteger(name, value);
  }
  void UsePlainOptions() override;
  void Warn(std::string_view className, std::string_view operation, std::string_view text) override {
    TCustomApplicationPro::WarnOption(className, operation, text);
  }
  TDeviceContext DeviceContext() const { return deviceContext_; }
  bool GLStarted() const { return glStarted_; }
  bool InIdle() const { return inIdle_; }
  double LastFrameTime() const { return lastFrameTime_; }
  bool DisplayOptionsLoaded() const { return displayOptionsLoaded_; }

  // The display's mode filter: at least 16 bits and 480 lines.
  void AcceptMode(int colorDepth, int width, int height, bool& accept);

  // Ctrl+Print Screen: one picture, the capture count in its name.
  void SaveSnapshot(const std::string& fileName);
  // Shift+Print Screen: seconds x frameRate frames in fixed time steps.
  // Stops early after the frame in hand on a key or when the application
  // is told to end (SIGTERM, a window close); returns the frames written.
  int64_t RecordFilm(int seconds, int frameRate, const std::string& fileName);
  // The hot keys' files go to the user's pictures folder: fileName there
  // unless it is absolute.
  std::string InPicturesFolder(const std::string& fileName) const;
  // The file a snapshot is saved as: the count, five digits, before the
  // extension ("Film.jpg", 1 -> "Film00001.jpg").
  static std::string SnapshotFileName(const std::string& fileName, int counter);

  void ShowGLWindow();
  void HideGLWindow();
  void EnableMainForm(bool enabled);

  // The window's close request: answers true (refuse) when it was full
  // screen, which it leaves.
  bool WindowCloseRequest();

  // Frames are drawn only when set (the main form sets it).
  bool Active = false;
  // Leaving full screen ends the program.
  bool ExitWithFullScreen = false;
  std::string FilmFileName = "Film.jpg";
  int FilmSeconds = 1;
  int FilmFrameRate = 25;
  // 1..100.
  int JpegQuality = 100;
  bool SnapshotsEnabled = false;
  // The percentage of the window's pixels the scene is drawn at (then drawn
  // up with linear filtering): 100, 75 or 50; stored as "RenderScale".
  int RenderScale = 100;
  // A stored or given render scale brought to the nearest of 100, 75, 50.
  static int ValidRenderScale(int percent);
  // A film is being recorded; any key press ends it.
  bool Recording = false;
  // The seed of the random numbers the scene starts with; none: the clock's
  // milliseconds (every run differs).
  std::optional<uint32_t> RandomSeed;

  TNotifyEvent OnStartOpenGL;
  TNotifyEvent OnStopOpenGL;
  TRenderEvent OnRender;
  // After OnRender, before the swap: what is drawn over the scene (the
  // settings dialog).
  TUpdateEvent OnRenderDialog;
  TUpdateEvent OnUpdate;
  // Before each frame of a film: the time of that frame from the film's
  // start (frame index / rate).
  TFilmTimeEvent OnFilmTime;
  TViewportEvent OnResizeViewport;
  TNotifyEvent OnSnapShot;

  // How Start ends the process when no display mode is usable; tests
  // replace it.
  static inline std::function<void(int)> ExitProcess;

  // Keeps frames to the display's refresh rate where swaps do not wait
  // (FramePacer.h); benchmarks and films switch it off.
  TFramePacer& FramePacer() { return framePacer_; }

 protected:
  // Raises the window drawn into (a second copy asked for it).
  void BringToFront() override;

  // The frame's steps (see TCustomApplicationPro::Idle): no frame within a
  // frame nor after PowerOff; OpenGL started when the window has a device
  // context; a frame drawn while Active with a window, a running context
  // and a render handler, in the time since the last one.
  bool EnterFrame() override;
  void LeaveFrame() override;
  void StartOpenGLStep() override;
  bool FrameDue(float& deltaTime) override;
  void UpdateStep(float deltaTime) override;
  void RenderSceneStep(float deltaTime) override;
  void RenderDialogStep(float deltaTime) override;
  void SwapStep() override;
  // After a swap, the wait that keeps frames at the display's rate where
  // the swap does not wait (see TFramePacer).
  void PacingStep() override;

  bool inIdle_ = false;
  bool swapped_ = false;
  bool glStarted_ = false;
  double lastFrameTime_ = 0;
  bool displayOptionsLoaded_ = false;
  bool poweredOff_ = false;
  // The scene of the frame in hand was drawn: its dialog and swap follow.
  bool sceneDrawn_ = false;
  TDeviceContext deviceContext_ = nullptr;

 private:
  // The time since the last frame drawn (0 for the first), read once.
  float NextFrameTime();

  std::unique_ptr<TDefViewport> viewport_;
  std::unique_ptr<TCustomAppOpenGL> openGL_;
  TCustomGLDisplay* display_ = nullptr;
  TCustomGLWindow* window_ = nullptr;
  TFramePacer framePacer_;
};

// The user's pictures folder: XDG_PICTURES_DIR of user-dirs.dirs in
// configHome (home + "/.config" when empty), as xdg-user-dir PICTURES
// answers; home when that names no folder that exists, or home itself.
std::string PicturesFolder(const std::string& home, const std::string& configHome);

}  // namespace velmora
