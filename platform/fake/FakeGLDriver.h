// An OpenGL driver made of scripts, so that the rules of the rendering
// context object (format choice, activation failures, library fallback, swap
// interval) are testable without a display.
//
// Nothing is drawn. Entry points are whatever the test puts into `procs`;
// every other name resolves to nullptr, as with a library that lacks it.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/GLDriver.h"

namespace platform {

class FakeGLDriver : public GLDriver {
 public:
  // --- script ---
  std::string systemLibrary = "libGL.so.1";
  std::set<std::string> missingLibraries;  // names whose loading fails
  std::vector<GLFormat> formats;           // what every window offers
  std::map<std::string, void*> procs;      // entry points by name
  bool failCreateContext = false;
  bool failMakeCurrent = false;
  bool swapIntervalSupported = true;
  bool paletteSupported = false;
  std::string windowSystemExtensions;

  // --- record ---
  std::vector<std::string> loads;  // every LoadLibrary name, failed ones too
  int unloads = 0;
  int enumerations = 0;
  int contextsCreated = 0;
  int contextsDeleted = 0;
  int swaps = 0;
  int swapIntervalSets = 0;
  int swapInterval = 0;
  std::vector<GLFormat> contextFormats;  // format of every created context
  std::vector<GLPaletteEntry> palette;   // the last realised palette
  GLContext current = nullptr;
  NativeWindow* currentWindow = nullptr;
  int liveContexts() const { return contextsCreated - contextsDeleted; }

  std::string SystemLibraryName() const override { return systemLibrary; }
  bool LoadLibrary(const std::string& name) override;
  void UnloadLibrary() override;
  bool LibraryLoaded() const override { return loaded_; }
  void* GetProcAddress(const char* name) override;
  std::vector<GLFormat> EnumerateFormats(NativeWindow& window) override;
  GLContext CreateContext(NativeWindow& window, const GLFormat& format) override;
  bool MakeCurrent(NativeWindow* window, GLContext context) override;
  void DeleteContext(GLContext context) override;
  bool RealizePalette(NativeWindow& window, const std::vector<GLPaletteEntry>& entries) override;
  void SwapWindow(NativeWindow& window) override;
  bool SwapIntervalSupported() override { return swapIntervalSupported && current != nullptr; }
  int GetSwapInterval() override { return swapInterval; }
  bool SetSwapInterval(int interval) override;
  std::string WindowSystemExtensions(NativeWindow& window) override;

 private:
  bool loaded_ = false;
  std::set<GLContext> live_;
  uintptr_t nextContext_ = 0x1000;
};

// A window that is only a size, for the fake driver.
class FakeGLWindow : public NativeWindow {
 public:
  uint32_t Id() const override { return 1; }
  void* Handle() const override { return nullptr; }
  int Width() const override { return width; }
  int Height() const override { return height; }
  void SetBounds(const Rect& bounds) override {
    width = bounds.width;
    height = bounds.height;
  }
  void SetVisible(bool) override {}
  void SetTitle(const std::string&) override {}
  void Raise() override {}
  int width = 64, height = 64;
};

}  // namespace platform
