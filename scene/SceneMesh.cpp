#include "scene/SceneMesh.h"

#include <cmath>
#include <memory>

#include "core/Diagnostics.h"
#include "core/Error.h"
#include "core/Strings.h"
#include "gl/OpenGL.h"
#include "gl/Primitive.h"
#include "scene/FileNames.h"
#include "scene/MainScene.h"
#include "scene/Mesh3DMLoader.h"
#include "scene/RenderState.h"
#include "scene/ResourceLoader.h"
#include "scene/SceneMaterial.h"
#include "scene/SceneMeshList.h"
#include "scene/SceneTexture.h"

namespace velmora {

TSceneMesh::~TSceneMesh() { ClearGroups(); }

TSceneMeshList* TSceneMesh::List() const { return dynamic_cast<TSceneMeshList*>(Owner()); }

std::string TSceneMesh::Path() const {
  const auto* resource = dynamic_cast<const TResource*>(Owner());
  return resource ? resource->Path : ".\\";
}

bool TSceneMesh::ReadsFromDisk() const { return MainScene() ? (MainScene()->SourceFlags & sfDisk) != 0 : true; }

// --- drawing ------------------------------------------------------------------

void TSceneMesh::RenderOpaque() {
  LoadMesh();
  if (OpaqueGroups.Count() == 0) return;
  SetBlending(false);
  for (const auto& group : OpaqueGroups) group->Render();
}

void TSceneMesh::RenderTransparent() {
  LoadMesh();
  if (TransparentGroups.Count() == 0) return;
  SetBlending(true);
  for (const auto& group : TransparentGroups) group->Render();
}

void TSceneMesh::Animate(float deltaTime) {
  Time += deltaTime * FPS;
  if (!std::isfinite(Time)) Time = 0;
  const int frames = FrameCount();
  if (frames <= 0) return;
  const double whole = std::floor(static_cast<double>(Time));
  int frame = static_cast<int>(std::fmod(whole, frames));
  if (frame < 0) frame += frames;
  const int next = frame + 1 == frames ? 0 : frame + 1;
  const float fraction = static_cast<float>(static_cast<double>(Time) - whole);
  Time = static_cast<float>(frame) + fraction;
  const bool normals = SceneLighting();
  for (const auto& group : OpaqueGroups) group->Blend(frame, next, fraction, normals);
  for (const auto& group : TransparentGroups) group->Blend(frame, next, fraction, normals);
}

int TSceneMesh::FrameCount() const {
  if (OpaqueGroups.Count() > 0) return OpaqueGroups.Items(0)->VertexFrames.Count();
  if (TransparentGroups.Count() > 0) return TransparentGroups.Items(0)->VertexFrames.Count();
  return 0;
}

// --- groups -------------------------------------------------------------------

void TSceneMesh::LoadMesh() {
  if (Loaded || sourceName_.empty()) return;
  TDiagnosticPlace place(this, fileList_.empty() ? "SourceName" : "FileListName");
  T3DMMeshLoader loader;
  loader.Path = Path();
  loader.FromArchive = MainScene() && (MainScene()->SourceFlags & sfArchive) != 0;
  try {
    loader.Load(sourceName_, *this);
  } catch (...) {
    // A mesh that failed stays empty and is not tried again every frame.
    ClearGroups();
    Loaded = true;
    throw;
  }
  Loaded = true;
}

void TSceneMesh::ClearGroups() {
  OpaqueGroups.Clear();
  TransparentGroups.Clear();
}

TMeshGroup* TSceneMesh::AddGroup(int frameCount, int materialIndex, TSceneTexture* texture) {
  if (!Material) RaiseError("TSceneMesh", "AddGroup", "Material is not assigned! (mesh " + Name() + ")");
  if (materialIndex < 0 || materialIndex >= Material->GroupCount())
    RaiseError("TSceneMesh", "AddGroup",
               "List index out of bounds (" + std::to_string(materialIndex) + ") in material " + Material->Name() +
                   " of " + std::to_string(Material->GroupCount()) + " groups (mesh " + Name() + ")");
  TGroupMaterial* materialGroup = Material->GetGroup(materialIndex);
  TCustomOpenGL* gl = MainScene() ? MainScene()->OpenGL() : nullptr;
  auto group = std::make_unique<TMeshGroup>(gl ? gl->Primitives()->Add() : new TGLPrimitive(nullptr));
  group->Texture = texture;
  group->MaterialGroup = materialGroup;
  for (int i = 0; i < frameCount; ++i) group->VertexFrames.Add(std::make_unique<TGLVectorDArray>());
  const bool transparent = materialGroup->IsTransparent() || (texture && texture->HasAlpha());
  if (transparent) Alpha = true;
  return (transparent ? TransparentGroups : OpaqueGroups).Add(std::move(group));
}

void TSceneMesh::AddFrames(int count, bool withNormals) {
  LoadMesh();
  if (count < 1) return;
  auto add = [&](TMeshGroupList& groups) {
    for (const auto& group : groups) {
      const TGLPrimitive& p = *group->Primitive;
      const int vertices = p.Vertices.Count();
      for (int k = 0; k < count; ++k) {
        TGLVectorDArray* frame = group->VertexFrames.Add(std::make_unique<TGLVectorDArray>());
        p.Vertices.AssignTo(*frame);
        if (!withNormals) continue;
        TGLVectorDArray* normals = group->NormalFrames.Add(std::make_unique<TGLVectorDArray>());
        if (p.Normals.Count() == vertices) {
          p.Normals.AssignTo(*normals);
        } else {
          normals->SetCount(vertices);
          normals->Reset();
        }
      }
    }
  };
  add(OpaqueGroups);
  add(TransparentGroups);
}

void TSceneMesh::GetBounds(TGLBox& box) {
  LoadMesh();
  box = TGLBox{};
  bool any = false;
  auto extend = [&](const TMeshGroupList& groups) {
    for (const auto& group : groups) {
      const TGLVectorDArray& vertices = group->Primitive->Vertices;
      for (int i = 0; i < vertices.Count(); ++i) {
        const TGLVector& v = vertices.Items()[i];
        if (!any) {
          box.min = box.max = v;
          any = true;
          continue;
        }
        box.min = {std::fmin(box.min.x, v.x), std::fmin(box.min.y, v.y), std::fmin(box.min.z, v.z)};
        box.max = {std::fmax(box.max.x, v.x), std::fmax(box.max.y, v.y), std::fmax(box.max.z, v.z)};
      }
    }
  };
  extend(OpaqueGroups);
  extend(TransparentGroups);
}

// --- sources ------------------------------------------------------------------

void TSceneMesh::SetSourceName(const std::string& name) {
  if (name == sourceName_) return;
  sourceName_ = name;
  ClearGroups();
  Loaded = false;
}

void TSceneMesh::SetFileIndex(int32_t index) {
  if (index == FileIndex) return;
  FileIndex = index;
  if (index < 0 || index >= static_cast<int32_t>(fileList_.size())) return;
  SetSourceName(fileList_[static_cast<size_t>(index)]);
  // Also when the entry names the file already loaded: the groups go, and
  // the next use loads them again.
  ClearGroups();
  Loaded = false;
}

void TSceneMesh::LoadFileList(const std::string& name) {
  TDiagnosticPlace place(this, "FileListName");
  FileListName = name;
  fileList_ = ReadSceneFileLines(name, ReadsFromDisk());
}

// --- keys -------------------------------------------------------------------

void TSceneMesh::ReadProperties(TResourceLoader& loader) {
  TMainObject::ReadProperties(loader);
  ClearGroups();
  Loaded = false;
  const std::string path = Path();
  FPS = loader.ReadFloat("FPS", FPS);
  SetSourceName(loader.ReadFileName("SourceName", path, sourceName_));
  // A path that finds nothing leaves the mesh without material (the
  // loader warns at the key): a mesh from a 3DM file takes the material
  // the file names, any other draws nothing.
  Material = loader.ReadReferenceAs<TSceneMaterial>("Material", Material);
  const std::string listName = loader.ReadFileName("FileListName", path, "");
  if (!listName.empty()) LoadFileList(listName);
  SetFileIndex(loader.ReadInteger("FileIndex", FileIndex));
}

void TSceneMesh::WriteProperties(TResourceLoader& loader) {
  TMainObject::WriteProperties(loader);
  const std::string path = Path();
  loader.WriteFloat("FPS", FPS);
  if (!sourceName_.empty()) loader.WriteFileName("SourceName", path, sourceName_);
  if (Material) loader.WriteReference("Material", Material);
  if (!FileListName.empty()) loader.WriteFileName("FileListName", path, FileListName);
  if (FileIndex != -1) loader.WriteInteger("FileIndex", FileIndex);
}

}  // namespace velmora
