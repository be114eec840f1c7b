// The clocks: the analogue clock's face and hands (meshes and pictures)
// and the digital clock's sprite skins.
//
// Analogue clock, in its own units (the scene places it at 0,0,-2900 and
// draws it facing the viewer, +z toward the viewer):
//   ClockFace.3dm  dial disc (radius 560, z = 0) and a raised bezel ring
//                  (560..640, up to z = 42), one material on ClockFace.jpg;
//                  the bezel's shading is painted into the picture's rim.
//   MinHand.3dm    points up (+y) at rest: the clock turns it by minutes.
//   SecHand.3dm    points down (-y) at rest: turned by seconds * 6 - 180.
//   HourHand.3dm   points right (+x) at rest: turned by hours * 30 - 90.
//   The hands are quads cut out by the alpha of hands.jpg / handsA.jpg, so
//   they are drawn in the clock's transparent pass only, where it turns
//   them; the hour hand carries the centre cap, as it is drawn last. The
//   clock draws them depth-tested, so they stand clear of the face and of
//   one another in the order they are drawn: minute z = 48, second 52,
//   hour 56 (the bezel rises to 42).
//
// Digital clock skins (256 x 256, sprites cut by pixel rectangle, counted
// from the top-left corner): see kSprites. Seven colour images share one
// alpha image, ClockSkin01A.jpg.
#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "tools/gen/Content.h"
#include "tools/gen/Draw.h"
#include "tools/gen/Font.h"
#include "tools/gen/MeshWriter.h"

namespace velmora::gen {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kDial = 560, kBezel = 640;

// ---- Analogue clock face -------------------------------------------------------

// Height of the bezel's profile at radius r (kDial..kBezel).
double BezelHeight(double r) {
  double t = (r - kDial) / (kBezel - kDial);
  return 42 * std::sin(kPi * std::pow(t, 0.8));
}

void ClockFaceMesh(TGenOutput& out) {
  TGenMesh mesh;
  TGenMaterial m;
  m.Name = "ClockFace";
  m.Ambient = {230, 230, 230};
  m.Diffuse = {255, 255, 255};
  m.Specular = {200, 200, 200};
  m.SpecularLevel = 40;
  m.Glossiness = 40;
  m.DiffuseMap = "ClockFace.jpg";
  mesh.Materials.push_back(m);
  TGenObject face;
  face.Name = "ClockFace";
  face.Material = "ClockFace";
  auto uv = [](double x, double y) { return std::array<double, 2>{0.5 + x / (2 * kBezel), 0.5 + y / (2 * kBezel)}; };
  // Around the dial: at the clock's size on screen a chord strays from the
  // circle by well under a pixel.
  const int segments = 48;
  const int kBezelSteps = 6;
  // Dial: a fan around the centre.
  int centre = face.Add(TVec3{0, 0, 0}, 0.5, 0.5);
  std::vector<int> rim;
  for (int i = 0; i < segments; ++i) {
    double a = 2 * kPi * i / segments, x = std::cos(a) * kDial, y = std::sin(a) * kDial;
    auto t = uv(x, y);
    rim.push_back(face.Add(TVec3{x, y, 0}, t[0], t[1]));
  }
  for (int i = 0; i < segments; ++i) face.Triangle(centre, rim[i], rim[(i + 1) % segments]);
  // Bezel: a surface of revolution over the profile, then a short side
  // wall going back.
  std::vector<std::array<double, 2>> profile;  // (radius, z)
  for (int k = 0; k <= kBezelSteps; ++k) {
    double r = kDial + (kBezel - kDial) * k / double(kBezelSteps);
    profile.push_back({r, BezelHeight(r)});
  }
  profile.push_back({kBezel, -40});
  std::vector<std::vector<int>> rings;
  for (const auto& p : profile) {
    std::vector<int> ring;
    for (int i = 0; i < segments; ++i) {
      double a = 2 * kPi * i / segments, x = std::cos(a) * p[0], y = std::sin(a) * p[0];
      // The side wall takes the outermost texels of the rim.
      double r = p[1] < 0 ? p[0] - 2 : p[0];
      auto t = uv(std::cos(a) * r, std::sin(a) * r);
      ring.push_back(face.Add(TVec3{x, y, p[1]}, t[0], t[1]));
    }
    rings.push_back(ring);
  }
  for (std::size_t k = 0; k + 1 < rings.size(); ++k)
    for (int i = 0; i < segments; ++i) {
      int j = (i + 1) % segments;
      face.Quad(rings[k][i], rings[k + 1][i], rings[k + 1][j], rings[k][j]);
    }
  mesh.Objects.push_back(face);
  out.AddMesh("ClockFace.3dm", mesh);
}

void ClockFacePicture(TGenOutput& out, const TFont& font) {
  const int size = 512;
  const double c = size / 2.0, scale = c / kBezel;  // pixels per clock unit
  TImage picture(size, size, 3);
  const TRgb paper = Bytes3(248, 246, 238), paperEdge = Bytes3(222, 224, 222), ink = Bytes3(24, 32, 52);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      double r = std::hypot(x + 0.5 - c, y + 0.5 - c) / scale;
      if (r <= kDial) {
        picture.SetRgb(x, y, Mix(paper, paperEdge, static_cast<float>(std::pow(r / kDial, 2.0))));
      } else {
        // Polished metal: light where the bezel faces up toward the light
        // (its inner slope in the upper half), dark in the groove and on
        // the outer slope.
        double t = std::min(1.0, (r - kDial) / (kBezel - kDial));
        double ny = -(y + 0.5 - c) / std::max(1.0, std::hypot(x + 0.5 - c, y + 0.5 - c));
        double slope = std::cos(kPi * std::pow(t, 0.8));  // +1 inner edge, -1 outer edge
        float light = static_cast<float>(0.55 + 0.3 * slope * ny + 0.25 * std::exp(-std::pow((t - 0.42) / 0.12, 2)));
        picture.SetRgb(x, y, Mix(Bytes3(70, 84, 100), Bytes3(235, 242, 250), Clamp01(light)));
      }
    }
  TImage marks(size, size, 1);
  auto polar = [&](double radius, double angle) {
    // Angle in clock terms: 0 at twelve, clockwise; picture y runs down.
    return TVec2{c + std::sin(angle) * radius * scale, c - std::cos(angle) * radius * scale};
  };
  for (int i = 0; i < 60; ++i) {
    double a = 2 * kPi * i / 60;
    if (i % 5 == 0) {
      FillCapsule(marks, polar(kDial - 18, a), polar(kDial - 78, a), 7.5 * scale, 7.5 * scale, 1.0);
    } else {
      FillCapsule(marks, polar(kDial - 18, a), polar(kDial - 46, a), 2.6 * scale, 2.6 * scale, 1.0);
    }
  }
  // A thin ring inside the minute marks.
  for (int i = 0; i < 240; ++i) {
    double a0 = 2 * kPi * i / 240, a1 = 2 * kPi * (i + 1) / 240;
    FillCapsule(marks, polar(kDial - 12, a0), polar(kDial - 12, a1), 1.6 * scale, 1.6 * scale, 1.0);
  }
  picture.Blend(marks, ink);
  TImage numerals(size, size, 1);
  for (int h = 1; h <= 12; ++h) {
    double a = 2 * kPi * h / 12;
    font.DrawCentred(numerals, std::to_string(h), 42, polar(kDial - 140, a));
  }
  picture.Blend(numerals, ink);
  out.AddJpeg("ClockFace.jpg", picture, 88, TChroma::Full);
}

// ---- Hands ------------------------------------------------------------------------

// A hand as drawn in its column of hands.jpg: pointing up, in clock units
// across (x) and along (y, the pivot at 0, the tip positive).
struct THandShape {
  double Tail, Tip, HalfWidth;  // extent along, and across, in clock units
  int Column;                   // 64-pixel column of the picture
};

constexpr THandShape kHour{-90, 380, 30, 0};
constexpr THandShape kMinute{-110, 530, 22, 1};
constexpr THandShape kSecond{-150, 545, 20, 2};

// Pixel position in hands.jpg of a point of a hand (x across, y along).
TVec2 HandPixel(const THandShape& s, double x, double y) {
  double u = (x + s.HalfWidth) / (2 * s.HalfWidth), v = (y - s.Tail) / (s.Tip - s.Tail);
  return TVec2{s.Column * 64 + u * 64, 256 * (1 - v)};
}

void HandsPicture(TGenOutput& out) {
  TImage colour(256, 256, 3), alpha(256, 256, 1);
  colour.FillRgb(Bytes3(30, 36, 52));
  // Dark hour and minute hands: a pointed blade, a lighter ridge down the
  // middle, a round tail.
  for (const THandShape* s : {&kHour, &kMinute}) {
    const double w = s->HalfWidth;
    TPolygon blade;
    for (auto p : std::initializer_list<std::array<double, 2>>{
             {-0.45 * w, s->Tail * 0.6}, {-0.55 * w, 0}, {-1.0 * w, s->Tip * 0.55}, {0, s->Tip},
             {1.0 * w, s->Tip * 0.55}, {0.55 * w, 0}, {0.45 * w, s->Tail * 0.6}})
      blade.push_back(HandPixel(*s, p[0], p[1]));
    TImage shape(256, 256, 1);
    FillPolygon(shape, blade, 1.0);
    TVec2 tail = HandPixel(*s, 0, s->Tail * 0.72);
    FillEllipse(shape, tail, 0.8 * w * 64 / (2 * w), 0.8 * w * 256 / (s->Tip - s->Tail), 1.0);
    TImage ridge(256, 256, 1);
    FillPolygon(ridge,
                TPolygon{HandPixel(*s, 0, s->Tip * 0.96), HandPixel(*s, 0.18 * w, s->Tip * 0.55),
                         HandPixel(*s, 0.12 * w, 0), HandPixel(*s, -0.12 * w, 0), HandPixel(*s, -0.18 * w, s->Tip * 0.55)},
                1.0);
    colour.Blend(shape, Bytes3(22, 28, 44));
    colour.Blend(ridge, Bytes3(92, 104, 130), 0.8f);
    for (int y = 0; y < 256; ++y)
      for (int x = 0; x < 256; ++x) alpha.At(x, y) = std::max(alpha.At(x, y), shape.At(x, y));
  }
  // Red second hand: a thin needle with a round counterweight.
  {
    const THandShape& s = kSecond;
    TImage shape(256, 256, 1);
    FillPolygon(shape,
                TPolygon{HandPixel(s, -4, s.Tail * 0.5), HandPixel(s, -5, 0), HandPixel(s, -2.5, s.Tip),
                         HandPixel(s, 2.5, s.Tip), HandPixel(s, 5, 0), HandPixel(s, 4, s.Tail * 0.5)},
                1.0);
    TVec2 weight = HandPixel(s, 0, s.Tail * 0.7);
    FillEllipse(shape, weight, 15 * 64 / (2 * s.HalfWidth), 15 * 256 / (s.Tip - s.Tail), 1.0);
    colour.Blend(shape, Bytes3(214, 38, 30));
    for (int y = 0; y < 256; ++y)
      for (int x = 0; x < 256; ++x) alpha.At(x, y) = std::max(alpha.At(x, y), shape.At(x, y));
  }
  // Centre cap, carried by the hour hand: a polished boss.
  {
    const THandShape& s = kHour;
    TVec2 centre = HandPixel(s, 0, 0);
    double rx = 26 * 64 / (2 * s.HalfWidth), ry = 26 * 256 / (s.Tip - s.Tail);
    TImage cap(256, 256, 1), shine(256, 256, 1);
    FillEllipse(cap, centre, rx, ry, 1.0);
    FillEllipse(shine, TVec2{centre.X - rx * 0.25, centre.Y - ry * 0.3}, rx * 0.45, ry * 0.45, 3.0);
    colour.Blend(cap, Bytes3(150, 160, 176));
    colour.Blend(shine, Bytes3(240, 244, 250), 0.9f);
    for (int y = 0; y < 256; ++y)
      for (int x = 0; x < 256; ++x) alpha.At(x, y) = std::max(alpha.At(x, y), cap.At(x, y));
  }
  out.AddJpeg("hands.jpg", colour, 90, TChroma::Full);
  out.AddJpeg("handsA.jpg", alpha, 92, TChroma::Full);
}

// One hand's mesh: a quad over its column of the picture, turned so that
// the hand points along `direction` (0 up, 1 right, 2 down) at rest.
void HandMesh(TGenOutput& out, const std::string& name, const THandShape& s, int direction, double z) {
  TGenMesh mesh;
  TGenMaterial m;
  m.Name = "Hands";
  m.Ambient = {255, 255, 255};
  m.Diffuse = {255, 255, 255};
  m.TwoSided = true;
  m.DiffuseMap = "hands.jpg";
  m.OpacityMap = "handsA.jpg";
  mesh.Materials.push_back(m);
  TGenObject hand;
  hand.Name = name;
  hand.Material = "Hands";
  auto place = [&](double across, double along) {
    switch (direction) {
      case 1: return TVec3{along, -across, z};
      case 2: return TVec3{-across, -along, z};
      default: return TVec3{across, along, z};
    }
  };
  const double u0 = s.Column / 4.0, u1 = (s.Column + 1) / 4.0;
  int a = hand.Add(place(-s.HalfWidth, s.Tail), u0, 0);
  int b = hand.Add(place(s.HalfWidth, s.Tail), u1, 0);
  int c = hand.Add(place(s.HalfWidth, s.Tip), u1, 1);
  int d = hand.Add(place(-s.HalfWidth, s.Tip), u0, 1);
  hand.Quad(a, b, c, d);
  mesh.Objects.push_back(hand);
  out.AddMesh(name + ".3dm", mesh);
}

// ---- Digital clock skins ------------------------------------------------------------

struct TSpriteRect {
  const char* Name;
  int X, Y, W, H;
  const char* Text;  // what the sprite shows; empty for the plate
};

// The sprite layout of ClockSkin01 (the scene description repeats these
// rectangles in its "ClockSprites" list).
constexpr std::array<TSpriteRect, 22> kSprites{{
    {"Plate", 0, 0, 180, 131, ""},
    {"0", 0, 134, 30, 46, "0"},   {"1", 32, 134, 30, 46, "1"},  {"2", 64, 134, 30, 46, "2"},
    {"3", 96, 134, 30, 46, "3"},  {"4", 128, 134, 30, 46, "4"}, {"5", 160, 134, 30, 46, "5"},
    {"6", 192, 134, 30, 46, "6"}, {"7", 224, 134, 30, 46, "7"}, {"8", 0, 184, 30, 46, "8"},
    {"9", 32, 184, 30, 46, "9"},  {":", 64, 184, 14, 46, ":"},  {"\\", 80, 184, 30, 46, "/"},
    {"am", 184, 184, 40, 20, "AM"}, {"pm", 184, 206, 40, 20, "PM"},
    {"sun", 184, 2, 70, 20, "SUN"}, {"mon", 184, 24, 70, 20, "MON"}, {"tue", 184, 46, 70, 20, "TUE"},
    {"wed", 184, 68, 70, 20, "WED"}, {"thu", 184, 90, 70, 20, "THU"}, {"fri", 184, 112, 70, 20, "FRI"},
    {"sat", 112, 184, 70, 20, "SAT"},
}};

struct TSkin {
  const char* File;
  TRgb Colour;
};

constexpr std::array<TSkin, 7> kSkins{{{"Yellow.jpg", {1.0f, 0.82f, 0.16f}},
                                       {"Blue.jpg", {0.24f, 0.55f, 1.0f}},
                                       {"Green.jpg", {0.28f, 0.86f, 0.35f}},
                                       {"Purple.jpg", {0.67f, 0.35f, 1.0f}},
                                       {"Pink.jpg", {1.0f, 0.43f, 0.78f}},
                                       {"Red.jpg", {0.94f, 0.24f, 0.20f}},
                                       {"Orange.jpg", {1.0f, 0.55f, 0.12f}}}};

void ClockSkins(TGenOutput& out, const TFont& font) {
  const int size = 256;
  // Shapes shared by every skin: glyph ink, the dark outline around it, the
  // plate with its border and its gloss.
  TImage glyphs(size, size, 1), plate(size, size, 1), border(size, size, 1), gloss(size, size, 1);
  for (const TSpriteRect& s : kSprites) {
    if (std::string(s.Name) == "Plate") continue;
    TImage ink(size, size, 1);
    std::string text = s.Text;
    const bool digit = s.H == 46;
    const int em = digit ? 52 : 17;
    TImage probe = font.Render(text, em);
    // Fit the ink into the sprite with a margin for the outline.
    double fit = std::min((s.W - 6.0) / probe.Width(), (s.H - 6.0) / probe.Height());
    if (text == ":") fit = std::min(fit, 1.0);
    font.DrawCentred(glyphs, text, em, TVec2{s.X + s.W / 2.0, s.Y + s.H / 2.0}, fit, fit);
  }
  const int pw = 180, ph = 131;
  TPolygon rounded;
  auto corner = [&](double cx, double cy, double a0) {
    for (int k = 0; k <= 6; ++k) {
      double a = a0 + kPi / 2 * k / 6;
      rounded.push_back(TVec2{cx + std::cos(a) * 12, cy + std::sin(a) * 12});
    }
  };
  corner(pw - 13, 13, -kPi / 2);
  corner(pw - 13, ph - 13, 0);
  corner(13, ph - 13, kPi / 2);
  corner(13, 13, kPi);
  FillPolygon(plate, rounded, 1.0);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      if (plate.At(x, y) <= 0) continue;
      double d = -PolygonDistance(rounded, TVec2{x + 0.5, y + 0.5});
      border.At(x, y) = Clamp01(static_cast<float>(3.0 - d)) * plate.At(x, y);
      gloss.At(x, y) = (y < ph * 0.45 ? SmoothStep(0.0f, 1.0f, static_cast<float>(1.0 - y / (ph * 0.45)))  * 0.5f : 0.0f) *
                       plate.At(x, y);
    }
  TImage outline = Dilated(glyphs, 2.2);
  TImage alpha(size, size, 1);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      // The plate nearly opaque: its colour, not the water's, is what shows.
      float a = std::max({plate.At(x, y) * 0.92f, border.At(x, y) * 0.97f, outline.At(x, y) * 0.9f, glyphs.At(x, y)});
      alpha.At(x, y) = a;
    }
  out.AddJpeg("ClockSkin01A.jpg", alpha, 92, TChroma::Full);
  const TRgb white{1, 1, 1};
  for (const TSkin& skin : kSkins) {
    TImage picture(size, size, 3);
    // The plate in the skin's own colour, a little lighter at the top, with
    // a darker rim; light digits with a dark outline read on every colour.
    picture.FillRgb(skin.Colour * 0.12f);
    picture.Blend(plate, skin.Colour * 0.8f);
    picture.Blend(gloss, Mix(skin.Colour, white, 0.35f) * 0.9f);
    picture.Blend(border, skin.Colour * 0.45f);
    picture.Blend(outline, skin.Colour * 0.12f);
    picture.Blend(glyphs, Mix(skin.Colour, white, 0.85f));
    out.AddJpeg(skin.File, picture, 90, TChroma::Full);
  }
}

}  // namespace

void MakeClockContent(TGenOutput& out, const TFont& font) {
  ClockFaceMesh(out);
  ClockFacePicture(out, font);
  HandsPicture(out);
  HandMesh(out, "HourHand", kHour, 1, 56);
  HandMesh(out, "MinHand", kMinute, 0, 48);
  HandMesh(out, "SecHand", kSecond, 2, 52);
  ClockSkins(out, font);
}

}  // namespace velmora::gen
