#include "gl/Primitive.h"

#include <algorithm>

#include "core/Error.h"
#include "gl/GLEntryPoints.h"
#include "gl/OpenGL.h"

namespace velmora {

TGLPrimitive::TGLPrimitive(TGLPrimitiveList* list) : TGLItem(list) {}

TGLPrimitive::~TGLPrimitive() {
  if (Compiled && List() && List()->ContextActive()) ReleaseList();
}

TGLPrimitiveList* TGLPrimitive::Primitives() const { return static_cast<TGLPrimitiveList*>(List()); }

TGLTextureCoordDArray& TGLPrimitive::TextureCoords(int unit) {
  if (unit < 0 || unit > 2) RaiseError("TGLPrimitive", "GetTextureCoords", "Index out of bounds");
  return TexCoords[unit];
}

// --- drawing -------------------------------------------------------------------

// Units whose coordinates are set up: only the current client unit without
// MultiTexture (or without the multitexture entry points), else every unit
// the driver has, at most three; 0 stands for "the current unit only".
int TGLPrimitive::TextureUnits() const {
  if (!MultiTexture || !GL.glClientActiveTextureARB) return 0;
  return Primitives() ? std::clamp(Primitives()->MaxTextureUnits, 1, 3) : 1;
}

// A set of another size than the vertices leaves the unit as it was.
static void SetUpTexCoords(const TGLTextureCoordDArray& set, int vertexCount) {
  if (set.Count() == vertexCount) {
    GL.glTexCoordPointer(2, GL_FLOAT, sizeof(TGLTexCoord), set.Data());
    GL.glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  } else if (set.Empty()) {
    GL.glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  }
}

void TGLPrimitive::SetUpArrays() {
  const int n = Vertices.Count();
  GL.glEnableClientState(GL_VERTEX_ARRAY);
  GL.glVertexPointer(3, GL_FLOAT, sizeof(TGLVector), Vertices.Data());

  if (Colors.Count() == n) {
    GL.glEnableClientState(GL_COLOR_ARRAY);
    GL.glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(TGLColorBytes), Colors.Data());
  } else {
    GL.glDisableClientState(GL_COLOR_ARRAY);
    if (Colors.Count() == 1) GL.glColor4ubv(&Colors.Items()[0].r);
  }

  if (Normals.Count() == n) {
    GL.glEnableClientState(GL_NORMAL_ARRAY);
    GL.glNormalPointer(GL_FLOAT, sizeof(TGLVector), Normals.Data());
  } else {
    GL.glDisableClientState(GL_NORMAL_ARRAY);
    if (Normals.Count() == 1) GL.glNormal3fv(&Normals.Items()[0].x);
  }

  const int units = TextureUnits();
  if (units == 0) {
    SetUpTexCoords(TexCoords[0], n);
    return;
  }
  for (int u = 0; u < units; ++u) {
    GL.glClientActiveTextureARB(GL_TEXTURE0_ARB + u);
    SetUpTexCoords(TexCoords[u], n);
  }
}

void TGLPrimitive::Draw() {
  if (!Indices.Empty())
    GL.glDrawElements(Mode, Indices.Count(), GL_UNSIGNED_SHORT, Indices.Data());
  else
    GL.glDrawArrays(Mode, 0, Vertices.Count());
}

// The arrays of the other units point into this primitive's memory, which a
// later primitive that sets up unit 0 only would otherwise leave the driver
// reading; and the client unit goes back to 0, which those primitives set.
static void EndMultiTexture(int units) {
  for (int u = units - 1; u >= 1; --u) {
    GL.glClientActiveTextureARB(GL_TEXTURE0_ARB + u);
    GL.glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  }
  GL.glClientActiveTextureARB(GL_TEXTURE0_ARB);
}

void TGLPrimitive::CheckIndices() const {
  const uint16_t* p = Indices.Items();
  uint16_t highest = Indices.Empty() ? 0 : *std::max_element(p, p + Indices.Count());
  if (!Indices.Empty() && highest >= Vertices.Count())
    RaiseError("TGLPrimitive", "Render", "Vertex index out of bounds");
}

void TGLPrimitive::Render() {
  if (Vertices.Empty()) return;
  if (!GL.glDrawArrays) RaiseError("TGLPrimitive", "Render", "OpenGL is not loaded");
  CheckIndices();
  const int units = TextureUnits();

  if (UseDisplayList) {
    if (!Compiled) {
      GLuint name = GL.glGenLists(1);
      if (name != 0) {
        ListName = name;
        GL.glNewList(ListName, GL_COMPILE);
        SetUpArrays();
        Draw();
        GL.glEndList();
        if (units > 0) EndMultiTexture(units);
        Compiled = true;
      }
    }
    // Without a list name from the driver the primitive is drawn directly.
    if (Compiled) {
      GL.glCallList(ListName);
      return;
    }
  }

  SetUpArrays();
  if (GL.glLockArraysEXT) GL.glLockArraysEXT(0, Vertices.Count());
  Draw();
  if (GL.glUnlockArraysEXT) GL.glUnlockArraysEXT();
  if (units > 0) EndMultiTexture(units);
}

void TGLPrimitive::ReleaseList() {
  if (!Compiled) return;
  if (GL.glDeleteLists) GL.glDeleteLists(ListName, 1);
  Compiled = false;
}

// --- geometry ------------------------------------------------------------------

static TGLVector FaceNormal(const TGLVector& a, const TGLVector& b, const TGLVector& c) {
  return CrossProduct(b - a, c - a);
}

void TGLPrimitive::CalcNormals() {
  const int n = Vertices.Count();
  Normals.SetCount(n);
  Normals.Reset();
  const TGLVector* v = Vertices.Items();
  TGLVector* out = Normals.Items();

  if (Mode == GL_TRIANGLES && !Indices.Empty()) {
    const uint16_t* idx = Indices.Items();
    for (int i = 0; i + 2 < Indices.Count(); i += 3) {
      int a = idx[i], b = idx[i + 1], c = idx[i + 2];
      if (a >= n || b >= n || c >= n) RaiseError("TGLPrimitive", "CalcNormals", "Vertex index out of bounds");
      TGLVector f = FaceNormal(v[a], v[b], v[c]);
      out[a] = out[a] + f;
      out[b] = out[b] + f;
      out[c] = out[c] + f;
    }
  } else if (Mode == GL_TRIANGLES) {
    for (int i = 0; i + 2 < n; i += 3) out[i] = out[i + 1] = out[i + 2] = FaceNormal(v[i], v[i + 1], v[i + 2]);
  } else if (Mode == GL_QUADS && Indices.Empty()) {
    for (int i = 0; i + 3 < n; i += 4)
      out[i] = out[i + 1] = out[i + 2] = out[i + 3] = FaceNormal(v[i], v[i + 1], v[i + 2]);
  }
  NormalizeArray(Normals, Normals);
}

void TGLPrimitive::AssignTo(TGLPrimitive*& dest) const {
  if (!dest) dest = Primitives() ? Primitives()->Add() : new TGLPrimitive(nullptr);
  if (dest == this) return;
  dest->Mode = Mode;
  Normals.AssignTo(dest->Normals);
  Vertices.AssignTo(dest->Vertices);
  Colors.AssignTo(dest->Colors);
  for (int u = 0; u < 3; ++u) TexCoords[u].AssignTo(dest->TexCoords[u]);
  Indices.AssignTo(dest->Indices);
}

void TGLPrimitive::BlendVertices(const TGLVectorDArray& a, const TGLVectorDArray& b, float t) {
  LerpArray(a, b, t, Vertices);
}

void TGLPrimitive::BlendNormals(const TGLVectorDArray& a, const TGLVectorDArray& b, float t) {
  if (!Normals.Empty()) LerpArray(a, b, t, Normals);
}

void TGLPrimitive::RotateZ(float degrees) { RotateZArray(Vertices, Vertices, degrees); }

void TGLPrimitive::Transform(const TGLMatrix& matrix) { TransformArray(Vertices, Vertices, matrix); }

// --- list ------------------------------------------------------------------------

TGLPrimitiveList::~TGLPrimitiveList() { Clear(); }

TGLPrimitive* TGLPrimitiveList::Add() { return new TGLPrimitive(this); }

void TGLPrimitiveList::InitGL() {
  MaxTextureUnits = 1;
  if (ExtensionSupported("GL_ARB_multitexture")) MaxTextureUnits = std::max(1, Owner()->GetInt(GL_MAX_TEXTURE_UNITS_ARB));
}

void TGLPrimitiveList::ReleaseAll() {
  for (int i = 0; i < Count(); ++i) Items(i)->ReleaseList();
}

}  // namespace velmora
