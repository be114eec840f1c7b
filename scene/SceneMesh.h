// A scene mesh: triangles split by material into mesh groups (MeshGroup.h),
// sorted into an opaque and a transparent pass, with optional vertex-frame
// animation. Meshes draw nothing by themselves: visual objects place them
// and call their passes.
//
// Lifecycle:
//
//   made by the loader (or in code) -> keys read: the groups freed, Loaded
//   cleared -> first RenderOpaque, RenderTransparent, GetBounds or
//   AddFrames: LoadMesh builds the groups from SourceName once
//   (Mesh3DMLoader.h), Loaded set even when that failed -> Animate blends
//   the frames every frame -> a new source (SetSourceName, SetFileIndex,
//   keys read again) frees the groups: the next use loads again -> freed
//   with its list.
//
// Groups: AddGroup puts a group in TransparentGroups when its material
// group is transparent (diffuse alpha below 0.99) or its texture has an
// alpha channel, and sets Alpha; otherwise in OpaqueGroups. RenderOpaque
// switches blending off and draws the opaque groups, RenderTransparent
// switches it on and draws the transparent ones; each group applies its
// material group and binds its texture through the render state cache.
//
// Animation: Time (in frames) advances by DeltaTime x FPS; with N frames
// (those of the first opaque group, else of the first transparent group)
// the groups show frame F = floor(Time) mod N blended toward F + 1 (0 after
// the last) by the fraction of Time, written straight into each
// primitive's vertex array; normals are blended only while the render
// state's lighting flag is on. Time is kept in 0 .. N. A negative FPS runs
// the frames backwards; a Time that is not finite starts again at 0.
//
// File lists: FileListName names a text file of 3DM names, one per line
// (disk or archive as the scene reads); SetFileIndex picks one as
// SourceName. The mesh list keeps the choice in the user's options.
//
// Keys (besides those of TMainObject):
//   FPS=<float>             default 6
//   SourceName=<file>       with the list's Path
//   Material=<reference>    a TSceneMaterial; a path that finds nothing
//                           reads as none (a warning in --check)
//   FileListName=<file>     with the list's Path; the list is read at once
//   FileIndex=<integer>     default the current index; SetFileIndex
// Written back: FPS, SourceName (when set), Material (when set),
// FileListName (when set), FileIndex (when not -1).
//
// Diagnostics (core/Diagnostics.h): loading and the file list mark the key
// they work on ("SourceName", or "FileListName" for a mesh whose names
// come from a list), so a file the data lacks is reported there.
//
// Errors:
//   "TSceneMesh.AddGroup error: Material is not assigned! (mesh M)"
//   "TSceneMesh.AddGroup error: List index out of bounds (<i>) in material <name> of <n> groups (mesh M)"
//   loading errors: see Mesh3DMLoader.h; they name the mesh file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gl/Types.h"
#include "scene/MeshGroup.h"
#include "scene/SceneItem.h"

namespace velmora {

class TSceneMaterial;
class TSceneMeshList;
class TSceneTexture;

class TSceneMesh : public TMainObject {
 public:
  TSceneMesh() = default;
  ~TSceneMesh() override;

  const char* ClassName() const override { return "TSceneMesh"; }

  TMeshGroupList OpaqueGroups;
  TMeshGroupList TransparentGroups;
  // Not owned.
  TSceneMaterial* Material = nullptr;
  float FPS = 6;
  const std::string& SourceName() const { return sourceName_; }
  // The animation position in frames.
  float Time = 0;
  // The groups have been built from SourceName (or that was tried).
  bool Loaded = false;
  // For code that builds frames itself; Animate does not consult it.
  bool Looping = false;
  int32_t FileIndex = -1;
  std::string FileListName;
  const std::vector<std::string>& FileList() const { return fileList_; }

  void RenderOpaque() override;
  void RenderTransparent() override;
  void Animate(float deltaTime) override;
  void ReadProperties(TResourceLoader& loader) override;
  void WriteProperties(TResourceLoader& loader) override;

  // The mesh list the mesh is in (its Owner), or nullptr.
  TSceneMeshList* List() const;
  // The directory of the mesh's files: the owning list's Path, else ".\".
  std::string Path() const;

  // Builds the groups from SourceName once (see Lifecycle).
  void LoadMesh();
  // Frees every group.
  void ClearGroups();
  // A new group: transparent or opaque as above, with frameCount empty
  // vertex frames and a new primitive; materialIndex picks the group of
  // Material. texture may be nullptr.
  TMeshGroup* AddGroup(int frameCount, int materialIndex, TSceneTexture* texture);
  // A change frees the groups and clears Loaded.
  void SetSourceName(const std::string& name);
  // A change is stored; an index of an entry of the file list becomes the
  // source.
  void SetFileIndex(int32_t index);
  // Reads the file list (disk when the scene reads from disk, else the
  // archive; a name the archive lacks gives an empty list).
  void LoadFileList(const std::string& name);
  // The frames of the first opaque group, else of the first transparent
  // group, else 0. Does not load.
  int FrameCount() const;
  // Loads the mesh when needed, then appends count vertex frames (and
  // normal frames when withNormals) to every group, each a copy of the
  // primitive's current vertices (normals; zero vectors without).
  void AddFrames(int count, bool withNormals);
  // Loads the mesh when needed; the box around the vertices of every group,
  // all zero when there are none.
  void GetBounds(TGLBox& box);

  // Every group, opaque ones first.
  int GroupCount() const { return OpaqueGroups.Count() + TransparentGroups.Count(); }

 private:
  // True when files come from disk.
  bool ReadsFromDisk() const;

  std::string sourceName_;
  std::vector<std::string> fileList_;
};

}  // namespace velmora
