// How far two pictures of the scene lie apart: the per-pixel absolute
// difference of each colour channel, gathered as a histogram so that its
// mean and percentiles can be read, over one pair of frames or over every
// pair of two films.
//
//   TFrameDiff diff;
//   diff.Add(ReadFrameFile("a/Film00001.jpg"), ReadFrameFile("b/Film00001.jpg"));
//   diff.Mean(0);              // red, in levels 0..255
//   diff.Percentile(2, 0.99);  // blue: 99 % of the pixels differ by at most this
//
// Errors:
//   "TFrameDiff.Add error: Frames of WxH and WxH cannot be compared"
//   "TFrameDiff.Add error: A frame has no pixels"
//   "TFrameDiff.ReadFrameFile error: FILE: ..." (cannot be read, neither a
//     bitmap nor a JPEG file), or the decoder's own error
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "assets/Bitmap.h"

namespace velmora {

class TFrameDiff {
 public:
  // Adds every pixel of two frames of the same size (24-bit or 8-bit).
  void Add(const TBitmap& a, const TBitmap& b);
  // Adds what another comparison gathered.
  void Add(const TFrameDiff& other);

  // The pixels compared so far.
  int64_t Pixels() const { return pixels_; }
  // channel 0 red, 1 green, 2 blue; 0 before anything was added.
  double Mean(int channel) const;
  // The smallest difference that at least fraction (0..1] of the pixels
  // do not exceed.
  int Percentile(int channel, double fraction) const;
  int Max(int channel) const { return Percentile(channel, 1.0); }

 private:
  std::array<std::array<int64_t, 256>, 3> counts_{};
  int64_t pixels_ = 0;
};

// A frame from disk: a Windows bitmap or a JPEG file, told by its first
// bytes whatever its name ends with.
TBitmap ReadFrameFile(const std::string& fileName);

}  // namespace velmora
