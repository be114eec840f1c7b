#include "scene/SceneValues.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "core/Error.h"
#include "core/Strings.h"
#include "gl/OpenGL.h"

namespace velmora {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view TrimView(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

std::string JoinFloats(const float* values, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    if (i) text += ',';
    text += SceneFloatToStr(values[i]);
  }
  return text;
}

// Fills up to count floats from the parts of text; the others keep their
// value.
void ParseFloats(std::string_view text, float* values, size_t count) {
  const std::vector<std::string> parts = SplitNameList(std::string(text));
  for (size_t i = 0; i < parts.size() && i < count; ++i) {
    std::optional<float> value = SceneStrToFloat(parts[i]);
    if (!value) RaiseMessage("'" + parts[i] + "' is not a valid floating point value");
    values[i] = *value;
  }
}

}  // namespace

std::optional<int32_t> SceneStrToInt(std::string_view text) {
  std::string_view s = TrimView(text);
  bool negative = false;
  if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  int base = 10;
  if (!s.empty() && s.front() == '$') {
    base = 16;
    s.remove_prefix(1);
  } else if (s.size() > 1 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  // from_chars takes no sign of its own here, and nothing but digits.
  if (s.empty() || s.front() == '+' || s.front() == '-') return std::nullopt;
  uint64_t magnitude = 0;
  auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), magnitude, base);
  if (error != std::errc() || end != s.data() + s.size()) return std::nullopt;
  if (base == 16) {
    // Eight hexadecimal digits are the 32 bits of the value.
    if (magnitude > 0xFFFFFFFFull) return std::nullopt;
    const uint32_t bits = static_cast<uint32_t>(negative ? 0u - static_cast<uint32_t>(magnitude) : magnitude);
    return static_cast<int32_t>(bits);
  }
  if (magnitude > (negative ? 2147483648ull : 2147483647ull)) return std::nullopt;
  return negative ? static_cast<int32_t>(-static_cast<int64_t>(magnitude)) : static_cast<int32_t>(magnitude);
}

std::optional<float> SceneStrToFloat(std::string_view text) {
  std::string_view s = TrimView(text);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  // Digits, point and exponent only: no "inf", "nan" or hexadecimal forms.
  const size_t first = (!s.empty() && s.front() == '-') ? 1 : 0;
  if (s.size() <= first || !(IsDigit(s[first]) || s[first] == '.')) return std::nullopt;
  float value = 0;
  auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value, std::chars_format::general);
  if (error != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return value;
}

std::string SceneFloatToStr(float value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (value == 0) return "0";
  // Seven significant digits of the exact value: "[-]d.dddddde[+-]x".
  char buffer[48];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value), std::chars_format::scientific, 6);
  std::string_view text(buffer, static_cast<size_t>(result.ptr - buffer));
  const bool negative = text.front() == '-';
  if (negative) text.remove_prefix(1);
  const size_t e = text.find('e');
  std::string digits;
  for (char c : text.substr(0, e))
    if (IsDigit(c)) digits += c;
  const int exponent = std::atoi(std::string(text.substr(e + 1)).c_str());
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string out = negative ? "-" : "";
  if (exponent >= -5 && exponent < 7) {
    if (exponent >= 0) {
      const size_t integerDigits = static_cast<size_t>(exponent) + 1;
      if (digits.size() <= integerDigits) {
        out += digits;
        out.append(integerDigits - digits.size(), '0');
      } else {
        out += digits.substr(0, integerDigits);
        out += '.';
        out += digits.substr(integerDigits);
      }
    } else {
      out += "0.";
      out.append(static_cast<size_t>(-exponent - 1), '0');
      out += digits;
    }
    return out;
  }
  out += digits.substr(0, 1);
  if (digits.size() > 1) {
    // Appended in two steps: GCC 12 takes "." + a new string for an
    // overlapping copy (-Wrestrict).
    out += '.';
    out.append(digits, 1);
  }
  out += 'E';
  if (exponent < 0) out += '-';
  const int magnitude = std::abs(exponent);
  if (magnitude < 10) out += '0';
  out += std::to_string(magnitude);
  return out;
}

TGLColor SceneStrToColor(std::string_view text) {
  float v[4] = {1, 1, 1, 1};
  ParseFloats(text, v, 4);
  return {v[0], v[1], v[2], v[3]};
}

TGLVector SceneStrToVector(std::string_view text) {
  float v[3] = {0, 0, 0};
  ParseFloats(text, v, 3);
  return {v[0], v[1], v[2]};
}

TGLColorBytes SceneStrToColorBytes(std::string_view text) {
  uint8_t v[4] = {255, 255, 255, 255};
  const std::vector<std::string> parts = SplitNameList(std::string(text));
  for (size_t i = 0; i < parts.size() && i < 4; ++i) {
    std::optional<int32_t> value = SceneStrToInt(parts[i]);
    if (!value) RaiseMessage("'" + parts[i] + "' is not a valid integer value");
    if (*value < 0 || *value > 255) RaiseMessage(parts[i] + " is out of range 0..255");
    v[i] = static_cast<uint8_t>(*value);
  }
  return {v[0], v[1], v[2], v[3]};
}

std::string SceneColorToStr(const TGLColor& color) {
  const float v[4] = {color.r, color.g, color.b, color.a};
  return JoinFloats(v, 4);
}

std::string SceneColorBytesToStr(const TGLColorBytes& color) {
  return std::to_string(color.r) + "," + std::to_string(color.g) + "," + std::to_string(color.b) + "," +
         std::to_string(color.a);
}

std::string SceneVectorToStr(const TGLVector& vector) {
  const float v[3] = {vector.x, vector.y, vector.z};
  return JoinFloats(v, 3);
}

}  // namespace velmora
