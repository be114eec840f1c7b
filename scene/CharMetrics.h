// The character-metrics file of a bitmap font: which byte codes a font
// taken from a scene texture has, and how large each glyph is in its cell.
//
// Format (text, lines ending in LF or CR LF):
//
//   line 1          ignored (a caption)
//   lines 2 .. 257  one line per byte code 0 .. 255: three decimal integers
//                   separated by blanks or tabs: enabled flag (0 = not in
//                   the character set, anything else = in it), glyph width
//                   and glyph height in texels
//   further lines   ignored
//
// Widths and heights lie in 0 .. the font's cell size. A code that is not
// enabled gets width and height 0 whatever its line says.
//
// Lifecycle: a plain function over the file's bytes; TSceneFont reads the
// file (from disk or the archive) when it builds and hands the bytes here.
//
// Errors (TSceneFont.ReadCharMetrics, naming the file and the line):
//   "TSceneFont.ReadCharMetrics error: <file>: N lines of character metrics, 256 needed"
//   "TSceneFont.ReadCharMetrics error: <file>, line L: '<text>' is not three integers"
//   "TSceneFont.ReadCharMetrics error: <file>, line L: width W and height H must lie in 0..<cell>"
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace velmora {

struct TCharMetric {
  bool Enabled = false;
  int32_t Width = 0;
  int32_t Height = 0;
};

using TCharMetrics = std::array<TCharMetric, 256>;

// The 256 records of the file held in bytes; fileName only names it in
// errors. cellSize bounds the sizes.
TCharMetrics ParseCharMetrics(std::span<const uint8_t> bytes, const std::string& fileName, int32_t cellSize);

}  // namespace velmora
