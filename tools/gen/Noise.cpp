#include "tools/gen/Noise.h"

#include <cmath>

#include "tools/gen/GenRandom.h"

namespace velmora::gen {

namespace {

int Mod(int a, int n) {
  int r = a % n;
  return r < 0 ? r + n : r;
}

double Fade(double t) { return t * t * t * (t * (t * 6 - 15) + 10); }

double Corner(int ix, int iy, double dx, double dy, std::uint32_t seed) {
  std::uint32_t h = HashCell(ix, iy, seed);
  double angle = (h & 0xFFFFu) * (6.283185307179586 / 65536.0);
  return std::cos(angle) * dx + std::sin(angle) * dy;
}

}  // namespace

double PeriodicNoise(double u, double v, int cellsX, int cellsY, std::uint32_t seed) {
  double x = u * cellsX, y = v * cellsY;
  double fx = std::floor(x), fy = std::floor(y);
  int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
  double dx = x - fx, dy = y - fy;
  int x0 = Mod(ix, cellsX), x1 = Mod(ix + 1, cellsX);
  int y0 = Mod(iy, cellsY), y1 = Mod(iy + 1, cellsY);
  double a = Corner(x0, y0, dx, dy, seed), b = Corner(x1, y0, dx - 1, dy, seed);
  double c = Corner(x0, y1, dx, dy - 1, seed), d = Corner(x1, y1, dx - 1, dy - 1, seed);
  double sx = Fade(dx), sy = Fade(dy);
  // Gradient noise of unit gradients stays within about +-0.71; scale to +-1.
  return ((a + (b - a) * sx) * (1 - sy) + (c + (d - c) * sx) * sy) * 1.41;
}

double PeriodicFbm(double u, double v, int cellsX, int cellsY, int octaves, std::uint32_t seed, double gain) {
  double sum = 0, weight = 1, total = 0;
  for (int o = 0; o < octaves; ++o) {
    sum += weight * PeriodicNoise(u, v, cellsX << o, cellsY << o, seed + 977u * static_cast<std::uint32_t>(o));
    total += weight;
    weight *= gain;
  }
  return sum / total;
}

TCellular PeriodicCells(double u, double v, int cellsX, int cellsY, std::uint32_t seed) {
  double x = u * cellsX, y = v * cellsY;
  int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
  TCellular out;
  out.F1 = out.F2 = 1e9;
  for (int j = -2; j <= 2; ++j)
    for (int i = -2; i <= 2; ++i) {
      int cx = ix + i, cy = iy + j;
      std::uint32_t h = HashCell(Mod(cx, cellsX), Mod(cy, cellsY), seed);
      double px = cx + ((h & 0xFFFFu) / 65536.0) * 0.8 + 0.1;
      double py = cy + ((h >> 16) / 65536.0) * 0.8 + 0.1;
      double d = std::hypot(px - x, py - y);
      if (d < out.F1) {
        out.F2 = out.F1;
        out.F1 = d;
        out.Id = h;
      } else if (d < out.F2) {
        out.F2 = d;
      }
    }
  return out;
}

}  // namespace velmora::gen
