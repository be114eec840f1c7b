// The SDL OpenGL driver against the display it runs on (the offscreen
// driver under CTest): what it reports of the framebuffer configurations,
// that a chosen configuration is what the context gets, library loading.
#include "platform/GLDriver.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <GL/gl.h>

#include "platform/Service.h"
#include "platform/Window.h"

namespace platform {
namespace {

using GetIntegerv = void (*)(GLenum, GLint*);
using GetString = const GLubyte* (*)(GLenum);

class SdlGLDriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WindowRequest request;
    request.title = "driver test";
    request.bounds = Rect{0, 0, 32, 32};
    request.visible = false;
    window = Get<Windows>().Create(request);
    ASSERT_TRUE(driver.LoadLibrary(driver.SystemLibraryName()));
  }
  void TearDown() override {
    if (context) {
      driver.MakeCurrent(nullptr, nullptr);
      driver.DeleteContext(context);
    }
    driver.UnloadLibrary();
    window.reset();
  }

  GLint Integer(GLenum name) {
    auto get = reinterpret_cast<GetIntegerv>(driver.GetProcAddress("glGetIntegerv"));
    GLint v = -1;
    if (get) get(name, &v);
    return v;
  }

  GLDriver& driver = Get<GLDriver>();
  std::unique_ptr<NativeWindow> window;
  GLContext context = nullptr;
};

TEST_F(SdlGLDriverTest, FormatsDescribeTheDisplaysConfigurations) {
  const auto formats = driver.EnumerateFormats(*window);
  ASSERT_FALSE(formats.empty());
  bool windowable = false;
  for (const GLFormat& f : formats) {
    EXPECT_EQ(f.colorBits, f.redBits + f.greenBits + f.blueBits + f.alphaBits) << f.nativeId;
    EXPECT_EQ(f.accumBits, f.accumRedBits + f.accumGreenBits + f.accumBlueBits + f.accumAlphaBits);
    EXPECT_FALSE(f.supportGDI);
    EXPECT_NE(f.nativeId, 0u);
    windowable |= f.drawToWindow && f.doubleBuffer && !f.needPalette;
  }
  EXPECT_TRUE(windowable);
}

TEST_F(SdlGLDriverTest, TheContextGetsTheChosenFormat) {
  const auto formats = driver.EnumerateFormats(*window);
  // Two different depths in turn; the window is made again for each.
  for (int depth : {24, 16}) {
    const GLFormat* chosen = nullptr;
    for (const GLFormat& f : formats)
      if (f.drawToWindow && !f.needPalette && f.depthBits == depth && f.redBits == 8) chosen = &f;
    if (!chosen) continue;
    if (context) {
      driver.MakeCurrent(nullptr, nullptr);
      driver.DeleteContext(context);
    }
    context = driver.CreateContext(*window, *chosen);
    ASSERT_NE(context, nullptr);
    ASSERT_TRUE(driver.MakeCurrent(window.get(), context));
    EXPECT_EQ(Integer(GL_DEPTH_BITS), depth);
    EXPECT_EQ(Integer(GL_RED_BITS), 8);
    EXPECT_EQ(Integer(GL_ALPHA_BITS), chosen->alphaBits);
    // Generic formats are the software rasterizer's.
    auto getString = reinterpret_cast<GetString>(driver.GetProcAddress("glGetString"));
    ASSERT_NE(getString, nullptr);
    const std::string renderer = reinterpret_cast<const char*>(getString(GL_RENDERER));
    if (renderer.find("llvmpipe") != std::string::npos || renderer.find("softpipe") != std::string::npos) {
      EXPECT_TRUE(chosen->generic);
    }
  }
  ASSERT_NE(context, nullptr) << "no 8-bit format with 16 or 24 depth bits";
  EXPECT_FALSE(driver.WindowSystemExtensions(*window).empty());
  if (driver.SwapIntervalSupported()) {
    EXPECT_TRUE(driver.SetSwapInterval(0));
    EXPECT_EQ(driver.GetSwapInterval(), 0);
    EXPECT_TRUE(driver.SetSwapInterval(1));
    EXPECT_EQ(driver.GetSwapInterval(), 1);
  }
  driver.SwapWindow(*window);
  EXPECT_TRUE(driver.MakeCurrent(nullptr, nullptr));
}

TEST_F(SdlGLDriverTest, LibraryLoadingByName) {
  EXPECT_TRUE(driver.LibraryLoaded());
  EXPECT_NE(driver.GetProcAddress("glGetString"), nullptr);
  EXPECT_FALSE(driver.LoadLibrary("/nonexistent/libGL-velmora.so.1"));
  EXPECT_FALSE(driver.LibraryLoaded());
  EXPECT_EQ(driver.GetProcAddress("glGetString"), nullptr);

  // The software rasterizer, with the window made before it still usable.
  ASSERT_TRUE(driver.LoadLibrary(GLDriver::kSoftwareLibrary));
  const auto formats = driver.EnumerateFormats(*window);
  ASSERT_FALSE(formats.empty());
  for (const GLFormat& f : formats) EXPECT_TRUE(f.generic);
  const GLFormat* usable = nullptr;
  for (const GLFormat& f : formats)
    if (f.drawToWindow && !f.needPalette) usable = usable ? usable : &f;
  ASSERT_NE(usable, nullptr);
  context = driver.CreateContext(*window, *usable);
  ASSERT_NE(context, nullptr);
  ASSERT_TRUE(driver.MakeCurrent(window.get(), context));
  auto getString = reinterpret_cast<GetString>(driver.GetProcAddress("glGetString"));
  ASSERT_NE(getString, nullptr);
  EXPECT_NE(getString(GL_VERSION), nullptr);
  driver.MakeCurrent(nullptr, nullptr);
  driver.DeleteContext(context);
  context = nullptr;
  // Back to the system library.
  EXPECT_TRUE(driver.LoadLibrary(driver.SystemLibraryName()));
}

TEST(SdlGLDriver, NothingResolvesWithoutALibrary) {
  GLDriver& driver = Get<GLDriver>();
  driver.UnloadLibrary();
  EXPECT_FALSE(driver.LibraryLoaded());
  EXPECT_EQ(driver.GetProcAddress("glGetString"), nullptr);
}

}  // namespace
}  // namespace platform
