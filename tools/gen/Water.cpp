// The water's pictures: caustic maps, light rays, the surface seen from
// below, the sea bottoms, and the background reef and rocks with their
// meshes.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tools/gen/Caustics.h"
#include "tools/gen/Content.h"
#include "tools/gen/Draw.h"
#include "tools/gen/GenRandom.h"
#include "tools/gen/MeshWriter.h"
#include "tools/gen/Noise.h"

namespace velmora::gen {

namespace {

constexpr double kPi = 3.141592653589793;

// Bright focal lines over a dark ground: ground + (1 - ground) * lines,
// lines rising steeply with the ray density and saturating.
TImage CausticPicture(const TImage& density, float ground, TRgb tint) {
  TImage out(density.Width(), density.Height(), 3);
  for (int y = 0; y < density.Height(); ++y)
    for (int x = 0; x < density.Width(); ++x) {
      float d = density.At(x, y);
      float lines = 1.0f - std::exp(-std::max(0.0f, d - 0.8f) * 1.1f);
      float floor = ground * (0.8f + 0.2f * std::min(d, 1.0f));
      float v = floor + (1.0f - floor) * lines;
      out.SetRgb(x, y, TRgb{v, v, v} * tint);
    }
  return out;
}

// Laid over the sea bottom and the background object (modulated, so the
// ground darkens and the lines keep the full brightness).
void CausticBack(TGenOutput& out) {
  TCausticSettings s;
  s.Width = s.Height = 256;
  s.Cycles = 5;
  s.Focus = 0.75;
  TImage density = CausticDensity(s, "caustback.jpg");
  density.BlurWrap(0.6);
  out.AddJpeg("caustback.jpg", CausticPicture(density, 0.55f, TRgb{0.97f, 1.0f, 1.0f}), 85, TChroma::Half);
}

// Laid over the fish: another pattern with a lighter ground, so that the
// fish keep their colours between the lines. The fish environment spreads
// the map five times as far along a fish's height (t = 0.0002 y) as along
// its length (s = 0.001 x), so the tile holds five times as many cells
// down as across: on the fish they come out round, about 300 units wide,
// instead of upright bands.
void CausticFish(TGenOutput& out) {
  TCausticSettings s;
  s.Width = 128;
  s.Height = 512;
  s.Aspect = 0.2;
  s.Cycles = 16;
  s.Focus = 0.75;
  TImage density = CausticDensity(s, "caustfish.jpg");
  density.BlurWrap(0.7);
  out.AddJpeg("caustfish.jpg", CausticPicture(density, 0.72f, TRgb{0.98f, 1.0f, 1.0f}), 82, TChroma::Half);
}

// The light map of the water surface seen from below: the same focusing of
// light, stretched 2.5 times across its grid, so the tile holds more cells
// across than deep.
void SurfaceLight(TGenOutput& out) {
  TCausticSettings s;
  s.Width = s.Height = 256;
  s.Aspect = 2.5;
  s.Cycles = 3;
  s.Focus = 0.8;
  TImage density = CausticDensity(s, "water.jpg");
  density.BlurWrap(0.8);
  TImage picture(256, 256, 3);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      float d = density.At(x, y);
      float lines = 1.0f - std::exp(-std::max(0.0f, d - 0.5f) * 0.8f);
      picture.SetRgb(x, y, Mix(Bytes3(70, 150, 190), Bytes3(245, 252, 255), 0.25f + 0.75f * lines));
    }
  out.AddJpeg("water.jpg", picture, 80, TChroma::Half);
}

// Light rays: soft streaks, slanted, fading at both ends, in the alpha
// image; the colour image is an almost even sunlit white. The rays' sheet
// samples a thin band of rows that moves down the picture with time, so a
// streak is a ray that appears, drifts sideways with the slant and fades.
void LightRays(TGenOutput& out) {
  const int size = 256;
  TGenRandom rng("caustlight.jpg");
  TImage sum(size, size, 1);
  for (int i = 0; i < 48; ++i) {
    double x0 = rng.Range(0, size), y0 = rng.Range(0, size);
    double length = rng.Range(60, 170);
    // Sunlight comes from one side: every ray leans the same way, a little
    // more or less.
    double slant = rng.Range(0.05, 0.2);
    double width = rng.Range(1.5, 7.0);
    double strength = rng.Range(0.5, 1.0) * (width < 3 ? 1.2 : 0.8);
    const int reach = static_cast<int>(std::ceil(width * 3 + std::abs(slant) * length)) + 2;
    for (int yy = 0; yy < static_cast<int>(length); ++yy) {
      double t = (yy + 0.5) / length;
      double fade = std::pow(std::sin(kPi * t), 1.6);
      double cx = x0 + slant * yy;
      int row = static_cast<int>(y0) + yy;
      for (int dx = -reach; dx <= reach; ++dx) {
        int col = static_cast<int>(std::floor(cx)) + dx;
        double d = (col + 0.5 - cx) / width;
        double v = strength * fade * std::exp(-d * d);
        if (v < 1e-3) continue;
        int px = ((col % size) + size) % size, py = ((row % size) + size) % size;
        sum.At(px, py) += static_cast<float>(v);
      }
    }
  }
  sum.BlurWrap(0.8);
  TImage alpha(size, size, 1);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) alpha.At(x, y) = 0.9f * (1.0f - std::exp(-sum.At(x, y) * 1.2f));
  TImage colour(size, size, 3);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      float n = static_cast<float>(PeriodicNoise(x / double(size), y / double(size), 4, 4, 11));
      colour.SetRgb(x, y, Mix(Bytes3(236, 248, 255), Bytes3(255, 252, 232), 0.5f + 0.5f * n));
    }
  out.AddJpeg("caustlight.jpg", colour, 75, TChroma::Half);
  out.AddJpeg("caustlightA.jpg", alpha, 85, TChroma::Full);
}

// The water surface seen from below: bright, rippled, the sky's light
// broken by the waves. Laid twice across and once deep over a grid about
// five times wider than deep, so the tile holds five times the cells
// across.
void Surface(TGenOutput& out) {
  const int size = 256;
  TImage picture(size, size, 3);
  const TRgb deep = Bytes3(40, 125, 175), lit = Bytes3(200, 238, 252), glint = Bytes3(255, 255, 255);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      double u = (x + 0.5) / size, v = (y + 0.5) / size;
      double swell = PeriodicFbm(u, v, 10, 2, 3, 21);
      double ripple = PeriodicFbm(u, v, 25, 5, 3, 22, 0.55);
      float h = static_cast<float>(0.55 * swell + 0.45 * ripple);
      TRgb c = Mix(deep, lit, SmoothStep(-0.55f, 0.45f, h));
      c = Mix(c, glint, SmoothStep(0.35f, 0.7f, h) * 0.8f);
      picture.SetRgb(x, y, c);
    }
  out.AddJpeg("surface.jpg", picture, 78, TChroma::Half);
}

// Sea bottoms, one per water colour. The bottom's texture repeats about
// 1.64 times as often across as in depth, so round things are drawn that
// much narrower.
struct TSandStyle {
  const char* Name;
  TRgb Light, Dark;     // ripple crests and troughs
  TRgb Patch;           // colour of the large blotches
  int Ripples;          // ripple crests per tile, in depth
  double Warp;          // how much the crests wander
  int Pebbles;
  TRgb PebbleA, PebbleB;
  int Shells;
  TRgb Water;           // the light of the water it lies in
};

void Sand(TGenOutput& out, const TSandStyle& st) {
  const int size = 512;
  const double squeeze = 1.0 / 1.64;
  TGenRandom rng(st.Name);
  const std::uint32_t seed = static_cast<std::uint32_t>(HashName(st.Name));
  // Height of the ripples and its slope for the shading.
  TImage height(size, size, 1);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      double u = (x + 0.5) / size, v = (y + 0.5) / size;
      double warp = st.Warp * PeriodicFbm(u, v, 3, 3, 3, seed);
      double phase = 2 * kPi * (st.Ripples * v + 2 * u) + warp * 2 * kPi;
      // Sharp crests, wide troughs.
      double crest = std::pow(0.5 + 0.5 * std::cos(phase), 2.5);
      double cross = 0.25 * std::pow(0.5 + 0.5 * std::cos(2 * kPi * (st.Ripples / 2 * u - 3 * v) + warp * 3), 3.0);
      height.At(x, y) = static_cast<float>(crest + cross);
    }
  TImage picture(size, size, 3);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      double u = (x + 0.5) / size, v = (y + 0.5) / size;
      float h = height.At(x, y);
      // Light from the far side: slopes facing the viewer (rising toward
      // smaller v) are lit.
      float slope = height.Wrap(x, y - 1) - height.Wrap(x, y + 1);
      float shade = 0.86f + 1.6f * slope + 0.10f * h;
      TRgb c = Mix(st.Dark, st.Light, Clamp01(0.35f + 0.65f * h)) * shade;
      float blotch = static_cast<float>(PeriodicFbm(u, v, 4, 4, 4, seed + 5));
      c = Mix(c, st.Patch * shade, SmoothStep(0.1f, 0.6f, blotch) * 0.5f);
      float grain = static_cast<float>((HashCell(x, y, seed + 9) & 0xFFFF) / 65535.0 - 0.5);
      c = c * (1.0f + 0.16f * grain);
      picture.SetRgb(x, y, c);
    }
  // Pebbles and shells, drawn with their copies across the edges so the
  // tile stays seamless.
  auto stamp = [&](TVec2 centre, double rx, double ry, TRgb colour, float shadow) {
    for (int oy = -1; oy <= 1; ++oy)
      for (int ox = -1; ox <= 1; ++ox) {
        TVec2 c{centre.X + ox * size, centre.Y + oy * size};
        if (c.X < -rx - 4 || c.X > size + rx + 4 || c.Y < -ry - 4 || c.Y > size + ry + 4) continue;
        TImage mask(size, size, 1);
        FillEllipse(mask, TVec2{c.X + 1.2, c.Y + 1.5}, rx * 1.1, ry * 1.1, 2.0);
        picture.Blend(mask, picture.Rgb(std::clamp(static_cast<int>(c.X), 0, size - 1), std::clamp(static_cast<int>(c.Y), 0, size - 1)) * 0.55f, shadow);
        TImage body(size, size, 1);
        FillEllipse(body, c, rx, ry, 1.0);
        picture.Blend(body, colour);
        TImage gleam(size, size, 1);
        FillEllipse(gleam, TVec2{c.X - rx * 0.3, c.Y - ry * 0.35}, rx * 0.45, ry * 0.4, 1.5);
        picture.Blend(gleam, Mix(colour, TRgb{1, 1, 1}, 0.35f), 0.6f);
      }
  };
  for (int i = 0; i < st.Pebbles; ++i) {
    double r = rng.Range(2.0, 6.5);
    stamp(TVec2{rng.Range(0, size), rng.Range(0, size)}, r * squeeze * rng.Range(0.8, 1.3), r * rng.Range(0.7, 1.0),
          Mix(st.PebbleA, st.PebbleB, static_cast<float>(rng.Float())), 0.5f);
  }
  for (int i = 0; i < st.Shells; ++i) {
    double r = rng.Range(2.5, 5.0);
    TRgb shell = Mix(Bytes3(250, 240, 230), Bytes3(240, 190, 180), static_cast<float>(rng.Float()));
    stamp(TVec2{rng.Range(0, size), rng.Range(0, size)}, r * squeeze, r * 0.8, shell, 0.35f);
  }
  picture.BlurWrap(0.45);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) picture.SetRgb(x, y, picture.Rgb(x, y) * st.Water);
  out.AddJpeg(std::string(st.Name), picture, 80, TChroma::Half);
}

// Colour bled from covered pixels into the uncovered ones around them, so
// that filtering at the silhouette's edge never mixes in a foreign colour.
void BleedColour(TImage& picture, const TImage& alpha) {
  TImage weighted(picture.Width(), picture.Height(), 3), weight = alpha;
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x) weighted.SetRgb(x, y, picture.Rgb(x, y) * alpha.At(x, y));
  weighted.BlurWrap(4);
  weight.BlurWrap(4);
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x) {
      float a = alpha.At(x, y), w = weight.At(x, y);
      if (a >= 0.99f || w < 1e-4f) continue;
      picture.SetRgb(x, y, Mix(weighted.Rgb(x, y) * (1.0f / w), picture.Rgb(x, y), a));
    }
}

// A silhouette standing on the sea floor far away: covered where
// `coverage` is, coloured from `tint` with a rim of light along its upper
// edges, darker toward its foot, and seen through the water's light.
TImage ShadeSilhouette(const TImage& coverage, const TImage& tint, TRgb rim, TRgb water, std::uint32_t seed) {
  const int w = coverage.Width(), h = coverage.Height();
  TImage picture(w, h, 3);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      // Open water above a pixel lights it.
      float open = 0;
      for (int k = 1; k <= 8; ++k) open += 1.0f - (y - k >= 0 ? coverage.At(x, y - k) : 0.0f);
      open /= 8;
      double u = (x + 0.5) / w, v = (y + 0.5) / h;
      float grain = static_cast<float>(PeriodicFbm(u, v, 16, 8, 4, seed));
      TRgb c = tint.Rgb(x, y) * (0.85f + 0.3f * grain);
      c = c * (0.7f + 0.3f * (1.0f - static_cast<float>(y) / h));
      c = Mix(c, rim, open * 0.55f) * water;
      picture.SetRgb(x, y, c);
    }
  BleedColour(picture, coverage);
  return picture;
}

// Coverage and a colour for each part of a silhouette, painted together.
struct TSilhouette {
  TImage Coverage, Tint;
  TSilhouette(int w, int h) : Coverage(w, h, 1), Tint(w, h, 3) {}
  // Paints a shape given by a coverage picture in one colour.
  void Paint(const TImage& shape, TRgb colour) {
    Tint.Blend(shape, colour);
    for (int y = 0; y < Coverage.Height(); ++y)
      for (int x = 0; x < Coverage.Width(); ++x) Coverage.At(x, y) = std::max(Coverage.At(x, y), shape.At(x, y));
  }
  // The same for a rounded mass lit from above: brighter on its upper side,
  // darker below (centre and radius in pixels; copies one width to either
  // side are lit alike).
  void PaintLit(const TImage& shape, TRgb colour, TVec2 centre, double radius) {
    const int w = Coverage.Width();
    for (int y = 0; y < Coverage.Height(); ++y)
      for (int x = 0; x < w; ++x) {
        float a = shape.At(x, y);
        if (a <= 0) continue;
        double dx = x + 0.5 - centre.X;
        if (dx > w / 2.0) dx -= w;
        if (dx < -w / 2.0) dx += w;
        double dy = y + 0.5 - centre.Y;
        float lit = Clamp01(static_cast<float>(0.5 - (0.35 * dx + 0.9 * dy) / radius * 0.6));
        Tint.SetRgb(x, y, Mix(Tint.Rgb(x, y), colour * (0.65f + 0.7f * lit), a));
        Coverage.At(x, y) = std::max(Coverage.At(x, y), a);
      }
  }
};

// Draws a shape three times, shifted by one width to either side, so that
// the silhouette continues across its left and right edges.
template <class F>
TImage Wrapped(int w, int h, F draw) {
  TImage shape(w, h, 1);
  for (int shift = -1; shift <= 1; ++shift) draw(shape, static_cast<double>(shift * w));
  return shape;
}

// A branching coral: capsules that fork and thin out.
void Branch(TImage& shape, TGenRandom& rng, TVec2 from, double angle, double length, double radius, int depth) {
  TVec2 to{from.X + std::sin(angle) * length, from.Y - std::cos(angle) * length};
  FillCapsule(shape, from, to, radius, radius * 0.75, 1.0);
  if (depth == 0) {
    FillCircle(shape, to, radius * 1.1, 1.0);
    return;
  }
  int forks = 2 + (rng.Float() < 0.3 ? 1 : 0);
  for (int i = 0; i < forks; ++i) {
    double spread = (i - (forks - 1) / 2.0) * rng.Range(0.35, 0.6);
    Branch(shape, rng, to, angle * 0.6 + spread, length * rng.Range(0.65, 0.85), radius * 0.72, depth - 1);
  }
}

// The ridge of the reef: its height (pixels from the bottom) at column x.
double RidgeHeight(double x, int w, int h, double base, std::uint32_t seed) {
  double u = x / w;
  return h * (base + 0.07 * std::sin(2 * kPi * u + 1.3) + 0.05 * std::sin(2 * kPi * 3 * u + 0.4) +
              0.06 * PeriodicFbm(u, 0.5, 9, 1, 3, seed));
}

TImage Reef(TGenOutput& out) {
  const int w = 512, h = 256;
  const double base = 0.24;
  TGenRandom rng("reef.jpg");
  const std::uint32_t seed = 41;
  TSilhouette reef(w, h);
  const TRgb rock = Bytes3(58, 96, 114);
  reef.Tint.FillRgb(rock);
  auto ridgeTop = [&](double x) { return h - RidgeHeight(x, w, h, base, seed); };
  TImage ridge(w, h, 1);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) ridge.At(x, y) = Clamp01(static_cast<float>(y + 0.5 - ridgeTop(x + 0.5) + 0.5));
  reef.Paint(ridge, rock);
  // Pinnacles: rock towers of stacked, narrowing lumps.
  for (int i = 0; i < 5; ++i) {
    double x = (i + rng.Range(0.1, 0.9)) * w / 5, tall = rng.Range(50, 100), r = rng.Range(18, 26);
    double foot = ridgeTop(x) + 10;
    TRgb c = Mix(rock, Bytes3(78, 104, 122), static_cast<float>(rng.Float()));
    for (int k = 0; k < 7; ++k) {
      double t = k / 6.0, cx = x + rng.Range(-4, 4), cy = foot - tall * t, rr = r * (1.0 - 0.5 * t);
      reef.PaintLit(Wrapped(w, h, [&](TImage& s, double dx) { FillEllipse(s, TVec2{cx + dx, cy}, rr * 1.2, rr, 1.0); }), c,
                    TVec2{cx, cy}, rr);
    }
  }
  // Boulders and coral heads along the ridge.
  for (int i = 0; i < 16; ++i) {
    double x = rng.Range(0, w), r = rng.Range(14, 34);
    double cy = ridgeTop(x) + r * 0.2;
    TRgb c = Mix(rock, Bytes3(84, 100, 126), static_cast<float>(rng.Float()));
    reef.PaintLit(Wrapped(w, h, [&](TImage& s, double dx) { FillEllipse(s, TVec2{x + dx, cy}, r * 1.3, r, 1.0); }), c,
                  TVec2{x, cy}, r);
  }
  // Sea fans: flat half-discs of criss-crossed lattice on a short stem.
  for (int i = 0; i < 4; ++i) {
    double x = rng.Range(0, w), r = rng.Range(30, 44);
    double foot = ridgeTop(x) + 6;
    TImage fan = Wrapped(w, h, [&](TImage& s, double dx) {
      TPolygon half;
      for (int k = 0; k <= 24; ++k) {
        double a = kPi * k / 24;
        half.push_back(TVec2{x + dx + std::cos(a) * r * 1.1, foot - 8 - std::sin(a) * r * 1.25});
      }
      FillPolygon(s, half, 1.5);
      FillCapsule(s, TVec2{x + dx, foot + 4}, TVec2{x + dx, foot - 10}, 3, 2.5, 1.0);
    });
    for (int y = 0; y < h; ++y)
      for (int xx = 0; xx < w; ++xx) {
        double a = std::sin((xx + y) * 0.55), b = std::sin((xx - y) * 0.55);
        float net = (std::abs(a) < 0.35 || std::abs(b) < 0.35) ? 1.0f : 0.5f;
        fan.At(xx, y) *= net;
      }
    reef.Paint(fan, Mix(Bytes3(104, 84, 128), Bytes3(120, 96, 110), static_cast<float>(rng.Float())));
  }
  // Branching corals.
  for (int i = 0; i < 8; ++i) {
    double x = rng.Range(0, w);
    double foot = ridgeTop(x) + 8;
    double length = rng.Range(18, 28), radius = rng.Range(4.0, 5.5);
    std::uint64_t branchSeed = HashName("reef branch") + static_cast<std::uint64_t>(i);
    TRgb c = Mix(Bytes3(96, 92, 126), Bytes3(110, 108, 96), static_cast<float>(rng.Float()));
    reef.Paint(Wrapped(w, h,
                       [&](TImage& s, double dx) {
                         TGenRandom branchRng(branchSeed);
                         Branch(s, branchRng, TVec2{x + dx, foot}, 0.0, length, radius, 3);
                       }),
               c);
  }
  // Table corals: flat plates on short stems.
  for (int i = 0; i < 3; ++i) {
    double x = rng.Range(0, w), r = rng.Range(30, 44);
    double foot = ridgeTop(x) + 4;
    double plate = foot - rng.Range(22, 34);
    reef.PaintLit(Wrapped(w, h,
                          [&](TImage& s, double dx) {
                            FillCapsule(s, TVec2{x + dx, foot}, TVec2{x + dx, plate}, 6, 4, 1.0);
                            FillEllipse(s, TVec2{x + dx, plate}, r, 6, 1.0);
                          }),
                  Bytes3(88, 110, 120), TVec2{x, plate}, 10);
  }
  // Swaying weeds.
  for (int i = 0; i < 9; ++i) {
    double x = rng.Range(0, w), tall = rng.Range(40, 80), phase = rng.Range(0, 6.28);
    double foot = ridgeTop(x) + 4;
    TPolygon stem;
    for (int k = 0; k <= 8; ++k) stem.push_back(TVec2{x + 6 * std::sin(phase + k * 0.7), foot - tall * k / 8});
    reef.Paint(Wrapped(w, h, [&](TImage& s, double dx) {
                 TPolygon moved = stem;
                 for (TVec2& p : moved) p.X += dx;
                 StrokePolyline(s, moved, 2.6, 1.2, 1.0);
               }),
               Bytes3(60, 112, 100));
  }
  TImage picture = ShadeSilhouette(reef.Coverage, reef.Tint, Bytes3(130, 185, 200), TRgb{1.55f, 1.7f, 1.85f}, seed + 1);
  out.AddJpeg("reef.jpg", picture, 80, TChroma::Half);
  out.AddJpeg("reefA.jpg", reef.Coverage, 88, TChroma::Full);
  return reef.Coverage;
}

// Rocks with water plants, for the green water.
TImage Rocks(TGenOutput& out) {
  const int w = 512, h = 256;
  TGenRandom rng("rocks.jpg");
  const std::uint32_t seed = 73;
  TSilhouette rocks(w, h);
  const TRgb stone = Bytes3(70, 84, 72);
  rocks.Tint.FillRgb(stone);
  TImage ridge(w, h, 1);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) ridge.At(x, y) = Clamp01(static_cast<float>(y + 0.5 - (h - RidgeHeight(x + 0.5, w, h, 0.18, seed)) + 0.5));
  rocks.Paint(ridge, stone);
  // Boulders: rounded, overlapping, of several greys.
  for (int i = 0; i < 16; ++i) {
    double x = rng.Range(0, w), r = rng.Range(16, 48);
    double top = h - RidgeHeight(x, w, h, 0.18, seed);
    TRgb c = Mix(Bytes3(62, 74, 70), Bytes3(92, 98, 84), static_cast<float>(rng.Float()));
    double squash = rng.Range(0.6, 0.9), cy = top - r * squash * 0.3;
    rocks.PaintLit(Wrapped(w, h, [&](TImage& s, double dx) { FillEllipse(s, TVec2{x + dx, cy}, r * 1.2, r * squash, 1.0); }), c,
                   TVec2{x, cy}, r * squash);
  }
  // Reeds and ribbon weed: long thin blades swaying to one side.
  for (int i = 0; i < 40; ++i) {
    double x = rng.Range(0, w), tall = rng.Range(50, 130), lean = rng.Range(-18, 30);
    double top = h - RidgeHeight(x, w, h, 0.18, seed) + 6;
    TPolygon blade;
    for (int k = 0; k <= 10; ++k) {
      double t = k / 10.0;
      blade.push_back(TVec2{x + lean * t * t + 3 * std::sin(t * 5 + i), top - tall * t});
    }
    TRgb c = Mix(Bytes3(60, 104, 58), Bytes3(96, 130, 70), static_cast<float>(rng.Float()));
    rocks.Paint(Wrapped(w, h, [&](TImage& s, double dx) {
                  TPolygon moved = blade;
                  for (TVec2& p : moved) p.X += dx;
                  StrokePolyline(s, moved, 2.6, 0.8, 1.0);
                }),
                c);
  }
  // Bushy plants: clusters of small leaves.
  for (int i = 0; i < 6; ++i) {
    double x = rng.Range(0, w), r = rng.Range(16, 30);
    double top = h - RidgeHeight(x, w, h, 0.18, seed);
    TImage bush(w, h, 1);
    for (int k = 0; k < 40; ++k) {
      double a = rng.Range(-kPi * 0.5, kPi * 0.5), d = rng.Range(0, r);
      double lx = x + std::sin(a) * d * 1.3, ly = top - std::cos(a) * d - r * 0.3;
      double lr = rng.Range(3, 6);
      for (int shift = -1; shift <= 1; ++shift) FillEllipse(bush, TVec2{lx + shift * w, ly}, lr * 1.4, lr * 0.7, 1.0);
    }
    rocks.Paint(bush, Bytes3(58, 100, 58));
  }
  TImage picture = ShadeSilhouette(rocks.Coverage, rocks.Tint, Bytes3(150, 180, 130), TRgb{1.5f, 1.75f, 1.6f}, seed + 1);
  out.AddJpeg("rocks.jpg", picture, 80, TChroma::Half);
  out.AddJpeg("rocksA.jpg", rocks.Coverage, 88, TChroma::Full);
  return rocks.Coverage;
}

// The background's mesh: a slab standing on the sea floor (y = -3000)
// around z = -9000, 12600 wide so that the three copies the water draws at
// x = -12600, 0 and 12600 join without a gap, facing the viewer. It leans
// back (its foot at z = -8200, its top at -9800), as a reef's slope does:
// the water lays its caustic map over it by t = 0.0002 y - 0.0004 z and
// s = 0.0004 x, and on an upright slab the caustic cells would come out
// twice as tall as wide; leaning back by half its height makes them round.
//
// Most of the picture above the ridge is clear, and every clear pixel the
// slab covers still costs a blended, alpha-tested fetch. So the slab is cut
// into columns on the same plane, each only as tall as its picture shows
// something: its top lies kBackgroundMargin texels above the highest texel
// that is not clear within the column and as many texels to either side,
// rounded up to a step of kBackgroundStep texels. The margin takes in the
// JPEG blocks' ringing, the compressed blocks, the bilinear footprint and
// the first mipmap levels, none of which can then bring a texel over the
// alpha test into the part left out. A column's side holds its neighbour's
// top where that is lower, so the columns meet at shared corners without
// cracks (the neighbours wrap, as the copies stand side by side). Few
// columns: llvmpipe pays for every triangle it sets up.
constexpr int kBackgroundColumns = 16, kBackgroundStep = 16, kBackgroundMargin = 16;

// The height of a background column, in steps from the foot (0: nothing
// shown). The picture's row 0 is its top; it wraps across, not up and down.
int BackgroundColumnSteps(const TImage& coverage, int column) {
  const int w = coverage.Width(), h = coverage.Height();
  const int x0 = column * w / kBackgroundColumns - kBackgroundMargin;
  const int x1 = (column + 1) * w / kBackgroundColumns + kBackgroundMargin;
  for (int y = 0; y < h; ++y)
    for (int x = x0; x < x1; ++x)
      if (coverage.Wrap(x, y) > 0) {
        const int texels = std::min(h, h - y + kBackgroundMargin);
        return (texels + kBackgroundStep - 1) / kBackgroundStep;
      }
  return 0;
}

void BackgroundMesh(TGenOutput& out, const std::string& name, const std::string& picture, const TImage& coverage) {
  TGenMesh mesh;
  TGenMaterial m;
  m.Name = name;
  m.Ambient = {255, 255, 255};
  m.Diffuse = {255, 255, 255};
  m.DiffuseMap = picture + ".jpg";
  m.OpacityMap = picture + "A.jpg";
  mesh.Materials.push_back(m);
  TGenObject slab;
  slab.Name = name;
  slab.Material = name;
  const double left = -6300, right = 6300, bottom = -3000, top = 150, foot = -8200, crest = -9800;
  const int steps = (coverage.Height() + kBackgroundStep - 1) / kBackgroundStep;
  std::vector<int> heights(kBackgroundColumns);
  for (int i = 0; i < kBackgroundColumns; ++i) heights[i] = BackgroundColumnSteps(coverage, i);
  // Corner (i, j): i columns from the left, j steps up from the foot.
  std::map<std::pair<int, int>, int> corners;
  auto corner = [&](int i, int j) {
    auto found = corners.find({i, j});
    if (found != corners.end()) return found->second;
    const double u = double(i) / kBackgroundColumns, v = double(j) / steps;
    const int index =
        slab.Add(TVec3{left + (right - left) * u, bottom + (top - bottom) * v, foot + (crest - foot) * v}, u, v);
    corners[{i, j}] = index;
    return index;
  };
  for (int i = 0; i < kBackgroundColumns; ++i) {
    const int height = heights[i];
    if (height == 0) continue;
    // The heights on either side where a corner lies: the foot, a lower
    // neighbour's top, this column's top.
    auto side = [&](int neighbour) {
      std::vector<int> at{0};
      const int other = heights[(neighbour + kBackgroundColumns) % kBackgroundColumns];
      if (other > 0 && other < height) at.push_back(other);
      at.push_back(height);
      return at;
    };
    const std::vector<int> leftSide = side(i - 1), rightSide = side(i + 1);
    std::size_t l = 0, r = 0;
    while (l + 1 < leftSide.size() || r + 1 < rightSide.size()) {
      const bool rightUp = l + 1 == leftSide.size() || (r + 1 < rightSide.size() && rightSide[r + 1] <= leftSide[l + 1]);
      const int a = corner(i, leftSide[l]), b = corner(i + 1, rightSide[r]);
      if (rightUp) {
        const int c = corner(i + 1, rightSide[++r]);
        slab.Triangle(a, b, c);
      } else {
        const int c = corner(i, leftSide[++l]);
        slab.Triangle(a, b, c);
      }
    }
  }
  mesh.Objects.push_back(slab);
  out.AddMesh(picture + ".3dm", mesh);
}

}  // namespace

void MakeWaterContent(TGenOutput& out) {
  CausticBack(out);
  CausticFish(out);
  SurfaceLight(out);
  LightRays(out);
  Surface(out);
  Sand(out, TSandStyle{"SandBlue.jpg", Bytes3(238, 228, 204), Bytes3(196, 184, 160), Bytes3(214, 206, 186), 11, 0.35, 40,
                       Bytes3(150, 146, 140), Bytes3(205, 196, 180), 22, TRgb{0.76f, 0.9f, 1.0f}});
  Sand(out, TSandStyle{"SandAqua.jpg", Bytes3(244, 236, 214), Bytes3(204, 192, 164), Bytes3(232, 222, 196), 9, 0.45, 30,
                       Bytes3(170, 160, 140), Bytes3(220, 208, 186), 60, TRgb{0.78f, 0.95f, 0.97f}});
  Sand(out, TSandStyle{"SandGreen.jpg", Bytes3(196, 186, 146), Bytes3(146, 136, 100), Bytes3(140, 140, 96), 7, 0.6, 140,
                       Bytes3(110, 112, 104), Bytes3(170, 160, 140), 0, TRgb{0.84f, 1.0f, 0.88f}});
  const TImage reef = Reef(out);
  const TImage rocks = Rocks(out);
  BackgroundMesh(out, "Reef", "reef", reef);
  BackgroundMesh(out, "Rocks", "rocks", rocks);
}

}  // namespace velmora::gen
