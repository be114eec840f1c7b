// Visual object lists and particles per frame:
//   - drawing a TMainVisualObjectList of 1 000 children that share one
//     500-triangle drawable (a primitive-backed stand-in for a mesh), from
//     vertex arrays and through a display list, each frame finished with
//     glFinish so the driver's work counts;
//   - animating 1 000 particles (age, respawn, move, gravity);
//   - making and freeing a whole particle list through its count (100, 1 000
//     and 10 000 particles, with the fitted growth: linear, as each new
//     particle's name is checked against the list's in constant time);
//   - adding 1 000 and 10 000 named children to a list in name order.
//
// Run under SDL_VIDEODRIVER=offscreen for the software rasterizer, or on a
// desktop for the real driver.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <string>

#include "core/Random.h"
#include "gl/GLEntryPoints.h"
#include "gl/OpenGL.h"
#include "gl/Primitive.h"
#include "platform/Service.h"
#include "platform/Window.h"
#include "scene/MainScene.h"
#include "scene/Particles.h"
#include "scene/RenderState.h"
#include "scene/VisualObject.h"

namespace velmora {
namespace {

constexpr int kChildren = 1000;
constexpr int kTriangles = 500;

struct Context {
  std::unique_ptr<platform::NativeWindow> window;
  std::unique_ptr<TCustomOpenGL> gl;

  Context() {
    platform::WindowRequest request;
    request.title = "Velmora visual object benchmark";
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

// A drawable over one primitive, standing in for a mesh.
class TPrimitiveDrawable : public TMainSceneObject {
 public:
  explicit TPrimitiveDrawable(TGLPrimitive* primitive) : primitive_(primitive) {}
  void RenderOpaque() override {
    SetBlending(false);
    primitive_->Render();
  }

 private:
  TGLPrimitive* primitive_;
};

// A 25 x 10 grid of quads, two triangles each, 0.05 across, with normals:
// a small fish-sized mesh.
void BuildMesh(TGLPrimitive& p) {
  const int cols = 25, rows = kTriangles / 2 / cols;
  p.Mode = GL_TRIANGLES;
  p.Vertices.SetCount((cols + 1) * (rows + 1));
  for (int y = 0; y <= rows; ++y)
    for (int x = 0; x <= cols; ++x)
      p.Vertices.Items()[y * (cols + 1) + x] = {0.05f * x / cols, 0.02f * y / rows,
                                                0.005f * std::sin(x * 0.5f) * std::cos(y * 0.7f)};
  p.Indices.SetCount(kTriangles * 3);
  uint16_t* index = p.Indices.Items();
  for (int y = 0; y < rows; ++y)
    for (int x = 0; x < cols; ++x) {
      const uint16_t a = uint16_t(y * (cols + 1) + x), b = uint16_t(a + 1), c = uint16_t(a + cols + 1),
                     d = uint16_t(c + 1);
      *index++ = a, *index++ = b, *index++ = d;
      *index++ = a, *index++ = d, *index++ = c;
    }
  p.CalcNormals();
}

void RenderList(benchmark::State& state, bool displayList) {
  Context& context = Shared();
  if (!context.gl->Active()) {
    state.SkipWithError("no OpenGL context (set SDL_VIDEODRIVER=offscreen)");
    return;
  }
  TGLPrimitive* primitive = context.gl->Primitives()->Add();
  BuildMesh(*primitive);
  primitive->UseDisplayList = displayList;
  TPrimitiveDrawable drawable(primitive);
  TMainVisualObjectList list;
  list.SetName("School");
  list.Visual = &drawable;
  list.SetCapacity(kChildren);
  for (int i = 0; i < kChildren; ++i) {
    auto* child = new TMainVisualObject;
    child->SetName("Fish" + std::to_string(i));
    child->Position = {-0.95f + 1.9f * (i % 40) / 40, -0.95f + 1.9f * (i / 40) / 25, 0};
    child->Angles = {0, 0, float(i % 360)};
    list.AddItem(child);
  }
  GL.glViewport(0, 0, 256, 256);
  GL.glMatrixMode(GL_PROJECTION);
  GL.glLoadIdentity();
  GL.glMatrixMode(GL_MODELVIEW);
  GL.glLoadIdentity();
  GL.glDisable(GL_CULL_FACE);
  ResetSceneRenderState();
  for (auto _ : state) {
    GL.glClear(GL_COLOR_BUFFER_BIT);
    list.Render();
    GL.glFinish();
  }
  state.SetItemsProcessed(state.iterations() * kChildren);
  list.Visual = nullptr;
  delete primitive;
}

void BM_VisualListArrays(benchmark::State& state) { RenderList(state, false); }
void BM_VisualListDisplayList(benchmark::State& state) { RenderList(state, true); }

// Rising particles with random lives of one to three seconds.
class TRisingParticles : public TSceneParticleList {
 public:
  void InitParticle(TSceneParticle* p) override {
    p->Position = {RandomFloat() * 2000 - 1000, -3000, -2000};
    p->Velocity = {0, 50 + RandomFloat() * 50, 0};
    p->AngularVelocity = {0, 30, 0};
    p->LifeTime = 1 + RandomFloat() * 2;
    p->Age = 0;
  }
};

void BM_AnimateParticles(benchmark::State& state) {
  RandSeed(1);
  TRisingParticles list;
  list.SetName("Bubbles");
  list.EnableGravity = true;
  list.Gravity = 9.8f;
  list.SetParticleCount(static_cast<int>(state.range(0)));
  for (auto _ : state) list.Animate(1 / 60.0f);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_SetParticleCount(benchmark::State& state) {
  TRisingParticles list;
  list.SetName("Bubbles");
  for (auto _ : state) {
    list.SetParticleCount(static_cast<int>(state.range(0)));
    list.SetParticleCount(0);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.SetComplexityN(state.range(0));
}

// A list in name order: each name is checked in constant time and its
// place found by binary search, but the entry is inserted there, shifting
// those after it: the growth is quadratic with a small factor (scene
// descriptions hold lists of tens of children).
void BM_AddNamedChildren(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    TMainVisualObjectList list;
    list.SetName("Objects");
    for (int i = 0; i < n; ++i) {
      auto* child = new TMainVisualObject;
      child->SetName("Object" + std::to_string(i));
      list.AddItem(child);
    }
    benchmark::DoNotOptimize(list.GetCount());
  }
  state.SetItemsProcessed(state.iterations() * n);
  state.SetComplexityN(n);
}

}  // namespace

BENCHMARK(BM_VisualListArrays)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VisualListDisplayList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnimateParticles)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SetParticleCount)->Arg(100)->Arg(1000)->Arg(10000)->Complexity()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddNamedChildren)->Arg(1000)->Arg(10000)->Complexity()->Unit(benchmark::kMillisecond);

}  // namespace velmora
