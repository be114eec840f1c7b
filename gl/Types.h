// Value types of the OpenGL layer and the vector, colour, matrix and text
// functions the whole program shares.
//
// The records have the exact layout OpenGL reads from client memory, so
// arrays of them are handed to vertex-array calls without copying.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

struct TGLVector {
  float x = 0, y = 0, z = 0;
};

// Components in 0..1.
struct TGLColor {
  float r = 0, g = 0, b = 0, a = 0;
};

// One 32-bit word as OpenGL reads GL_UNSIGNED_BYTE colours: r at the lowest
// address, which is the lowest byte of the word on the little-endian
// targets; the word conversions below use that order explicitly.
struct TGLColorBytes {
  uint8_t r = 0, g = 0, b = 0, a = 0;
};

struct TGLTexCoord {
  float s = 0, t = 0;
};

// OpenGL order: element 4c + r is column c, row r.
using TGLMatrix = std::array<float, 16>;

struct TGLBox {
  TGLVector min;
  TGLVector max;
};

// Camera or object axes.
struct TGLOrientation {
  TGLVector up;
  TGLVector direction;
};

static_assert(sizeof(TGLVector) == 12 && sizeof(TGLColor) == 16 && sizeof(TGLColorBytes) == 4 &&
              sizeof(TGLTexCoord) == 8 && sizeof(TGLMatrix) == 64 && sizeof(TGLBox) == 24 &&
              sizeof(TGLOrientation) == 24, "OpenGL reads these records as packed floats and bytes");

TGLVector MakeVector(float x, float y, float z);
TGLColor MakeColor(float r, float g, float b, float a);
TGLTexCoord MakeTexCoord(float s, float t);
TGLColorBytes MakeColorBytes(uint8_t r, uint8_t g, uint8_t b, uint8_t a);
// Both vectors normalized.
TGLOrientation MakeOrientation(const TGLVector& up, const TGLVector& direction);

// --- vectors ---------------------------------------------------------------

inline TGLVector operator+(const TGLVector& a, const TGLVector& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline TGLVector operator-(const TGLVector& a, const TGLVector& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline TGLVector operator-(const TGLVector& a) { return {-a.x, -a.y, -a.z}; }
inline TGLVector operator*(const TGLVector& a, float f) { return {a.x * f, a.y * f, a.z * f}; }
inline bool operator==(const TGLVector& a, const TGLVector& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

float DotProduct(const TGLVector& a, const TGLVector& b);
TGLVector CrossProduct(const TGLVector& a, const TGLVector& b);
float VectorLength(const TGLVector& v);
// Divides by the length; a zero-length vector stays unchanged.
TGLVector Normalize(const TGLVector& v);

// --- colours ---------------------------------------------------------------

inline bool operator==(const TGLColor& a, const TGLColor& b) {
  return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}
inline bool operator==(const TGLColorBytes& a, const TGLColorBytes& b) {
  return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}

// Each component x 255, rounded to nearest with ties to even. A result
// outside 0..255 (NaN included) raises "TGLColor.ColorToBytes error: ...".
TGLColorBytes ColorToBytes(const TGLColor& c);
TGLColor BytesToColor(const TGLColorBytes& b);  // each byte / 255
// A system colour word holds red in the low byte, then green, then blue.
TGLColor RGBToColor(uint32_t rgb);       // alpha 1
TGLColorBytes RGBToBytes(uint32_t rgb);  // alpha 255
uint32_t BytesToRGB(const TGLColorBytes& b);  // the low 24 bits, alpha dropped
// The whole four bytes as one word, r in the lowest byte, a in the highest.
uint32_t BytesToWord(const TGLColorBytes& b);
TGLColorBytes WordToBytes(uint32_t word);

// --- text forms ("." is always the decimal separator) ------------------------

// Components as general floating-point text with 7 significant digits,
// joined with ",": "1,0.5,0.25,1".
std::string ColorToStr(const TGLColor& c);
std::string VectorToStr(const TGLVector& v);
std::string BytesToStr(const TGLColorBytes& b);  // "0,106,156,255"

// Split at "," and blanks; parts beyond the record's size are ignored.
// Missing parts keep 1 (colour), 0 (vector), 255 (bytes). A part that is not
// a number raises "TGLColor.StrToColor error: ..." (likewise "TGLVector.
// StrToVector", "TGLColorBytes.StrToBytes"); a byte part outside 0..255
// raises a range error.
TGLColor StrToColor(std::string_view text);
TGLVector StrToVector(std::string_view text);
TGLColorBytes StrToBytes(std::string_view text);

// --- matrices --------------------------------------------------------------

TGLMatrix IdentityMatrix();
// out[4i + j] = sum over k of a[4i + k] * b[4k + j]: in column terms the
// transform a followed by the transform b.
TGLMatrix MatrixMultiply(const TGLMatrix& a, const TGLMatrix& b);
// Rotation about the x axis by the given degrees.
TGLMatrix RotationX(float degrees);
// The point p transformed by m (w = 1, no perspective divide).
TGLVector TransformPoint(const TGLMatrix& m, const TGLVector& p);
// The view matrix of a camera at eye looking at centre; computed in double
// precision. At the origin looking along -z with y up it is the identity.
TGLMatrix LookAtMatrix(const TGLVector& eye, const TGLVector& centre, const TGLVector& up);

// --- misc ------------------------------------------------------------------

// 2t^2 below 0.5, else 1 - 2(1 - t)^2.
float EaseInOut(float t);

TGLBox MakeBox(const TGLVector& min, const TGLVector& max);
TGLBox BoxFromPoint(const TGLVector& p);  // both corners at p
// Lowers the minimum and raises the maximum per axis to take in p.
void BoxInclude(TGLBox& box, const TGLVector& p);

}  // namespace velmora
