// How the advanced settings dialog looks: the controls of
// TFormAdvancedSettings drawn with the dialog widgets in a modal window over
// the settings form, the user's changes handed to their handlers.
#include <imgui.h>

#include <algorithm>
#include <cmath>

#include "gl/DialogGui.h"
#include "world/dialogs/AdvancedSettings.h"
#include "world/dialogs/DialogWidgets.h"

namespace velmora {

using dialog::TLayout, dialog::BeginGroupBox, dialog::Button, dialog::CheckBox, dialog::ComboBox, dialog::EndGroupBox,
    dialog::Hint, dialog::kDialogFlags, dialog::Label, dialog::LabelRight, dialog::TitleBarHeight,
    dialog::TrackBar;

void TFormAdvancedSettings::Draw(TDialogGui& gui, bool& ok, bool& cancel) {
  ok = cancel = false;
  const char* title = "Advanced Settings";
  const ImVec2 display = ImGui::GetIO().DisplaySize;
  const float bar = TitleBarHeight();
  ImGui::SetNextWindowSize(ImVec2(gui.Px(437), gui.Px(390) + bar));
  ImGui::SetNextWindowPos(ImVec2(display.x / 2, display.y / 2), ImGuiCond_Always, ImVec2(0.5f, 0.5f));
  ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(0, 0));
  ImGui::PushStyleColor(ImGuiCol_PopupBg, ImGui::GetStyleColorVec4(ImGuiCol_WindowBg));
  const bool open = ImGui::BeginPopupModal(title, nullptr, kDialogFlags);
  ImGui::PopStyleColor();
  ImGui::PopStyleVar();
  if (!open) {
    cancel = true;
    return;
  }
  TLayout layout(gui, bar);
  const float labelX = 8, boxX = 90, boxW = 126;

  {
  const TLayout g = BeginGroupBox(gui, layout, "##Graphic", "  Graphic options", 6, 4, 222, 270);
  Label(g, labelX, 25, "Color Depth");
  g.At(boxX, 22);
  if (ComboBox("##ComboBoxDepth", ComboBoxDepth, g.Px(boxW))) ComboBoxDepthChange();
  Label(g, labelX, 50, "Screen Size");
  g.At(boxX, 47);
  if (ComboBox("##ComboBoxResolution", ComboBoxResolution, g.Px(boxW))) ComboBoxResolutionChange();
  g.At(labelX, 72);
  if (CheckBox("CheckBoxDesktop", CheckBoxDesktop)) CheckBoxDesktopClick();
  Label(g, labelX, 100, "Multi-Monitors");
  g.At(boxX, 97);
  ComboBox("##ComboBoxMultiMonitors", ComboBoxMultiMonitors, g.Px(boxW));
  Label(g, labelX, 125, "Renderer");
  g.At(boxX, 122);
  ComboBox("##ComboBoxRenderer", ComboBoxRenderer, g.Px(boxW));
  Label(g, labelX, 150, "Textures");
  g.At(boxX, 147);
  ComboBox("##ComboBoxTextures", ComboBoxTextures, g.Px(boxW));
  Label(g, labelX, 175, "Quality");
  g.At(boxX, 172);
  ComboBox("##ComboBoxQuality", ComboBoxQuality, g.Px(boxW));
  Label(g, labelX, 200, "Render Scale");
  g.At(boxX, 197);
  ComboBox("##ComboBoxRenderScale", ComboBoxRenderScale, g.Px(boxW));
  g.At(labelX, 222);
  CheckBox("CheckBoxWaitSync", CheckBoxWaitSync);
  g.At(labelX, 245);
  CheckBox("CheckBoxFPS", CheckBoxFPS);
  EndGroupBox();
  }

  {
  const TLayout g = BeginGroupBox(gui, layout, "##System", "  System options", 6, 278, 222, 98);
  g.At(labelX, 22);
  CheckBox("CheckBoxMouseMove", CheckBoxMouseMove);
  g.At(labelX, 47);
  CheckBox("CheckBoxRunAsProg", CheckBoxRunAsProg);
  g.At(labelX, 72);
  CheckBox("CheckBoxSnapshots", CheckBoxSnapshots);
  Hint("Ctrl+Print Screen saves a picture, Shift+Print Screen a film, into your pictures folder.");
  EndGroupBox();
  }

  {
  const TLayout g = BeginGroupBox(gui, layout, "##Power", "  Power Management options", 234, 4, 197, 98);
  Label(g, labelX, 25, "MonitorOff");
  g.At(76, 22);
  ComboBox("##ComboBoxMonitorOff", ComboBoxMonitorOff, g.Px(113));
  Label(g, labelX, 50, "Power Off");
  g.At(76, 47);
  ComboBox("##ComboBoxPowerOff", ComboBoxPowerOff, g.Px(113));
  g.At(labelX, 72);
  CheckBox("CheckBoxFixedFPS", CheckBoxFixedFPS);
  EndGroupBox();
  }

  {
  const TLayout g = BeginGroupBox(gui, layout, "##ClockOptions", "  Clock Options", 234, 106, 197, 74);
  Label(g, labelX, 25, "Mode");
  g.At(76, 22);
  ComboBox("##ComboBoxClockMode", ComboBoxClockMode, g.Px(113));
  Label(g, labelX, 50, "Color");
  g.At(76, 47);
  const ImVec4 swatch(ShapeColor.r / 255.0f, ShapeColor.g / 255.0f, ShapeColor.b / 255.0f, 1.0f);
  // The picker works on a copy of the swatch's colour, taken over by its OK.
  float* picked = pickedColor_.data();
  if (ImGui::ColorButton("ShapeColor", swatch, ImGuiColorEditFlags_NoAlpha | ImGuiColorEditFlags_NoTooltip,
                         g.Size(113, 19))) {
    pickedColor_ = {swatch.x, swatch.y, swatch.z};
    ImGui::OpenPopup("Clock Color");
  }
  if (ImGui::BeginPopup("Clock Color")) {
    ImGui::SetNextItemWidth(gui.Px(180));
    ImGui::ColorPicker3("##picker", picked, ImGuiColorEditFlags_NoSidePreview | ImGuiColorEditFlags_DisplayRGB);
    if (ImGui::Button("OK", g.Size(70, 25))) {
      auto byte = [](float v) { return uint8_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); };
      ShapeColorChange(byte(picked[0]), byte(picked[1]), byte(picked[2]));
      ImGui::CloseCurrentPopup();
    }
    ImGui::SameLine();
    if (ImGui::Button("Cancel", g.Size(70, 25))) ImGui::CloseCurrentPopup();
    ImGui::EndPopup();
  }
  EndGroupBox();
  }

  {
  const TLayout g = BeginGroupBox(gui, layout, "##Sound", "  Sound options", 234, 184, 197, 150);
  Label(g, labelX, 22, "Sounds");
  g.At(labelX, 38);
  ImGui::PushStyleColor(ImGuiCol_ChildBg, ImGui::GetStyleColorVec4(ImGuiCol_FrameBg));
  ImGui::BeginChild("##CheckListBoxSounds", g.Size(181, 50), true);
  for (size_t i = 0; i < CheckListBoxSounds.Items.size(); ++i) {
    auto& [name, ticked] = CheckListBoxSounds.Items[i];
    ImGui::PushID(int(i));
    if (ImGui::Checkbox("##tick", &ticked)) CheckListBoxSoundsClickCheck();
    ImGui::SameLine();
    if (ImGui::Selectable(name.c_str(), CheckListBoxSounds.ItemIndex == int(i))) {
      CheckListBoxSounds.ItemIndex = int(i);
      CheckListBoxSoundsClick();
    }
    ImGui::PopID();
  }
  ImGui::EndChild();
  ImGui::PopStyleColor();
  g.At(labelX, 92);
  ImGui::TextUnformatted(LabelVolume.c_str());
  g.At(labelX, 108);
  if (TrackBar(gui, "##TrackBarSoundVolume", TrackBarSoundVolume, g.Px(181))) TrackBarSoundVolumeChange();
  Label(g, labelX, 131, TrackBarSoundVolume.Min);
  g.At(91, 131);
  ImGui::TextUnformatted(LabelSoundVolume.c_str());
  LabelRight(g, 189, 131, TrackBarSoundVolume.Max);
  EndGroupBox();
  }

  if (Button(layout, "OK", 270, 352, 75, 25, nullptr)) ok = true;
  if (Button(layout, "Cancel", 352, 352, 75, 25, nullptr) ||
      (ImGui::IsWindowFocused(ImGuiFocusedFlags_RootAndChildWindows) && !ImGui::IsPopupOpen("Clock Color") &&
       ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape))))
    cancel = true;
  if (ok || cancel) ImGui::CloseCurrentPopup();
  ImGui::EndPopup();
}

}  // namespace velmora
