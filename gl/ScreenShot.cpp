#include "gl/ScreenShot.h"

#include <algorithm>

#include "core/Error.h"
#include "gl/GLEntryPoints.h"
#include "platform/Window.h"

namespace velmora {

void TGLScreenShot::Capture(const platform::NativeWindow& window) {
  Clear();
  if (!GL.glReadPixels) RaiseError("TGLScreenShot", "Capture", "OpenGL is not loaded");
  width_ = std::max(0, window.Width());
  height_ = std::max(0, window.Height());
  rowSize_ = width_ * 3;
  ++Counter;
  buffer_.assign(size_t(rowSize_) * size_t(height_), 0);
  if (buffer_.empty()) return;
  // Alignment 1 keeps rows exactly RowSize bytes; the previous alignment is
  // put back for the texture code, which reads with its own.
  GLint alignment = 4;
  GL.glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
  GL.glPixelStorei(GL_PACK_ALIGNMENT, 1);
  GL.glReadPixels(0, 0, width_, height_, GL_RGB, GL_UNSIGNED_BYTE, buffer_.data());
  GL.glPixelStorei(GL_PACK_ALIGNMENT, alignment);
}

uint8_t* TGLScreenShot::ScanLine(int row) {
  return const_cast<uint8_t*>(static_cast<const TGLScreenShot*>(this)->ScanLine(row));
}

const uint8_t* TGLScreenShot::ScanLine(int row) const {
  if (row < 0 || row >= height_) RaiseError("TGLScreenShot", "ScanLine", "Row out of bounds");
  return buffer_.data() + size_t(row) * size_t(rowSize_);
}

void TGLScreenShot::Clear() {
  std::vector<uint8_t>().swap(buffer_);
  width_ = 0;
  height_ = 0;
  rowSize_ = 0;
}

}  // namespace velmora
