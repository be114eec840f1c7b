// The Wayland side of the SDL backend: which video system SDL starts, and
// what happens when the compositor goes away.
//
// - With WAYLAND_DISPLAY set SDL is asked for its Wayland video first and
//   X11 only after it (SDL itself prefers X11 while Xwayland runs). An
//   SDL_VIDEODRIVER of the user's, or a driver the program chose, wins.
// - The compositor's connection is watched from a thread of its own: SDL
//   waits for the compositor in loops that never give up (a window being
//   shown waits for its first configure), so a lost connection ends the
//   process there with code 1, as Xlib ends it when the X server dies.
// - SIGTERM and SIGINT reach SDL's own handler (a quit event) and, should
//   the program not have ended a few seconds later, end it anyway: a run
//   stuck in a wait of the window system still obeys them.
#pragma once

#include <SDL.h>

namespace platform {

// Sets SDL's driver list to Wayland, then X11, when WAYLAND_DISPLAY is set
// and nobody chose a driver. Before the video system starts.
void PreferWaylandVideo();

// Whether SDL was, or will be, started with a driver chosen by name (the
// user's SDL_VIDEODRIVER, a hint of the program's).
bool VideoDriverChosen();

// Whether a display can be reached at all: a chosen driver, DISPLAY or
// WAYLAND_DISPLAY.
bool DisplayNamed();

// Starts watching the Wayland connection that `window` was made on (once a
// process; nothing under another video system).
void WatchWaylandConnection(SDL_Window* window);

// Whether the watched connection has failed (asked at once, not at the
// thread's next look).
bool WaylandConnectionLost();

// Says on standard error that the compositor went, and ends the process
// with code 1.
[[noreturn]] void EndForLostWaylandConnection();

// Adds the grace-period end to the SIGTERM and SIGINT handlers in force
// (SDL's). Once a process; after SDL's events started.
void WatchTermination();

}  // namespace platform
