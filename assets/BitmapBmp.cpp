// The Windows bitmap reader of TBitmap.
//
// Layout (integers little-endian):
//   BITMAPFILEHEADER   14 bytes: "BM", file size, 2 reserved words, offset
//                      of the pixel data from the start of the file
//   header             its size first (4 bytes):
//                        12  BITMAPCOREHEADER: 16-bit width and height,
//                            planes, bit count; palette entries of 3 bytes
//                        40  BITMAPINFOHEADER: 32-bit signed width and
//                            height, planes, bit count, compression, image
//                            size, resolution x and y, colours used,
//                            colours important; palette entries of 4 bytes
//                        52, 56, 64, 108, 124: the same 40 bytes, then the
//                            colour masks and more we do not need
//   colour masks       for compression 3 (BI_BITFIELDS) and 6
//                      (BI_ALPHABITFIELDS) after a 40-byte header: 12 or
//                      16 bytes
//   palette            for 1, 4 and 8 bits: "colours used" entries (0: the
//                      bit count's full 2, 16 or 256), blue, green, red
//                      (and one unused byte)
//   pixel data         at the offset of the file header; rows of
//                      ceil(width * bits / 32) * 4 bytes, bottom row first
//                      for a positive height, top row first for a negative
//                      one; within a byte the leftmost pixel is in the
//                      highest bits; 24-bit pixels blue, green, red; 16-bit
//                      pixels 5-5-5 without masks
#include <cstring>

#include "assets/Bitmap.h"
#include "core/Error.h"
#include "core/Strings.h"

namespace velmora {

namespace {

constexpr std::uint32_t BiRgb = 0, BiBitfields = 3, BiAlphaBitfields = 6;

[[noreturn]] void Fail(const std::string& fileName, const std::string& text) {
  RaiseError("TBitmap", "DecodeBmp", fileName + ": " + text);
}

std::uint32_t U16(const std::uint8_t* p) { return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8; }
std::uint32_t U32(const std::uint8_t* p) { return U16(p) | U16(p + 2) << 16; }

// One colour channel described by a mask: where it starts and how many bits
// it has, scaled to 0..255 on reading.
struct Channel {
  int shift = 0;
  std::uint64_t max = 0;  // the largest value of the field; 0: no such channel

  explicit Channel(std::uint32_t mask) {
    if (mask == 0) return;
    while (!(mask & 1u)) {
      mask >>= 1;
      ++shift;
    }
    max = mask;  // the bits above the lowest set one, holes included
  }
  std::uint8_t Read(std::uint32_t pixel) const {
    if (max == 0) return 0;
    std::uint64_t v = (std::uint64_t(pixel) >> shift) & max;
    return std::uint8_t((v * 255 + max / 2) / max);
  }
};

struct Header {
  std::int64_t width = 0, height = 0;  // height made positive
  bool topDown = false;
  int bits = 0;
  std::uint32_t compression = BiRgb;
  std::uint32_t colorsUsed = 0;
  std::size_t paletteOffset = 0;
  int paletteEntrySize = 4;
  std::uint32_t masks[3] = {0, 0, 0};
  bool hasMasks = false;
};

Header ReadHeader(const std::uint8_t* data, std::size_t size, const std::string& fileName) {
  if (size < 2 || data[0] != 'B' || data[1] != 'M') Fail(fileName, "Not a bitmap file");
  if (size < 18) Fail(fileName, "File header is truncated");
  const std::uint32_t headerSize = U32(data + 14);
  Header h;
  if (headerSize != 12 && headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 64 &&
      headerSize != 108 && headerSize != 124)
    Fail(fileName, Format("Unknown header size %u", headerSize));
  if (size - 14 < headerSize) Fail(fileName, "Header is truncated");
  const std::uint8_t* p = data + 14;
  if (headerSize == 12) {
    h.width = U16(p + 4);
    h.height = U16(p + 6);
    h.bits = int(U16(p + 10));
    h.paletteEntrySize = 3;
  } else {
    h.width = std::int32_t(U32(p + 4));
    h.height = std::int32_t(U32(p + 8));
    h.bits = int(U16(p + 14));
    h.compression = U32(p + 16);
    h.colorsUsed = U32(p + 32);
  }
  if (h.height < 0) {
    h.height = -h.height;  // from a 32-bit value, so no overflow in 64 bits
    h.topDown = true;
  }
  h.paletteOffset = 14 + headerSize;
  if (h.compression == BiBitfields || h.compression == BiAlphaBitfields) {
    const std::uint8_t* m = p + 40;
    if (headerSize == 40) {
      // The masks follow the header and come before any palette.
      const std::size_t maskBytes = h.compression == BiAlphaBitfields ? 16 : 12;
      if (size - h.paletteOffset < maskBytes) Fail(fileName, "Colour masks are truncated");
      m = data + h.paletteOffset;
      h.paletteOffset += maskBytes;
    }
    for (int i = 0; i < 3; ++i) h.masks[i] = U32(m + 4 * i);
    h.hasMasks = true;
  }
  return h;
}

// Pixel data of 1, 4 or 8 bits into palette indices.
void ReadIndexed(const Header& h, const std::uint8_t* row, std::uint8_t* out) {
  const int bits = h.bits;
  const int perByte = 8 / bits;
  const std::uint8_t mask = std::uint8_t((1u << bits) - 1);
  for (std::int64_t x = 0; x < h.width; ++x) {
    const std::uint8_t byte = row[x / perByte];
    const int shift = 8 - bits * int(x % perByte + 1);
    out[x] = std::uint8_t((byte >> shift) & mask);
  }
}

// 16- and 32-bit pixels through their masks into red, green, blue.
void ReadMasked(const Header& h, const Channel (&channels)[3], const std::uint8_t* row, std::uint8_t* out) {
  const int bytes = h.bits / 8;
  for (std::int64_t x = 0; x < h.width; ++x) {
    const std::uint8_t* p = row + x * bytes;
    const std::uint32_t pixel = bytes == 2 ? U16(p) : U32(p);
    out[x * 3] = channels[0].Read(pixel);
    out[x * 3 + 1] = channels[1].Read(pixel);
    out[x * 3 + 2] = channels[2].Read(pixel);
  }
}

}  // namespace

TBitmap TBitmap::DecodeBmp(const std::uint8_t* data, std::size_t size, const std::string& fileName) {
  if (!data) size = 0;
  const Header h = ReadHeader(data, size, fileName);
  if (h.width <= 0 || h.height <= 0)
    Fail(fileName, Format("Invalid image size %lldx%lld", (long long)h.width, (long long)h.height));
  if (!ValidSize(h.width, h.height))
    Fail(fileName, Format("Image of %lldx%lld is too large", (long long)h.width, (long long)h.height));

  const bool indexed = (h.bits == 1 || h.bits == 4 || h.bits == 8) && h.compression == BiRgb;
  const bool plain24 = h.bits == 24 && h.compression == BiRgb;
  const bool masked = (h.bits == 16 || h.bits == 32) && (h.compression == BiRgb || h.hasMasks);
  if (!indexed && !plain24 && !masked) {
    // Run-length compressed, embedded JPEG or PNG, 2-bit and the like: the
    // size is known, the pixels are not decoded.
    return TBitmap(int(h.width), int(h.height), 0);
  }

  // Everything the pixels need must be in the file before anything is
  // allocated for them.
  const std::uint64_t stride = (std::uint64_t(h.width) * std::uint64_t(h.bits) + 31) / 32 * 4;
  const std::uint64_t offset = U32(data + 10);
  if (offset > size || stride * std::uint64_t(h.height) > size - offset)
    Fail(fileName, Format("Pixel data is truncated (%llu bytes needed at offset %llu, the file has %zu)",
                          (unsigned long long)(stride * std::uint64_t(h.height)), (unsigned long long)offset, size));

  TBitmap bitmap(int(h.width), int(h.height), indexed ? 8 : 24);
  if (indexed) {
    const std::uint32_t full = 1u << h.bits;
    const std::uint32_t entries = h.colorsUsed == 0 || h.colorsUsed > full ? full : h.colorsUsed;
    // The palette lies between the headers and the pixel data (or the end
    // of the file when the offset points back into the headers).
    const std::size_t limit = offset >= h.paletteOffset ? std::size_t(offset) : size;
    if (h.paletteOffset > limit || std::size_t(entries) * std::size_t(h.paletteEntrySize) > limit - h.paletteOffset)
      Fail(fileName, Format("Palette is truncated (%u entries expected)", entries));
    for (std::uint32_t i = 0; i < entries; ++i) {
      const std::uint8_t* e = data + h.paletteOffset + std::size_t(i) * std::size_t(h.paletteEntrySize);
      bitmap.palette_[i] = TBitmapColor{e[2], e[1], e[0]};
    }
  }

  const Channel channels[3] = {
      Channel(h.hasMasks ? h.masks[0] : h.bits == 16 ? 0x7C00u : 0xFF0000u),
      Channel(h.hasMasks ? h.masks[1] : h.bits == 16 ? 0x03E0u : 0x00FF00u),
      Channel(h.hasMasks ? h.masks[2] : h.bits == 16 ? 0x001Fu : 0x0000FFu),
  };
  for (std::int64_t y = 0; y < h.height; ++y) {
    const std::int64_t fileRow = h.topDown ? y : h.height - 1 - y;
    const std::uint8_t* row = data + offset + std::uint64_t(fileRow) * stride;
    std::uint8_t* out = bitmap.ScanLine(int(y));
    if (indexed) {
      if (h.bits == 8)
        std::memcpy(out, row, std::size_t(h.width));
      else
        ReadIndexed(h, row, out);
    } else if (plain24) {
      for (std::int64_t x = 0; x < h.width; ++x) {
        out[x * 3] = row[x * 3 + 2];
        out[x * 3 + 1] = row[x * 3 + 1];
        out[x * 3 + 2] = row[x * 3];
      }
    } else {
      ReadMasked(h, channels, row, out);
    }
  }
  return bitmap;
}

}  // namespace velmora
