// Turns a 3DM mesh file (assets/Mesh3DM.h) into the groups of a scene mesh,
// creating the materials and textures it names that the mesh list's
// Materials and Textures lack.
//
// Lifecycle: made by TSceneMesh::LoadMesh with the list's Path and the
// scene's archive bit -> Load(file, mesh) -> freed. Load:
//
//   1. The file is read (from the archive with FromArchive, where a missing
//      entry gives no objects; else from disk, where a missing file is an
//      error). Without objects nothing more happens.
//   2. Materials: each 3DM material missing from Materials becomes a
//      TSceneMaterial there, with one group per standard material (sub-
//      material k of a multi-material becomes group k); materials already
//      present are used as they are. The texture each standard material
//      names is made in Textures when missing:
//        name      the diffuse map; with an opacity map the diffuse map up
//                  to its first ".", then "A", then its extension
//                  ("ClockSkin01.jpg" -> "ClockSkin01A.jpg")
//        format    tfAlpha (diffuse + opacity map) with an opacity map;
//                  else tfSprite with automatic key colour when Opacity is
//                  exactly 99; else tfTexture
//      A material without a diffuse map has no texture.
//      Group values (3DM colours are 0..255): alpha a = 1 from Opacity 99
//      up, else Opacity / 100; Ambient, Diffuse, Emission (selfIllumColor)
//      / 255 with alpha a; Specular x SpecularLevel / 100 / 255; shininess
//      Glossiness x 0.896 (kept within 0..128); front faces, back faces
//      when TwoSided.
//   3. Each object: the mesh's Material becomes the material the object
//      names (none when Materials lacks it); its faces are bucketed by
//      material number N (first appearance order), each bucket one group
//      of material group N - 1 (cut to the material's last group) with the
//      texture of that (sub-)material. Corners share a vertex when they
//      have the same source vertex and the same texture-coordinate number
//      or equal u and v (TVertIndices3DMList); one vertex frame per
//      animation frame (normal frames are made empty).
//
// Diagnostics (core/Diagnostics.h): a texture made from a material has its
// place in the 3DM file, section "Material <name>", its image keys named
// "DiffuseMap" and "OpacityMap". A mesh whose list has no Materials list
// (its reference found nothing) stays empty, a material texture without a
// Textures list is left out; both are warnings at the mesh's key.
//
// Errors (each followed by " (mesh M, file F)", or by " (file F)" where
// the message names the mesh already):
//   "T3DMMeshLoader.AddMesh: FaceID>1000 (object O, face n)"
//   "T3DMMeshLoader.AddMesh error: Face n of object O has material number N; numbers start at 1"
//   "T3DMMeshLoader.AddMesh error: Object O has n face material numbers for f faces"
//   "T3DMMeshLoader.AddMesh error: Object O: frame k holds n positions for m vertices"
//   "T3DMMeshLoader.AddMesh error: Object O: <what> is not a finite number"
//   "T3DMMeshLoader.AddMaterials error: Material M: <what> is not a finite number"
//   "T3DMMeshLoader.AddMaterials error: Material M has n sub-materials; at most 1000"
//   "T3DMMeshLoader.Load error: <name> in <list> is not a <class>"
//   "TVertIndices3DMList.Add error: More than 32768 vertices in one group"
//   "TSceneMesh.AddGroup error: Material is not assigned! (object O names material X)"
//   TSceneMesh::AddGroup's error for a material with fewer groups (none)
//   the 3DM reader's errors; the texture list's and the image decoders'.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace velmora {

class T3DMFile;
class T3DMMaterialStandard;
class T3DMObject;
class TSceneMaterial;
class TSceneMaterialList;
class TSceneMesh;
class TSceneTexture;
class TSceneTextureList;

// One vertex of a mesh group: a source vertex with one texture coordinate.
struct TVertIndex3DM {
  int32_t Vertex = 0;    // source vertex number, 1-based
  int32_t NewIndex = 0;  // index in the group's vertex array
  int32_t TexCoord = 0;  // texture-coordinate number, 0 without
  int32_t Color = 0;     // colour number, 0 without
  float U = 0, V = 0;
  int32_t Next = -1;  // the next record of the same source vertex, -1 at the end
};

// The vertices of one group: per source vertex a bucket of the records made
// for it, and all records in creation order (= new index order).
class TVertIndices3DMList {
 public:
  // Indices must fit a signed 16-bit integer.
  static constexpr int kMaxVertices = 32768;

  // For source vertices 1 .. vertexCount.
  explicit TVertIndices3DMList(int vertexCount);

  // The new index of a corner: a record of the same source vertex with the
  // same texture-coordinate number, or with equal u and v, is reused;
  // otherwise a new record gets the next index.
  int Add(int32_t vertex, int32_t texCoord, int32_t color, float u, float v);
  // Forgets every record (the buckets are emptied for the next group).
  void Clear();

  int Count() const { return static_cast<int>(records_.size()); }
  const TVertIndex3DM& Items(int index) const { return records_[static_cast<size_t>(index)]; }

 private:
  std::vector<int32_t> heads_;  // per source vertex, the first record or -1
  std::vector<TVertIndex3DM> records_;
};

class T3DMMeshLoader {
 public:
  T3DMMeshLoader();
  ~T3DMMeshLoader();
  T3DMMeshLoader(const T3DMMeshLoader&) = delete;
  T3DMMeshLoader& operator=(const T3DMMeshLoader&) = delete;

  // The directory of 3DM files.
  std::string Path = ".\\";
  // Read the file through the process-wide asset reader.
  bool FromArchive = false;
  T3DMFile& File() const { return *file_; }

  // Builds the groups of mesh from fileName (combined with Path).
  void Load(const std::string& fileName, TSceneMesh& mesh);
  // Steps 2 and 3 on the model File() holds (read by the caller), for the
  // source fileName; errors pass out as they are.
  void Convert(const std::string& fileName, TSceneMesh& mesh);

 private:
  void AddMaterials();
  void AddMesh(const T3DMObject& object, TSceneMesh& mesh);
  // The texture of a standard material, made when makeMissing is set and
  // the list lacks it; nullptr when the material names none.
  TSceneTexture* MaterialTexture(const T3DMMaterialStandard& material, bool makeMissing);
  // The 3DM material whose textures group index of the object's material
  // uses, or nullptr.
  const T3DMMaterialStandard* GroupSource(const std::string& materialName, int index) const;

  std::unique_ptr<T3DMFile> file_;
  // The 3DM file being converted (the place of the textures it makes).
  std::string fileName_;
  TSceneMaterialList* materials_ = nullptr;
  TSceneTextureList* textures_ = nullptr;
};

// The texture name a 3DM standard material's maps give; empty without a
// diffuse map.
std::string Texture3DMName(const T3DMMaterialStandard& material);

}  // namespace velmora
