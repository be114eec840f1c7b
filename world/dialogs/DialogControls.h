// The values of the settings windows' controls, apart from how they are
// drawn: what a drop-down list, a check box, a track bar and a check list
// hold. The dialogs' handlers read and write these; the widgets
// (world/dialogs/DialogWidgets.h) show them, write the user's changes into
// them and report each change to its handler. Nothing here draws, so the
// dialogs' logic runs without a screen.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace velmora {

// A drop-down list: its items and the chosen one (-1: none).
struct TDialogComboBox {
  std::vector<std::string> Items;
  int ItemIndex = -1;
  bool Enabled = true;

  // The chosen item's text, empty when none.
  std::string Text() const {
    return ItemIndex >= 0 && size_t(ItemIndex) < Items.size() ? Items[size_t(ItemIndex)] : std::string();
  }
  // The chosen item's text without a copy, "" when none.
  const char* Chosen() const {
    return ItemIndex >= 0 && size_t(ItemIndex) < Items.size() ? Items[size_t(ItemIndex)].c_str() : "";
  }
  // Chooses index, or none (-1) when it names no item.
  void SetItemIndex(int index) { ItemIndex = index >= 0 && size_t(index) < Items.size() ? index : -1; }
  // The index of text, -1 when no item reads so.
  int IndexOf(const std::string& text) const {
    for (size_t i = 0; i < Items.size(); ++i)
      if (Items[i] == text) return int(i);
    return -1;
  }
};

struct TDialogCheckBox {
  std::string Caption;
  bool Checked = false;
  bool Enabled = true;
};

// A track bar from Min to Max with a tick every Frequency.
struct TDialogTrackBar {
  int Min = 0;
  int Max = 100;
  int Frequency = 5;
  int Position = 0;
  void SetPosition(int value) { Position = value < Min ? Min : value > Max ? Max : value; }
};

// A list of entries, each with a tick box, and the selected entry.
struct TDialogCheckList {
  std::vector<std::pair<std::string, bool>> Items;  // text, ticked
  int ItemIndex = -1;
};

}  // namespace velmora
