#include "gl/DArray.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/Error.h"

using namespace velmora;

namespace {

std::string Message(const std::function<void()>& f) {
  try {
    f();
  } catch (const Error& e) {
    return e.what();
  }
  return "";
}

}  // namespace

TEST(DArray, IndexChecksAtBothEnds) {
  TGLVectorDArray a;
  a.SetCount(3);
  a.SetVector(2, 7, 8, 9);
  EXPECT_EQ(a.GetVector(2), MakeVector(7, 8, 9));
  TGLVector v;
  EXPECT_EQ(Message([&] { a.GetItem(3, &v); }), "TDArray GetItem: index out of bounds.");
  EXPECT_EQ(Message([&] { a.GetItem(-1, &v); }), "TDArray GetItem: index out of bounds.");
  EXPECT_EQ(Message([&] { a.SetItem(3, &v); }), "TDArray SetItem: index out of bounds.");
  TGLIndexDArray empty;
  EXPECT_EQ(Message([&] { empty.GetIndex(0); }), "TDArray GetItem: index out of bounds.");
}

TEST(DArray, GrowKeepsItemsAndShrinkToZeroFrees) {
  TGLIndexDArray a;
  EXPECT_EQ(a.ItemSize(), 2);
  a.Grow(2);
  a.SetIndex(0, 11);
  a.SetIndex(1, 22);
  a.Grow(3);
  EXPECT_EQ(a.Count(), 5);
  EXPECT_EQ(a.GetIndex(0), 11);
  EXPECT_EQ(a.GetIndex(1), 22);
  a.Grow(0);
  a.Shrink(-4);
  EXPECT_EQ(a.Count(), 5);
  a.Shrink(4);
  EXPECT_EQ(a.Count(), 1);
  EXPECT_EQ(a.GetIndex(0), 11);
  a.Shrink(1);
  EXPECT_EQ(a.Count(), 0);
  EXPECT_EQ(a.Data(), nullptr);
  a.SetCount(4);
  EXPECT_EQ(a.Count(), 4);
  a.Shrink(10);  // more than there are
  EXPECT_EQ(a.Count(), 0);
  EXPECT_THROW(a.Grow(0x7FFFFFFF), Error);
  EXPECT_EQ(a.Count(), 0);
}

TEST(DArray, AssignToCopiesTakesItemSizeAndIgnoresEmptySource) {
  TGLVectorDArray src, dst;
  dst.SetCount(1);
  dst.SetVector(0, 1, 2, 3);
  TGLVectorDArray empty;
  empty.AssignTo(dst);
  ASSERT_EQ(dst.Count(), 1);
  EXPECT_EQ(dst.GetVector(0), MakeVector(1, 2, 3));

  src.LoadFromArray(std::vector<float>{1, 1, 1, 2, 2, 2});
  src.AssignTo(dst);
  ASSERT_EQ(dst.Count(), 2);
  EXPECT_EQ(dst.GetVector(1), MakeVector(2, 2, 2));
  EXPECT_NE(dst.Data(), src.Data());

  TGLColorDArray colours;
  colours.LoadFromWords(std::vector<uint32_t>{0x01020304u, 0x05060708u, 0x0A0B0C0Du});
  TDArray& base = dst;
  colours.AssignTo(base);
  EXPECT_EQ(base.ItemSize(), 4);
  EXPECT_EQ(base.Count(), 3);
  EXPECT_EQ(std::memcmp(base.Data(), colours.Data(), 12), 0);
}

TEST(DArray, LoadsCountWholeItemsOnly) {
  TGLVectorDArray v;
  v.LoadFromArray(std::vector<float>{1, 2, 3, 4, 5, 6, 7});
  ASSERT_EQ(v.Count(), 2);
  EXPECT_EQ(v.GetVector(1), MakeVector(4, 5, 6));
  v.Reset();
  EXPECT_EQ(v.GetVector(0), MakeVector(0, 0, 0));
  EXPECT_EQ(v.GetVector(1), MakeVector(0, 0, 0));

  TGLTextureCoordDArray t;
  t.LoadFromArray(std::vector<float>{0.5f, 1, 2, 3, 9});
  ASSERT_EQ(t.Count(), 2);
  EXPECT_EQ(t.GetTexCoord(1).s, 2);
  EXPECT_EQ(t.GetTexCoord(1).t, 3);

  TGLColorDArray c;
  c.LoadFromBytes(std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7}, false);
  ASSERT_EQ(c.Count(), 2);
  EXPECT_EQ(c.GetColorBytes(1), MakeColorBytes(4, 5, 6, 255));
  c.LoadFromBytes(std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7}, true);
  ASSERT_EQ(c.Count(), 1);
  EXPECT_EQ(c.GetColor(0), 0x04030201u);
  c.SetColorBytes(0, 9, 8, 7, 6);
  EXPECT_EQ(static_cast<const uint8_t*>(c.Data())[0], 9);  // r first in memory, as GL reads it
  c.SetColor(0, 0xFF0000FFu);
  EXPECT_EQ(c.GetColorBytes(0), MakeColorBytes(255, 0, 0, 255));

  TGLIndexDArray i;
  i.LoadFromArray(std::vector<uint16_t>{3, 65535});
  EXPECT_EQ(i.GetIndex(1), 65535);
}

TEST(DArray, VectorArrayOperationsWorkInPlace) {
  TGLVectorDArray a, b, out;
  a.LoadFromArray(std::vector<float>{0, 0, 0, 2, 0, 0});
  b.LoadFromArray(std::vector<float>{10, 10, 10, 4, 0, 0});
  LerpArray(a, b, 0.25f, out);
  ASSERT_EQ(out.Count(), 2);
  EXPECT_EQ(out.GetVector(0), MakeVector(2.5f, 2.5f, 2.5f));
  EXPECT_EQ(out.GetVector(1), MakeVector(2.5f, 0, 0));
  TGLVectorDArray shorter;
  shorter.LoadFromArray(std::vector<float>{1, 1, 1});
  LerpArray(a, shorter, 0.5f, out);  // counts differ: nothing happens
  EXPECT_EQ(out.Count(), 2);
  EXPECT_EQ(out.GetVector(0), MakeVector(2.5f, 2.5f, 2.5f));

  NormalizeArray(b, b);
  EXPECT_NEAR(VectorLength(b.GetVector(0)), 1, 1e-6f);
  EXPECT_EQ(b.GetVector(1), MakeVector(1, 0, 0));

  RotateZArray(a, a, 90);
  EXPECT_NEAR(a.GetVector(1).x, 0, 1e-6f);
  EXPECT_NEAR(a.GetVector(1).y, 2, 1e-6f);
  RotateZArray(a, out, 180);
  EXPECT_NEAR(out.GetVector(1).y, -2, 1e-6f);
  EXPECT_NEAR(out.GetVector(1).x, 0, 1e-5f);

  TGLMatrix m = IdentityMatrix();
  m[12] = 1;
  m[0] = 3;
  TransformArray(out, out, m);
  EXPECT_NEAR(out.GetVector(1).x, 1, 1e-5f);
  EXPECT_NEAR(out.GetVector(1).y, -2, 1e-6f);
}
