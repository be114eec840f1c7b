#include "platform/fake/FakeGLDriver.h"

namespace platform {

bool FakeGLDriver::LoadLibrary(const std::string& name) {
  if (loaded_) UnloadLibrary();
  loads.push_back(name);
  if (missingLibraries.count(name)) return false;
  loaded_ = true;
  return true;
}

void FakeGLDriver::UnloadLibrary() {
  if (!loaded_) return;
  loaded_ = false;
  ++unloads;
}

void* FakeGLDriver::GetProcAddress(const char* name) {
  if (!loaded_) return nullptr;
  auto it = procs.find(name);
  return it == procs.end() ? nullptr : it->second;
}

std::vector<GLFormat> FakeGLDriver::EnumerateFormats(NativeWindow&) {
  ++enumerations;
  return loaded_ ? formats : std::vector<GLFormat>{};
}

GLContext FakeGLDriver::CreateContext(NativeWindow&, const GLFormat& format) {
  if (!loaded_ || failCreateContext) return nullptr;
  GLContext c = reinterpret_cast<GLContext>(nextContext_);
  nextContext_ += 0x10;
  live_.insert(c);
  ++contextsCreated;
  contextFormats.push_back(format);
  return c;
}

bool FakeGLDriver::MakeCurrent(NativeWindow* window, GLContext context) {
  if (context == nullptr) {
    current = nullptr;
    currentWindow = nullptr;
    return true;
  }
  if (failMakeCurrent || !live_.count(context) || !window) return false;
  current = context;
  currentWindow = window;
  return true;
}

void FakeGLDriver::DeleteContext(GLContext context) {
  if (!live_.erase(context)) return;
  ++contextsDeleted;
  if (current == context) {
    current = nullptr;
    currentWindow = nullptr;
  }
}

bool FakeGLDriver::RealizePalette(NativeWindow&, const std::vector<GLPaletteEntry>& entries) {
  if (!paletteSupported) return false;
  palette = entries;
  return true;
}

void FakeGLDriver::SwapWindow(NativeWindow&) { ++swaps; }

bool FakeGLDriver::SetSwapInterval(int interval) {
  if (!SwapIntervalSupported()) return false;
  ++swapIntervalSets;
  swapInterval = interval;
  return true;
}

std::string FakeGLDriver::WindowSystemExtensions(NativeWindow&) {
  return current ? windowSystemExtensions : std::string();
}

}  // namespace platform
