// The window OpenGL draws into.
//
// The window component stands for a windowed control and its native window.
// Its handle is the platform window: made by HandleNeeded, taken away by
// DestroyHandle. The handle is also the device context the rendering
// context is made on, so creating it hands the application a device context
// and destroying it tells the application first, which stops OpenGL; the
// next handle starts OpenGL again on the next frame.
//
// Where the window goes is decided each time its handle is made:
//   - full screen (the application says so): a borderless top-most pop-up
//     over the chosen monitor, or over the whole virtual desktop when
//     Monitor is -1 or not a monitor; it is handed to the platform display,
//     which gives it the chosen full-screen mode;
//   - with a host window (the preview role) and no parent control: inside
//     that foreign window, at its full size; "-root" uses the root window;
//   - otherwise in its parent control: a top-level window of the window's
//     own size. The settings dialog makes that window as large as the whole
//     form and gives the scene a panel of it (SetPanel): while the window
//     is neither full screen nor in a host window, Width and Height are
//     then the panel's, and the viewport draws the scene inside the panel
//     with the scissor test on (ViewportLeft, ViewportBottom).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/Component.h"
#include "app/Form.h"
#include "core/Event.h"
#include "platform/Events.h"
#include "platform/Window.h"

namespace velmora {

// (Width, Height) in pixels.
using TViewportEvent = TEvent<int, int>;
// A window message passed on to the program's handlers (sender, message).
using TWindowMessageEvent = TEvent<void*, const platform::Message&>;

class TCustomGLWindow : public TComponent {
 public:
  explicit TCustomGLWindow(TComponent* owner);
  // Destroys the handle (telling the application first).
  ~TCustomGLWindow() override;

  void Loaded() override;

  // Clear colour of the frame.
  TColor Color = clBlack;
  // Full-screen target: -1 the whole desktop; 0..count-1 that monitor;
  // count the desktop with the aspect of monitors 0 and 1 side by side;
  // count + 1 the desktop with its own aspect.
  int Monitor = -1;
  std::string Caption = "Velmora";

  // Client size: the panel's while it counts (see above), else the native
  // window's while the handle exists.
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const;
  int Height() const;
  void SetBounds(int left, int top, int width, int height);
  // The native window's whole client size, whatever the panel.
  int ClientWidth() const;
  int ClientHeight() const;

  // The part of the window the scene draws in, in client pixels from the
  // top-left corner; an empty rectangle (the default) is the whole window.
  void SetPanel(const platform::Rect& panel) { panel_ = panel; }
  const platform::Rect& Panel() const { return panel_; }
  // The panel counts: it is not empty, and the window is in its form.
  bool InPanel() const;
  // Where the scene's viewport starts in OpenGL's window coordinates
  // (rows counted from the bottom); 0, 0 without a panel.
  int ViewportLeft() const;
  int ViewportBottom() const;

  bool Visible() const { return visible_; }
  void SetVisible(bool value);

  // The control the window sits in (none in the preview role).
  TComponent* Parent() const { return parent_; }
  void SetParent(TComponent* parent) { parent_ = parent; }
  // A window of another program that hosts this one (the preview role).
  platform::ForeignWindowId ParentWindow() const { return parentWindow_; }
  void SetParentWindow(platform::ForeignWindowId window) { parentWindow_ = window; }
  // Render into the root window of the display (X11 "-root").
  bool ParentIsRoot() const { return parentIsRoot_; }
  void SetParentIsRoot(bool value) { parentIsRoot_ = value; }

  bool HandleAllocated() const { return handle_ != nullptr; }
  // Makes the native window when there is none. Raises when the platform
  // cannot make it.
  void HandleNeeded();
  // Takes the native window away: the application hears of it first.
  void DestroyHandle();
  platform::NativeWindow* Handle() const { return handle_.get(); }

  // The platform id its messages carry; it changes when the driver makes
  // the surface again for another pixel format (see UpdateRegistration).
  uint32_t WindowId() const { return registeredId_; }
  // Follows a changed platform id so the window's messages keep arriving.
  void UpdateRegistration();

  // Callbacks of the application.
  std::function<bool()> FullScreenQuery;
  std::function<bool()> OpenGLActiveQuery;
  // Answers true when the window must stay (it was full screen).
  std::function<bool()> CloseRequest;
  std::function<void(platform::NativeWindow*)> DeviceContextCreated;
  std::function<void()> DeviceContextReleased;

  // The client size changed.
  TViewportEvent OnResize;
  // The window was closed by the user and the application let it close.
  TNotifyEvent OnClose;

  // The window's messages, as the toolkit dispatches them.
  virtual void WindowProc(platform::Message& message);

 protected:
  // What the next handle will be (see the header comment).
  virtual platform::WindowRequest CreateParams();
  // Input messages of the window.
  virtual void InputMessage(const platform::Message&) {}

 private:
  bool IsFullScreen() const { return FullScreenQuery && FullScreenQuery(); }

  std::unique_ptr<platform::NativeWindow> handle_;
  bool attachedFullScreen_ = false;
  uint32_t registeredId_ = 0;
  int left_ = 0;
  int top_ = 0;
  int width_ = 640;
  int height_ = 480;
  bool visible_ = true;
  TComponent* parent_ = nullptr;
  platform::ForeignWindowId parentWindow_ = 0;
  bool parentIsRoot_ = false;
  platform::Rect panel_;
};

// The window placed on the settings form, with its input events.
class TGLWindow : public TCustomGLWindow {
 public:
  explicit TGLWindow(TComponent* owner) : TCustomGLWindow(owner) {}

  TWindowMessageEvent OnKeyDown;
  TWindowMessageEvent OnKeyUp;
  TWindowMessageEvent OnMouseDown;
  TWindowMessageEvent OnMouseUp;
  TWindowMessageEvent OnMouseMove;
  TWindowMessageEvent OnDblClick;
  // Every input message (keys, characters, buttons, moves, the wheel),
  // before the event of its own kind.
  TWindowMessageEvent OnInput;

 protected:
  void InputMessage(const platform::Message& message) override;
};

}  // namespace velmora
