// Turning decoded images into the texels of a scene texture.
//
// The target is width x height texels, rows bottom-up, 3 bytes b, g, r a
// texel for tfTexture and 4 bytes b, g, r, a for tfAlpha and tfSprite.
// Texel (x, y) samples image column x * step of image row
// (height - 1 - y) * step (image rows counted from the top), so the image
// must be at least width * step by height * step pixels.
//
//   tfTexture, 24-bit image: step 1 copies the pixel; step 2 averages the
//     2 x 2 block (sum of four >> 2); step 4 averages eight pixels of the
//     4 x 4 block (sum >> 3): with block rows r0..r3 and columns c0..c3,
//     (r1,c0) (r0,c0) (r2,c1) (r3,c1) (r0,c2) (r1,c2) (r2,c3) (r3,c3) - two
//     pixels of each column, spread over the rows, at half the cost of all
//     sixteen. Each channel separately.
//   tfTexture, 8-bit image: the palette colour of the sampled pixel.
//   tfSprite: the sampled colour; alpha 0 where r, g, b equal the key
//     colour, else 255.
//   tfAlpha, both images 24-bit: colour as for tfTexture; alpha the mean of
//     r, g, b of the alpha image over the same pixels (the sum of the three
//     channels over 1, 4 or 8 pixels divided by 3, 12 or 24).
//   tfAlpha with an 8-bit colour or alpha image: both sampled at the pixel;
//     alpha (r + g + b) / 3 of the alpha pixel.
// Images of any other kind leave the texels as they are.
#pragma once

#include <cstdint>

#include "assets/Bitmap.h"
#include "scene/SceneTexture.h"

namespace velmora {

struct TTexelTarget {
  uint8_t* texels = nullptr;
  int width = 0;
  int height = 0;
};

// alpha is read for tfAlpha only (and must then have colour's size).
void FillTexels(TTextureFormat format, int step, TBitmapColor key, const TBitmap& colour, const TBitmap& alpha,
                const TTexelTarget& target);

}  // namespace velmora
