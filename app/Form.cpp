#include "app/Form.h"

#include "app/Toolkit.h"

namespace velmora {

TForm::TForm(TComponent* owner) : TComponent(owner) {
  if (!owner && !Application().MainForm()) Application().SetMainForm(this);
}

TForm::~TForm() {
  Fire(OnDestroy, this);
  // Before the owned components go: they may ask for the main form while
  // they are freed, and must not find this half-destroyed one.
  if (Application().MainForm() == this) Application().SetMainForm(nullptr);
}

void TForm::SetBounds(int left, int top, int width, int height) {
  bool resized = width != width_ || height != height_;
  if (left == left_ && top == top_ && !resized) return;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  BoundsChanged();
  if (resized) Fire(OnResize, this);
}

void TForm::SetVisible(bool value) {
  if (value == visible_) return;
  visible_ = value;
  VisibleChanged();
  if (visible_)
    Fire(OnShow, this);
  else
    Fire(OnHide, this);
}

void TForm::Close() {
  bool canClose = true;
  Fire(OnCloseQuery, this, canClose);
  if (!canClose) return;
  bool isMain = Application().MainForm() == this;
  TCloseAction action = isMain ? TCloseAction::caFree : TCloseAction::caHide;
  Fire(OnClose, this, action);
  if (action == TCloseAction::caNone) return;
  if (isMain) {
    Application().Terminate();
    return;
  }
  // A form cannot free itself here (its caller still holds it); a freed
  // form leaves the screen like a hidden one, and its owner frees it.
  if (action == TCloseAction::caHide || action == TCloseAction::caFree) Hide();
}

void TForm::ClearEventHandlers() {
  OnShow = nullptr;
  OnHide = nullptr;
  OnResize = nullptr;
  OnActivate = nullptr;
  OnDeactivate = nullptr;
  OnDestroy = nullptr;
  OnCloseQuery = nullptr;
  OnClose = nullptr;
  OnKeyDown = nullptr;
  OnKeyUp = nullptr;
}

}  // namespace velmora
