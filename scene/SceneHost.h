// What a scene takes from the program that shows it, in one table.
//
// The scene graph and the world draw into a rendering context, read the
// viewport, show the frame rate and keep their options; they do not know
// who provides those. The application (app/GLApplication.h) implements
// this interface and hands itself to the scene it shows (TMainScene::
// Application); nothing in scene/ or world/ includes an application header.
//
// Lifecycle: the host outlives every scene it is given to. A scene without
// a host (nullptr) draws into the context current on the thread, reads no
// options and writes none.
//
// Errors: the option readers never raise for a bad stored value; they
// report it through Warn and give the default (see the application's
// option store).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace velmora {

class TCustomOpenGL;
class TDefViewport;

// The window the scene draws into, as the viewport reads it before a frame.
struct TSceneSurface {
  int Width = 0, Height = 0;  // the window's size (a preview panel's in a dialog)
  int Left = 0, Bottom = 0;   // where the scene's rectangle starts in the window
  bool InPanel = false;       // a panel of a larger window: the scissor test keeps to it
  int Monitor = -1;           // the window's Monitor
  bool HasDisplay = false;    // a display is linked (the viewport draws only then)
  bool FullScreen = false;    // that display is in full screen
  uint32_t Color = 0;         // the window's colour, 0x00BBGGRR: the clear colour
};

class TSceneHost {
 public:
  virtual ~TSceneHost() = default;

  // The rendering context; nullptr before there is one.
  virtual TCustomOpenGL* OpenGL() const = 0;
  // The viewport with its camera that each frame applies.
  virtual TDefViewport& Viewport() = 0;
  // The window drawn into; false when there is none.
  virtual bool Surface(TSceneSurface& surface) const = 0;

  // The frames per second measured now (at least 1).
  virtual int FPS() const = 0;
  // From now on listener gets every new frame rate, after the listeners
  // already there.
  virtual void AddFPSListener(std::function<void(int)> listener) = 0;

  // The options store, under the names the scene gives.
  virtual std::string ReadOptionString(const std::string& name, const std::string& defaultValue) = 0;
  virtual bool ReadOptionBool(const std::string& name, bool defaultValue) = 0;
  virtual int ReadOptionInteger(const std::string& name, int defaultValue) = 0;
  virtual void WriteOptionString(const std::string& name, const std::string& value) = 0;
  virtual void WriteOptionBool(const std::string& name, bool value) = 0;
  virtual void WriteOptionInteger(const std::string& name, int value) = 0;
  // The scene's and the world's options are kept under plain names for
  // the user alone (not machine-wide): the store is switched so.
  virtual void UsePlainOptions() = 0;

  // The diagnostics sink for a stored option that cannot be used: one
  // warning "CLASS.OPERATION: TEXT", each line once.
  virtual void Warn(std::string_view className, std::string_view operation, std::string_view text) = 0;
};

}  // namespace velmora
