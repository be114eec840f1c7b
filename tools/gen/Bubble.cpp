// The bubble's picture: a round, glossy, translucent shell.
//
// The colour image is pale sky-white; the alpha image carries the look: a
// clear middle, a denser rim (the shell seen edge-on), a bright highlight
// toward the upper left where the light comes from and a faint crescent of
// reflected light on the lower right. The bubble mesh (a 100 x 100 square)
// maps the whole picture.
#include <cmath>

#include "tools/gen/Content.h"
#include "tools/gen/Draw.h"

namespace velmora::gen {

void MakeBubbleContent(TGenOutput& out) {
  const int size = 128;
  const double c = size / 2.0, radius = size / 2.0 - 3;
  TImage colour(size, size, 3), alpha(size, size, 1);
  const TRgb body = Bytes3(196, 232, 250), rim = Bytes3(236, 250, 255), white{1, 1, 1};
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      double dx = x + 0.5 - c, dy = y + 0.5 - c;
      double rho = std::hypot(dx, dy) / radius;
      // Inside the disc: thin middle, thick rim; outside: nothing.
      float edge = Clamp01(static_cast<float>((1.0 - rho) * radius + 0.5));
      float shell = 0.18f + 0.72f * std::pow(SmoothStep(0.55f, 1.0f, static_cast<float>(rho)), 1.6f);
      // A little more density toward the lower side, the shaded half.
      shell += 0.06f * static_cast<float>(dy / radius);
      alpha.At(x, y) = Clamp01(shell) * edge;
      colour.SetRgb(x, y, Mix(body, rim, SmoothStep(0.6f, 1.0f, static_cast<float>(rho))));
    }
  // Highlight: a soft oval toward the upper left with a hot core.
  TImage glow(size, size, 1);
  FillEllipse(glow, TVec2{c - radius * 0.38, c - radius * 0.42}, radius * 0.3, radius * 0.22, radius * 0.25);
  TImage core(size, size, 1);
  FillEllipse(core, TVec2{c - radius * 0.4, c - radius * 0.44}, radius * 0.12, radius * 0.08, 2.0);
  // Crescent of reflected light along the lower right of the rim.
  TImage crescent(size, size, 1);
  TPolygon arc;
  for (int k = 0; k <= 16; ++k) {
    double a = 0.15 + 1.1 * k / 16.0;
    arc.push_back(TVec2{c + std::cos(a) * radius * 0.8, c + std::sin(a) * radius * 0.8});
  }
  StrokePolyline(crescent, arc, 3.0, 1.0, 2.0);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      float g = glow.At(x, y), k = core.At(x, y), cr = crescent.At(x, y) * 0.6f;
      float lift = std::max(std::max(g * 0.8f, k), cr);
      alpha.At(x, y) = std::max(alpha.At(x, y), lift);
      colour.SetRgb(x, y, Mix(colour.Rgb(x, y), white, std::max(g, k)));
    }
  out.AddJpeg("bubble.jpg", colour, 85, TChroma::Full);
  out.AddJpeg("bubbleA.jpg", alpha, 90, TChroma::Full);
}

}  // namespace velmora::gen
