#include "app/Component.h"

#include <algorithm>

namespace velmora {

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->Insert(this);
}

TComponent::~TComponent() {
  destroying_ = true;
  // Owned components go first, the last created first. Each is taken out of
  // the list before it is deleted, so that its siblings hear of the removal
  // while it is still whole (a C++ destructor has already torn down the
  // derived parts by the time ~TComponent runs).
  while (!components_.empty()) {
    TComponent* child = components_.back();
    Remove(child);
    delete child;
  }
  if (owner_) owner_->Remove(this);
}

void TComponent::Loaded() { loading_ = false; }

void TComponent::Notification(TComponent*, TOperation) {}

void TComponent::Insert(TComponent* child) {
  child->owner_ = this;
  components_.push_back(child);
  for (TComponent* c : components_)
    if (c != child) c->Notification(child, TOperation::opInsert);
}

void TComponent::Remove(TComponent* child) {
  auto it = std::find(components_.begin(), components_.end(), child);
  if (it == components_.end()) return;
  components_.erase(it);
  child->owner_ = nullptr;
  // Copy: a handler may free further components.
  std::vector<TComponent*> others = components_;
  for (TComponent* c : others) c->Notification(child, TOperation::opRemove);
  Notification(child, TOperation::opRemove);
}

void TComponent::BeginLoadingAll(TComponent* root) {
  root->BeginLoading();
  for (TComponent* c : root->components_) c->BeginLoading();
}

void TComponent::EndLoadingAll(TComponent* root) {
  std::vector<TComponent*> list = root->components_;
  for (TComponent* c : list) c->Loaded();
  root->Loaded();
}

}  // namespace velmora
