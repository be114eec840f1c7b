// Loading a scene description of 2 000 objects: half of them directly under
// the scene (each joining processing lists), half in ten resource lists of a
// hundred; read from a file on disk as the loader does for every load, and
// parsed from lines in memory to separate the parsing from the file.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "scene/MainScene.h"
#include "scene/ResourceLoader.h"
#include "scene/SceneClasses.h"

namespace velmora {
namespace {

constexpr int kDirect = 1000;
constexpr int kLists = 10;
constexpr int kPerList = 99;  // with the lists themselves: 2 000 objects

std::vector<std::string> Description() {
  std::vector<std::string> lines = {"[MainScene]", "Count=" + std::to_string(kDirect + kLists)};
  std::mt19937 random(7);
  auto add = [&](const std::string& section, const std::string& type, const std::string& name) {
    lines.push_back("[" + section + "]");
    lines.push_back("Type=" + type);
    lines.push_back("Name=" + name);
  };
  int index = 1;
  for (int i = 0; i < kDirect; ++i, ++index) {
    add("MainScene" + std::to_string(index), "TMainObjectList", "Object " + std::to_string(random() % 100000) + "-" + std::to_string(i));
    lines.push_back("ProcessOptions=[Render,Animation]");
    lines.push_back("Visible=" + std::to_string(i % 2));
  }
  for (int l = 0; l < kLists; ++l, ++index) {
    const std::string list = "List" + std::to_string(l);
    add("MainScene" + std::to_string(index), "TResource", list);
    lines.push_back("Visible=1");
    lines.push_back("Path=.\\Scenes\\" + list + "\\");
    lines.push_back("Count=" + std::to_string(kPerList));
    for (int c = 1; c <= kPerList; ++c) {
      add(list + std::to_string(c), "TMainObjectList", "Item " + std::to_string(random() % 100000) + "-" + std::to_string(c));
      lines.push_back("Alpha=1");
    }
  }
  return lines;
}

void BM_LoadSceneFromDisk(benchmark::State& state) {
  RegisterSceneClasses();
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("velmora-bench-" + std::to_string(std::random_device{}()));
  std::filesystem::create_directories(dir);
  {
    std::ofstream out(dir / "scene.gsc", std::ios::binary);
    for (const std::string& line : Description()) out << line << "\r\n";
  }
  TMainScene scene;
  scene.Path = dir.string() + "/";
  scene.SourceName = "scene.gsc";
  for (auto _ : state) {
    scene.Load();
    benchmark::DoNotOptimize(scene.GetCount());
  }
  state.counters["objects"] = static_cast<double>(scene.GetCount() + kLists * kPerList);
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_LoadSceneFromDisk)->Unit(benchmark::kMillisecond);

void BM_LoadSceneFromLines(benchmark::State& state) {
  RegisterSceneClasses();
  const std::vector<std::string> lines = Description();
  for (auto _ : state) {
    TMainScene scene;
    TResourceLoader loader;
    loader.MainScene = &scene;
    loader.Section = scene.Name();
    loader.OpenLines(lines);
    loader.ReadObjectProperties(&scene);
    loader.LoadChildren(&scene);
    benchmark::DoNotOptimize(scene.GetCount());
  }
}
BENCHMARK(BM_LoadSceneFromLines)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmora
