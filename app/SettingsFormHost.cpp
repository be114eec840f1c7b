// The settings form as the settings host of the world's form side and
// dialogs (world/dialogs/SettingsHost.h): each call reads or changes the
// form's screen saver, the display and the window linked to it, or the
// form itself.
#include "app/SettingsForm.h"

namespace velmora {

TSceneHost& TFormSettings::SceneHost() { return *glScreenSaver_; }

std::string TFormSettings::ExeDir() const { return glScreenSaver_->ExeDir(); }

std::string TFormSettings::Title() const { return glScreenSaver_->Title; }

std::string TFormSettings::HelpFileName() const { return glScreenSaver_->HelpFileName(); }

bool TFormSettings::InPreview() const { return glScreenSaver_->Role() == srPreview; }

bool TFormSettings::InSettingsRole() const {
  const TSaverRole role = glScreenSaver_->Role();
  return role == srProgram || role == srConfig;
}

std::optional<uint32_t> TFormSettings::RandomSeed() const { return glScreenSaver_->RandomSeed; }

void TFormSettings::LoadApplicationOptions() { glScreenSaver_->LoadOptions(); }

std::string TFormSettings::SaveApplicationOptions() {
  glScreenSaver_->ClearWriteError();
  glScreenSaver_->SaveOptions();
  return glScreenSaver_->WriteError();
}

TSaverSettings TFormSettings::SaverSettings() const {
  const TGLScreenSaver& app = *glScreenSaver_;
  TSaverSettings settings;
  settings.RenderScale = app.RenderScale;
  settings.PowerOffIndex = app.PowerOffIndex();
  settings.MonitorOffIndex = app.MonitorOffIndex();
  settings.Monitor = app.Window() ? app.Window()->Monitor : -1;
  settings.MouseMoveExit = app.MouseMoveExit;
  settings.RunAsProgram = app.RunAsProgram;
  settings.SnapshotsEnabled = app.SnapshotsEnabled;
  settings.LowCPU = app.LowCPU;
  return settings;
}

void TFormSettings::SetSaverSettings(const TSaverSettings& settings) {
  TGLScreenSaver& app = *glScreenSaver_;
  if (TCustomGLWindow* window = app.Window()) window->Monitor = settings.Monitor;
  app.SetPowerOffIndex(settings.PowerOffIndex);
  app.SetMonitorOffIndex(settings.MonitorOffIndex);
  app.RenderScale = settings.RenderScale;
  app.MouseMoveExit = settings.MouseMoveExit;
  app.RunAsProgram = settings.RunAsProgram;
  app.SnapshotsEnabled = settings.SnapshotsEnabled;
  app.LowCPU = settings.LowCPU;
}

bool TFormSettings::HasDisplay() const { return glScreenSaver_->Display() != nullptr; }

bool TFormSettings::FullScreen() const {
  const TCustomGLDisplay* display = glScreenSaver_->Display();
  return display && display->FullScreen();
}

void TFormSettings::GetColorDepthNames(std::vector<std::string>& list) {
  if (TCustomGLDisplay* display = glScreenSaver_->Display()) display->GetColorDepthNames(list);
}

void TFormSettings::GetScreenSizes(std::vector<std::string>& list) {
  if (TCustomGLDisplay* display = glScreenSaver_->Display()) display->GetScreenSizes(list);
}

int TFormSettings::ColorDepthIndex() {
  TCustomGLDisplay* display = glScreenSaver_->Display();
  return display ? display->ColorDepthIndex() : -1;
}

int TFormSettings::ScreenSizeIndex() {
  TCustomGLDisplay* display = glScreenSaver_->Display();
  return display ? display->ScreenSizeIndex() : -1;
}

bool TFormSettings::DesktopOnly() const {
  const TCustomGLDisplay* display = glScreenSaver_->Display();
  return display && display->DesktopOnly;
}

void TFormSettings::SetDesktopOnly(bool value) {
  if (TCustomGLDisplay* display = glScreenSaver_->Display()) display->DesktopOnly = value;
}

void TFormSettings::SetFullScreenDepthName(const std::string& name) {
  TCustomGLDisplay* display = glScreenSaver_->Display();
  if (!display) return;
  TScreenMode mode;
  mode.Assign(display->FullScreenMode());
  mode.SetColorDepthName(name);
  display->SetFullScreenMode(mode);
}

void TFormSettings::SetFullScreenSizeText(const std::string& text) {
  TCustomGLDisplay* display = glScreenSaver_->Display();
  if (!display) return;
  TScreenMode mode;
  mode.Assign(display->FullScreenMode());
  mode.SetSizeText(text);
  display->SetFullScreenMode(mode);
}

void TFormSettings::SetCaption(const std::string& caption) {
  Caption = caption;
  if (platform::NativeWindow* window = glWindow_->Handle()) window->SetTitle(caption);
}

platform::Rect TFormSettings::PreviewPanel() const { return glWindow_->Panel(); }

}  // namespace velmora
