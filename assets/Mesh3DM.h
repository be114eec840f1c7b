// The 3DM mesh text format: objects (vertices, normals, colours, texture
// coordinates, triangles, transform, face material numbers, vertex-frame
// animation) and materials, read into an in-memory model that the scene's
// mesh loader turns into GL primitives.
//
// The file is line-oriented; sections begin with "#Name count":
//
//   #Object 1            Name ClockHand
//   #Vertices 4          [x,y,z] per line
//   #VertexFaces 2       [1,2,3] per line: 1-based vertex positions
//   #Transform 2         Scale [1,-1,1] / (matrix3 [..] [..] [..] [..])
//   #MaterialStandard 9  parameter lines: key, blank, value
//
// Lifecycle: made empty -> LoadFromFile / LoadFromStream / LoadFromLines
// (cleared, then read) -> walked by the mesh loader -> Clear or freed.
//
// Running out of lines ends loading normally wherever it happens. A
// malformed number, a section about an object before any "Object", a face
// naming a vertex, colour or texture coordinate that the object lacks, or
// an animation "Length" that would give all objects together more frames
// than the file has lines (each frame needs its own "Frame" line) raises;
// what was read before stays in the model. So the model never holds more
// than the file's size can justify.
//
// Errors: "T3DMFile.ReadInteger error: '...' is not a valid integer value",
// "T3DMFile.ReadFloat error: ...", "T3DMFile.ReadVector error: ...",
// "T3DMFile.ReadColor error: ...", "T3DMFile.ReadChunk error: ...",
// "T3DMFile.ReadAnimation error: Length N is out of range for this file
// (...)", "T3DMFile.ReadAnimMesh error: It is not vertex frame animation!",
// "T3DMFile error: SubMaterial is not Standard", "T3DMFile.CheckFaces
// error: ...", "T3DMList.Items error: position N is outside A..B",
// "T3DMFile.Objects error: List index out of bounds (N)",
// "T3DMVertexFrameList.Frames error: List index out of bounds (N)",
// "T3DMVertexFrameList.SetCount error: negative count N"; the material
// list's own in Material3DM.h.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "assets/Material3DM.h"
#include "assets/Stream.h"

namespace velmora {

struct T3DMVertex {
  float X = 0, Y = 0, Z = 0;
};
struct T3DMTextureCoord {
  float U = 0, V = 0;
};
// Three 1-based positions into the matching vertex, colour or
// texture-coordinate list.
struct T3DMFace {
  std::array<std::int32_t, 3> Index{};
};

// The base of the record lists.
class T3DMList {
 public:
  virtual ~T3DMList() = default;
  virtual void Clear() = 0;
  virtual int Count() const = 0;
};

// Records fetched by position counted from Base (1 for vertices, colours
// and texture coordinates, matching the face numbers; 0 for faces). A
// position outside the list raises.
template <class R, int Base>
class T3DMRecordList : public T3DMList {
 public:
  void Clear() override { records_.clear(); }
  int Count() const override { return static_cast<int>(records_.size()); }
  void Add(const R& record) { records_.push_back(record); }
  const R& Items(int position) const;
  R& Items(int position) { return const_cast<R&>(static_cast<const T3DMRecordList&>(*this).Items(position)); }
  bool Contains(int position) const { return position >= Base && position - Base < Count(); }
  const std::vector<R>& Records() const { return records_; }

 private:
  std::vector<R> records_;
};

[[noreturn]] void Raise3DMPosition(int position, int base, int count);

template <class R, int Base>
const R& T3DMRecordList<R, Base>::Items(int position) const {
  if (!Contains(position)) Raise3DMPosition(position, Base, Count());
  return records_[static_cast<std::size_t>(position - Base)];
}

class T3DMVertexList : public T3DMRecordList<T3DMVertex, 1> {};
class T3DMColorList : public T3DMRecordList<T3DMColor, 1> {};
class T3DMTextureCoordList : public T3DMRecordList<T3DMTextureCoord, 1> {};
class T3DMFaceList : public T3DMRecordList<T3DMFace, 0> {};
class T3DMIntegerList : public T3DMRecordList<std::int32_t, 0> {};

// Vertex animation: one position list per frame, each as long as the
// object's Vertices.
class T3DMVertexFrameList {
 public:
  int Count() const { return static_cast<int>(frames_.size()); }
  // 0-based; a bad index raises.
  T3DMVertexList& Frames(int index) const;
  // Grows with empty frames; shrinking frees the frames beyond count.
  void SetCount(int count);

  bool Loop = false;

 private:
  std::vector<std::unique_ptr<T3DMVertexList>> frames_;
};

class T3DMObject {
 public:
  T3DMVertexList Vertices;
  T3DMVertexList Normals;  // one per vertex
  T3DMColorList Colors;
  T3DMTextureCoordList TextureCoords;
  T3DMFaceList VertexFaces;        // triangles by vertex position
  T3DMFaceList ColorFaces;         // the same triangles by colour position
  T3DMFaceList TextureCoordFaces;  // the same triangles by texture-coordinate position
  std::string Name;
  bool HasNormals = false;
  bool HasTextureCoords = false;
  bool HasColors = false;
  bool HasTransform = false;
  std::uint32_t ScaleSigns = 0;  // bits 0, 1, 2: x, y, z scale negative
  bool TransformFlag = true;     // cleared when a transform is read
  // Four rows of three: x axis, y axis, z axis, translation.
  std::array<float, 12> Matrix{};
  std::string MaterialName;
  T3DMIntegerList FaceMaterials;  // one material number per face, as in the file
  T3DMVertexFrameList VertexFrames;

  int FaceMaterialCount() const { return FaceMaterials.Count(); }
};

// The current section while reading.
struct T3DMChunk {
  std::string Name;
  std::int32_t Count = 0;
};

// One parameter line: the key up to the first blank, the value after it.
struct T3DMParam {
  std::string Key;
  std::string Value;
};

class T3DMFile {
 public:
  std::int32_t Version = 0;
  T3DMMaterialList Materials;
  // Read through ResourceReader() (a failed open gives an empty model)
  // rather than from the named file (which must exist).
  bool UseResourceReader = false;

  // Clears the model, then reads it.
  void LoadFromFile(const std::string& fileName);
  void LoadFromStream(TStream& stream);
  void LoadFromLines(const std::vector<std::string>& lines);
  void Clear();

  int ObjectCount() const { return static_cast<int>(objects_.size()); }
  // 0-based, in file order; a bad index raises.
  T3DMObject& Objects(int index) const;

 private:
  friend class T3DMReader;
  std::vector<std::unique_ptr<T3DMObject>> objects_;
};

}  // namespace velmora
