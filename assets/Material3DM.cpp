#include "assets/Material3DM.h"

#include <algorithm>

#include "core/Error.h"
#include "core/Strings.h"

namespace velmora {

void T3DMMaterial::SetName(const std::string& name) {
  if (owner_) owner_->LeaveName(this);
  name_ = name;
  if (owner_) owner_->EnterName(this);
}

T3DMMaterialList::~T3DMMaterialList() { Clear(); }

namespace {
bool IndexLess(const T3DMMaterial* m, std::string_view name) { return CompareText(m->Name(), name) < 0; }
}  // namespace

void T3DMMaterialList::EnterName(T3DMMaterial* material) {
  auto it = std::lower_bound(index_.begin(), index_.end(), material->Name(), IndexLess);
  if (it != index_.end() && CompareText((*it)->Name(), material->Name()) == 0) return;
  index_.insert(it, material);
}

void T3DMMaterialList::LeaveName(T3DMMaterial* material) {
  auto it = std::find(index_.begin(), index_.end(), material);
  if (it != index_.end()) index_.erase(it);
}

void T3DMMaterialList::Add(std::unique_ptr<T3DMMaterial> material) {
  if (!material) RaiseMessage("T3DMMaterialList error: Add a NIL Material");
  if (material->owner_) RaiseError("T3DMMaterialList", "Add", "the material belongs to another list");
  material->owner_ = this;
  EnterName(material.get());
  items_.push_back(std::move(material));
}

std::unique_ptr<T3DMMaterial> T3DMMaterialList::Remove(T3DMMaterial* material) {
  auto it = std::find_if(items_.begin(), items_.end(), [&](const auto& m) { return m.get() == material; });
  if (it == items_.end()) return nullptr;
  LeaveName(material);
  std::unique_ptr<T3DMMaterial> owned = std::move(*it);
  items_.erase(it);
  owned->owner_ = nullptr;
  return owned;
}

void T3DMMaterialList::Clear() {
  index_.clear();
  // Owners are cleared first, so that nothing freed here re-enters the index.
  for (auto& m : items_) m->owner_ = nullptr;
  items_.clear();
}

T3DMMaterial* T3DMMaterialList::Items(int index) const {
  if (index < 0 || index >= Count())
    RaiseError("T3DMMaterialList", "Items", "List index out of bounds (" + std::to_string(index) + ")");
  return items_[static_cast<std::size_t>(index)].get();
}

T3DMMaterial* T3DMMaterialList::FindByName(std::string_view name) const {
  auto it = std::lower_bound(index_.begin(), index_.end(), name, IndexLess);
  if (it != index_.end() && CompareText((*it)->Name(), name) == 0) return *it;
  return nullptr;
}

}  // namespace velmora
