// The image type, choosing a decoder by extension, and the power-of-two
// fitting. The decoders live in BitmapBmp.cpp and BitmapJpeg.cpp.
#include "assets/Bitmap.h"

#include <stb_image_resize.h>

#include "core/Error.h"
#include "core/Strings.h"

namespace velmora {

namespace {

bool IsPowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

// The extension of the file part of a path, with its dot ("" when none).
std::string Extension(const std::string& fileName) {
  std::size_t start = fileName.find_last_of("/\\:");
  start = start == std::string::npos ? 0 : start + 1;
  std::size_t dot = fileName.rfind('.');
  if (dot == std::string::npos || dot < start) return {};
  return fileName.substr(dot);
}

}  // namespace

TPictureFormat PictureFormatOf(const std::string& fileName) {
  const std::string extension = LowerCase(Extension(fileName));
  if (extension == ".bmp") return TPictureFormat::pfBmp;
  if (extension == ".jpg" || extension == ".jepg") return TPictureFormat::pfJpeg;
  return TPictureFormat::pfNone;
}

bool TBitmap::ValidSize(std::int64_t width, std::int64_t height) {
  return width >= 0 && height >= 0 && width <= MaxSide && height <= MaxSide && width * height <= MaxPixels;
}

TBitmap::TBitmap(int width, int height, int bitsPerPixel) {
  if (!ValidSize(width, height)) RaiseError("TBitmap", "Create", Format("Invalid image size %dx%d", width, height));
  if (bitsPerPixel != 24 && bitsPerPixel != 8 && bitsPerPixel != 0)
    RaiseError("TBitmap", "Create", Format("Bits per pixel must be 24, 8 or 0, not %d", bitsPerPixel));
  width_ = width;
  height_ = height;
  bitsPerPixel_ = bitsPerPixel;
  pixels_.assign(std::size_t(RowSize()) * std::size_t(height), 0);
}

std::uint8_t* TBitmap::ScanLine(int y) {
  if (y < 0 || y >= height_ || bitsPerPixel_ == 0)
    RaiseError("TBitmap", "ScanLine", Format("Row %d out of bounds", y));
  return pixels_.data() + std::size_t(y) * std::size_t(RowSize());
}

const std::uint8_t* TBitmap::ScanLine(int y) const { return const_cast<TBitmap*>(this)->ScanLine(y); }

TBitmapColor TBitmap::Color(int x, int y) const {
  if (bitsPerPixel_ == 0) RaiseError("TBitmap", "Color", "The image has no pixels");
  if (x < 0 || x >= width_ || y < 0 || y >= height_)
    RaiseError("TBitmap", "Color", Format("Pixel (%d, %d) out of bounds", x, y));
  const std::uint8_t* row = pixels_.data() + std::size_t(y) * std::size_t(RowSize());
  if (bitsPerPixel_ == 8) return palette_[row[x]];
  const std::uint8_t* p = row + std::size_t(x) * 3;
  return TBitmapColor{p[0], p[1], p[2]};
}

TBitmap TBitmap::Decode(const std::uint8_t* data, std::size_t size, const std::string& fileName) {
  switch (PictureFormatOf(fileName)) {
    case TPictureFormat::pfBmp: return DecodeBmp(data, size, fileName);
    case TPictureFormat::pfJpeg: return DecodeJpeg(data, size, fileName);
    case TPictureFormat::pfNone: break;
  }
  return TBitmap();
}

int TBitmap::FittedSide(int side) {
  if (side <= 0) return 0;
  int fitted = 1;
  while (fitted * 2 <= side && fitted * 2 <= MaxFittedSide) fitted *= 2;
  return fitted;
}

TBitmap TBitmap::FitPowerOfTwo() const {
  if (Empty()) return *this;
  if (IsPowerOfTwo(width_) && IsPowerOfTwo(height_) && width_ <= MaxFittedSide && height_ <= MaxFittedSide)
    return *this;
  const int width = FittedSide(width_), height = FittedSide(height_);
  if (bitsPerPixel_ == 0) return TBitmap(width, height, 0);

  // The resampler wants three channels: palette images are expanded first.
  const std::vector<std::uint8_t>* source = &pixels_;
  std::vector<std::uint8_t> expanded;
  if (bitsPerPixel_ == 8) {
    expanded.resize(pixels_.size() * 3);
    for (std::size_t i = 0; i < pixels_.size(); ++i) {
      const TBitmapColor& c = palette_[pixels_[i]];
      expanded[i * 3] = c.R;
      expanded[i * 3 + 1] = c.G;
      expanded[i * 3 + 2] = c.B;
    }
    source = &expanded;
  }

  // Mitchell-Netravali cubic (B = C = 1/3) in both directions: smooth, with
  // little ringing, and a proper low-pass when shrinking (every source pixel
  // contributes, unlike nearest-pixel picking). Values are filtered as they
  // are stored (no sRGB decoding), like the box averages of the texture
  // quality steps; edges repeat the border pixels.
  TBitmap fitted(width, height, 24);
  if (!stbir_resize_uint8_generic(source->data(), width_, height_, width_ * 3, fitted.pixels_.data(), width, height,
                                  width * 3, 3, STBIR_ALPHA_CHANNEL_NONE, 0, STBIR_EDGE_CLAMP, STBIR_FILTER_MITCHELL,
                                  STBIR_COLORSPACE_LINEAR, nullptr))
    RaiseError("TBitmap", "FitPowerOfTwo", "Resampling failed");
  return fitted;
}

}  // namespace velmora
