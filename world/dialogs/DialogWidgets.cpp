#include "world/dialogs/DialogWidgets.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "gl/DialogGui.h"

namespace velmora::dialog {

TLayout::TLayout(const TDialogGui& gui, float top) : gui_(gui), top_(top) {}

float TLayout::Px(float v) const { return gui_.Px(v); }

ImVec2 TLayout::Size(float w, float h) const { return ImVec2(Px(w), Px(h)); }

void TLayout::At(float x, float y) const { ImGui::SetCursorPos(ImVec2(Px(x), top_ + Px(y))); }

void Hint(const char* text) {
  if (text && ImGui::IsItemHovered(ImGuiHoveredFlags_AllowWhenBlockedByActiveItem)) ImGui::SetTooltip("%s", text);
}

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

void EndGroupBox(const char* hint) {
  ImGui::EndChild();
  Hint(hint);
}

bool ComboBox(const char* id, TDialogComboBox& box, float width) {
  bool changed = false;
  ImGui::SetNextItemWidth(width);
  if (!box.Enabled) ImGui::BeginDisabled();
  // The chosen item's own text: nothing is copied.
  const char* preview = box.Chosen();
  if (ImGui::BeginCombo(id, preview)) {
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
  if (*preview && ImGui::CalcTextSize(preview).x > width - ImGui::GetFrameHeight() - 8 &&
      ImGui::IsItemHovered(ImGuiHoveredFlags_AllowWhenDisabled))
    ImGui::SetTooltip("%s", preview);
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

void LabelRight(const TLayout& layout, float x, float y, const char* text) {
  const float w = ImGui::CalcTextSize(text).x;
  ImGui::SetCursorPos(ImVec2(layout.Px(x) - w, layout.Top() + layout.Px(y)));
  ImGui::TextUnformatted(text);
}

void Label(const TLayout& layout, float x, float y, int number) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", number);
  Label(layout, x, y, text);
}

void LabelRight(const TLayout& layout, float x, float y, int number) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", number);
  LabelRight(layout, x, y, text);
}

float TitleBarHeight() { return ImGui::GetFontSize() + ImGui::GetStyle().FramePadding.y * 2; }

}  // namespace velmora::dialog
