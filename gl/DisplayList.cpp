#include "gl/DisplayList.h"

#include <utility>

#include "gl/GLEntryPoints.h"

namespace velmora {

TGLDisplayList::TGLDisplayList(TGLDisplayListList* list, int listCount)
    : TGLItem(list), ListCount(listCount) {}

TGLDisplayList::~TGLDisplayList() {
  if (Compiled && List() && List()->ContextActive()) Release();
}

void TGLDisplayList::Compile() {
  if (Compiled || ListCount < 1 || !GL.glGenLists) return;
  GLuint first = GL.glGenLists(ListCount);
  if (first == 0) return;  // the driver has no block of that size
  FirstName = first;
  Compiled = true;
  Fire(OnCompile, *this);
}

void TGLDisplayList::Release() {
  if (!Compiled) return;
  if (GL.glDeleteLists) GL.glDeleteLists(FirstName, ListCount);
  Compiled = false;
}

void TGLDisplayList::Call(int i) const {
  if (Compiled && i >= 0 && i < ListCount) GL.glCallList(FirstName + uint32_t(i));
}

TGLDisplayListList::~TGLDisplayListList() { Clear(); }

TGLDisplayList* TGLDisplayListList::Add(int listCount, TEvent<TGLDisplayList&> onCompile) {
  auto* record = new TGLDisplayList(this, listCount);
  record->OnCompile = std::move(onCompile);
  return record;
}

void TGLDisplayListList::CompileAll() {
  for (int i = 0; i < Count(); ++i) Items(i)->Compile();
}

void TGLDisplayListList::ReleaseAll() {
  for (int i = 0; i < Count(); ++i) Items(i)->Release();
}

}  // namespace velmora
