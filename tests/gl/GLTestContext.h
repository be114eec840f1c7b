// Test fixtures for the OpenGL layer.
//
// GLTestContext: a hidden window with an active TCustomOpenGL on the real
// driver (run under SDL_VIDEODRIVER=offscreen, as CTest does), so tests can
// draw and read pixels, textures and state back. GLContextTest is the
// gtest fixture around it; it fails the test when no context can be had.
//
// NoopGLProcs: an entry point for every name of the table that does nothing
// and returns zero, for the scripted driver (platform::FakeGLDriver), so
// code that calls GL unguarded can run without a driver. Tests replace the
// entries they want to watch.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "gl/OpenGL.h"
#include "platform/Service.h"
#include "platform/Window.h"

namespace velmora::testing {

class GLTestContext {
 public:
  explicit GLTestContext(int width = 64, int height = 64) {
    platform::WindowRequest request;
    request.title = "Velmora test";
    request.bounds = platform::Rect{0, 0, width, height};
    request.visible = false;
    window = platform::Get<platform::Windows>().Create(request);
    gl = std::make_unique<TCustomOpenGL>();
    gl->Activate(*window);
  }
  ~GLTestContext() {
    gl.reset();  // the context goes before its window
    window.reset();
  }
  GLTestContext(const GLTestContext&) = delete;
  GLTestContext& operator=(const GLTestContext&) = delete;

  bool Active() const { return gl && gl->Active(); }

  // RGBA bytes of a rectangle of the frame buffer, rows bottom-up.
  std::vector<uint8_t> ReadPixels(int x, int y, int width, int height) const {
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    GL.glPixelStorei(GL_PACK_ALIGNMENT, 1);
    GL.glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
  }

  std::unique_ptr<platform::NativeWindow> window;
  std::unique_ptr<TCustomOpenGL> gl;
};

class GLContextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    context_ = std::make_unique<GLTestContext>();
    ASSERT_TRUE(context_->Active()) << "no OpenGL context (is SDL_VIDEODRIVER=offscreen set?)";
  }
  void TearDown() override { context_.reset(); }

  TCustomOpenGL& OpenGL() { return *context_->gl; }
  platform::NativeWindow& Window() { return *context_->window; }
  GLTestContext& Context() { return *context_; }

 private:
  std::unique_ptr<GLTestContext> context_;
};

namespace detail {
template <class R, class... A>
R NoopGL(A...) {
  if constexpr (!std::is_void_v<R>) return R{};
}
template <class R, class... A>
void* NoopFor(R (*)(A...)) {
  return reinterpret_cast<void*>(&NoopGL<R, A...>);
}
}  // namespace detail

inline std::map<std::string, void*> NoopGLProcs() {
  std::map<std::string, void*> procs;
  TGLEntryPoints table;
#define VELMORA_NOOP_CORE(name) procs[#name] = detail::NoopFor(table.name);
  VELMORA_GL11_FUNCTIONS(VELMORA_NOOP_CORE)
  VELMORA_GL12_13_FUNCTIONS(VELMORA_NOOP_CORE)
#undef VELMORA_NOOP_CORE
#define VELMORA_NOOP_EXTENSION(extension, type, name) procs[#name] = detail::NoopFor(table.name);
  VELMORA_GL_EXTENSION_FUNCTIONS(VELMORA_NOOP_EXTENSION)
#undef VELMORA_NOOP_EXTENSION
  return procs;
}

}  // namespace velmora::testing
