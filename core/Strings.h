// Small text helpers shared by every layer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

std::string LowerCase(std::string_view s);   // ASCII only, like the file formats
std::string UpperCase(std::string_view s);
bool SameText(std::string_view a, std::string_view b);  // ASCII case-insensitive
int CompareText(std::string_view a, std::string_view b);  // <0, 0, >0, ASCII case-insensitive
std::string Trim(std::string_view s);

// Whole-text decimal conversions; nullopt when the text is not a number.
std::optional<int64_t> ParseInt(std::string_view s);
std::optional<double> ParseFloat(std::string_view s);  // "." is always the decimal separator

// printf-style formatting into a std::string.
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

}  // namespace velmora
