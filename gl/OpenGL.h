// The rendering context and the OpenGL library.
//
// LoadOpenGL loads the GL library (the system one, or its software
// rasterizer) and fills the entry-point table; TCustomOpenGL makes a
// rendering context for a window and owns the lists of every OpenGL object
// wrapper. The driver objects follow one cycle:
//
//   Activate(window): library loaded on first use -> the window's formats
//   enumerated -> the best one for DefaultPixelFormat chosen -> context made
//   and current -> LoadExtensions and each list's InitGL -> display lists
//   compiled.
//   Deactivate(): display lists released, textures unloaded, primitives'
//   lists released, context deleted, format lists emptied.
//
// Wrappers keep their data in client memory across the cycle and upload it
// again on their next use. Activation never raises: Active() tells.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gl/GLEntryPoints.h"
#include "platform/GLDriver.h"
#include "platform/Window.h"

namespace velmora {

class TGLLightList;
class TGLMaterialList;
class TGLPrimitiveList;
class TGLScreenShot;
class TGLTextureList;
class TGLViewportList;
class TGLDisplayListList;

// The renderer the user chose. glrDirectX stands for the software
// rasterizer of the system library ("Software" in the dialogs); glrSoftware
// is set by the reader of Renderer when the display offers only generic
// formats.
enum TGLRenderer : uint8_t { glrOpenGL = 0, glrDirectX = 1, glrSoftware = 2 };

enum TPixelFormatFlag : uint8_t { pfDrawToWindow = 1, pfDrawToBitmap = 2 };

struct TPixelFormatInfo {
  int32_t ColorBits = 0;
  int32_t DepthBits = 0;
  int32_t StencilBits = 0;
  int32_t AlphaBits = 0;
  int32_t AccumBits = 0;
  uint8_t Flags = 0;  // TPixelFormatFlag bits
  bool DoubleBuffer = false;
  bool SupportGDI = false;
  int32_t Index = 0;  // 1-based number in the window's list; 0 in a request
  platform::GLFormat Descriptor;  // handed back unchanged when the context is made
};

// The request of every activation: 32 colour bits, 16 depth bits, window,
// double buffered, no GDI. A request value 0 matches any value.
TPixelFormatInfo DefaultPixelFormat();

// The record of a framebuffer configuration, numbered `index`.
TPixelFormatInfo PixelFormatInfo(const platform::GLFormat& format, int32_t index);

// The position of the best record for `request` in `formats`: the first
// exact match, else the first of the highest score; 0 when nothing scores.
int SelectPixelFormat(const std::vector<TPixelFormatInfo>& formats, const TPixelFormatInfo& request);

// The logical palette of a colour-index format: 2^ColorBits entries (at most
// 256), each channel spread over 0..255 by its bit count and shift.
std::vector<platform::GLPaletteEntry> PaletteEntries(const platform::GLFormat& format);

// Splits a list of names at blanks and commas; double quotes group a name
// that holds either ("" inside quotes is one quote).
std::vector<std::string> SplitNameList(const std::string& text);

// Floating-point exceptions masked: the driver's arithmetic gives special
// values instead of traps. Called before driver calls and around the frame.
void MaskFloatingPointExceptions();

// The library name the system GL library goes by (what LoadOpenGL names in
// its message).
std::string SystemLibraryName();

// Loads a GL library by name (SystemLibraryName(), platform::GLDriver::
// kSoftwareLibrary, or a file) after UnloadOpenGL, and resolves the core
// entry points. Raises "Error: Could not load DLL from <name>".
void LoadOpenGL(const std::string& libraryName);
// Empties the whole table and releases the library.
void UnloadOpenGL();
// Empties the extension pointers and resolves each one whose extension the
// current context lists. Needs a current context.
void LoadExtensions();
// True when `name` occurs anywhere in the current GL_EXTENSIONS string (a
// plain substring search). Needs a current context.
bool ExtensionSupported(const std::string& name);

class TCustomOpenGL {
 public:
  TCustomOpenGL();
  // Deactivates, unloads the library when this object loaded it, frees the
  // lists.
  virtual ~TCustomOpenGL();
  TCustomOpenGL(const TCustomOpenGL&) = delete;
  TCustomOpenGL& operator=(const TCustomOpenGL&) = delete;

  // Swap interval wanted: true waits for the vertical retrace.
  bool WaitSync = true;
  std::string GLVersion;                 // read at activation
  std::vector<std::string> Extensions;   // GL_EXTENSIONS, one name each
  std::vector<std::string> WGLExtensions;  // the window system's extension names

  // The owned wrapper lists.
  TGLLightList* Lights() const { return lights_.get(); }
  TGLMaterialList* Materials() const { return materials_.get(); }
  TGLPrimitiveList* Primitives() const { return primitives_.get(); }
  TGLScreenShot* ScreenShot() const { return screenShot_.get(); }
  TGLTextureList* Textures() const { return textures_.get(); }
  TGLViewportList* Viewports() const { return viewports_.get(); }
  TGLDisplayListList* DisplayLists() const { return displayLists_.get(); }

  // The stored renderer; once the formats are enumerated, 0 or 1 without any
  // accelerated format becomes 2 for good.
  TGLRenderer Renderer();
  virtual void SetRenderer(TGLRenderer value);

  // Makes a rendering context for `window` and makes it current. Never
  // raises; Active() afterwards tells whether it worked, and a failed
  // activation leaves no context behind.
  void Activate(platform::NativeWindow& window);
  void Deactivate();
  // glFlush, the swap interval brought in line with WaitSync, the swap.
  void SwapBuffers(platform::NativeWindow& window);
  // SwapBuffers only when SwapParity is false (an odd number of swaps done).
  void SwapBuffersIfOdd(platform::NativeWindow& window);

  // glGetIntegerv of one value; "TCustomOpenGL.GetInt error: OpenGL is not
  // activated!" while inactive.
  int GetInt(GLenum name);
  // Read from the driver on the first call while active, then kept.
  const std::string& GLRenderer();
  const std::string& GLVendor();

  // Write-only switches of global state.
  void SetCullFace(bool on);
  void SetDepthTest(bool on);
  void SetLighting(bool on);
  void SetTexture2D(bool on);
  void SetFog(bool on);
  void SetPerspectiveCorrection(bool nicest);

  // The current format list: the generic formats for renderer 2, otherwise
  // the accelerated ones, or the generic ones when there are none.
  // FormatCount and Formats enumerate the screen's formats first when no
  // list is filled.
  int FormatCount();
  // A copy of a record; "TCustomOpenGL.GetFormats error: Index out of
  // bounds" outside 0 .. FormatCount - 1.
  TPixelFormatInfo Formats(int index);
  int FormatIndex();
  int SelectFormat(const TPixelFormatInfo& request);

  const std::vector<TPixelFormatInfo>& AcceleratedFormats() const { return acceleratedFormats_; }
  const std::vector<TPixelFormatInfo>& GenericFormats() const { return genericFormats_; }
  int AcceleratedFormatIndex() const { return acceleratedFormatIndex_; }
  int GenericFormatIndex() const { return genericFormatIndex_; }
  bool FormatsEnumerated() const { return formatsEnumerated_; }
  bool Active() const { return active_; }
  bool LibraryLoaded() const { return libraryLoaded_; }
  platform::GLContext RC() const { return rc_; }
  bool HasPalette() const { return !palette_.empty(); }
  bool SwapParity() const { return swapParity_; }

 protected:
  // Fills both format lists from the window's configurations, when not yet.
  void EnumerateFormats(platform::NativeWindow& window);
  // Lets go of the library this object loaded (a renderer change), so the
  // next Activate loads the one the renderer names.
  void UnloadLibrary() {
    if (libraryLoaded_) UnloadOpenGL();
    libraryLoaded_ = false;
  }

 private:
  const std::vector<TPixelFormatInfo>& CurrentFormats();
  void EnumerateScreenFormats();
  void CreateRC(platform::NativeWindow& window);
  void ReleaseRC();
  void ReleaseDisplayLists();
  void CompileDisplayLists();
  void Switch(GLenum capability, bool on);

  TGLRenderer renderer_ = glrOpenGL;
  std::unique_ptr<TGLLightList> lights_;
  std::unique_ptr<TGLMaterialList> materials_;
  std::unique_ptr<TGLPrimitiveList> primitives_;
  std::unique_ptr<TGLScreenShot> screenShot_;
  std::unique_ptr<TGLTextureList> textures_;
  std::unique_ptr<TGLViewportList> viewports_;
  std::unique_ptr<TGLDisplayListList> displayLists_;
  std::vector<TPixelFormatInfo> acceleratedFormats_;
  std::vector<TPixelFormatInfo> genericFormats_;
  int acceleratedFormatIndex_ = -1;
  int genericFormatIndex_ = -1;
  bool formatsEnumerated_ = false;
  bool active_ = false;
  bool libraryLoaded_ = false;
  platform::GLContext rc_ = nullptr;
  std::vector<platform::GLPaletteEntry> palette_;
  bool swapParity_ = true;
  std::string glRenderer_;
  std::string glVendor_;
};

}  // namespace velmora
