// velmora_screen_picture DISPLAY X Y WIDTH HEIGHT
//
// Writes the part of the screen of DISPLAY at (X, Y) of WIDTH x HEIGHT, as
// it shows (windows on top included), to standard output as a binary PPM
// picture, for the tests that look at what an X11 display shows with
// velmora_picture_share. Exits with 1 when the display cannot be opened or
// read, 2 for a bad command line.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// Errors (a part outside the screen) make the read fail instead of ending
// the program.
bool g_failed = false;
int RecordError(Display*, XErrorEvent*) {
  g_failed = true;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: velmora_screen_picture DISPLAY X Y WIDTH HEIGHT\n");
    return 2;
  }
  const int x = std::atoi(argv[2]), y = std::atoi(argv[3]);
  const int width = std::atoi(argv[4]), height = std::atoi(argv[5]);
  if (width <= 0 || height <= 0) {
    std::fprintf(stderr, "velmora_screen_picture: the size must be positive\n");
    return 2;
  }
  Display* display = XOpenDisplay(argv[1]);
  if (!display) {
    std::fprintf(stderr, "velmora_screen_picture: cannot open display %s\n", argv[1]);
    return 1;
  }
  XSetErrorHandler(RecordError);
  const int screen = DefaultScreen(display);
  XImage* image = XGetImage(display, RootWindow(display, screen), x, y, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), AllPlanes, ZPixmap);
  XSync(display, False);
  if (!image || g_failed) {
    std::fprintf(stderr, "velmora_screen_picture: cannot read the screen at %d,%d %dx%d\n", x, y, width, height);
    if (image) XDestroyImage(image);
    XCloseDisplay(display);
    return 1;
  }
  std::vector<unsigned char> pixels;
  pixels.reserve(static_cast<size_t>(width) * height * 3);
  for (int row = 0; row < height; ++row)
    for (int column = 0; column < width; ++column) {
      const unsigned long p = XGetPixel(image, column, row);
      pixels.push_back(static_cast<unsigned char>((p >> 16) & 0xFF));
      pixels.push_back(static_cast<unsigned char>((p >> 8) & 0xFF));
      pixels.push_back(static_cast<unsigned char>(p & 0xFF));
    }
  XDestroyImage(image);
  XCloseDisplay(display);
  std::printf("P6\n%d %d\n255\n", width, height);
  std::fwrite(pixels.data(), 1, pixels.size(), stdout);
  return 0;
}
