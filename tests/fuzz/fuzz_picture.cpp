// Feeds arbitrary bytes to both picture decoders, bitmap and JPEG, then reads
// each image back the way the texture loader does: every row, palette
// colours, and the fitting to power-of-two sizes. The seeds of both formats
// share one corpus, so either decoder also meets the other's files.
#include <cstddef>
#include <cstdint>
#include <string>

#include "assets/Bitmap.h"
#include "core/Error.h"

namespace {

using Decoder = velmora::TBitmap (*)(const std::uint8_t*, std::size_t, const std::string&);

unsigned ReadBack(Decoder decode, const std::uint8_t* data, std::size_t size, const char* name) {
  velmora::TBitmap bitmap;
  try {
    bitmap = decode(data, size, name);
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
  return sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  volatile unsigned sink = ReadBack(&velmora::TBitmap::DecodeBmp, data, size, "fuzz.bmp") +
                           ReadBack(&velmora::TBitmap::DecodeJpeg, data, size, "fuzz.jpg");
  (void)sink;
  return 0;
}
