#include "app/SettingsForm.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "core/Error.h"
#include "core/Strings.h"
#include "gl/GLEntryPoints.h"
#include "platform/Display.h"
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
  app.OnRender = [this](float deltaTime, bool) { RenderSceneSide(deltaTime); };
  app.OnRenderDialog = [this](float deltaTime) {
    if (gui_) DrawDialog(deltaTime);
  };
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
  Color = clSettingsForm;
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
  glScreenSaver_->OnIdle = [this](void*, bool&) { StartPendingPreview(); };
}

void TFormSettings::StartPendingPreview() {
  if (!previewPending_) return;
  previewPending_ = false;
  glDisplay_->SetFullScreen(true);
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
    glScreenSaver_->OnRenderDialog = nullptr;
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
  RenderSceneSide(deltaTime);
  if (gui_) DrawDialog(deltaTime);
}

void TFormSettings::RenderSceneSide(float deltaTime) {
  if (scene_)
    scene_->Render(deltaTime);
  else if (GL.glClear)  // the window's colour, set by the viewport
    GL.glClear(GL_COLOR_BUFFER_BIT);
}

void TFormSettings::ScreenSaverFPSChanged(void*) {
  // Outside the settings dialog the frame rate goes to the title.
  if (platform::NativeWindow* handle = glWindow_->Handle(); handle && !gui_)
    handle->SetTitle(Format("Velmora - %d FPS", glScreenSaver_->FPS()));
  if (scene_) scene_->FPSChanged();
}

}  // namespace velmora
