#include "gl/Types.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/Error.h"

using namespace velmora;

namespace {

void ExpectVectorNear(const TGLVector& v, float x, float y, float z, float eps = 1e-5f) {
  EXPECT_NEAR(v.x, x, eps);
  EXPECT_NEAR(v.y, y, eps);
  EXPECT_NEAR(v.z, z, eps);
}

}  // namespace

TEST(GLTypes, ColorToBytesRoundsHalfToEvenAndRejectsOutOfRange) {
  // 0.5 x 255 = 127.5 lies between two bytes: the even one wins.
  EXPECT_EQ(ColorToBytes(MakeColor(0.5f, 0, 1, 1)), MakeColorBytes(128, 0, 255, 255));
  EXPECT_EQ(ColorToBytes(MakeColor(0.1f, 0.2f, 0.3f, 0.4f)), MakeColorBytes(26, 51, 77, 102));
  EXPECT_THROW(ColorToBytes(MakeColor(1.01f, 0, 0, 0)), Error);
  EXPECT_THROW(ColorToBytes(MakeColor(0, -0.01f, 0, 0)), Error);
  EXPECT_THROW(ColorToBytes(MakeColor(0, 0, NAN, 0)), Error);
  try {
    ColorToBytes(MakeColor(2, 0, 0, 0));
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()).rfind("TGLColor.ColorToBytes error: ", 0), 0u) << e.what();
  }
}

TEST(GLTypes, SystemColourWordsKeepRedInTheLowByte) {
  TGLColorBytes b = RGBToBytes(0xAA336699u);
  EXPECT_EQ(b, MakeColorBytes(0x99, 0x66, 0x33, 255));
  EXPECT_EQ(BytesToRGB(MakeColorBytes(1, 2, 3, 4)), 0x030201u);
  EXPECT_EQ(BytesToWord(MakeColorBytes(1, 2, 3, 4)), 0x04030201u);
  EXPECT_EQ(WordToBytes(0x04030201u), MakeColorBytes(1, 2, 3, 4));
  TGLColor c = RGBToColor(0x0000FF33u);
  EXPECT_FLOAT_EQ(c.r, 0x33 / 255.0f);
  EXPECT_FLOAT_EQ(c.g, 1.0f);
  EXPECT_FLOAT_EQ(c.b, 0.0f);
  EXPECT_FLOAT_EQ(c.a, 1.0f);
  TGLColor back = BytesToColor(MakeColorBytes(255, 0, 51, 102));
  EXPECT_FLOAT_EQ(back.b, 0.2f);
  EXPECT_FLOAT_EQ(back.a, 0.4f);
}

TEST(GLTypes, TextFormsRoundTripAndFillMissingParts) {
  EXPECT_EQ(ColorToStr(MakeColor(1, 0.5f, 0.25f, 0.7f)), "1,0.5,0.25,0.7");
  EXPECT_EQ(VectorToStr(MakeVector(0, -2900, 1.0f / 3)), "0,-2900,0.3333333");
  EXPECT_EQ(BytesToStr(MakeColorBytes(0, 106, 156, 255)), "0,106,156,255");

  EXPECT_EQ(StrToColor("0.5,0.25"), MakeColor(0.5f, 0.25f, 1, 1));
  EXPECT_EQ(StrToColor(""), MakeColor(1, 1, 1, 1));
  EXPECT_EQ(StrToColor("0.1 0.2, 0.3,0.4,0.9"), MakeColor(0.1f, 0.2f, 0.3f, 0.4f));
  EXPECT_EQ(StrToVector("0,0,-2900"), MakeVector(0, 0, -2900));
  EXPECT_EQ(StrToVector("7"), MakeVector(7, 0, 0));
  EXPECT_EQ(StrToBytes("0,106,156,255"), MakeColorBytes(0, 106, 156, 255));
  EXPECT_EQ(StrToBytes("10,20"), MakeColorBytes(10, 20, 255, 255));

  TGLColor c = MakeColor(0.123456f, 1e-6f, 123456.7f, 0);
  TGLColor r = StrToColor(ColorToStr(c));
  EXPECT_NEAR(r.r, c.r, 1e-6f);
  EXPECT_NEAR(r.g, c.g, 1e-12f);
  EXPECT_NEAR(r.b, c.b, 0.1f);
}

TEST(GLTypes, BadTextRaisesNamedErrors) {
  EXPECT_THROW(StrToBytes("0,256"), Error);
  EXPECT_THROW(StrToBytes("-1"), Error);
  EXPECT_THROW(StrToBytes("1.5"), Error);
  EXPECT_THROW(StrToColor("0.5,abc"), Error);
  EXPECT_THROW(StrToVector("1e999"), Error);
  try {
    StrToBytes("300");
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()).rfind("TGLColorBytes.StrToBytes error: ", 0), 0u) << e.what();
  }
}

TEST(GLTypes, VectorHelpers) {
  ExpectVectorNear(Normalize(MakeVector(3, 0, 4)), 0.6f, 0, 0.8f);
  EXPECT_EQ(Normalize(MakeVector(0, 0, 0)), MakeVector(0, 0, 0));
  ExpectVectorNear(CrossProduct(MakeVector(1, 0, 0), MakeVector(0, 1, 0)), 0, 0, 1);
  TGLOrientation o = MakeOrientation(MakeVector(0, 5, 0), MakeVector(0, 0, -2));
  ExpectVectorNear(o.up, 0, 1, 0);
  ExpectVectorNear(o.direction, 0, 0, -1);
}

TEST(GLTypes, MatrixMultiplyFollowsTheFlatFormula) {
  TGLMatrix a{}, b{};
  for (int i = 0; i < 16; ++i) {
    a[i] = float(i + 1);
    b[i] = float(16 - i);
  }
  TGLMatrix m = MatrixMultiply(a, b);
  // out[4i + j] = sum a[4i + k] b[4k + j]; two elements worked by hand.
  EXPECT_FLOAT_EQ(m[0], 1 * 16 + 2 * 12 + 3 * 8 + 4 * 4);
  EXPECT_FLOAT_EQ(m[4 * 2 + 3], 9 * 13 + 10 * 9 + 11 * 5 + 12 * 1);
  EXPECT_EQ(MatrixMultiply(a, IdentityMatrix()), a);
  EXPECT_EQ(MatrixMultiply(IdentityMatrix(), a), a);

  // As transforms: a rotation followed by a translation.
  TGLMatrix translate = IdentityMatrix();
  translate[12] = 10;
  TGLMatrix both = MatrixMultiply(RotationX(90), translate);
  ExpectVectorNear(TransformPoint(both, MakeVector(0, 1, 0)), 10, 0, 1);
}

TEST(GLTypes, RotationXTurnsYTowardsZ) {
  TGLMatrix r = RotationX(30);
  EXPECT_FLOAT_EQ(r[5], std::cos(30 * float(M_PI / 180)));
  EXPECT_FLOAT_EQ(r[6], std::sin(30 * float(M_PI / 180)));
  EXPECT_FLOAT_EQ(r[9], -r[6]);
  EXPECT_FLOAT_EQ(r[10], r[5]);
  EXPECT_FLOAT_EQ(r[0], 1);
  EXPECT_FLOAT_EQ(r[15], 1);
  ExpectVectorNear(TransformPoint(RotationX(90), MakeVector(0, 1, 0)), 0, 0, 1);
}

TEST(GLTypes, LookAtMatrixPutsWhatLiesAheadOnTheNegativeZAxis) {
  EXPECT_EQ(LookAtMatrix(MakeVector(0, 0, 0), MakeVector(0, 0, -1), MakeVector(0, 1, 0)), IdentityMatrix());

  // The default camera: a plain move.
  TGLMatrix m = LookAtMatrix(MakeVector(0, 0, 200), MakeVector(0, 0, 199), MakeVector(0, 1, 0));
  ExpectVectorNear(TransformPoint(m, MakeVector(1, 2, 0)), 1, 2, -200);

  // A camera turned to +x and placed away from the origin.
  m = LookAtMatrix(MakeVector(10, 0, 0), MakeVector(11, 0, 0), MakeVector(0, 1, 0));
  ExpectVectorNear(TransformPoint(m, MakeVector(15, 0, 0)), 0, 0, -5);
  ExpectVectorNear(TransformPoint(m, MakeVector(10, 3, 0)), 0, 3, 0);
  ExpectVectorNear(TransformPoint(m, MakeVector(10, 0, 2)), 2, 0, 0);  // +z is to the right

  // Looking straight down with up along -z.
  m = LookAtMatrix(MakeVector(0, 50, 0), MakeVector(0, 0, 0), MakeVector(0, 0, -1));
  ExpectVectorNear(TransformPoint(m, MakeVector(0, 0, 0)), 0, 0, -50, 1e-4f);
  ExpectVectorNear(TransformPoint(m, MakeVector(0, 50, -1)), 0, 1, 0);

  // Eye on the centre and up parallel to the view: no NaNs come out.
  m = LookAtMatrix(MakeVector(1, 1, 1), MakeVector(1, 1, 1), MakeVector(0, 1, 0));
  for (float v : m) EXPECT_FALSE(std::isnan(v));
}

TEST(GLTypes, EaseInOutAndBoxes) {
  EXPECT_FLOAT_EQ(EaseInOut(0), 0);
  EXPECT_FLOAT_EQ(EaseInOut(0.25f), 0.125f);
  EXPECT_FLOAT_EQ(EaseInOut(0.5f), 0.5f);
  EXPECT_FLOAT_EQ(EaseInOut(0.75f), 0.875f);
  EXPECT_FLOAT_EQ(EaseInOut(1), 1);

  TGLBox box = BoxFromPoint(MakeVector(1, 2, 3));
  EXPECT_EQ(box.min, MakeVector(1, 2, 3));
  EXPECT_EQ(box.max, MakeVector(1, 2, 3));
  BoxInclude(box, MakeVector(-1, 5, 3));
  BoxInclude(box, MakeVector(0, 0, 9));
  EXPECT_EQ(box.min, MakeVector(-1, 0, 3));
  EXPECT_EQ(box.max, MakeVector(1, 5, 9));
  TGLBox made = MakeBox(MakeVector(0, 0, 0), MakeVector(1, 1, 1));
  EXPECT_EQ(made.max, MakeVector(1, 1, 1));
}
