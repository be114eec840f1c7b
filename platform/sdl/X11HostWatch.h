// The X11 windows of other programs that Velmora draws into: a screen-saver
// daemon's window (-window-id, $XSCREENSAVER_WINDOW) or the root window.
//
// The host owns such a window: it sizes it, and it destroys it when it is
// done with the module, often while a frame is still being drawn. SDL does
// not listen to a window it did not make, and Xlib's default answer to a
// request on a window that is gone is an error text and the end of the
// process. So for every host window:
//   - its structure events are asked for on SDL's connection, so that SDL
//     reports its size changes (SDL_WINDOWEVENT_SIZE_CHANGED) and its end
//     reaches TakeLostHostWindows through SDL_SYSWMEVENT (HostWindowEvent);
//   - a process-wide Xlib error handler swallows the errors that say a host
//     window (or a drawable on it) is gone, records the window as lost, and
//     from then on stays quiet about every error, since the program is on
//     its way out; other errors go to the handler that was there before
//     (SDL's, which reports them and ends the process).
//
// Lifecycle: ExpectHostWindow just before SDL takes a host window over
// (the error handler is installed with the first) -> WatchHostWindow once
// SDL has it -> HostWindowEvent for every
// SDL_SYSWMEVENT -> TakeLostHostWindows from the event queue, each lost
// window reported once -> UnwatchHostWindow when SDL lets go of it. The
// handler stays for the rest of the process.
//
// UI thread only (Xlib calls error handlers on the thread that reads the
// connection).
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

namespace platform {

// Called before SDL takes `host` over: SDL then reads the window's
// properties and attributes on its own connection, and a host that
// destroys the window at that moment must not end the process with Xlib's
// error text. The error handler is in place from here and the window
// counts as watched, so such an error only marks it lost.
void ExpectHostWindow(uint64_t host);
// Records `host` as lost (found gone outside an X error or event).
void HostWindowWent(uint64_t host);
// Whether `host` is among the lost windows not yet taken.
bool HostWindowLost(uint64_t host);

// Starts watching `host` (an X window id) that `window` draws into.
void WatchHostWindow(SDL_Window* window, uint64_t host);
void UnwatchHostWindow(uint64_t host);

// Looks at one SDL_SYSWMEVENT; true when it told of a watched host
// window's end (the window is then among the lost ones).
bool HostWindowEvent(const SDL_Event& event);

// Host windows found gone since the last call (by their end event or by an
// error about them), each once.
std::vector<uint64_t> TakeLostHostWindows();

}  // namespace platform
