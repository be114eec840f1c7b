#include "gl/ItemList.h"

#include <algorithm>

#include "core/Error.h"
#include "gl/OpenGL.h"

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

bool TGLItemList::ContextActive() const { return owner_ && owner_->Active(); }

void TGLItemList::Clear() {
  // The items are taken out first, so that freeing them does not search a
  // list that is being emptied; each still sees its list (and through it the
  // context object) while it goes, to hand back what it holds.
  std::vector<TGLItem*> items;
  items.swap(items_);
  clearing_ = true;
  for (TGLItem* item : items) delete item;
  clearing_ = false;
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
  int index = clearing_ ? -1 : IndexOf(item);
  if (index >= 0) items_.erase(items_.begin() + index);
  item->list_ = nullptr;
}

}  // namespace velmora
