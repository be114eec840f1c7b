// A plain owning list of plain objects (mesh groups, vertex frames): not a
// node of the scene tree.
//
// Lifecycle: made empty -> Add hands each element over -> Delete or Clear
// frees elements -> freeing the list frees every element.
//
// Errors: "TBaseList.Items error: List index out of bounds (<index>)",
// likewise "TBaseList.Delete".
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/Error.h"

namespace velmora {

template <class T>
class TBaseList {
 public:
  TBaseList() = default;
  TBaseList(const TBaseList&) = delete;
  TBaseList& operator=(const TBaseList&) = delete;

  int Count() const { return static_cast<int>(items_.size()); }
  T* Items(int index) const {
    Check(index, "Items");
    return items_[static_cast<size_t>(index)].get();
  }
  T* operator[](int index) const { return Items(index); }

  // Takes the element over; returns it.
  T* Add(std::unique_ptr<T> item) {
    items_.push_back(std::move(item));
    return items_.back().get();
  }
  T* Add(T* item) { return Add(std::unique_ptr<T>(item)); }
  // Frees the element at index.
  void Delete(int index) {
    Check(index, "Delete");
    items_.erase(items_.begin() + index);
  }
  // Frees every element, the last first.
  void Clear() {
    while (!items_.empty()) items_.pop_back();
  }
  void SetCapacity(int capacity) {
    if (capacity > 0) items_.reserve(static_cast<size_t>(capacity));
  }

  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  void Check(int index, const char* operation) const {
    if (index < 0 || index >= Count())
      RaiseError("TBaseList", operation, "List index out of bounds (" + std::to_string(index) + ")");
  }

  std::vector<std::unique_ptr<T>> items_;
};

}  // namespace velmora
