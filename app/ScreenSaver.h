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

}  // namespace velmora
