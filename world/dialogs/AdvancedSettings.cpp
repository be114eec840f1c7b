#include "world/dialogs/AdvancedSettings.h"

#include <algorithm>

#include "core/Error.h"
#include "gl/OpenGL.h"
#include "platform/Display.h"
#include "platform/Service.h"
#include "scene/MainScene.h"
#include "scene/SceneHost.h"
#include "scene/SceneSound.h"
#include "scene/SceneSoundList.h"
#include "scene/SceneTextureList.h"
#include "world/GLClock.h"
#include "world/dialogs/SettingsHost.h"

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

TFormAdvancedSettings::TFormAdvancedSettings(TMainScene& scene, TSettingsHost& host) : scene_(scene), host_(host) {
  textures_ = Require<TSceneTextureList>(scene, "Textures");
  sounds_ = Require<TSceneSoundList>(scene, "Sounds");
  clock_ = Require<TGLClock>(scene, "GLClock");
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
  if (host_.HasDisplay()) {
    host_.GetColorDepthNames(ComboBoxDepth.Items);
    host_.GetScreenSizes(ComboBoxResolution.Items);
    ComboBoxDepth.SetItemIndex(host_.ColorDepthIndex());
    ComboBoxResolution.SetItemIndex(host_.ScreenSizeIndex());
    CheckBoxDesktop.Checked = host_.DesktopOnly();
  }
  ComboBoxTextures.SetItemIndex(textures_->ColorBit());
  ComboBoxQuality.SetItemIndex(textures_->Quality());
  filledQuality_ = ComboBoxQuality.ItemIndex;
  if (TCustomOpenGL* gl = host_.SceneHost().OpenGL()) {
    CheckBoxWaitSync.Checked = gl->WaitSync;
    // Only two renderers are offered; one the display forced to the
    // software formats reads as "Software".
    ComboBoxRenderer.SetItemIndex(gl->Renderer() == glrOpenGL ? 0 : 1);
  }
  filledRenderer_ = ComboBoxRenderer.ItemIndex;
  const TSaverSettings saver = host_.SaverSettings();
  ComboBoxRenderScale.SetItemIndex(saver.RenderScale >= 100 ? 0 : saver.RenderScale >= 75 ? 1 : 2);
  ComboBoxPowerOff.SetItemIndex(saver.PowerOffIndex);
  ComboBoxMonitorOff.SetItemIndex(saver.MonitorOffIndex);
  CheckBoxMouseMove.Checked = saver.MouseMoveExit;
  CheckBoxRunAsProg.Checked = saver.RunAsProgram;
  CheckBoxSnapshots.Checked = saver.SnapshotsEnabled;
  ComboBoxDepth.Enabled = ComboBoxResolution.Enabled = !CheckBoxDesktop.Checked;
  CheckBoxFixedFPS.Checked = saver.LowCPU;
  ComboBoxClockMode.SetItemIndex(std::clamp(clock_->Mode(), kOptClockMode.Min, kOptClockMode.Max));
  ShapeColor = clock_->Color;
  CheckBoxFPS.Checked = scene_.ShowFPS();
  ComboBoxMultiMonitors.Items = MonitorNames(platform::Get<platform::Display>().MonitorCount());
  // Without a window the monitor reads -1: "Primary Monitor".
  ComboBoxMultiMonitors.SetItemIndex(saver.Monitor + 1);
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
  host_.GetScreenSizes(ComboBoxResolution.Items);
  ComboBoxResolution.SetItemIndex(host_.ScreenSizeIndex());
}

// --- live handlers -------------------------------------------------------------------

void TFormAdvancedSettings::ComboBoxDepthChange() {
  if (!host_.HasDisplay() || CheckBoxDesktop.Checked || ComboBoxDepth.ItemIndex < 0) return;
  host_.SetFullScreenDepthName(ComboBoxDepth.Text());
  RefillSizes();
}

void TFormAdvancedSettings::ComboBoxResolutionChange() {
  if (!host_.HasDisplay() || ComboBoxResolution.ItemIndex < 0) return;
  host_.SetFullScreenSizeText(ComboBoxResolution.Text());
}

void TFormAdvancedSettings::CheckBoxDesktopClick() {
  if (!host_.HasDisplay()) return;
  host_.SetDesktopOnly(CheckBoxDesktop.Checked);
  ComboBoxDepth.Enabled = ComboBoxResolution.Enabled = !CheckBoxDesktop.Checked;
  ComboBoxDepth.SetItemIndex(host_.ColorDepthIndex());
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
  if (host_.HasDisplay()) {
    // The chosen full-screen mode itself, whatever "Desktop Resolution"
    // says (with it, the display's full-screen mode is the desktop's).
    host_.SetDesktopOnly(false);
    if (ComboBoxDepth.ItemIndex >= 0) {
      host_.SetFullScreenDepthName(ComboBoxDepth.Text());
      RefillSizes();
    }
    if (ComboBoxResolution.ItemIndex >= 0) host_.SetFullScreenSizeText(ComboBoxResolution.Text());
    host_.SetDesktopOnly(CheckBoxDesktop.Checked);
  }
  // The saver's settings first: a new renderer starts on the chosen monitor.
  TSaverSettings saver = host_.SaverSettings();
  const int monitor = ComboBoxMultiMonitors.ItemIndex - 1;
  saver.Monitor = monitor;
  if (ComboBoxPowerOff.ItemIndex >= 0) saver.PowerOffIndex = ComboBoxPowerOff.ItemIndex;
  if (ComboBoxMonitorOff.ItemIndex >= 0) saver.MonitorOffIndex = ComboBoxMonitorOff.ItemIndex;
  if (ComboBoxRenderScale.ItemIndex >= 0) saver.RenderScale = 100 - 25 * std::min(ComboBoxRenderScale.ItemIndex, 2);
  saver.RunAsProgram = CheckBoxRunAsProg.Checked;
  saver.MouseMoveExit = CheckBoxMouseMove.Checked;
  saver.SnapshotsEnabled = CheckBoxSnapshots.Checked;
  saver.LowCPU = CheckBoxFixedFPS.Checked;
  host_.SetSaverSettings(saver);
  if (TCustomOpenGL* gl = host_.SceneHost().OpenGL()) {
    // A renderer left as it was keeps what the context chose (a display
    // with only software formats says so itself).
    if (monitor >= 0)
      gl->SetRenderer(glrOpenGL);
    else if (ComboBoxRenderer.ItemIndex != filledRenderer_)
      gl->SetRenderer(ComboBoxRenderer.ItemIndex == 1 ? glrDirectX : glrOpenGL);
  }
  clock_->SetMode(std::max(ComboBoxClockMode.ItemIndex, 0));
  clock_->Color = ShapeColor;
  if (TCustomOpenGL* gl = host_.SceneHost().OpenGL()) gl->WaitSync = CheckBoxWaitSync.Checked;
  if (ComboBoxTextures.ItemIndex >= 0) textures_->SetColorBit(static_cast<TColorBit>(ComboBoxTextures.ItemIndex));
  if (ComboBoxQuality.ItemIndex >= 0) {
    textures_->SetQuality(static_cast<TTextureQuality>(ComboBoxQuality.ItemIndex));
    // A new quality reduces the images differently: every texture is
    // read again at its next use.
    if (ComboBoxQuality.ItemIndex != filledQuality_) textures_->ReleaseTextures();
  }
  scene_.SetShowFPS(CheckBoxFPS.Checked);
}

}  // namespace velmora
