// The frame buffer read back into client memory.
//
// Capture reads the whole client area of a window as RGB bytes, three a
// pixel, rows bottom-up as OpenGL reads them and packed without padding.
#pragma once

#include <cstdint>
#include <vector>

namespace platform {
class NativeWindow;
}

namespace velmora {

class TGLScreenShot {
 public:
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Captures so far; the application resets it when a film starts.
  int Counter = 0;
  uint8_t* Buffer() { return buffer_.empty() ? nullptr : buffer_.data(); }
  const uint8_t* Buffer() const { return buffer_.empty() ? nullptr : buffer_.data(); }
  int RowSize() const { return rowSize_; }
  int BytesPerPixel() const { return 3; }

  // Reads the current frame buffer at the window's client size; needs the
  // window's context to be current.
  void Capture(const platform::NativeWindow& window);
  // Row 0 is the bottom row; others than 0 .. Height - 1 raise
  // "TGLScreenShot.ScanLine error: ...".
  uint8_t* ScanLine(int row);
  const uint8_t* ScanLine(int row) const;
  // Frees the buffer; Width, Height and RowSize become 0.
  void Clear();

 private:
  int width_ = 0;
  int height_ = 0;
  int rowSize_ = 0;
  std::vector<uint8_t> buffer_;
};

}  // namespace velmora
