// The screen-saver driver: the application object of the program.
//
// The host starts a screen saver with a switch that names its role: "/s"
// full screen, "/p ID" (or "/l ID") a live preview inside the host's window
// ID, "/c" or "/c:ID" the settings form, "/a" the host's password change,
// nothing an ordinary program. X11 screen-saver daemons start their modules
// with "-window-id ID", "-root" or the XSCREENSAVER_WINDOW variable instead;
// those render into the named window like the preview.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/GLApplication.h"
#include "platform/Window.h"

namespace velmora {

// The role the process runs in, decided once from the command line.
using TSaverRole = uint8_t;
enum : TSaverRole {
  srProgram = 0,   // an ordinary program (or no recognised switch)
  srSaver = 1,     // full screen until user input
  srPreview = 2,   // render into the host's window
  srConfig = 3,    // the settings form
  srPassword = 4,  // the host's password-change dialog, then end
};

struct TSaverCommandLine {
  TSaverRole Role = srProgram;
  // The host window of the preview, configuration and password roles.
  platform::ForeignWindowId ParentHandle = 0;
  // "-root" without XSCREENSAVER_WINDOW: render into the display's root window.
  bool ParentIsRoot = false;
};

// The program file's kind as the role rules know it: ".EXE" for a name
// without extension (an executable on Linux), ".SCR" for one ending in
// ".scr", otherwise the upper-cased extension.
std::string ProgramFileKind(std::string_view programPath);

// A switch letter L is present when some argument (after the program path)
// begins with "-" or "/" and, upper-cased, has L as its second character.
bool HasSwitch(const std::vector<std::string>& argv, char letter);

// A window id: decimal, or hexadecimal after "0x". Anything else raises
// "TGLScreenSaver.Create error: Invalid window id \"...\"".
platform::ForeignWindowId ParseWindowId(std::string_view text);

// Decides role and host window. argv[0] is the program path; foreground is
// the window in the foreground at start (the host window when the command
// line names none); xscreensaverWindow is the XSCREENSAVER_WINDOW variable
// (empty when unset). Bad window ids raise as ParseWindowId does.
TSaverCommandLine DecideSaverRole(const std::vector<std::string>& argv, platform::ForeignWindowId foreground,
                                  const std::string& xscreensaverWindow);

// Seconds of the power timers by index; -1 means none.
inline constexpr std::array<float, 16> PowerTimeouts = {-1,   60,   120,  180,  300,  600,   900,   1200,
                                                        1500, 1800, 2700, 3600, 7200, 10800, 14400, 18000};

// The timeout of an index; an index outside 0..15 raises
// "TGLScreenSaver.<operation> error: Index out of bounds".
float PowerTimeout(int index, const char* operation);

// The application object of the program: decides its role from the command
// line when it is made, drives that role once its properties are read
// (Initialize), ends the saver on user input, and runs the power timers.
//
// Exit input in the saver role while full screen: a key press (but Print
// Screen, Shift and Ctrl), a button release or double click, a system key,
// and - with MouseMoveExit - a pointer move: the first five moves after a
// reset are ignored, the sixth fixes the reference point, and only a move
// of at least 3 pixels on both axes from it ends the saver. The preview and
// the windowed roles never end on input.
class TGLScreenSaver : public TCustomGLApplication {
 public:
  explicit TGLScreenSaver(TComponent* owner);
  // Clears the running flag (program and saver roles) and enables the
  // configuration role's host window again.
  ~TGLScreenSaver() override;

  void Initialize() override;
  void MessageHook(platform::Message& message, bool& handled) override;
  void PowerOff() override;
  void LoadOptions() override;
  void SaveOptions() override;

  void StartSaver();
  void StartPreview(platform::ForeignWindowId hostWindow);
  void StartConfig(platform::ForeignWindowId hostWindow);
  void ChangePassword(platform::ForeignWindowId hostWindow);
  void StartAsProgram();
  bool VerifyPassword();
  bool PasswordProtected();
  bool MouseMoved(int x, int y);
  void ResetMouse();
  void SystemPowerOff();
  void MonitorOff();
  void HideOwnerForm();
  void SetScreenSaverRunning(bool running);

  TSaverRole Role() const { return role_; }
  platform::ForeignWindowId ParentHandle() const { return parentHandle_; }
  bool ParentIsRoot() const { return parentIsRoot_; }

  int LastMouseX() const { return lastMouseX_; }
  int LastMouseY() const { return lastMouseY_; }
  int MouseIgnoreCount() const { return mouseIgnoreCount_; }

  // "Exit on Mouse Move".
  bool MouseMoveExit = false;
  // "Run As Program": the saver file starts its companion program instead.
  bool RunAsProgram = false;
  // A run of its own (film, benchmark) that neither takes nor honours the
  // single-instance lock; set before the component is loaded. The preview
  // role never takes it either: a screen-saver daemon starts one module per
  // monitor and one more in its settings program's preview.
  bool Independent = false;

  int PowerOffIndex() const { return powerOffIndex_; }
  // 0..15 (PowerTimeouts); 0 also denies the system's query to suspend.
  void SetPowerOffIndex(int index);
  float PowerOffTime() const { return powerOffTime_; }
  int MonitorOffIndex() const { return monitorOffIndex_; }
  void SetMonitorOffIndex(int index);
  float MonitorOffTime() const { return monitorOffTime_; }

 protected:
  // The saver role has a lock of its own ("<AppName>SaverSemaphore"): an
  // open settings window never keeps the saver from starting, while a
  // second saver ends. A second settings window asks the first to come
  // forward. Either refusal is said on standard error.
  std::string InstanceLockName() const override;
  void InstanceRefused() override;
  // Each frame, drawn or not: in the saver role the power-off and
  // monitor-off timers; in the configuration role a short pause.
  void PowerTimersStep() override;

 private:
  // The program file as the role rules see it (".EXE", ".SCR", ...).
  std::string ProgramKind() const;

  TSaverRole role_ = srProgram;
  platform::ForeignWindowId parentHandle_ = 0;
  bool parentIsRoot_ = false;
  int lastMouseX_ = -1;
  int lastMouseY_ = -1;
  int mouseIgnoreCount_ = 5;
  int powerOffIndex_ = 0;
  float powerOffTime_ = -1;
  int monitorOffIndex_ = 0;
  float monitorOffTime_ = -1;
  bool hostDisabled_ = false;
};

}  // namespace velmora
