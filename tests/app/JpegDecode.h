// Decoding JPEG files in tests, to check what the writers wrote.
#pragma once

#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

namespace testjpeg {

struct Decoded {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;  // rows top-down, 3 bytes a pixel
  const uint8_t* Pixel(int x, int y) const { return rgb.data() + (size_t(y) * size_t(width) + size_t(x)) * 3; }
};

struct DecodeError {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

extern "C" inline void DecodeErrorExit(j_common_ptr info) {
  std::longjmp(reinterpret_cast<DecodeError*>(info->err)->jump, 1);
}

// False when the data is not a JPEG file libjpeg can read.
inline bool DecodeJpeg(const std::vector<uint8_t>& data, Decoded& out) {
  jpeg_decompress_struct cinfo;
  DecodeError err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = DecodeErrorExit;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data.data(), (unsigned long)data.size());
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  out.width = int(cinfo.output_width);
  out.height = int(cinfo.output_height);
  out.rgb.resize(size_t(out.width) * size_t(out.height) * 3);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = out.rgb.data() + size_t(cinfo.output_scanline) * size_t(out.width) * 3;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

}  // namespace testjpeg
