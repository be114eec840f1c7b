// A scripted display: the modes it lists, the mode it is in, and a record
// of every change the program asked for.
#pragma once

#include <vector>

#include "platform/Display.h"

namespace platform {

class FakeDisplay : public Display {
 public:
  FakeDisplay();

  bool EnumMode(int index, DisplayMode& mode) override;
  bool TestMode(const DisplayMode& mode) override;
  bool ChangeMode(const DisplayMode& mode) override;
  void RestoreMode() override;
  DisplayMode CurrentMode() override;
  int MonitorCount() override;
  Rect MonitorBounds(int index) override;
  Rect VirtualDesktop() override;
  ScreenSize PrimaryScreenSize() override;
  float ContentScale() override { return scale; }
  void AttachFullScreenWindow(NativeWindow* window) override;
  void DetachFullScreenWindow(NativeWindow* window) override;

  // The script.
  std::vector<DisplayMode> modes;     // what EnumMode answers, in order
  std::vector<DisplayMode> rejected;  // TestMode fails for these (width, height, bits)
  DisplayMode desktop{1024, 768, 32, 60};
  bool changeFails = false;           // ChangeMode answers false
  std::vector<Rect> monitors{{0, 0, 1024, 768}};
  float scale = 1.0f;                 // what ContentScale answers

  // The record.
  DisplayMode current{};              // desktop, or the mode last changed to
  bool changed = false;               // a change is in effect
  std::vector<DisplayMode> changes;   // every ChangeMode call
  std::vector<DisplayMode> tests;     // every TestMode call
  int restores = 0;
  NativeWindow* attached = nullptr;

 private:
  bool Listed(const DisplayMode& mode) const;
};

}  // namespace platform
