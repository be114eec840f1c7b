#include "gl/Types.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>
#include <vector>

#include "core/Error.h"
#include "core/Strings.h"

namespace velmora {

TGLVector MakeVector(float x, float y, float z) { return {x, y, z}; }
TGLColor MakeColor(float r, float g, float b, float a) { return {r, g, b, a}; }
TGLTexCoord MakeTexCoord(float s, float t) { return {s, t}; }
TGLColorBytes MakeColorBytes(uint8_t r, uint8_t g, uint8_t b, uint8_t a) { return {r, g, b, a}; }

TGLOrientation MakeOrientation(const TGLVector& up, const TGLVector& direction) {
  return {Normalize(up), Normalize(direction)};
}

float DotProduct(const TGLVector& a, const TGLVector& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

TGLVector CrossProduct(const TGLVector& a, const TGLVector& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float VectorLength(const TGLVector& v) { return std::sqrt(DotProduct(v, v)); }

TGLVector Normalize(const TGLVector& v) {
  float len = VectorLength(v);
  if (len == 0) return v;
  return {v.x / len, v.y / len, v.z / len};
}

// --- colours ---------------------------------------------------------------

static uint8_t ComponentToByte(float c) {
  // nearbyint rounds half to even in the default rounding mode.
  double v = std::nearbyint(static_cast<double>(c) * 255.0);
  if (!(v >= 0.0 && v <= 255.0)) RaiseError("TGLColor", "ColorToBytes", "Range check error");
  return static_cast<uint8_t>(v);
}

TGLColorBytes ColorToBytes(const TGLColor& c) {
  return {ComponentToByte(c.r), ComponentToByte(c.g), ComponentToByte(c.b), ComponentToByte(c.a)};
}

TGLColor BytesToColor(const TGLColorBytes& b) { return {b.r / 255.0f, b.g / 255.0f, b.b / 255.0f, b.a / 255.0f}; }

TGLColor RGBToColor(uint32_t rgb) {
  TGLColorBytes b = RGBToBytes(rgb);
  return {b.r / 255.0f, b.g / 255.0f, b.b / 255.0f, 1.0f};
}

TGLColorBytes RGBToBytes(uint32_t rgb) {
  return {uint8_t(rgb & 0xFF), uint8_t((rgb >> 8) & 0xFF), uint8_t((rgb >> 16) & 0xFF), 255};
}

uint32_t BytesToRGB(const TGLColorBytes& b) { return BytesToWord(b) & 0xFFFFFFu; }

uint32_t BytesToWord(const TGLColorBytes& b) {
  return uint32_t(b.r) | (uint32_t(b.g) << 8) | (uint32_t(b.b) << 16) | (uint32_t(b.a) << 24);
}

TGLColorBytes WordToBytes(uint32_t word) {
  return {uint8_t(word & 0xFF), uint8_t((word >> 8) & 0xFF), uint8_t((word >> 16) & 0xFF), uint8_t(word >> 24)};
}

// --- text forms ------------------------------------------------------------

static std::string FloatText(float v) {
  // to_chars ignores the locale, so "." stays the decimal separator.
  char buf[32];
  auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 7);
  if (ec != std::errc()) return "0";
  return std::string(buf, ptr);
}

static std::string JoinFloats(const float* values, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) {
    if (i) out += ',';
    out += FloatText(values[i]);
  }
  return out;
}

std::string ColorToStr(const TGLColor& c) {
  const float v[4] = {c.r, c.g, c.b, c.a};
  return JoinFloats(v, 4);
}

std::string VectorToStr(const TGLVector& v) {
  const float f[3] = {v.x, v.y, v.z};
  return JoinFloats(f, 3);
}

std::string BytesToStr(const TGLColorBytes& b) { return Format("%u,%u,%u,%u", b.r, b.g, b.b, b.a); }

// The parts of a text split at commas and blanks, at most maxParts of them.
static std::vector<std::string_view> SplitParts(std::string_view text, size_t maxParts) {
  std::vector<std::string_view> parts;
  size_t i = 0;
  while (i < text.size() && parts.size() < maxParts) {
    auto isSeparator = [](char c) { return c == ',' || c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (i < text.size() && isSeparator(text[i])) ++i;
    size_t start = i;
    while (i < text.size() && !isSeparator(text[i])) ++i;
    if (i > start) parts.push_back(text.substr(start, i - start));
  }
  return parts;
}

// "'TEXT' " followed by `what`, appended piece by piece: GCC 12 takes a
// literal followed by "+ a new string", once inlined, for an overlapping
// copy (-Wrestrict).
static std::string Quoted(std::string_view text, std::string_view what) {
  std::string message = "'";
  message += text;
  message += "' ";
  message += what;
  return message;
}

static void ParseFloats(std::string_view text, float* values, size_t n, const char* cls, const char* op) {
  auto parts = SplitParts(text, n);
  for (size_t i = 0; i < parts.size(); ++i) {
    auto v = ParseFloat(parts[i]);
    if (!v) RaiseError(cls, op, Quoted(parts[i], "is not a valid floating point value"));
    values[i] = static_cast<float>(*v);
  }
}

TGLColor StrToColor(std::string_view text) {
  float v[4] = {1, 1, 1, 1};
  ParseFloats(text, v, 4, "TGLColor", "StrToColor");
  return {v[0], v[1], v[2], v[3]};
}

TGLVector StrToVector(std::string_view text) {
  float v[3] = {0, 0, 0};
  ParseFloats(text, v, 3, "TGLVector", "StrToVector");
  return {v[0], v[1], v[2]};
}

TGLColorBytes StrToBytes(std::string_view text) {
  uint8_t v[4] = {255, 255, 255, 255};
  auto parts = SplitParts(text, 4);
  for (size_t i = 0; i < parts.size(); ++i) {
    auto n = ParseInt(parts[i]);
    if (!n) RaiseError("TGLColorBytes", "StrToBytes", Quoted(parts[i], "is not a valid integer value"));
    if (*n < 0 || *n > 255) {
      std::string message = "Range check error: ";
      message += parts[i];
      RaiseError("TGLColorBytes", "StrToBytes", message);
    }
    v[i] = static_cast<uint8_t>(*n);
  }
  return {v[0], v[1], v[2], v[3]};
}

// --- matrices --------------------------------------------------------------

TGLMatrix IdentityMatrix() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

TGLMatrix MatrixMultiply(const TGLMatrix& a, const TGLMatrix& b) {
  TGLMatrix out{};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      float sum = 0;
      for (int k = 0; k < 4; ++k) sum += a[4 * i + k] * b[4 * k + j];
      out[4 * i + j] = sum;
    }
  return out;
}

TGLMatrix RotationX(float degrees) {
  float rad = degrees * static_cast<float>(std::numbers::pi / 180.0);
  float c = std::cos(rad), s = std::sin(rad);
  TGLMatrix m = IdentityMatrix();
  m[5] = c;
  m[6] = s;
  m[9] = -s;
  m[10] = c;
  return m;
}

TGLVector TransformPoint(const TGLMatrix& m, const TGLVector& p) {
  return {m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12], m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13],
          m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]};
}

namespace {
struct DVec {
  double x, y, z;
};
DVec Cross(const DVec& a, const DVec& b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double Dot(const DVec& a, const DVec& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
DVec NormalizedIfNonZero(const DVec& v) {
  double len = std::sqrt(Dot(v, v));
  if (len > 0) return {v.x / len, v.y / len, v.z / len};
  return v;
}
}  // namespace

TGLMatrix LookAtMatrix(const TGLVector& eye, const TGLVector& centre, const TGLVector& up) {
  DVec e{eye.x, eye.y, eye.z};
  DVec f = NormalizedIfNonZero({e.x - centre.x, e.y - centre.y, e.z - centre.z});  // camera's back axis
  DVec s = NormalizedIfNonZero(Cross({up.x, up.y, up.z}, f));                     // right
  DVec u = NormalizedIfNonZero(Cross(f, s));                                      // up
  // The axes are the rows of the view rotation and the eye is moved to the
  // origin in camera axes, so that a camera turned away from -z still sees
  // what lies ahead of it.
  TGLMatrix m{};
  m[0] = float(s.x), m[4] = float(s.y), m[8] = float(s.z);
  m[1] = float(u.x), m[5] = float(u.y), m[9] = float(u.z);
  m[2] = float(f.x), m[6] = float(f.y), m[10] = float(f.z);
  m[12] = float(-Dot(s, e));
  m[13] = float(-Dot(u, e));
  m[14] = float(-Dot(f, e));
  m[15] = 1;
  return m;
}

// --- misc ------------------------------------------------------------------

float EaseInOut(float t) {
  if (t < 0.5f) return 2 * t * t;
  float r = 1 - t;
  return 1 - 2 * r * r;
}

TGLBox MakeBox(const TGLVector& min, const TGLVector& max) { return {min, max}; }

TGLBox BoxFromPoint(const TGLVector& p) { return {p, p}; }

void BoxInclude(TGLBox& box, const TGLVector& p) {
  box.min.x = std::min(box.min.x, p.x);
  box.min.y = std::min(box.min.y, p.y);
  box.min.z = std::min(box.min.z, p.z);
  box.max.x = std::max(box.max.x, p.x);
  box.max.y = std::max(box.max.y, p.y);
  box.max.z = std::max(box.max.z, p.z);
}

}  // namespace velmora
