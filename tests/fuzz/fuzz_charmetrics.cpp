// Feeds arbitrary bytes to the reader of character-metrics files, with the
// cell size taken from the first byte so that every bound is reached, and
// reads every record of what it returns.
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/Error.h"
#include "scene/CharMetrics.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::int32_t cellSize = data[0];
  try {
    const velmora::TCharMetrics metrics =
        velmora::ParseCharMetrics(std::span<const std::uint8_t>(data + 1, size - 1), "fuzz.txt", cellSize);
    std::int64_t sum = 0;
    for (const velmora::TCharMetric& metric : metrics) {
      if (metric.Width < 0 || metric.Width > cellSize || metric.Height < 0 || metric.Height > cellSize) __builtin_trap();
      sum += metric.Enabled + metric.Width + metric.Height;
    }
    volatile std::int64_t sink = sum;
    (void)sink;
  } catch (const velmora::Error&) {
  }
  return 0;
}
