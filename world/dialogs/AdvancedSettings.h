// The advanced settings dialog ("Advanced Settings", 437 x 390 at 100 %,
// modal over the settings form): display, renderer, texture, power, clock,
// system and sound settings.
//
// Lifecycle:
//
//   made with the scene and the settings host (world/dialogs/SettingsHost.h:
//   the saver's settings, its display's modes, the rendering context; the
//   scene's "Textures", "Sounds" and "GLClock" found) -> Fill -> shown
//   modally; live handlers while open (display lists, colour, sounds) ->
//   OK: Apply / Cancel: nothing more (sound changes made stay) -> freed.
//
// Controls and their bindings:
//   "  Graphic options"  ComboBoxDepth ("Color Depth") and ComboBoxResolution
//                        ("Screen Size"): the display's colour depths and
//                        the sizes of the chosen depth, enabled only without
//                        CheckBoxDesktop ("Desktop Resolution");
//                        ComboBoxMultiMonitors ("Multi-Monitors"): "Primary
//                        Monitor", "<i> - Monitor" for each monitor i = 1..n,
//                        "Dual View", "Virtual Desktop" (the window's
//                        Monitor + 1); ComboBoxRenderer ("Renderer"):
//                        "OpenGL", "Software" (the system library's software
//                        rasteriser); ComboBoxTextures ("Textures"):
//                        "Compressed", "True Color (32 bit)", "High Color
//                        (16 bit)"; ComboBoxQuality ("Quality"): "High",
//                        "Normal", "Low"; ComboBoxRenderScale ("Render
//                        Scale"): "100 %", "75 %", "50 %" of the window's
//                        pixels the scene is drawn at; CheckBoxWaitSync ("Wait Sync");
//                        CheckBoxFPS ("Display FPS")
//   "  System options"   CheckBoxMouseMove ("Exit on Mouse Move"),
//                        CheckBoxRunAsProg ("Run As Program"),
//                        CheckBoxSnapshots ("Snapshots (Print Screen)"):
//                        Ctrl+Print Screen saves a picture, Shift+Print
//                        Screen a film, into the user's pictures folder
//   "  Power Management options"  ComboBoxMonitorOff ("MonitorOff"),
//                        ComboBoxPowerOff ("Power Off"): the 16 timeouts;
//                        CheckBoxFixedFPS ("Low CPU Usage")
//   "  Clock Options"    ComboBoxClockMode ("Mode"): "None", "24-Hour",
//                        "12-Hour"; ShapeColor ("Color"): the colour picker
//   "  Sound options"    CheckListBoxSounds ("Sounds"): one entry per scene
//                        sound, ticked while it plays; TrackBarSoundVolume
//                        0..100, tick every 5: the selected sound's volume,
//                        LabelVolume its name + " Volume", LabelSoundVolume
//                        the number
//
// Apply (OK): the full-screen depth and size from the lists' texts,
// DesktopOnly, the window's Monitor (list index - 1), the renderer (the
// chosen one on the primary monitor, else OpenGL), the power timeouts, the
// clock's mode and colour, WaitSync, the render scale, the texture list's ColorBit and
// Quality (a changed quality reloads every texture of the list at its
// next use), RunAsProgram, MouseMoveExit, SnapshotsEnabled, the scene's ShowFPS, LowCPU.
// Nothing is stored: the settings form's "OK" stores it all.
//
// Errors: "TFormAdvancedSettings.Create error: The scene has no <name>"
// when the scene lacks "GLClock", "Sounds" or "Textures".
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "gl/Types.h"
#include "scene/SceneOptions.h"
#include "world/ClockOptions.h"
#include "world/dialogs/DialogControls.h"

namespace velmora {

class TDialogGui;
class TGLClock;
class TMainScene;
class TSceneSoundList;
class TSceneTextureList;
class TSettingsHost;

class TFormAdvancedSettings {
 public:
  // Finds what it binds to; raises as above.
  TFormAdvancedSettings(TMainScene& scene, TSettingsHost& host);

  TDialogComboBox ComboBoxDepth;
  TDialogComboBox ComboBoxResolution;
  TDialogCheckBox CheckBoxDesktop{"Desktop Resolution"};
  TDialogComboBox ComboBoxMultiMonitors;
  TDialogComboBox ComboBoxRenderer{{"OpenGL", "Software"}};
  TDialogComboBox ComboBoxTextures{{"Compressed", "True Color (32 bit)", "High Color (16 bit)"}};
  TDialogComboBox ComboBoxQuality{{"High", "Normal", "Low"}};
  TDialogComboBox ComboBoxRenderScale{{"100 %", "75 %", "50 %"}};
  TDialogCheckBox CheckBoxWaitSync{"Wait Sync"};
  TDialogCheckBox CheckBoxFPS{"Display FPS"};
  TDialogCheckBox CheckBoxMouseMove{"Exit on Mouse Move"};
  TDialogCheckBox CheckBoxRunAsProg{"Run As Program"};
  TDialogCheckBox CheckBoxSnapshots{"Snapshots (Print Screen)"};
  TDialogComboBox ComboBoxMonitorOff;
  TDialogComboBox ComboBoxPowerOff;
  TDialogCheckBox CheckBoxFixedFPS{"Low CPU Usage"};
  TDialogComboBox ComboBoxClockMode{kOptClockMode.ChoiceWords()};
  // The swatch's colour (alpha kept from the clock).
  TGLColorBytes ShapeColor{255, 255, 255, 255};
  TDialogCheckList CheckListBoxSounds;
  TDialogTrackBar TrackBarSoundVolume{kOptSoundLevel.Min, kOptSoundLevel.Max, 5, 0};
  std::string LabelVolume;
  std::string LabelSoundVolume;

  // The controls from the display, the window, the context, the texture
  // list, the clock, the scene and the sounds.
  void Fill();
  // The settings of the controls (see above).
  void Apply();

  // Live handlers (the control holds the new value).
  void ComboBoxDepthChange();
  void ComboBoxResolutionChange();
  void CheckBoxDesktopClick();
  // The colour picker's result.
  void ShapeColorChange(uint8_t red, uint8_t green, uint8_t blue);
  void TrackBarSoundVolumeChange();
  void CheckListBoxSoundsClickCheck();
  void CheckListBoxSoundsClick();

  // The monitor list for a number of monitors.
  static std::vector<std::string> MonitorNames(int monitors);
  // "None", "1 min.", ..., "5 hour".
  static const std::array<const char*, 16> kTimeoutNames;

  // One frame of the dialog in an open ImGui frame; ok and cancel tell
  // which button closed it.
  void Draw(TDialogGui& gui, bool& ok, bool& cancel);

 private:
  // The size list refilled for the full-screen depth, its entry chosen.
  void RefillSizes();
  void ShowSelectedSound();

  TMainScene& scene_;
  TSettingsHost& host_;
  TSceneTextureList* textures_ = nullptr;
  TSceneSoundList* sounds_ = nullptr;
  TGLClock* clock_ = nullptr;
  int filledQuality_ = 0;
  int filledRenderer_ = 0;
  // The colour picker's working copy (red, green, blue in 0..1) while it
  // is open.
  std::array<float, 3> pickedColor_{1, 1, 1};
};

}  // namespace velmora
