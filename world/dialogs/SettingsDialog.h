// The settings dialog's controls and what they do: the everyday options of
// the main form (bubble count, water colour and lights, clock skin and
// clock), its buttons, and the run-time windows it opens (the advanced
// dialog, the about box, help and contact).
//
// Lifecycle:
//
//   made with the form and its world side -> FillControls (OnStartOpenGL in
//   the windowed roles; ControlsReady false meanwhile, so the values set
//   do not echo back into the world) -> change handlers and ButtonClick as
//   the user works the controls (every change applied to the preview at
//   once) -> "OK": the application's SaveOptions, the form closed (when a
//   setting cannot be stored the form stays open, shows kSaveErrorText
//   beside "OK" with the reason as its hint, and the reason goes to
//   standard error);
//   "Cancel" (or the window manager's close button): the form closed,
//   nothing stored.
//
// Controls (captions as shown; group captions begin with two blanks):
//   "  Bubble Count"      TrackBarBubblesCount 0..100, tick every 5;
//                         LabelBubblesCount its value
//   "  Water Options"     ComboBoxBackgrounds the world's waters; CheckBoxLights
//   "  Clock Options"     ComboBoxClock the clock skins; CheckBoxClock
//   "  Fish Options"      ComboBoxFishType the world's fish environments
//                         ("Sea fish" for SaltWater, "River fish" for
//                         FreshWater, any other by its name);
//                         TrackBarFishCount 0..100, tick every 5;
//                         LabelFishCount its value
//   "  Advanced Options"  "Advanced..." (the text below as its hint)
//   bottom row            "Preview", "About", "Help", "Contact Us", "OK", "Cancel"
// Clock skins: the even entries (0, 2, 4, ...) of the skin texture's file
// list, each file name without folder and extension, "_" read as a blank.
//
// The web and contact addresses of the about box and "Contact Us" are the
// help page the program ships (the host's HelpFileName), opened
// with the desktop's opener. When the opener cannot be started (no
// xdg-open), a message over the form names the page in a text the user can
// select and copy.
//
// Everything of the program it reads or changes beyond the scene and the
// world comes through its settings host (world/dialogs/SettingsHost.h).
//
// Errors: those of the world's setters and of the scene objects they
// reach; they go to the application's error handler like every handler's.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Window.h"
#include "world/WorldOptions.h"
#include "world/dialogs/DialogControls.h"

namespace velmora {

class TDialogGui;
class TFormAdvancedSettings;
class TFormWorld;
class TSettingsHost;

class TSettingsDialog {
 public:
  TSettingsDialog(TSettingsHost& host, TFormWorld& side);
  ~TSettingsDialog();
  TSettingsDialog(const TSettingsDialog&) = delete;
  TSettingsDialog& operator=(const TSettingsDialog&) = delete;

  // The window's caption, set by FillControls.
  std::string Caption;

  TDialogTrackBar TrackBarBubblesCount{kOptBubbleCount.Min, kOptBubbleCount.Max, 5, kOptBubbleCount.Default};
  std::string LabelBubblesCount = std::to_string(kOptBubbleCount.Default);
  TDialogComboBox ComboBoxBackgrounds;
  TDialogCheckBox CheckBoxLights{"Lights"};
  TDialogComboBox ComboBoxClock;
  TDialogCheckBox CheckBoxClock{"Clock"};
  TDialogComboBox ComboBoxFishType;
  TDialogTrackBar TrackBarFishCount{kOptFishCount.Min, kOptFishCount.Max, 5, kOptFishCount.Default};
  std::string LabelFishCount = std::to_string(kOptFishCount.Default);

  // The controls from the scene and the world.
  void FillControls();

  // Change handlers: each does nothing while the side's ControlsReady is
  // false. The control holds the new value when they run.
  void ComboBoxBackgroundsChange();
  void TrackBarBubblesCountChange();
  void CheckBoxLightsClick();
  void CheckBoxClockClick();
  void ComboBoxClockChange();
  void ComboBoxFishTypeChange();
  void TrackBarFishCountChange();
  // The name a fish environment shows under in the list.
  static std::string FishTypeName(const std::string& environment);

  enum TButton { btPreview, btAbout, btHelp, btFeedBack, btAdvanced, btOk, btCancel };
  // The buttons' shared click handler.
  void ButtonClick(TButton sender);

  // The advanced dialog: made and filled, shown modally (drawn frame after
  // frame), closed with OK (its settings applied) or Cancel.
  void ShowAdvancedSettings();
  void CloseAdvancedSettings(bool ok);
  TFormAdvancedSettings* Advanced() const { return advanced_.get(); }

  void ShowAboutBox();
  void CloseAboutBox() { aboutShown_ = false; }
  bool AboutShown() const { return aboutShown_; }
  // The about box's texts: title with version, the line with the year, the
  // link, the OpenGL line and the further text.
  std::string AboutTitle() const;
  std::string AboutYearLine() const;
  std::string AboutOpenGL() const;
  static const char* AboutText();
  static const char* AboutLink();

  void OpenContactAddress();
  // Opens address (a file or URL) with the desktop's opener; when that
  // fails, the message with the address is shown (see above).
  void OpenAddress(const std::string& address);
  // The address of the message shown because it could not be opened;
  // empty when none is shown.
  const std::string& UnopenedAddress() const { return unopened_; }
  void CloseUnopenedMessage() { unopened_.clear(); }
  // The address "Contact Us" and the about box's link open: the shipped
  // help page (its contact section).
  std::string ContactAddress() const;
  std::string WebAddress() const;

  // One frame of the form's controls and of whatever window is open over
  // them (ImGui; world/dialogs/SettingsDialogView.cpp). A frame in which
  // nothing changes allocates nothing.
  void Draw(TDialogGui& gui);

  // The names of a skin file list's colour images (see above).
  static std::vector<std::string> SkinNames(const std::vector<std::string>& fileList);

  static const char* const kAdvancedText;

  // Why the last "OK" stored nothing or not all (the settings store's
  // reason); empty when it stored everything or was not pressed yet.
  std::string SaveError;
  static const char* const kSaveErrorText;

 private:
  void DrawForm(TDialogGui& gui);
  void DrawAboutBox(TDialogGui& gui);
  void DrawUnopenedMessage(TDialogGui& gui);
  // The form's preview panel in the window; a rendering context is active.
  platform::Rect PreviewPanel() const;
  bool RenderingActive() const;

  TSettingsHost& host_;
  TFormWorld& side_;
  std::unique_ptr<TFormAdvancedSettings> advanced_;
  bool advancedOpening_ = false;
  bool aboutShown_ = false;
  bool aboutOpening_ = false;
  // The about box's texts, made as it opens.
  std::string aboutTitle_, aboutYearLine_, aboutOpenGL_;
  std::string unopened_;
  bool unopenedOpening_ = false;
};

}  // namespace velmora
