// The water's per-frame update (the surface's waves, the scrolling light
// map, the phases) and its geometry build, on a water read from a
// description as the program's are; no drawing. The frame benchmark also
// counts the heap allocations a frame makes (HeapCount.h), which must be
// none.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "app/GLApplication.h"
#include "bench/world/HeapCount.h"
#include "scene/MainScene.h"
#include "scene/ResourceLoader.h"
#include "scene/SceneClasses.h"
#include "world/UnderWater.h"
#include "world/WorldClasses.h"

namespace velmora {
namespace {

const std::vector<std::string> kDescription = {
    "[MainScene]",          "Count=1",
    "[MainScene1]",         "Type=TUnderWater",
    "Name=Blue Water",      "ProcessOptions=[Render,Animation]",
    "FarPlane=10000",       "FogStart=6000",
    "FogEnd=10000",         "UpY=5000",
    "BottomY=-3000",        "UpColor=20,160,230,255",
    "BottomColor=20,90,130,255", "UpAlpha=0.55",
    "BottomAlpha=0.35",
};

struct TWaterScene {
  TWaterScene() : application(nullptr) {
    RegisterSceneClasses();
    RegisterWorldClasses();
    scene.Application = &application;
    TResourceLoader loader;
    loader.MainScene = &scene;
    loader.Section = scene.Name();
    loader.OpenLines(kDescription);
    loader.ReadObjectProperties(&scene);
    loader.LoadChildren(&scene);
    water = static_cast<TUnderWater*>(scene.FindObject("Blue Water"));
  }
  TCustomGLApplication application;
  TMainScene scene;
  TUnderWater* water = nullptr;
};

void BM_WaterAnimate(benchmark::State& state) {
  TWaterScene world;
  world.water->Animate(1.0f / 60);  // steady state
  const long before = HeapAllocations();
  for (auto _ : state) {
    world.water->Animate(1.0f / 60);
    benchmark::DoNotOptimize(world.water->WavePhase);
  }
  state.counters["allocations/frame"] =
      benchmark::Counter(double(HeapAllocations() - before), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_WaterAnimate);

void BM_WaterBuildGeometry(benchmark::State& state) {
  TWaterScene world;
  for (auto _ : state) {
    world.water->BuildGeometry();
    benchmark::DoNotOptimize(world.water->Backdrop());
  }
}
BENCHMARK(BM_WaterBuildGeometry)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velmora
