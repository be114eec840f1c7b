#include "tools/gen/Jpeg.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <jpeglib.h>

#include "core/Error.h"

namespace velmora::gen {

namespace {

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

extern "C" void GenJpegErrorExit(j_common_ptr info) {
  auto* err = reinterpret_cast<ErrorManager*>(info->err);
  (*info->err->format_message)(info, err->message);
  std::longjmp(err->jump, 1);
}

}  // namespace

std::vector<std::uint8_t> EncodeJpeg(const TImage& picture, int quality, TChroma chroma) {
  const int channels = picture.Channels();
  if (channels != 1 && channels != 3) RaiseError("TJpegWriter", "Encode", "only grey or RGB pictures are written");
  // Grey pictures are widened to RGB before libjpeg sees them.
  std::vector<std::uint8_t> samples = picture.Bytes();
  if (channels == 1) {
    std::vector<std::uint8_t> rgb(samples.size() * 3);
    for (std::size_t i = 0; i < samples.size(); ++i) rgb[3 * i] = rgb[3 * i + 1] = rgb[3 * i + 2] = samples[i];
    samples.swap(rgb);
  }

  jpeg_compress_struct cinfo;
  ErrorManager err;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = GenJpegErrorExit;
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    RaiseError("TJpegWriter", "Encode", err.message);
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(picture.Width());
  cinfo.image_height = static_cast<JDIMENSION>(picture.Height());
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  cinfo.optimize_coding = TRUE;
  cinfo.dct_method = JDCT_ISLOW;
  const int factor = chroma == TChroma::Full ? 1 : 2;
  cinfo.comp_info[0].h_samp_factor = factor;
  cinfo.comp_info[0].v_samp_factor = factor;
  cinfo.comp_info[1].h_samp_factor = cinfo.comp_info[1].v_samp_factor = 1;
  cinfo.comp_info[2].h_samp_factor = cinfo.comp_info[2].v_samp_factor = 1;
  jpeg_start_compress(&cinfo, TRUE);
  const std::size_t stride = static_cast<std::size_t>(picture.Width()) * 3;
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = samples.data() + cinfo.next_scanline * stride;
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::vector<std::uint8_t> out(buffer, buffer + size);
  jpeg_destroy_compress(&cinfo);
  std::free(buffer);
  return out;
}

}  // namespace velmora::gen
