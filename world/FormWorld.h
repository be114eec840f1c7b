// The settings form's scene side in the program: the carried underwater
// scene and the world that applies the user's options to it.
//
// Lifecycle (the form's application events, as its host hands them on):
//
//   form made -> TFormWorld made on the form, its settings host
//   (world/dialogs/SettingsHost.h), by the maker the program installs ->
//   OnStart: Start -> OnLoadOptions / OnSaveOptions: the scene's options,
//   then the world's -> OnStartOpenGL: the dialog controls filled in the
//   windowed roles -> every frame OnRender: Render -> OnStop (or the form's
//   end): Stop, the world freed, then the scene.
//
// Start, in this order (the busy cursor shown throughout in the roles with
// a window of their own - not the preview, which draws into a host's
// window - and the arrow back at the end, also when an error passes):
//   1. the asset reader pointed at the carried archive: base path
//      ".\Scenes\", archive "data.rfa", source rsArchiveResource (an
//      archive chosen with --data or VELMORA_DATA stands in for it);
//   2. the random generator seeded from the platform's clock;
//   3. the scene "ravavezaz.gsc" made on the host's scene host, Path its ExeDir,
//      read from the archive only - or, when --data named a folder of
//      loose files, read from that folder through the scene's disk bit
//      (Path the folder; every file it names found there by name);
//   4. Clock := the object "Clock", ClockSkin := "Textures/ClockSkin01A.jpg";
//   5. the world made on the scene host and the scene;
//   6. the application's options loaded, its own and then, through
//      LoadOptions here, the scene's and the world's, with plain names in
//      the per-user root.
// A second Start frees the scene and the world of the first.
//
// Render: when the world exists, its background mode - 2 (one picture over
// the side-by-side view of monitors 0 and 1) when the host has more than
// one monitor, the display is in full screen and the window's Monitor is
// the number of monitors; 1 otherwise - then the scene's frame.
//
// Errors: "TFormWorld.Start error: The scene ravavezaz.gsc holds nothing
// (is it missing from the data?)", and those of loading the scene and of
// the options (TUnderWaterWorld).
#pragma once

#include <memory>
#include <string>

#include "gl/ScaledRender.h"
#include "scene/FormScene.h"

namespace velmora {

class TMainScene;
class TSceneTexture;
class TSettingsDialog;
class TSettingsHost;
class TUnderWaterWorld;
class TWatchClock;

class TFormWorld : public TFormScene {
 public:
  explicit TFormWorld(TSettingsHost& host);
  // Stop.
  ~TFormWorld() override;

  void Start() override;
  // Frees the world, then the scene.
  void Stop() override;
  void LoadOptions() override;
  void SaveOptions() override;
  // Outside full screen in the program and configuration roles: the form's
  // dialog controls filled (ControlsReady false meanwhile).
  void StartOpenGL() override;
  // The scene's frame; below a RenderScale of 100 drawn at that fraction
  // of the viewport's pixels and drawn up, the FPS display after it at
  // full size.
  void Render(float deltaTime) override;
  // The scene's FPS display shows the application's rate.
  void FPSChanged() override;

  // The settings dialog (world/dialogs/SettingsDialog.h).
  bool HasDialog() const override { return true; }
  void FillControls() override;
  void DrawDialog(TDialogGui& gui) override;
  void CancelDialog() override;
  // The water's layers by name (surface, surface-light, backdrop, bottom,
  // light-rays, background, caustics, fog-layers) in every water, and
  // fish-caustics in every fish environment.
  bool LeaveOut(const std::string& part) override;
  bool TimePasses(TPassTimes* times) override;
  TSettingsDialog& Dialog() { return *dialog_; }

  // Both 1 or 2, as Render chooses.
  int BackgroundModeNow() const;

  std::unique_ptr<TMainScene> Scene;
  std::unique_ptr<TUnderWaterWorld> World;
  // The scene's; nullptr when it has none.
  TWatchClock* Clock = nullptr;
  TSceneTexture* ClockSkin = nullptr;
  // False while the dialog controls are being filled.
  bool ControlsReady = false;

 private:
  TSettingsHost& host_;
  std::unique_ptr<TSettingsDialog> dialog_;
  // The scene drawn at the application's RenderScale.
  TScaledRender scaled_;
};

// The name of the scene description the program carries.
constexpr const char* kSceneFileName = "ravavezaz.gsc";

// Steps 1 and 3 of Start up to the load: the asset reader pointed at the
// carried archive (or what stands in for it) and the scene made to read
// kSceneFileName from it, not loaded yet. host may be nullptr (a scene
// loaded only to be written out); the scene's Path is then ".\" unless a
// data folder is in force.
std::unique_ptr<TMainScene> MakeCarriedScene(TSettingsHost* host);

}  // namespace velmora
