// Feeds arbitrary text to the 3DM mesh loader as a mesh of a scene with
// material, texture and mesh lists (on a rendering context object that is
// never activated, so textures are made in client memory; their images are
// asked of the asset reader pointed at the program's resources, which hold
// none). A model that converts without error must leave only indices
// inside their vertex arrays and finite vertices; the mesh is then
// animated, measured and given more frames, as the fish do.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "app/GLApplication.h"
#include "app/Toolkit.h"
#include "assets/Mesh3DM.h"
#include "assets/ResourceReader.h"
#include "assets/Stream.h"
#include "core/Error.h"
#include "gl/Primitive.h"
#include "scene/MainScene.h"
#include "scene/Mesh3DMLoader.h"
#include "scene/SceneClasses.h"
#include "scene/SceneMaterial.h"
#include "scene/SceneMesh.h"
#include "scene/SceneMeshList.h"
#include "scene/SceneTextureList.h"

namespace {

using namespace velmora;

void Check(const TMeshGroupList& groups) {
  for (const auto& group : groups) {
    const TGLPrimitive& p = *group->Primitive;
    for (int i = 0; i < p.Indices.Count(); ++i)
      if (p.Indices.Items()[i] >= p.Vertices.Count()) std::abort();
    for (int i = 0; i < p.Vertices.Count(); ++i) {
      const TGLVector& v = p.Vertices.Items()[i];
      if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z)) std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static TCustomGLApplication* application = [] {
    RegisterSceneClasses();
    ResourceReader().Source = TResourceSource::rsResources;
    Application().Reset();
    return new TCustomGLApplication(nullptr);
  }();
  TMainScene scene;
  scene.Application = application;
  scene.SourceFlags = sfArchive;
  auto* textures = new TSceneTextureList;
  textures->SetName("Textures");
  scene.AddItem(textures);
  auto* materials = new TSceneMaterialList;
  materials->SetName("Materials");
  scene.AddItem(materials);
  auto* meshes = new TSceneMeshList;
  meshes->SetName("Meshes");
  meshes->Materials = materials;
  meshes->Textures = textures;
  scene.AddItem(meshes);
  auto* mesh = new TSceneMesh;
  mesh->SetName("fuzz.3dm");
  meshes->AddItem(mesh);

  T3DMMeshLoader loader;
  TCustomMemoryStream stream(std::span<const std::uint8_t>(data, size));
  try {
    loader.File().LoadFromStream(stream);
    loader.Convert("fuzz.3dm", *mesh);
  } catch (const Error&) {
    return 0;
  }
  Check(mesh->OpaqueGroups);
  Check(mesh->TransparentGroups);
  for (int i = 0; i < 4; ++i) mesh->Animate(0.37f);
  TGLBox box;
  mesh->Loaded = true;
  mesh->GetBounds(box);
  mesh->AddFrames(2, true);
  mesh->Animate(5);
  Check(mesh->OpaqueGroups);
  Check(mesh->TransparentGroups);
  return 0;
}
