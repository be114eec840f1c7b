// velmora: the program's entry point.
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("Velmora 1.0\n");
    return 0;
  }
  std::printf("Velmora: nothing to show yet\n");
  return 0;
}
