// The rendering context object: format choice, the renderer rule,
// activation failures and their recovery, swapping, the library table; with
// the scripted driver for the rules and the real one for what the driver
// must say.
#include "gl/OpenGL.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/Error.h"
#include "gl/Texture.h"
#include "platform/fake/FakeGLDriver.h"
#include "tests/gl/GLTestContext.h"

namespace velmora {
namespace {

using platform::FakeGLDriver;
using platform::GLFormat;

TPixelFormatInfo Record(int color, int depth, int stencil = 0, int alpha = 0, int accum = 0,
                        uint8_t flags = pfDrawToWindow, bool doubleBuffer = true, bool gdi = false) {
  TPixelFormatInfo f;
  f.ColorBits = color;
  f.DepthBits = depth;
  f.StencilBits = stencil;
  f.AlphaBits = alpha;
  f.AccumBits = accum;
  f.Flags = flags;
  f.DoubleBuffer = doubleBuffer;
  f.SupportGDI = gdi;
  f.Index = 1;
  return f;
}

GLFormat Format(int color, int depth, bool generic, bool window = true, bool doubleBuffer = true) {
  GLFormat f;
  f.colorBits = color;
  f.redBits = f.greenBits = f.blueBits = color >= 24 ? 8 : 5;
  f.alphaBits = color == 32 ? 8 : 0;
  f.depthBits = depth;
  f.drawToWindow = window;
  f.doubleBuffer = doubleBuffer;
  f.generic = generic;
  return f;
}

TEST(SelectPixelFormat, ExactMatchWinsAndZeroRequestsMatchAnything) {
  std::vector<TPixelFormatInfo> list = {
      Record(32, 24),                               // depth differs
      Record(32, 16, 0, 0, 0, pfDrawToWindow, false),  // single buffered
      Record(32, 16, 8, 8, 64, pfDrawToWindow | pfDrawToBitmap),  // exact: the rest is 0 in the request
      Record(32, 16),                               // exact too, but later
  };
  EXPECT_EQ(SelectPixelFormat(list, DefaultPixelFormat()), 2);

  TPixelFormatInfo anything;  // every count 0, no flags, no double buffer
  anything.DoubleBuffer = true;
  EXPECT_EQ(SelectPixelFormat(list, anything), 0);
}

TEST(SelectPixelFormat, ScoresWithTheProductFormedBeforeTheDivision) {
  // 24 bits of depth against 16 asked: 3072 * 16 / 24 = 2048. Were the ratio
  // truncated before the weight, the 24-bit record would score 0 for depth
  // and lose to the 16-bit colour one.
  std::vector<TPixelFormatInfo> list = {
      Record(16, 16),  // 4096*16/32 = 2048 + 15360 + 3072 = 20480
      Record(32, 24),  // 4096 + 15360 + 2048 = 21504
  };
  EXPECT_EQ(SelectPixelFormat(list, DefaultPixelFormat()), 1);

  // Flags weigh more than any bit count: the window-capable 16-bit format
  // beats the 32-bit bitmap-only one.
  std::vector<TPixelFormatInfo> flags = {
      Record(32, 16, 0, 0, 0, pfDrawToBitmap),
      Record(16, 16),
  };
  EXPECT_EQ(SelectPixelFormat(flags, DefaultPixelFormat()), 1);
}

TEST(SelectPixelFormat, EqualScoresKeepTheEarlierRecordAndEmptyListsGiveZero) {
  std::vector<TPixelFormatInfo> list = {Record(16, 24), Record(16, 24), Record(8, 8)};
  EXPECT_EQ(SelectPixelFormat(list, DefaultPixelFormat()), 0);
  std::vector<TPixelFormatInfo> later = {Record(8, 8), Record(16, 24), Record(16, 24)};
  EXPECT_EQ(SelectPixelFormat(later, DefaultPixelFormat()), 1);
  EXPECT_EQ(SelectPixelFormat({}, DefaultPixelFormat()), 0);
}

TEST(PaletteEntries, SpreadsEachChannelOverItsBitsAndShift) {
  GLFormat f;  // 3-3-2 colour index
  f.colorBits = 8;
  f.redBits = 3, f.redShift = 0;
  f.greenBits = 3, f.greenShift = 3;
  f.blueBits = 2, f.blueShift = 6;
  auto entries = PaletteEntries(f);
  ASSERT_EQ(entries.size(), 256u);
  EXPECT_EQ(entries[0].red, 0);
  EXPECT_EQ(entries[255].red, 255);
  EXPECT_EQ(entries[255].green, 255);
  EXPECT_EQ(entries[255].blue, 255);
  // index 0b10'011'101: red 5 -> 5*255/7 = 182, green 3 -> 109, blue 2 -> 170
  const auto& e = entries[0b10011101];
  EXPECT_EQ(e.red, 182);
  EXPECT_EQ(e.green, 109);
  EXPECT_EQ(e.blue, 170);
  EXPECT_EQ(e.flags, 0);

  GLFormat small;  // 4 bits: 16 entries; a channel without bits stays 0
  small.colorBits = 4;
  small.redBits = 4;
  EXPECT_EQ(PaletteEntries(small).size(), 16u);
  EXPECT_EQ(PaletteEntries(small)[15].green, 0);
  EXPECT_EQ(PaletteEntries(small)[15].red, 255);
}

TEST(SplitNameList, SplitsAtBlanksAndCommasWithQuotedGroups) {
  EXPECT_EQ(SplitNameList("GL_A GL_B,GL_C  \"GL D,E\" , \"say \"\"x\"\"\" "),
            (std::vector<std::string>{"GL_A", "GL_B", "GL_C", "GL D,E", "say \"x\""}));
  EXPECT_TRUE(SplitNameList("").empty());
  EXPECT_TRUE(SplitNameList(" , ").empty());
  EXPECT_EQ(SplitNameList("\"open"), (std::vector<std::string>{"open"}));
}

// --- the scripted driver -----------------------------------------------------

std::string fakeExtensions;
GLint fakeMaxTextureUnits = 4;
int fakeFlushes = 0;
std::vector<GLenum> fakeEnabled;

const GLubyte* FakeGetString(GLenum name) {
  static const char* version = "1.5 Fake";
  static const char* renderer = "Fake renderer";
  static const char* vendor = "Fake vendor";
  switch (name) {
    case GL_VERSION: return reinterpret_cast<const GLubyte*>(version);
    case GL_RENDERER: return reinterpret_cast<const GLubyte*>(renderer);
    case GL_VENDOR: return reinterpret_cast<const GLubyte*>(vendor);
    case GL_EXTENSIONS: return reinterpret_cast<const GLubyte*>(fakeExtensions.c_str());
    default: return nullptr;
  }
}
void FakeGetIntegerv(GLenum name, GLint* value) {
  *value = name == GL_MAX_TEXTURE_UNITS_ARB ? fakeMaxTextureUnits : 7;
}
void FakeFlush() { ++fakeFlushes; }
void FakeEnable(GLenum cap) { fakeEnabled.push_back(cap); }
void FakeActiveTexture(GLenum) {}

class ScriptedOpenGL : public ::testing::Test {
 protected:
  void SetUp() override {
    fakeExtensions = "GL_EXT_bgra GL_ARB_multitexture GL_EXT_texture3D";
    fakeFlushes = 0;
    fakeEnabled.clear();
    driver.procs = testing::NoopGLProcs();
    driver.procs["glGetString"] = reinterpret_cast<void*>(&FakeGetString);
    driver.procs["glGetIntegerv"] = reinterpret_cast<void*>(&FakeGetIntegerv);
    driver.procs["glFlush"] = reinterpret_cast<void*>(&FakeFlush);
    driver.procs["glEnable"] = reinterpret_cast<void*>(&FakeEnable);
    driver.procs["glActiveTextureARB"] = reinterpret_cast<void*>(&FakeActiveTexture);
    driver.formats = {Format(16, 16, false), Format(32, 16, false), Format(32, 24, true)};
  }

  FakeGLDriver driver;
  platform::ScopedService<platform::GLDriver> service{&driver};
  platform::FakeGLWindow window;
};

TEST_F(ScriptedOpenGL, ActivationChoosesTheDefaultFormatAndFillsTheState) {
  driver.windowSystemExtensions = "EGL_KHR_a EGL_KHR_b";
  TCustomOpenGL gl;
  gl.Activate(window);
  ASSERT_TRUE(gl.Active());
  EXPECT_TRUE(gl.LibraryLoaded());
  EXPECT_EQ(driver.loads, (std::vector<std::string>{"libGL.so.1"}));
  ASSERT_EQ(gl.AcceleratedFormats().size(), 2u);
  ASSERT_EQ(gl.GenericFormats().size(), 1u);
  EXPECT_EQ(gl.GenericFormats()[0].Index, 3);  // numbered in the driver's order, 1-based
  EXPECT_EQ(gl.Renderer(), glrOpenGL);
  EXPECT_EQ(gl.FormatIndex(), 1);
  EXPECT_EQ(gl.AcceleratedFormatIndex(), 1);
  EXPECT_EQ(gl.GenericFormatIndex(), 1);
  ASSERT_EQ(driver.contextFormats.size(), 1u);
  EXPECT_EQ(driver.contextFormats[0].colorBits, 32);
  EXPECT_EQ(driver.current, gl.RC());
  EXPECT_EQ(gl.GLVersion, "1.5 Fake");
  EXPECT_EQ(gl.Extensions, (std::vector<std::string>{"GL_EXT_bgra", "GL_ARB_multitexture", "GL_EXT_texture3D"}));
  EXPECT_EQ(gl.WGLExtensions, (std::vector<std::string>{"EGL_KHR_a", "EGL_KHR_b"}));
  // The texture list's InitGL ran on the fresh context.
  EXPECT_TRUE(gl.Textures()->HasBGRA);
  EXPECT_TRUE(gl.Textures()->MultitextureEnabled);
  EXPECT_EQ(gl.Textures()->MaxTextureUnits, 4);
  EXPECT_FALSE(gl.Textures()->CompressionSupported);
}

TEST_F(ScriptedOpenGL, OnlyGenericFormatsMakeTheRendererReadTwo) {
  driver.formats = {Format(32, 16, true), Format(16, 16, true)};
  for (TGLRenderer asked : {glrOpenGL, glrDirectX}) {
    TCustomOpenGL gl;
    gl.SetRenderer(asked);
    EXPECT_EQ(gl.Renderer(), asked);  // unchanged before enumeration
    gl.Activate(window);
    ASSERT_TRUE(gl.Active());
    EXPECT_EQ(gl.Renderer(), glrSoftware);
    EXPECT_EQ(gl.FormatCount(), 2);
    EXPECT_EQ(gl.FormatIndex(), 0);
    EXPECT_EQ(gl.Formats(0).ColorBits, 32);
    EXPECT_THROW(gl.Formats(2), Error);
    gl.Deactivate();
    EXPECT_EQ(gl.Renderer(), glrSoftware);  // it stays 2
  }
}

TEST_F(ScriptedOpenGL, SoftwareRendererUsesOnlyGenericFormats) {
  TCustomOpenGL gl;
  gl.SetRenderer(glrSoftware);
  gl.Activate(window);
  ASSERT_TRUE(gl.Active());
  EXPECT_EQ(gl.FormatCount(), 1);
  EXPECT_EQ(driver.contextFormats.back().depthBits, 24);
}

TEST_F(ScriptedOpenGL, MissingSoftwareLibraryFallsBackToRendererZero) {
  driver.missingLibraries = {platform::GLDriver::kSoftwareLibrary};
  TCustomOpenGL gl;
  gl.SetRenderer(glrDirectX);
  EXPECT_NO_THROW(gl.Activate(window));
  EXPECT_FALSE(gl.Active());
  EXPECT_FALSE(gl.LibraryLoaded());
  EXPECT_EQ(gl.Renderer(), glrOpenGL);
  gl.Activate(window);
  EXPECT_TRUE(gl.Active());
  EXPECT_EQ(driver.loads, (std::vector<std::string>{"software", "libGL.so.1"}));
}

TEST_F(ScriptedOpenGL, FailedActivationsLeaveNoContextAndTheNextOneWorks) {
  TCustomOpenGL gl;
  driver.failCreateContext = true;
  EXPECT_NO_THROW(gl.Activate(window));
  EXPECT_FALSE(gl.Active());
  EXPECT_TRUE(gl.LibraryLoaded());  // the failure came after the load

  driver.failCreateContext = false;
  driver.failMakeCurrent = true;
  gl.Activate(window);
  EXPECT_FALSE(gl.Active());
  EXPECT_EQ(gl.RC(), nullptr);
  EXPECT_EQ(driver.liveContexts(), 0);  // the context that could not be made current is gone

  driver.failMakeCurrent = false;
  gl.Activate(window);
  EXPECT_TRUE(gl.Active());
  EXPECT_EQ(driver.liveContexts(), 1);
  EXPECT_EQ(driver.loads.size(), 1u);  // the library stayed loaded throughout
}

TEST_F(ScriptedOpenGL, NoFormatsOrAPaletteThatCannotBeMadeFailQuietly) {
  driver.formats.clear();
  TCustomOpenGL gl;
  EXPECT_NO_THROW(gl.Activate(window));
  EXPECT_FALSE(gl.Active());
  EXPECT_FALSE(gl.FormatsEnumerated());

  GLFormat indexed = Format(8, 16, false);
  indexed.colorBits = 32;  // keep it the exact match
  indexed.needPalette = true;
  indexed.redBits = 3, indexed.greenBits = 3, indexed.blueBits = 2;
  indexed.greenShift = 3, indexed.blueShift = 6;
  driver.formats = {indexed};
  gl.Activate(window);
  EXPECT_FALSE(gl.Active());
  EXPECT_EQ(driver.contextsCreated, 0);

  driver.paletteSupported = true;
  gl.Activate(window);
  EXPECT_TRUE(gl.Active());
  EXPECT_TRUE(gl.HasPalette());
  EXPECT_EQ(driver.palette.size(), 256u);
  gl.Deactivate();
  EXPECT_FALSE(gl.HasPalette());
}

TEST_F(ScriptedOpenGL, DeactivateDropsContextAndFormatsButKeepsTheLibrary) {
  {
    TCustomOpenGL gl;
    gl.Activate(window);
    ASSERT_TRUE(gl.Active());
    gl.Deactivate();
    EXPECT_FALSE(gl.Active());
    EXPECT_EQ(gl.RC(), nullptr);
    EXPECT_EQ(driver.liveContexts(), 0);
    EXPECT_EQ(driver.current, nullptr);
    EXPECT_FALSE(gl.FormatsEnumerated());
    EXPECT_TRUE(gl.AcceleratedFormats().empty());
    EXPECT_EQ(driver.unloads, 0);
    gl.Activate(window);
    EXPECT_TRUE(gl.Active());
    EXPECT_EQ(driver.loads.size(), 1u);
    EXPECT_EQ(driver.enumerations, 2);
  }
  // Destroying an active object deactivates and unloads.
  EXPECT_EQ(driver.liveContexts(), 0);
  EXPECT_EQ(driver.unloads, 1);
  EXPECT_EQ(GL.glGetString, nullptr);
}

TEST_F(ScriptedOpenGL, SwapKeepsTheIntervalInLineWithWaitSyncAndTogglesParity) {
  TCustomOpenGL gl;
  EXPECT_TRUE(gl.SwapParity());
  gl.SwapBuffersIfOdd(window);  // parity true: nothing
  EXPECT_EQ(driver.swaps, 0);

  gl.Activate(window);
  ASSERT_TRUE(gl.Active());
  fakeFlushes = 0;
  driver.swapInterval = 0;
  gl.SwapBuffers(window);
  EXPECT_EQ(driver.swaps, 1);
  EXPECT_EQ(fakeFlushes, 1);
  EXPECT_EQ(driver.swapInterval, 1);
  EXPECT_FALSE(gl.SwapParity());
  gl.SwapBuffersIfOdd(window);  // odd: swaps once more
  EXPECT_EQ(driver.swaps, 2);
  EXPECT_EQ(driver.swapIntervalSets, 1);  // already 1: not set again
  gl.SwapBuffersIfOdd(window);
  EXPECT_EQ(driver.swaps, 2);

  gl.WaitSync = false;
  gl.SwapBuffers(window);
  EXPECT_EQ(driver.swapInterval, 0);
  EXPECT_EQ(driver.swapIntervalSets, 2);
}

TEST_F(ScriptedOpenGL, WithoutSwapControlTheIntervalIsLeftAlone) {
  driver.swapIntervalSupported = false;
  TCustomOpenGL gl;
  gl.Activate(window);
  ASSERT_TRUE(gl.Active());
  EXPECT_EQ(GL.wglSwapIntervalEXT, nullptr);
  gl.SwapBuffers(window);
  EXPECT_EQ(driver.swaps, 1);
  EXPECT_EQ(driver.swapIntervalSets, 0);
}

TEST_F(ScriptedOpenGL, QueriesNeedAnActiveContext) {
  TCustomOpenGL gl;
  try {
    gl.GetInt(GL_MAX_LIGHTS);
    ADD_FAILURE() << "GetInt raised nothing";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "TCustomOpenGL.GetInt error: OpenGL is not activated!");
  }
  EXPECT_EQ(gl.GLRenderer(), "");
  gl.Activate(window);
  EXPECT_EQ(gl.GetInt(GL_MAX_LIGHTS), 7);
  EXPECT_EQ(gl.GLRenderer(), "Fake renderer");
  EXPECT_EQ(gl.GLVendor(), "Fake vendor");
  fakeEnabled.clear();
  gl.SetFog(true);
  gl.SetCullFace(true);
  EXPECT_EQ(fakeEnabled, (std::vector<GLenum>{GL_FOG, GL_CULL_FACE}));
}

TEST_F(ScriptedOpenGL, ExtensionPointersFollowTheListedExtensions) {
  TCustomOpenGL gl;
  gl.Activate(window);
  ASSERT_TRUE(gl.Active());
  EXPECT_NE(GL.glActiveTextureARB, nullptr);
  EXPECT_NE(GL.glMultiTexCoord2fARB, nullptr);
  EXPECT_EQ(GL.glLockArraysEXT, nullptr);  // GL_EXT_compiled_vertex_array not listed
  // A plain substring search, as the extension checks have always been.
  EXPECT_TRUE(ExtensionSupported("GL_EXT_texture"));
  EXPECT_FALSE(ExtensionSupported("GL_EXT_texture_object"));

  fakeExtensions = "GL_EXT_compiled_vertex_array";
  LoadExtensions();
  EXPECT_EQ(GL.glActiveTextureARB, nullptr);
  EXPECT_NE(GL.glLockArraysEXT, nullptr);
}

TEST_F(ScriptedOpenGL, LoadOpenGLNamesTheLibraryItCouldNotLoad) {
  driver.missingLibraries = {"libnothere.so"};
  try {
    LoadOpenGL("libnothere.so");
    ADD_FAILURE() << "LoadOpenGL raised nothing";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Error: Could not load DLL from libnothere.so");
  }
  EXPECT_EQ(GL.glBegin, nullptr);
  LoadOpenGL("libGL.so.1");
  EXPECT_NE(GL.glBegin, nullptr);
  driver.procs.erase("glBegin");  // a library without a core name: empty, no error
  LoadOpenGL("libGL.so.1");
  EXPECT_EQ(GL.glBegin, nullptr);
  EXPECT_NE(GL.glEnd, nullptr);
  UnloadOpenGL();
  EXPECT_EQ(GL.glEnd, nullptr);
  EXPECT_FALSE(driver.LibraryLoaded());
}

// --- the real driver ---------------------------------------------------------

using RealOpenGL = testing::GLContextTest;

TEST_F(RealOpenGL, ActivationReadsTheDriverAndDraws) {
  TCustomOpenGL& gl = OpenGL();
  EXPECT_FALSE(gl.GLVersion.empty());
  EXPECT_FALSE(gl.Extensions.empty());
  EXPECT_FALSE(gl.GLRenderer().empty());
  EXPECT_GT(gl.GetInt(GL_MAX_TEXTURE_SIZE), 0);
  EXPECT_NE(GL.glBegin, nullptr);
  EXPECT_NE(GL.glMultTransposeMatrixd, nullptr);
  EXPECT_EQ(ExtensionSupported("GL_ARB_multitexture"), GL.glActiveTextureARB != nullptr);
  // The chosen format is what the context has.
  const TPixelFormatInfo chosen = gl.Formats(gl.FormatIndex());
  EXPECT_EQ(gl.GetInt(GL_DEPTH_BITS), chosen.DepthBits);
  if (gl.GLRenderer().find("llvmpipe") != std::string::npos) {
    EXPECT_EQ(gl.Renderer(), glrSoftware);
  }

  GL.glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
  GL.glClear(GL_COLOR_BUFFER_BIT);
  auto pixel = Context().ReadPixels(10, 10, 1, 1);
  EXPECT_EQ(pixel[0], 255);
  EXPECT_EQ(pixel[1], 0);
}

TEST_F(RealOpenGL, SwitchesSetGlobalState) {
  TCustomOpenGL& gl = OpenGL();
  // The texture list asks for nice perspective on every new context.
  EXPECT_EQ(gl.GetInt(GL_PERSPECTIVE_CORRECTION_HINT), GL_NICEST);
  gl.SetPerspectiveCorrection(false);
  EXPECT_EQ(gl.GetInt(GL_PERSPECTIVE_CORRECTION_HINT), GL_FASTEST);
  const GLenum caps[] = {GL_CULL_FACE, GL_DEPTH_TEST, GL_LIGHTING, GL_TEXTURE_2D, GL_FOG};
  for (bool on : {true, false}) {
    gl.SetCullFace(on);
    gl.SetDepthTest(on);
    gl.SetLighting(on);
    gl.SetTexture2D(on);
    gl.SetFog(on);
    for (GLenum cap : caps) EXPECT_EQ(GL.glIsEnabled(cap), on ? GL_TRUE : GL_FALSE) << cap;
  }
}

TEST_F(RealOpenGL, SwapFollowsWaitSyncAndReactivationWorks) {
  TCustomOpenGL& gl = OpenGL();
  auto& driver = platform::Get<platform::GLDriver>();
  if (GL.wglSwapIntervalEXT) {
    gl.WaitSync = false;
    gl.SwapBuffers(Window());
    EXPECT_EQ(driver.GetSwapInterval(), 0);
    gl.WaitSync = true;
    gl.SwapBuffers(Window());
    EXPECT_EQ(driver.GetSwapInterval(), 1);
  }
  gl.Deactivate();
  EXPECT_FALSE(gl.Active());
  gl.Activate(Window());
  ASSERT_TRUE(gl.Active());
  GL.glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
  GL.glClear(GL_COLOR_BUFFER_BIT);
  EXPECT_EQ(Context().ReadPixels(0, 0, 1, 1)[2], 255);
}

}  // namespace
}  // namespace velmora
