// Growable arrays of fixed-size items, the client-memory side of vertex
// arrays.
//
// The bytes are one flat buffer of Count x ItemSize that OpenGL reads in
// place (glVertexPointer and friends), so the typed arrays keep exactly the
// record layout of gl/Types.h. Grow reallocates to the exact new size:
// callers set the count once, then fill.
#pragma once

#include <cstdint>
#include <span>

#include "gl/Types.h"

namespace velmora {

class TDArray {
 public:
  TDArray() = default;
  virtual ~TDArray();
  TDArray(const TDArray&) = delete;
  TDArray& operator=(const TDArray&) = delete;

  // Count x ItemSize bytes; nullptr while empty.
  void* Data() { return data_; }
  const void* Data() const { return data_; }
  int Count() const { return count_; }
  int ItemSize() const { return itemSize_; }
  bool Empty() const { return count_ == 0; }

  // Copy ItemSize bytes out of / into item index. An index outside
  // 0 .. Count - 1 raises "TDArray GetItem: index out of bounds." /
  // "TDArray SetItem: index out of bounds.".
  void GetItem(int index, void* dest) const;
  void SetItem(int index, const void* source);

  // Appends n uninitialized items; n < 1 does nothing. A size that does not
  // fit raises "TDArray.Grow error: ...".
  void Grow(int n);
  // Drops the last n items (all of them when n >= Count, which frees the
  // buffer); n < 1 does nothing.
  void Shrink(int n);
  void SetCount(int count);

  // When this array is not empty: dest takes its item size (emptied first
  // when the sizes differ), its count and a copy of its bytes. An empty
  // source leaves dest unchanged.
  void AssignTo(TDArray& dest) const;

 protected:
  explicit TDArray(int itemSize) : itemSize_(itemSize) {}
  // Raw item address, unchecked; for the typed arrays' inner loops.
  uint8_t* Bytes() { return data_; }
  const uint8_t* Bytes() const { return data_; }

 private:
  void Reallocate(int count);

  uint8_t* data_ = nullptr;
  int count_ = 0;
  int itemSize_ = 1;
};

class TGLVectorDArray : public TDArray {
 public:
  TGLVectorDArray() : TDArray(sizeof(TGLVector)) {}

  TGLVector* Items() { return reinterpret_cast<TGLVector*>(Bytes()); }
  const TGLVector* Items() const { return reinterpret_cast<const TGLVector*>(Bytes()); }

  void SetVector(int index, float x, float y, float z);
  void SetVector(int index, const TGLVector& v) { SetItem(index, &v); }
  TGLVector GetVector(int index) const;
  // Count := length / 3 (a trailing partial vector is dropped).
  void LoadFromArray(std::span<const float> values);
  // Every item to (0, 0, 0).
  void Reset();
};

class TGLColorDArray : public TDArray {
 public:
  TGLColorDArray() : TDArray(sizeof(TGLColorBytes)) {}

  TGLColorBytes* Items() { return reinterpret_cast<TGLColorBytes*>(Bytes()); }
  const TGLColorBytes* Items() const { return reinterpret_cast<const TGLColorBytes*>(Bytes()); }

  // As one word, r in the lowest byte.
  void SetColor(int index, uint32_t word);
  uint32_t GetColor(int index) const;
  void SetColorBytes(int index, uint8_t r, uint8_t g, uint8_t b, uint8_t a);
  TGLColorBytes GetColorBytes(int index) const;
  void LoadFromWords(std::span<const uint32_t> words);
  // Groups of four bytes (r, g, b, a), or of three (r, g, b, a = 255) when
  // withAlpha is false; a trailing partial group is dropped.
  void LoadFromBytes(std::span<const uint8_t> bytes, bool withAlpha);
};

class TGLTextureCoordDArray : public TDArray {
 public:
  TGLTextureCoordDArray() : TDArray(sizeof(TGLTexCoord)) {}

  TGLTexCoord* Items() { return reinterpret_cast<TGLTexCoord*>(Bytes()); }
  const TGLTexCoord* Items() const { return reinterpret_cast<const TGLTexCoord*>(Bytes()); }

  void SetTexCoord(int index, float s, float t);
  TGLTexCoord GetTexCoord(int index) const;
  // Pairs (s, t); count := length / 2.
  void LoadFromArray(std::span<const float> values);
};

class TGLIndexDArray : public TDArray {
 public:
  TGLIndexDArray() : TDArray(sizeof(uint16_t)) {}

  uint16_t* Items() { return reinterpret_cast<uint16_t*>(Bytes()); }
  const uint16_t* Items() const { return reinterpret_cast<const uint16_t*>(Bytes()); }

  void SetIndex(int index, uint16_t vertex) { SetItem(index, &vertex); }
  uint16_t GetIndex(int index) const;
  void LoadFromArray(std::span<const uint16_t> indices);
};

// The vector operations of primitives on any vector arrays. The destination
// takes the source's count first; it may be the source itself.
void NormalizeArray(const TGLVectorDArray& source, TGLVectorDArray& dest);
void TransformArray(const TGLVectorDArray& source, TGLVectorDArray& dest, const TGLMatrix& matrix);
// About the z axis by the given degrees.
void RotateZArray(const TGLVectorDArray& source, TGLVectorDArray& dest, float degrees);
// dest := a + (b - a) x t item by item; nothing when the counts differ.
void LerpArray(const TGLVectorDArray& a, const TGLVectorDArray& b, float t, TGLVectorDArray& dest);

}  // namespace velmora
