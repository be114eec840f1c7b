// Fish meshes and pictures.
//
// A fish lies along x with its head toward +x, centred on x = 0, y up, its
// flanks facing +z and -z. It is made of two objects:
//   Body  an opaque closed hull (elliptic sections along x), textured by
//         projecting its side view: the same picture on both flanks.
//   Fins  thin two-sided sheets with an alpha picture: the median fins
//         (dorsal, anal, tail, pelvic) in the plane z = 0, and a pair of
//         pectoral fins standing out from the flanks.
// The swimming frames that the fish list generates bend this mesh: the
// body waves in z; transparent vertices below the body's lowest point are
// swept back as lower fins, and those beyond the body's widest point in z
// are swept back as side fins, both flapping about a mean angle. The fins
// are therefore built in a rest pose that this mean sweep turns into the
// painted side view: the picture is drawn as the fish is seen swimming, and
// each fin vertex takes the texture coordinate of where the mean sweep puts
// it.
//
// Everything here is in units of the fish's length; the mesh is scaled to
// its real length when written.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "tools/gen/Draw.h"
#include "tools/gen/Image.h"

namespace velmora::gen {

// A smooth function of s in [0, 1] through control points (s, value).
struct TCurve {
  std::vector<std::array<double, 2>> Points;
  double At(double s) const;
};

// A point of the body's side view, for painting it.
struct TBodyPoint {
  double X = 0, Y = 0;  // fish coordinates (units of length)
  double S = 0;         // 0 at the tail base, 1 at the nose
  double T = 0;         // 0 on the belly's outline, 1 on the back's
};

struct TFin {
  TPolygon Outline;          // side view as seen swimming, units of length
  TVec2 RayOrigin;           // the fin's rays spread from here
  int Rays = 12;             // rays across the fin's angle
  TRgb Base, Ray, Edge;
  float Alpha = 0.7f;        // membrane opacity
  double EdgeWidth = 0.008;  // margin, units of length
  // Optional markings: the colour at a point, given the fin's colour there.
  std::function<TRgb(TVec2, TRgb)> Marking;
};

struct TSpecies {
  std::string Name;          // file stem: Name.3dm, Name.jpg, Namefin.jpg, NamefinA.jpg
  std::string Title;         // material names
  double Length = 400;       // scene units, nose to tail tip
  double BodyStart = -0.3;   // x of the tail base
  TCurve Top, Bottom;        // the body's outline over s
  double Thickness = 0.4;    // half width over half height of the sections
  TVec2 Eye;                 // (s, t) of the eye's centre
  double EyeRadius = 0.03;
  TRgb Iris;
  double Gill = 0.78;        // s of the gill cover's edge
  int BodyHeight = 128;      // body picture is 256 wide
  int FinHeight = 128;       // fin picture is 256 wide
  std::function<TRgb(const TBodyPoint&)> BodyColour;
  std::vector<TFin> MedianFins;
  TFin Pectoral;             // its root is its outline's front (largest x)
};

// The species of both environments, in the order of the scene.
std::vector<TSpecies> SaltWaterSpecies();
std::vector<TSpecies> FreshWaterSpecies();

}  // namespace velmora::gen
