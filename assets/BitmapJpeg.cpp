// The JPEG reader of TBitmap, on libjpeg-turbo's IJG interface.
//
// libjpeg ends the process on an error unless told otherwise; the error
// manager here jumps back to the decoding function instead, which turns the
// failure into an Error naming the file. Two of libjpeg's warnings are
// errors here as well, because past them libjpeg would invent pixels: the
// data ending early ("Data is truncated") and a marker inside the
// compressed data. The pixels a header declares must be within the image
// limits and plausible for the size of the file; decoded rows are appended
// as they arrive, so a damaged file costs only what it really decodes; the
// memory libjpeg itself may take for a multi-scan image is bounded by the
// size of the file too.
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>
#include <jerror.h>

#include "assets/Bitmap.h"
#include "core/Error.h"
#include "core/Strings.h"

namespace velmora {

namespace {

// A progressive file may repeat scans without end; real encoders write a
// dozen at most.
constexpr int MaxScans = 500;
// Memory libjpeg may use for the coefficients of a multi-scan image: a base
// that covers every ordinary photograph, plus 2 KiB for each byte of the
// file. A few hundred bytes can only declare a large image, not fill it.
constexpr std::size_t BaseDecoderMemory = std::size_t(96) << 20;
constexpr std::size_t DecoderMemoryPerByte = 2048;
// The densest honest encoding (a flat picture, one bit for the DC value
// and one for the end of each block, optimised tables) packs about 500
// pixels into a byte. A header promising more than 1024 pixels for each
// byte of the file describes a picture its data cannot hold (a progressive
// file can still "decode" it from scans that leave out whole components),
// so above one full-size texture such a file is refused.
constexpr std::int64_t FreePixels = std::int64_t(1) << 20;
constexpr std::int64_t PixelsPerByte = 1024;

struct JpegErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

extern "C" void BitmapJpegErrorExit(j_common_ptr info) {
  auto* mgr = reinterpret_cast<JpegErrorManager*>(info->err);
  if (info->err->msg_code == JERR_NO_BACKING_STORE)
    std::snprintf(mgr->message, sizeof mgr->message, "The image needs more memory than the file can justify");
  else
    (*info->err->format_message)(info, mgr->message);
  std::longjmp(mgr->jump, 1);
}

extern "C" void BitmapJpegEmitMessage(j_common_ptr info, int level) {
  if (level >= 0) return;  // trace messages
  if (info->err->msg_code == JWRN_JPEG_EOF) {
    auto* mgr = reinterpret_cast<JpegErrorManager*>(info->err);
    std::snprintf(mgr->message, sizeof mgr->message, "Data is truncated");
    std::longjmp(mgr->jump, 1);
  }
  if (info->err->msg_code == JWRN_HIT_MARKER) {
    auto* mgr = reinterpret_cast<JpegErrorManager*>(info->err);
    char text[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, text);
    std::snprintf(mgr->message, sizeof mgr->message, "%s", text);
    std::longjmp(mgr->jump, 1);
  }
  // Other warnings (stray bytes between markers and the like) leave a
  // picture libjpeg can still decode properly.
  ++info->err->num_warnings;
}

extern "C" void BitmapJpegProgress(j_common_ptr info) {
  if (!info->is_decompressor) return;
  if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > MaxScans) {
    auto* mgr = reinterpret_cast<JpegErrorManager*>(info->err);
    std::snprintf(mgr->message, sizeof mgr->message, "More than %d scans", MaxScans);
    std::longjmp(mgr->jump, 1);
  }
}

enum class Outcome { Decoded, Failed, TooLarge, TooLargeForFile };

// Decoded rows go to *pixels (red, green, blue, top row first). Everything
// between setjmp and the end is plain C data, so the jump back skips no
// destructor; the vector lives in the caller.
Outcome DecodeRows(const std::uint8_t* data, std::size_t size, JpegErrorManager& err, std::vector<std::uint8_t>* pixels,
                   int& width, int& height) {
  jpeg_decompress_struct cinfo;
  jpeg_progress_mgr progress;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = BitmapJpegErrorExit;
  err.pub.emit_message = BitmapJpegEmitMessage;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return Outcome::Failed;
  }
  jpeg_create_decompress(&cinfo);
  progress.progress_monitor = BitmapJpegProgress;
  cinfo.progress = &progress;
  cinfo.mem->max_memory_to_use = long(BaseDecoderMemory + DecoderMemoryPerByte * size);
  jpeg_mem_src(&cinfo, data, (unsigned long)size);
  jpeg_read_header(&cinfo, TRUE);
  width = int(cinfo.image_width);
  height = int(cinfo.image_height);
  if (!TBitmap::ValidSize(cinfo.image_width, cinfo.image_height)) {
    jpeg_destroy_decompress(&cinfo);
    return Outcome::TooLarge;
  }
  const std::int64_t declared = std::int64_t(cinfo.image_width) * std::int64_t(cinfo.image_height);
  if (declared > FreePixels && declared > PixelsPerByte * std::int64_t(size)) {
    jpeg_destroy_decompress(&cinfo);
    return Outcome::TooLargeForFile;
  }
  switch (cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_RGB:
    case JCS_YCbCr:
      cinfo.out_color_space = JCS_RGB;
      break;
    case JCS_CMYK:
    case JCS_YCCK:
      cinfo.out_color_space = JCS_CMYK;
      break;
    default:
      // An unknown space: its components as they are, read below as
      // red, green, blue (three or more) or as grey (fewer).
      cinfo.out_color_space = JCS_UNKNOWN;
      break;
  }
  jpeg_start_decompress(&cinfo);
  const int components = cinfo.output_components;
  const std::size_t inRow = std::size_t(cinfo.output_width) * std::size_t(components);
  const std::size_t outRow = std::size_t(cinfo.output_width) * 3;
  JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, JDIMENSION(inRow), 1);
  // Adobe's encoders store CMYK inverted (0 is full ink); others do not.
  const bool invertedInk = cinfo.saw_Adobe_marker;
  while (cinfo.output_scanline < cinfo.output_height) {
    jpeg_read_scanlines(&cinfo, row, 1);
    const std::size_t at = pixels->size();
    pixels->resize(at + outRow);
    std::uint8_t* out = pixels->data() + at;
    const JSAMPLE* in = row[0];
    if (cinfo.out_color_space == JCS_RGB) {
      std::memcpy(out, in, outRow);
    } else if (cinfo.out_color_space == JCS_CMYK) {
      for (std::size_t x = 0; x < cinfo.output_width; ++x, in += 4, out += 3) {
        unsigned c = in[0], m = in[1], y = in[2], k = in[3];
        if (!invertedInk) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
        out[0] = JSAMPLE((c * k + 127) / 255);
        out[1] = JSAMPLE((m * k + 127) / 255);
        out[2] = JSAMPLE((y * k + 127) / 255);
      }
    } else {
      for (std::size_t x = 0; x < cinfo.output_width; ++x, in += components, out += 3) {
        out[0] = in[0];
        out[1] = components >= 3 ? in[1] : in[0];
        out[2] = components >= 3 ? in[2] : in[0];
      }
    }
  }
  // What follows the last row is not read (jpeg_finish_decompress would
  // only look for the end marker).
  jpeg_destroy_decompress(&cinfo);
  return Outcome::Decoded;
}

}  // namespace

TBitmap TBitmap::DecodeJpeg(const std::uint8_t* data, std::size_t size, const std::string& fileName) {
  static const std::uint8_t none = 0;
  if (!data) data = &none, size = 0;
  JpegErrorManager err{};
  std::vector<std::uint8_t> pixels;
  int width = 0, height = 0;
  switch (DecodeRows(data, size, err, &pixels, width, height)) {
    case Outcome::Failed:
      RaiseError("TBitmap", "DecodeJpeg", fileName + ": " + err.message);
    case Outcome::TooLarge:
      RaiseError("TBitmap", "DecodeJpeg", fileName + ": " + Format("Image of %dx%d is too large", width, height));
    case Outcome::TooLargeForFile:
      RaiseError("TBitmap", "DecodeJpeg",
                 fileName + ": " + Format("Image of %dx%d is too large for a file of %zu bytes", width, height, size));
    case Outcome::Decoded:
      break;
  }
  TBitmap bitmap;
  bitmap.width_ = width;
  bitmap.height_ = height;
  bitmap.bitsPerPixel_ = 24;
  bitmap.pixels_ = std::move(pixels);
  return bitmap;
}

}  // namespace velmora
