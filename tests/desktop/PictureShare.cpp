// velmora_picture_share FILE.ppm
//
// Prints the percentage (0..100) of the pixels of a binary PPM picture
// (grim -t ppm) that are greenish - green well above blue, blue above red:
// the water of "-water green" - for the tests that look at what a Wayland
// compositor shows. Exits with 1 for a file that is no binary PPM, 2 for a
// bad command line.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

// The next number of the header, after blanks and comments.
bool HeaderNumber(std::istream& in, long& value) {
  for (;;) {
    int c = in.peek();
    if (c == '#') {
      std::string comment;
      std::getline(in, comment);
    } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      in.get();
    } else {
      break;
    }
  }
  return static_cast<bool>(in >> value);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: velmora_picture_share FILE.ppm\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  std::string magic;
  long width = 0, height = 0, maximum = 0;
  if (!(in >> magic) || magic != "P6" || !HeaderNumber(in, width) || !HeaderNumber(in, height) ||
      !HeaderNumber(in, maximum) || width <= 0 || height <= 0 || maximum != 255) {
    std::fprintf(stderr, "velmora_picture_share: %s is no 8-bit binary PPM picture\n", argv[1]);
    return 1;
  }
  in.get();  // the one blank after the header
  std::vector<unsigned char> pixels(static_cast<size_t>(width * height * 3));
  if (!in.read(reinterpret_cast<char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()))) {
    std::fprintf(stderr, "velmora_picture_share: %s is cut short\n", argv[1]);
    return 1;
  }
  long greenish = 0;
  for (size_t i = 0; i < pixels.size(); i += 3) {
    const int r = pixels[i], g = pixels[i + 1], b = pixels[i + 2];
    if (g > b + 15 && b > r) ++greenish;
  }
  std::printf("%ld\n", greenish * 100 / (width * height));
  return 0;
}
