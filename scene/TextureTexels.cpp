#include "scene/TextureTexels.h"

namespace velmora {

namespace {

// The pixels a texel averages, as (row, column) offsets in its block.
struct TOffset {
  int row, column;
};
constexpr TOffset kOne[] = {{0, 0}};
constexpr TOffset kFour[] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}};
constexpr TOffset kEight[] = {{1, 0}, {0, 0}, {2, 1}, {3, 1}, {0, 2}, {1, 2}, {2, 3}, {3, 3}};

struct TBlock {
  const TOffset* offsets;
  int count;
  int shift;  // the sum of count pixels >> shift is their mean
};

TBlock BlockFor(int step) {
  if (step == 4) return {kEight, 8, 3};
  if (step == 2) return {kFour, 4, 2};
  return {kOne, 1, 0};
}

// Sum of each channel over the block of a 24-bit image (rows from the top).
struct TSum {
  unsigned r = 0, g = 0, b = 0;
};

TSum BlockSum(const TBitmap& image, int top, int left, const TBlock& block) {
  TSum sum;
  for (int i = 0; i < block.count; ++i) {
    const uint8_t* p = image.ScanLine(top + block.offsets[i].row) + 3 * (left + block.offsets[i].column);
    sum.r += p[0];
    sum.g += p[1];
    sum.b += p[2];
  }
  return sum;
}

bool Supported(const TBitmap& image) { return image.BitsPerPixel() == 24 || image.BitsPerPixel() == 8; }

}  // namespace

void FillTexels(TTextureFormat format, int step, TBitmapColor key, const TBitmap& colour, const TBitmap& alpha,
                const TTexelTarget& target) {
  if (!Supported(colour) || (format == tfAlpha && !Supported(alpha))) return;
  const int components = format == tfTexture ? 3 : 4;
  const TBlock block = BlockFor(step);
  const bool averaged =
      format != tfSprite && colour.BitsPerPixel() == 24 && (format != tfAlpha || alpha.BitsPerPixel() == 24);
  for (int y = 0; y < target.height; ++y) {
    const int top = (target.height - 1 - y) * step;
    uint8_t* out = target.texels + static_cast<size_t>(y) * target.width * components;
    for (int x = 0; x < target.width; ++x, out += components) {
      const int left = x * step;
      if (averaged) {
        const TSum c = BlockSum(colour, top, left, block);
        out[0] = static_cast<uint8_t>(c.b >> block.shift);
        out[1] = static_cast<uint8_t>(c.g >> block.shift);
        out[2] = static_cast<uint8_t>(c.r >> block.shift);
        if (format == tfAlpha) {
          const TSum a = BlockSum(alpha, top, left, block);
          out[3] = static_cast<uint8_t>((a.r + a.g + a.b) / (3u * static_cast<unsigned>(block.count)));
        }
        continue;
      }
      const TBitmapColor c = colour.Color(left, top);
      out[0] = c.B;
      out[1] = c.G;
      out[2] = c.R;
      if (format == tfSprite) {
        out[3] = (c.R == key.R && c.G == key.G && c.B == key.B) ? 0 : 255;
      } else if (format == tfAlpha) {
        const TBitmapColor a = alpha.Color(left, top);
        out[3] = static_cast<uint8_t>((a.R + a.G + a.B) / 3);
      }
    }
  }
}

}  // namespace velmora
