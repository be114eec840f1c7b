#include "gl/ItemList.h"

#include <algorithm>

#include "core/Error.h"

namespace velmora {

TGLItem::TGLItem(TGLItemList* list) {
  if (list) list->Attach(this);
}

TGLItem::~TGLItem() {
  if (list_) list_->Detach(this);
}

TCustomOpenGL* TGLItem::OpenGL() const { return list_ ? list_->Owner() : nullptr; }

TGLItemList::TGLItemList(TCustomOpenGL* owner) : owner_(owner) {}

TGLItemList::~TGLItemList() { Clear(); }

void TGLItemList::Clear() {
  // Take the items out first so that their destructors do not search a list
  // that is being emptied, and so that an item's destructor may safely look
  // at the list.
  std::vector<TGLItem*> items;
  items.swap(items_);
  for (TGLItem* item : items) item->list_ = nullptr;
  for (TGLItem* item : items) delete item;
}

void TGLItemList::SetCapacity(int capacity) {
  if (capacity > 0) items_.reserve(static_cast<size_t>(capacity));
}

TGLItem* TGLItemList::Items(int index) const {
  if (index < 0 || index >= Count()) RaiseError("TGLItemList", "GetItems", "Index out of bounds");
  return items_[static_cast<size_t>(index)];
}

int TGLItemList::IndexOf(const TGLItem* item) const {
  // Items are mostly freed in reverse order of creation: search from the end.
  for (size_t i = items_.size(); i-- > 0;)
    if (items_[i] == item) return static_cast<int>(i);
  return -1;
}

void TGLItemList::Attach(TGLItem* item) {
  items_.push_back(item);
  item->list_ = this;
}

void TGLItemList::Detach(TGLItem* item) {
  int index = IndexOf(item);
  if (index >= 0) items_.erase(items_.begin() + index);
  item->list_ = nullptr;
}

}  // namespace velmora
