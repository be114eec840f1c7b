// Writing screenshots and film frames: 24-bit bitmaps and JPEG files.
//
// A TBitmap24 holds the picture the way both writers want it: rows from the
// top down, three bytes a pixel in the order blue, green, red, rows packed
// without padding. The bitmap writer pads rows to four bytes and stores them
// bottom-up as the format requires; the JPEG writer hands the rows to
// libjpeg-turbo as they are.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

class TBitmap24 {
 public:
  TBitmap24() = default;
  TBitmap24(int width, int height);

  int Width() const { return width_; }
  int Height() const { return height_; }
  int RowSize() const { return width_ * 3; }

  // Resizes; the pixels become black.
  void SetSize(int width, int height);

  // Row y, counted from the top; raises on a row outside 0..Height-1.
  uint8_t* ScanLine(int y);
  const uint8_t* ScanLine(int y) const;

  const std::vector<uint8_t>& Pixels() const { return pixels_; }

  // The whole file image of a 24-bit uncompressed bitmap (BITMAPFILEHEADER,
  // BITMAPINFOHEADER, bottom-up rows padded to 4 bytes).
  std::vector<uint8_t> EncodeBitmap() const;
  // Raises "TBitmap24.SaveToFile error: ..." when the file cannot be written.
  void SaveToFile(const std::string& fileName) const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<uint8_t> pixels_;
};

class TJpegWriter {
 public:
  // The quality the program's options fall back to.
  static constexpr int DefaultQuality = 90;

  int Quality() const { return quality_; }
  // 1..100; anything else raises "TJpegWriter.SetQuality error: ...".
  void SetQuality(int quality);

  // Takes a copy of the picture to encode.
  void Assign(const TBitmap24& bitmap);

  // The whole JPEG file (baseline, YCbCr 4:2:0 as libjpeg's defaults give).
  // Raises "TJpegWriter.Encode error: ..." for an empty picture or when
  // libjpeg reports a failure.
  std::vector<uint8_t> Encode() const;
  void SaveToFile(const std::string& fileName) const;

 private:
  int quality_ = DefaultQuality;
  TBitmap24 bitmap_;
};

// Writes the bytes to a file, replacing it: first to "<file>.part", which
// is then renamed, so the name never holds part of an image. Raises "className.operation
// error: Cannot write <file>" on failure.
void WriteWholeFile(const std::string& fileName, const std::vector<uint8_t>& bytes, const char* className,
                    const char* operation);

}  // namespace velmora
