// Feeds arbitrary bytes to the JPEG decoder, then reads the image back the way
// the texture loader does: every row, palette colours, and the fitting to
// power-of-two sizes.
#include <cstddef>
#include <cstdint>

#include "assets/Bitmap.h"
#include "core/Error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  velmora::TBitmap bitmap;
  try {
    bitmap = velmora::TBitmap::DecodeJpeg(data, size, "fuzz.jpg");
  } catch (const velmora::Error&) {
    return 0;
  }
  unsigned sum = 0;
  if (bitmap.BitsPerPixel() != 0) {
    for (int y = 0; y < bitmap.Height(); ++y) {
      const std::uint8_t* row = bitmap.ScanLine(y);
      sum += row[0] + row[bitmap.RowSize() - 1];
    }
    const velmora::TBitmapColor corner = bitmap.Color(bitmap.Width() - 1, bitmap.Height() - 1);
    sum += corner.R + corner.G + corner.B;
  }
  // Fitting costs time in proportion to the pixels; larger images only
  // slow the search down.
  if (std::int64_t(bitmap.Width()) * bitmap.Height() <= (1 << 20)) {
    const velmora::TBitmap fitted = bitmap.FitPowerOfTwo();
    if (fitted.BitsPerPixel() != 0) sum += fitted.ScanLine(fitted.Height() - 1)[0];
  }
  volatile unsigned sink = sum;
  (void)sink;
  return 0;
}
