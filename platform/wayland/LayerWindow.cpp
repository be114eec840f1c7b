#include "platform/wayland/LayerWindow.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <unistd.h>
#include <wayland-client.h>
#include <wayland-egl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <type_traits>

#include <SDL.h>

#include "platform/Events.h"
#include "platform/Service.h"
#include "platform/sdl/WaylandSession.h"
// The protocol names an argument "namespace", a C++ keyword.
#define namespace layer_namespace
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace
#include "xdg-shell-client-protocol.h"

namespace platform {

namespace {

constexpr uint32_t kFirstId = 0x7000;  // far from SDL's window ids
std::atomic<uint32_t> nextId{kFirstId};

// The classic virtual-key code of a Linux input key code (0 for the rest).
int32_t VirtualKeyOf(uint32_t code) {
  static const char* const rows[] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
  static const uint32_t starts[] = {16, 30, 44};
  for (int r = 0; r < 3; ++r) {
    const uint32_t n = static_cast<uint32_t>(std::strlen(rows[r]));
    if (code >= starts[r] && code < starts[r] + n) return rows[r][code - starts[r]];
  }
  if (code >= 2 && code <= 10) return '1' + static_cast<int32_t>(code - 2);
  switch (code) {
    case 11: return '0';
    case 1: return 27;    // Escape
    case 14: return 8;    // Backspace
    case 15: return 9;    // Tab
    case 28: return 13;   // Enter
    case 57: return 32;   // Space
    case 42: case 54: return 16;  // Shift
    case 29: case 97: return 17;  // Ctrl
    case 56: case 100: return 18; // Alt
    case 99: return 44;   // Print Screen
    default: return 0;
  }
}

}  // namespace

struct LayerWindow::Session {
  struct Output {
    wl_output* output = nullptr;
    uint32_t name = 0;
    int width = 0, height = 0;  // its current mode
  };
  struct Surface {
    Session* session = nullptr;
    wl_surface* surface = nullptr;
    wl_output* output = nullptr;
    zwlr_layer_surface_v1* layer = nullptr;
    // Without a layer shell: a full-screen window on the output.
    xdg_surface* xdg = nullptr;
    xdg_toplevel* toplevel = nullptr;
    int pendingWidth = 0, pendingHeight = 0;  // the toplevel's configure, until the surface's
    wl_egl_window* eglWindow = nullptr;
    EGLSurface eglSurface = EGL_NO_SURFACE;
    std::atomic<int> width{0}, height{0};  // as configured
    int eglWidth = 0, eglHeight = 0;       // as the EGL window has it
    std::atomic<bool> configured{false}, closed{false};
  };

  wl_display* display = nullptr;
  wl_registry* registry = nullptr;
  wl_compositor* compositor = nullptr;
  zwlr_layer_shell_v1* shell = nullptr;
  xdg_wm_base* windowManager = nullptr;
  bool fullScreenWindows = false;  // no layer shell: toplevel windows instead
  wl_seat* seat = nullptr;
  wl_pointer* pointer = nullptr;
  wl_keyboard* keyboard = nullptr;
  // Outputs the compositor announced. The reader thread adds those that
  // appear while the run goes on; the drawing thread gives them surfaces.
  std::mutex outputsLock;
  std::vector<Output> outputs;
  size_t outputsTaken = 0;  // outputs[0, outputsTaken) were looked at
  bool followNewOutputs = false;
  std::vector<std::unique_ptr<Surface>> surfaces;
  uint32_t windowId = 0;
  DesktopLayer layer = DesktopLayer::Overlay;
  bool keyboardWanted = false;
  // Below the windows the surfaces may stay covered for hours, and a
  // covered surface gets no frame callbacks: its swaps never wait for
  // one (the application's frame pacer keeps them to their rate instead).
  bool background = false;

  EGLDisplay egl = EGL_NO_DISPLAY;
  EGLConfig config = nullptr;
  std::vector<EGLContext> contexts;
  EGLContext current = EGL_NO_CONTEXT;
  std::vector<unsigned char> picture;  // the first output's frame, for the others

  std::thread reader;
  std::atomic<bool> stopping{false};

  ~Session();
  void Post(const Message& m) const {
    Message copy = m;
    copy.window = windowId;
    Get<EventSource>().Post(copy);
  }
  void Start();
  // A surface of the layer (or a full-screen window) on `output`,
  // committed without a buffer: the compositor configures it, and it is
  // drawn after that.
  void AddSurface(wl_output* output);
  // An output's current size (0 x 0 while unknown).
  void OutputSize(wl_output* output, int& width, int& height);
  // EGL's window and surface for a configured surface, in the format of
  // the contexts.
  bool MakeEglSurface(Surface& surface);
  // Surfaces for the outputs that appeared since the last look.
  void TakeNewOutputs();
};

namespace {

using Session = LayerWindow::Session;

// --- input ---------------------------------------------------------------

void PointerEnter(void*, wl_pointer* pointer, uint32_t serial, wl_surface*, wl_fixed_t, wl_fixed_t) {
  // No cursor over the picture.
  wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
}
void PointerLeave(void*, wl_pointer*, uint32_t, wl_surface*) {}
void PointerMotion(void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
  Message m;
  m.kind = MessageKind::MouseMove;
  m.x = wl_fixed_to_int(x);
  m.y = wl_fixed_to_int(y);
  static_cast<Session*>(data)->Post(m);
}
void PointerButton(void* data, wl_pointer*, uint32_t, uint32_t, uint32_t button, uint32_t state) {
  const bool down = state == WL_POINTER_BUTTON_STATE_PRESSED;
  Message m;
  switch (button) {
    case 0x110: m.kind = down ? MessageKind::LButtonDown : MessageKind::LButtonUp; break;
    case 0x111: m.kind = down ? MessageKind::RButtonDown : MessageKind::RButtonUp; break;
    case 0x112: m.kind = down ? MessageKind::MButtonDown : MessageKind::MButtonUp; break;
    default: return;
  }
  static_cast<Session*>(data)->Post(m);
}
void PointerAxis(void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {}
// The seat is bound at version 4: no pointer event beyond these comes.
const wl_pointer_listener kPointer{PointerEnter, PointerLeave, PointerMotion, PointerButton, PointerAxis,
                                   nullptr, nullptr, nullptr, nullptr, nullptr};

void KeyboardKeymap(void*, wl_keyboard*, uint32_t, int32_t fd, uint32_t) { close(fd); }
void KeyboardEnter(void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {}
void KeyboardLeave(void*, wl_keyboard*, uint32_t, wl_surface*) {}
void KeyboardKey(void* data, wl_keyboard*, uint32_t, uint32_t, uint32_t key, uint32_t state) {
  Message m;
  m.kind = state == WL_KEYBOARD_KEY_STATE_PRESSED ? MessageKind::KeyDown : MessageKind::KeyUp;
  m.key = VirtualKeyOf(key);
  static_cast<Session*>(data)->Post(m);
}
void KeyboardModifiers(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {}
void KeyboardRepeat(void*, wl_keyboard*, int32_t, int32_t) {}
const wl_keyboard_listener kKeyboard{KeyboardKeymap, KeyboardEnter, KeyboardLeave,
                                     KeyboardKey, KeyboardModifiers, KeyboardRepeat};

void SeatCapabilities(void* data, wl_seat* seat, uint32_t caps) {
  auto* s = static_cast<Session*>(data);
  if ((caps & WL_SEAT_CAPABILITY_POINTER) && !s->pointer) {
    s->pointer = wl_seat_get_pointer(seat);
    wl_pointer_add_listener(s->pointer, &kPointer, s);
  }
  if ((caps & WL_SEAT_CAPABILITY_KEYBOARD) && !s->keyboard && s->keyboardWanted) {
    s->keyboard = wl_seat_get_keyboard(seat);
    wl_keyboard_add_listener(s->keyboard, &kKeyboard, s);
  }
}
void SeatName(void*, wl_seat*, const char*) {}
const wl_seat_listener kSeat{SeatCapabilities, SeatName};

// --- globals and surfaces ------------------------------------------------

// For the tests of the fallback on compositors that offer no layer shell:
// with VELMORA_TEST_NO_LAYER_SHELL=1 its global is passed over.
bool LayerShellIgnored() {
  const char* v = std::getenv("VELMORA_TEST_NO_LAYER_SHELL");
  return v && std::strcmp(v, "1") == 0;
}

void OutputGeometry(void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*, const char*,
                    int32_t) {}
void OutputMode(void* data, wl_output* output, uint32_t flags, int32_t width, int32_t height, int32_t) {
  if (!(flags & WL_OUTPUT_MODE_CURRENT)) return;
  auto* s = static_cast<Session*>(data);
  std::lock_guard<std::mutex> hold(s->outputsLock);
  for (auto& o : s->outputs)
    if (o.output == output) {
      o.width = width;
      o.height = height;
    }
}
// Bound at version 1: no output event beyond these comes.
const wl_output_listener kOutput{OutputGeometry, OutputMode, nullptr, nullptr, nullptr, nullptr};

void WindowManagerPing(void*, xdg_wm_base* manager, uint32_t serial) { xdg_wm_base_pong(manager, serial); }
const xdg_wm_base_listener kWindowManager{WindowManagerPing};

void Global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
  auto* s = static_cast<Session*>(data);
  if (std::strcmp(interface, wl_compositor_interface.name) == 0) {
    s->compositor = static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 1));
  } else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0 && !LayerShellIgnored()) {
    s->shell = static_cast<zwlr_layer_shell_v1*>(
        wl_registry_bind(registry, name, &zwlr_layer_shell_v1_interface, std::min<uint32_t>(version, 3)));
  } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
    auto* output = static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, 1));
    {
      std::lock_guard<std::mutex> hold(s->outputsLock);
      s->outputs.push_back({output, name});
    }
    wl_output_add_listener(output, &kOutput, s);
  } else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0 && !s->windowManager) {
    s->windowManager = static_cast<xdg_wm_base*>(wl_registry_bind(registry, name, &xdg_wm_base_interface, 1));
    xdg_wm_base_add_listener(s->windowManager, &kWindowManager, s);
  } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !s->seat) {
    s->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, std::min<uint32_t>(version, 4)));
    wl_seat_add_listener(s->seat, &kSeat, s);
  }
}
void GlobalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener kRegistry{Global, GlobalRemove};

// A surface's size from the compositor: taken with the next frame, and a
// change of the first one's told to the program.
void Configured(Session::Surface* surface, uint32_t width, uint32_t height) {
  surface->width = static_cast<int>(width);
  surface->height = static_cast<int>(height);
  const bool first = !surface->configured.exchange(true);
  if (!first) {
    Message m;
    m.kind = MessageKind::Resize;
    m.x = static_cast<int32_t>(width);
    m.y = static_cast<int32_t>(height);
    surface->session->Post(m);
  }
}
void Closed(Session::Surface* surface) {
  // Its output went (or the compositor wants it away): the run ends, as
  // quietly as when it is told to.
  if (surface->closed.exchange(true)) return;
  Message m;
  m.kind = MessageKind::Quit;
  Get<EventSource>().Post(m);
}

void LayerConfigure(void* data, zwlr_layer_surface_v1* layer, uint32_t serial, uint32_t width, uint32_t height) {
  zwlr_layer_surface_v1_ack_configure(layer, serial);
  Configured(static_cast<Session::Surface*>(data), width, height);
}
void LayerClosed(void* data, zwlr_layer_surface_v1*) { Closed(static_cast<Session::Surface*>(data)); }
const zwlr_layer_surface_v1_listener kLayer{LayerConfigure, LayerClosed};

// The full-screen windows: the toplevel's size comes first, the surface's
// configure then makes it count. A size of 0 leaves it to the window: the
// output's.
void ToplevelConfigure(void* data, xdg_toplevel*, int32_t width, int32_t height, wl_array*) {
  auto* surface = static_cast<Session::Surface*>(data);
  surface->pendingWidth = width;
  surface->pendingHeight = height;
}
void ToplevelClose(void* data, xdg_toplevel*) { Closed(static_cast<Session::Surface*>(data)); }
// Bound at version 1: no toplevel event beyond these comes.
const xdg_toplevel_listener kToplevel{ToplevelConfigure, ToplevelClose, nullptr, nullptr};

void WindowConfigure(void* data, xdg_surface* xdg, uint32_t serial) {
  auto* surface = static_cast<Session::Surface*>(data);
  xdg_surface_ack_configure(xdg, serial);
  int width = surface->pendingWidth, height = surface->pendingHeight;
  if (width <= 0 || height <= 0) surface->session->OutputSize(surface->output, width, height);
  if (width <= 0 || height <= 0) {
    width = 640;
    height = 480;
  }
  Configured(surface, static_cast<uint32_t>(width), static_cast<uint32_t>(height));
}
const xdg_surface_listener kWindow{WindowConfigure};

}  // namespace

void LayerWindow::Session::OutputSize(wl_output* output, int& width, int& height) {
  std::lock_guard<std::mutex> hold(outputsLock);
  for (auto& o : outputs)
    if (o.output == output) {
      width = o.width;
      height = o.height;
    }
}

void LayerWindow::Session::AddSurface(wl_output* output) {
  auto s = std::make_unique<Surface>();
  s->session = this;
  s->output = output;
  s->surface = wl_compositor_create_surface(compositor);
  if (fullScreenWindows) {
    s->xdg = xdg_wm_base_get_xdg_surface(windowManager, s->surface);
    xdg_surface_add_listener(s->xdg, &kWindow, s.get());
    s->toplevel = xdg_surface_get_toplevel(s->xdg);
    xdg_toplevel_add_listener(s->toplevel, &kToplevel, s.get());
    xdg_toplevel_set_title(s->toplevel, "Velmora");
    xdg_toplevel_set_app_id(s->toplevel, "velmora");
    xdg_toplevel_set_fullscreen(s->toplevel, output);
    wl_surface_commit(s->surface);
    surfaces.push_back(std::move(s));
    return;
  }
  s->layer = zwlr_layer_shell_v1_get_layer_surface(shell, s->surface, output, static_cast<uint32_t>(layer), "velmora");
  zwlr_layer_surface_v1_add_listener(s->layer, &kLayer, s.get());
  zwlr_layer_surface_v1_set_anchor(s->layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                                 ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT |
                                                 ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
  zwlr_layer_surface_v1_set_size(s->layer, 0, 0);
  // The whole output, panels or not, and pushed aside by none.
  zwlr_layer_surface_v1_set_exclusive_zone(s->layer, -1);
  zwlr_layer_surface_v1_set_keyboard_interactivity(
      s->layer, layer == DesktopLayer::Overlay ? ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE
                                               : ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
  wl_surface_commit(s->surface);
  surfaces.push_back(std::move(s));
}

bool LayerWindow::Session::MakeEglSurface(Surface& surface) {
  surface.eglWidth = std::max(1, surface.width.load());
  surface.eglHeight = std::max(1, surface.height.load());
  surface.eglWindow = wl_egl_window_create(surface.surface, surface.eglWidth, surface.eglHeight);
  surface.eglSurface =
      eglCreateWindowSurface(egl, config, reinterpret_cast<EGLNativeWindowType>(surface.eglWindow), nullptr);
  return surface.eglSurface != EGL_NO_SURFACE;
}

void LayerWindow::Session::TakeNewOutputs() {
  std::vector<wl_output*> fresh;
  {
    std::lock_guard<std::mutex> hold(outputsLock);
    for (; outputsTaken < outputs.size(); ++outputsTaken) fresh.push_back(outputs[outputsTaken].output);
  }
  if (fresh.empty() || !followNewOutputs) return;
  for (wl_output* output : fresh) AddSurface(output);
  wl_display_flush(display);
}

void LayerWindow::Session::Start() {
  reader = std::thread([this] {
    while (!stopping.load()) {
      if (wl_display_dispatch(display) == -1) {
        if (!stopping.load()) EndForLostWaylandConnection();
        return;
      }
    }
  });
}

LayerWindow::Session::~Session() {
  if (reader.joinable()) {
    stopping = true;
    // A round trip wakes the reader, which then sees it is to stop.
    wl_callback* wake = wl_display_sync(display);
    wl_display_flush(display);
    reader.join();
    wl_callback_destroy(wake);
  }
  if (egl != EGL_NO_DISPLAY) {
    eglMakeCurrent(egl, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    for (EGLContext c : contexts) eglDestroyContext(egl, c);
  }
  for (auto& s : surfaces) {
    if (s->eglSurface != EGL_NO_SURFACE) eglDestroySurface(egl, s->eglSurface);
    if (s->eglWindow) wl_egl_window_destroy(s->eglWindow);
    if (s->layer) zwlr_layer_surface_v1_destroy(s->layer);
    if (s->toplevel) xdg_toplevel_destroy(s->toplevel);
    if (s->xdg) xdg_surface_destroy(s->xdg);
    if (s->surface) wl_surface_destroy(s->surface);
  }
  if (egl != EGL_NO_DISPLAY) eglTerminate(egl);
  if (keyboard) wl_keyboard_destroy(keyboard);
  if (pointer) wl_pointer_destroy(pointer);
  if (seat) wl_seat_destroy(seat);
  for (auto& o : outputs) wl_output_destroy(o.output);
  if (shell) zwlr_layer_shell_v1_destroy(shell);
  if (windowManager) xdg_wm_base_destroy(windowManager);
  if (compositor) wl_compositor_destroy(compositor);
  if (registry) wl_registry_destroy(registry);
  if (display) {
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
  }
}

namespace {

// The outputs (their indices) that `bounds` touches, by the monitors SDL
// lists in the compositor's order; all of them for an empty rectangle or
// when SDL lists other monitors; the first for the primary monitor alone.
std::vector<size_t> CoveredOutputs(const Rect& bounds, bool primaryOnly, size_t outputs) {
  if (primaryOnly) return {0};
  std::vector<size_t> all;
  for (size_t i = 0; i < outputs; ++i) all.push_back(i);
  const int displays = SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetNumVideoDisplays() : 0;
  if (bounds.width <= 0 || bounds.height <= 0 || displays != static_cast<int>(outputs)) return all;
  std::vector<size_t> covered;
  for (int i = 0; i < displays; ++i) {
    SDL_Rect r;
    if (SDL_GetDisplayBounds(i, &r) != 0) return all;
    const bool apart = r.x >= bounds.left + bounds.width || r.x + r.w <= bounds.left ||
                       r.y >= bounds.top + bounds.height || r.y + r.h <= bounds.top;
    if (!apart) covered.push_back(static_cast<size_t>(i));
  }
  return covered.empty() ? all : covered;
}

}  // namespace

std::unique_ptr<LayerWindow> LayerWindow::Create(const WindowRequest& request, DesktopLayer layer,
                                                 std::string& reason) {
  auto session = std::make_shared<Session>();
  session->display = wl_display_connect(nullptr);
  if (!session->display) {
    reason = "no Wayland compositor to connect to";
    return nullptr;
  }
  session->layer = layer;
  session->keyboardWanted = layer == DesktopLayer::Overlay;
  session->background = layer == DesktopLayer::Background;
  session->windowId = nextId++;
  session->registry = wl_display_get_registry(session->display);
  wl_registry_add_listener(session->registry, &kRegistry, session.get());
  wl_display_roundtrip(session->display);
  wl_display_roundtrip(session->display);  // the seat's capabilities
  if (!session->compositor || (!session->shell && (layer != DesktopLayer::Overlay || !session->windowManager))) {
    reason = "the compositor offers no layer shell (zwlr_layer_shell_v1)";
    return nullptr;
  }
  if (!session->shell) {
    // Above the windows there is then a full-screen window on each output.
    session->fullScreenWindows = true;
    reason = "the compositor offers no layer shell (zwlr_layer_shell_v1); a full-screen window on each output instead";
  }
  if (session->outputs.empty()) {
    reason = "the compositor has no outputs";
    return nullptr;
  }
  const std::vector<size_t> covered = CoveredOutputs(request.bounds, request.primaryOnly, session->outputs.size());
  for (size_t i : covered) session->AddSurface(session->outputs[i].output);
  // Outputs plugged in later get the scene too, unless the run keeps to
  // some of them.
  session->followNewOutputs = !request.primaryOnly && covered.size() == session->outputs.size();
  session->outputsTaken = session->outputs.size();
  // Each surface is drawn only after its first configure.
  for (int tries = 0; tries < 100; ++tries) {
    bool all = true;
    for (auto& s : session->surfaces) all = all && (s->configured || s->closed);
    if (all) break;
    if (wl_display_roundtrip(session->display) == -1) break;
  }
  if (wl_display_get_error(session->display) != 0 || !session->surfaces.front()->configured) {
    reason = session->fullScreenWindows ? "the compositor did not configure the full-screen windows"
                                        : "the compositor did not configure the layer surfaces";
    return nullptr;
  }
  session->egl = eglGetPlatformDisplay(EGL_PLATFORM_WAYLAND_KHR, session->display, nullptr);
  EGLint major = 0, minor = 0;
  if (session->egl == EGL_NO_DISPLAY || !eglInitialize(session->egl, &major, &minor) ||
      !eglBindAPI(EGL_OPENGL_API)) {
    reason = "EGL cannot draw on the compositor's surfaces";
    return nullptr;
  }
  session->Start();
  std::unique_ptr<LayerWindow> window(new LayerWindow());
  window->id_ = session->windowId;
  window->session_ = std::move(session);
  return window;
}

LayerWindow::~LayerWindow() = default;

int LayerWindow::Width() const { return session_->surfaces.front()->width; }
int LayerWindow::Height() const { return session_->surfaces.front()->height; }
int LayerWindow::SurfaceCount() const { return static_cast<int>(session_->surfaces.size()); }

std::vector<GLFormat> LayerWindow::Formats() {
  std::vector<GLFormat> formats;
  EGLDisplay d = session_->egl;
  EGLint n = 0;
  if (!eglGetConfigs(d, nullptr, 0, &n) || n <= 0) return formats;
  std::vector<EGLConfig> configs(static_cast<size_t>(n));
  if (!eglGetConfigs(d, configs.data(), n, &n)) return formats;
  configs.resize(static_cast<size_t>(n));
  for (EGLConfig c : configs) {
    auto attr = [&](EGLint name) {
      EGLint v = 0;
      eglGetConfigAttrib(d, c, name, &v);
      return static_cast<int>(v);
    };
    if (!(attr(EGL_RENDERABLE_TYPE) & EGL_OPENGL_BIT) || !(attr(EGL_SURFACE_TYPE) & EGL_WINDOW_BIT)) continue;
    GLFormat f;
    f.colorBits = attr(EGL_BUFFER_SIZE);
    f.redBits = attr(EGL_RED_SIZE);
    f.greenBits = attr(EGL_GREEN_SIZE);
    f.blueBits = attr(EGL_BLUE_SIZE);
    f.alphaBits = attr(EGL_ALPHA_SIZE);
    f.greenShift = f.blueBits;
    f.redShift = f.blueBits + f.greenBits;
    f.depthBits = attr(EGL_DEPTH_SIZE);
    f.stencilBits = attr(EGL_STENCIL_SIZE);
    f.drawToWindow = true;
    f.doubleBuffer = true;
    f.generic = attr(EGL_CONFIG_CAVEAT) == EGL_SLOW_CONFIG;
    f.needPalette = attr(EGL_COLOR_BUFFER_TYPE) != EGL_RGB_BUFFER;
    f.nativeId = static_cast<uint64_t>(attr(EGL_CONFIG_ID));
    formats.push_back(f);
  }
  return formats;
}

GLContext LayerWindow::CreateContext(const GLFormat& format) {
  Session& s = *session_;
  const EGLint wanted[] = {EGL_CONFIG_ID, static_cast<EGLint>(format.nativeId), EGL_NONE};
  EGLConfig config = nullptr;
  EGLint n = 0;
  if (!eglChooseConfig(s.egl, wanted, &config, 1, &n) || n != 1) return nullptr;
  if (s.config && s.config != config) return nullptr;  // the surfaces keep the format they were made with
  if (!s.config) {
    s.config = config;
    for (auto& surface : s.surfaces) {
      // A surface still waiting for its size gets its EGL side once it has one.
      if (!surface->configured) continue;
      if (!s.MakeEglSurface(*surface)) {
        s.config = nullptr;
        return nullptr;
      }
    }
  }
  EGLContext context = eglCreateContext(s.egl, config, s.contexts.empty() ? EGL_NO_CONTEXT : s.contexts.front(),
                                        nullptr);
  if (context == EGL_NO_CONTEXT) return nullptr;
  s.contexts.push_back(context);
  return context;
}

bool LayerWindow::MakeCurrent(GLContext context) {
  Session& s = *session_;
  if (!context) {
    s.current = EGL_NO_CONTEXT;
    return eglMakeCurrent(s.egl, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT) == EGL_TRUE;
  }
  EGLSurface first = s.surfaces.front()->eglSurface;
  if (first == EGL_NO_SURFACE) return false;
  if (eglMakeCurrent(s.egl, first, first, context) != EGL_TRUE) return false;
  s.current = context;
  if (s.background) eglSwapInterval(s.egl, 0);
  return true;
}

void LayerWindow::DeleteContext(GLContext context) {
  Session& s = *session_;
  auto it = std::find(s.contexts.begin(), s.contexts.end(), context);
  if (it == s.contexts.end()) return;
  if (s.current == context) MakeCurrent(nullptr);
  eglDestroyContext(s.egl, context);
  s.contexts.erase(it);
}

namespace {

// The OpenGL 1.x calls that copy the first output's picture to the others.
struct CopyCalls {
  void (*readPixels)(int, int, int, int, unsigned, unsigned, void*) = nullptr;
  void (*drawPixels)(int, int, unsigned, unsigned, const void*) = nullptr;
  void (*windowPos)(int, int) = nullptr;
  void (*pixelZoom)(float, float) = nullptr;
  void (*pushAttrib)(unsigned) = nullptr;
  void (*popAttrib)() = nullptr;
  void (*disable)(unsigned) = nullptr;
  void (*viewport)(int, int, int, int) = nullptr;
  bool ok = false;
};

const CopyCalls& Copying() {
  static const CopyCalls calls = [] {
    CopyCalls c;
    auto get = [](auto& f, const char* name) { f = reinterpret_cast<std::remove_reference_t<decltype(f)>>(eglGetProcAddress(name)); };
    get(c.readPixels, "glReadPixels");
    get(c.drawPixels, "glDrawPixels");
    get(c.windowPos, "glWindowPos2i");
    get(c.pixelZoom, "glPixelZoom");
    get(c.pushAttrib, "glPushAttrib");
    get(c.popAttrib, "glPopAttrib");
    get(c.disable, "glDisable");
    get(c.viewport, "glViewport");
    c.ok = c.readPixels && c.drawPixels && c.windowPos && c.pixelZoom && c.pushAttrib && c.popAttrib && c.disable &&
           c.viewport;
    return c;
  }();
  return calls;
}

}  // namespace

void LayerWindow::Swap() {
  Session& s = *session_;
  if (s.current == EGL_NO_CONTEXT) return;
  s.TakeNewOutputs();
  for (auto& surface : s.surfaces)
    if (surface->configured && !surface->closed && surface->eglSurface == EGL_NO_SURFACE) s.MakeEglSurface(*surface);
  Session::Surface& first = *s.surfaces.front();
  // The other outputs get the first one's picture, scaled to their size,
  // before it is shown.
  const CopyCalls& gl = Copying();
  if (s.surfaces.size() > 1 && gl.ok) {
    constexpr unsigned kRgba = 0x1908, kUnsignedByte = 0x1401, kAllAttribs = 0x000FFFFF;
    constexpr unsigned kOff[] = {0x0B71 /* depth test */, 0x0DE1 /* 2D textures */, 0x0B60 /* fog */,
                                 0x0B50 /* lighting */, 0x0BE2 /* blending */, 0x0BC0 /* alpha test */,
                                 0x0B90 /* stencil test */, 0x0C11 /* scissor test */};
    std::vector<unsigned char>& picture = s.picture;
    picture.resize(static_cast<size_t>(first.eglWidth) * first.eglHeight * 4);
    gl.readPixels(0, 0, first.eglWidth, first.eglHeight, kRgba, kUnsignedByte, picture.data());
    for (size_t i = 1; i < s.surfaces.size(); ++i) {
      Session::Surface& other = *s.surfaces[i];
      if (other.closed || other.eglSurface == EGL_NO_SURFACE) continue;
      if (other.eglWidth != other.width || other.eglHeight != other.height) {
        other.eglWidth = std::max(1, other.width.load());
        other.eglHeight = std::max(1, other.height.load());
        wl_egl_window_resize(other.eglWindow, other.eglWidth, other.eglHeight, 0, 0);
      }
      if (eglMakeCurrent(s.egl, other.eglSurface, other.eglSurface, s.current) != EGL_TRUE) continue;
      gl.pushAttrib(kAllAttribs);
      for (unsigned cap : kOff) gl.disable(cap);
      gl.viewport(0, 0, other.eglWidth, other.eglHeight);
      gl.windowPos(0, 0);
      gl.pixelZoom(float(other.eglWidth) / float(first.eglWidth), float(other.eglHeight) / float(first.eglHeight));
      gl.drawPixels(first.eglWidth, first.eglHeight, kRgba, kUnsignedByte, picture.data());
      gl.pixelZoom(1.0f, 1.0f);
      gl.popAttrib();
      eglSwapInterval(s.egl, 0);
      eglSwapBuffers(s.egl, other.eglSurface);
    }
    eglMakeCurrent(s.egl, first.eglSurface, first.eglSurface, s.current);
  }
  eglSwapBuffers(s.egl, first.eglSurface);
  // A new size is taken for the next frame.
  if (first.eglWidth != first.width || first.eglHeight != first.height) {
    first.eglWidth = std::max(1, first.width.load());
    first.eglHeight = std::max(1, first.height.load());
    wl_egl_window_resize(first.eglWindow, first.eglWidth, first.eglHeight, 0, 0);
  }
}

bool LayerWindow::SetSwapInterval(int interval) {
  return eglSwapInterval(session_->egl, session_->background ? 0 : interval) == EGL_TRUE;
}

std::string LayerWindow::Extensions() {
  const char* list = eglQueryString(session_->egl, EGL_EXTENSIONS);
  return list ? list : "";
}

}  // namespace platform
