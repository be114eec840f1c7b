#include "world/FormWorld.h"

#include "assets/ResourceReader.h"
#include "core/Error.h"
#include "core/Random.h"
#include "gl/OpenGL.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Display.h"
#include "platform/Service.h"
#include "scene/MainScene.h"
#include "scene/RenderState.h"
#include "scene/SceneHost.h"
#include "scene/SceneText.h"
#include "scene/SceneTexture.h"
#include "world/FishRender.h"
#include "world/UnderWater.h"
#include "world/UnderWaterWorld.h"
#include "world/WatchClock.h"
#include "world/dialogs/SettingsDialog.h"
#include "world/dialogs/SettingsHost.h"

namespace velmora {

TFormWorld::TFormWorld(TSettingsHost& host)
    : host_(host), dialog_(std::make_unique<TSettingsDialog>(host, *this)) {}

TFormWorld::~TFormWorld() { Stop(); }

void TFormWorld::FillControls() { dialog_->FillControls(); }

void TFormWorld::DrawDialog(TDialogGui& gui) { dialog_->Draw(gui); }

void TFormWorld::CancelDialog() { dialog_->ButtonClick(TSettingsDialog::btCancel); }

bool TFormWorld::LeaveOut(const std::string& part) {
  if (!World) return false;
  if (part == "fish-caustics") {
    for (auto& [name, environment] : World->FishEnvironments) environment->FishCaustic = false;
    return true;
  }
  static const std::pair<const char*, TWaterLayer> kLayers[] = {
      {"surface", wlSurface},       {"surface-light", wlSurfaceLight}, {"backdrop", wlBackdrop},
      {"bottom", wlBottom},         {"light-rays", wlLightRays},       {"background", wlBackground},
      {"caustics", wlCaustics},     {"fog-layers", wlFogLayers},
  };
  for (const auto& [name, layer] : kLayers) {
    if (part != name) continue;
    for (auto& [waterName, water] : World->Waters) water->LeftOut |= layer;
    return true;
  }
  return false;
}

bool TFormWorld::TimePasses(TPassTimes* times) {
  if (!World || !World->FScene) return false;
  World->FScene->SetPassTimes(times);
  return true;
}

std::unique_ptr<TMainScene> MakeCarriedScene(TSettingsHost* host) {
  TResourceFileReader& reader = ResourceReader();
  reader.SetBasePath(".\\Scenes\\");
  reader.ArchiveName = "data.rfa";
  reader.Source = TResourceSource::rsArchiveResource;
  const bool folder = !reader.DataFolder.empty();
  auto scene = std::make_unique<TMainScene>();
  scene->SourceName = kSceneFileName;
  scene->Application = host ? &host->SceneHost() : nullptr;
  scene->Path = folder ? reader.DataFolder + "/" : host ? host->ExeDir() : std::string(".\\");
  scene->SourceFlags = folder ? sfDisk : sfArchive;
  return scene;
}

namespace {

// The wait cursor for the life of the guard, the arrow again after it
// (also when an error passes); nothing when `shown` is false.
class TBusyCursor {
 public:
  explicit TBusyCursor(bool shown) : shown_(shown) {
    if (shown_) platform::Get<platform::Dialogs>().SetCursorShape(platform::CursorShape::Busy);
  }
  ~TBusyCursor() {
    if (shown_) platform::Get<platform::Dialogs>().SetCursorShape(platform::CursorShape::Default);
  }
  TBusyCursor(const TBusyCursor&) = delete;
  TBusyCursor& operator=(const TBusyCursor&) = delete;

 private:
  bool shown_;
};

}  // namespace

void TFormWorld::Start() {
  Stop();
  // Over a window of the program's own only: the preview draws into the
  // host's window (or a daemon's), whose pointer is the host's business.
  const TBusyCursor busy(!host_.InPreview());
  Scene = MakeCarriedScene(&host_);
  // A film or benchmark of the same seed spawns the same scene.
  RandSeed(host_.RandomSeed().value_or(platform::Get<platform::Clock>().Milliseconds()));
  Scene->Load();
  if (Scene->GetCount() == 0)
    RaiseError("TFormWorld", "Start",
               std::string("The scene ") + kSceneFileName + " holds nothing (is it missing from the data?)");
  Clock = dynamic_cast<TWatchClock*>(Scene->FindObject("Clock"));
  ClockSkin = dynamic_cast<TSceneTexture*>(Scene->FindObject("Textures/ClockSkin01A.jpg"));
  World = std::make_unique<TUnderWaterWorld>(&host_.SceneHost(), Scene.get());
  host_.LoadApplicationOptions();
}

void TFormWorld::Stop() {
  // An open advanced dialog holds the scene's objects.
  if (dialog_) dialog_->CloseAdvancedSettings(false);
  if (TCustomOpenGL* gl = host_.SceneHost().OpenGL(); gl && gl->Active())
    scaled_.Release();
  else
    scaled_.Forget();
  World.reset();
  Clock = nullptr;
  ClockSkin = nullptr;
  Scene.reset();
}

void TFormWorld::LoadOptions() {
  if (!Scene || !World) return;
  host_.SceneHost().UsePlainOptions();
  Scene->LoadOptions();
  World->LoadOptions();
}

void TFormWorld::SaveOptions() {
  if (!Scene || !World) return;
  host_.SceneHost().UsePlainOptions();
  Scene->SaveOptions();
  World->SaveOptions();
}

void TFormWorld::StartOpenGL() {
  // A new context: the old one's texture went with it.
  scaled_.Forget();
  if (host_.FullScreen() || !host_.InSettingsRole()) return;
  ControlsReady = false;
  host_.FillDialogControls();
  ControlsReady = true;
}

int TFormWorld::BackgroundModeNow() const {
  const int monitors = platform::Get<platform::Display>().MonitorCount();
  const bool spanning = monitors > 1 && host_.FullScreen() && host_.SaverSettings().Monitor == monitors;
  return spanning ? 2 : 1;
}

void TFormWorld::Render(float deltaTime) {
  if (!Scene) return;
  if (World) World->SetBackgroundMode(BackgroundModeNow());
  TCustomOpenGL* gl = host_.SceneHost().OpenGL();
  if (!gl || !gl->Active() || !scaled_.Begin(host_.SaverSettings().RenderScale)) {
    Scene->Process(deltaTime);
    return;
  }
  // The FPS display waits for the full-size pass.
  TSceneString* fps = Scene->FpsStr;
  const bool fpsShown = fps && fps->Visible();
  if (fpsShown) fps->SetVisible(false);
  Scene->Process(deltaTime);
  scaled_.End(*gl);
  ResetSceneRenderCaches();
  if (fpsShown) {
    fps->SetVisible(true);
    fps->Render();
  }
}

void TFormWorld::FPSChanged() {
  if (Scene) Scene->SetFPSText(host_.SceneHost().FPS());
}

}  // namespace velmora
