// velmora_screen_pixel DISPLAY [X Y]
//
// Prints the colour on the screen of DISPLAY at (X, Y) - the centre when no
// position is given - as six hexadecimal digits RRGGBB, for the tests that
// look at what a screen-saver daemon shows. Exits with 1 when the display
// cannot be opened or read, 2 for a bad command line.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Errors (a screen that changes while it is read) make the read fail
// instead of ending the program.
bool g_failed = false;
int RecordError(Display*, XErrorEvent*) {
  g_failed = true;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 4) {
    std::fprintf(stderr, "usage: velmora_screen_pixel DISPLAY [X Y]\n");
    return 2;
  }
  Display* display = XOpenDisplay(argv[1]);
  if (!display) {
    std::fprintf(stderr, "velmora_screen_pixel: cannot open display %s\n", argv[1]);
    return 1;
  }
  XSetErrorHandler(RecordError);
  int screen = DefaultScreen(display);
  int x = DisplayWidth(display, screen) / 2, y = DisplayHeight(display, screen) / 2;
  if (argc == 4) {
    x = std::atoi(argv[2]);
    y = std::atoi(argv[3]);
  }
  XImage* image = XGetImage(display, RootWindow(display, screen), x, y, 1, 1, AllPlanes, ZPixmap);
  XSync(display, False);
  if (!image || g_failed) {
    std::fprintf(stderr, "velmora_screen_pixel: cannot read the screen at %d,%d\n", x, y);
    XCloseDisplay(display);
    return 1;
  }
  unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
  XDestroyImage(image);
  XCloseDisplay(display);
  std::printf("%06lX\n", pixel);
  return 0;
}
