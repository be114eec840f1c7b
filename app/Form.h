// A form: the top-level window of the user interface that owns the
// program's components.
//
// This form keeps what the application shell needs of one: bounds,
// visibility, enabled state, colour, border style, its parent, closing, and
// its event handlers (which a second copy of the program clears so that
// none of them runs). The first form made without an owner becomes the
// application's main form, and closing the main form ends the application.
//
// A form has no platform window of its own; a derived form that shows one
// makes and removes it in VisibleChanged and follows BoundsChanged.
#pragma once

#include <cstdint>
#include <string>

#include "app/Component.h"
#include "core/Event.h"
#include "platform/Window.h"

namespace velmora {

// Colours as the toolkit keeps them: 0x00BBGGRR.
using TColor = uint32_t;
constexpr TColor clBlack = 0x000000;
constexpr TColor clBtnFace = 0xF0F0F0;

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };

// What Close does with the form after OnClose.
enum class TCloseAction { caNone, caHide, caFree, caMinimize };

class TForm : public TComponent {
 public:
  explicit TForm(TComponent* owner);
  ~TForm() override;

  std::string Caption;

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetBounds(int left, int top, int width, int height);
  void SetLeft(int value) { SetBounds(value, top_, width_, height_); }
  void SetTop(int value) { SetBounds(left_, value, width_, height_); }
  void SetWidth(int value) { SetBounds(left_, top_, value, height_); }
  void SetHeight(int value) { SetBounds(left_, top_, width_, value); }

  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value) { enabled_ = value; }

  TColor Color = clBtnFace;
  TFormBorderStyle BorderStyle = TFormBorderStyle::bsSizeable;

  // The control this form is placed in (none for a top-level form).
  TComponent* Parent() const { return parent_; }
  void SetParent(TComponent* parent) { parent_ = parent; }
  // A window of another program that hosts this form (0: none).
  platform::ForeignWindowId ParentWindow() const { return parentWindow_; }
  void SetParentWindow(platform::ForeignWindowId window) { parentWindow_ = window; }

  // OnCloseQuery may refuse; OnClose may choose what happens. Closing the
  // main form terminates the application; any other form is hidden.
  void Close();

  // Event handlers.
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnResize;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnDestroy;
  TEvent<void*, bool&> OnCloseQuery;          // sender, can close
  TEvent<void*, TCloseAction&> OnClose;       // sender, action
  TEvent<void*, int32_t&, bool> OnKeyDown;    // sender, key (set 0 to swallow), shift held
  TEvent<void*, int32_t&, bool> OnKeyUp;

  // Unsets every event handler above.
  void ClearEventHandlers();

 protected:
  virtual void VisibleChanged() {}
  virtual void BoundsChanged() {}

 private:
  int left_ = 0;
  int top_ = 0;
  int width_ = 640;
  int height_ = 480;
  bool visible_ = false;
  bool enabled_ = true;
  TComponent* parent_ = nullptr;
  platform::ForeignWindowId parentWindow_ = 0;
};

}  // namespace velmora
