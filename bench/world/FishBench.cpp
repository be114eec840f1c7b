// The fish school's per-frame update without drawing: one environment of
// three fish lists of 20 (each with its own 500-vertex mesh swimming
// through its ten generated frames) and a plankton list of 60, read from a
// description as the program's are, run for 10 000 frames of 1/60 s after
// a warm-up in which every fish has spawned. Reports the time per frame
// and the heap allocations per frame (HeapCount.h), which must be none:
// spawning, placing in the depth slots and moving reuse what exists.
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "app/GLApplication.h"
#include "bench/world/HeapCount.h"
#include "core/Random.h"
#include "gl/Primitive.h"
#include "scene/MainScene.h"
#include "scene/ResourceLoader.h"
#include "scene/SceneClasses.h"
#include "scene/SceneMesh.h"
#include "world/FishRender.h"
#include "world/Fishes.h"
#include "world/WorldClasses.h"

namespace velmora {
namespace {

constexpr int kFrames = 10000;

std::vector<std::string> Description() {
  std::vector<std::string> lines = {
      "[MainScene]", "Count=3",
      "[MainScene1]", "Type=TSceneMaterialList", "Name=Materials", "Count=1",
      "[Materials1]", "Type=TSceneMaterial", "Name=Fish", "Count=1",
      "[MainScene2]", "Type=TSceneMeshList", "Name=Meshes", "Count=4"};
  for (int i = 1; i <= 4; ++i)
    for (const std::string& line : {"[Meshes" + std::to_string(i) + "]", std::string("Type=TSceneMesh"),
                                    "Name=mesh" + std::to_string(i), std::string("Material=Materials/Fish")})
      lines.push_back(line);
  for (const char* line : {"[MainScene3]", "Type=TFishRender", "Name=SaltWater", "ProcessOptions=[Render,Animation]",
                           "Visible=1", "Alpha=1", "StepZ=10", "SortAlpha=1", "FishDirection=Both", "Count=4"})
    lines.push_back(line);
  for (int i = 1; i <= 3; ++i)
    for (const std::string& line :
         {"[SaltWater" + std::to_string(i) + "]", std::string("Type=TFishes"), "Name=Fish" + std::to_string(i),
          std::string("Visible=1"), "Visual=Meshes/mesh" + std::to_string(i), std::string("FishType=Fish"),
          std::string("MaxZ=8000"), std::string("MinZ=1200"), std::string("UpY=2400"), std::string("BottomY=-2600"),
          std::string("MaxSpeed=200"), std::string("MinSpeed=110"), std::string("MaxCount=60"),
          std::string("ParticleCount=20")})
      lines.push_back(line);
  for (const char* line : {"[SaltWater4]", "Type=TFishes", "Name=Plankton", "Visible=1", "Visual=Meshes/mesh4",
                           "FishType=Plankton", "MaxZ=3000", "MinZ=600", "UpY=3000", "BottomY=-2800", "MaxSpeed=45",
                           "MinSpeed=15", "MaxCount=60", "ParticleCount=60"})
    lines.push_back(line);
  return lines;
}

// A body of rings along x, length long, head at +x: rings x points
// vertices.
void FillBody(TSceneMesh& mesh, float length, int rings, int points) {
  TGLPrimitive& p = *mesh.AddGroup(0, 0, nullptr)->Primitive;
  p.Vertices.SetCount(rings * points);
  std::vector<uint16_t> indices;
  for (int r = 0; r < rings; ++r) {
    const double s = (r + 0.5) / rings;
    const double radius = 0.2 * length * std::sin(std::numbers::pi * s);
    for (int k = 0; k < points; ++k) {
      const double a = 2 * std::numbers::pi * k / points;
      p.Vertices.Items()[r * points + k] = {float((s - 0.5) * length), float(radius * std::cos(a)),
                                           float(0.4 * radius * std::sin(a))};
      if (r + 1 == rings) continue;
      const int i = r * points + k, j = r * points + (k + 1) % points;
      for (int v : {i, j, j + points, i, j + points, i + points}) indices.push_back(static_cast<uint16_t>(v));
    }
  }
  p.Indices.LoadFromArray(indices);
}

struct TFishScene {
  TFishScene() : application(nullptr) {
    RegisterSceneClasses();
    RegisterWorldClasses();
    RandSeed(1);
    scene.Application = &application;
    TResourceLoader loader;
    loader.MainScene = &scene;
    loader.Section = scene.Name();
    loader.OpenLines(Description());
    loader.ReadObjectProperties(&scene);
    loader.LoadChildren(&scene);
    for (int i = 1; i <= 3; ++i) {
      auto* mesh = static_cast<TSceneMesh*>(scene.FindObject("Meshes/mesh" + std::to_string(i)));
      FillBody(*mesh, 400, 25, 20);
      // The frames the first drawing would make.
      static_cast<TFishes*>(scene.FindObject("SaltWater/Fish" + std::to_string(i)))->MakeSwimFrames();
    }
    FillBody(*static_cast<TSceneMesh*>(scene.FindObject("Meshes/mesh4")), 20, 2, 4);
    render = static_cast<TFishRender*>(scene.FindObject("SaltWater"));
  }
  ~TFishScene() {
    for (int i = 1; i <= 4; ++i) static_cast<TSceneMesh*>(scene.FindObject("Meshes/mesh" + std::to_string(i)))->ClearGroups();
  }
  TCustomGLApplication application;
  TMainScene scene;
  TFishRender* render = nullptr;
};

void BM_FishSchoolUpdate(benchmark::State& state) {
  TFishScene world;
  // Warm-up: every particle has spawned, every list measured its mesh.
  for (int frame = 0; frame < 120; ++frame) world.scene.Animate(1.0f / 60);
  const long before = HeapAllocations();
  for (auto _ : state) {
    world.scene.Animate(1.0f / 60);
    benchmark::DoNotOptimize(world.render->CausticPhase);
  }
  state.counters["allocations/frame"] =
      benchmark::Counter(double(HeapAllocations() - before), benchmark::Counter::kAvgIterations);
  state.counters["fish in slots"] = world.render->HeldSlots();
}
BENCHMARK(BM_FishSchoolUpdate)->Iterations(kFrames)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velmora
