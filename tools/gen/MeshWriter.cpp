#include "tools/gen/MeshWriter.h"

#include <charconv>
#include <cmath>
#include <initializer_list>
#include <string_view>

#include "core/Error.h"

namespace velmora::gen {

int TGenObject::Add(TVec3 p, double u, double v) {
  Vertices.push_back(p);
  TexCoords.push_back({u, v});
  return static_cast<int>(Vertices.size()) - 1;
}

void TGenObject::Quad(int a, int b, int c, int d) {
  Triangle(a, b, c);
  Triangle(a, c, d);
}

void TGenObject::QuadTwoSided(int a, int b, int c, int d) {
  Quad(a, b, c, d);
  Quad(a, d, c, b);
}

std::string MeshNumber(double value) {
  double rounded = std::round(value * 10000.0) / 10000.0;
  if (rounded == 0) rounded = 0;  // no "-0"
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, rounded, std::chars_format::fixed, 4);
  std::string text(buffer, result.ptr);
  if (text.find('.') != std::string::npos) {
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
  }
  return text;
}

namespace {

// The texts are appended piece by piece into one string: GCC 12 misreads
// a chain of operator+ that starts with a literal as overlapping copies
// (-Wrestrict) once it is inlined.
std::string Joined(std::initializer_list<std::string_view> parts) {
  std::string text;
  for (std::string_view part : parts) text += part;
  return text;
}

std::string Colour(const std::array<int, 3>& c) {
  return Joined({"(color ", std::to_string(c[0]), " ", std::to_string(c[1]), " ", std::to_string(c[2]), ")"});
}

std::string Vector(double x, double y, double z) {
  return Joined({"[", MeshNumber(x), ",", MeshNumber(y), ",", MeshNumber(z), "]"});
}

std::string Face(const std::array<int, 3>& f) {
  return Joined({"[", std::to_string(f[0] + 1), ",", std::to_string(f[1] + 1), ",", std::to_string(f[2] + 1), "]"});
}

}  // namespace

std::string TGenMesh::Write() const {
  std::string out;
  auto line = [&](const std::string& text) {
    out += text;
    out += "\r\n";
  };
  line("#Header 2");
  line("Exporter VelmoraGen");
  line("Version 3");
  line("#MaterialCount 1");
  line("Count " + std::to_string(Materials.size()));
  for (const TGenMaterial& m : Materials) {
    line("#MaterialStandard 12");
    line("Name " + m.Name);
    line("ShaderType 1 Blinn");
    line(std::string("TwoSided ") + (m.TwoSided ? "TRUE" : "FALSE"));
    line("Opacity " + MeshNumber(m.Opacity));
    line("Glossiness " + MeshNumber(m.Glossiness));
    line("SpecularLevel " + MeshNumber(m.SpecularLevel));
    line("Ambient " + Colour(m.Ambient));
    line("Diffuse " + Colour(m.Diffuse));
    line("Specular " + Colour(m.Specular));
    line("selfIllumColor " + Colour(m.SelfIllum));
    line("DiffuseMap " + (m.DiffuseMap.empty() ? std::string("undefined") : m.DiffuseMap));
    line("OpacityMap " + (m.OpacityMap.empty() ? std::string("undefined") : m.OpacityMap));
  }
  for (const TGenObject& o : Objects) {
    if (o.TexCoords.size() != o.Vertices.size())
      RaiseError("TGenMesh", "Write", "object " + o.Name + " needs one texture coordinate per vertex");
    for (const auto& f : o.Faces)
      for (int i : f)
        if (i < 0 || i >= static_cast<int>(o.Vertices.size()))
          RaiseError("TGenMesh", "Write", "object " + o.Name + " has a face outside its vertices");
    line("#Object 1");
    line("Name " + o.Name);
    line("#Vertices " + std::to_string(o.Vertices.size()));
    for (const TVec3& v : o.Vertices) line(Vector(v.X, v.Y, v.Z));
    line("#TextureCoords " + std::to_string(o.TexCoords.size()));
    for (const auto& t : o.TexCoords) line(Vector(t[0], t[1], 0));
    line("#VertexFaces " + std::to_string(o.Faces.size()));
    for (const auto& f : o.Faces) line(Face(f));
    line("#TextureCoordFaces " + std::to_string(o.Faces.size()));
    for (const auto& f : o.Faces) line(Face(f));
    line("#Material 1");
    line("Name " + o.Material);
    line("#FaceMatID " + std::to_string(o.Faces.size()));
    for (std::size_t i = 0; i < o.Faces.size(); ++i) line("1");
  }
  return out;
}

}  // namespace velmora::gen
