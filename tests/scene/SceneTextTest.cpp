// Text on screen: the FPS display and text objects drawn with the system's
// fonts (fontconfig and FreeType) in the offscreen driver and read back as
// pixels; the highlighted line and its pulse; the projection of 3DView;
// the render state text leaves behind; pen positions at the ends of the
// 32-bit range; a text in a sprite list on a driver with the smallest
// projection stack; the FPS display's life in the scene
// and its hook on the application's frame counter.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "gl/GLEntryPoints.h"
#include "gl/Texture.h"
#include "platform/Service.h"
#include "platform/fake/FakeClock.h"
#include "platform/FontRasterizer.h"
#include "platform/fake/FakeFontRasterizer.h"
#include "scene/RenderState.h"
#include "scene/SceneFont.h"
#include "scene/SceneText.h"
#include "scene/SceneTexture.h"
#include "scene/SceneTextureList.h"
#include "scene/SpriteList.h"
#include "tests/assets/ImageTestSupport.h"
#include "tests/scene/SceneTestSupport.h"

namespace scenetest {
namespace {

// The frame buffer, rows bottom-up as OpenGL counts them.
struct Frame {
  int width = 0, height = 0;
  std::vector<uint8_t> rgba;
  const uint8_t* At(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
  bool Ink(int x, int y) const { return At(x, y)[0] > 96 || At(x, y)[1] > 96 || At(x, y)[2] > 96; }

  // The smallest box holding every inked pixel of the region.
  struct Box {
    int left = 1 << 30, bottom = 1 << 30, right = -1, top = -1;
    bool Empty() const { return right < 0; }
  };
  Box InkBox(int x0 = 0, int y0 = 0, int x1 = -1, int y1 = -1) const {
    if (x1 < 0) x1 = width;
    if (y1 < 0) y1 = height;
    Box box;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x)
        if (Ink(x, y)) {
          box.left = std::min(box.left, x);
          box.right = std::max(box.right, x);
          box.bottom = std::min(box.bottom, y);
          box.top = std::max(box.top, y);
        }
    return box;
  }
  void Dump(const std::string& name) const {
    FILE* f = std::fopen(name.c_str(), "wb");
    std::fprintf(f, "P6 %d %d 255\n", width, height);
    for (int y = height - 1; y >= 0; --y)
      for (int x = 0; x < width; ++x) std::fwrite(At(x, y), 1, 3, f);
    std::fclose(f);
  }
};

class TextPixels : public SceneGLTest {
 protected:
  TextPixels() {
    WindowWidth = 512;
    WindowHeight = 384;
  }
  void SetUp() override {
    SceneGLTest::SetUp();
    ResetSceneRenderState();
    scene_ = NewScene();
  }
  void TearDown() override {
    scene_.reset();
    SceneGLTest::TearDown();
  }

  // One frame of the scene on black, read back.
  Frame Render() {
    GL.glViewport(0, 0, WindowWidth, WindowHeight);
    GL.glMatrixMode(GL_PROJECTION);
    GL.glLoadIdentity();
    GL.glMatrixMode(GL_MODELVIEW);
    GL.glLoadIdentity();
    GL.glClearColor(0, 0, 0, 1);
    GL.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    scene_->Process(0);
    Frame frame;
    frame.width = WindowWidth;
    frame.height = WindowHeight;
    frame.rgba.resize(static_cast<size_t>(frame.width) * frame.height * 4);
    GL.glPixelStorei(GL_PACK_ALIGNMENT, 1);
    GL.glReadPixels(0, 0, frame.width, frame.height, GL_RGBA, GL_UNSIGNED_BYTE, frame.rgba.data());
    return frame;
  }

  std::unique_ptr<TMainScene> scene_;
};

// The FPS string "60 fps" at 16, 732 of the 1024 x 768 view shows at 8, 366
// of the 512 x 384 window, in the top eighth; each glyph's ink lies where
// the font's advances put it, the blank between "0" and "f" stays empty,
// and only the "p" reaches below the line of the digits.
TEST_F(TextPixels, TheFpsStringShowsItsTextAtTheTopLeftOfTheView) {
  scene_->SetShowFPS(true);
  scene_->SetFPSText(60);
  ASSERT_EQ(scene_->FpsStr->Text, "60 fps");
  const Frame frame = Render();
  TSceneFont& font = *scene_->FpsFont;
  // "Arial" went through the system's font matching.
  EXPECT_EQ(font.FaceName(), platform::Get<platform::FontRasterizer>().Open("Arial", platform::FontBold, 64)->FamilyName());
  const Frame::Box ink = frame.InkBox();
  ASSERT_FALSE(ink.Empty()) << "nothing drawn";
  EXPECT_GE(ink.left, 8);
  EXPECT_LE(ink.left, 10);
  EXPECT_GE(ink.bottom, 365);
  EXPECT_LE(ink.bottom, 368);
  EXPECT_LE(ink.top, 382);  // the cell's top: (732 + 32) / 2
  EXPECT_GE(ink.top, 376);  // digits fill most of the cell

  // Glyph spans in window pixels from the advances (view units / 2).
  const std::string text = "60 fps";
  std::vector<std::pair<int, int>> spans;
  float pen = 16;
  for (char c : text) {
    const TCharMap map = font.GetCharMap(static_cast<unsigned char>(c));
    spans.emplace_back(static_cast<int>(pen / 2), static_cast<int>((pen + map.Width + 2) / 2));
    pen += map.Advance;
  }
  EXPECT_LE(ink.right, spans.back().second + 1);
  for (size_t i = 0; i < text.size(); ++i) {
    const Frame::Box glyph = frame.InkBox(spans[i].first, 360, spans[i].second, 384);
    if (text[i] == ' ')
      EXPECT_TRUE(frame.InkBox(spans[i].first + 1, 360, spans[i].second - 1, 384).Empty()) << "ink in the blank";
    else
      EXPECT_FALSE(glyph.Empty()) << "no ink for " << text[i];
  }
  const int digitsBottom = frame.InkBox(spans[0].first, 360, spans[1].second, 384).bottom;
  const Frame::Box below = frame.InkBox(0, 360, 512, digitsBottom - 1);
  ASSERT_FALSE(below.Empty()) << "no descender";
  EXPECT_GE(below.left, spans[4].first);
  EXPECT_LE(below.right, spans[4].second);

  // Another rate: other pixels, one digit less.
  scene_->SetFPSText(7);
  const Frame::Box seven = Render().InkBox();
  EXPECT_GE(seven.left, 8);
  EXPECT_LE(seven.left, 10);
  EXPECT_LT(seven.right, ink.right - 4);
  EXPECT_GE(seven.bottom, 365);
  // Hidden: nothing at all.
  scene_->SetShowFPS(false);
  EXPECT_TRUE(Render().InkBox().Empty());
}

// A font in the window's own units (no FixedView: the viewport's 512 x 384).
TSceneFont* WindowFont(TMainScene& scene, TFontOptions options = foBuildFromFont) {
  auto* font = new TSceneFont;
  font->SetName("Font");
  font->FontOptions = options;
  font->ClearChars();
  font->AddString("HI");
  scene.AddObject(font, 0);
  return font;
}

// "Arial" finds a metric-compatible sans face, a name that matches nothing
// the default sans face; either way a line of the font fills its cell
// without spilling over (plain and softened).
TEST_F(TextPixels, FontNamesFindTheSystemsFacesAtTheCellHeight) {
  TSceneFont* arial = WindowFont(*scene_);
  arial->AddCharRange(32, 126);
  arial->Build();
  EXPECT_TRUE(arial->FaceName() == "Liberation Sans" || arial->FaceName() == "DejaVu Sans") << arial->FaceName();
  auto* unknown = new TSceneFont;
  unknown->SetName("Unknown");
  unknown->FontName = "No Such Family Velmora";
  unknown->FontCellSize = 32;
  unknown->FontOptions |= foSoften;
  unknown->ClearChars();
  unknown->AddString("HiW");
  scene_->AddObject(unknown, 0);
  unknown->Build();
  EXPECT_EQ(unknown->FaceName(), platform::Get<platform::FontRasterizer>().Open("sans-serif", 0, 20)->FamilyName());
  for (TSceneFont* font : {arial, unknown}) {
    const int cell = font->FontCellSize;
    const TCharMap h = font->GetCharMap('H');
    EXPECT_LE(h.Height, cell) << font->Name();
    EXPECT_GE(h.Height, cell - 3) << font->Name();
    EXPECT_GT(h.Width, cell / 3) << font->Name();
    EXPECT_LT(h.Width, cell) << font->Name();
    EXPECT_LT(font->GetCharMap('i').Width, h.Width) << font->Name();
    EXPECT_GT(font->FixedWidth, h.Width) << font->Name();  // "W" is wider
  }
}

// A view without area draws nothing and upsets nothing; without a loaded
// OpenGL library the text neither builds nor draws.
TEST_F(TextPixels, NothingIsDrawnWithoutAViewOrWithoutOpenGL) {
  scene_->SetShowFPS(true);
  scene_->SetFPSText(60);
  scene_->FpsFont->ViewHeight = 0;
  EXPECT_TRUE(Render().InkBox().Empty());
  EXPECT_EQ(GL.glGetError(), GLenum(GL_NO_ERROR));
  scene_->FpsFont->Release();
  const auto pushMatrix = GL.glPushMatrix;
  GL.glPushMatrix = nullptr;
  scene_->Process(0);
  GL.glPushMatrix = pushMatrix;
  EXPECT_FALSE(scene_->FpsFont->Built());
}

// Three lines from Y downward, 16 apart: the middle one (StringIndex 1) in
// the pulsed red, the others in white; with StringIndex -1 all white.
TEST_F(TextPixels, LinesRunDownwardWithTheHighlightedLineInThePulsedColour) {
  TSceneFont* font = WindowFont(*scene_);
  auto* text = new TSceneText;
  text->SetName("Menu");
  text->Font = font;
  text->SetPosition(20, 300);
  text->Lines = {"HHH", "HHH", "HHH"};
  text->StringColor = TGLColorBytes{255, 0, 0, 255};
  text->StringIndex = 1;
  text->Phase = 0.5f;  // the full colour
  scene_->AddObject(text, poRender | poAnimation);

  // The largest red and green of each line's cell, y from 300 down.
  auto lines = [&](const Frame& frame) {
    std::vector<std::pair<int, int>> peaks;
    for (int line = 0; line < 3; ++line) {
      int red = 0, green = 0;
      for (int y = 300 - 16 * line; y < 316 - 16 * line; ++y)
        for (int x = 20; x < 60; ++x) {
          red = std::max(red, int(frame.At(x, y)[0]));
          green = std::max(green, int(frame.At(x, y)[1]));
        }
      peaks.emplace_back(red, green);
    }
    return peaks;
  };
  using Peaks = std::vector<std::pair<int, int>>;
  EXPECT_EQ(lines(Render()), (Peaks{{255, 255}, {255, 0}, {255, 255}}));
  EXPECT_TRUE(Render().InkBox(0, 0, 512, 300 - 32).Empty()) << "a fourth line";
  EXPECT_TRUE(Render().InkBox(0, 316, 512, 384).Empty()) << "a line above Y";

  // Half a second on: the pulse is back at 80 %.
  scene_->Process(0.5f);
  EXPECT_FLOAT_EQ(text->Phase, 0.0f);
  Peaks dim = lines(Render());
  EXPECT_NEAR(dim[1].first, 204, 2);
  EXPECT_EQ(dim[1].second, 0);

  text->StringIndex = -1;
  EXPECT_EQ(lines(Render()), (Peaks{{255, 255}, {255, 255}, {255, 255}}));
  // No font: nothing drawn.
  text->Font = nullptr;
  EXPECT_TRUE(Render().InkBox().Empty());
}

// Pen positions in doubles, brought into the 32-bit range: a Y near either
// end or a huge scaled cell size never overflows (UBSan stops the program
// at a signed overflow in the sanitizer build).
TEST(TextLines, PenPositionsStayInRangeForExtremeYAndCellSizes) {
  constexpr int32_t lowest = std::numeric_limits<int32_t>::min(), highest = std::numeric_limits<int32_t>::max();
  TSceneFont font;
  font.FontCellSize = 16;
  font.ScaleY = 1.5f;
  EXPECT_EQ(TSceneText::LineStep(font), 16);
  font.FontOptions = foScaled;
  EXPECT_EQ(TSceneText::LineStep(font), 24);
  font.FontCellSize = highest;
  font.ScaleY = 4;
  EXPECT_EQ(TSceneText::LineStep(font), 4.0 * highest);
  for (float scale : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
    font.ScaleY = scale;
    EXPECT_EQ(TSceneText::LineStep(font), 0) << scale;
  }
  EXPECT_EQ(TSceneText::LineY(300, 16, 0), 300);
  EXPECT_EQ(TSceneText::LineY(300, 16, 2), 268);
  EXPECT_EQ(TSceneText::LineY(lowest + 8, 16, 0), lowest + 8);
  EXPECT_EQ(TSceneText::LineY(lowest + 8, 16, 1), lowest);
  EXPECT_EQ(TSceneText::LineY(lowest + 8, 16, 7), lowest);
  EXPECT_EQ(TSceneText::LineY(highest - 4, -16, 1), highest);  // a negative scale runs upward
  EXPECT_EQ(TSceneText::LineY(0, 4.0 * highest, 1), lowest);
  EXPECT_EQ(TSceneText::LineY(highest, 4.0 * highest, 3), lowest);
}

TEST_F(TextPixels, LinesAtTheEndsOfTheRangeDrawNothingAndBreakNothing) {
  TSceneFont* font = WindowFont(*scene_);
  auto* text = new TSceneText;
  text->SetName("Far");
  text->Font = font;
  text->Lines = {"HI", "HI", "HI"};
  scene_->AddObject(text, poRender);
  text->SetPosition(20, std::numeric_limits<int32_t>::min() + 8);
  EXPECT_TRUE(Render().InkBox().Empty());
  // Upward from the top end: a cell size scaled negative.
  text->SetPosition(20, std::numeric_limits<int32_t>::max() - 8);
  font->FontOptions |= foScaled;
  font->ScaleY = -1;
  EXPECT_TRUE(Render().InkBox().Empty());
  EXPECT_EQ(GL.glGetError(), GLenum(GL_NO_ERROR));
}

// A text in a sprite list: the list's projection and the font's nest three
// deep, where OpenGL promises two entries. On a driver that has only those
// two, the font keeps the list's projection in memory; the text shows where
// it would anyway and the scene's projection comes back.
TEST_F(TextPixels, ATextInASpriteListKeepsToTheTwoProjectionEntriesOpenGLPromises) {
  TSceneFont* font = WindowFont(*scene_);
  auto* overlay = new TMainSpriteList;
  overlay->SetName("Overlay");
  overlay->ViewWidth = 256;  // half the window's units
  overlay->ViewHeight = 192;
  overlay->Alpha = true;
  auto* text = new TSceneString;
  text->SetName("Title");
  text->Font = font;
  text->Text = "HI";
  text->SetPosition(20, 300);
  overlay->AddItem(text);
  scene_->AddObject(overlay, poRender);

  static int deepest = 0;
  static TGLEntryPoints real;
  real = GL;
  deepest = 0;
  GL.glGetIntegerv = [](GLenum name, GLint* value) {
    real.glGetIntegerv(name, value);
    if (name == GL_MAX_PROJECTION_STACK_DEPTH) *value = 2;
  };
  GL.glPushMatrix = [] {
    real.glPushMatrix();
    GLint mode = 0, depth = 0;
    real.glGetIntegerv(GL_MATRIX_MODE, &mode);
    real.glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    if (mode == GL_PROJECTION) deepest = std::max(deepest, int(depth));
  };
  const Frame frame = Render();
  float projection[16];
  GL.glGetFloatv(GL_PROJECTION_MATRIX, projection);
  GLint depth = 0;
  GL.glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
  GL = real;

  EXPECT_EQ(deepest, 2);  // the list's push; the font's went to memory
  EXPECT_EQ(depth, 1);
  EXPECT_EQ(projection[0], 1.0f);  // the identity Render set
  EXPECT_EQ(projection[12], 0.0f);
  // The font's own projection (the window's units) whatever the list's.
  const Frame::Box ink = frame.InkBox();
  ASSERT_FALSE(ink.Empty());
  EXPECT_GE(ink.left, 20);
  EXPECT_LE(ink.left, 24);
  EXPECT_GE(ink.bottom, 298);
  EXPECT_LE(ink.top, 318);
  EXPECT_EQ(GL.glGetError(), GLenum(GL_NO_ERROR));
}

TEST(TextPulse, SwingsBetweenEightyAndAHundredPercentOncePerSecond) {
  TSceneText text;
  EXPECT_EQ(text.StringColor, (TGLColorBytes{255, 255, 255, 255}));
  text.StringColor = TGLColorBytes{200, 100, 50, 77};
  auto shown = [&] { return text.PulsedColor(); };
  EXPECT_EQ(shown(), (TGLColorBytes{160, 80, 40, 77}));
  text.Animate(0.25f);
  EXPECT_EQ(shown(), (TGLColorBytes{180, 90, 45, 77}));
  text.Animate(0.25f);
  EXPECT_EQ(shown(), (TGLColorBytes{200, 100, 50, 77}));
  text.Animate(0.25f);
  EXPECT_EQ(shown(), (TGLColorBytes{180, 90, 45, 77}));
  text.Animate(0.3f);  // past 1: the fraction stays
  EXPECT_NEAR(text.Phase, 0.05f, 1e-5f);
  EXPECT_EQ(shown(), (TGLColorBytes{164, 82, 41, 77}));
  text.Animate(3.5f);
  EXPECT_NEAR(text.Phase, 0.55f, 1e-4f);
  text.Animate(std::numeric_limits<float>::quiet_NaN());
  EXPECT_EQ(text.Phase, 0.0f);
  text.Animate(-0.25f);
  EXPECT_NEAR(text.Phase, 0.75f, 1e-6f);
}

// 3DView keeps the projection the scene has set (here one that doubles
// every unit), while the model-view matrix is still identity plus the pen;
// without it the text is in window units and the projection comes back.
TEST_F(TextPixels, ThreeDViewKeepsTheProjectionButNotTheModelView) {
  TSceneFont* font = WindowFont(*scene_);
  auto draw = [&] {
    GL.glViewport(0, 0, 512, 384);
    GL.glClearColor(0, 0, 0, 1);
    GL.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    GL.glMatrixMode(GL_PROJECTION);
    GL.glLoadIdentity();
    GL.glOrtho(0, 256, 0, 192, -100, 100);
    GL.glMatrixMode(GL_MODELVIEW);
    GL.glLoadIdentity();
    GL.glTranslatef(100, 100, 0);
    font->BeginDraw();
    font->DrawText(10, 10, "H");
    font->EndDraw();
    Frame frame;
    frame.width = 512;
    frame.height = 384;
    frame.rgba.resize(512 * 384 * 4);
    GL.glReadPixels(0, 0, 512, 384, GL_RGBA, GL_UNSIGNED_BYTE, frame.rgba.data());
    return frame.InkBox();
  };
  float before[16], after[16];
  GL.glMatrixMode(GL_PROJECTION);
  const Frame::Box flat = draw();
  GL.glGetFloatv(GL_PROJECTION_MATRIX, before);
  ASSERT_FALSE(flat.Empty());
  EXPECT_GE(flat.left, 10);
  EXPECT_LE(flat.left, 12);
  EXPECT_GE(flat.bottom, 10);
  EXPECT_LE(flat.top, 26);
  font->FontOptions |= fo3DView;
  const Frame::Box doubled = draw();
  GL.glGetFloatv(GL_PROJECTION_MATRIX, after);
  ASSERT_FALSE(doubled.Empty());
  EXPECT_GE(doubled.left, 20);
  EXPECT_LE(doubled.left, 24);
  EXPECT_GE(doubled.bottom, 20);
  EXPECT_LE(doubled.top, 52);
  EXPECT_GT(doubled.right - doubled.left, flat.right - flat.left);
  EXPECT_TRUE(std::equal(before, before + 16, after));
  EXPECT_FLOAT_EQ(after[0], 2.0f / 256);
  GLint mode = 0;
  GL.glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_MODELVIEW);
}

// The atlas is bound past the render-state cache: afterwards the cache
// holds no texture and texturing is off, as the cache says, so the next
// object's texture binds again; the current colour is CurrentColor again.
TEST_F(TextPixels, TextLeavesTheStateTheCacheDescribes) {
  SceneFiles files;
  image_test::BmpSpec image;
  image.width = image.height = 32;
  for (int y = 0; y < 32; ++y) image.rows.push_back(image_test::Bytes(32 * 3, 90));
  files.Write("wall.bmp", image_test::MakeBmp(image));
  auto* list = new TSceneTextureList;
  list->SetName("Textures");
  scene_->AddObject(list, 0);
  auto* wall = new TSceneTexture;
  wall->SetName("Wall");
  wall->Path = files.Folder();
  wall->TextureName = "wall.bmp";
  list->AddItem(wall);

  TSceneFont* font = WindowFont(*scene_);
  auto* title = new TSceneString;
  title->SetName("Title");
  title->Font = font;
  title->Color = TGLColorBytes{0, 255, 0, 255};
  title->Text = "HI";
  scene_->AddObject(title, 0);

  BindSceneTexture(wall);
  CurrentColor() = TGLColor{0.5f, 0.25f, 1, 1};
  title->RenderTransparent();
  EXPECT_EQ(SceneTexture(), nullptr);
  EXPECT_FALSE(GL.glIsEnabled(GL_TEXTURE_2D));
  EXPECT_FALSE(GL.glIsEnabled(GL_DEPTH_TEST));
  EXPECT_FALSE(GL.glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(SceneBlending());
  EXPECT_EQ(font->Color, title->Color);  // the string's colour stays with the font
  float colour[4];
  GL.glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_EQ(std::vector<float>(colour, colour + 4), (std::vector<float>{0.5f, 0.25f, 1, 1}));
  BindSceneTexture(wall);
  GLint bound = 0;
  GL.glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(GLuint(bound), wall->GLTexture()->Handle());
  EXPECT_TRUE(GL.glIsEnabled(GL_TEXTURE_2D));
  EXPECT_EQ(GL.glGetError(), GLenum(GL_NO_ERROR));
}

// --- the FPS display in the scene ---------------------------------------------

class FpsDisplay : public SceneGLTest {
 protected:
  void SetUp() override {
    SceneGLTest::SetUp();
    scene_ = NewScene();
  }
  void TearDown() override {
    scene_.reset();
    SceneGLTest::TearDown();
  }
  std::unique_ptr<TMainScene> scene_;
  platform::FakeFontRasterizer fake_;
  platform::ScopedService<platform::FontRasterizer> fonts_{&fake_};
};

TEST_F(FpsDisplay, TheTextFollowsOnlyWhileShownAndShowingTakesTheCurrentRate) {
  scene_->SetFPSText(60);
  EXPECT_EQ(scene_->FpsStr, nullptr);  // nothing made while not shown
  scene_->SetShowFPS(false);
  EXPECT_EQ(scene_->FpsStr, nullptr);
  scene_->SetShowFPS(true);
  ASSERT_NE(scene_->FpsStr, nullptr);
  // Shown with an application: its rate at once (1 before a measurement).
  EXPECT_EQ(scene_->FpsStr->Text, "1 fps");
  scene_->SetFPSText(60);
  EXPECT_EQ(scene_->FpsStr->Text, "60 fps");
  scene_->SetShowFPS(false);
  EXPECT_FALSE(scene_->FpsStr->Visible());
  EXPECT_FALSE(scene_->ShowFPS());
  scene_->SetFPSText(12);
  EXPECT_EQ(scene_->FpsStr->Text, "60 fps");  // hidden: unchanged
  TSceneString* text = scene_->FpsStr;
  scene_->SetShowFPS(true);
  EXPECT_EQ(scene_->FpsStr, text);  // made once
  EXPECT_EQ(scene_->FpsStr->Text, "1 fps");
  EXPECT_EQ(scene_->GetCount(), 2);
}

TEST_F(FpsDisplay, LoadingAgainFreesTheDisplayAndTheSceneForgetsIt) {
  SceneFiles files;
  files.Write("s.gsc", "[MainScene]\nCount=1\n[MainScene1]\nType=TResource\nName=Stuff\n");
  scene_->Path = files.Folder();
  scene_->SourceName = "s.gsc";
  scene_->Load();
  scene_->SetShowFPS(true);
  ASSERT_NE(scene_->FpsFont, nullptr);
  scene_->Process(0);  // built and drawn once
  EXPECT_TRUE(scene_->FpsFont->Built());
  scene_->Load();
  EXPECT_EQ(scene_->FpsFont, nullptr);
  EXPECT_EQ(scene_->FpsStr, nullptr);
  EXPECT_EQ(scene_->FindObject("FpsFont"), nullptr);
  EXPECT_EQ(scene_->GetCount(), 1);
  EXPECT_TRUE(scene_->ShowFPS());
  scene_->SetShowFPS(true);
  ASSERT_NE(scene_->FpsStr, nullptr);
  EXPECT_EQ(scene_->FpsStr->Font, scene_->FpsFont);
  EXPECT_EQ(scene_->FindObject("FpsStr"), scene_->FpsStr);
  scene_->Process(0);

  // The font freed alone: the string lets go of it and draws nothing.
  delete scene_->FpsFont;
  EXPECT_EQ(scene_->FpsFont, nullptr);
  ASSERT_NE(scene_->FpsStr, nullptr);
  EXPECT_EQ(scene_->FpsStr->Font, nullptr);
  scene_->Process(0);

  // A description that has taken the name: no display, nothing lost.
  files.Write("s.gsc", "[MainScene]\nCount=1\n[MainScene1]\nType=TResource\nName=FpsFont\n");
  scene_->Load();
  scene_->SetShowFPS(true);
  EXPECT_EQ(scene_->FpsFont, nullptr);
  EXPECT_EQ(scene_->FpsStr, nullptr);
  EXPECT_STREQ(scene_->FindObject("FpsFont")->ClassName(), "TResource");
  scene_->SetFPSText(5);
  scene_->Process(0);
}

// The application's frame counter drives the display once it is shown: 60
// frames in a second of the fake clock make "60 fps"; the handler the
// event had still runs; a freed scene is no longer reached.
TEST_F(FpsDisplay, TheApplicationsFrameCounterReachesTheDisplay) {
  platform::FakeClock clock{1000};
  platform::ScopedService<platform::Clock> clockService{&clock};
  int titles = 0;
  App().OnFPSChanged = [&](void*) { ++titles; };
  scene_->SetShowFPS(true);
  scene_->SetShowFPS(true);
  auto frameAt = [&](uint32_t ms) {
    clock.Set(ms);
    bool done = true;
    App().Idle(&App(), done);
  };
  frameAt(1000);  // starts the timer at 1003
  for (uint32_t k = 2; k <= 60; ++k) frameAt(1003 + 1000 * (k - 1) / 59 - 1);
  EXPECT_EQ(App().FPS(), 60);
  EXPECT_EQ(titles, 1);
  EXPECT_EQ(scene_->FpsStr->Text, "60 fps");
  scene_->ConnectFPSDisplay();  // again: harmless
  for (uint32_t j = 1; j <= 29; ++j) frameAt(1003 + 1001 + 1000 * j / 29 - 1);
  EXPECT_EQ(App().FPS(), 30);
  EXPECT_EQ(titles, 2);
  EXPECT_EQ(scene_->FpsStr->Text, "30 fps");

  // Hidden, the rate goes on changing without reaching the text.
  scene_->SetShowFPS(false);
  for (uint32_t j = 1; j <= 59; ++j) frameAt(1003 + 2002 + 1000 * j / 59 - 1);
  EXPECT_EQ(App().FPS(), 60);
  EXPECT_EQ(titles, 3);
  EXPECT_EQ(scene_->FpsStr->Text, "30 fps");

  scene_.reset();
  App().OnFPSChanged(&App());  // the hook of a freed scene does nothing
  EXPECT_EQ(titles, 4);

  // A scene that never shows the display leaves the event alone.
  auto quiet = NewScene();
  quiet->SetShowFPS(false);
  App().OnFPSChanged(&App());
  EXPECT_EQ(titles, 5);
  EXPECT_EQ(quiet->FpsStr, nullptr);
}

}  // namespace
}  // namespace scenetest
