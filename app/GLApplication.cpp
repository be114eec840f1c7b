#include "app/GLApplication.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>

#include "app/ApplicationOptions.h"
#include "app/Form.h"
#include "app/ImageWriter.h"
#include "app/Toolkit.h"
#include "core/Error.h"
#include "core/Strings.h"
#include "gl/GLEntryPoints.h"
#include "gl/ScreenShot.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Display.h"
#include "platform/KeyCodes.h"
#include "platform/Service.h"
#include "platform/System.h"

namespace velmora {

namespace {

void Sleep(uint32_t milliseconds) { platform::Get<platform::Clock>().Sleep(milliseconds); }

}  // namespace

// ---------------------------------------------------------------------------
// The scene's host

bool TCustomGLApplication::Surface(TSceneSurface& surface) const {
  if (!window_) return false;
  surface.Width = window_->Width();
  surface.Height = window_->Height();
  surface.Left = window_->ViewportLeft();
  surface.Bottom = window_->ViewportBottom();
  surface.InPanel = window_->InPanel();
  surface.Monitor = window_->Monitor;
  surface.HasDisplay = display_ != nullptr;
  // A window with a surface on each output is drawn at its own size.
  const platform::NativeWindow* handle = window_->Handle();
  surface.FullScreen = display_ && display_->FullScreen() && !(handle && handle->OutputsApart());
  surface.Color = window_->Color;
  return true;
}

void TCustomGLApplication::AddFPSListener(std::function<void(int)> listener) {
  OnFPSChanged = [previous = OnFPSChanged, listener = std::move(listener), this](void* sender) {
    if (previous) previous(sender);
    listener(FPS());
  };
}

void TCustomGLApplication::UsePlainOptions() {
  SetUseLocalMachine(false);
  NamesScrambled = false;
}

// ---------------------------------------------------------------------------
// The application's rendering context

void TCustomAppOpenGL::SetRenderer(TGLRenderer renderer) {
  bool restart = renderer != Renderer() && Active() && application_;
  if (restart) {
    application_->StopOpenGL();
    UnloadLibrary();
  }
  TCustomOpenGL::SetRenderer(renderer);
  if (restart && application_->DeviceContext()) application_->StartOpenGL(application_->DeviceContext());
}

// ---------------------------------------------------------------------------
// The application

TCustomGLApplication::TCustomGLApplication(TComponent* owner)
    : TCustomGraphicApplicationPro(owner),
      viewport_(std::make_unique<TDefViewport>(this)),
      framePacer_([this] { return Timer().GetTime().Seconds(); },
                  [](double seconds) { Sleep(uint32_t(std::lround(seconds * 1000))); }) {
  inIdle_ = Designing();
  if (!Designing()) openGL_ = std::make_unique<TCustomAppOpenGL>(this);
}

TCustomGLApplication::~TCustomGLApplication() {
  inIdle_ = true;
  if (display_ && !Designing() && display_->FullScreen()) {
    ExitWithFullScreen = true;
    display_->SetFullScreen(false);
  }
  StopOpenGL();
  SetWindow(nullptr);
  SetDisplay(nullptr);
  viewport_.reset();
  openGL_.reset();
}

void TCustomGLApplication::SetDisplay(TCustomGLDisplay* display) {
  if (Designing()) {
    display_ = display;
    return;
  }
  if (display_) {
    display_->OnFilterMode = nullptr;
    display_->OnBeforeChange = nullptr;
    display_->OnAfterChange = nullptr;
  }
  display_ = display;
  if (display_) {
    display_->OnFilterMode = [this](int depth, int width, int height, bool& accept) {
      AcceptMode(depth, width, height, accept);
    };
    display_->OnBeforeChange = [this](void*) { LoadDisplayOptions(); };
    display_->OnAfterChange = [this](void*) { DisplayChanged(); };
  }
}

void TCustomGLApplication::SetWindow(TCustomGLWindow* window) {
  if (Designing()) {
    window_ = window;
    return;
  }
  if (window_) {
    window_->FullScreenQuery = nullptr;
    window_->OpenGLActiveQuery = nullptr;
    window_->CloseRequest = nullptr;
    window_->DeviceContextCreated = nullptr;
    window_->DeviceContextReleased = nullptr;
    window_->OnResize = nullptr;
    if (deviceContext_ == window_->Handle()) {
      StopOpenGL();
      deviceContext_ = nullptr;
    }
  }
  window_ = window;
  if (window_) {
    window_->FullScreenQuery = [this] { return display_ && display_->FullScreen(); };
    window_->OpenGLActiveQuery = [this] { return openGL_ && openGL_->Active(); };
    window_->CloseRequest = [this] { return WindowCloseRequest(); };
    window_->DeviceContextCreated = [this](platform::NativeWindow* dc) { deviceContext_ = dc; };
    window_->DeviceContextReleased = [this] {
      StopOpenGL();
      deviceContext_ = nullptr;
    };
    window_->OnResize = [this](int width, int height) { ResizeViewport(width, height); };
    if (window_->HandleAllocated()) deviceContext_ = window_->Handle();
  }
}

void TCustomGLApplication::Notification(TComponent* component, TOperation operation) {
  TCustomGraphicApplicationPro::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  if (display_ && component == display_) SetDisplay(nullptr);
  if (window_ && component == window_) SetWindow(nullptr);
}

void TCustomGLApplication::BringToFront() {
  if (window_ && window_->HandleAllocated()) window_->Handle()->Raise();
}

void TCustomGLApplication::AcceptMode(int colorDepth, int, int height, bool& accept) {
  accept = colorDepth >= 16 && height >= 480;
}

void TCustomGLApplication::Start() {
  if (display_) {
    display_->GetDesktopMode();
    if (display_->ColorDepthModes().Count() == 0) {
      platform::Get<platform::Dialogs>().MessageBox(
          "Warning! In this video mode, hardware 3D acceleration was not detected! \r\n"
          "You need to change Color Depth of your Windows desktop to High Color (16 bits) to run this program!",
          Title, platform::MessageIcon::Error);
      Application().Terminate();
      if (ExitProcess)
        ExitProcess(1);
      else
        std::exit(1);
      return;
    }
  }
  TCustomGraphicApplicationPro::Start();
}

void TCustomGLApplication::Stop() {
  StopOpenGL();
  TCustomGraphicApplicationPro::Stop();
}

bool TCustomGLApplication::EnterFrame() {
  if (inIdle_) return false;
  inIdle_ = true;
  return true;
}

void TCustomGLApplication::LeaveFrame() {
  // PowerOff keeps frames off for good.
  if (!poweredOff_) inIdle_ = false;
}

void TCustomGLApplication::StartOpenGLStep() {
  if (Active && !glStarted_ && deviceContext_) {
    Sleep(1);
    StartOpenGL(deviceContext_);
    Sleep(1);
    if (window_) ResizeViewport(window_->Width(), window_->Height());
    Sleep(1);
  }
}

bool TCustomGLApplication::FrameDue(float& deltaTime) {
  if (!Active || !window_ || !openGL_ || !openGL_->Active()) return false;
  if (Designing() || !OnRender) return false;
  deltaTime = NextFrameTime();
  return true;
}

float TCustomGLApplication::NextFrameTime() {
  // One reading: the clock may move between two, and the first frame must
  // take no time at all (a film starts from it).
  const double now = Timer().GetTime().Seconds();
  if (lastFrameTime_ == 0) lastFrameTime_ = now;
  const float deltaTime = float(now - lastFrameTime_);
  lastFrameTime_ = now;
  return deltaTime;
}

void TCustomGLApplication::UpdateStep(float deltaTime) {
  MaskFloatingPointExceptions();
  Fire(OnUpdate, deltaTime);
}

void TCustomGLApplication::RenderSceneStep(float deltaTime) {
  sceneDrawn_ = OnRender && openGL_ && openGL_->Active();
  if (!sceneDrawn_) return;
  viewport_->Apply();
  OnRender(deltaTime, false);
}

void TCustomGLApplication::RenderDialogStep(float deltaTime) {
  if (sceneDrawn_) Fire(OnRenderDialog, deltaTime);
}

void TCustomGLApplication::SwapStep() {
  if (!sceneDrawn_) return;
  sceneDrawn_ = false;
  MaskFloatingPointExceptions();
  openGL_->SwapBuffers(*deviceContext_);
  swapped_ = true;
}

void TCustomGLApplication::PacingStep() {
  if (!swapped_) return;
  swapped_ = false;
  framePacer_.FrameSwapped();
}

void TCustomGLApplication::StartOpenGL(TDeviceContext deviceContext) {
  if (!openGL_ || !deviceContext) return;
  if (!openGL_->Active()) openGL_->Activate(*deviceContext);
  // The driver may have made the surface again for its pixel format.
  if (window_) window_->UpdateRegistration();
  if (!openGL_->Active()) return;
  GL.glEnable(GL_DITHER);
  GL.glAlphaFunc(GL_GREATER, 0.0f);
  GL.glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  GL.glShadeModel(GL_SMOOTH);
  const uint32_t refresh = platform::Get<platform::Display>().CurrentMode().frequency;
  framePacer_.SetRefreshRate(refresh > 1 ? double(refresh) : 0.0);
  Fire(OnStartOpenGL, static_cast<void*>(this));
  glStarted_ = true;
}

void TCustomGLApplication::StopOpenGL() {
  if (!openGL_ || !openGL_->Active()) return;
  Fire(OnStopOpenGL, static_cast<void*>(this));
  openGL_->Deactivate();
  glStarted_ = openGL_->Active();
}

void TCustomGLApplication::RenderFrame(TDeviceContext deviceContext) {
  if (Designing() || !OnRender || !openGL_ || !openGL_->Active()) return;
  const float deltaTime = NextFrameTime();
  UpdateStep(deltaTime);
  RenderScene(deviceContext, deltaTime);
}

void TCustomGLApplication::RenderScene(TDeviceContext deviceContext, float deltaTime) {
  RenderSceneStep(deltaTime);
  if (!sceneDrawn_) return;
  RenderDialogStep(deltaTime);
  sceneDrawn_ = false;
  MaskFloatingPointExceptions();
  openGL_->SwapBuffers(*deviceContext);
}

void TCustomGLApplication::ResizeViewport(int width, int height) {
  if (OnResizeViewport && openGL_ && openGL_->Active()) OnResizeViewport(width, height);
}

void TCustomGLApplication::ShowGLWindow() {
  if (window_ && !window_->HandleAllocated()) {
    window_->SetVisible(true);
    window_->HandleNeeded();
  }
}

void TCustomGLApplication::HideGLWindow() {
  if (window_ && window_->HandleAllocated()) {
    window_->SetVisible(false);
    window_->DestroyHandle();
  }
}

void TCustomGLApplication::EnableMainForm(bool enabled) {
  if (TForm* form = Application().MainForm()) form->SetEnabled(enabled);
}

void TCustomGLApplication::DisplayChanged() {
  if (!display_) return;
  if (!display_->FullScreen()) {
    EnableMainForm(true);
    HideGLWindow();
    if (!ExitWithFullScreen && !Application().Terminated()) ShowGLWindow();
    ShowAppCursor(true);
  } else {
    if (window_ && window_->HandleAllocated()) {
      HideGLWindow();
      ShowGLWindow();
    }
    EnableMainForm(false);
    ShowAppCursor(!HideCursor);
  }
}

bool TCustomGLApplication::WindowCloseRequest() {
  bool wasFullScreen = display_ && display_->FullScreen();
  if (wasFullScreen) display_->SetFullScreen(false);
  if (ExitWithFullScreen) Application().Terminate();
  return wasFullScreen;
}

void TCustomGLApplication::LoadDisplayOptions() {
  if (displayOptionsLoaded_ || !display_) return;
  SetUseLocalMachine(true);
  NamesScrambled = true;
  display_->DesktopOnly = ReadOptionBool(kOptDesktopOnly.Name, kOptDesktopOnly.BoolDefault());
  TScreenMode mode;
  mode.SetModeText(ReadOptionString(kOptFullScreenMode.Name, display_->GetDefaultMode().ModeText()));
  display_->SetFullScreenMode(mode);
  displayOptionsLoaded_ = true;
}

void TCustomGLApplication::HandleException(void* sender, const std::exception& error) {
  if (display_ && display_->FullScreen()) {
    if (openGL_ && deviceContext_) openGL_->SwapBuffersIfOdd(*deviceContext_);
    ExitWithFullScreen = true;
    display_->SetFullScreen(false);
  }
  TCustomGraphicApplicationPro::HandleException(sender, error);
}

void TCustomGLApplication::PowerOff() {
  TCustomGraphicApplicationPro::PowerOff();
  inIdle_ = true;
  poweredOff_ = true;
  StopOpenGL();
}

void TCustomGLApplication::PowerOn() {
  TCustomGraphicApplicationPro::PowerOn();
  CloseApplication();
}

void TCustomGLApplication::LoadOptions() {
  if (Designing()) return;
  SetUseLocalMachine(true);
  NamesScrambled = true;
  if (window_) {
    if (platform::Get<platform::Display>().MonitorCount() >= 2)
      window_->Monitor = ReadOptionInteger(kOptMonitor.Name, window_->Monitor);
    else
      window_->Monitor = -1;
    HideGLWindow();
    ShowGLWindow();
  }
  if (display_) {
    display_->DesktopOnly = ReadOptionBool(kOptDesktopOnly.Name, kOptDesktopOnly.BoolDefault());
    TScreenMode mode;
    mode.SetModeText(ReadOptionString(kOptFullScreenMode.Name, display_->GetDefaultMode().ModeText()));
    display_->SetFullScreenMode(mode);
  }
  displayOptionsLoaded_ = true;
  if (openGL_) {
    openGL_->WaitSync = ReadOptionBool(kOptWaitSync.Name, openGL_->WaitSync);
    // glrDirectX is the software rasterizer on this platform, so it is the
    // user's choice, never the default: with it on by default every machine
    // with a real GPU would draw with the CPU.
    if (ReadOptionBool(kOptDirectX.Name, kOptDirectX.BoolDefault())) openGL_->SetRenderer(glrDirectX);
  }
  FilmFileName = ReadOptionString(kOptFilmFileName.Name, kOptFilmFileName.Text);
  FilmSeconds = ReadOptionInteger(kOptFilmSeconds.Name, kOptFilmSeconds.Default);
  FilmFrameRate = ReadOptionInteger(kOptFilmFrameRate.Name, kOptFilmFrameRate.Default);
  SnapshotsEnabled = ReadOptionBool(kOptSnapshotsEnabled.Name, kOptSnapshotsEnabled.BoolDefault());
  JpegQuality = ReadOptionInteger(kOptJpegQuality.Name, kOptJpegQuality.Default);
  viewport_->WideScreen = ReadOptionBool(kOptWideScreen.Name, viewport_->WideScreen);
  RenderScale = ValidRenderScale(ReadOptionInteger(kOptRenderScale.Name, kOptRenderScale.Default));
  TCustomGraphicApplicationPro::LoadOptions();
}

void TCustomGLApplication::SaveOptions() {
  if (Designing()) return;
  SetUseLocalMachine(true);
  NamesScrambled = true;
  if (display_) {
    WriteOptionBool(kOptDesktopOnly.Name, display_->DesktopOnly);
    WriteOptionString(kOptFullScreenMode.Name, display_->FullScreenMode().ModeText());
  }
  if (window_) WriteOptionInteger(kOptMonitor.Name, window_->Monitor);
  if (openGL_) {
    WriteOptionBool(kOptWaitSync.Name, openGL_->WaitSync);
    WriteOptionBool(kOptDirectX.Name, openGL_->Renderer() == glrDirectX);
  }
  WriteOptionString(kOptFilmFileName.Name, FilmFileName);
  WriteOptionInteger(kOptFilmSeconds.Name, FilmSeconds);
  WriteOptionInteger(kOptFilmFrameRate.Name, FilmFrameRate);
  WriteOptionInteger(kOptJpegQuality.Name, JpegQuality);
  WriteOptionBool(kOptSnapshotsEnabled.Name, SnapshotsEnabled);
  WriteOptionInteger(kOptRenderScale.Name, ValidRenderScale(RenderScale));
  TCustomGraphicApplicationPro::SaveOptions();
}

int TCustomGLApplication::ValidRenderScale(int percent) {
  if (percent >= 88) return 100;
  if (percent >= 63) return 75;
  return 50;
}

void TCustomGLApplication::MessageHook(platform::Message& message, bool& handled) {
  using platform::MessageKind;
  if (message.kind == MessageKind::KeyUp && message.key == platform::vkSnapshot) {
    handled = true;
    if (message.ctrl) {
      if (OnSnapShot)
        OnSnapShot(static_cast<void*>(this));
      else
        SaveSnapshot(InPicturesFolder(AppName() + ".jpg"));
    } else if (message.shift) {
      RecordFilm(FilmSeconds, FilmFrameRate, InPicturesFolder(FilmFileName));
    }
    return;
  }
  if (message.kind == MessageKind::KeyDown || message.kind == MessageKind::SysKeyDown) Recording = false;
  TCustomGraphicApplicationPro::MessageHook(message, handled);
}

std::string PicturesFolder(const std::string& home, const std::string& configHome) {
  namespace fs = std::filesystem;
  const std::string config = !configHome.empty() ? configHome : home.empty() ? std::string() : home + "/.config";
  std::string folder;
  if (!config.empty()) {
    std::ifstream dirs(config + "/user-dirs.dirs");
    std::string line;
    while (std::getline(dirs, line)) {
      const std::string key = "XDG_PICTURES_DIR=";
      if (line.rfind(key, 0) != 0) continue;
      std::string value = line.substr(key.size());
      if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
      if (value.rfind("$HOME", 0) == 0) value = home + value.substr(5);
      // Only absolute paths and $HOME paths are allowed in that file; a
      // folder that is the home itself means "no pictures folder".
      if (!value.empty() && value[0] == '/') folder = value;
    }
  }
  std::error_code error;
  auto same = [](const std::string& a, const std::string& b) {
    auto plain = [](const std::string& p) {
      std::string n = fs::path(p).lexically_normal().string();
      while (n.size() > 1 && n.back() == '/') n.pop_back();
      return n;
    };
    return plain(a) == plain(b);
  };
  if (!folder.empty() && !same(folder, home) && fs::is_directory(folder, error)) return folder;
  return home;
}

std::string TCustomGLApplication::InPicturesFolder(const std::string& fileName) const {
  if (fileName.empty() || fileName[0] == '/') return fileName;
  platform::System& system = platform::Get<platform::System>();
  const std::string folder = PicturesFolder(system.Environment("HOME"), system.Environment("XDG_CONFIG_HOME"));
  return folder.empty() ? fileName : folder + "/" + fileName;
}

std::string TCustomGLApplication::SnapshotFileName(const std::string& fileName, int counter) {
  size_t slash = fileName.find_last_of('/');
  size_t dot = fileName.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) dot = fileName.size();
  return fileName.substr(0, dot) + Format("%.5d", counter) + fileName.substr(dot);
}

void TCustomGLApplication::SaveSnapshot(const std::string& fileName) {
  if (!SnapshotsEnabled || !openGL_ || !openGL_->Active() || !window_) return;
  TGLScreenShot& shot = *openGL_->ScreenShot();
  shot.Capture(*window_->Handle());
  std::string name = SnapshotFileName(fileName, shot.Counter);
  TBitmap24 image(shot.Width(), shot.Height());
  for (int y = 0; y < shot.Height(); ++y) {
    const uint8_t* src = shot.ScanLine(shot.Height() - 1 - y);
    uint8_t* dst = image.ScanLine(y);
    for (int x = 0; x < shot.Width(); ++x) {
      dst[3 * x] = src[3 * x + 2];
      dst[3 * x + 1] = src[3 * x + 1];
      dst[3 * x + 2] = src[3 * x];
    }
  }
  size_t dot = name.find_last_of('.');
  std::string ext = dot == std::string::npos ? std::string() : LowerCase(name.substr(dot));
  if (ext == ".bmp") {
    image.SaveToFile(name);
  } else if (ext == ".jpg" || ext == ".jpeg") {
    TJpegWriter jpeg;
    jpeg.SetQuality(JpegQuality);
    jpeg.Assign(image);
    jpeg.SaveToFile(name);
  }
}

int64_t TCustomGLApplication::RecordFilm(int seconds, int frameRate, const std::string& fileName) {
  if (!SnapshotsEnabled || !Active || !window_ || !openGL_ || !openGL_->Active()) return 0;
  if (frameRate <= 0 || seconds <= 0) return 0;
  float step = 1.0f / float(frameRate);
  openGL_->ScreenShot()->Counter = 0;
  Recording = true;
  // A film's frames come as fast as they are drawn.
  const bool paced = framePacer_.Enabled();
  framePacer_.SetEnabled(false);
  const int64_t frames = int64_t(seconds) * int64_t(frameRate);
  int64_t written = 0;
  while (written < frames && !Application().Terminated()) {
    Fire(OnFilmTime, written * 1000 / frameRate);
    Fire(OnUpdate, step);
    RenderScene(deviceContext_, step);
    SaveSnapshot(fileName);
    ++written;
    Application().ProcessMessages();
    if (!Recording) break;
  }
  Recording = false;
  framePacer_.SetEnabled(paced);
  return written;
}

}  // namespace velmora
