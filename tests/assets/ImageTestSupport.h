// Image files made by the image tests: bitmaps assembled byte by byte from
// the format's description (not through any writer of the program), and
// JPEG files encoded with libjpeg directly, in the colour spaces and modes
// the program's own writer does not produce.
#pragma once

#include <csetjmp>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include <jpeglib.h>

namespace image_test {

using Bytes = std::vector<std::uint8_t>;

inline void Put16(Bytes& out, std::uint32_t v) {
  out.push_back(std::uint8_t(v));
  out.push_back(std::uint8_t(v >> 8));
}
inline void Put32(Bytes& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
inline void Set32(Bytes& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = std::uint8_t(v >> (8 * i));
}

// What goes into a bitmap file. Rows are given top row first, unpadded,
// exactly as the pixels are stored (blue, green, red for 24 bits; packed
// indices for 1 and 4 bits); the builder pads them and orders them.
struct BmpSpec {
  std::uint32_t headerSize = 40;  // 12, 40, 52, 56, 64, 108 or 124
  std::int32_t width = 0;
  std::int32_t height = 0;        // the size of the image; stored negated when topDown
  bool topDown = false;
  std::uint16_t bits = 24;
  std::uint32_t compression = 0;
  std::vector<std::uint32_t> palette;  // 0x00RRGGBB, written as blue, green, red (, 0)
  std::uint32_t colorsUsed = 0;        // 0: palette.size() is written when the palette is shorter than full
  std::vector<std::uint32_t> masks;    // red, green, blue (, alpha) for compression 3 and 6
  std::vector<Bytes> rows;
};

inline Bytes MakeBmp(const BmpSpec& s) {
  Bytes info;
  Put32(info, s.headerSize);
  if (s.headerSize == 12) {
    Put16(info, std::uint32_t(s.width));
    Put16(info, std::uint32_t(s.height));
    Put16(info, 1);
    Put16(info, s.bits);
  } else {
    Put32(info, std::uint32_t(s.width));
    Put32(info, std::uint32_t(s.topDown ? -s.height : s.height));
    Put16(info, 1);
    Put16(info, s.bits);
    Put32(info, s.compression);
    Put32(info, 0);
    Put32(info, 2835);
    Put32(info, 2835);
    std::uint32_t used = s.colorsUsed;
    if (used == 0 && !s.palette.empty() && s.palette.size() < (std::size_t(1) << s.bits))
      used = std::uint32_t(s.palette.size());
    Put32(info, used);
    Put32(info, 0);
    if (s.headerSize > 40) {
      // The masks of the larger headers; the rest stays zero.
      for (std::size_t i = 0; i < 4; ++i) Put32(info, i < s.masks.size() ? s.masks[i] : 0);
      info.resize(s.headerSize, 0);
    } else {
      for (std::uint32_t m : s.masks) Put32(info, m);
    }
  }
  for (std::uint32_t c : s.palette) {
    info.push_back(std::uint8_t(c));
    info.push_back(std::uint8_t(c >> 8));
    info.push_back(std::uint8_t(c >> 16));
    if (s.headerSize != 12) info.push_back(0);
  }
  const std::size_t stride = (std::size_t(s.width) * s.bits + 31) / 32 * 4;
  Bytes file = {'B', 'M'};
  Put32(file, 0);
  Put32(file, 0);
  Put32(file, std::uint32_t(14 + info.size()));
  file.insert(file.end(), info.begin(), info.end());
  for (std::size_t i = 0; i < s.rows.size(); ++i) {
    const Bytes& row = s.rows[s.topDown ? i : s.rows.size() - 1 - i];
    Bytes padded = row;
    padded.resize(stride, 0xEE);  // padding bytes that must not be read as pixels
    file.insert(file.end(), padded.begin(), padded.end());
  }
  Set32(file, 2, std::uint32_t(file.size()));
  return file;
}

// JPEG files through libjpeg. pixels: rows top-down, `components` bytes a
// pixel in the colour space `space`.
struct JpegSpec {
  int width = 0, height = 0;
  int components = 3;
  J_COLOR_SPACE space = JCS_RGB;
  bool progressive = false;
  int quality = 100;
  bool fullChroma = true;  // 4:4:4, so that flat colours survive exactly enough
  Bytes pixels;
};

struct JpegTestError {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

extern "C" inline void JpegTestErrorExit(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegTestError*>(info->err)->jump, 1);
}

inline bool EncodeJpegRows(const JpegSpec& s, unsigned char** buffer, unsigned long* size) {
  jpeg_compress_struct cinfo;
  JpegTestError err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = JpegTestErrorExit;
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&cinfo);
    return false;
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, buffer, size);
  cinfo.image_width = JDIMENSION(s.width);
  cinfo.image_height = JDIMENSION(s.height);
  cinfo.input_components = s.components;
  cinfo.in_color_space = s.space;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, s.quality, TRUE);
  if (s.fullChroma)
    for (int c = 0; c < cinfo.num_components; ++c) cinfo.comp_info[c].h_samp_factor = cinfo.comp_info[c].v_samp_factor = 1;
  if (s.progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPLE*>(s.pixels.data()) + std::size_t(cinfo.next_scanline) * s.width * s.components;
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return true;
}

inline Bytes MakeJpeg(const JpegSpec& s) {
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  bool ok = EncodeJpegRows(s, &buffer, &size);
  Bytes out;
  if (ok) out.assign(buffer, buffer + size);
  std::free(buffer);
  if (!ok) throw std::runtime_error("test JPEG could not be encoded");
  return out;
}

// A flat picture of one colour (components bytes given in value).
inline JpegSpec FlatJpeg(int width, int height, Bytes value, J_COLOR_SPACE space) {
  JpegSpec s;
  s.width = width;
  s.height = height;
  s.components = int(value.size());
  s.space = space;
  for (int i = 0; i < width * height; ++i) s.pixels.insert(s.pixels.end(), value.begin(), value.end());
  return s;
}

// The offset of the start-of-frame segment's height field (SOF0..SOF2).
inline std::size_t FrameSizeOffset(const Bytes& jpeg) {
  for (std::size_t i = 2; i + 8 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC1 || jpeg[i + 1] == 0xC2)) return i + 5;
  throw std::runtime_error("no frame header");
}

// The offset of the first byte of compressed data (after the first
// start-of-scan segment).
inline std::size_t ScanDataOffset(const Bytes& jpeg) {
  for (std::size_t i = 2; i + 4 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) return i + 2 + (std::size_t(jpeg[i + 2]) << 8 | jpeg[i + 3]);
  throw std::runtime_error("no scan");
}

}  // namespace image_test
