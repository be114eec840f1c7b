// How the settings windows look: the controls of TSettingsDialog and
// TFormAdvancedSettings drawn with Dear ImGui at the positions of the
// forms' layout (96-DPI units scaled by the dialog toolkit), and the user's
// changes handed to their handlers.
#include <imgui.h>

#include <algorithm>
#include <cmath>
#include <exception>

#include "app/DialogGui.h"
#include "app/SettingsForm.h"
#include "gl/Texture.h"
#include "scene/MainScene.h"
#include "scene/SceneTexture.h"
#include "world/AdvancedSettings.h"
#include "world/FormWorld.h"
#include "world/SettingsDialog.h"

namespace velmora {

namespace {

// Places controls in a window by the 96-DPI layout: x, y from the window's
// client area (below its title bar, if any).
class TLayout {
 public:
  TLayout(const TDialogGui& gui, float top = 0) : gui_(gui), top_(top) {}
  float Px(float v) const { return gui_.Px(v); }
  ImVec2 Size(float w, float h) const { return ImVec2(Px(w), Px(h)); }
  void At(float x, float y) const { ImGui::SetCursorPos(ImVec2(Px(x), top_ + Px(y))); }
  float Top() const { return top_; }

 private:
  const TDialogGui& gui_;
  float top_;
};

void Hint(const char* text) {
  if (text && ImGui::IsItemHovered(ImGuiHoveredFlags_AllowWhenBlockedByActiveItem)) ImGui::SetTooltip("%s", text);
}

// A labelled frame: the caption in bold at its top, the controls inside
// placed from the frame's own corner. Returns after BeginChild; call
// EndGroupBox. The layout it returns places controls inside.
TLayout BeginGroupBox(const TDialogGui& gui, const TLayout& layout, const char* id, const char* caption, float x,
                      float y, float w, float h) {
  layout.At(x, y);
  // Flattened: the arrow keys move between the groups' controls as if they
  // were one window's.
  ImGui::BeginChild(id, layout.Size(w, h), true,
                    ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoScrollWithMouse | ImGuiWindowFlags_NavFlattened);
  ImGui::SetCursorPos(ImVec2(gui.Px(2), gui.Px(3)));
  ImGui::PushFont(gui.Bold());
  ImGui::TextUnformatted(caption);
  ImGui::PopFont();
  return TLayout(gui);
}

void EndGroupBox(const char* hint = nullptr) {
  ImGui::EndChild();
  Hint(hint);
}

// A drop-down list; true when the user chose another item.
bool ComboBox(const char* id, TDialogComboBox& box, float width) {
  bool changed = false;
  ImGui::SetNextItemWidth(width);
  if (!box.Enabled) ImGui::BeginDisabled();
  const std::string preview = box.Text();
  if (ImGui::BeginCombo(id, preview.c_str())) {
    for (size_t i = 0; i < box.Items.size(); ++i) {
      const bool selected = int(i) == box.ItemIndex;
      ImGui::PushID(int(i));
      if (ImGui::Selectable(box.Items[i].c_str(), selected) && !selected) {
        box.ItemIndex = int(i);
        changed = true;
      }
      if (selected) ImGui::SetItemDefaultFocus();
      ImGui::PopID();
    }
    ImGui::EndCombo();
  }
  // A text wider than the box shows whole as a hint.
  if (!preview.empty() && ImGui::CalcTextSize(preview.c_str()).x > width - ImGui::GetFrameHeight() - 8 &&
      ImGui::IsItemHovered(ImGuiHoveredFlags_AllowWhenDisabled))
    ImGui::SetTooltip("%s", preview.c_str());
  if (!box.Enabled) ImGui::EndDisabled();
  return changed;
}

bool CheckBox(const char* id, TDialogCheckBox& box) {
  if (!box.Enabled) ImGui::BeginDisabled();
  ImGui::PushID(id);
  const bool changed = ImGui::Checkbox(box.Caption.c_str(), &box.Checked);
  ImGui::PopID();
  if (!box.Enabled) ImGui::EndDisabled();
  return changed;
}

// A track bar with its ticks below; true when the position moved.
bool TrackBar(const TDialogGui& gui, const char* id, TDialogTrackBar& bar, float width) {
  ImGui::SetNextItemWidth(width);
  const ImVec2 at = ImGui::GetCursorScreenPos();
  const bool changed = ImGui::SliderInt(id, &bar.Position, bar.Min, bar.Max, "",
                                        ImGuiSliderFlags_AlwaysClamp | ImGuiSliderFlags_NoInput);
  const float height = ImGui::GetItemRectSize().y;
  ImDrawList* draw = ImGui::GetWindowDrawList();
  const float grab = ImGui::GetStyle().GrabMinSize, pad = ImGui::GetStyle().FramePadding.x;
  const float left = at.x + pad + grab / 2, span = width - 2 * pad - grab;
  const int steps = bar.Frequency > 0 ? (bar.Max - bar.Min) / bar.Frequency : 0;
  for (int i = 0; i <= steps && span > 0; ++i) {
    const float x = std::floor(left + span * float(i) / float(std::max(steps, 1))) + 0.5f;
    draw->AddLine(ImVec2(x, at.y + height + gui.Px(1)), ImVec2(x, at.y + height + gui.Px(4)),
                  ImGui::GetColorU32(ImGuiCol_Border), std::max(1.0f, std::floor(gui.Scale())));
  }
  return changed;
}

bool Button(const TLayout& layout, const char* caption, float x, float y, float w, float h, const char* hint) {
  layout.At(x, y);
  const bool clicked = ImGui::Button(caption, layout.Size(w, h));
  Hint(hint);
  return clicked;
}

void Label(const TLayout& layout, float x, float y, const char* text) {
  layout.At(x, y);
  ImGui::TextUnformatted(text);
}

// Text with its right edge at x.
void LabelRight(const TLayout& layout, float x, float y, const std::string& text) {
  const float w = ImGui::CalcTextSize(text.c_str()).x;
  ImGui::SetCursorPos(ImVec2(layout.Px(x) - w, layout.Top() + layout.Px(y)));
  ImGui::TextUnformatted(text.c_str());
}

constexpr ImGuiWindowFlags kDialogFlags = ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove |
                                          ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoSavedSettings |
                                          ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoScrollWithMouse;

float TitleBarHeight() { return ImGui::GetFontSize() + ImGui::GetStyle().FramePadding.y * 2; }

}  // namespace

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
  const platform::Rect p = form_.GLWindow()->Panel();
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
  Label(g, 12, 50, "0");
  g.At(86, 50);
  ImGui::TextUnformatted(LabelBubblesCount.c_str());
  LabelRight(g, 170, 50, "100");
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
  Label(g, 12, 69, "0");
  g.At(86, 69);
  ImGui::TextUnformatted(LabelFishCount.c_str());
  LabelRight(g, 170, 69, "100");
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
  if (aboutOpening_) ImGui::OpenPopup(title);
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
  if (side_.Scene && form_.GLScreenSaver()->OpenGL() && form_.GLScreenSaver()->OpenGL()->Active()) {
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
  const std::string heading = AboutTitle();
  const float headingWidth = ImGui::CalcTextSize(heading.c_str()).x;
  ImGui::SetCursorPos(ImVec2(layout.Px(172) + std::max(0.0f, (layout.Px(222) - headingWidth) / 2),
                             TitleBarHeight() + layout.Px(28)));
  ImGui::TextUnformatted(heading.c_str());
  ImGui::PopFont();
  ImGui::PushFont(gui.Bold());
  layout.At(172, 62);
  ImGui::PushTextWrapPos(layout.Px(396));
  ImGui::TextUnformatted(AboutYearLine().c_str());
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
  ImGui::TextUnformatted(AboutOpenGL().c_str());
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

// --- the advanced dialog -------------------------------------------------------------

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
  static float picked[3] = {1, 1, 1};
  if (ImGui::ColorButton("ShapeColor", swatch, ImGuiColorEditFlags_NoAlpha | ImGuiColorEditFlags_NoTooltip,
                         g.Size(113, 19))) {
    picked[0] = swatch.x;
    picked[1] = swatch.y;
    picked[2] = swatch.z;
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
  Label(g, labelX, 131, "0");
  g.At(91, 131);
  ImGui::TextUnformatted(LabelSoundVolume.c_str());
  LabelRight(g, 189, 131, "100");
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
