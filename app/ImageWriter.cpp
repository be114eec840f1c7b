#include "app/ImageWriter.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include <jpeglib.h>

#include "core/Error.h"
#include "core/Strings.h"

namespace velmora {

namespace {

// Larger pictures than this are no frame of any display, and JPEG itself
// stops at 65500 lines.
constexpr int MaxSide = 32768;

void PutU16(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  out[at] = uint8_t(v);
  out[at + 1] = uint8_t(v >> 8);
}

void PutU32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = uint8_t(v >> (8 * i));
}

}  // namespace

TBitmap24::TBitmap24(int width, int height) { SetSize(width, height); }

void TBitmap24::SetSize(int width, int height) {
  if (width < 0 || height < 0 || width > MaxSide || height > MaxSide)
    RaiseError("TBitmap24", "SetSize", Format("Invalid size %dx%d", width, height));
  width_ = width;
  height_ = height;
  pixels_.assign(size_t(width) * size_t(height) * 3, 0);
}

uint8_t* TBitmap24::ScanLine(int y) {
  if (y < 0 || y >= height_) RaiseError("TBitmap24", "ScanLine", Format("Row %d out of bounds", y));
  return pixels_.data() + size_t(y) * size_t(RowSize());
}

const uint8_t* TBitmap24::ScanLine(int y) const { return const_cast<TBitmap24*>(this)->ScanLine(y); }

std::vector<uint8_t> TBitmap24::EncodeBitmap() const {
  const size_t fileHeader = 14, infoHeader = 40;
  const size_t stride = (size_t(RowSize()) + 3) & ~size_t(3);
  const size_t imageSize = stride * size_t(height_);
  std::vector<uint8_t> out(fileHeader + infoHeader + imageSize, 0);
  out[0] = 'B';
  out[1] = 'M';
  PutU32(out, 2, uint32_t(out.size()));
  PutU32(out, 10, uint32_t(fileHeader + infoHeader));
  PutU32(out, 14, uint32_t(infoHeader));
  PutU32(out, 18, uint32_t(width_));
  PutU32(out, 22, uint32_t(height_));  // positive: rows bottom-up
  PutU16(out, 26, 1);                  // planes
  PutU16(out, 28, 24);                 // bits per pixel
  PutU32(out, 30, 0);                  // BI_RGB
  PutU32(out, 34, uint32_t(imageSize));
  PutU32(out, 38, 2835);  // 72 dpi
  PutU32(out, 42, 2835);
  for (int y = 0; y < height_; ++y) {
    const uint8_t* src = pixels_.data() + size_t(height_ - 1 - y) * size_t(RowSize());
    std::copy(src, src + RowSize(), out.begin() + long(fileHeader + infoHeader + size_t(y) * stride));
  }
  return out;
}

void TBitmap24::SaveToFile(const std::string& fileName) const {
  WriteWholeFile(fileName, EncodeBitmap(), "TBitmap24", "SaveToFile");
}

void TJpegWriter::SetQuality(int quality) {
  if (quality < 1 || quality > 100)
    RaiseError("TJpegWriter", "SetQuality", Format("Quality %d is not in 1..100", quality));
  quality_ = quality;
}

void TJpegWriter::Assign(const TBitmap24& bitmap) { bitmap_ = bitmap; }

namespace {

// libjpeg ends the process on an error unless told otherwise; its handler
// jumps back here instead, so a failure becomes an Error of the writer.
struct JpegErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

extern "C" void JpegErrorExit(j_common_ptr info) {
  auto* mgr = reinterpret_cast<JpegErrorManager*>(info->err);
  (*info->err->format_message)(info, mgr->message);
  std::longjmp(mgr->jump, 1);
}

extern "C" void JpegOutputMessage(j_common_ptr) {}

// Everything between setjmp and the end of the encoding is plain C data, so
// the jump back skips no destructor.
bool EncodeRows(const uint8_t* bgr, int width, int height, int quality, unsigned char** outBuffer,
                unsigned long* outSize, JpegErrorManager& err, std::vector<uint8_t>& rgbRow) {
  jpeg_compress_struct cinfo;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = JpegErrorExit;
  err.pub.output_message = JpegOutputMessage;
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&cinfo);
    return false;
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, outBuffer, outSize);
  cinfo.image_width = JDIMENSION(width);
  cinfo.image_height = JDIMENSION(height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  const size_t rowSize = size_t(width) * 3;
  while (cinfo.next_scanline < cinfo.image_height) {
    const uint8_t* src = bgr + size_t(cinfo.next_scanline) * rowSize;
    for (size_t x = 0; x < rowSize; x += 3) {
      rgbRow[x] = src[x + 2];
      rgbRow[x + 1] = src[x + 1];
      rgbRow[x + 2] = src[x];
    }
    JSAMPROW row = rgbRow.data();
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return true;
}

}  // namespace

std::vector<uint8_t> TJpegWriter::Encode() const {
  if (bitmap_.Width() == 0 || bitmap_.Height() == 0) RaiseError("TJpegWriter", "Encode", "Empty picture");
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  JpegErrorManager err{};
  std::vector<uint8_t> rgbRow(size_t(bitmap_.RowSize()));
  bool ok = EncodeRows(bitmap_.Pixels().data(), bitmap_.Width(), bitmap_.Height(), quality_, &buffer, &size, err,
                       rgbRow);
  std::vector<uint8_t> out;
  if (ok && buffer) out.assign(buffer, buffer + size);
  std::free(buffer);
  if (!ok) RaiseError("TJpegWriter", "Encode", err.message);
  return out;
}

void TJpegWriter::SaveToFile(const std::string& fileName) const {
  WriteWholeFile(fileName, Encode(), "TJpegWriter", "SaveToFile");
}

void WriteWholeFile(const std::string& fileName, const std::vector<uint8_t>& bytes, const char* className,
                    const char* operation) {
  // Written beside the file and renamed over it: whatever ends the run, the
  // name holds a whole image or none.
  const std::string part = fileName + ".part";
  bool ok;
  {
    std::ofstream f(part, std::ios::binary | std::ios::trunc);
    if (f) f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (f) f.close();
    ok = bool(f);
  }
  if (ok) ok = std::rename(part.c_str(), fileName.c_str()) == 0;
  if (!ok) {
    std::remove(part.c_str());
    RaiseError(className, operation, "Cannot write " + fileName);
  }
}

}  // namespace velmora
