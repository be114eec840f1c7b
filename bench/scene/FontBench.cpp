// Scene fonts with the system's fonts (fontconfig and FreeType), in a real
// context (run with SDL_VIDEODRIVER=offscreen when there is no display):
//   BM_FontBuild     building the atlas of a font and uploading it: the FPS
//                    font (14 characters, cell 32, softened) and a full font
//                    (all 256 codes, cell 16) plain and softened
//   BM_FpsStringDraw one frame's drawing of the FPS string "60 fps"
#include <benchmark/benchmark.h>

#include <memory>

#include "app/GLApplication.h"
#include "gl/GLEntryPoints.h"
#include "gl/Texture.h"
#include "platform/Service.h"
#include "platform/Window.h"
#include "scene/MainScene.h"
#include "scene/RenderState.h"
#include "scene/SceneClasses.h"
#include "scene/SceneFont.h"
#include "scene/SceneText.h"

namespace velmora {
namespace {

// A hidden window with an active context for the benchmark's run.
class TBenchContext {
 public:
  TBenchContext() {
    platform::WindowRequest request;
    request.title = "Velmora benchmark";
    request.bounds = platform::Rect{0, 0, 256, 192};
    request.visible = false;
    window_ = platform::Get<platform::Windows>().Create(request);
    app_.OpenGL()->Activate(*window_);
  }
  ~TBenchContext() { app_.OpenGL()->Deactivate(); }
  bool Active() { return app_.OpenGL()->Active(); }
  TCustomGLApplication& App() { return app_; }

 private:
  std::unique_ptr<platform::NativeWindow> window_;
  TCustomGLApplication app_{nullptr};
};

void BM_FontBuild(benchmark::State& state) {
  const bool fps = state.range(0) != 0;
  const bool soften = state.range(1) != 0;
  RegisterSceneClasses();
  TBenchContext context;
  if (!context.Active()) {
    state.SkipWithError("no OpenGL context");
    return;
  }
  {
    TMainScene scene;
    scene.Application = &context.App();
    auto* font = new TSceneFont;
    font->SetName("Font");
    if (fps) {
      font->ClearChars();
      font->AddString(" fps0123456789");
      font->FontCellSize = 32;
    }
    if (soften) font->FontOptions |= foSoften;
    scene.AddObject(font, 0);
    for (auto _ : state) {
      font->Release();
      font->Build();
      font->AtlasTexture()->Use();
      GL.glFinish();
    }
    state.counters["glyphs"] = font->CharCount();
  }
}
BENCHMARK(BM_FontBuild)
    ->ArgNames({"fps", "soften"})
    ->Args({1, 1})
    ->Args({0, 0})
    ->Args({0, 1})
    ->Unit(benchmark::kMillisecond);

void BM_FpsStringDraw(benchmark::State& state) {
  RegisterSceneClasses();
  TBenchContext context;
  if (!context.Active()) {
    state.SkipWithError("no OpenGL context");
    return;
  }
  {
    TMainScene scene;
    scene.Application = &context.App();
    scene.SetShowFPS(true);
    scene.SetFPSText(60);
    scene.FpsStr->RenderTransparent();  // built outside the loop
    for (auto _ : state) {
      scene.FpsStr->RenderTransparent();
      GL.glFinish();
    }
  }
}
BENCHMARK(BM_FpsStringDraw)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velmora
