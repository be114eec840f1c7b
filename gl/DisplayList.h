// Display lists compiled by a callback.
//
// A record names a block of ListCount display lists. The rendering context
// object compiles every record after it has made a context current
// (CompileAll: the block is generated and the record's OnCompile fills it)
// and releases them before the context goes (ReleaseAll); the next context
// compiles them again.
#pragma once

#include <cstdint>

#include "core/Event.h"
#include "gl/ItemList.h"

namespace velmora {

class TGLDisplayListList;

class TGLDisplayList : public TGLItem {
 public:
  TGLDisplayList(TGLDisplayListList* list, int listCount);
  ~TGLDisplayList() override;

  uint32_t FirstName = 0;
  int ListCount = 1;
  bool Compiled = false;
  // Receives the record with FirstName set; compiles lists FirstName ..
  // FirstName + ListCount - 1 (glNewList / glEndList).
  TEvent<TGLDisplayList&> OnCompile;

  // Generates the block and fires OnCompile, when not compiled yet.
  void Compile();
  void Release();
  // glCallList of list i of the block, when compiled and i is in range.
  void Call(int i = 0) const;
};

class TGLDisplayListList : public TGLItemList {
 public:
  explicit TGLDisplayListList(TCustomOpenGL* owner) : TGLItemList(owner) {}
  ~TGLDisplayListList() override;

  TGLDisplayList* Add(int listCount, TEvent<TGLDisplayList&> onCompile);
  TGLDisplayList* Items(int index) const { return ItemsAs<TGLDisplayList>(index); }

  void CompileAll();
  void ReleaseAll();
};

}  // namespace velmora
