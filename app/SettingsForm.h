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
// What it shows is its scene side (TFormScene, scene/FormScene.h), made
// for it when it is made by the maker the program installs
// (SetFormSceneMaker; the world's is world/FormWorld.h, installed by
// program/WorldForm.h). The form hands the application's events to it:
//
//   OnStart        Start: scene and world built, options loaded
//   OnLoadOptions  LoadOptions      OnSaveOptions  SaveOptions
//   OnStartOpenGL  StartOpenGL      OnRender       Render(DeltaTime)
//                                   OnRenderDialog DrawDialog in the dialog
//   OnFPSChanged   FPSChanged (after the frame rate went to the title)
//   OnStop         Stop: world and scene freed
//
// The form frees its scene side before its components, so the scene never
// outlives the rendering context. Without a maker (the shell's own tests)
// the start only loads the application's options and every frame clears
// to the window's colour.
//
// The form is the settings host of the world's form side and dialogs
// (world/dialogs/SettingsHost.h): they read and change the screen saver,
// the display, the window and the form through it
// (app/SettingsFormHost.cpp).
#pragma once

#include <memory>

#include "app/Form.h"
#include "app/GLDisplay.h"
#include "app/GLWindow.h"
#include "app/ScreenSaver.h"
#include "gl/DialogGui.h"
#include "scene/FormScene.h"
#include "world/dialogs/SettingsHost.h"

namespace velmora {

class TFormSettings;

using TFormSceneMaker = std::unique_ptr<TFormScene> (*)(TFormSettings& form);
// The maker every settings form made from now on uses; nullptr: none.
void SetFormSceneMaker(TFormSceneMaker maker);

class TFormSettings : public TForm, public TSettingsHost {
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
  // The scene's frame, then the dialog's (each frame runs them as two
  // steps: OnRender and OnRenderDialog).
  void ScreenSaverRender(float deltaTime, bool select);
  void ScreenSaverFPSChanged(void* sender);

  // Fills the dialog controls from the scene and the world (the scene
  // side's FillControls).
  void FillDialogControls() override;

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
  void StartPreview() override;
  bool PreviewPending() const { return previewPending_; }

  // The settings host (world/dialogs/SettingsHost.h).
  TSceneHost& SceneHost() override;
  std::string ExeDir() const override;
  std::string Title() const override;
  std::string HelpFileName() const override;
  bool InPreview() const override;
  bool InSettingsRole() const override;
  std::optional<uint32_t> RandomSeed() const override;
  void LoadApplicationOptions() override;
  std::string SaveApplicationOptions() override;
  TSaverSettings SaverSettings() const override;
  void SetSaverSettings(const TSaverSettings& settings) override;
  bool HasDisplay() const override;
  bool FullScreen() const override;
  void GetColorDepthNames(std::vector<std::string>& list) override;
  void GetScreenSizes(std::vector<std::string>& list) override;
  int ColorDepthIndex() override;
  int ScreenSizeIndex() override;
  bool DesktopOnly() const override;
  void SetDesktopOnly(bool value) override;
  void SetFullScreenDepthName(const std::string& name) override;
  void SetFullScreenSizeText(const std::string& text) override;
  void SetCaption(const std::string& caption) override;
  platform::Rect PreviewPanel() const override;
  void CloseForm() override { Close(); }

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
  // The idle step of the dialog: the preview asked for in the last frame.
  void StartPendingPreview();
  // The scene side's frame, or the window's colour without one.
  void RenderSceneSide(float deltaTime);
};

}  // namespace velmora
