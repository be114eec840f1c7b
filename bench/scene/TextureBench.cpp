// A scene texture from a 1024 x 1024 JPEG file, decoded, reduced and
// uploaded at each quality step (High: 1024 x 1024 texels, Medium: 1024 as
// well - a side of 1024 halves the step -, Low: 512 x 512), colour only and
// with an alpha image; in a real context (run with SDL_VIDEODRIVER=offscreen
// when there is no display).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <random>

#include "app/GLApplication.h"
#include "app/ImageWriter.h"
#include "app/Toolkit.h"
#include "gl/GLEntryPoints.h"
#include "gl/Texture.h"
#include "platform/Service.h"
#include "platform/Window.h"
#include "scene/MainScene.h"
#include "scene/RenderState.h"
#include "scene/SceneClasses.h"
#include "scene/SceneTextureList.h"

namespace velmora {
namespace {

void BM_JpegTextureLoad(benchmark::State& state) {
  const auto quality = static_cast<TTextureQuality>(state.range(0));
  const bool withAlpha = state.range(1) != 0;
  RegisterSceneClasses();
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("velmora-bench-" + std::to_string(std::random_device{}()));
  std::filesystem::create_directories(dir);
  TBitmap24 picture(1024, 1024);
  for (int y = 0; y < 1024; ++y)
    for (int x = 0; x < 1024 * 3; ++x) picture.ScanLine(y)[x] = static_cast<uint8_t>((x * 5 + y * 3) ^ (x / 7));
  TJpegWriter writer;
  writer.Assign(picture);
  writer.SaveToFile((dir / "picture.jpg").string());
  writer.SaveToFile((dir / "alpha.jpg").string());

  platform::WindowRequest request;
  request.title = "Velmora benchmark";
  request.bounds = platform::Rect{0, 0, 16, 16};
  request.visible = false;
  auto window = platform::Get<platform::Windows>().Create(request);
  TCustomGLApplication app(nullptr);
  app.OpenGL()->Activate(*window);
  if (!app.OpenGL()->Active()) {
    state.SkipWithError("no OpenGL context");
    return;
  }
  {
    TMainScene scene;
    scene.Application = &app;
    auto* list = new TSceneTextureList;
    list->SetName("Textures");
    list->Path = dir.string() + "/";
    list->SetQuality(quality);
    list->SetColorBit(cb32Bit);
    scene.AddObject(list, 0);
    TSceneTexture* texture = list->AddTexture(withAlpha ? tfAlpha : tfTexture, "picture", "picture.jpg",
                                              withAlpha ? "alpha.jpg" : "", {}, false);
    for (auto _ : state) {
      texture->ReleaseGLTexture();
      ResetSceneRenderCaches();
      BindSceneTexture(texture);
      GL.glFinish();
    }
    state.counters["texels"] = static_cast<double>(texture->GLTexture()->Width()) * texture->GLTexture()->Height();
    BindSceneTexture(nullptr);
  }
  app.OpenGL()->Deactivate();
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_JpegTextureLoad)
    ->ArgNames({"quality", "alpha"})
    ->Args({tqHigh, 0})
    ->Args({tqMedium, 0})
    ->Args({tqLow, 0})
    ->Args({tqHigh, 1})
    ->Args({tqLow, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmora
