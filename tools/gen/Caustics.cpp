#include "tools/gen/Caustics.h"

#include <cmath>
#include <vector>

#include "tools/gen/GenRandom.h"

namespace velmora::gen {

namespace {

constexpr double kTwoPi = 6.283185307179586;

struct TWave {
  double Kx, Ky;  // radians per world unit
  double A, Phase;
};

}  // namespace

TImage CausticDensity(const TCausticSettings& s, std::string_view seed) {
  TGenRandom rng(seed);
  std::vector<TWave> waves;
  while (static_cast<int>(waves.size()) < s.Waves) {
    double angle = rng.Range(0, kTwoPi);
    double k = s.Cycles * rng.Range(0.55, 1.6);
    // Whole cycles across the tile in both directions keep it periodic.
    double nx = std::round(k * std::cos(angle) * s.Aspect), ny = std::round(k * std::sin(angle));
    if (nx == 0 && ny == 0) continue;
    double kx = kTwoPi * nx / s.Aspect, ky = kTwoPi * ny;
    double kk = kx * kx + ky * ky;
    // Slopes fall with the wave number like a wind-sea spectrum; curvature
    // (what focuses the light) then stays even across the waves.
    waves.push_back(TWave{kx, ky, rng.Range(0.5, 1.0) / kk, rng.Range(0, kTwoPi)});
  }

  const int mx = s.Width * s.Supersample, my = s.Height * s.Supersample;
  std::vector<double> gx(static_cast<std::size_t>(mx) * static_cast<std::size_t>(my));
  std::vector<double> gy(gx.size());
  double curvature = 0;
  for (int j = 0; j < my; ++j) {
    double y = (j + 0.5) / my;
    for (int i = 0; i < mx; ++i) {
      double x = (i + 0.5) / mx * s.Aspect;
      double dx = 0, dy = 0, hxx = 0, hyy = 0;
      for (const TWave& w : waves) {
        double t = w.Kx * x + w.Ky * y + w.Phase;
        double sn = std::sin(t), cs = std::cos(t);
        dx -= w.A * w.Kx * sn;
        dy -= w.A * w.Ky * sn;
        hxx -= w.A * w.Kx * w.Kx * cs;
        hyy -= w.A * w.Ky * w.Ky * cs;
      }
      std::size_t n = static_cast<std::size_t>(j) * static_cast<std::size_t>(mx) + static_cast<std::size_t>(i);
      gx[n] = dx;
      gy[n] = dy;
      curvature += 0.5 * (hxx * hxx + hyy * hyy);
    }
  }
  curvature = std::sqrt(curvature / static_cast<double>(gx.size()));
  const double depth = s.Focus / curvature;

  TImage density(s.Width, s.Height, 1);
  const float weight = 1.0f / static_cast<float>(s.Supersample * s.Supersample);
  auto add = [&](int px, int py, float v) {
    px %= s.Width;
    py %= s.Height;
    if (px < 0) px += s.Width;
    if (py < 0) py += s.Height;
    density.At(px, py) += v;
  };
  for (int j = 0; j < my; ++j) {
    for (int i = 0; i < mx; ++i) {
      std::size_t n = static_cast<std::size_t>(j) * static_cast<std::size_t>(mx) + static_cast<std::size_t>(i);
      // Landing point in picture pixels (pixel centres at k + 0.5).
      double x = (i + 0.5) / s.Supersample + depth * gx[n] / s.Aspect * s.Width;
      double y = (j + 0.5) / s.Supersample + depth * gy[n] * s.Height;
      double fx = x - 0.5, fy = y - 0.5;
      double x0 = std::floor(fx), y0 = std::floor(fy);
      float tx = static_cast<float>(fx - x0), ty = static_cast<float>(fy - y0);
      int ix = static_cast<int>(x0), iy = static_cast<int>(y0);
      add(ix, iy, weight * (1 - tx) * (1 - ty));
      add(ix + 1, iy, weight * tx * (1 - ty));
      add(ix, iy + 1, weight * (1 - tx) * ty);
      add(ix + 1, iy + 1, weight * tx * ty);
    }
  }
  return density;
}

}  // namespace velmora::gen
