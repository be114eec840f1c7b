#include "scene/SceneList.h"

#include <algorithm>
#include <string>

#include "core/Error.h"

namespace velmora {

namespace {

bool IsLower(unsigned char c) { return c >= 'a' && c <= 'z'; }
bool IsUpper(unsigned char c) { return c >= 'A' && c <= 'Z'; }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// The primary weight of a byte: its class (other, digit, letter, high
// byte) above its case-folded value.
int Weight(unsigned char c) {
  if (IsUpper(c)) return 2 * 256 + (c - 'A' + 'a');
  if (IsLower(c)) return 2 * 256 + c;
  if (IsDigit(c)) return 1 * 256 + c;
  if (c >= 128) return 3 * 256 + c;
  return c;
}

[[noreturn]] void IndexError(const char* cls, const char* operation, int index) {
  RaiseError(cls, operation, "List index out of bounds (" + std::to_string(index) + ")");
}

}  // namespace

int CompareNames(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const int wa = Weight(static_cast<unsigned char>(a[i]));
    const int wb = Weight(static_cast<unsigned char>(b[i]));
    if (wa != wb) return wa < wb ? -1 : 1;
  }
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  // Equal but for case: the first difference decides, lower case first.
  for (size_t i = 0; i < n; ++i)
    if (a[i] != b[i]) return IsLower(static_cast<unsigned char>(a[i])) ? -1 : 1;
  return 0;
}

// --- TMainList --------------------------------------------------------------

TMainItem* TMainList::AddItem(TMainItem* item) {
  if (item) item->SetMainScene(MainScene());
  return item;
}

void TMainList::DeleteItems(int n) {
  if (n < 1) return;
  n = std::min(n, GetCount());
  const int last = GetCount() - 1;
  for (int k = 0; k < n; ++k) {
    TMainItem* item = GetItem(last - k);
    // The entry goes first, so that the list never holds a freed item, and
    // the owner is cleared so that the destructor does not call back.
    Delete(last - k);
    if (item) {
      item->SetOwner(nullptr);
      delete item;
    }
  }
}

void TMainList::Clear() { DeleteItems(GetCount()); }

void TMainList::SetSorted(bool) {}

void TMainList::ProcessEvents(float deltaTime) {
  for (int i = 0; i < GetCount(); ++i) GetItem(i)->ProcessEvents(deltaTime);
}

void TMainList::Animate(float deltaTime) {
  for (int i = 0; i < GetCount(); ++i) GetItem(i)->Animate(deltaTime);
}

void TMainList::Render() {
  if (!visible_) return;
  BeginRender();
  for (int i = 0; i < GetCount(); ++i) {
    TMainItem* item = GetItem(i);
    if (item->Visible()) item->Render();
  }
  EndRender();
}

void TMainList::RenderOpaque() {
  for (int i = 0; i < GetCount(); ++i) {
    TMainItem* item = GetItem(i);
    if (item->Visible()) item->RenderOpaque();
  }
}

void TMainList::RenderTransparent() {
  for (int i = 0; i < GetCount(); ++i) {
    TMainItem* item = GetItem(i);
    if (item->Visible()) item->RenderTransparent();
  }
}

void TMainList::LoadOptions() {
  for (int i = 0; i < GetCount(); ++i)
    if (auto* object = dynamic_cast<TMainSceneObject*>(GetItem(i))) object->LoadOptions();
}

void TMainList::SaveOptions() {
  for (int i = 0; i < GetCount(); ++i)
    if (auto* object = dynamic_cast<TMainSceneObject*>(GetItem(i))) object->SaveOptions();
}

// --- TMainItemList ----------------------------------------------------------

TMainItemList::~TMainItemList() {
  if (OwnsItems)
    TMainItemList::DeleteItems(GetCount());
  else
    items_.clear();
}

TMainItem* TMainItemList::GetItem(int index) const {
  if (index < 0 || index >= GetCount()) IndexError("TMainItemList", "GetItem", index);
  return items_[static_cast<size_t>(index)];
}

void TMainItemList::SetCapacity(int value) {
  if (value > 0) items_.reserve(static_cast<size_t>(value));
}

void TMainItemList::Delete(int index) {
  if (index < 0 || index >= GetCount()) IndexError("TMainItemList", "Delete", index);
  items_.erase(items_.begin() + index);
}

TMainItem* TMainItemList::AddItem(TMainItem* item) {
  TMainList::AddItem(item);
  if (item) items_.push_back(item);
  return item;
}

void TMainItemList::DeleteItems(int n) {
  if (OwnsItems) {
    TMainList::DeleteItems(n);
    return;
  }
  if (n < 1) return;
  n = std::min(n, GetCount());
  items_.resize(items_.size() - static_cast<size_t>(n));
}

void TMainItemList::RemoveItem(TMainItem* item) {
  auto it = std::find(items_.begin(), items_.end(), item);
  if (it != items_.end()) items_.erase(it);
}

void TMainItemList::RenameItem(TMainItem*, const std::string&) {}

bool TMainItemList::Contains(const TMainItem* item) const {
  return std::find(items_.begin(), items_.end(), item) != items_.end();
}

// --- TMainObjectList --------------------------------------------------------

TMainObjectList::~TMainObjectList() { TMainList::DeleteItems(GetCount()); }

TMainItem* TMainObjectList::GetItem(int index) const {
  if (index < 0 || index >= GetCount()) IndexError("TMainObjectList", "GetItem", index);
  return index_[static_cast<size_t>(index)].object;
}

void TMainObjectList::SetCapacity(int value) {
  if (value <= 0) return;
  index_.reserve(static_cast<size_t>(value));
  names_.reserve(static_cast<size_t>(value));
}

void TMainObjectList::Delete(int index) {
  if (index < 0 || index >= GetCount()) IndexError("TMainObjectList", "Delete", index);
  EraseEntry(static_cast<size_t>(index));
}

void TMainObjectList::EraseEntry(size_t at) {
  names_.erase(index_[at].name);
  index_.erase(index_.begin() + static_cast<std::ptrdiff_t>(at));
}

void TMainObjectList::ClearList() {
  index_.clear();
  names_.clear();
}

size_t TMainObjectList::LowerBound(std::string_view name, bool& found) const {
  auto it = std::lower_bound(index_.begin(), index_.end(), name,
                             [](const TNameEntry& e, std::string_view n) { return CompareNames(e.name, n) < 0; });
  found = it != index_.end() && it->name == name;
  return static_cast<size_t>(it - index_.begin());
}

TMainObject* TMainObjectList::Named(std::string_view name) const {
  auto it = names_.find(name);
  return it != names_.end() ? it->second : nullptr;
}

int TMainObjectList::IndexOfName(std::string_view name) const {
  if (!Named(name)) return -1;
  if (sorted_) {
    bool found = false;
    size_t at = LowerBound(name, found);
    return found ? static_cast<int>(at) : -1;
  }
  // The newest first: particle lists free and look up their latest.
  for (size_t i = index_.size(); i-- > 0;)
    if (index_[i].name == name) return static_cast<int>(i);
  return -1;
}

int TMainObjectList::IndexOfObject(const TMainItem* object) const {
  for (size_t i = index_.size(); i-- > 0;)
    if (index_[i].object == object) return static_cast<int>(i);
  return -1;
}

TMainItem* TMainObjectList::AddItem(TMainItem* item) {
  if (!item) RaiseError("TMainObjectList", "AddItem", "Add nil Object failed");
  auto* object = dynamic_cast<TMainObject*>(item);
  if (!object)
    RaiseError("TMainObjectList", "AddItem",
               std::string("Invalid class typecast: ") + item->ClassName() + " is not a named object");
  if (object->Name().empty()) RaiseError("TMainObjectList", "AddItem", "Add empty Object.Name failed");
  TMainList::AddItem(item);
  if (Named(object->Name())) return item;  // a duplicate is ignored
  names_.emplace(object->Name(), object);
  if (sorted_) {
    bool found = false;
    size_t at = LowerBound(object->Name(), found);
    index_.insert(index_.begin() + static_cast<std::ptrdiff_t>(at), TNameEntry{object->Name(), object, entered_++});
  } else {
    index_.push_back(TNameEntry{object->Name(), object, entered_++});
  }
  return item;
}

void TMainObjectList::RemoveItem(TMainItem* item) {
  // By name first (the common case), but only the item's own entry: a
  // rejected duplicate of the same name must not take the original out.
  int at = -1;
  if (auto* object = dynamic_cast<TMainObject*>(item); object && Named(object->Name()) == item)
    at = IndexOfName(object->Name());
  if (at < 0) at = IndexOfObject(item);
  if (at >= 0) EraseEntry(static_cast<size_t>(at));
}

void TMainObjectList::RenameItem(TMainItem* item, const std::string& newName) {
  auto* object = dynamic_cast<TMainObject*>(item);
  if (!object || Named(newName) || Named(object->Name()) != object) return;
  const int at = IndexOfName(object->Name());
  if (at < 0) return;
  const uint64_t added = index_[static_cast<size_t>(at)].added;
  EraseEntry(static_cast<size_t>(at));
  object->name_ = newName;
  names_.emplace(newName, object);
  if (sorted_) {
    bool found = false;
    size_t to = LowerBound(newName, found);
    index_.insert(index_.begin() + static_cast<std::ptrdiff_t>(to), TNameEntry{newName, object, added});
  } else {
    index_.insert(index_.begin() + at, TNameEntry{newName, object, added});
  }
}

bool TMainObjectList::Contains(const TMainItem* item) const {
  auto* object = dynamic_cast<const TMainObject*>(item);
  return object && Named(object->Name()) == object;
}

TMainObject* TMainObjectList::FindItem(std::string_view name) const { return Named(name); }

std::vector<TMainObject*> TMainObjectList::ObjectsInAddOrder() const {
  std::vector<const TNameEntry*> entries;
  entries.reserve(index_.size());
  for (const TNameEntry& entry : index_) entries.push_back(&entry);
  std::sort(entries.begin(), entries.end(), [](const TNameEntry* a, const TNameEntry* b) { return a->added < b->added; });
  std::vector<TMainObject*> objects;
  objects.reserve(entries.size());
  for (const TNameEntry* entry : entries) objects.push_back(entry->object);
  return objects;
}

void TMainObjectList::SetNameOrder(bool sorted) {
  if (sorted == sorted_) return;
  sorted_ = sorted;
  if (sorted_)
    std::stable_sort(index_.begin(), index_.end(),
                     [](const TNameEntry& a, const TNameEntry& b) { return CompareNames(a.name, b.name) < 0; });
}

}  // namespace velmora
