#include "gl/OpenGL.h"

#include <cfenv>
#include <string_view>

#include "core/Error.h"
#include "gl/DisplayList.h"
#include "gl/Light.h"
#include "gl/Material.h"
#include "gl/Primitive.h"
#include "gl/ScreenShot.h"
#include "gl/Texture.h"
#include "gl/Viewport.h"
#include "platform/Service.h"

namespace velmora {

namespace {

platform::GLDriver& Driver() { return platform::Get<platform::GLDriver>(); }

std::string GetString(GLenum name) {
  if (!GL.glGetString) return {};
  const GLubyte* s = GL.glGetString(name);
  return s ? std::string(reinterpret_cast<const char*>(s)) : std::string();
}

bool HasToken(std::string_view list, std::string_view name) {
  size_t pos = 0;
  while (pos <= list.size()) {
    size_t end = list.find(' ', pos);
    if (end == std::string_view::npos) end = list.size();
    if (list.substr(pos, end - pos) == name) return true;
    pos = end + 1;
  }
  return false;
}

// The window-system extension functions of the table, backed by the driver.

const char* GetExtensionsStringTrampoline(platform::NativeWindow* window) {
  static std::string text;
  if (!window) return nullptr;
  text = Driver().WindowSystemExtensions(*window);
  return text.empty() ? nullptr : text.c_str();
}

bool SwapIntervalTrampoline(int interval) { return Driver().SetSwapInterval(interval); }
int GetSwapIntervalTrampoline() { return Driver().GetSwapInterval(); }

int Ratio(int requested, int actual, int weight) {
  if (requested == 0) return 0;
  const int lo = requested < actual ? requested : actual;
  const int hi = requested < actual ? actual : requested;
  if (hi == 0) return 0;
  return static_cast<int>(static_cast<int64_t>(weight) * lo / hi);
}

bool Matches(int requested, int actual) { return requested == 0 || requested == actual; }

}  // namespace

// --- formats ----------------------------------------------------------------

TPixelFormatInfo DefaultPixelFormat() {
  TPixelFormatInfo f;
  f.ColorBits = 32;
  f.DepthBits = 16;
  f.StencilBits = 0;
  f.AlphaBits = 0;
  f.AccumBits = 0;
  f.Flags = pfDrawToWindow;
  f.DoubleBuffer = true;
  f.SupportGDI = false;
  return f;
}

TPixelFormatInfo PixelFormatInfo(const platform::GLFormat& format, int32_t index) {
  TPixelFormatInfo f;
  f.ColorBits = format.colorBits;
  f.DepthBits = format.depthBits;
  f.StencilBits = format.stencilBits;
  f.AlphaBits = format.alphaBits;
  f.AccumBits = format.accumBits;
  f.Flags = static_cast<uint8_t>((format.drawToWindow ? pfDrawToWindow : 0) | (format.drawToBitmap ? pfDrawToBitmap : 0));
  f.DoubleBuffer = format.doubleBuffer;
  f.SupportGDI = format.supportGDI;
  f.Index = index;
  f.Descriptor = format;
  return f;
}

int SelectPixelFormat(const std::vector<TPixelFormatInfo>& formats, const TPixelFormatInfo& request) {
  int result = 0;
  int best = 0;
  for (size_t i = 0; i < formats.size(); ++i) {
    const TPixelFormatInfo& f = formats[i];
    const bool flags = (f.Flags & request.Flags) == request.Flags;
    const bool doubleBuffer = f.DoubleBuffer == request.DoubleBuffer;
    const bool gdi = f.SupportGDI == request.SupportGDI;
    if (Matches(request.ColorBits, f.ColorBits) && Matches(request.DepthBits, f.DepthBits) &&
        Matches(request.StencilBits, f.StencilBits) && Matches(request.AlphaBits, f.AlphaBits) &&
        Matches(request.AccumBits, f.AccumBits) && flags && doubleBuffer && gdi)
      return static_cast<int>(i);
    const int score = Ratio(request.ColorBits, f.ColorBits, 4096) + 5120 * (int(flags) + int(doubleBuffer) + int(gdi)) +
                      Ratio(request.DepthBits, f.DepthBits, 3072) + Ratio(request.StencilBits, f.StencilBits, 2048) +
                      Ratio(request.AlphaBits, f.AlphaBits, 1024) + Ratio(request.AccumBits, f.AccumBits, 1);
    if (score > best) {
      best = score;
      result = static_cast<int>(i);
    }
  }
  return result;
}

std::vector<platform::GLPaletteEntry> PaletteEntries(const platform::GLFormat& format) {
  const int bits = format.colorBits < 0 ? 0 : format.colorBits;
  const int count = bits >= 8 ? 256 : 1 << bits;
  auto channel = [](int index, int shift, int bitCount) -> uint8_t {
    if (bitCount <= 0 || shift < 0 || shift > 30) return 0;  // a channel without bits stays dark
    const int max = (1 << (bitCount > 8 ? 8 : bitCount)) - 1;
    return static_cast<uint8_t>(((index >> shift) & max) * 255 / max);
  };
  std::vector<platform::GLPaletteEntry> entries(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    auto& e = entries[static_cast<size_t>(i)];
    e.red = channel(i, format.redShift, format.redBits);
    e.green = channel(i, format.greenShift, format.greenBits);
    e.blue = channel(i, format.blueShift, format.blueBits);
    e.flags = 0;
  }
  return entries;
}

std::vector<std::string> SplitNameList(const std::string& text) {
  std::vector<std::string> names;
  size_t i = 0;
  const size_t n = text.size();
  auto separator = [](char c) { return c == ',' || (c > 0 && c <= ' '); };
  while (i < n) {
    while (i < n && separator(text[i])) ++i;
    if (i >= n) break;
    std::string name;
    if (text[i] == '"') {
      ++i;
      while (i < n) {
        if (text[i] == '"') {
          if (i + 1 < n && text[i + 1] == '"') {
            name += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        name += text[i++];
      }
    } else {
      while (i < n && !separator(text[i])) name += text[i++];
    }
    names.push_back(name);
  }
  return names;
}

void MaskFloatingPointExceptions() {
  // Non-stop mode for every exception: what the x87 control word 0x133F
  // does on the original platform.
  std::fenv_t env;
  std::feholdexcept(&env);
}

// --- the library ------------------------------------------------------------

std::string SystemLibraryName() { return Driver().SystemLibraryName(); }

void LoadOpenGL(const std::string& libraryName) {
  UnloadOpenGL();
  platform::GLDriver& driver = Driver();
  if (!driver.LoadLibrary(libraryName)) RaiseMessage("Error: Could not load DLL from " + libraryName);
#define VELMORA_RESOLVE_CORE(name) GL.name = reinterpret_cast<decltype(GL.name)>(driver.GetProcAddress(#name));
  VELMORA_GL11_FUNCTIONS(VELMORA_RESOLVE_CORE)
  VELMORA_GL12_13_FUNCTIONS(VELMORA_RESOLVE_CORE)
#undef VELMORA_RESOLVE_CORE
}

void UnloadOpenGL() {
  GL = TGLEntryPoints{};
  platform::GLDriver& driver = Driver();
  if (driver.LibraryLoaded()) driver.UnloadLibrary();
}

void LoadExtensions() {
#define VELMORA_CLEAR_EXTENSION(extension, type, name) GL.name = nullptr;
  VELMORA_GL_EXTENSION_FUNCTIONS(VELMORA_CLEAR_EXTENSION)
#undef VELMORA_CLEAR_EXTENSION
  GL.wglGetExtensionsStringARB = nullptr;
  GL.wglSwapIntervalEXT = nullptr;
  GL.wglGetSwapIntervalEXT = nullptr;
  platform::GLDriver& driver = Driver();
  if (!driver.LibraryLoaded()) return;
  // The window system answers every name with a pointer, so only the
  // extensions the driver lists are asked for.
  const std::string list = GetString(GL_EXTENSIONS);
#define VELMORA_RESOLVE_EXTENSION(extension, type, name) \
  if (HasToken(list, extension)) GL.name = reinterpret_cast<type>(driver.GetProcAddress(#name));
  VELMORA_GL_EXTENSION_FUNCTIONS(VELMORA_RESOLVE_EXTENSION)
#undef VELMORA_RESOLVE_EXTENSION
  GL.wglGetExtensionsStringARB = &GetExtensionsStringTrampoline;
  if (driver.SwapIntervalSupported()) {
    GL.wglSwapIntervalEXT = &SwapIntervalTrampoline;
    GL.wglGetSwapIntervalEXT = &GetSwapIntervalTrampoline;
  }
}

bool ExtensionSupported(const std::string& name) {
  return GetString(GL_EXTENSIONS).find(name) != std::string::npos;
}

// --- TCustomOpenGL ----------------------------------------------------------

TCustomOpenGL::TCustomOpenGL()
    : lights_(std::make_unique<TGLLightList>(this)),
      materials_(std::make_unique<TGLMaterialList>(this, true)),
      primitives_(std::make_unique<TGLPrimitiveList>(this)),
      screenShot_(std::make_unique<TGLScreenShot>()),
      textures_(std::make_unique<TGLTextureList>(this)),
      viewports_(std::make_unique<TGLViewportList>(this)),
      displayLists_(std::make_unique<TGLDisplayListList>(this)) {
  lights_->SetCapacity(16);
  materials_->SetCapacity(1000);
  primitives_->SetCapacity(100000);
  textures_->SetCapacity(1000);
  viewports_->SetCapacity(16);
  displayLists_->SetCapacity(1000);
}

TCustomOpenGL::~TCustomOpenGL() {
  if (active_) Deactivate();
  if (libraryLoaded_) UnloadOpenGL();
  // The lists go in the order the members were declared, reversed; none of
  // them holds a driver object any more.
}

TGLRenderer TCustomOpenGL::Renderer() {
  if (formatsEnumerated_ && renderer_ <= glrDirectX && acceleratedFormats_.empty()) renderer_ = glrSoftware;
  return renderer_;
}

void TCustomOpenGL::SetRenderer(TGLRenderer value) { renderer_ = value; }

const std::vector<TPixelFormatInfo>& TCustomOpenGL::CurrentFormats() {
  if (Renderer() == glrSoftware) return genericFormats_;
  return acceleratedFormats_.empty() ? genericFormats_ : acceleratedFormats_;
}

void TCustomOpenGL::EnumerateFormats(platform::NativeWindow& window) {
  if (formatsEnumerated_) return;
  MaskFloatingPointExceptions();
  acceleratedFormats_.clear();
  genericFormats_.clear();
  const std::vector<platform::GLFormat> formats = Driver().EnumerateFormats(window);
  for (size_t i = 0; i < formats.size(); ++i) {
    TPixelFormatInfo info = PixelFormatInfo(formats[i], static_cast<int32_t>(i + 1));
    (formats[i].generic ? genericFormats_ : acceleratedFormats_).push_back(info);
  }
  formatsEnumerated_ = !formats.empty();
}

void TCustomOpenGL::EnumerateScreenFormats() {
  if (formatsEnumerated_) return;
  // The screen has no window of its own here: a hidden one stands in.
  try {
    platform::WindowRequest request;
    request.title = "Velmora";
    request.bounds = platform::Rect{0, 0, 1, 1};
    request.visible = false;
    std::unique_ptr<platform::NativeWindow> screen = platform::Get<platform::Windows>().Create(request);
    EnumerateFormats(*screen);
  } catch (const Error&) {
    // No window, no formats: the lists stay empty.
  }
}

int TCustomOpenGL::FormatCount() {
  EnumerateScreenFormats();
  return static_cast<int>(CurrentFormats().size());
}

TPixelFormatInfo TCustomOpenGL::Formats(int index) {
  EnumerateScreenFormats();
  const auto& list = CurrentFormats();
  if (index < 0 || index >= static_cast<int>(list.size()))
    RaiseError("TCustomOpenGL", "GetFormats", "Index out of bounds");
  return list[static_cast<size_t>(index)];
}

int TCustomOpenGL::FormatIndex() {
  return &CurrentFormats() == &genericFormats_ ? genericFormatIndex_ : acceleratedFormatIndex_;
}

int TCustomOpenGL::SelectFormat(const TPixelFormatInfo& request) { return SelectPixelFormat(CurrentFormats(), request); }

void TCustomOpenGL::Activate(platform::NativeWindow& window) {
  active_ = true;
  try {
    if (!libraryLoaded_) {
      LoadOpenGL(Renderer() == glrDirectX ? platform::GLDriver::kSoftwareLibrary : SystemLibraryName());
      libraryLoaded_ = true;
    }
    if (!formatsEnumerated_) EnumerateFormats(window);
    acceleratedFormatIndex_ = SelectFormat(DefaultPixelFormat());
    genericFormatIndex_ = SelectFormat(DefaultPixelFormat());
    CreateRC(window);
    GLVersion = GetString(GL_VERSION);
    glRenderer_.clear();
    glVendor_.clear();
    Extensions = SplitNameList(GetString(GL_EXTENSIONS));
    WGLExtensions.clear();
    if (GL.wglGetExtensionsStringARB)
      if (const char* list = GL.wglGetExtensionsStringARB(&window)) WGLExtensions = SplitNameList(list);
    CompileDisplayLists();
  } catch (...) {
    active_ = false;
    // A context made before the failure would be lost with its handle; let
    // it go now so that the next activation starts clean.
    ReleaseRC();
    if (renderer_ == glrDirectX) SetRenderer(glrOpenGL);
  }
}

void TCustomOpenGL::CreateRC(platform::NativeWindow& window) {
  const auto& list = CurrentFormats();
  const int index = FormatIndex();
  if (index < 0 || index >= static_cast<int>(list.size())) RaiseMessage("Create RC failed: FormatIndex is not selected!");
  const TPixelFormatInfo record = list[static_cast<size_t>(index)];
  if (record.Index == 0) RaiseMessage("Create RC failed: Pixel Format is not choosed!");
  MaskFloatingPointExceptions();
  platform::GLDriver& driver = Driver();
  if (record.Descriptor.needPalette) {
    std::vector<platform::GLPaletteEntry> entries = PaletteEntries(record.Descriptor);
    if (!driver.RealizePalette(window, entries)) RaiseMessage("Create RC failed: Palette is not created!");
    palette_ = std::move(entries);
  }
  // Setting the format and making the context are one step here: the
  // driver gives the window the record's format as it makes the context.
  rc_ = driver.CreateContext(window, record.Descriptor);
  if (!rc_) RaiseMessage("Create RC failed: Context is not created!");
  // Without a current context every GL call below would miss.
  if (!driver.MakeCurrent(&window, rc_)) RaiseMessage("Create RC failed: Context is not made current!");
  LoadExtensions();
  lights_->InitGL();
  materials_->InitGL();
  displayLists_->InitGL();
  primitives_->InitGL();
  textures_->InitGL();
  viewports_->InitGL();
}

void TCustomOpenGL::CompileDisplayLists() { displayLists_->CompileAll(); }

void TCustomOpenGL::ReleaseDisplayLists() {
  if (rc_) displayLists_->ReleaseAll();
}

void TCustomOpenGL::ReleaseRC() {
  ReleaseDisplayLists();
  MaskFloatingPointExceptions();
  platform::GLDriver& driver = Driver();
  if (rc_) {
    textures_->UnloadAll();
    primitives_->ReleaseAll();
    driver.MakeCurrent(nullptr, nullptr);
    driver.DeleteContext(rc_);
    rc_ = nullptr;
  }
  palette_.clear();
}

void TCustomOpenGL::Deactivate() {
  if (!active_) return;
  ReleaseRC();
  acceleratedFormats_.clear();
  genericFormats_.clear();
  formatsEnumerated_ = false;
  active_ = false;
}

void TCustomOpenGL::SwapBuffers(platform::NativeWindow& window) {
  if (GL.glFlush) GL.glFlush();
  if (GL.wglSwapIntervalEXT) {
    const int interval = GL.wglGetSwapIntervalEXT ? GL.wglGetSwapIntervalEXT() : -1;
    if (WaitSync && interval != 1) GL.wglSwapIntervalEXT(1);
    if (!WaitSync && interval != 0) GL.wglSwapIntervalEXT(0);
  }
  Driver().SwapWindow(window);
  swapParity_ = !swapParity_;
}

void TCustomOpenGL::SwapBuffersIfOdd(platform::NativeWindow& window) {
  if (!swapParity_) SwapBuffers(window);
}

int TCustomOpenGL::GetInt(GLenum name) {
  if (!active_) RaiseError("TCustomOpenGL", "GetInt", "OpenGL is not activated!");
  GLint value = 0;
  if (GL.glGetIntegerv) GL.glGetIntegerv(name, &value);
  return value;
}

const std::string& TCustomOpenGL::GLRenderer() {
  if (glRenderer_.empty() && active_) glRenderer_ = GetString(GL_RENDERER);
  return glRenderer_;
}

const std::string& TCustomOpenGL::GLVendor() {
  if (glVendor_.empty() && active_) glVendor_ = GetString(GL_VENDOR);
  return glVendor_;
}

void TCustomOpenGL::Switch(GLenum capability, bool on) {
  if (on) {
    if (GL.glEnable) GL.glEnable(capability);
  } else if (GL.glDisable) {
    GL.glDisable(capability);
  }
}

void TCustomOpenGL::SetCullFace(bool on) { Switch(GL_CULL_FACE, on); }
void TCustomOpenGL::SetDepthTest(bool on) { Switch(GL_DEPTH_TEST, on); }
void TCustomOpenGL::SetLighting(bool on) { Switch(GL_LIGHTING, on); }
void TCustomOpenGL::SetTexture2D(bool on) { Switch(GL_TEXTURE_2D, on); }
void TCustomOpenGL::SetFog(bool on) { Switch(GL_FOG, on); }

void TCustomOpenGL::SetPerspectiveCorrection(bool nicest) {
  if (GL.glHint) GL.glHint(GL_PERSPECTIVE_CORRECTION_HINT, nicest ? GL_NICEST : GL_FASTEST);
}

}  // namespace velmora
