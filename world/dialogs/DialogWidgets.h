// The settings windows' widgets, drawn with Dear ImGui at the positions of
// the forms' 96-DPI layout (scaled by the dialog toolkit): group boxes,
// drop-down lists, check boxes, track bars, buttons and labels. Each reads
// the control it shows and writes the user's change straight into it,
// returning true when there was one, so the dialog code calls the change
// handler right after. Nothing here allocates in a frame that changes
// nothing.
//
// Call them inside an open ImGui window of an open frame (TDialogGui's
// NewFrame .. Render).
#pragma once

#include <imgui.h>

#include "world/dialogs/DialogControls.h"

namespace velmora {

class TDialogGui;

namespace dialog {

// Places controls in a window by the 96-DPI layout: x, y from the window's
// client area (below its title bar, if any).
class TLayout {
 public:
  TLayout(const TDialogGui& gui, float top = 0);
  float Px(float v) const;
  ImVec2 Size(float w, float h) const;
  void At(float x, float y) const;
  float Top() const { return top_; }

 private:
  const TDialogGui& gui_;
  float top_;
};

// The hint of the last item while the mouse is over it (text may be null).
void Hint(const char* text);

// A labelled frame: the caption in bold at its top, the controls inside
// placed from the frame's own corner by the layout it returns. Close it
// with EndGroupBox, which shows hint over the whole frame.
TLayout BeginGroupBox(const TDialogGui& gui, const TLayout& layout, const char* id, const char* caption, float x,
                      float y, float w, float h);
void EndGroupBox(const char* hint = nullptr);

// A drop-down list; true when the user chose another item (ItemIndex holds
// it). A text wider than the box shows whole as a hint.
bool ComboBox(const char* id, TDialogComboBox& box, float width);
// True when the user ticked or cleared it (Checked holds it).
bool CheckBox(const char* id, TDialogCheckBox& box);
// A track bar with its ticks below; true when the position moved.
bool TrackBar(const TDialogGui& gui, const char* id, TDialogTrackBar& bar, float width);
// A button at (x, y) of w x h; true when clicked.
bool Button(const TLayout& layout, const char* caption, float x, float y, float w, float h, const char* hint);

// Text at (x, y); text with its right edge at x.
void Label(const TLayout& layout, float x, float y, const char* text);
void LabelRight(const TLayout& layout, float x, float y, const char* text);
// A number the same ways (a track bar's ends), without a string made for it.
void Label(const TLayout& layout, float x, float y, int number);
void LabelRight(const TLayout& layout, float x, float y, int number);

// The flags of the modal windows over the form.
constexpr ImGuiWindowFlags kDialogFlags = ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove |
                                          ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoSavedSettings |
                                          ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoScrollWithMouse;

float TitleBarHeight();

}  // namespace dialog

}  // namespace velmora
