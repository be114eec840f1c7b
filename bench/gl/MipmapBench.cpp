// The mipmap chain of the program's box filter: the filter alone on square
// RGB and RGBA images, and the whole upload of a mipmapped texture in a real
// context (run with SDL_VIDEODRIVER=offscreen when there is no display).
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "gl/OpenGL.h"
#include "gl/Texture.h"
#include "platform/Service.h"
#include "platform/Window.h"

namespace velmora {
namespace {

void BM_BoxFilterChain(benchmark::State& state) {
  const int size = static_cast<int>(state.range(0));
  const int components = static_cast<int>(state.range(1));
  std::vector<uint8_t> source(static_cast<size_t>(size) * size * components);
  for (size_t i = 0; i < source.size(); ++i) source[i] = static_cast<uint8_t>(i * 7 + i / 13);
  std::vector<uint8_t> scratch(source.size());
  for (auto _ : state) {
    std::memcpy(scratch.data(), source.data(), source.size());
    int w = size, h = size;
    while (w > 1 || h > 1) ShrinkBoxFilter(scratch.data(), w, h, components);
    benchmark::DoNotOptimize(scratch.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(source.size()));
}
BENCHMARK(BM_BoxFilterChain)->Args({256, 3})->Args({256, 4})->Args({1024, 3})->Args({1024, 4});

void BM_MipmappedUpload(benchmark::State& state) {
  platform::WindowRequest request;
  request.title = "Velmora benchmark";
  request.bounds = platform::Rect{0, 0, 16, 16};
  request.visible = false;
  std::unique_ptr<platform::NativeWindow> window;
  try {
    window = platform::Get<platform::Windows>().Create(request);
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
    return;
  }
  auto gl = std::make_unique<TCustomOpenGL>();
  gl->Activate(*window);
  if (!gl->Active()) {
    state.SkipWithError("no OpenGL context");
    return;
  }
  const int size = static_cast<int>(state.range(0));
  TGLTexture* t = gl->Textures()->NewRGBA8(size, size);
  for (int64_t i = 0; i < t->ImageSize(); ++i) t->Pixels()[i] = static_cast<uint8_t>(i * 31);
  t->MinFilter = GL_LINEAR_MIPMAP_LINEAR;
  for (auto _ : state) {
    t->Unload();
    t->Use();
    GL.glFinish();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * t->ImageSize());
  gl.reset();
  window.reset();
}
BENCHMARK(BM_MipmappedUpload)->Arg(256)->Arg(512)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmora
