#include "world/dialogs/SettingsDialog.h"

#include <cstdio>
#include <ctime>
#include <filesystem>

#include "core/Strings.h"
#include "core/Version.h"
#include "gl/OpenGL.h"
#include "platform/Process.h"
#include "platform/Service.h"
#include "scene/MainScene.h"
#include "scene/SceneHost.h"
#include "scene/SceneTexture.h"
#include "world/FormWorld.h"
#include "world/UnderWaterWorld.h"
#include "world/WatchClock.h"
#include "world/dialogs/AdvancedSettings.h"
#include "world/dialogs/SettingsHost.h"

namespace velmora {

const char* const TSettingsDialog::kAdvancedText =
    "Click on the Advanced Button to adjust the full screen mode, multi-monitors, graphics, sound, power "
    "management and clock settings";

const char* const TSettingsDialog::kSaveErrorText = "The settings could not be saved.";

TSettingsDialog::TSettingsDialog(TSettingsHost& host, TFormWorld& side) : host_(host), side_(side) {}

TSettingsDialog::~TSettingsDialog() = default;

std::vector<std::string> TSettingsDialog::SkinNames(const std::vector<std::string>& fileList) {
  std::vector<std::string> names;
  for (size_t i = 0; i < fileList.size(); i += 2) {
    std::string name = std::filesystem::path(fileList[i]).stem().string();
    // Written on another system the name may carry its folder with "\".
    if (size_t slash = name.find_last_of('\\'); slash != std::string::npos) name.erase(0, slash + 1);
    for (char& c : name)
      if (c == '_') c = ' ';
    names.push_back(name);
  }
  return names;
}

void TSettingsDialog::FillControls() {
  side_.ControlsReady = false;
  Caption = host_.Title() + " v" + velmora::kVersion;
  host_.SetCaption(Caption);
  if (TUnderWaterWorld* world = side_.World.get()) {
    ComboBoxBackgrounds.Items.clear();
    for (const auto& [name, water] : world->Waters) ComboBoxBackgrounds.Items.push_back(name);
    ComboBoxBackgrounds.SetItemIndex(world->WaterBackgroundIndex());
    TrackBarBubblesCount.SetPosition(world->GetBubbleCount());
    LabelBubblesCount = std::to_string(TrackBarBubblesCount.Position);
    CheckBoxLights.Checked = world->UseLights();
    ComboBoxFishType.Items.clear();
    for (const auto& [name, environment] : world->FishEnvironments)
      ComboBoxFishType.Items.push_back(FishTypeName(name));
    ComboBoxFishType.SetItemIndex(world->FishTypeIndex());
    ComboBoxFishType.Enabled = !ComboBoxFishType.Items.empty();
    TrackBarFishCount.SetPosition(world->FishCount());
    LabelFishCount = std::to_string(TrackBarFishCount.Position);
  }
  CheckBoxClock.Checked = side_.Clock && side_.Clock->Visible();
  CheckBoxClock.Enabled = side_.Clock != nullptr;
  ComboBoxClock.Items.clear();
  if (side_.ClockSkin) {
    ComboBoxClock.Items = SkinNames(side_.ClockSkin->FileList());
    ComboBoxClock.SetItemIndex(side_.ClockSkin->GetFileIndex());
  }
  ComboBoxClock.Enabled = side_.ClockSkin != nullptr;
  side_.ControlsReady = true;
}

// --- change handlers -----------------------------------------------------------------

void TSettingsDialog::ComboBoxBackgroundsChange() {
  if (!side_.ControlsReady || !side_.World || ComboBoxBackgrounds.ItemIndex < 0) return;
  side_.World->SetWaterBackgroundIndex(ComboBoxBackgrounds.ItemIndex);
}

void TSettingsDialog::TrackBarBubblesCountChange() {
  if (!side_.ControlsReady) return;
  LabelBubblesCount = std::to_string(TrackBarBubblesCount.Position);
  if (side_.World) side_.World->SetBubbleCount(TrackBarBubblesCount.Position);
}

void TSettingsDialog::CheckBoxLightsClick() {
  if (!side_.ControlsReady || !side_.World) return;
  side_.World->SetUseLights(CheckBoxLights.Checked);
}

void TSettingsDialog::CheckBoxClockClick() {
  if (!side_.ControlsReady || !side_.Clock) return;
  side_.Clock->SetVisible(CheckBoxClock.Checked);
}

void TSettingsDialog::ComboBoxClockChange() {
  if (!side_.ControlsReady || !side_.ClockSkin || ComboBoxClock.ItemIndex < 0) return;
  side_.ClockSkin->SetFileIndex(ComboBoxClock.ItemIndex);
}

void TSettingsDialog::ComboBoxFishTypeChange() {
  if (!side_.ControlsReady || !side_.World || ComboBoxFishType.ItemIndex < 0) return;
  side_.World->SetFishTypeIndex(ComboBoxFishType.ItemIndex);
}

void TSettingsDialog::TrackBarFishCountChange() {
  if (!side_.ControlsReady) return;
  LabelFishCount = std::to_string(TrackBarFishCount.Position);
  if (side_.World) side_.World->SetFishCount(TrackBarFishCount.Position);
}

std::string TSettingsDialog::FishTypeName(const std::string& environment) {
  if (environment == "SaltWater") return "Sea fish";
  if (environment == "FreshWater") return "River fish";
  return environment;
}

// --- buttons -------------------------------------------------------------------------

void TSettingsDialog::ButtonClick(TButton sender) {
  switch (sender) {
    case btPreview: host_.StartPreview(); break;
    case btAbout: ShowAboutBox(); break;
    case btHelp: OpenAddress(host_.HelpFileName()); break;
    case btFeedBack: OpenContactAddress(); break;
    case btAdvanced: ShowAdvancedSettings(); break;
    case btOk:
      SaveError = host_.SaveApplicationOptions();
      if (!SaveError.empty()) {
        // The user's changes are still in the form: it stays open.
        std::fprintf(stderr, "velmora: the settings could not be saved: %s\n", SaveError.c_str());
        std::fflush(stderr);
        break;
      }
      host_.CloseForm();
      break;
    case btCancel: host_.CloseForm(); break;
  }
}

void TSettingsDialog::ShowAdvancedSettings() {
  if (!side_.Scene) return;
  auto dialog = std::make_unique<TFormAdvancedSettings>(*side_.Scene, host_);
  dialog->Fill();
  advanced_ = std::move(dialog);
  advancedOpening_ = true;
}

void TSettingsDialog::CloseAdvancedSettings(bool ok) {
  if (!advanced_) return;
  if (ok) advanced_->Apply();
  advanced_.reset();
}

// --- the run-time windows ------------------------------------------------------------

void TSettingsDialog::ShowAboutBox() {
  aboutShown_ = true;
  aboutOpening_ = true;
}

std::string TSettingsDialog::AboutTitle() const {
  return host_.Title() + " " + velmora::kVersion;
}

std::string TSettingsDialog::AboutYearLine() const {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return Format("An underwater screen saver, %d", local.tm_year + 1900);
}

const char* TSettingsDialog::AboutLink() { return "Help and contact"; }

const char* TSettingsDialog::AboutText() {
  return "Fish, bubbles, light rays and caustics, a clock and the sound of water, drawn with OpenGL. "
         "Every picture, mesh and sound is made by the project itself.";
}

std::string TSettingsDialog::AboutOpenGL() const {
  TCustomOpenGL* gl = host_.SceneHost().OpenGL();
  if (!gl || !gl->Active()) return "OpenGL: not running";
  return "OpenGL vendor: " + gl->GLVendor() + "\nRenderer: " + gl->GLRenderer() + "\nVersion: " + gl->GLVersion;
}

std::string TSettingsDialog::WebAddress() const {
  std::error_code error;
  std::filesystem::path page = std::filesystem::absolute(host_.HelpFileName(), error);
  return "file://" + page.generic_string();
}

std::string TSettingsDialog::ContactAddress() const { return WebAddress() + "#contact"; }

void TSettingsDialog::OpenContactAddress() { OpenAddress(ContactAddress()); }

void TSettingsDialog::OpenAddress(const std::string& address) {
  if (platform::Get<platform::Processes>().ShellOpen(address, "", "", platform::ShowCommand::Show)) return;
  unopened_ = address;
  unopenedOpening_ = true;
}

platform::Rect TSettingsDialog::PreviewPanel() const { return host_.PreviewPanel(); }

bool TSettingsDialog::RenderingActive() const {
  TCustomOpenGL* gl = host_.SceneHost().OpenGL();
  return gl && gl->Active();
}

}  // namespace velmora
