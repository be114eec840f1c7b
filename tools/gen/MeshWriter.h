// Meshes built in code and written as 3DM text.
//
// A TGenMesh holds standard materials and objects; each object has one
// material, one texture coordinate per vertex and triangles given by
// 0-based vertex positions (written 1-based, the same numbers for the
// vertex and texture-coordinate faces). Write gives the file text:
//
//   #Header 2 / Exporter VelmoraGen / Version 3
//   #MaterialCount 1 / Count N
//   #MaterialStandard K   Name, ShaderType, TwoSided, Opacity, Glossiness,
//                         SpecularLevel, Ambient, Diffuse, Specular,
//                         selfIllumColor, DiffuseMap, OpacityMap
//   #Object 1 / Name      then Vertices, TextureCoords, VertexFaces,
//                         TextureCoordFaces, Material, FaceMatID (all 1)
//
// Numbers are written with "." and at most four decimals, whatever the
// locale, so the text is the same on every machine.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace velmora::gen {

struct TVec3 {
  double X = 0, Y = 0, Z = 0;
};

struct TGenMaterial {
  std::string Name;
  std::array<int, 3> Ambient{128, 128, 128};
  std::array<int, 3> Diffuse{200, 200, 200};
  std::array<int, 3> Specular{0, 0, 0};
  std::array<int, 3> SelfIllum{0, 0, 0};
  double Opacity = 100;  // percent; exactly 99 makes a colour-keyed sprite texture
  double Glossiness = 10;
  double SpecularLevel = 0;
  bool TwoSided = false;
  std::string DiffuseMap;  // empty: "undefined"
  std::string OpacityMap;
};

struct TGenObject {
  std::string Name;
  std::string Material;
  std::vector<TVec3> Vertices;
  std::vector<std::array<double, 2>> TexCoords;  // one per vertex, v up
  std::vector<std::array<int, 3>> Faces;         // 0-based, counter-clockwise seen from the front

  // Appends a vertex and returns its position.
  int Add(TVec3 p, double u, double v);
  void Triangle(int a, int b, int c) { Faces.push_back({a, b, c}); }
  // Two triangles a-b-c-d (counter-clockwise seen from the front).
  void Quad(int a, int b, int c, int d);
  // Both windings, for thin parts seen from either side.
  void QuadTwoSided(int a, int b, int c, int d);
};

struct TGenMesh {
  std::vector<TGenMaterial> Materials;
  std::vector<TGenObject> Objects;

  std::string Write() const;
};

// A number as the 3DM files write it: fixed notation, "." separator, up to
// four decimals with trailing zeros dropped.
std::string MeshNumber(double value);

}  // namespace velmora::gen
