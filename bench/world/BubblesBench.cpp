// The bubbles' share of a frame's update: 100 bubbles (the program's scene)
// and 1 000 (the most the settings offer) with the program's keys, in a
// scene on an application whose window is 1024 x 768, animated at 60
// frames a second without drawing; every frame ages and moves each bubble,
// and the ones that reach the top are spawned again.
#include <benchmark/benchmark.h>

#include <memory>

#include "app/GLApplication.h"
#include "app/GLWindow.h"
#include "core/Random.h"
#include "scene/MainScene.h"
#include "world/Bubbles.h"

namespace velmora {
namespace {

void BM_AnimateBubbles(benchmark::State& state) {
  RandSeed(1);
  TCustomGLApplication application(nullptr);
  TGLWindow window(nullptr);
  window.SetBounds(0, 0, 1024, 768);
  application.SetWindow(&window);
  TMainScene scene;
  scene.Application = &application;
  auto* bubbles = new TBubbles;
  bubbles->SetName("Bubbles");
  bubbles->MinZ = 1500;
  bubbles->MaxZ = 2500;
  bubbles->MinSpeed = 50;
  bubbles->MaxSpeed = 100;
  bubbles->BottomY = -3000;
  bubbles->UpY = 5000;
  scene.AddObject(bubbles, poRender | poAnimation);
  bubbles->SetParticleCount(static_cast<int>(state.range(0)));
  for (auto _ : state) bubbles->Animate(1 / 60.0f);
  state.SetItemsProcessed(state.iterations() * state.range(0));
  scene.Clear();
  application.SetWindow(nullptr);
}

}  // namespace

BENCHMARK(BM_AnimateBubbles)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace velmora
