// Lists of scene items: the nodes of the tree that hold children.
//
// TMainList is the abstract list: the list operations and the forwarding
// of every per-frame call to the children. TMainItemList keeps plain items
// in the order they were added (the scene's three processing lists are
// such lists that own nothing). TMainObjectList keeps named objects in a
// name index ordered by CompareNames, finds them by name and ignores a
// second object with a name already present.
//
// Lifecycle of a child:
//
//   AddItem (MainScene set; entered unless its name is taken) -> per-frame
//   calls forwarded from the list -> RemoveItem (the child's destructor,
//   through its Owner) or DeleteItems/Clear (the list frees it).
//
// AddItem returns the item whether or not it was entered; Contains tells.
// An object that entered no list belongs to whoever made it.
//
// Forwarding: ProcessEvents and Animate reach every child, visible or not;
// Render runs the list's BeginRender, each visible child's Render, then
// EndRender; RenderOpaque and RenderTransparent reach every visible child;
// LoadOptions and SaveOptions every child that is a TMainSceneObject.
//
// Errors:
//   "TMainObjectList.AddItem error: Add nil Object failed"
//   "TMainObjectList.AddItem error: Add empty Object.Name failed"
//   "TMainObjectList.AddItem error: Invalid class typecast: <class> is not a named object"
//   "<class>.GetItem error: List index out of bounds (<index>)"
//   "<class>.Delete error: List index out of bounds (<index>)"
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "scene/SceneItem.h"

namespace velmora {

// The order of the name index, the same on every machine whatever its
// locale: names are compared character by character, first ignoring case,
// with every character that is neither a letter nor a digit (by its byte
// value) before the digits, the digits before the letters, and bytes above
// 127 last (by byte value). Names that differ only in case then sort by the
// first position where they differ, the lower-case letter first. So
// "ClockPlate" < "day" < "time1", "a" < "A" < "ab", "x9" < "xa".
// Returns <0, 0 or >0; 0 only for identical names.
int CompareNames(std::string_view a, std::string_view b);

class TMainList : public TMainSceneObject {
 public:
  const char* ClassName() const override { return "TMainList"; }

  // True: the loader reads and writes the children ("Capacity", "Count" and
  // one section per child).
  bool StoreChildren = true;

  // The list operations, in their slot order.
  virtual TMainItem* GetItem(int index) const = 0;
  virtual int GetCount() const = 0;
  virtual int GetCapacity() const = 0;
  virtual void SetCapacity(int value) = 0;
  // Drops the entry at index; the item is not freed.
  virtual void Delete(int index) = 0;
  // Sets the item's MainScene to the list's; subclasses enter the item.
  virtual TMainItem* AddItem(TMainItem* item);
  // Frees the last n items (nothing for n < 1; n is cut to the count).
  virtual void DeleteItems(int n);
  // Drops the item's entry; called by the item's destructor.
  virtual void RemoveItem(TMainItem* item) = 0;
  virtual void RenameItem(TMainItem* item, const std::string& newName) = 0;
  // Drops all entries without freeing.
  virtual void ClearList() = 0;
  // DeleteItems with the count.
  virtual void Clear();
  // Empty; lists that can switch their ordering override it.
  virtual void SetSorted(bool value);
  // Whether the item has an entry in this list.
  virtual bool Contains(const TMainItem* item) const = 0;

  void ProcessEvents(float deltaTime) override;
  void Animate(float deltaTime) override;
  void Render() override;
  void RenderOpaque() override;
  void RenderTransparent() override;
  void LoadOptions() override;
  void SaveOptions() override;

  int Count() const { return GetCount(); }
};

class TMainItemList : public TMainList {
 public:
  TMainItemList() = default;
  // Frees the children when it owns them, else only forgets them.
  ~TMainItemList() override;

  const char* ClassName() const override { return "TMainItemList"; }

  // False for lists of references (the scene's processing lists): then
  // DeleteItems and Clear only drop entries.
  bool OwnsItems = true;

  TMainItem* GetItem(int index) const override;
  int GetCount() const override { return static_cast<int>(items_.size()); }
  int GetCapacity() const override { return static_cast<int>(items_.capacity()); }
  void SetCapacity(int value) override;
  void Delete(int index) override;
  TMainItem* AddItem(TMainItem* item) override;
  void DeleteItems(int n) override;
  void RemoveItem(TMainItem* item) override;
  void RenameItem(TMainItem* item, const std::string& newName) override;
  void ClearList() override { items_.clear(); }
  bool Contains(const TMainItem* item) const override;

 private:
  std::vector<TMainItem*> items_;
};

class TMainObjectList : public TMainList {
 public:
  TMainObjectList() = default;
  // Frees the children.
  ~TMainObjectList() override;

  const char* ClassName() const override { return "TMainObjectList"; }

  TMainItem* GetItem(int index) const override;
  int GetCount() const override { return static_cast<int>(index_.size()); }
  int GetCapacity() const override { return static_cast<int>(index_.capacity()); }
  void SetCapacity(int value) override;
  void Delete(int index) override;
  TMainItem* AddItem(TMainItem* item) override;
  void RemoveItem(TMainItem* item) override;
  void RenameItem(TMainItem* item, const std::string& newName) override;
  void ClearList() override;
  bool Contains(const TMainItem* item) const override;

  // The child named exactly name (CompareNames is case-sensitive), or
  // nullptr.
  TMainObject* FindItem(std::string_view name) const;
  // The child at index of the name index, typed.
  TMainObject* Objects(int index) const { return static_cast<TMainObject*>(GetItem(index)); }

  // True: the index is ordered by CompareNames; false: by insertion.
  bool Sorted() const { return sorted_; }
  // The children in the order they were entered (a renamed child keeps
  // its place): the order a description must list them in, so that each
  // finds what it refers to when read again.
  std::vector<TMainObject*> ObjectsInAddOrder() const;

 protected:
  // Switches the index between name order and insertion order (for the
  // SetSorted of lists whose children keep the order they were made in).
  // Switching back to name order sorts the entries.
  void SetNameOrder(bool sorted);
  // Position of the entry named name, or -1.
  int IndexOfName(std::string_view name) const;
  // Position of the entry holding object, or -1.
  int IndexOfObject(const TMainItem* object) const;

 private:
  struct TNameEntry {
    std::string name;
    TMainObject* object;
    uint64_t added;  // entry count of the list when it was entered
  };
  // Hashes std::string and std::string_view alike, so that lookups by a
  // view need no copy of the name.
  struct TNameHash {
    using is_transparent = void;
    size_t operator()(std::string_view name) const noexcept { return std::hash<std::string_view>{}(name); }
  };
  // Where an entry named name goes in a sorted index; found tells whether
  // the name is there.
  size_t LowerBound(std::string_view name, bool& found) const;
  // The object of the entry named name, or nullptr.
  TMainObject* Named(std::string_view name) const;
  // Drops the entry at, from the index and the name table.
  void EraseEntry(size_t at);

  std::vector<TNameEntry> index_;
  // The same entries by name: always exactly the names index_ holds.
  std::unordered_map<std::string, TMainObject*, TNameHash, std::equal_to<>> names_;
  bool sorted_ = true;
  uint64_t entered_ = 0;
};

}  // namespace velmora
