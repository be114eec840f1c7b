// JPEG encoding of generated pictures (libjpeg-turbo).
//
// Every picture is written as a three-component (YCbCr) baseline JPEG, even
// a grey one, so that readers that only take colour images read them all
// alike. Full chroma resolution (4:4:4) is for alpha images and pictures
// with small coloured detail (sprites, fish markings); 4:2:0 for the rest.
// The encoder stores no time or other varying data: the same picture and
// settings give the same bytes.
//
// Raises "TJpegWriter.Encode error: ..." when libjpeg reports an error.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/gen/Image.h"

namespace velmora::gen {

enum class TChroma { Full, Half };

std::vector<std::uint8_t> EncodeJpeg(const TImage& picture, int quality, TChroma chroma);

}  // namespace velmora::gen
