// The fish of both environments: shapes (outline of the body, fins as seen
// swimming) and markings. Coordinates are fractions of the fish's length:
// x from -0.5 (tail tip) to 0.5 (nose), y up from the body's centre line;
// s runs along the body from the tail base (0) to the nose (1), t across it
// from the belly's outline (0) to the back's (1).
#include <algorithm>
#include <cmath>

#include "tools/gen/Fish.h"
#include "tools/gen/GenRandom.h"

namespace velmora::gen {

namespace {

constexpr double kPi = 3.141592653589793;

// Positions on a species' body outline, to hang the fins on.
struct TOutline {
  double Start;
  TCurve Top, Bottom;
  double X(double s) const { return Start + s * (0.5 - Start); }
  double Up(double s) const { return Top.At(s); }
  double Down(double s) const { return Bottom.At(s); }
  double Mid(double s) const { return 0.5 * (Top.At(s) + Bottom.At(s)); }
  // Fish coordinates of (s, t).
  TVec2 At(double s, double t) const { return TVec2{X(s), Down(s) + t * (Up(s) - Down(s))}; }
};

TSpecies Begin(const char* name, const char* title, double length, const TOutline& o) {
  TSpecies sp;
  sp.Name = name;
  sp.Title = title;
  sp.Length = length;
  sp.BodyStart = o.Start;
  sp.Top = o.Top;
  sp.Bottom = o.Bottom;
  return sp;
}

// A fin along the back (or the belly, with below set) between s0 (front)
// and s1 (rear), rising `height` beyond the outline; `rake` pushes its tip
// backward. The base lies a little inside the body.
TPolygon BackFin(const TOutline& o, double s0, double s1, double height, double rake, bool below, double rearHeight = -1) {
  if (rearHeight < 0) rearHeight = height * 0.35;
  const double sign = below ? -1 : 1;
  auto edge = [&](double s) { return below ? o.Down(s) : o.Up(s); };
  TPolygon p;
  p.push_back(TVec2{o.X(s0), edge(s0) - sign * 0.015});
  p.push_back(TVec2{o.X(s0) - 0.01, edge(s0) + sign * height * 0.45});
  p.push_back(TVec2{o.X(s0 - (s0 - s1) * 0.3) - rake, edge(s0 - (s0 - s1) * 0.3) + sign * height});
  p.push_back(TVec2{o.X(s0 - (s0 - s1) * 0.7) - rake, edge(s0 - (s0 - s1) * 0.7) + sign * (height + rearHeight) * 0.5});
  p.push_back(TVec2{o.X(s1) - rake * 0.5, edge(s1) + sign * rearHeight});
  p.push_back(TVec2{o.X(s1) + 0.005, edge(s1) - sign * 0.012});
  p.push_back(TVec2{o.X((s0 + s1) / 2), edge((s0 + s1) / 2) - sign * 0.02});
  return SmoothClosed(p, 6);
}

// A tail fin from the tail base to x = -0.5: spread is its half height at
// the end, fork how deep its trailing edge is notched (negative: rounded).
TPolygon TailFin(const TOutline& o, double spread, double fork) {
  const double root = o.X(0) + 0.035, h = (o.Up(0) - o.Down(0)) * 0.5, mid = o.Mid(0);
  TPolygon p;
  p.push_back(TVec2{root, mid + h * 0.9});
  p.push_back(TVec2{-0.5 + 0.04, mid + spread * 0.95});
  p.push_back(TVec2{-0.5, mid + spread * 0.75});
  p.push_back(TVec2{-0.5 + fork + 0.01, mid + spread * 0.3});
  p.push_back(TVec2{-0.5 + fork, mid});
  p.push_back(TVec2{-0.5 + fork + 0.01, mid - spread * 0.3});
  p.push_back(TVec2{-0.5, mid - spread * 0.75});
  p.push_back(TVec2{-0.5 + 0.04, mid - spread * 0.95});
  p.push_back(TVec2{root, mid - h * 0.9});
  TPolygon tail = SmoothClosed(p, 6);
  // A rounded edge bulges past x = -0.5: pull the fin in so that its
  // farthest point is the fish's end.
  double end = root;
  for (TVec2 q : tail) end = std::min(end, q.X);
  for (TVec2& q : tail) q.X = root + (q.X - root) * (root + 0.5) / (root - end);
  return tail;
}

// A paired fin under the belly at s, pointing down and back.
TPolygon PelvicFin(const TOutline& o, double s, double length, double width) {
  TVec2 base = o.At(s, 0.0);
  TPolygon p{{base.X + width * 0.5, base.Y + 0.015},
             {base.X - width * 0.5, base.Y + 0.015},
             {base.X - length * 0.7, base.Y - length * 0.55},
             {base.X - length * 0.45, base.Y - length * 0.75}};
  return SmoothClosed(p, 5);
}

// A pectoral fin rooted at s, height t on the flank, laid back along it.
TPolygon PectoralFin(const TOutline& o, double s, double t, double length, double width) {
  TVec2 root = o.At(s, t);
  TPolygon p{{root.X, root.Y + width * 0.5},
             {root.X - length * 0.55, root.Y + width * 0.45},
             {root.X - length, root.Y - width * 0.05},
             {root.X - length * 0.7, root.Y - width * 0.55},
             {root.X, root.Y - width * 0.35}};
  TPolygon smooth = SmoothClosed(p, 5);
  // Keep the root exactly at the front: nothing ahead of it.
  for (TVec2& q : smooth) q.X = std::min(q.X, root.X);
  return smooth;
}

TFin Fin(TPolygon outline, TVec2 rayOrigin, TRgb base, TRgb ray, TRgb edge, float alpha, int rays = 12) {
  TFin f;
  f.Outline = std::move(outline);
  f.RayOrigin = rayOrigin;
  f.Base = base;
  f.Ray = ray;
  f.Edge = edge;
  f.Alpha = alpha;
  f.Rays = rays;
  return f;
}

// Distance from p to a polyline.
double LineDistance(const TPolygon& line, TVec2 p) {
  double best = 1e9;
  for (std::size_t i = 1; i < line.size(); ++i) {
    TVec2 a = line[i - 1], b = line[i];
    double ex = b.X - a.X, ey = b.Y - a.Y, wx = p.X - a.X, wy = p.Y - a.Y;
    double t = std::clamp((wx * ex + wy * ey) / std::max(1e-12, ex * ex + ey * ey), 0.0, 1.0);
    best = std::min(best, std::hypot(wx - ex * t, wy - ey * t));
  }
  return best;
}

// 1 on stripes of the given period and duty (share of the period), soft.
float Stripes(double v, double period, double duty, double soft = 0.08) {
  double f = v / period - std::floor(v / period);
  double d = std::abs(f - 0.5) * 2;  // 0 mid-stripe .. 1 between
  return 1.0f - SmoothStep(static_cast<float>(duty - soft), static_cast<float>(duty + soft), static_cast<float>(d));
}

// Belly to back: three colours by t.
TRgb Countershade(double t, TRgb belly, TRgb flank, TRgb back) {
  float f = static_cast<float>(t);
  return f < 0.5f ? Mix(belly, flank, SmoothStep(0.05f, 0.5f, f)) : Mix(flank, back, SmoothStep(0.5f, 0.95f, f));
}

// ---- Salt water -------------------------------------------------------------------

// A marine angelfish: deep oval body, thin yellow stripes on deep blue, a
// dark mask through the eye, a pale face, a bright yellow tail, the
// dorsal and anal fins closing the oval behind.
TSpecies Angelfish() {
  TOutline o{-0.30,
             {{{0, 0.085}, {0.15, 0.2}, {0.4, 0.3}, {0.62, 0.285}, {0.82, 0.19}, {0.95, 0.085}, {1, 0.025}}},
             {{{0, -0.08}, {0.15, -0.19}, {0.4, -0.28}, {0.62, -0.25}, {0.82, -0.16}, {0.95, -0.07}, {1, -0.01}}}};
  TSpecies sp = Begin("angelfish", "Angelfish", 400, o);
  sp.Thickness = 0.28;
  sp.Eye = {0.86, 0.62};
  sp.EyeRadius = 0.03;
  sp.Iris = Bytes3(60, 140, 220);
  sp.Gill = 0.76;
  sp.BodyHeight = 256;
  sp.FinHeight = 256;
  const TRgb navy = Bytes3(22, 40, 135), yellow = Bytes3(250, 214, 60), sky = Bytes3(130, 200, 255);
  sp.BodyColour = [=](const TBodyPoint& p) {
    TRgb c = navy;
    // Stripes run along the body, rising gently toward the tail.
    double w = p.T + 0.22 * (1 - p.S);
    c = Mix(c, yellow, Stripes(w, 0.075, 0.38) * static_cast<float>(1 - SmoothStep(0.74f, 0.8f, static_cast<float>(p.S))));
    // Dark patch behind the head.
    float patch = SmoothStep(0.64f, 0.67f, static_cast<float>(p.S)) * (1 - SmoothStep(0.73f, 0.76f, static_cast<float>(p.S))) *
                  (1 - SmoothStep(0.75f, 0.85f, static_cast<float>(p.T))) * SmoothStep(0.1f, 0.2f, static_cast<float>(p.T));
    c = Mix(c, Bytes3(12, 14, 40), patch);
    // Face: pale blue ahead of a dark mask through the eye, edged light.
    double s = p.S;
    if (s > 0.78) {
      float mask = SmoothStep(0.80f, 0.81f, static_cast<float>(s)) * (1 - SmoothStep(0.905f, 0.915f, static_cast<float>(s)));
      float rim = SmoothStep(0.785f, 0.795f, static_cast<float>(s)) * (1 - SmoothStep(0.8f, 0.81f, static_cast<float>(s))) +
                  SmoothStep(0.905f, 0.915f, static_cast<float>(s)) * (1 - SmoothStep(0.92f, 0.93f, static_cast<float>(s)));
      TRgb face = Mix(Bytes3(150, 190, 220), Bytes3(200, 225, 240), static_cast<float>(1 - p.T));
      c = Mix(c, face, SmoothStep(0.78f, 0.8f, static_cast<float>(s)));
      c = Mix(c, Bytes3(10, 14, 36), mask);
      c = Mix(c, sky, rim);
    }
    return c;
  };
  auto lined = [=](TVec2 p, TRgb c) { return Mix(c, yellow, Stripes(p.Y + 0.3 * p.X, 0.05, 0.3) * 0.85f); };
  TFin dorsal = Fin(BackFin(o, 0.6, 0.0, 0.07, 0.06, false, 0.06), o.At(0.3, 0.5), navy, navy, sky, 0.9f, 18);
  dorsal.Outline.push_back(TVec2{o.X(0) - 0.05, o.Up(0) + 0.02});
  dorsal.Outline = SmoothClosed(dorsal.Outline, 1);
  dorsal.Marking = lined;
  dorsal.EdgeWidth = 0.01;
  TFin anal = Fin(BackFin(o, 0.55, 0.0, 0.065, 0.06, true, 0.06), o.At(0.3, 0.5), Bytes3(20, 30, 110), navy, sky, 0.9f, 16);
  anal.Marking = [=](TVec2 p, TRgb c) { return Mix(c, sky, Stripes(p.Y - 0.4 * p.X, 0.04, 0.15) * 0.7f); };
  anal.EdgeWidth = 0.01;
  TFin tail = Fin(TailFin(o, 0.13, -0.02), TVec2{o.X(0) + 0.05, o.Mid(0)}, Bytes3(255, 200, 30), Bytes3(230, 160, 20),
                  Bytes3(255, 226, 120), 0.85f, 14);
  TFin pelvic = Fin(PelvicFin(o, 0.66, 0.1, 0.04), o.At(0.66, 0.0), yellow, Bytes3(240, 180, 40), sky, 0.85f, 6);
  sp.MedianFins = {tail, dorsal, anal, pelvic};
  sp.Pectoral = Fin(PectoralFin(o, 0.7, 0.45, 0.13, 0.07), o.At(0.7, 0.45), Bytes3(235, 205, 90), Bytes3(210, 170, 60),
                    Bytes3(250, 225, 140), 0.55f, 8);
  return sp;
}

// A blue tang: royal blue oval, the black band from the eye to the tail
// with its loop enclosing a blue patch, a yellow tail.
TSpecies Tang() {
  TOutline o{-0.33,
             {{{0, 0.055}, {0.15, 0.12}, {0.4, 0.22}, {0.65, 0.225}, {0.85, 0.16}, {0.96, 0.07}, {1, 0.02}}},
             {{{0, -0.055}, {0.15, -0.12}, {0.4, -0.21}, {0.65, -0.2}, {0.85, -0.12}, {0.96, -0.05}, {1, -0.01}}}};
  TSpecies sp = Begin("tang", "Tang", 420, o);
  sp.Thickness = 0.32;
  sp.Eye = {0.85, 0.66};
  sp.EyeRadius = 0.028;
  sp.Iris = Bytes3(40, 60, 120);
  sp.Gill = 0.75;
  const TRgb blue = Bytes3(28, 86, 214), black = Bytes3(10, 12, 26), yellow = Bytes3(255, 214, 40);
  TPolygon band, loop;
  for (auto st : {std::array<double, 2>{0.9, 0.7}, {0.78, 0.8}, {0.6, 0.84}, {0.42, 0.8}, {0.25, 0.66}, {0.1, 0.55}, {0.0, 0.5}})
    band.push_back(o.At(st[0], st[1]));
  for (auto st : {std::array<double, 2>{0.74, 0.42}, {0.6, 0.44}, {0.46, 0.52}, {0.34, 0.64}, {0.28, 0.68}})
    loop.push_back(o.At(st[0], st[1]));
  band = SmoothOpen(band, 8);
  loop = SmoothOpen(loop, 8);
  sp.BodyColour = [=](const TBodyPoint& p) {
    TRgb c = Mix(Bytes3(60, 120, 230), blue, SmoothStep(0.0f, 0.5f, static_cast<float>(p.T)));
    TVec2 q{p.X, p.Y};
    double width = 0.032 + 0.02 * p.S;
    float ink = 1 - SmoothStep(static_cast<float>(width - 0.004), static_cast<float>(width + 0.004), static_cast<float>(LineDistance(band, q)));
    ink = std::max(ink, 1 - SmoothStep(0.022f, 0.03f, static_cast<float>(LineDistance(loop, q))));
    c = Mix(c, black, ink);
    c = Mix(c, yellow, 1 - SmoothStep(0.03f, 0.07f, static_cast<float>(p.S)));
    return c;
  };
  TFin dorsal = Fin(BackFin(o, 0.82, 0.04, 0.055, 0.03, false, 0.04), o.At(0.4, 0.5), blue, Bytes3(40, 70, 170), black, 0.9f, 20);
  dorsal.EdgeWidth = 0.012;
  TFin anal = Fin(BackFin(o, 0.62, 0.06, 0.05, 0.03, true, 0.035), o.At(0.35, 0.5), blue, Bytes3(40, 70, 170), black, 0.9f, 16);
  anal.EdgeWidth = 0.012;
  TFin tail = Fin(TailFin(o, 0.15, 0.05), TVec2{o.X(0) + 0.04, o.Mid(0)}, yellow, Bytes3(235, 180, 20), black, 0.9f, 12);
  tail.EdgeWidth = 0.012;
  TFin pelvic = Fin(PelvicFin(o, 0.7, 0.07, 0.03), o.At(0.7, 0.0), blue, black, black, 0.85f, 5);
  sp.MedianFins = {tail, dorsal, anal, pelvic};
  sp.Pectoral = Fin(PectoralFin(o, 0.72, 0.42, 0.12, 0.06), o.At(0.72, 0.42), blue, Bytes3(60, 110, 220), yellow, 0.7f, 8);
  sp.Pectoral.EdgeWidth = 0.012;
  return sp;
}

// A clownfish: bright orange, three white bands edged in black, round
// fins with black margins.
TSpecies Clownfish() {
  TOutline o{-0.30,
             {{{0, 0.075}, {0.2, 0.15}, {0.5, 0.205}, {0.75, 0.19}, {0.9, 0.13}, {0.98, 0.06}, {1, 0.03}}},
             {{{0, -0.075}, {0.2, -0.14}, {0.5, -0.18}, {0.75, -0.16}, {0.9, -0.1}, {0.98, -0.04}, {1, -0.02}}}};
  TSpecies sp = Begin("clownfish", "Clownfish", 280, o);
  sp.Thickness = 0.5;
  sp.Eye = {0.87, 0.62};
  sp.EyeRadius = 0.04;
  sp.Iris = Bytes3(230, 110, 20);
  sp.Gill = 0.8;
  const TRgb orange = Bytes3(250, 112, 12), white = Bytes3(250, 250, 246), black = Bytes3(12, 10, 10);
  // Bands by x along the body, bowed by t across it.
  auto bands = [=](double x, double t, TRgb c) {
    struct B {
      double X, Width, Bulge;
    };
    const B list[] = {{o.X(0.76), 0.038, 0.03}, {o.X(0.44), 0.034, 0.05}, {o.X(0.03), 0.02, 0.0}};
    for (const B& b : list) {
      double centre = b.X + b.Bulge * std::sin(kPi * t);
      double d = std::abs(x - centre);
      c = Mix(c, black, 1 - SmoothStep(static_cast<float>(b.Width + 0.012), static_cast<float>(b.Width + 0.016), static_cast<float>(d)));
      c = Mix(c, white, 1 - SmoothStep(static_cast<float>(b.Width - 0.002), static_cast<float>(b.Width + 0.002), static_cast<float>(d)));
    }
    return c;
  };
  sp.BodyColour = [=](const TBodyPoint& p) {
    TRgb c = Mix(Bytes3(255, 150, 50), orange, SmoothStep(0.0f, 0.45f, static_cast<float>(p.T)));
    return bands(p.X, p.T, c);
  };
  auto fin = [&](TPolygon outline, TVec2 origin, int rays) {
    TFin f = Fin(std::move(outline), origin, orange, Bytes3(230, 95, 10), black, 0.92f, rays);
    f.EdgeWidth = 0.014;
    f.Marking = [=](TVec2 p, TRgb c) { return bands(p.X, 0.5, c); };
    return f;
  };
  TFin spiny = fin(BackFin(o, 0.72, 0.46, 0.05, 0.02, false, 0.03), o.At(0.6, 0.5), 10);
  TFin soft = fin(BackFin(o, 0.46, 0.06, 0.075, 0.04, false, 0.04), o.At(0.25, 0.5), 12);
  TFin anal = fin(BackFin(o, 0.36, 0.08, 0.07, 0.03, true, 0.04), o.At(0.22, 0.5), 10);
  TFin tail = fin(TailFin(o, 0.11, -0.03), TVec2{o.X(0) + 0.05, o.Mid(0)}, 12);
  TFin pelvic = fin(PelvicFin(o, 0.64, 0.1, 0.05), o.At(0.64, 0.0), 5);
  pelvic.EdgeWidth = 0.008;
  sp.MedianFins = {tail, soft, spiny, anal, pelvic};
  sp.Pectoral = fin(PectoralFin(o, 0.74, 0.45, 0.12, 0.08), o.At(0.74, 0.45), 8);
  sp.Pectoral.Marking = nullptr;
  return sp;
}

// ---- Fresh water -------------------------------------------------------------------

// A perch: olive back, golden flanks with dark bars, a spiny first dorsal
// fin with a black spot, red-orange lower fins.
TSpecies Perch() {
  TOutline o{-0.34,
             {{{0, 0.045}, {0.2, 0.08}, {0.45, 0.15}, {0.62, 0.16}, {0.8, 0.12}, {0.93, 0.06}, {1, 0.015}}},
             {{{0, -0.045}, {0.2, -0.07}, {0.45, -0.11}, {0.65, -0.105}, {0.85, -0.07}, {0.95, -0.04}, {1, -0.015}}}};
  TSpecies sp = Begin("perch", "Perch", 460, o);
  sp.Thickness = 0.5;
  sp.Eye = {0.89, 0.62};
  sp.EyeRadius = 0.026;
  sp.Iris = Bytes3(220, 180, 60);
  sp.Gill = 0.77;
  const TRgb back = Bytes3(62, 88, 34), flank = Bytes3(196, 178, 70), belly = Bytes3(232, 228, 196);
  const TRgb red = Bytes3(230, 88, 36);
  sp.BodyColour = [=](const TBodyPoint& p) {
    TRgb c = Countershade(p.T, belly, flank, back);
    // Dark bars from the back down the flank, narrowing downward.
    const double bars[] = {0.1, 0.22, 0.34, 0.46, 0.57, 0.67};
    for (double b : bars) {
      double width = 0.028 * (0.3 + 0.7 * p.T);
      double d = std::abs(p.S - b - 0.02 * (1 - p.T));
      float bar = (1 - SmoothStep(static_cast<float>(width * 0.7), static_cast<float>(width), static_cast<float>(d))) *
                  SmoothStep(0.25f, 0.45f, static_cast<float>(p.T));
      c = Mix(c, c * 0.38f, bar);
    }
    return c;
  };
  TFin first = Fin(BackFin(o, 0.78, 0.48, 0.1, 0.02, false, 0.03), o.At(0.7, 0.6), Bytes3(150, 150, 110), Bytes3(70, 70, 50),
                   Bytes3(110, 110, 80), 0.6f, 13);
  TVec2 spot = o.At(0.53, 1.0);
  first.Marking = [=](TVec2 p, TRgb c) {
    float d = static_cast<float>(std::hypot((p.X - spot.X) * 1.2, p.Y - spot.Y - 0.045));
    return Mix(c, Bytes3(15, 15, 20), 1 - SmoothStep(0.022f, 0.03f, d));
  };
  TFin second = Fin(BackFin(o, 0.45, 0.2, 0.07, 0.02, false, 0.03), o.At(0.3, 0.5), Bytes3(170, 160, 90), Bytes3(120, 110, 60),
                    Bytes3(150, 140, 80), 0.6f, 10);
  TFin anal = Fin(BackFin(o, 0.33, 0.15, 0.06, 0.02, true, 0.03), o.At(0.25, 0.5), red, Bytes3(200, 70, 30), Bytes3(240, 140, 90),
                  0.75f, 8);
  TFin tail = Fin(TailFin(o, 0.12, 0.07), TVec2{o.X(0) + 0.04, o.Mid(0)}, Bytes3(205, 140, 80), Bytes3(160, 100, 60),
                  Bytes3(220, 120, 70), 0.75f, 14);
  TFin pelvic = Fin(PelvicFin(o, 0.73, 0.1, 0.035), o.At(0.73, 0.0), red, Bytes3(200, 70, 30), Bytes3(245, 150, 100), 0.8f, 6);
  sp.MedianFins = {tail, first, second, anal, pelvic};
  sp.Pectoral = Fin(PectoralFin(o, 0.76, 0.38, 0.1, 0.05), o.At(0.76, 0.38), Bytes3(230, 170, 100), Bytes3(200, 130, 70),
                    Bytes3(235, 180, 120), 0.55f, 8);
  return sp;
}

// A trout: long and round, olive back, silver flanks with a pink band,
// black spots on the back, the fins and the tail.
TSpecies Trout() {
  TOutline o{-0.36,
             {{{0, 0.035}, {0.2, 0.06}, {0.5, 0.105}, {0.72, 0.1}, {0.9, 0.06}, {0.97, 0.03}, {1, 0.01}}},
             {{{0, -0.035}, {0.2, -0.05}, {0.5, -0.085}, {0.72, -0.08}, {0.9, -0.05}, {0.97, -0.025}, {1, -0.01}}}};
  TSpecies sp = Begin("trout", "Trout", 620, o);
  sp.Thickness = 0.65;
  sp.Eye = {0.9, 0.6};
  sp.EyeRadius = 0.02;
  sp.Iris = Bytes3(200, 190, 150);
  sp.Gill = 0.8;
  sp.FinHeight = 128;
  sp.BodyHeight = 128;
  const TRgb back = Bytes3(82, 98, 58), flank = Bytes3(200, 206, 200), belly = Bytes3(240, 240, 236), pink = Bytes3(226, 110, 128);
  // Spots: a fixed scatter, denser on the back.
  std::vector<std::array<double, 3>> spots;
  TGenRandom rng("trout spots");
  for (int i = 0; i < 170; ++i) {
    double x = rng.Range(-0.5, 0.48), y = rng.Range(-0.16, 0.16), r = rng.Range(0.004, 0.0075);
    spots.push_back({x, y, r});
  }
  auto spotted = [=](double x, double y, double weight, TRgb c) {
    for (const auto& s : spots) {
      double d = std::hypot(x - s[0], (y - s[1]) * 1.1);
      c = Mix(c, Bytes3(20, 22, 18), static_cast<float>(weight) * (1 - SmoothStep(static_cast<float>(s[2] * 0.8), static_cast<float>(s[2]), static_cast<float>(d))));
    }
    return c;
  };
  sp.BodyColour = [=](const TBodyPoint& p) {
    TRgb c = Countershade(p.T, belly, flank, back);
    float band = 1 - SmoothStep(0.06f, 0.16f, static_cast<float>(std::abs(p.T - 0.5)));
    c = Mix(c, pink, band * 0.75f);
    return spotted(p.X, p.Y, SmoothStep(0.4f, 0.6f, static_cast<float>(p.T)) * (1 - SmoothStep(0.9f, 0.96f, static_cast<float>(p.S))), c);
  };
  auto finSpots = [=](TVec2 p, TRgb c) { return spotted(p.X, p.Y, 1.0, c); };
  TFin dorsal = Fin(BackFin(o, 0.52, 0.38, 0.07, 0.02, false, 0.025), o.At(0.45, 0.5), Bytes3(130, 135, 100), Bytes3(100, 105, 80),
                    Bytes3(150, 150, 120), 0.7f, 10);
  dorsal.Marking = finSpots;
  TPolygon adipose = SmoothClosed(TPolygon{o.At(0.16, 0.85), TVec2{o.X(0.13), o.Up(0.13) + 0.022}, TVec2{o.X(0.08), o.Up(0.08) + 0.012},
                                           o.At(0.07, 0.85)},
                                  5);
  TFin fat = Fin(adipose, o.At(0.12, 0.5), Bytes3(120, 125, 90), Bytes3(120, 125, 90), Bytes3(100, 105, 75), 0.9f, 1);
  TFin anal = Fin(BackFin(o, 0.25, 0.12, 0.055, 0.015, true, 0.02), o.At(0.2, 0.5), Bytes3(220, 200, 196), Bytes3(190, 170, 160),
                  Bytes3(250, 250, 250), 0.7f, 9);
  TFin tail = Fin(TailFin(o, 0.1, 0.035), TVec2{o.X(0) + 0.04, o.Mid(0)}, Bytes3(130, 135, 105), Bytes3(100, 105, 80),
                  Bytes3(120, 120, 100), 0.8f, 16);
  tail.Marking = finSpots;
  TFin pelvic = Fin(PelvicFin(o, 0.47, 0.06, 0.025), o.At(0.47, 0.0), Bytes3(230, 200, 190), Bytes3(200, 160, 150),
                    Bytes3(250, 250, 250), 0.7f, 5);
  sp.MedianFins = {tail, dorsal, fat, anal, pelvic};
  sp.Pectoral = Fin(PectoralFin(o, 0.8, 0.3, 0.075, 0.035), o.At(0.8, 0.3), Bytes3(230, 200, 180), Bytes3(200, 160, 150),
                    Bytes3(245, 235, 230), 0.6f, 7);
  return sp;
}

// A carp: deep bronze body covered in a net of large scales, a long dorsal
// fin, a forked reddish tail.
TSpecies Carp() {
  TOutline o{-0.32,
             {{{0, 0.05}, {0.2, 0.1}, {0.42, 0.19}, {0.6, 0.195}, {0.8, 0.14}, {0.93, 0.07}, {1, 0.03}}},
             {{{0, -0.05}, {0.2, -0.08}, {0.45, -0.13}, {0.7, -0.12}, {0.88, -0.075}, {0.97, -0.04}, {1, -0.02}}}};
  TSpecies sp = Begin("carp", "Carp", 600, o);
  sp.Thickness = 0.55;
  sp.Eye = {0.88, 0.6};
  sp.EyeRadius = 0.024;
  sp.Iris = Bytes3(210, 170, 70);
  sp.Gill = 0.76;
  const TRgb back = Bytes3(92, 76, 38), flank = Bytes3(196, 152, 62), belly = Bytes3(232, 208, 140);
  sp.BodyColour = [=](const TBodyPoint& p) {
    TRgb c = Countershade(p.T, belly, flank, back);
    if (p.S < 0.8) {
      // Scales lie like roof tiles: at each point the foremost scale that
      // covers it shows, and its free rear edge draws a dark arc.
      const double sx = 0.034, sy = 0.03, radius = 0.72;
      double row = std::floor(p.Y / sy);
      double bestX = -1e9, rim = 0, centre = 0;
      for (int dr = -1; dr <= 1; ++dr) {
        double r = row + dr;
        double shift = (static_cast<long long>(r) & 1) ? sx * 0.5 : 0.0;
        double col = std::floor((p.X - shift) / sx);
        for (int dc = -1; dc <= 2; ++dc) {
          double cx = (col + dc) * sx + shift, cy = (r + 0.5) * sy;
          double d = std::hypot((p.X - cx) / sx, (p.Y - cy) / sy);
          if (d < radius && cx > bestX) {
            bestX = cx;
            rim = SmoothStep(static_cast<float>(radius - 0.16), static_cast<float>(radius - 0.02), static_cast<float>(d)) * (p.X < cx ? 1.0 : 0.3);
            centre = 1 - d / radius;
          }
        }
      }
      float fade = 1 - SmoothStep(0.7f, 0.8f, static_cast<float>(p.S));
      c = Mix(c, c * 0.6f, static_cast<float>(rim) * 0.85f * fade);
      c = Mix(c, Mix(c, Bytes3(255, 232, 150), 0.3f), static_cast<float>(centre) * 0.35f * fade);
    }
    return c;
  };
  const TRgb fin = Bytes3(150, 110, 70), red = Bytes3(180, 96, 56);
  TFin dorsal = Fin(BackFin(o, 0.64, 0.2, 0.09, 0.02, false, 0.035), o.At(0.5, 0.5), fin, Bytes3(110, 80, 50), Bytes3(130, 90, 60),
                    0.75f, 18);
  TFin anal = Fin(BackFin(o, 0.26, 0.12, 0.06, 0.02, true, 0.025), o.At(0.2, 0.5), red, Bytes3(150, 70, 40), Bytes3(200, 110, 70),
                  0.78f, 7);
  TFin tail = Fin(TailFin(o, 0.14, 0.075), TVec2{o.X(0) + 0.04, o.Mid(0)}, red, Bytes3(140, 70, 40), Bytes3(160, 80, 50), 0.82f, 16);
  TFin pelvic = Fin(PelvicFin(o, 0.6, 0.08, 0.03), o.At(0.6, 0.0), red, Bytes3(150, 70, 40), Bytes3(200, 110, 70), 0.78f, 6);
  sp.MedianFins = {tail, dorsal, anal, pelvic};
  sp.Pectoral = Fin(PectoralFin(o, 0.77, 0.25, 0.1, 0.05), o.At(0.77, 0.25), Bytes3(190, 120, 80), Bytes3(150, 90, 60),
                    Bytes3(200, 130, 90), 0.6f, 8);
  return sp;
}

}  // namespace

std::vector<TSpecies> SaltWaterSpecies() { return {Angelfish(), Tang(), Clownfish()}; }
std::vector<TSpecies> FreshWaterSpecies() { return {Perch(), Trout(), Carp()}; }

}  // namespace velmora::gen
