// The OpenGL driver through SDL, with the framebuffer configurations read
// from the display itself: GLX FBConfigs when SDL draws through X11, EGL
// configs otherwise (the offscreen driver, Wayland, KMS).
//
// Software rendering is the system library with Mesa's LIBGL_ALWAYS_SOFTWARE
// set before it loads. SDL keeps one GL library for the whole process and
// every OpenGL window holds a reference to it, so switching between the two
// modes takes the windows' surfaces down, loads the library again and makes
// the surfaces anew (each window keeps its object, its Id() changes).
#include <SDL.h>
#include <SDL_syswm.h>

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/glx.h>

#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/GLDriver.h"
#include "platform/Service.h"
#include "platform/sdl/SdlWindow.h"
#include "platform/sdl/X11HostWatch.h"
#include "platform/sdl/X11Library.h"
#include "platform/wayland/LayerWindow.h"

#undef LoadLibrary

namespace platform {

namespace {

constexpr const char* kSoftwareVariable = "LIBGL_ALWAYS_SOFTWARE";

bool IsX11() {
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver && std::strcmp(driver, "x11") == 0;
}

bool IsOffscreen() {
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver && std::strcmp(driver, "offscreen") == 0;
}

bool HasToken(const char* list, std::string_view name) {
  if (!list) return false;
  std::string_view all(list);
  size_t pos = 0;
  while (pos < all.size()) {
    size_t end = all.find(' ', pos);
    if (end == std::string_view::npos) end = all.size();
    if (all.substr(pos, end - pos) == name) return true;
    pos = end + 1;
  }
  return false;
}

SdlWindow* AsSdl(NativeWindow* window) { return dynamic_cast<SdlWindow*>(window); }
LayerWindow* AsLayer(NativeWindow* window) { return dynamic_cast<LayerWindow*>(window); }
// The layer window whose context is current, if any.
LayerWindow* currentLayer = nullptr;

bool SoftwareRequestedByEnvironment() {
  const char* v = std::getenv(kSoftwareVariable);
  return v && *v && std::strcmp(v, "0") != 0 && std::strcmp(v, "false") != 0;
}

// --- EGL ---------------------------------------------------------------

struct EglDisplay {
  EGLDisplay display = EGL_NO_DISPLAY;
  bool software = false;  // the driver behind it is a software rasterizer
};

// The display SDL's offscreen driver draws with: the first EGL device that
// initialises, as SDL picks it.
EglDisplay OffscreenDisplay() {
  EglDisplay result;
  auto queryDevices = reinterpret_cast<PFNEGLQUERYDEVICESEXTPROC>(eglGetProcAddress("eglQueryDevicesEXT"));
  auto queryDeviceString =
      reinterpret_cast<PFNEGLQUERYDEVICESTRINGEXTPROC>(eglGetProcAddress("eglQueryDeviceStringEXT"));
  auto platformDisplay =
      reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (!queryDevices || !platformDisplay) return result;
  EGLDeviceEXT devices[16];
  EGLint count = 0;
  if (!queryDevices(16, devices, &count)) return result;
  for (EGLint i = 0; i < count; ++i) {
    EGLDisplay d = platformDisplay(EGL_PLATFORM_DEVICE_EXT, devices[i], nullptr);
    if (d == EGL_NO_DISPLAY) continue;
    EGLint major = 0, minor = 0;
    if (!eglInitialize(d, &major, &minor)) continue;
    result.display = d;
    result.software = queryDeviceString && HasToken(queryDeviceString(devices[i], EGL_EXTENSIONS), "EGL_MESA_device_software");
    return result;
  }
  return result;
}

EglDisplay WindowDisplay(SdlWindow& window) {
  EglDisplay result;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  EGLNativeDisplayType native = EGL_DEFAULT_DISPLAY;
#if defined(SDL_VIDEO_DRIVER_WAYLAND)
  if (window.Sdl() && SDL_GetWindowWMInfo(window.Sdl(), &info) && info.subsystem == SDL_SYSWM_WAYLAND)
    native = reinterpret_cast<EGLNativeDisplayType>(info.info.wl.display);
#else
  (void)window;
  (void)info;
#endif
  EGLDisplay d = eglGetDisplay(native);
  EGLint major = 0, minor = 0;
  if (d == EGL_NO_DISPLAY || !eglInitialize(d, &major, &minor)) return result;
  result.display = d;
  using DriverName = const char* (*)(EGLDisplay);
  if (HasToken(eglQueryString(d, EGL_EXTENSIONS), "EGL_MESA_query_driver")) {
    auto name = reinterpret_cast<DriverName>(eglGetProcAddress("eglGetDisplayDriverName"));
    const char* n = name ? name(d) : nullptr;
    result.software = n && (std::strstr(n, "swrast") || std::strstr(n, "llvmpipe") || std::strstr(n, "softpipe"));
  }
  return result;
}

std::vector<GLFormat> EglFormats(SdlWindow& window) {
  std::vector<GLFormat> formats;
  const bool offscreen = IsOffscreen();
  EglDisplay display = offscreen ? OffscreenDisplay() : WindowDisplay(window);
  if (display.display == EGL_NO_DISPLAY) return formats;
  EGLint n = 0;
  if (!eglGetConfigs(display.display, nullptr, 0, &n) || n <= 0) return formats;
  std::vector<EGLConfig> configs(static_cast<size_t>(n));
  if (!eglGetConfigs(display.display, configs.data(), n, &n)) return formats;
  configs.resize(static_cast<size_t>(n));
  const bool software = display.software || SoftwareRequestedByEnvironment();
  for (EGLConfig c : configs) {
    auto attr = [&](EGLint name) {
      EGLint v = 0;
      eglGetConfigAttrib(display.display, c, name, &v);
      return static_cast<int>(v);
    };
    // Desktop OpenGL only; the others are for OpenGL ES.
    if (!(attr(EGL_RENDERABLE_TYPE) & EGL_OPENGL_BIT)) continue;
    GLFormat f;
    f.colorBits = attr(EGL_BUFFER_SIZE);
    f.redBits = attr(EGL_RED_SIZE);
    f.greenBits = attr(EGL_GREEN_SIZE);
    f.blueBits = attr(EGL_BLUE_SIZE);
    f.alphaBits = attr(EGL_ALPHA_SIZE);
    f.blueShift = 0;
    f.greenShift = f.blueBits;
    f.redShift = f.blueBits + f.greenBits;
    f.depthBits = attr(EGL_DEPTH_SIZE);
    f.stencilBits = attr(EGL_STENCIL_SIZE);
    const int surfaces = attr(EGL_SURFACE_TYPE);
    // The offscreen driver's windows are pbuffers.
    f.drawToWindow = (surfaces & (offscreen ? EGL_PBUFFER_BIT : EGL_WINDOW_BIT)) != 0;
    f.drawToBitmap = (surfaces & EGL_PIXMAP_BIT) != 0;
    // EGL gives every window surface a back buffer; the buffer is chosen per
    // surface, not per configuration.
    f.doubleBuffer = f.drawToWindow;
    f.generic = software || attr(EGL_CONFIG_CAVEAT) == EGL_SLOW_CONFIG;
    f.needPalette = attr(EGL_COLOR_BUFFER_TYPE) != EGL_RGB_BUFFER;
    f.nativeId = static_cast<uint64_t>(attr(EGL_CONFIG_ID));
    formats.push_back(f);
  }
  return formats;
}

// --- GLX ---------------------------------------------------------------

Display* X11Display(SdlWindow& window, int& screen) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
#if defined(SDL_VIDEO_DRIVER_X11)
  if (window.Sdl() && SDL_GetWindowWMInfo(window.Sdl(), &info) && info.subsystem == SDL_SYSWM_X11) {
    screen = DefaultScreen(info.info.x11.display);
    return info.info.x11.display;
  }
#else
  (void)window;
  (void)info;
#endif
  screen = 0;
  return nullptr;
}

bool GlxSoftware(Display* display, int screen) {
  if (!HasToken(glXQueryExtensionsString(display, screen), "GLX_MESA_query_renderer")) return false;
  using QueryRenderer = Bool (*)(Display*, int, int, int, unsigned int*);
  auto query = reinterpret_cast<QueryRenderer>(
      glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXQueryRendererIntegerMESA")));
  unsigned int accelerated = 1;
  if (!query || !query(display, screen, 0, GLX_RENDERER_ACCELERATED_MESA, &accelerated)) return false;
  return accelerated == 0;
}

// The visual of the window of another program that `window` draws into;
// 0 for a window of our own (or when it cannot be asked).
VisualID HostVisual(SdlWindow& window, Display* display) {
  if (!window.Foreign() || window.HostId() == 0) return 0;
  XWindowAttributes attributes{};
  if (!X11Library::Get().Loaded() ||
      !X11Library::Get().getWindowAttributes(display, Window(window.HostId()), &attributes) || !attributes.visual)
    return 0;
  return XVisualIDFromVisual(attributes.visual);
}

std::vector<GLFormat> GlxFormats(SdlWindow& window) {
  std::vector<GLFormat> formats;
  int screen = 0;
  Display* display = X11Display(window, screen);
  if (!display) return formats;
  // The host made its window with a visual of its choice (a screen-saver
  // daemon's is often 32 bits deep); OpenGL can draw into it only with a
  // configuration of that same visual.
  const VisualID hostVisual = HostVisual(window, display);
  int n = 0;
  GLXFBConfig* configs = glXGetFBConfigs(display, screen, &n);
  if (!configs) return formats;
  const bool software = SoftwareRequestedByEnvironment() || GlxSoftware(display, screen);
  for (int i = 0; i < n; ++i) {
    auto attr = [&](int name) {
      int v = 0;
      glXGetFBConfigAttrib(display, configs[i], name, &v);
      return v;
    };
    GLFormat f;
    f.colorBits = attr(GLX_BUFFER_SIZE);
    f.redBits = attr(GLX_RED_SIZE);
    f.greenBits = attr(GLX_GREEN_SIZE);
    f.blueBits = attr(GLX_BLUE_SIZE);
    f.alphaBits = attr(GLX_ALPHA_SIZE);
    f.blueShift = 0;
    f.greenShift = f.blueBits;
    f.redShift = f.blueBits + f.greenBits;
    f.depthBits = attr(GLX_DEPTH_SIZE);
    f.stencilBits = attr(GLX_STENCIL_SIZE);
    f.accumRedBits = attr(GLX_ACCUM_RED_SIZE);
    f.accumGreenBits = attr(GLX_ACCUM_GREEN_SIZE);
    f.accumBlueBits = attr(GLX_ACCUM_BLUE_SIZE);
    f.accumAlphaBits = attr(GLX_ACCUM_ALPHA_SIZE);
    f.accumBits = f.accumRedBits + f.accumGreenBits + f.accumBlueBits + f.accumAlphaBits;
    const int drawables = attr(GLX_DRAWABLE_TYPE);
    // A window needs an X visual as well.
    f.drawToWindow = (drawables & GLX_WINDOW_BIT) != 0 && attr(GLX_VISUAL_ID) != 0 &&
                     (hostVisual == 0 || VisualID(attr(GLX_VISUAL_ID)) == hostVisual);
    f.drawToBitmap = (drawables & GLX_PIXMAP_BIT) != 0;
    f.doubleBuffer = attr(GLX_DOUBLEBUFFER) != 0;
    f.generic = software || attr(GLX_CONFIG_CAVEAT) == GLX_SLOW_CONFIG;
    f.needPalette = (attr(GLX_RENDER_TYPE) & GLX_RGBA_BIT) == 0;
    f.nativeId = static_cast<uint64_t>(attr(GLX_FBCONFIG_ID));
    formats.push_back(f);
  }
  XFree(configs);
  return formats;
}

// --- the driver --------------------------------------------------------

// A context for a host's window. SDL asks the server for the window's
// visual first and, when the host has destroyed the window a moment before,
// goes on with the garbage of the failed request (a crash inside Xlib). So
// the server is grabbed on SDL's connection for the few requests it takes:
// the window cannot go meanwhile, it is checked once under the grab, and a
// window already gone is recorded as lost (the run then ends as when it
// goes later) instead of being handed to SDL.
SDL_GLContext CreateHostContext(SdlWindow& window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  X11Library& x = X11Library::Get();
  using ServerFn = int (*)(Display*);
  auto grab = reinterpret_cast<ServerFn>(x.Symbol("XGrabServer"));
  auto ungrab = reinterpret_cast<ServerFn>(x.Symbol("XUngrabServer"));
  if (!SDL_GetWindowWMInfo(window.Sdl(), &info) || info.subsystem != SDL_SYSWM_X11 || !grab || !ungrab ||
      !x.getWindowAttributes || !x.sync)
    return SDL_GL_CreateContext(window.Sdl());
  Display* display = info.info.x11.display;
  const uint64_t host = window.HostId();
  grab(display);
  // Errors about the host's window are the host watch's: they mark it lost.
  XWindowAttributes attributes{};
  const Status status = x.getWindowAttributes(display, info.info.x11.window, &attributes);
  x.sync(display, False);
  SDL_GLContext context = nullptr;
  if (status != 0 && !HostWindowLost(host))
    context = SDL_GL_CreateContext(window.Sdl());
  else
    HostWindowWent(host);
  ungrab(display);
  x.sync(display, False);
  return context;
}

class SdlGLDriver : public GLDriver {
 public:
  std::string SystemLibraryName() const override { return "libGL.so.1"; }

  bool LoadLibrary(const std::string& name) override {
    if (loaded_) UnloadLibrary();
    try {
      SdlEnsureVideo("GLDriver", "LoadLibrary");
    } catch (...) {
      return false;
    }
    const bool software = name == kSoftwareLibrary;
    // SDL names the system library itself; a name of its own it loads only
    // while no other library is loaded.
    const char* path = (software || name == SystemLibraryName()) ? nullptr : name.c_str();
    // SDL falls back to its default library when a named one is missing.
    if (path) {
      void* probe = SDL_LoadObject(path);
      if (!probe) return false;
      SDL_UnloadObject(probe);
    }
    if (!RememberedEnvironment()) RememberEnvironment();
    const bool wantSoftware = software || environmentSoftware_;

    std::vector<SdlWindow*> dropped;
    if (SdlHoldsLibrary() && wantSoftware != SoftwareRequestedByEnvironment()) {
      for (SdlWindow* w : SdlWindow::All()) {
        if (w->Sdl()) {
          w->DropSurface();
          dropped.push_back(w);
        }
      }
    }
    bool ok = true;
    if (SdlHoldsLibrary() && wantSoftware != SoftwareRequestedByEnvironment()) {
      ok = false;  // someone else still holds the library in the other mode
    } else {
      SetSoftwareEnvironment(wantSoftware);
      ok = SDL_GL_LoadLibrary(path) == 0;
    }
    for (SdlWindow* w : dropped) {
      try {
        w->Recreate();
      } catch (...) {
        ok = false;
      }
    }
    if (!ok) return false;
    loaded_ = true;
    return true;
  }

  void UnloadLibrary() override {
    if (!loaded_) return;
    SDL_GL_UnloadLibrary();
    loaded_ = false;
  }

  bool LibraryLoaded() const override { return loaded_; }

  void* GetProcAddress(const char* name) override { return loaded_ ? SDL_GL_GetProcAddress(name) : nullptr; }

  std::vector<GLFormat> EnumerateFormats(NativeWindow& window) override {
    if (LayerWindow* l = AsLayer(&window)) return loaded_ ? l->Formats() : std::vector<GLFormat>{};
    SdlWindow* w = AsSdl(&window);
    if (!loaded_ || !w) return {};
    return IsX11() ? GlxFormats(*w) : EglFormats(*w);
  }

  GLContext CreateContext(NativeWindow& window, const GLFormat& format) override {
    if (LayerWindow* l = AsLayer(&window)) {
      if (!loaded_) return nullptr;
      GLContext context = l->CreateContext(format);
      if (context) layerContexts_.emplace_back(context, l);
      return context;
    }
    SdlWindow* w = AsSdl(&window);
    if (!loaded_ || !w) return nullptr;
    SdlGLAttributes attributes;
    attributes.red = format.redBits;
    attributes.green = format.greenBits;
    attributes.blue = format.blueBits;
    attributes.alpha = format.alphaBits;
    attributes.depth = format.depthBits;
    attributes.stencil = format.stencilBits;
    attributes.accumRed = format.accumRedBits;
    attributes.accumGreen = format.accumGreenBits;
    attributes.accumBlue = format.accumBlueBits;
    attributes.accumAlpha = format.accumAlphaBits;
    attributes.doubleBuffer = format.doubleBuffer ? 1 : 0;
    attributes.Apply();
    // Without a profile SDL makes the context for the visual the window has,
    // which a host's window needs (see GlxFormats); with one it picks a
    // configuration of its own, whose visual may not fit that window.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK,
                        w->Foreign() && IsX11() ? 0 : SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    // The surface format is fixed when the SDL window is made.
    if (!w->Sdl() || !(attributes == w->Attributes())) {
      try {
        w->Recreate();
      } catch (...) {
        return nullptr;
      }
    }
    if (w->Foreign() && w->HostId() && IsX11()) return CreateHostContext(*w);
    return SDL_GL_CreateContext(w->Sdl());
  }

  bool MakeCurrent(NativeWindow* window, GLContext context) override {
    if (!loaded_) return false;
    if (currentLayer && (!context || AsLayer(window) != currentLayer)) {
      currentLayer->MakeCurrent(nullptr);
      currentLayer = nullptr;
    }
    if (LayerWindow* l = AsLayer(window)) {
      if (!context || !l->MakeCurrent(context)) return !context;
      currentLayer = l;
      return true;
    }
    SdlWindow* w = AsSdl(window);
    if (context && (!w || !w->Sdl())) return false;
    return SDL_GL_MakeCurrent(context ? w->Sdl() : nullptr, context) == 0;
  }

  void DeleteContext(GLContext context) override {
    for (auto it = layerContexts_.begin(); it != layerContexts_.end(); ++it) {
      if (it->first != context) continue;
      if (currentLayer == it->second) currentLayer = nullptr;
      it->second->DeleteContext(context);
      layerContexts_.erase(it);
      return;
    }
    if (context) SDL_GL_DeleteContext(context);
  }

  bool RealizePalette(NativeWindow&, const std::vector<GLPaletteEntry>&) override { return false; }

  void SwapWindow(NativeWindow& window) override {
    if (LayerWindow* l = AsLayer(&window)) {
      l->Swap();
      return;
    }
    SdlWindow* w = AsSdl(&window);
    if (!w || !w->Sdl()) return;
    w->ShowPending();
    SDL_GL_SwapWindow(w->Sdl());
    // The offscreen driver draws into an EGL pbuffer, whose swap returns at
    // once and waits for nothing. Mesa's software renderer then lets the
    // loop run ahead, queueing frame after frame with all their binned
    // geometry (hundreds of MB in a benchmark); a window's swap waits for
    // its frame. Waiting here keeps one frame in flight there too.
    if (IsOffscreen()) {
      using Finish = void (*)();
      if (auto finish = reinterpret_cast<Finish>(SDL_GL_GetProcAddress("glFinish"))) finish();
    }
  }

  bool SwapIntervalSupported() override {
    if (currentLayer) return true;
    // Setting the interval it already has tells whether it can be set.
    return loaded_ && SDL_GL_GetCurrentContext() && SDL_GL_SetSwapInterval(SDL_GL_GetSwapInterval()) == 0;
  }

  int GetSwapInterval() override { return currentLayer ? layerInterval_ : SDL_GL_GetSwapInterval(); }

  bool SetSwapInterval(int interval) override {
    if (!currentLayer) return SDL_GL_SetSwapInterval(interval) == 0;
    if (!currentLayer->SetSwapInterval(interval)) return false;
    layerInterval_ = interval;
    return true;
  }

  std::string WindowSystemExtensions(NativeWindow& window) override {
    if (LayerWindow* l = AsLayer(&window)) return loaded_ ? l->Extensions() : std::string();
    SdlWindow* w = AsSdl(&window);
    if (!loaded_ || !w || !w->Sdl()) return {};
    const char* list = nullptr;
    if (IsX11()) {
      int screen = 0;
      if (Display* d = X11Display(*w, screen)) list = glXQueryExtensionsString(d, screen);
    } else if (EGLDisplay d = eglGetCurrentDisplay(); d != EGL_NO_DISPLAY) {
      list = eglQueryString(d, EGL_EXTENSIONS);
    }
    return list ? std::string(list) : std::string();
  }

 private:
  static bool SdlHoldsLibrary() { return SDL_GL_GetProcAddress("glGetString") != nullptr; }

  bool RememberedEnvironment() const { return remembered_; }
  void RememberEnvironment() {
    remembered_ = true;
    environmentSoftware_ = SoftwareRequestedByEnvironment();
  }
  static void SetSoftwareEnvironment(bool software) {
    if (software)
      setenv(kSoftwareVariable, "1", 1);
    else
      unsetenv(kSoftwareVariable);
  }

  bool loaded_ = false;
  // Contexts of layer windows (EGL contexts of their own connection), with
  // the window each belongs to.
  std::vector<std::pair<GLContext, LayerWindow*>> layerContexts_;
  int layerInterval_ = 1;
  bool remembered_ = false;
  bool environmentSoftware_ = false;  // the user's own LIBGL_ALWAYS_SOFTWARE
};

}  // namespace

template <>
GLDriver& Service<GLDriver>::Default() {
  static SdlGLDriver driver;
  return driver;
}

}  // namespace platform
