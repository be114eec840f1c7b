#include "assets/FrameDiff.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "core/Error.h"
#include "core/Strings.h"

namespace velmora {

void TFrameDiff::Add(const TBitmap& a, const TBitmap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height())
    RaiseError("TFrameDiff", "Add",
               Format("Frames of %dx%d and %dx%d cannot be compared", a.Width(), a.Height(), b.Width(), b.Height()));
  if (a.Empty() || a.BitsPerPixel() == 0 || b.BitsPerPixel() == 0)
    RaiseError("TFrameDiff", "Add", "A frame has no pixels");
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width(); ++x) {
      const TBitmapColor p = a.Color(x, y), q = b.Color(x, y);
      ++counts_[0][std::abs(int(p.R) - int(q.R))];
      ++counts_[1][std::abs(int(p.G) - int(q.G))];
      ++counts_[2][std::abs(int(p.B) - int(q.B))];
    }
  }
  pixels_ += int64_t(a.Width()) * a.Height();
}

void TFrameDiff::Add(const TFrameDiff& other) {
  for (int c = 0; c < 3; ++c)
    for (int level = 0; level < 256; ++level) counts_[c][level] += other.counts_[c][level];
  pixels_ += other.pixels_;
}

double TFrameDiff::Mean(int channel) const {
  if (pixels_ == 0 || channel < 0 || channel > 2) return 0;
  double sum = 0;
  for (int level = 0; level < 256; ++level) sum += double(level) * double(counts_[channel][level]);
  return sum / double(pixels_);
}

int TFrameDiff::Percentile(int channel, double fraction) const {
  if (pixels_ == 0 || channel < 0 || channel > 2) return 0;
  // The count that must be reached, rounded up: 99 % of 10 pixels is 10.
  const int64_t needed = std::max<int64_t>(1, int64_t(std::ceil(fraction * double(pixels_) - 1e-9)));
  int64_t seen = 0;
  for (int level = 0; level < 256; ++level) {
    seen += counts_[channel][level];
    if (seen >= needed) return level;
  }
  return 255;
}

TBitmap ReadFrameFile(const std::string& fileName) {
  std::ifstream file(fileName, std::ios::binary);
  if (!file) RaiseError("TFrameDiff", "ReadFrameFile", fileName + ": Cannot be opened");
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (file.bad()) RaiseError("TFrameDiff", "ReadFrameFile", fileName + ": Cannot be read");
  if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return TBitmap::DecodeBmp(bytes.data(), bytes.size(), fileName);
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8)
    return TBitmap::DecodeJpeg(bytes.data(), bytes.size(), fileName);
  RaiseError("TFrameDiff", "ReadFrameFile", fileName + ": Neither a bitmap nor a JPEG file");
}

}  // namespace velmora
