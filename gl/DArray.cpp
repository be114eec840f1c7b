#include "gl/DArray.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <numbers>

#include "core/Error.h"

namespace velmora {

TDArray::~TDArray() { std::free(data_); }

void TDArray::GetItem(int index, void* dest) const {
  if (index < 0 || index >= count_) RaiseMessage("TDArray GetItem: index out of bounds.");
  std::memcpy(dest, data_ + size_t(index) * size_t(itemSize_), size_t(itemSize_));
}

void TDArray::SetItem(int index, const void* source) {
  if (index < 0 || index >= count_) RaiseMessage("TDArray SetItem: index out of bounds.");
  std::memcpy(data_ + size_t(index) * size_t(itemSize_), source, size_t(itemSize_));
}

// The one place the buffer changes size: a new block of exactly count items
// takes the old items that still fit, then the old block goes.
void TDArray::Reallocate(int count) {
  if (count == 0) {
    std::free(data_);
    data_ = nullptr;
    count_ = 0;
    return;
  }
  size_t bytes = size_t(count) * size_t(itemSize_);
  auto* block = static_cast<uint8_t*>(std::malloc(bytes));
  if (!block) RaiseError("TDArray", "Grow", "Out of memory");
  if (data_) std::memcpy(block, data_, size_t(std::min(count, count_)) * size_t(itemSize_));
  std::free(data_);
  data_ = block;
  count_ = count;
}

void TDArray::Grow(int n) {
  if (n < 1) return;
  if (n > std::numeric_limits<int>::max() - count_ ||
      int64_t(count_ + n) * itemSize_ > std::numeric_limits<int>::max())
    RaiseError("TDArray", "Grow", "Array too large");
  Reallocate(count_ + n);
}

void TDArray::Shrink(int n) {
  if (n < 1) return;
  Reallocate(n >= count_ ? 0 : count_ - n);
}

void TDArray::SetCount(int count) {
  if (count > count_)
    Grow(count - count_);
  else if (count < count_)
    Shrink(count_ - count);
}

void TDArray::AssignTo(TDArray& dest) const {
  if (count_ == 0 || &dest == this) return;
  if (dest.itemSize_ != itemSize_) {
    dest.Reallocate(0);
    dest.itemSize_ = itemSize_;
  }
  dest.SetCount(count_);
  std::memcpy(dest.data_, data_, size_t(count_) * size_t(itemSize_));
}

// --- typed arrays ------------------------------------------------------------

void TGLVectorDArray::SetVector(int index, float x, float y, float z) {
  TGLVector v{x, y, z};
  SetItem(index, &v);
}

TGLVector TGLVectorDArray::GetVector(int index) const {
  TGLVector v;
  GetItem(index, &v);
  return v;
}

void TGLVectorDArray::LoadFromArray(std::span<const float> values) {
  int n = int(values.size() / 3);
  SetCount(n);
  for (int i = 0; i < n; ++i) Items()[i] = {values[3 * i], values[3 * i + 1], values[3 * i + 2]};
}

void TGLVectorDArray::Reset() {
  for (int i = 0; i < Count(); ++i) Items()[i] = {0, 0, 0};
}

void TGLColorDArray::SetColor(int index, uint32_t word) {
  TGLColorBytes b = WordToBytes(word);
  SetItem(index, &b);
}

uint32_t TGLColorDArray::GetColor(int index) const { return BytesToWord(GetColorBytes(index)); }

void TGLColorDArray::SetColorBytes(int index, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
  TGLColorBytes c{r, g, b, a};
  SetItem(index, &c);
}

TGLColorBytes TGLColorDArray::GetColorBytes(int index) const {
  TGLColorBytes c;
  GetItem(index, &c);
  return c;
}

void TGLColorDArray::LoadFromWords(std::span<const uint32_t> words) {
  SetCount(int(words.size()));
  for (int i = 0; i < Count(); ++i) Items()[i] = WordToBytes(words[size_t(i)]);
}

void TGLColorDArray::LoadFromBytes(std::span<const uint8_t> bytes, bool withAlpha) {
  size_t group = withAlpha ? 4 : 3;
  int n = int(bytes.size() / group);
  SetCount(n);
  for (int i = 0; i < n; ++i) {
    const uint8_t* p = bytes.data() + size_t(i) * group;
    Items()[i] = {p[0], p[1], p[2], withAlpha ? p[3] : uint8_t(255)};
  }
}

void TGLTextureCoordDArray::SetTexCoord(int index, float s, float t) {
  TGLTexCoord c{s, t};
  SetItem(index, &c);
}

TGLTexCoord TGLTextureCoordDArray::GetTexCoord(int index) const {
  TGLTexCoord c;
  GetItem(index, &c);
  return c;
}

void TGLTextureCoordDArray::LoadFromArray(std::span<const float> values) {
  int n = int(values.size() / 2);
  SetCount(n);
  for (int i = 0; i < n; ++i) Items()[i] = {values[2 * i], values[2 * i + 1]};
}

uint16_t TGLIndexDArray::GetIndex(int index) const {
  uint16_t v;
  GetItem(index, &v);
  return v;
}

void TGLIndexDArray::LoadFromArray(std::span<const uint16_t> indices) {
  SetCount(int(indices.size()));
  if (!indices.empty()) std::memcpy(Items(), indices.data(), indices.size() * sizeof(uint16_t));
}

// --- vector array operations --------------------------------------------------

void NormalizeArray(const TGLVectorDArray& source, TGLVectorDArray& dest) {
  dest.SetCount(source.Count());
  for (int i = 0; i < source.Count(); ++i) dest.Items()[i] = Normalize(source.Items()[i]);
}

void TransformArray(const TGLVectorDArray& source, TGLVectorDArray& dest, const TGLMatrix& matrix) {
  dest.SetCount(source.Count());
  for (int i = 0; i < source.Count(); ++i) dest.Items()[i] = TransformPoint(matrix, source.Items()[i]);
}

void RotateZArray(const TGLVectorDArray& source, TGLVectorDArray& dest, float degrees) {
  float rad = degrees * static_cast<float>(std::numbers::pi / 180.0);
  float c = std::cos(rad), s = std::sin(rad);
  dest.SetCount(source.Count());
  for (int i = 0; i < source.Count(); ++i) {
    TGLVector v = source.Items()[i];
    dest.Items()[i] = {v.x * c - v.y * s, v.x * s + v.y * c, v.z};
  }
}

void LerpArray(const TGLVectorDArray& a, const TGLVectorDArray& b, float t, TGLVectorDArray& dest) {
  if (a.Count() != b.Count()) return;
  dest.SetCount(a.Count());
  for (int i = 0; i < a.Count(); ++i) {
    TGLVector va = a.Items()[i], vb = b.Items()[i];
    dest.Items()[i] = {va.x + (vb.x - va.x) * t, va.y + (vb.y - va.y) * t, va.z + (vb.z - va.z) * t};
  }
}

}  // namespace velmora
