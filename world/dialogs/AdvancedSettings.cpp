#include "world/dialogs/AdvancedSettings.h"

#include <algorithm>

#include "app/GLDisplay.h"
#include "app/GLWindow.h"
#include "app/ScreenSaver.h"
#include "core/Error.h"
#include "platform/Display.h"
#include "platform/Service.h"
#include "scene/MainScene.h"
#include "scene/SceneSound.h"
#include "scene/SceneSoundList.h"
#include "scene/SceneTextureList.h"
#include "world/GLClock.h"

namespace velmora {

const std::array<const char*, 16> TFormAdvancedSettings::kTimeoutNames = {
    "None",    "1 min.",  "2 min.",  "3 min.",  "5 min.", "10 min.", "15 min.", "20 min.",
    "25 min.", "30 min.", "45 min.", "1 hour",  "2 hour", "3 hour",  "4 hour",  "5 hour"};

namespace {

template <class T>
T* Require(TMainScene& scene, const char* name) {
  T* object = dynamic_cast<T*>(scene.FindObject(name));
  if (!object) RaiseError("TFormAdvancedSettings", "Create", std::string("The scene has no ") + name);
  return object;
}

}  // namespace

TFormAdvancedSettings::TFormAdvancedSettings(TMainScene& scene, TGLScreenSaver& app) : scene_(scene), app_(app) {
  textures_ = Require<TSceneTextureList>(scene, "Textures");
  sounds_ = Require<TSceneSoundList>(scene, "Sounds");
  clock_ = Require<TGLClock>(scene, "GLClock");
  display_ = app.Display();
  for (const char* name : kTimeoutNames) {
    ComboBoxMonitorOff.Items.push_back(name);
    ComboBoxPowerOff.Items.push_back(name);
  }
}

std::vector<std::string> TFormAdvancedSettings::MonitorNames(int monitors) {
  std::vector<std::string> names{"Primary Monitor"};
  for (int i = 1; i <= monitors; ++i) names.push_back(std::to_string(i) + " - Monitor");
  names.push_back("Dual View");
  names.push_back("Virtual Desktop");
  return names;
}

void TFormAdvancedSettings::Fill() {
  if (display_) {
    display_->GetColorDepthNames(ComboBoxDepth.Items);
    display_->GetScreenSizes(ComboBoxResolution.Items);
    ComboBoxDepth.SetItemIndex(display_->ColorDepthIndex());
    ComboBoxResolution.SetItemIndex(display_->ScreenSizeIndex());
    CheckBoxDesktop.Checked = display_->DesktopOnly;
  }
  ComboBoxTextures.SetItemIndex(textures_->ColorBit());
  ComboBoxQuality.SetItemIndex(textures_->Quality());
  filledQuality_ = ComboBoxQuality.ItemIndex;
  if (TCustomAppOpenGL* gl = app_.OpenGL()) {
    CheckBoxWaitSync.Checked = gl->WaitSync;
    // Only two renderers are offered; one the display forced to the
    // software formats reads as "Software".
    ComboBoxRenderer.SetItemIndex(gl->Renderer() == glrOpenGL ? 0 : 1);
  }
  filledRenderer_ = ComboBoxRenderer.ItemIndex;
  ComboBoxRenderScale.SetItemIndex(app_.RenderScale >= 100 ? 0 : app_.RenderScale >= 75 ? 1 : 2);
  ComboBoxPowerOff.SetItemIndex(app_.PowerOffIndex());
  ComboBoxMonitorOff.SetItemIndex(app_.MonitorOffIndex());
  CheckBoxMouseMove.Checked = app_.MouseMoveExit;
  CheckBoxRunAsProg.Checked = app_.RunAsProgram;
  CheckBoxSnapshots.Checked = app_.SnapshotsEnabled;
  ComboBoxDepth.Enabled = ComboBoxResolution.Enabled = !CheckBoxDesktop.Checked;
  CheckBoxFixedFPS.Checked = app_.LowCPU;
  ComboBoxClockMode.SetItemIndex(std::clamp(clock_->Mode(), kOptClockMode.Min, kOptClockMode.Max));
  ShapeColor = clock_->Color;
  CheckBoxFPS.Checked = scene_.ShowFPS();
  ComboBoxMultiMonitors.Items = MonitorNames(platform::Get<platform::Display>().MonitorCount());
  ComboBoxMultiMonitors.SetItemIndex(app_.Window() ? app_.Window()->Monitor + 1 : 0);
  if (ComboBoxMultiMonitors.ItemIndex < 0) ComboBoxMultiMonitors.ItemIndex = 0;
  CheckListBoxSounds.Items.clear();
  for (int i = 0; i < sounds_->GetCount(); ++i)
    if (TSceneSound* sound = sounds_->Sounds(i)) CheckListBoxSounds.Items.emplace_back(sound->Name(), sound->Visible());
  if (CheckListBoxSounds.ItemIndex < 0 && !CheckListBoxSounds.Items.empty()) CheckListBoxSounds.ItemIndex = 0;
  ShowSelectedSound();
}

void TFormAdvancedSettings::ShowSelectedSound() {
  const int index = CheckListBoxSounds.ItemIndex;
  TSceneSound* sound = index >= 0 && size_t(index) < CheckListBoxSounds.Items.size()
                           ? sounds_->FindSound(CheckListBoxSounds.Items[size_t(index)].first)
                           : nullptr;
  TrackBarSoundVolume.SetPosition(sound ? sound->Volume() : 0);
  LabelVolume = sound ? sound->Name() + " Volume" : std::string();
  LabelSoundVolume = std::to_string(TrackBarSoundVolume.Position);
}

void TFormAdvancedSettings::RefillSizes() {
  display_->GetScreenSizes(ComboBoxResolution.Items);
  ComboBoxResolution.SetItemIndex(display_->ScreenSizeIndex());
}

// --- live handlers -------------------------------------------------------------------

void TFormAdvancedSettings::ComboBoxDepthChange() {
  if (!display_ || CheckBoxDesktop.Checked || ComboBoxDepth.ItemIndex < 0) return;
  TScreenMode mode;
  mode.Assign(display_->FullScreenMode());
  mode.SetColorDepthName(ComboBoxDepth.Text());
  display_->SetFullScreenMode(mode);
  RefillSizes();
}

void TFormAdvancedSettings::ComboBoxResolutionChange() {
  if (!display_ || ComboBoxResolution.ItemIndex < 0) return;
  TScreenMode mode;
  mode.Assign(display_->FullScreenMode());
  mode.SetSizeText(ComboBoxResolution.Text());
  display_->SetFullScreenMode(mode);
}

void TFormAdvancedSettings::CheckBoxDesktopClick() {
  if (!display_) return;
  display_->DesktopOnly = CheckBoxDesktop.Checked;
  ComboBoxDepth.Enabled = ComboBoxResolution.Enabled = !CheckBoxDesktop.Checked;
  ComboBoxDepth.SetItemIndex(display_->ColorDepthIndex());
  RefillSizes();
}

void TFormAdvancedSettings::ShapeColorChange(uint8_t red, uint8_t green, uint8_t blue) {
  ShapeColor.r = red;
  ShapeColor.g = green;
  ShapeColor.b = blue;
}

void TFormAdvancedSettings::TrackBarSoundVolumeChange() {
  LabelSoundVolume = std::to_string(TrackBarSoundVolume.Position);
  const int index = CheckListBoxSounds.ItemIndex;
  if (index < 0 || size_t(index) >= CheckListBoxSounds.Items.size()) return;
  if (TSceneSound* sound = sounds_->FindSound(CheckListBoxSounds.Items[size_t(index)].first))
    sound->SetVolume(TrackBarSoundVolume.Position);
}

void TFormAdvancedSettings::CheckListBoxSoundsClickCheck() {
  for (const auto& [name, ticked] : CheckListBoxSounds.Items)
    if (TSceneSound* sound = sounds_->FindSound(name)) ticked ? sound->Play() : sound->Stop();
}

void TFormAdvancedSettings::CheckListBoxSoundsClick() { ShowSelectedSound(); }

// --- OK ------------------------------------------------------------------------------

void TFormAdvancedSettings::Apply() {
  if (display_) {
    // The chosen full-screen mode itself, whatever "Desktop Resolution"
    // says (with it, FullScreenMode answers the desktop's mode).
    display_->DesktopOnly = false;
    if (ComboBoxDepth.ItemIndex >= 0) {
      TScreenMode mode;
      mode.Assign(display_->FullScreenMode());
      mode.SetColorDepthName(ComboBoxDepth.Text());
      display_->SetFullScreenMode(mode);
      RefillSizes();
    }
    if (ComboBoxResolution.ItemIndex >= 0) {
      TScreenMode mode;
      mode.Assign(display_->FullScreenMode());
      mode.SetSizeText(ComboBoxResolution.Text());
      display_->SetFullScreenMode(mode);
    }
    display_->DesktopOnly = CheckBoxDesktop.Checked;
  }
  int monitor = ComboBoxMultiMonitors.ItemIndex - 1;
  if (TCustomGLWindow* window = app_.Window()) window->Monitor = monitor;
  if (TCustomAppOpenGL* gl = app_.OpenGL()) {
    // A renderer left as it was keeps what the context chose (a display
    // with only software formats says so itself).
    if (monitor >= 0)
      gl->SetRenderer(glrOpenGL);
    else if (ComboBoxRenderer.ItemIndex != filledRenderer_)
      gl->SetRenderer(ComboBoxRenderer.ItemIndex == 1 ? glrDirectX : glrOpenGL);
  }
  if (ComboBoxPowerOff.ItemIndex >= 0) app_.SetPowerOffIndex(ComboBoxPowerOff.ItemIndex);
  if (ComboBoxMonitorOff.ItemIndex >= 0) app_.SetMonitorOffIndex(ComboBoxMonitorOff.ItemIndex);
  clock_->SetMode(std::max(ComboBoxClockMode.ItemIndex, 0));
  clock_->Color = ShapeColor;
  if (TCustomAppOpenGL* gl = app_.OpenGL()) gl->WaitSync = CheckBoxWaitSync.Checked;
  if (ComboBoxRenderScale.ItemIndex >= 0) app_.RenderScale = 100 - 25 * std::min(ComboBoxRenderScale.ItemIndex, 2);
  if (ComboBoxTextures.ItemIndex >= 0) textures_->SetColorBit(static_cast<TColorBit>(ComboBoxTextures.ItemIndex));
  if (ComboBoxQuality.ItemIndex >= 0) {
    textures_->SetQuality(static_cast<TTextureQuality>(ComboBoxQuality.ItemIndex));
    // A new quality reduces the images differently: every texture is
    // read again at its next use.
    if (ComboBoxQuality.ItemIndex != filledQuality_) textures_->ReleaseTextures();
  }
  app_.RunAsProgram = CheckBoxRunAsProg.Checked;
  app_.MouseMoveExit = CheckBoxMouseMove.Checked;
  app_.SnapshotsEnabled = CheckBoxSnapshots.Checked;
  scene_.SetShowFPS(CheckBoxFPS.Checked);
  app_.LowCPU = CheckBoxFixedFPS.Checked;
}

}  // namespace velmora
