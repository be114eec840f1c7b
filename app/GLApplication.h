// The OpenGL application: the frame loop of the application object turned
// into a render loop.
//
// It owns the rendering context (OpenGL) and the default viewport with its
// camera, and is linked to a display (full-screen modes) and a window (the
// surface OpenGL draws into). Each frame (Idle) it starts OpenGL when the
// window has a device context and OpenGL is not running, measures the time
// since the previous frame, fires OnUpdate with it, lets the viewport clear
// the buffers and load projection and camera, fires OnRender and swaps the
// buffers.
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

#include "app/ApplicationPro.h"
#include "app/FramePacer.h"
#include "app/GLDisplay.h"
#include "app/GLWindow.h"
#include "core/Event.h"
#include "gl/OpenGL.h"
#include "gl/Types.h"
#include "gl/Viewport.h"
#include "platform/Window.h"

namespace velmora {

// The event types, parameters in declared order; they carry no sender.
using TUpdateEvent = TEvent<float>;        // DeltaTime
using TRenderEvent = TEvent<float, bool>;  // DeltaTime, Select (false for every frame drawn here)
using TFilmTimeEvent = TEvent<int64_t>;    // the film's own time in milliseconds

// The buffers cleared before each frame: a set of these flags.
using TClearMode = uint8_t;
enum : TClearMode {
  cmColor = 1,
  cmDepth = 2,
  cmStencil = 4,
  cmAccum = 8,
};

class TCustomGLApplication;

// The device context of the platform: the window itself (see GLWindow.h).
using TDeviceContext = platform::NativeWindow*;

class TOpenGLVector {
 public:
  TOpenGLVector() = default;
  TOpenGLVector(float x, float y, float z) : Y(y), X(x), Z(z) {}
  void Assign(const TOpenGLVector& other) { *this = other; }
  TGLVector Vector() const { return TGLVector{X, Y, Z}; }

  // Held in the order Y, X, Z, as the form stores them.
  float Y = 0;
  float X = 0;
  float Z = 0;
};

class TOpenGLCamera {
 public:
  // At (0, 0, 200) looking at the origin, up (0, 1, 0).
  TOpenGLCamera();
  void Assign(const TOpenGLCamera& other) { *this = other; }

  TOpenGLVector Position;
  TOpenGLVector Up;
  TOpenGLVector Direction;
};

// Left, right, bottom, top (at the near plane), near, far.
struct TFrustum {
  double Left = 0, Right = 0, Bottom = 0, Top = 0, Near = 0, Far = 0;
};

class TDefViewport {
 public:
  explicit TDefViewport(TCustomGLApplication* application);

  // Copies the settings (not the GL object nor the application).
  void Assign(const TDefViewport& other);

  // Before every render: size and aspect, projection, camera, clear.
  void Apply();
  // The perspective box scene objects cull against; the aspect is always
  // 4:3 or 16:9, as Apply uses it.
  TFrustum GetFrustum();
  const TFrustum& Frustum() const { return frustum_; }

  // The application window's current client size.
  int WindowWidth() const;
  int WindowHeight() const;

  // The GL object holding projection and view, made by the first Apply.
  TGLViewport* GLViewport() const { return glViewport_; }

  TCustomGLApplication* Application() const { return application_; }

  bool Perspective = true;
  double FarDepth = 10000.0;
  double NearDepth = 100.0;
  double FOV = 75.0;
  bool Cleared = true;
  bool Enabled = true;
  TClearMode ClearMode = cmColor | cmDepth;
  // 16:9 projection; Apply turns it on for good when the output is wider
  // than 1.6:1.
  bool WideScreen = false;
  // 4:3 whatever the window's shape.
  bool Stretch = false;

  TOpenGLCamera& Camera() { return camera_; }
  void SetCamera(const TOpenGLCamera& camera) { camera_.Assign(camera); }

  // The output size Apply uses: the window's when windowed; in full screen
  // the size of what Monitor chooses (see Apply in the implementation).
  static void OutputSize(bool fullScreen, int monitor, int windowWidth, int windowHeight, int& width, int& height);

 private:
  TCustomGLApplication* application_;
  TGLViewport* glViewport_ = nullptr;  // owned by the context's viewport list
  TCustomOpenGL* glViewportOwner_ = nullptr;
  TOpenGLCamera camera_;
  TFrustum frustum_;
};

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

class TCustomGLApplication : public TCustomGraphicApplicationPro {
 public:
  explicit TCustomGLApplication(TComponent* owner);
  // Leaves full screen, unlinks display and window, frees OpenGL.
  ~TCustomGLApplication() override;

  void Notification(TComponent* component, TOperation operation) override;
  void Start() override;
  void Stop() override;
  void HandleException(void* sender, const std::exception& error) override;
  void MessageHook(platform::Message& message, bool& handled) override;
  void Idle(void* sender, bool& done) override;
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

  // Viewport, update, render, swap of one frame (also the film's frames).
  void RenderScene(TDeviceContext deviceContext, float deltaTime);

  TDefViewport& Viewport() { return *viewport_; }
  void SetViewport(const TDefViewport& viewport) { viewport_->Assign(viewport); }

  TCustomGLDisplay* Display() const { return display_; }
  void SetDisplay(TCustomGLDisplay* display);
  TCustomGLWindow* Window() const { return window_; }
  void SetWindow(TCustomGLWindow* window);

  // nullptr in design mode.
  TCustomAppOpenGL* OpenGL() const { return openGL_.get(); }
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

  bool inIdle_ = false;
  bool glStarted_ = false;
  double lastFrameTime_ = 0;
  bool displayOptionsLoaded_ = false;
  bool poweredOff_ = false;
  TDeviceContext deviceContext_ = nullptr;

 private:
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
