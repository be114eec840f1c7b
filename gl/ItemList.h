// Lists of OpenGL object wrappers.
//
// Every wrapper (primitive, light, material, texture, viewport) is an item
// of a list owned by the rendering context object, TCustomOpenGL. The list
// owns its items and frees them with itself; an item freed on its own takes
// itself out of its list first, so a list never holds a dangling item.
//
// InitGL is the hook the context object calls on each of its lists every
// time a fresh rendering context has been made current: a list reads there
// whatever driver limits or switches its items depend on.
#pragma once

#include <cstdint>
#include <vector>

namespace velmora {

class TCustomOpenGL;
class TGLItemList;

class TGLItem {
 public:
  // Joins the list (when given); the list then owns the item.
  explicit TGLItem(TGLItemList* list);
  // Leaves the list before going.
  virtual ~TGLItem();
  TGLItem(const TGLItem&) = delete;
  TGLItem& operator=(const TGLItem&) = delete;

  TGLItemList* List() const { return list_; }
  // The context object of the owning list; nullptr for a free item.
  TCustomOpenGL* OpenGL() const;

 private:
  friend class TGLItemList;
  TGLItemList* list_ = nullptr;
};

class TGLItemList {
 public:
  explicit TGLItemList(TCustomOpenGL* owner);
  // Frees every item after detaching it. A derived list whose items call
  // back into it while they are freed calls Clear() in its own destructor,
  // while it is still whole.
  virtual ~TGLItemList();
  TGLItemList(const TGLItemList&) = delete;
  TGLItemList& operator=(const TGLItemList&) = delete;

  TCustomOpenGL* Owner() const { return owner_; }
  // The owner has a current rendering context: only then may items talk to
  // the driver.
  bool ContextActive() const;

  // Frees every item; each may still reach this list from its destructor.
  void Clear();
  int Count() const { return static_cast<int>(items_.size()); }
  // Pre-reserves room; not a limit.
  void SetCapacity(int capacity);
  // Raises "TGLItemList.GetItems error: Index out of bounds" outside
  // 0 .. Count - 1.
  TGLItem* Items(int index) const;
  // Position of an item in this list, -1 when it is not here.
  int IndexOf(const TGLItem* item) const;

  // Called after each context creation; the base list needs nothing.
  virtual void InitGL() {}

 protected:
  // Typed access for the derived lists, which know their item class.
  template <class T>
  T* ItemsAs(int index) const {
    return static_cast<T*>(Items(index));
  }

 private:
  friend class TGLItem;
  void Attach(TGLItem* item);
  void Detach(TGLItem* item);

  TCustomOpenGL* owner_;
  std::vector<TGLItem*> items_;
  bool clearing_ = false;
};

}  // namespace velmora
