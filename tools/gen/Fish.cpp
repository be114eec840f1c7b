#include "tools/gen/Fish.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "core/Error.h"
#include "tools/gen/Content.h"
#include "tools/gen/GenRandom.h"
#include "tools/gen/MeshWriter.h"

namespace velmora::gen {

namespace {

constexpr double kPi = 3.141592653589793;
// The fish list flaps its fins about a mean angle w of 0.35 pi: side fins
// are turned back by w, lower fins by pi/3 + w.
const double kSideSin = std::sin(0.35 * kPi);
// The fins are sheets over a grid of square cells (fish lengths): fine
// enough to bend with the body, coarse enough not to cost more triangles
// than pixels at the sizes the fish are seen.
constexpr double kMedianCell = 1.0 / 20, kPectoralCell = 1.0 / 40;
const double kLowerSin = std::sin(kPi / 3 + 0.35 * kPi), kLowerCos = std::cos(kPi / 3 + 0.35 * kPi);

struct TBox {
  double X0 = 1e9, Y0 = 1e9, X1 = -1e9, Y1 = -1e9;
  void Add(double x, double y) { X0 = std::min(X0, x), Y0 = std::min(Y0, y), X1 = std::max(X1, x), Y1 = std::max(Y1, y); }
};

// Maps fish coordinates to the pixels of a side-view picture of the box.
struct TView {
  TBox Box;
  int W = 256, H = 128;
  TVec2 Pixel(double x, double y) const {
    return TVec2{(x - Box.X0) / (Box.X1 - Box.X0) * W, (Box.Y1 - y) / (Box.Y1 - Box.Y0) * H};
  }
  TVec2 Fish(double px, double py) const {
    return TVec2{Box.X0 + px / W * (Box.X1 - Box.X0), Box.Y1 - py / H * (Box.Y1 - Box.Y0)};
  }
  std::array<double, 2> Uv(double x, double y) const {
    return {(x - Box.X0) / (Box.X1 - Box.X0), (y - Box.Y0) / (Box.Y1 - Box.Y0)};
  }
  TPolygon Pixels(const TPolygon& fish) const {
    TPolygon out;
    for (TVec2 p : fish) out.push_back(Pixel(p.X, p.Y));
    return out;
  }
};

class TFishBuilder {
 public:
  explicit TFishBuilder(const TSpecies& sp) : sp_(sp) {}

  void Build(TGenOutput& out) {
    BuildBody();
    PaintBody(out);
    PaintFins(out);
    // The fin sweep depends on bounds that include the fins themselves:
    // settle the lower-fin line and the side-fin plane by iteration.
    y2_ = bodyMinY_;
    z1_ = bodyMaxZ_;
    for (int round = 0;; ++round) {
      BuildFins();
      double minY = bodyMinY_, maxY = bodyMaxY_, maxZ = bodyMaxZ_, minZ = -bodyMaxZ_;
      for (const TVec3& v : fins_.Vertices) {
        minY = std::min(minY, v.Y), maxY = std::max(maxY, v.Y);
        minZ = std::min(minZ, v.Z), maxZ = std::max(maxZ, v.Z);
      }
      double y2 = std::min(minY + 0.23 * (maxY - minY), bodyMinY_);
      double z1 = std::max(maxZ - 0.39 * (maxZ - minZ), bodyMaxZ_);
      if (std::abs(y2 - y2_) < 1e-7 && std::abs(z1 - z1_) < 1e-7) break;
      if (round == 30) RaiseError("TFishBuilder", "Build", sp_.Name + ": the fin sweep does not settle");
      y2_ = y2;
      z1_ = z1;
    }
    WriteMesh(out);
  }

 private:
  double BodyX(double s) const { return sp_.BodyStart + s * (0.5 - sp_.BodyStart); }
  double BodyS(double x) const { return (x - sp_.BodyStart) / (0.5 - sp_.BodyStart); }

  // ---- Body -------------------------------------------------------------------------

  void BuildBody() {
    body_.Name = "Body";
    body_.Material = sp_.Title + "Body";
    const int rings = 20, around = 12;
    std::vector<std::vector<int>> ring;
    std::vector<TVec3> points;
    std::vector<double> sOf;
    for (int i = 0; i < rings; ++i) {
      // Closer rings toward the nose, where the outline turns fastest.
      double s = 0.985 * std::sin(0.5 * kPi * i / (rings - 1));
      double top = sp_.Top.At(s), bottom = sp_.Bottom.At(s);
      double yc = (top + bottom) / 2, ay = (top - bottom) / 2;
      double az = std::max(ay * sp_.Thickness, 0.006);
      std::vector<int> r;
      for (int j = 0; j < around; ++j) {
        double a = 2 * kPi * j / around;
        points.push_back(TVec3{BodyX(s), yc + ay * std::sin(a), az * std::cos(a)});
        r.push_back(static_cast<int>(points.size()) - 1);
      }
      ring.push_back(r);
    }
    const double tipY = (sp_.Top.At(1.0) + sp_.Bottom.At(1.0)) / 2;
    points.push_back(TVec3{0.5, tipY, 0});
    const int tip = static_cast<int>(points.size()) - 1;
    const double baseY = (sp_.Top.At(0.0) + sp_.Bottom.At(0.0)) / 2;
    points.push_back(TVec3{BodyX(0), baseY, 0});
    const int base = static_cast<int>(points.size()) - 1;

    bodyView_.W = 256;
    bodyView_.H = sp_.BodyHeight;
    bodyMinY_ = 1e9, bodyMaxY_ = -1e9, bodyMaxZ_ = -1e9;
    for (const TVec3& p : points) {
      bodyView_.Box.Add(p.X, p.Y);
      bodyMinY_ = std::min(bodyMinY_, p.Y), bodyMaxY_ = std::max(bodyMaxY_, p.Y), bodyMaxZ_ = std::max(bodyMaxZ_, p.Z);
    }
    for (const TVec3& p : points) {
      auto uv = bodyView_.Uv(p.X, p.Y);
      body_.Add(p, uv[0], uv[1]);
    }
    // Faces wound counter-clockwise seen from outside.
    auto face = [&](int a, int b, int c, TVec3 outward) {
      const TVec3 &pa = body_.Vertices[a], &pb = body_.Vertices[b], &pc = body_.Vertices[c];
      double ux = pb.X - pa.X, uy = pb.Y - pa.Y, uz = pb.Z - pa.Z, vx = pc.X - pa.X, vy = pc.Y - pa.Y, vz = pc.Z - pa.Z;
      double nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
      if (nx * outward.X + ny * outward.Y + nz * outward.Z < 0) std::swap(b, c);
      body_.Triangle(a, b, c);
    };
    auto centre = [&](int a, int b, int c, const TVec3& axis) {
      const TVec3 &pa = body_.Vertices[a], &pb = body_.Vertices[b], &pc = body_.Vertices[c];
      return TVec3{(pa.X + pb.X + pc.X) / 3 - axis.X, (pa.Y + pb.Y + pc.Y) / 3 - axis.Y, (pa.Z + pb.Z + pc.Z) / 3 - axis.Z};
    };
    for (int i = 0; i + 1 < rings; ++i)
      for (int j = 0; j < around; ++j) {
        int k = (j + 1) % around;
        int a = ring[i][j], b = ring[i + 1][j], c = ring[i + 1][k], d = ring[i][k];
        double s = 0.5 * (body_.Vertices[a].X + body_.Vertices[b].X);
        double top = sp_.Top.At(std::clamp(BodyS(s), 0.0, 1.0)), bottom = sp_.Bottom.At(std::clamp(BodyS(s), 0.0, 1.0));
        TVec3 axis{s, (top + bottom) / 2, 0};
        face(a, b, c, centre(a, b, c, axis));
        face(a, c, d, centre(a, c, d, axis));
      }
    for (int j = 0; j < around; ++j) {
      int k = (j + 1) % around;
      face(ring[rings - 1][j], ring[rings - 1][k], tip, TVec3{1, 0, 0});
      face(ring[0][j], ring[0][k], base, TVec3{-1, 0, 0});
    }
  }

  TBodyPoint BodyPointAt(double x, double y) const {
    TBodyPoint p;
    p.X = x;
    p.Y = y;
    p.S = std::clamp(BodyS(x), 0.0, 1.0);
    double top = sp_.Top.At(p.S), bottom = sp_.Bottom.At(p.S);
    p.T = std::clamp((y - bottom) / std::max(1e-6, top - bottom), 0.0, 1.0);
    return p;
  }

  void PaintBody(TGenOutput& out) {
    TImage picture(bodyView_.W, bodyView_.H, 3);
    for (int py = 0; py < picture.Height(); ++py)
      for (int px = 0; px < picture.Width(); ++px) {
        TVec2 f = bodyView_.Fish(px + 0.5, py + 0.5);
        TBodyPoint p = BodyPointAt(f.X, f.Y);
        TRgb c = sp_.BodyColour(p);
        // Round body: darker toward the outline, a little lighter on top.
        double edge = std::abs(2 * p.T - 1);
        c = c * static_cast<float>((1.0 - 0.38 * std::pow(edge, 3.0)) * (0.9 + 0.15 * p.T));
        picture.SetRgb(px, py, c);
      }
    // Gill cover: a dark arc with a light rim behind it.
    TPolygon gill;
    for (int k = 0; k <= 16; ++k) {
      double t = 0.12 + 0.8 * k / 16.0;
      double s = sp_.Gill - 0.035 * std::sin(kPi * t);
      double top = sp_.Top.At(s), bottom = sp_.Bottom.At(s);
      gill.push_back(bodyView_.Pixel(BodyX(s), bottom + t * (top - bottom)));
    }
    TImage gillMask(picture.Width(), picture.Height(), 1);
    StrokePolyline(gillMask, gill, 1.3, 0.9, 1.0);
    for (int py = 0; py < picture.Height(); ++py)
      for (int px = 0; px < picture.Width(); ++px)
        picture.SetRgb(px, py, picture.Rgb(px, py) * (1.0f - 0.35f * gillMask.At(px, py)));
    // Mouth.
    {
      double s0 = 0.955, s1 = 0.995, t = 0.38;
      auto at = [&](double s) {
        double top = sp_.Top.At(s), bottom = sp_.Bottom.At(s);
        return bodyView_.Pixel(BodyX(s), bottom + t * (top - bottom));
      };
      TImage mouth(picture.Width(), picture.Height(), 1);
      StrokePolyline(mouth, TPolygon{at(s0), at(s1)}, 1.0, 0.8, 1.0);
      picture.Blend(mouth, Bytes3(30, 24, 24), 0.6f);
    }
    // Eye: dark rim, iris, pupil, a glint toward the front and the top.
    {
      double s = sp_.Eye.X, top = sp_.Top.At(s), bottom = sp_.Bottom.At(s);
      TVec2 centre = bodyView_.Pixel(BodyX(s), bottom + sp_.Eye.Y * (top - bottom));
      const double kx = bodyView_.W / (bodyView_.Box.X1 - bodyView_.Box.X0);
      const double ky = bodyView_.H / (bodyView_.Box.Y1 - bodyView_.Box.Y0);
      const double r = sp_.EyeRadius;
      auto disc = [&](TVec2 c, double radius, TRgb colour) {
        TImage m(picture.Width(), picture.Height(), 1);
        FillEllipse(m, c, radius * kx, radius * ky, 1.0);
        picture.Blend(m, colour);
      };
      disc(centre, r, Bytes3(20, 20, 24));
      disc(centre, r * 0.82, sp_.Iris);
      disc(centre, r * 0.5, Bytes3(6, 6, 10));
      disc(TVec2{centre.X + r * 0.2 * kx, centre.Y - r * 0.25 * ky}, r * 0.16, Bytes3(250, 250, 250));
    }
    out.AddJpeg(sp_.Name + ".jpg", picture, 88, TChroma::Full);
  }

  // ---- Fins -------------------------------------------------------------------------

  void PaintFin(TImage& colour, TImage& alpha, TImage& coverage, const TFin& fin) {
    TPolygon outline = finView_.Pixels(fin.Outline);
    TImage mask(colour.Width(), colour.Height(), 1);
    FillPolygon(mask, outline, 1.0);
    const double kx = finView_.W / (finView_.Box.X1 - finView_.Box.X0);
    // The fin's angle seen from its ray origin, to spread the rays evenly.
    double a0 = 1e9, a1 = -1e9;
    for (TVec2 p : fin.Outline) {
      double a = std::atan2(p.Y - fin.RayOrigin.Y, p.X - fin.RayOrigin.X);
      a0 = std::min(a0, a), a1 = std::max(a1, a);
    }
    for (int py = 0; py < colour.Height(); ++py)
      for (int px = 0; px < colour.Width(); ++px) {
        float m = mask.At(px, py);
        if (m <= 0) continue;
        TVec2 f = finView_.Fish(px + 0.5, py + 0.5);
        double a = std::atan2(f.Y - fin.RayOrigin.Y, f.X - fin.RayOrigin.X);
        double phase = (a - a0) / std::max(1e-6, a1 - a0) * fin.Rays;
        float ray = static_cast<float>(std::pow(0.5 + 0.5 * std::cos(2 * kPi * phase), 6.0));
        double inside = -PolygonDistance(outline, TVec2{px + 0.5, py + 0.5}) / kx;  // units of length
        float edge = Clamp01(static_cast<float>((fin.EdgeWidth - inside) / 0.003 + 0.5));
        TRgb c = Mix(fin.Base, fin.Ray, ray * 0.6f);
        if (fin.Marking) c = fin.Marking(f, c);
        c = Mix(c, fin.Edge, edge);
        float opacity = std::max(fin.Alpha + 0.2f * ray, edge * 0.92f);
        colour.SetRgb(px, py, Mix(colour.Rgb(px, py), c, m));
        alpha.At(px, py) = std::max(alpha.At(px, py), Clamp01(opacity) * m);
        coverage.At(px, py) = std::max(coverage.At(px, py), m);
      }
  }

  void PaintFins(TGenOutput& out) {
    finView_.W = 256;
    finView_.H = sp_.FinHeight;
    TBox box;
    box.Add(-0.51, bodyMinY_ - 0.01);
    box.Add(0.51, bodyMaxY_ + 0.01);
    for (const TFin& f : sp_.MedianFins)
      for (TVec2 p : f.Outline) box.Add(p.X, p.Y);
    for (TVec2 p : sp_.Pectoral.Outline) box.Add(p.X, p.Y);
    box.Y0 -= 0.01;
    box.Y1 += 0.01;
    // A whole number of the median fins' cells each way: a cell reaching
    // past the picture would wrap round and show the fins of its other
    // side.
    box.X1 = box.X0 + std::ceil((box.X1 - box.X0) / kMedianCell - 1e-6) * kMedianCell;
    box.Y1 = box.Y0 + std::ceil((box.Y1 - box.Y0) / kMedianCell - 1e-6) * kMedianCell;
    finView_.Box = box;
    TImage colour(finView_.W, finView_.H, 3), alpha(finView_.W, finView_.H, 1);
    median_ = TImage(finView_.W, finView_.H, 1);
    pectoral_ = TImage(finView_.W, finView_.H, 1);
    for (const TFin& f : sp_.MedianFins) PaintFin(colour, alpha, median_, f);
    PaintFin(colour, alpha, pectoral_, sp_.Pectoral);
    // Colour bleeds out of the fins so that filtering at their edges keeps
    // the fin's colour.
    TImage weighted(colour.Width(), colour.Height(), 3), weight = alpha;
    for (int y = 0; y < colour.Height(); ++y)
      for (int x = 0; x < colour.Width(); ++x) weighted.SetRgb(x, y, colour.Rgb(x, y) * alpha.At(x, y));
    weighted.BlurClamp(3);
    weight.BlurClamp(3);
    for (int y = 0; y < colour.Height(); ++y)
      for (int x = 0; x < colour.Width(); ++x)
        if (alpha.At(x, y) < 0.99f && weight.At(x, y) > 1e-4f)
          colour.SetRgb(x, y, Mix(weighted.Rgb(x, y) * (1.0f / weight.At(x, y)), colour.Rgb(x, y), alpha.At(x, y)));
    out.AddJpeg(sp_.Name + "fin.jpg", colour, 88, TChroma::Full);
    out.AddJpeg(sp_.Name + "finA.jpg", alpha, 90, TChroma::Full);
  }

  // Whether any pixel of the cell (fish coordinates) is covered.
  static bool Covered(const TImage& coverage, const TView& view, double x0, double y0, double x1, double y1) {
    TVec2 a = view.Pixel(x0, y1), b = view.Pixel(x1, y0);
    int px0 = std::max(0, static_cast<int>(std::floor(a.X)) - 1), py0 = std::max(0, static_cast<int>(std::floor(a.Y)) - 1);
    int px1 = std::min(coverage.Width() - 1, static_cast<int>(std::ceil(b.X)) + 1);
    int py1 = std::min(coverage.Height() - 1, static_cast<int>(std::ceil(b.Y)) + 1);
    for (int y = py0; y <= py1; ++y)
      for (int x = px0; x <= px1; ++x)
        if (coverage.At(x, y) > 0.02f) return true;
    return false;
  }

  // A sheet over the covered cells of a grid laid on the side view; each
  // grid point seen at (x, y) is placed at rest(x, y).
  template <class Rest>
  void Sheet(const TImage& coverage, double cell, const TBox& box, Rest rest) {
    const int nx = static_cast<int>(std::ceil((box.X1 - box.X0) / cell - 1e-6));
    const int ny = static_cast<int>(std::ceil((box.Y1 - box.Y0) / cell - 1e-6));
    std::map<std::pair<int, int>, int> index;
    auto vertex = [&](int i, int j) {
      auto key = std::make_pair(i, j);
      auto it = index.find(key);
      if (it != index.end()) return it->second;
      double x = box.X0 + i * cell, y = box.Y0 + j * cell;
      auto uv = finView_.Uv(x, y);
      int v = fins_.Add(rest(x, y), uv[0], uv[1]);
      index.emplace(key, v);
      return v;
    };
    for (int j = 0; j < ny; ++j)
      for (int i = 0; i < nx; ++i) {
        double x0 = box.X0 + i * cell, y0 = box.Y0 + j * cell;
        if (!Covered(coverage, finView_, x0, y0, x0 + cell, y0 + cell)) continue;
        // Counter-clockwise seen from +z, then the other side.
        fins_.QuadTwoSided(vertex(i, j), vertex(i + 1, j), vertex(i + 1, j + 1), vertex(i, j + 1));
      }
  }

  void BuildFins() {
    fins_ = TGenObject{};
    fins_.Name = "Fins";
    fins_.Material = sp_.Title + "Fins";
    // Median fins in z = 0; below the lower-fin line a point seen at depth
    // d under it rests at depth d / -cos(pi/3 + w), further forward.
    Sheet(median_, kMedianCell, finView_.Box, [&](double x, double y) {
      if (y >= y2_) return TVec3{x, y, 0};
      double d = (y2_ - y) / -kLowerCos;
      return TVec3{x + kLowerSin * d, y2_ - d, 0};
    });
    // Pectoral fins: at rest a sheet standing out from the side-fin plane
    // at the fin's root; the mean sweep lays it back along the flank.
    TBox pec;
    double root = -1e9;
    for (TVec2 p : sp_.Pectoral.Outline) {
      pec.Add(p.X, p.Y);
      root = std::max(root, p.X);
    }
    // The grid's last column lies exactly on the root: points there do not
    // swing, and no point may lie ahead of it.
    const double cell = kPectoralCell;
    pec.X1 = root;
    pec.X0 = root - std::ceil((root - pec.X0 + 0.005) / cell) * cell;
    pec.Y0 -= 0.005, pec.Y1 += 0.005;
    for (double side : {1.0, -1.0})
      Sheet(pectoral_, cell, pec, [&](double x, double y) {
        double d = std::max(0.0, root - x) / kSideSin;
        return TVec3{root, y, side * (z1_ + d)};
      });
  }

  void WriteMesh(TGenOutput& out) {
    TGenMesh mesh;
    TGenMaterial bodyMaterial;
    bodyMaterial.Name = sp_.Title + "Body";
    bodyMaterial.Ambient = {255, 255, 255};
    bodyMaterial.Diffuse = {255, 255, 255};
    bodyMaterial.Specular = {160, 160, 160};
    bodyMaterial.SpecularLevel = 30;
    bodyMaterial.Glossiness = 30;
    bodyMaterial.DiffuseMap = sp_.Name + ".jpg";
    TGenMaterial finMaterial = bodyMaterial;
    finMaterial.Name = sp_.Title + "Fins";
    finMaterial.Specular = {0, 0, 0};
    finMaterial.SpecularLevel = 0;
    finMaterial.TwoSided = true;
    finMaterial.DiffuseMap = sp_.Name + "fin.jpg";
    finMaterial.OpacityMap = sp_.Name + "finA.jpg";
    mesh.Materials = {bodyMaterial, finMaterial};
    for (TGenObject o : {body_, fins_}) {
      for (TVec3& v : o.Vertices) v = TVec3{v.X * sp_.Length, v.Y * sp_.Length, v.Z * sp_.Length};
      mesh.Objects.push_back(o);
    }
    out.AddMesh(sp_.Name + ".3dm", mesh);
  }

  const TSpecies& sp_;
  TGenObject body_, fins_;
  TView bodyView_, finView_;
  TImage median_, pectoral_;
  double bodyMinY_ = 0, bodyMaxY_ = 0, bodyMaxZ_ = 0;
  double y2_ = 0, z1_ = 0;
};

// Plankton: a speck of light with a few feelers, drawn on three crossed
// squares so that it reads from any side while it tumbles.
void Plankton(TGenOutput& out, const std::string& name, const std::string& title, TRgb glow, TRgb body, double size) {
  const int n = 64;
  TImage colour(n, n, 3), alpha(n, n, 1);
  colour.FillRgb(glow);
  TImage halo(n, n, 1), core(n, n, 1), feelers(n, n, 1);
  FillEllipse(halo, TVec2{32, 32}, 20, 15, 12);
  FillEllipse(core, TVec2{32, 33}, 9, 6, 2.0);
  StrokePolyline(feelers, SmoothOpen(TPolygon{{26, 30}, {16, 22}, {6, 20}}, 6), 1.4, 0.6, 1.0);
  StrokePolyline(feelers, SmoothOpen(TPolygon{{38, 30}, {48, 22}, {58, 20}}, 6), 1.4, 0.6, 1.0);
  StrokePolyline(feelers, SmoothOpen(TPolygon{{32, 38}, {33, 48}, {30, 56}}, 6), 1.6, 0.7, 1.0);
  colour.Blend(feelers, body);
  colour.Blend(core, body);
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) alpha.At(x, y) = std::max({halo.At(x, y) * 0.45f, core.At(x, y) * 0.95f, feelers.At(x, y) * 0.8f});
  out.AddJpeg(name + ".jpg", colour, 88, TChroma::Full);
  out.AddJpeg(name + "A.jpg", alpha, 90, TChroma::Full);

  TGenMesh mesh;
  TGenMaterial m;
  m.Name = title;
  m.Ambient = {255, 255, 255};
  m.Diffuse = {255, 255, 255};
  m.SelfIllum = {160, 160, 160};
  m.TwoSided = true;
  m.DiffuseMap = name + ".jpg";
  m.OpacityMap = name + "A.jpg";
  mesh.Materials.push_back(m);
  TGenObject o;
  o.Name = title;
  o.Material = title;
  const double h = size / 2;
  // Three squares, one in each axis plane, both sides.
  const std::array<std::array<TVec3, 4>, 3> planes{{{{{-h, -h, 0}, {h, -h, 0}, {h, h, 0}, {-h, h, 0}}},
                                                     {{{-h, 0, h}, {h, 0, h}, {h, 0, -h}, {-h, 0, -h}}},
                                                     {{{0, -h, h}, {0, -h, -h}, {0, h, -h}, {0, h, h}}}}};
  for (const auto& q : planes) {
    int a = o.Add(q[0], 0, 0), b = o.Add(q[1], 1, 0), c = o.Add(q[2], 1, 1), d = o.Add(q[3], 0, 1);
    o.QuadTwoSided(a, b, c, d);
  }
  mesh.Objects.push_back(o);
  out.AddMesh(name + ".3dm", mesh);
}

}  // namespace

double TCurve::At(double s) const {
  const auto& p = Points;
  if (p.empty()) return 0;
  if (s <= p.front()[0]) return p.front()[1];
  if (s >= p.back()[0]) return p.back()[1];
  std::size_t k = 0;
  while (k + 2 < p.size() && s > p[k + 1][0]) ++k;
  auto slope = [&](std::size_t i) {
    std::size_t a = i == 0 ? 0 : i - 1, b = std::min(i + 1, p.size() - 1);
    return (p[b][1] - p[a][1]) / (p[b][0] - p[a][0]);
  };
  double h = p[k + 1][0] - p[k][0], t = (s - p[k][0]) / h;
  double t2 = t * t, t3 = t2 * t;
  return (2 * t3 - 3 * t2 + 1) * p[k][1] + (t3 - 2 * t2 + t) * h * slope(k) + (-2 * t3 + 3 * t2) * p[k + 1][1] +
         (t3 - t2) * h * slope(k + 1);
}

void MakeFishContent(TGenOutput& out) {
  for (const auto& list : {SaltWaterSpecies(), FreshWaterSpecies()})
    for (const TSpecies& sp : list) TFishBuilder(sp).Build(out);
  Plankton(out, "seaplankton", "SeaPlankton", Bytes3(200, 235, 255), Bytes3(235, 250, 255), 26);
  Plankton(out, "lakeplankton", "LakePlankton", Bytes3(200, 235, 170), Bytes3(225, 240, 190), 26);
}

}  // namespace velmora::gen
