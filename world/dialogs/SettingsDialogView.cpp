// How the settings form and the windows it opens over itself look: the
// controls of TSettingsDialog drawn with the dialog widgets, the user's
// changes handed to their handlers.
#include <imgui.h>

#include <algorithm>
#include <cmath>
#include <exception>

#include "gl/DialogGui.h"
#include "gl/Texture.h"
#include "scene/MainScene.h"
#include "scene/SceneTexture.h"
#include "world/FormWorld.h"
#include "world/dialogs/AdvancedSettings.h"
#include "world/dialogs/DialogWidgets.h"
#include "world/dialogs/SettingsDialog.h"

namespace velmora {

using dialog::TLayout, dialog::BeginGroupBox, dialog::Button, dialog::CheckBox, dialog::ComboBox, dialog::EndGroupBox,
    dialog::Hint, dialog::kDialogFlags, dialog::Label, dialog::LabelRight, dialog::TitleBarHeight,
    dialog::TrackBar;

// --- the settings form ---------------------------------------------------------------

void TSettingsDialog::Draw(TDialogGui& gui) {
  DrawForm(gui);
  if (advanced_) {
    if (advancedOpening_) ImGui::OpenPopup("Advanced Settings");
    advancedOpening_ = false;
    bool ok = false, cancel = false;
    advanced_->Draw(gui, ok, cancel);
    if (ok || cancel) CloseAdvancedSettings(ok);
  }
  if (aboutShown_) DrawAboutBox(gui);
  if (!unopened_.empty()) DrawUnopenedMessage(gui);
}

void TSettingsDialog::DrawUnopenedMessage(TDialogGui& gui) {
  const char* title = "Velmora Help";
  if (unopenedOpening_) ImGui::OpenPopup(title);
  unopenedOpening_ = false;
  const ImVec2 display = ImGui::GetIO().DisplaySize;
  ImGui::SetNextWindowSize(ImVec2(std::min(gui.Px(460), display.x), 0));
  ImGui::SetNextWindowPos(ImVec2(display.x / 2, display.y / 2), ImGuiCond_Always, ImVec2(0.5f, 0.5f));
  if (!ImGui::BeginPopupModal(title, nullptr, kDialogFlags & ~ImGuiWindowFlags_NoScrollbar)) {
    unopened_.clear();
    return;
  }
  ImGui::PushTextWrapPos(0);
  ImGui::TextUnformatted("The desktop's opener (xdg-open, from the xdg-utils package) could not be started. "
                         "Open this page in a web browser; select the address and copy it with Ctrl+C:");
  ImGui::PopTextWrapPos();
  // Read-only text: selectable and copied as in any text box.
  ImGui::SetNextItemWidth(-1);
  ImGui::InputText("##UnopenedAddress", unopened_.data(), unopened_.size() + 1,
                   ImGuiInputTextFlags_ReadOnly | ImGuiInputTextFlags_AutoSelectAll);
  ImGui::SetCursorPosX(ImGui::GetWindowWidth() - gui.Px(84));
  if (ImGui::Button("OK", ImVec2(gui.Px(75), gui.Px(25))) || ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape))) {
    unopened_.clear();
    ImGui::CloseCurrentPopup();
  }
  ImGui::EndPopup();
}

void TSettingsDialog::DrawForm(TDialogGui& gui) {
  const ImVec2 size = ImGui::GetIO().DisplaySize;
  TLayout layout(gui);
  // The form's colour everywhere but the preview panel, and the panel's
  // sunken edge.
  const platform::Rect p = PreviewPanel();
  const ImU32 formColour = ImGui::GetColorU32(ImGuiCol_WindowBg);
  ImDrawList* back = ImGui::GetBackgroundDrawList();
  const float l = float(p.left), t = float(p.top), r = float(p.left + p.width), b = float(p.top + p.height);
  back->AddRectFilled(ImVec2(0, 0), ImVec2(size.x, t), formColour);
  back->AddRectFilled(ImVec2(0, b), ImVec2(size.x, size.y), formColour);
  back->AddRectFilled(ImVec2(0, t), ImVec2(l, b), formColour);
  back->AddRectFilled(ImVec2(r, t), ImVec2(size.x, b), formColour);
  const float edge = std::max(1.0f, std::floor(gui.Scale()));
  back->AddRect(ImVec2(l - edge, t - edge), ImVec2(r + edge, b + edge), IM_COL32(0, 60, 90, 255), 0, 0, edge);

  ImGui::SetNextWindowPos(ImVec2(0, 0));
  ImGui::SetNextWindowSize(size);
  // The keyboard works the form from the start.
  if (!ImGui::IsWindowFocused(ImGuiFocusedFlags_AnyWindow) && !ImGui::IsPopupOpen("", ImGuiPopupFlags_AnyPopupId))
    ImGui::SetNextWindowFocus();
  ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(0, 0));
  ImGui::PushStyleVar(ImGuiStyleVar_WindowBorderSize, 0);
  ImGui::Begin("##SettingsForm", nullptr,
               ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoBackground |
                   ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoBringToFrontOnFocus);
  ImGui::PopStyleVar(2);

  {
  const TLayout g = BeginGroupBox(gui, layout, "##Bubbles", "  Bubble Count", 494, 4, 184, 72);
  g.At(12, 22);
  if (TrackBar(gui, "##TrackBarBubblesCount", TrackBarBubblesCount, g.Px(158))) TrackBarBubblesCountChange();
  Label(g, 12, 50, TrackBarBubblesCount.Min);
  g.At(86, 50);
  ImGui::TextUnformatted(LabelBubblesCount.c_str());
  LabelRight(g, 170, 50, TrackBarBubblesCount.Max);
  EndGroupBox("Change the amount of visible bubbles.");
  }

  {
  const TLayout g = BeginGroupBox(gui, layout, "##Water", "  Water Options", 494, 80, 184, 72);
  Label(g, 10, 25, "Color");
  g.At(48, 22);
  if (ComboBox("##ComboBoxBackgrounds", ComboBoxBackgrounds, g.Px(126))) ComboBoxBackgroundsChange();
  g.At(8, 46);
  if (CheckBox("CheckBoxLights", CheckBoxLights)) CheckBoxLightsClick();
  EndGroupBox("Select from different backgrounds.");
  }

  {
  const TLayout g = BeginGroupBox(gui, layout, "##Clock", "  Clock Options", 494, 156, 184, 72);
  Label(g, 10, 25, "Color");
  g.At(48, 22);
  if (ComboBox("##ComboBoxClock", ComboBoxClock, g.Px(126))) ComboBoxClockChange();
  g.At(8, 46);
  if (CheckBox("CheckBoxClock", CheckBoxClock)) CheckBoxClockClick();
  EndGroupBox("Select from different backgrounds.");
  }

  {
  const TLayout g = BeginGroupBox(gui, layout, "##Fish", "  Fish Options", 494, 232, 184, 88);
  Label(g, 10, 25, "Kind");
  g.At(48, 22);
  if (ComboBox("##ComboBoxFishType", ComboBoxFishType, g.Px(126))) ComboBoxFishTypeChange();
  g.At(12, 46);
  if (TrackBar(gui, "##TrackBarFishCount", TrackBarFishCount, g.Px(158))) TrackBarFishCountChange();
  Label(g, 12, 69, TrackBarFishCount.Min);
  g.At(86, 69);
  ImGui::TextUnformatted(LabelFishCount.c_str());
  LabelRight(g, 170, 69, TrackBarFishCount.Max);
  EndGroupBox("Choose sea or river fish and how many swim.");
  }

  {
  const TLayout g = BeginGroupBox(gui, layout, "##Advanced", "  Advanced Options", 494, 324, 184, 45);
  if (Button(g, "Advanced...", 52, 18, 80, 24, kAdvancedText)) ButtonClick(btAdvanced);
  EndGroupBox(kAdvancedText);
  }

  if (Button(layout, "Preview", 6, 386, 75, 25, "Click on this button to run preview in full screen mode."))
    ButtonClick(btPreview);
  if (Button(layout, "About", 86, 386, 75, 25, nullptr)) ButtonClick(btAbout);
  if (Button(layout, "Help", 166, 386, 75, 25, "If you have any questions with screen saver, click here to get answers."))
    ButtonClick(btHelp);
  if (Button(layout, "Contact Us", 246, 386, 85, 25,
             "If you have any problems, questions or opinions, don't hesitate to contact us."))
    ButtonClick(btFeedBack);
  if (!SaveError.empty()) {
    // OK could not store the settings: said beside it, the reason in the hint.
    layout.At(338, 386);
    ImGui::PushTextWrapPos(layout.Px(518));
    ImGui::PushStyleColor(ImGuiCol_Text, IM_COL32(200, 0, 0, 255));
    ImGui::TextUnformatted(kSaveErrorText);
    ImGui::PopStyleColor();
    ImGui::PopTextWrapPos();
    Hint(SaveError.c_str());
  }
  if (Button(layout, "OK", 522, 386, 75, 25, "Click on this button to save changes in the settings of screen saver."))
    ButtonClick(btOk);
  if (Button(layout, "Cancel", 603, 386, 75, 25,
             "Click on this button to abort any changes in the settings of screen saver."))
    ButtonClick(btCancel);
  ImGui::End();
}

void TSettingsDialog::DrawAboutBox(TDialogGui& gui) {
  const char* title = "About Velmora";
  if (aboutOpening_) {
    ImGui::OpenPopup(title);
    // The texts are made once, as the box opens, and drawn from then on.
    aboutTitle_ = AboutTitle();
    aboutYearLine_ = AboutYearLine();
    aboutOpenGL_ = AboutOpenGL();
  }
  aboutOpening_ = false;
  const ImVec2 display = ImGui::GetIO().DisplaySize;
  ImGui::SetNextWindowSize(ImVec2(gui.Px(404), std::min(gui.Px(422), display.y)));
  ImGui::SetNextWindowPos(ImVec2(display.x / 2, display.y / 2), ImGuiCond_Always, ImVec2(0.5f, 0.5f));
  ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(0, 0));
  ImGui::PushStyleColor(ImGuiCol_PopupBg, ImGui::GetStyleColorVec4(ImGuiCol_WindowBg));
  const bool open = ImGui::BeginPopupModal(title, nullptr, kDialogFlags);
  ImGui::PopStyleColor();
  ImGui::PopStyleVar();
  if (!open) {
    aboutShown_ = false;
    return;
  }
  TLayout layout(gui, TitleBarHeight());
  // The picture: the scene's water, stretched over the frame.
  layout.At(10, 34);
  GLuint picture = 0;
  if (side_.Scene && RenderingActive()) {
    if (auto* texture = dynamic_cast<TSceneTexture*>(side_.Scene->FindObject("Textures/water.jpg"))) {
      try {
        texture->Bind();
        if (texture->GLTexture()) picture = texture->GLTexture()->Handle();
      } catch (const std::exception&) {
        picture = 0;
      }
    }
  }
  if (picture != 0)
    ImGui::Image(reinterpret_cast<ImTextureID>(static_cast<intptr_t>(picture)), layout.Size(106, 133), ImVec2(0, 1),
                 ImVec2(1, 0), ImVec4(1, 1, 1, 1), ImVec4(0, 0.35f, 0.5f, 1));
  else
    ImGui::Dummy(layout.Size(106, 133));
  ImGui::PushFont(gui.Title());
  const float headingWidth = ImGui::CalcTextSize(aboutTitle_.c_str()).x;
  ImGui::SetCursorPos(ImVec2(layout.Px(172) + std::max(0.0f, (layout.Px(222) - headingWidth) / 2),
                             TitleBarHeight() + layout.Px(28)));
  ImGui::TextUnformatted(aboutTitle_.c_str());
  ImGui::PopFont();
  ImGui::PushFont(gui.Bold());
  layout.At(172, 62);
  ImGui::PushTextWrapPos(layout.Px(396));
  ImGui::TextUnformatted(aboutYearLine_.c_str());
  ImGui::PopTextWrapPos();
  // The link: the help page, opened with the desktop's opener.
  layout.At(172, 96);
  ImGui::PushStyleColor(ImGuiCol_Text, IM_COL32(0, 0, 200, 255));
  ImGui::TextUnformatted(AboutLink());
  ImGui::PopStyleColor();
  const ImVec2 a = ImGui::GetItemRectMin(), b = ImGui::GetItemRectMax();
  ImGui::GetWindowDrawList()->AddLine(ImVec2(a.x, b.y), b, IM_COL32(0, 0, 200, 255), std::max(1.0f, gui.Scale()));
  if (ImGui::IsItemHovered()) ImGui::SetMouseCursor(ImGuiMouseCursor_Hand);
  if (ImGui::IsItemClicked()) OpenAddress(WebAddress());
  // Below the picture (34 + 133), with a gap.
  layout.At(12, 176);
  ImGui::PushTextWrapPos(layout.Px(396));
  ImGui::TextUnformatted(aboutOpenGL_.c_str());
  // The further text below the OpenGL lines however many they wrap to.
  const float below = std::max(ImGui::GetCursorPosY() + layout.Px(10), layout.Top() + layout.Px(240));
  ImGui::SetCursorPos(ImVec2(layout.Px(8), below));
  ImGui::TextUnformatted(AboutText());
  ImGui::PopTextWrapPos();
  ImGui::PopFont();
  if (Button(layout, "OK", 320, 326, 70, 25, nullptr) || ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape))) {
    aboutShown_ = false;
    ImGui::CloseCurrentPopup();
  }
  ImGui::EndPopup();
}

}  // namespace velmora
