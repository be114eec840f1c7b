// The world's per-frame update without drawing: a water, 100 bubbles, 60
// fish in three lists and a list of plankton, the analogue clock's hand
// angles and the digital clock's tint and texts, as the program's scene
// has them, for 10 000 frames of 1/60 s after a warm-up. Reports
// microseconds and heap allocations per frame (HeapCount.h; which must be
// none).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "app/GLApplication.h"
#include "bench/world/HeapCount.h"
#include "platform/LocalTime.h"
#include "platform/Service.h"
#include "platform/fake/FakeSettingsStore.h"
#include "scene/MainScene.h"
#include "scene/ResourceLoader.h"
#include "scene/SceneClasses.h"
#include "scene/SceneMeshList.h"
#include "world/GLClock.h"
#include "world/UnderWaterWorld.h"
#include "world/WatchClock.h"
#include "world/WorldClasses.h"

namespace velmora {
namespace {

std::vector<std::string> Description() {
  std::vector<std::string> lines = {
      "[MainScene]", "Count=7",
      "[MainScene1]", "Type=TUnderWater", "Name=Blue Water", "ProcessOptions=[Render,Animation]", "FarPlane=10000",
      "FogStart=6000", "FogEnd=10000", "UpY=5000", "BottomY=-3000", "UpColor=20,160,230,255",
      "BottomColor=20,90,130,255", "UpAlpha=0.55", "BottomAlpha=0.35",
      "[MainScene2]", "Type=TBubbles", "Name=Bubbles", "ProcessOptions=[Render,Animation]", "ParticleCount=100",
      "MaxCount=1000", "MinZ=1500", "MaxZ=2500", "MaxSpeed=100", "MinSpeed=50", "BottomY=-3000", "UpY=5000",
      "[MainScene3]", "Type=TFishRender", "Name=SaltWater", "ProcessOptions=[Render,Animation]", "StepZ=10",
      "SortAlpha=1", "FishDirection=Both", "Count=4",
      "[MainScene4]", "Type=TWatchClock", "Name=Clock", "ProcessOptions=[Render,Animation]", "Position=0,0,-2900",
      "[MainScene5]", "Type=TResource", "Name=ClockResource", "Count=2",
      "[ClockResource1]", "Type=TSceneMeshList", "Name=ClockSprites", "Count=19",
      "[ClockResource2]", "Type=TMainSpriteList", "Name=ClockObjects", "Count=13",
      "[MainScene6]", "Type=TGLClock", "Name=GLClock", "ProcessOptions=[Render,Animation]",
      "Sprites=ClockResource/ClockSprites", "Objects=ClockResource/ClockObjects", "Color=65,170,255,255", "Mode=1",
      "[MainScene7]", "Type=TUnderWater", "Name=Green Water", "ProcessOptions=[Render,Animation]", "Visible=0",
      "FarPlane=10000", "FogStart=6000", "FogEnd=10000", "UpAlpha=0.55", "BottomAlpha=0.35",
  };
  const char* fish[] = {"Angelfish", "Blue Tang", "Clownfish", "Sea Plankton"};
  for (int i = 0; i < 4; ++i) {
    lines.insert(lines.end(), {"[SaltWater" + std::to_string(i + 1) + "]", "Type=TFishes", std::string("Name=") + fish[i],
                               std::string("FishType=") + (i < 3 ? "Fish" : "Plankton"), "MaxZ=8000", "MinZ=1200",
                               "UpY=2400", "BottomY=-2600", "MaxSpeed=200", "MinSpeed=110", "MaxCount=60"});
  }
  // The digital clock's sprites and placed objects.
  std::vector<std::string> sprites = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9",
                                      "sun", "mon", "tue", "wed", "thu", "fri", "sat", "am", "pm"};
  for (size_t i = 0; i < sprites.size(); ++i)
    lines.insert(lines.end(), {"[ClockSprites" + std::to_string(i + 1) + "]", "Type=TSceneSprite", "Name=" + sprites[i],
                               "Width=30", "Height=46"});
  std::vector<std::string> objects = {"time1", "time2",  "time3",  "time4",  "time5",  "time6", "time7",
                                      "month1", "month2", "month3", "month4", "month5", "day"};
  for (size_t i = 0; i < objects.size(); ++i)
    lines.insert(lines.end(), {"[ClockObjects" + std::to_string(i + 1) + "]", "Type=TMainVisualObject",
                               "Name=" + objects[i], "VisualOptions=[Position]"});
  return lines;
}

struct TWorldScene {
  TWorldScene() : application(nullptr) {
    RegisterSceneClasses();
    RegisterWorldClasses();
    scene.Application = &application;
    TResourceLoader loader;
    loader.MainScene = &scene;
    loader.Section = scene.Name();
    loader.OpenLines(Description());
    loader.ReadObjectProperties(&scene);
    loader.LoadChildren(&scene);
    world.LoadOptions();
    world.SetFishCount(60);
    world.SetBubbleCount(100);
    glClock = static_cast<TGLClock*>(scene.FindObject("GLClock"));
  }
  // What a frame does besides drawing.
  void Frame(float deltaTime) {
    scene.Animate(deltaTime);
    glClock->ApplyColor();
    glClock->UpdateDisplay();
    const platform::LocalDateTime now = platform::Get<platform::LocalTime>().Now();
    angles = TWatchClock::HandAngles(now.hour, now.minute, now.second);
  }

  platform::FakeSettingsStore store;
  platform::ScopedService<platform::SettingsStore> storeService{&store};
  TCustomGLApplication application;
  TMainScene scene;
  TUnderWaterWorld world{&application, &scene};
  TGLClock* glClock = nullptr;
  TWatchClock::THandAngles angles;
};

void BM_WorldFrameWithoutDrawing(benchmark::State& state) {
  TWorldScene world;
  for (int i = 0; i < 300; ++i) world.Frame(1.0f / 60);  // every particle spawned, the texts shown
  const long before = HeapAllocations();
  for (auto _ : state) {
    world.Frame(1.0f / 60);
    benchmark::DoNotOptimize(world.angles);
  }
  state.counters["allocations/frame"] =
      benchmark::Counter(double(HeapAllocations() - before), benchmark::Counter::kAvgIterations);
  int particles = world.world.GetBubbleCount();
  auto* fish = static_cast<TMainList*>(world.scene.FindObject("SaltWater"));
  for (int i = 0; i < fish->GetCount(); ++i) particles += static_cast<TMainList*>(fish->GetItem(i))->GetCount();
  state.counters["particles"] = particles;
  state.counters["sprites"] = world.glClock->Sprites->GetCount();
}
BENCHMARK(BM_WorldFrameWithoutDrawing)->Iterations(10000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velmora
