// Decoded images: what textures are made from.
//
// A TBitmap holds one picture in memory, of one of these kinds:
//
//   BitsPerPixel 24   three bytes a pixel in the order red, green, blue
//   BitsPerPixel 8    one palette index a pixel; Palette() holds 256 colours
//                     (entries a file does not define are black)
//   BitsPerPixel 0    no pixels: the empty image (0 x 0), or an image of a
//                     kind this reader does not decode, which keeps its
//                     width and height so that a texture can still be sized
//
// Rows run from the top row down; each row is packed (RowSize() bytes, no
// padding), so Pixels() is Height() rows back to back.
//
// Lifecycle:
//   bytes of a file (from disk or the archive)
//     -> Decode / DecodeBmp / DecodeJpeg       a 24-bit, 8-bit or other image
//     -> FitPowerOfTwo                         sides made powers of two <= 1024
//     -> read row by row by the texture loader, then dropped
//
// Files read:
//   ".bmp"            Windows bitmaps: a BITMAPFILEHEADER, then a
//                     BITMAPCOREHEADER (12 bytes) or a BITMAPINFOHEADER
//                     (40 bytes) or one of its larger versions (52, 56, 64,
//                     108, 124 bytes); rows bottom-up (positive height) or
//                     top-down (negative height), each padded to 4 bytes.
//                     1-, 4- and 8-bit palette images become 8-bit images
//                     (a palette shorter than the bit count allows is
//                     filled up with black); 24-bit images stay 24-bit;
//                     16- and 32-bit images (plain, or with colour masks)
//                     become 24-bit. Run-length compressed, embedded JPEG
//                     or PNG and other kinds give an image of another kind
//                     (BitsPerPixel 0, no pixels).
//   ".jpg", ".jepg"   JPEG through libjpeg: 24-bit; grey images are
//                     expanded to grey colours, CMYK and YCCK are converted
//                     to RGB.
//   anything else     the empty image.
//
// Limits: an image is at most MaxSide pixels on each side and MaxPixels in
// all; a file declaring more is refused before anything is allocated.
//
// Errors (FILE is the file name handed in):
//   "TBitmap.Create error: Invalid image size WxH"
//   "TBitmap.Create error: Bits per pixel must be 24, 8 or 0, not N"
//   "TBitmap.ScanLine error: Row Y out of bounds"
//   "TBitmap.Color error: Pixel (X, Y) out of bounds", "... The image has no
//     pixels"
//   "TBitmap.DecodeBmp error: FILE: ..." with one of: "Not a bitmap file",
//     "File header is truncated", "Unknown header size N",
//     "Header is truncated", "Palette is truncated", "Invalid image size
//     WxH", "Image of WxH is too large", "Pixel data is truncated ...",
//     "Colour masks are truncated"
//   "TBitmap.DecodeJpeg error: FILE: " followed by libjpeg's message, or
//     "Image of WxH is too large", "Image of WxH is too large for a file of N
//     bytes", "Data is truncated"
//   "TBitmap.FitPowerOfTwo error: Resampling failed"
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

// Which file names are pictures the program reads, by the extension of the
// name's file part compared in lower case: ".bmp" a bitmap, ".jpg" and
// ".jepg" (the spelling the scene data has always used) JPEG. A ".jpeg"
// file is no picture here, as it never was. Every reader of pictures asks
// this one function.
enum class TPictureFormat { pfNone, pfBmp, pfJpeg };
TPictureFormat PictureFormatOf(const std::string& fileName);

struct TBitmapColor {
  std::uint8_t R = 0, G = 0, B = 0;
  bool operator==(const TBitmapColor&) const = default;
};

class TBitmap {
 public:
  // Larger than any picture a scene ships: textures end at 1024 pixels a
  // side, so a source 16 times that loses nearly everything in the fitting.
  static constexpr int MaxSide = 16384;
  // 64 Mi pixels: a decoded 24-bit image stays below 192 MiB, while an
  // 8192 x 8192 photograph still loads.
  static constexpr std::int64_t MaxPixels = std::int64_t(1) << 26;
  // The largest side FitPowerOfTwo leaves or makes.
  static constexpr int MaxFittedSide = 1024;

  // True when an image of that size is within the limits above.
  static bool ValidSize(std::int64_t width, std::int64_t height);

  // The empty image.
  TBitmap() = default;
  // A black image of the kind (24, 8 or 0: no pixels); the palette is black.
  TBitmap(int width, int height, int bitsPerPixel);

  int Width() const { return width_; }
  int Height() const { return height_; }
  int BitsPerPixel() const { return bitsPerPixel_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }
  // Bytes of one row: Width() * 3, Width(), or 0 for an image without pixels.
  int RowSize() const { return width_ * (bitsPerPixel_ / 8); }

  // Row y, counted from the top.
  std::uint8_t* ScanLine(int y);
  const std::uint8_t* ScanLine(int y) const;
  const std::vector<std::uint8_t>& Pixels() const { return pixels_; }

  // The 256 palette colours of an 8-bit image (black for other kinds).
  std::array<TBitmapColor, 256>& Palette() { return palette_; }
  const std::array<TBitmapColor, 256>& Palette() const { return palette_; }

  // The colour of pixel (x, y) of a 24-bit or 8-bit image (through the
  // palette).
  TBitmapColor Color(int x, int y) const;

  // A Windows bitmap file held in memory. fileName only names the file in
  // error messages.
  static TBitmap DecodeBmp(const std::uint8_t* data, std::size_t size, const std::string& fileName);
  // A JPEG file held in memory.
  static TBitmap DecodeJpeg(const std::uint8_t* data, std::size_t size, const std::string& fileName);
  // By PictureFormatOf(fileName): a bitmap or a JPEG file; a name that is
  // no picture gives the empty image without looking at the bytes.
  static TBitmap Decode(const std::uint8_t* data, std::size_t size, const std::string& fileName);

  // Largest power of two not above side, at most MaxFittedSide (0 for 0).
  static int FittedSide(int side);
  // When both sides are powers of two not above MaxFittedSide (or the image
  // is empty), a copy of the image. Otherwise a new 24-bit image of
  // FittedSide(Width()) x FittedSide(Height()), resampled from this one
  // (8-bit images through their palette); an image without pixels gives one
  // of the fitted size, again without pixels.
  TBitmap FitPowerOfTwo() const;

 private:
  int width_ = 0;
  int height_ = 0;
  int bitsPerPixel_ = 0;
  std::vector<std::uint8_t> pixels_;
  std::array<TBitmapColor, 256> palette_{};
};

}  // namespace velmora
