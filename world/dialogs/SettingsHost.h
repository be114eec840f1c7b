// What the world's settings form and its dialogs take from the program that
// shows them, in one table.
//
// The world's form side (world/FormWorld.h), the settings dialog and the
// advanced dialog read and change the screen saver's settings, its
// display's full-screen modes, its window's monitor and a few things of
// the form itself (caption, "Preview", closing). They do not know who
// keeps those: the application's settings form (app/SettingsForm.h)
// implements this interface and is handed to the form side it makes.
// Nothing in world/ includes an application header.
//
// Lifecycle: the host outlives the form side, the dialogs and every world
// made on its scene host.
//
// Errors: the display-mode setters raise what the mode's text parsing
// raises ("TScreenMode.Set... error: ..."); the rest raise nothing of their
// own.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Window.h"

namespace velmora {

class TSceneHost;

// The screen saver's settings the advanced dialog shows and sets, as plain
// values; each as the saver stores it.
struct TSaverSettings {
  // The percentage of the window's pixels the scene is drawn at: 100, 75 or 50.
  int RenderScale = 100;
  // Indexes 0..15 into the saver's power timeouts ("None", "1 min.", ...).
  int PowerOffIndex = 0;
  int MonitorOffIndex = 0;
  // The window's full-screen target: -1 the whole desktop, 0..count-1 a
  // monitor, count and count + 1 the side-by-side views (-1 without a
  // window, where setting it changes nothing).
  int Monitor = -1;
  bool MouseMoveExit = false;
  bool RunAsProgram = false;
  bool SnapshotsEnabled = false;
  bool LowCPU = false;
};

class TSettingsHost {
 public:
  virtual ~TSettingsHost() = default;

  // The host of the scenes the form shows: rendering context, frame rate,
  // option store (scene/SceneHost.h).
  virtual TSceneHost& SceneHost() = 0;
  // The folder of the program file: where the carried scene's files are.
  virtual std::string ExeDir() const = 0;
  // The program's title ("Velmora") and its help page.
  virtual std::string Title() const = 0;
  virtual std::string HelpFileName() const = 0;
  // The saver draws into a host's window (the preview role).
  virtual bool InPreview() const = 0;
  // The run is one with the settings dialog (the program and the
  // configuration roles).
  virtual bool InSettingsRole() const = 0;
  // The seed the scene's random numbers start with; none: the clock's.
  virtual std::optional<uint32_t> RandomSeed() const = 0;

  // The application's options loaded: its own, then the form side's
  // (which the application's load event hands on).
  virtual void LoadApplicationOptions() = 0;
  // Every option stored as the load reads them; the reason of the first
  // write that failed, empty when all were stored.
  virtual std::string SaveApplicationOptions() = 0;

  virtual TSaverSettings SaverSettings() const = 0;
  // Each value set as the saver's own setter sets it (a power index
  // outside 0..15 raises as the saver's does).
  virtual void SetSaverSettings(const TSaverSettings& settings) = 0;

  // The display's full-screen modes as the advanced dialog lists them; with
  // no display (HasDisplay false) the lists stay as they are and the
  // setters change nothing.
  virtual bool HasDisplay() const = 0;
  // The display is in full screen now.
  virtual bool FullScreen() const = 0;
  virtual void GetColorDepthNames(std::vector<std::string>& list) = 0;
  // The sizes of the full-screen mode's depth; the list is left alone when
  // that depth is not offered.
  virtual void GetScreenSizes(std::vector<std::string>& list) = 0;
  virtual int ColorDepthIndex() = 0;
  virtual int ScreenSizeIndex() = 0;
  // "Desktop Resolution": full screen keeps the desktop's mode.
  virtual bool DesktopOnly() const = 0;
  virtual void SetDesktopOnly(bool value) = 0;
  // The full-screen mode given the depth of a depth name ("True
  // Color(32 bit)"), its size kept, or the size of a size text ("640x480"),
  // its depth kept; the display corrects it to a mode it offers.
  virtual void SetFullScreenDepthName(const std::string& name) = 0;
  virtual void SetFullScreenSizeText(const std::string& text) = 0;

  // The form's caption, also the title of its window when it has one.
  virtual void SetCaption(const std::string& caption) = 0;
  // The part of the form's window the scene draws in.
  virtual platform::Rect PreviewPanel() const = 0;
  // The controls filled from the scene and the world (the form side's
  // FillControls).
  virtual void FillDialogControls() = 0;
  // "Preview": the scene full screen until input (see app/SettingsForm.h).
  virtual void StartPreview() = 0;
  // The form closed, as its window's close does.
  virtual void CloseForm() = 0;
};

}  // namespace velmora
