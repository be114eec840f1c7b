// The window-system side of OpenGL.
//
// Everything between the program and the OpenGL driver that is not an
// OpenGL call: loading the GL library, looking up entry points by name, the
// framebuffer formats a window can be drawn with, rendering contexts, the
// buffer swap and its interval, the window system's own extension list.
// OpenGL calls themselves go through the entry-point table (gl/GLEntryPoints.h)
// that the program fills from GetProcAddress.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Window.h"

namespace platform {

// One framebuffer configuration of the display, described the way the
// program's format records need it.
struct GLFormat {
  int colorBits = 0;  // all colour channels with alpha, as the buffer holds them
  int redBits = 0, greenBits = 0, blueBits = 0, alphaBits = 0;
  int redShift = 0, greenShift = 0, blueShift = 0;  // bit positions in a palette index
  int depthBits = 0;
  int stencilBits = 0;
  int accumBits = 0;  // sum of the four accumulation channels
  int accumRedBits = 0, accumGreenBits = 0, accumBlueBits = 0, accumAlphaBits = 0;
  bool drawToWindow = false;  // usable for the windows of this backend
  bool drawToBitmap = false;  // usable for pixmaps / off-screen bitmaps
  bool doubleBuffer = false;
  bool supportGDI = false;    // never set on these platforms
  bool generic = false;       // drawn by a software rasterizer or marked slow
  bool needPalette = false;   // colour-index format that needs a palette
  uint64_t nativeId = 0;      // the backend's own name of the configuration
};

struct GLPaletteEntry {
  uint8_t red = 0, green = 0, blue = 0, flags = 0;
};

using GLContext = void*;

class GLDriver {
 public:
  // The library name that stands for the software rasterizer of the system
  // GL library.
  static constexpr const char* kSoftwareLibrary = "software";

  virtual ~GLDriver() = default;

  // The file name of the system GL library.
  virtual std::string SystemLibraryName() const = 0;
  // Loads the system library, the software rasterizer (kSoftwareLibrary) or
  // a library by file name. False when it cannot be loaded.
  virtual bool LoadLibrary(const std::string& name) = 0;
  virtual void UnloadLibrary() = 0;
  virtual bool LibraryLoaded() const = 0;
  // An entry point by name; nullptr when unknown or no library is loaded.
  // The window system may hand out a pointer for names the driver does not
  // implement, so extension functions are looked up only when listed.
  virtual void* GetProcAddress(const char* name) = 0;

  // The framebuffer configurations that `window` can be drawn with, in the
  // display's order; empty when there are none or nothing is loaded.
  virtual std::vector<GLFormat> EnumerateFormats(NativeWindow& window) = 0;
  // Gives `window` the framebuffer format and makes a rendering context for
  // it; nullptr on failure. The window may have to be made again for a new
  // format (see platform/sdl/SdlWindow.h), which changes its Id().
  virtual GLContext CreateContext(NativeWindow& window, const GLFormat& format) = 0;
  // Makes `context` current on `window`; (nullptr, nullptr) releases the
  // current one. False on failure.
  virtual bool MakeCurrent(NativeWindow* window, GLContext context) = 0;
  virtual void DeleteContext(GLContext context) = 0;
  // Builds and realises the palette of a colour-index format; false when the
  // platform has no palettes.
  virtual bool RealizePalette(NativeWindow& window, const std::vector<GLPaletteEntry>& entries) = 0;

  // Shows the back buffer; returns when the frame is done where the surface
  // cannot wait itself (an offscreen surface), so the caller never runs
  // more than a frame ahead of the renderer.
  virtual void SwapWindow(NativeWindow& window) = 0;
  // Whether the swap interval can be read and set with the current context.
  virtual bool SwapIntervalSupported() = 0;
  virtual int GetSwapInterval() = 0;
  virtual bool SetSwapInterval(int interval) = 0;

  // The window system's extension names for `window`, separated by blanks;
  // empty when it has none to tell.
  virtual std::string WindowSystemExtensions(NativeWindow& window) = 0;
};

}  // namespace platform
