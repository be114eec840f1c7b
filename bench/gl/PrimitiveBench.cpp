// Drawing a 10 000-triangle primitive: straight from the vertex arrays and
// through its display list, and the normals computed for it.
//
// Run under SDL_VIDEODRIVER=offscreen for the software rasterizer, or on a
// desktop for the real driver. Each iteration finishes the frame
// (glFinish) so the driver's work is counted, not only the submission.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "gl/GLEntryPoints.h"
#include "gl/OpenGL.h"
#include "gl/Primitive.h"
#include "platform/Service.h"
#include "platform/Window.h"

using namespace velmora;

namespace {

constexpr int kTriangles = 10000;

struct Context {
  std::unique_ptr<platform::NativeWindow> window;
  std::unique_ptr<TCustomOpenGL> gl;

  Context() {
    platform::WindowRequest request;
    request.title = "Velmora primitive benchmark";
    request.bounds = {0, 0, 256, 256};
    request.visible = false;
    window = platform::Get<platform::Windows>().Create(request);
    gl = std::make_unique<TCustomOpenGL>();
    gl->Activate(*window);
  }
  ~Context() {
    gl.reset();
    window.reset();
  }
};

Context& Shared() {
  static Context context;
  return context;
}

// A 100 x 50 grid of quads, two triangles each, over the view, with
// per-vertex colours and normals, indexed: the shape of the scene's meshes.
void BuildGrid(TGLPrimitive& p) {
  const int cols = 100, rows = kTriangles / 2 / cols;
  p.Mode = GL_TRIANGLES;
  p.Vertices.SetCount((cols + 1) * (rows + 1));
  p.Colors.SetCount(p.Vertices.Count());
  for (int y = 0; y <= rows; ++y)
    for (int x = 0; x <= cols; ++x) {
      int i = y * (cols + 1) + x;
      float fx = -1 + 2.0f * x / cols, fy = -1 + 2.0f * y / rows;
      p.Vertices.Items()[i] = {fx, fy, 0.1f * std::sin(fx * 6) * std::cos(fy * 6)};
      p.Colors.Items()[i] = {uint8_t(x * 2), uint8_t(y * 4), 128, 255};
    }
  p.Indices.SetCount(kTriangles * 3);
  uint16_t* idx = p.Indices.Items();
  for (int y = 0; y < rows; ++y)
    for (int x = 0; x < cols; ++x) {
      uint16_t a = uint16_t(y * (cols + 1) + x), b = uint16_t(a + 1), c = uint16_t(a + cols + 1),
               d = uint16_t(c + 1);
      *idx++ = a, *idx++ = b, *idx++ = d;
      *idx++ = a, *idx++ = d, *idx++ = c;
    }
  p.CalcNormals();
}

void SetUpView() {
  GL.glViewport(0, 0, 256, 256);
  GL.glMatrixMode(GL_PROJECTION);
  GL.glLoadIdentity();
  GL.glMatrixMode(GL_MODELVIEW);
  GL.glLoadIdentity();
  GL.glEnable(GL_LIGHTING);
  GL.glEnable(GL_LIGHT0);
  GL.glEnable(GL_COLOR_MATERIAL);
}

void RenderPrimitive(benchmark::State& state, bool displayList) {
  Context& context = Shared();
  if (!context.gl->Active()) {
    state.SkipWithError("no OpenGL context (set SDL_VIDEODRIVER=offscreen)");
    return;
  }
  TGLPrimitive* p = context.gl->Primitives()->Add();
  BuildGrid(*p);
  p->UseDisplayList = displayList;
  SetUpView();
  for (auto _ : state) {
    GL.glClear(GL_COLOR_BUFFER_BIT);
    p->Render();
    GL.glFinish();
  }
  state.SetItemsProcessed(state.iterations() * kTriangles);
  delete p;
}

void BM_RenderArrays(benchmark::State& state) { RenderPrimitive(state, false); }
void BM_RenderDisplayList(benchmark::State& state) { RenderPrimitive(state, true); }

void BM_CalcNormals(benchmark::State& state) {
  TGLPrimitive p(nullptr);
  BuildGrid(p);
  for (auto _ : state) {
    p.CalcNormals();
    benchmark::DoNotOptimize(p.Normals.Data());
  }
  state.SetItemsProcessed(state.iterations() * kTriangles);
}

}  // namespace

BENCHMARK(BM_RenderArrays)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderDisplayList)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CalcNormals)->Unit(benchmark::kMicrosecond);
