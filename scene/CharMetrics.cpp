#include "scene/CharMetrics.h"

#include <charconv>
#include <string_view>

#include "core/Error.h"
#include "core/Strings.h"

namespace velmora {

namespace {

constexpr int kCodes = 256;
// What a bad line is quoted with at most.
constexpr size_t kQuoteLength = 40;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The next blank-separated word of text from pos on (empty at the end).
std::string_view NextWord(std::string_view text, size_t& pos) {
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  const size_t start = pos;
  while (pos < text.size() && !IsBlank(text[pos])) ++pos;
  return text.substr(start, pos - start);
}

bool ToInt(std::string_view word, int32_t& value) {
  if (word.empty()) return false;
  if (word.front() == '+') word.remove_prefix(1);
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  return error == std::errc() && end == word.data() + word.size();
}

// Exactly three integers.
bool ParseLine(std::string_view line, int32_t (&values)[3]) {
  size_t pos = 0;
  for (int32_t& value : values)
    if (!ToInt(NextWord(line, pos), value)) return false;
  return NextWord(line, pos).empty();
}

std::string Quote(std::string_view line) {
  std::string text(line.substr(0, kQuoteLength));
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 32) c = '?';
  if (line.size() > kQuoteLength) text += "...";
  return text;
}

}  // namespace

TCharMetrics ParseCharMetrics(std::span<const uint8_t> bytes, const std::string& fileName, int32_t cellSize) {
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  TCharMetrics metrics;
  size_t pos = 0;
  int lineNumber = 0;
  int code = -1;  // the caption line first
  while (code < kCodes && pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos = end + 1;
    ++lineNumber;
    if (code++ < 0) continue;
    int32_t values[3];
    if (!ParseLine(line, values))
      RaiseError("TSceneFont", "ReadCharMetrics",
                 Format("%s, line %d: '%s' is not three integers", fileName.c_str(), lineNumber, Quote(line).c_str()));
    if (values[1] < 0 || values[1] > cellSize || values[2] < 0 || values[2] > cellSize)
      RaiseError("TSceneFont", "ReadCharMetrics",
                 Format("%s, line %d: width %d and height %d must lie in 0..%d", fileName.c_str(), lineNumber,
                        values[1], values[2], cellSize));
    TCharMetric& metric = metrics[static_cast<size_t>(code - 1)];
    metric.Enabled = values[0] != 0;
    metric.Width = metric.Enabled ? values[1] : 0;
    metric.Height = metric.Enabled ? values[2] : 0;
  }
  if (code < kCodes)
    RaiseError("TSceneFont", "ReadCharMetrics",
               Format("%s: %d lines of character metrics, 256 needed", fileName.c_str(), code < 0 ? 0 : code));
  return metrics;
}

}  // namespace velmora
