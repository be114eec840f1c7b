#include "app/GLWindow.h"

#include "app/Toolkit.h"
#include "platform/Display.h"
#include "platform/Service.h"

namespace velmora {

using platform::MessageKind;

TCustomGLWindow::TCustomGLWindow(TComponent* owner) : TComponent(owner) {}

TCustomGLWindow::~TCustomGLWindow() {
  // A linked application stops OpenGL while the surface still exists; one
  // that went first has cleared the callbacks when it let go of the window.
  DestroyHandle();
}

void TCustomGLWindow::Loaded() { TComponent::Loaded(); }

int TCustomGLWindow::Width() const { return InPanel() ? panel_.width : ClientWidth(); }

int TCustomGLWindow::Height() const { return InPanel() ? panel_.height : ClientHeight(); }

int TCustomGLWindow::ClientWidth() const { return handle_ ? handle_->Width() : width_; }

int TCustomGLWindow::ClientHeight() const { return handle_ ? handle_->Height() : height_; }

bool TCustomGLWindow::InPanel() const {
  return panel_.width > 0 && panel_.height > 0 && !IsFullScreen() && parentWindow_ == 0 && !parentIsRoot_;
}

int TCustomGLWindow::ViewportLeft() const { return InPanel() ? panel_.left : 0; }

int TCustomGLWindow::ViewportBottom() const { return InPanel() ? ClientHeight() - panel_.top - panel_.height : 0; }

void TCustomGLWindow::SetBounds(int left, int top, int width, int height) {
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  if (handle_ && !IsFullScreen() && parentWindow_ == 0 && !parentIsRoot_)
    handle_->SetBounds(platform::Rect{left, top, width, height});
}

void TCustomGLWindow::SetVisible(bool value) {
  visible_ = value;
  if (handle_) handle_->SetVisible(value);
}

platform::WindowRequest TCustomGLWindow::CreateParams() {
  platform::WindowRequest r;
  r.title = Caption;
  r.visible = visible_;
  if (IsFullScreen()) {
    platform::Display& display = platform::Get<platform::Display>();
    int count = display.MonitorCount();
    r.bounds = (Monitor < 0 || Monitor >= count) ? display.VirtualDesktop() : display.MonitorBounds(Monitor);
    r.popup = true;
    r.visible = true;
    // With a single monitor the settings offer no choice: every output is
    // covered, those plugged in later too.
    r.primaryOnly = Monitor < 0 && count >= 2;
  } else if (parent_ == nullptr && (parentWindow_ != 0 || parentIsRoot_)) {
    r.host = parentWindow_;
    r.hostIsRoot = parentIsRoot_ && parentWindow_ == 0;
    platform::Rect host;
    if (r.host != 0 && platform::Get<platform::Windows>().ForeignWindowRect(r.host, host))
      r.bounds = platform::Rect{0, 0, host.width, host.height};
  } else {
    r.bounds = platform::Rect{left_, top_, width_, height_};
  }
  return r;
}

void TCustomGLWindow::HandleNeeded() {
  if (handle_) return;
  platform::WindowRequest request = CreateParams();
  handle_ = platform::Get<platform::Windows>().Create(request);
  registeredId_ = 0;
  UpdateRegistration();
  if (request.popup) {
    handle_->Raise();
    // The display gives the pop-up the chosen full-screen mode.
    platform::Get<platform::Display>().AttachFullScreenWindow(handle_.get());
    attachedFullScreen_ = true;
  }
  if (!request.popup && request.host == 0 && !request.hostIsRoot) {
    width_ = handle_->Width();
    height_ = handle_->Height();
  }
  Fire(DeviceContextCreated, handle_.get());
}

void TCustomGLWindow::DestroyHandle() {
  if (!handle_) return;
  Fire(DeviceContextReleased);
  if (registeredId_ != 0) Application().UnregisterWindow(registeredId_);
  registeredId_ = 0;
  if (attachedFullScreen_) platform::Get<platform::Display>().DetachFullScreenWindow(handle_.get());
  attachedFullScreen_ = false;
  handle_.reset();
}

void TCustomGLWindow::UpdateRegistration() {
  uint32_t id = handle_ ? handle_->Id() : 0;
  if (id == registeredId_) return;
  if (registeredId_ != 0) Application().UnregisterWindow(registeredId_);
  registeredId_ = id;
  if (id != 0) Application().RegisterWindow(id, [this](platform::Message& m) { WindowProc(m); });
}

void TCustomGLWindow::WindowProc(platform::Message& message) {
  switch (message.kind) {
    case MessageKind::Resize:
      Fire(OnResize, message.x, message.y);
      break;
    case MessageKind::SysCommand:
      // Neither the desktop's own screen saver, nor monitor power, nor the
      // close command may act on this window: the program decides.
      if (message.param == platform::scScreenSave || message.param == platform::scMonitorPower ||
          message.param == platform::scClose)
        message.result = 0;
      break;
    case MessageKind::Close:
      if (CloseRequest && CloseRequest()) break;
      Fire(OnClose, this);
      break;
    default:
      InputMessage(message);
      break;
  }
}

void TGLWindow::InputMessage(const platform::Message& message) {
  Fire(OnInput, this, message);
  switch (message.kind) {
    case MessageKind::KeyDown:
    case MessageKind::SysKeyDown:
      Fire(OnKeyDown, this, message);
      break;
    case MessageKind::KeyUp:
    case MessageKind::SysKeyUp:
      Fire(OnKeyUp, this, message);
      break;
    case MessageKind::LButtonDown:
    case MessageKind::MButtonDown:
    case MessageKind::RButtonDown:
      Fire(OnMouseDown, this, message);
      break;
    case MessageKind::LButtonUp:
    case MessageKind::MButtonUp:
    case MessageKind::RButtonUp:
      Fire(OnMouseUp, this, message);
      break;
    case MessageKind::LButtonDblClk:
    case MessageKind::MButtonDblClk:
    case MessageKind::RButtonDblClk:
      Fire(OnDblClick, this, message);
      break;
    case MessageKind::MouseMove:
      Fire(OnMouseMove, this, message);
      break;
    default:
      break;
  }
}

}  // namespace velmora
