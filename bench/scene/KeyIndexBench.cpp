// Reading a font section of many "Str" keys (10 000 and 100 000, about 11
// bytes a line): each key is found by its name, so the time per key shows
// whether finding a key depends on how many the section holds. Parsed from
// lines in memory and read through the loader as a scene load does.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "scene/MainScene.h"
#include "scene/ResourceLoader.h"
#include "scene/SceneClasses.h"

namespace velmora {
namespace {

std::vector<std::string> FontDescription(int keys) {
  std::vector<std::string> lines = {"[MainScene]", "Count=1", "[MainScene1]", "Type=TSceneFont", "Name=Many",
                                    "ProcessOptions=[]"};
  lines.reserve(static_cast<size_t>(keys) + lines.size());
  for (int i = 1; i <= keys; ++i) lines.push_back("Str" + std::to_string(i) + "=" + char('!' + i % 90));
  return lines;
}

void BM_ReadFontStrKeys(benchmark::State& state) {
  RegisterSceneClasses();
  const int keys = static_cast<int>(state.range(0));
  const std::vector<std::string> lines = FontDescription(keys);
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
  state.SetItemsProcessed(state.iterations() * keys);
  state.counters["keys"] = keys;
}
BENCHMARK(BM_ReadFontStrKeys)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Finding keys in a parsed document alone, without the font.
void BM_FindKeys(benchmark::State& state) {
  const int keys = static_cast<int>(state.range(0));
  TIniDocument document;
  document.Parse(FontDescription(keys));
  std::string value;
  for (auto _ : state) {
    for (int i = 1; i <= keys; i += 97)
      benchmark::DoNotOptimize(document.ReadValue("MainScene1", "Str" + std::to_string(i), value));
  }
  state.SetItemsProcessed(state.iterations() * ((keys + 96) / 97));
}
BENCHMARK(BM_FindKeys)->Arg(10000)->Arg(100000);

}  // namespace
}  // namespace velmora
