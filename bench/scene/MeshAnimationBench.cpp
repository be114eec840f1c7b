// The per-frame cost of a mesh's vertex animation: a 500-vertex mesh (one
// group, as the fish are) with 8 frames, animated by 1/60 s per iteration,
// so that each iteration blends two frames into the primitive's vertex
// array; once unlit (vertices only) and once with lighting on (normals
// blended as well). The mesh lives outside a rendering context: the cost
// measured is the blending alone.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "gl/Primitive.h"
#include "scene/RenderState.h"
#include "scene/SceneMaterial.h"
#include "scene/SceneMesh.h"

namespace velmora {
namespace {

constexpr int kVertices = 500;
constexpr int kFrames = 8;

struct AnimatedMesh {
  TSceneMaterial material;
  TSceneMesh mesh;

  AnimatedMesh() {
    material.SetName("Fish");
    material.AddGroup();
    mesh.SetName("fish");
    mesh.Material = &material;
    TMeshGroup* group = mesh.AddGroup(0, 0, nullptr);
    TGLPrimitive& p = *group->Primitive;
    p.Vertices.SetCount(kVertices);
    p.Normals.SetCount(kVertices);
    for (int k = 0; k < kFrames; ++k) {
      auto vertices = std::make_unique<TGLVectorDArray>();
      auto normals = std::make_unique<TGLVectorDArray>();
      vertices->SetCount(kVertices);
      normals->SetCount(kVertices);
      for (int i = 0; i < kVertices; ++i) {
        const float bend = std::sin(0.7f * static_cast<float>(k) + 0.01f * static_cast<float>(i));
        vertices->Items()[i] = {static_cast<float>(i), 20 * bend, static_cast<float>(i % 7)};
        normals->Items()[i] = {bend, 0, std::sqrt(1 - bend * bend)};
      }
      group->VertexFrames.Add(std::move(vertices));
      group->NormalFrames.Add(std::move(normals));
    }
    mesh.FPS = 10;
  }
  ~AnimatedMesh() { mesh.ClearGroups(); }
};

void Animate(benchmark::State& state, bool lit) {
  AnimatedMesh fish;
  ResetSceneRenderState();
  SetLighting(lit);
  for (auto _ : state) {
    fish.mesh.Animate(1.0f / 60);
    benchmark::DoNotOptimize(fish.mesh.OpaqueGroups.Items(0)->Primitive->Vertices.Items());
  }
  SetLighting(false);
  state.SetItemsProcessed(state.iterations() * kVertices);
}

void BM_AnimateMesh500Vertices(benchmark::State& state) { Animate(state, false); }
void BM_AnimateMesh500VerticesLit(benchmark::State& state) { Animate(state, true); }

BENCHMARK(BM_AnimateMesh500Vertices);
BENCHMARK(BM_AnimateMesh500VerticesLit);

}  // namespace
}  // namespace velmora
