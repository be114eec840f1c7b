// Scene fonts, layout: cells, glyph sizes, quads and advances of fonts
// built through the box-drawing fake rasteriser (whose every size follows
// from the pixel height); the softened atlas checked texel by texel; the
// character-set, option and style keys with their round trip; fonts from a
// scene texture and a character-metrics file, and the errors of bad ones.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "assets/ResourceReader.h"
#include "gl/GLEntryPoints.h"
#include "gl/Texture.h"
#include "platform/Service.h"
#include "platform/fake/FakeFontRasterizer.h"
#include "scene/CharMetrics.h"
#include "scene/RenderState.h"
#include "scene/SceneClasses.h"
#include "scene/SceneFont.h"
#include "scene/SceneText.h"
#include "scene/SceneTexture.h"
#include "tests/assets/ImageTestSupport.h"
#include "tests/scene/SceneTestSupport.h"

namespace scenetest {
namespace {

using platform::FakeFontRasterizer;

// The codes a font has, in code order.
std::string Enabled(const TSceneFont& font) {
  std::string codes;
  for (int code = 0; code < 256; ++code)
    if (font.GetCharMap(code).Enabled) codes += static_cast<char>(code);
  return codes;
}

std::vector<int> Heights(const FakeFontRasterizer& fake) {
  std::vector<int> heights;
  for (const auto& request : fake.requests) heights.push_back(request.pixelHeight);
  return heights;
}

// The atlas as OpenGL holds it: r, g, b, a per texel, rows bottom-up.
struct Atlas {
  int size = 0;
  std::vector<uint8_t> rgba;
  const uint8_t* At(int x, int y) const { return &rgba[(static_cast<size_t>(y) * size + x) * 4]; }
  // "grey/alpha" of a texel, for readable failures.
  std::string Texel(int x, int y) const {
    return std::to_string(At(x, y)[0]) + "/" + std::to_string(At(x, y)[3]);
  }
};

Atlas ReadAtlas(TSceneFont& font) {
  font.AtlasTexture()->Use();
  Atlas atlas;
  GL.glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &atlas.size);
  atlas.rgba.resize(static_cast<size_t>(atlas.size) * atlas.size * 4);
  GL.glPixelStorei(GL_PACK_ALIGNMENT, 1);
  GL.glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, atlas.rgba.data());
  return atlas;
}

class FontLayout : public SceneGLTest {
 protected:
  void SetUp() override {
    SceneGLTest::SetUp();
    ResetSceneRenderState();
    scene_ = NewScene();
  }
  void TearDown() override {
    scene_.reset();  // the fonts go before the context's lists
    SceneGLTest::TearDown();
  }

  TSceneFont* AddFont(const std::string& name) {
    auto* font = new TSceneFont;
    font->SetName(name);
    scene_->AddObject(font, 0);
    return font;
  }

  FakeFontRasterizer fake_;
  platform::ScopedService<platform::FontRasterizer> fonts_{&fake_};
  std::unique_ptr<TMainScene> scene_;
};

TEST_F(FontLayout, TheFpsDisplayHasItsFontAndStringWithCellsInCodeOrder) {
  scene_->SetShowFPS(true);
  TSceneFont* font = scene_->FpsFont;
  TSceneString* text = scene_->FpsStr;
  ASSERT_NE(font, nullptr);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(scene_->FindObject("FpsFont"), font);
  EXPECT_EQ(scene_->FindObject("FpsStr"), text);
  EXPECT_EQ(font->FontOptions, foBuildFromFont | foSoften | foFixedView);
  EXPECT_EQ(font->FontStyle, fsBold);
  EXPECT_EQ(font->FontName, "Arial");
  EXPECT_EQ(font->FontCellSize, 32);
  EXPECT_EQ(font->TextureSize, 256);
  EXPECT_EQ(font->ViewWidth, 1024);
  EXPECT_EQ(font->ViewHeight, 768);
  EXPECT_EQ(font->ProcessOptions, 0);
  EXPECT_EQ(text->Font, font);
  EXPECT_EQ(text->ProcessOptions, poRender);
  EXPECT_EQ(text->X, 16);
  EXPECT_EQ(text->Y, 732);
  EXPECT_TRUE(text->Visible());
  EXPECT_TRUE(text->Alpha);
  EXPECT_TRUE(scene_->RenderList()->Contains(text));
  EXPECT_FALSE(scene_->RenderList()->Contains(font));

  EXPECT_EQ(font->CharCount(), 14);
  const std::string order = " 0123456789fps";
  EXPECT_EQ(Enabled(*font), order);
  for (size_t cell = 0; cell < order.size(); ++cell)
    EXPECT_EQ(font->GetCharMap(static_cast<unsigned char>(order[cell])).Cell, cell) << order[cell];

  // Softened: drawn at cell 64; the fake's line at 64 is 65 high, at 63
  // exactly 64. Digits and f, p, s advance 63 / 2 + 1 (bold), the blank
  // 63 / 4 + 1, "W" 64; everything halved.
  font->Build();
  EXPECT_EQ(Heights(fake_), (std::vector<int>{64, 63}));
  EXPECT_EQ(fake_.requests.back().family, "Arial");
  EXPECT_EQ(fake_.requests.back().style, unsigned(platform::FontBold));
  EXPECT_EQ(font->FixedWidth, 32);
  EXPECT_EQ(font->GetCharMap(' ').Width, 8);
  for (char c : std::string("0123456789fps")) {
    EXPECT_EQ(font->GetCharMap(static_cast<unsigned char>(c)).Width, 16) << c;
    EXPECT_EQ(font->GetCharMap(static_cast<unsigned char>(c)).Height, 32) << c;
  }
  // "s" in cell 13: 8 cells a row, so column 5 of row 1.
  const TCharMap s = font->GetCharMap('s');
  EXPECT_FLOAT_EQ(s.TexCoords[0].s, 160.0f / 256);
  EXPECT_FLOAT_EQ(s.TexCoords[0].t, 223.0f / 256);
  EXPECT_FLOAT_EQ(s.TexCoords[2].s, 178.0f / 256);
  EXPECT_FLOAT_EQ(s.TexCoords[2].t, 192.0f / 255);
}

TEST_F(FontLayout, QuadsAndAdvancesOfEveryCode) {
  TSceneFont* font = AddFont("Plain");
  EXPECT_EQ(font->CharCount(), 256);  // every code at creation
  font->AlphaBackground = 40;
  font->Build();
  EXPECT_TRUE(font->Built());
  // Cell 16: the line at 16 is 17 high, at 15 it is 15.
  EXPECT_EQ(Heights(fake_), (std::vector<int>{16, 15}));
  EXPECT_EQ(font->FaceName(), "Fake Sans");
  EXPECT_EQ(font->FixedWidth, 16);

  // "A" (65) in cell 65: column 1, row 4; px 16, top 255 - 64.
  const TCharMap a = font->GetCharMap('A');
  EXPECT_TRUE(a.Enabled);
  EXPECT_EQ(a.Cell, 65);
  EXPECT_EQ(a.Width, 8);
  EXPECT_EQ(a.Height, 15);
  EXPECT_FLOAT_EQ(a.Advance, 8);
  const float vertices[4][2] = {{0, 16}, {0, 0}, {8, 0}, {8, 16}};
  const float texture[4][2] = {{16.0f / 256, 191.0f / 256},
                               {16.0f / 256, 177.0f / 255},
                               {26.0f / 256, 177.0f / 255},
                               {26.0f / 256, 191.0f / 256}};
  for (int corner = 0; corner < 4; ++corner) {
    EXPECT_FLOAT_EQ(a.Vertices[corner].x, vertices[corner][0]) << corner;
    EXPECT_FLOAT_EQ(a.Vertices[corner].y, vertices[corner][1]) << corner;
    EXPECT_FLOAT_EQ(a.Vertices[corner].z, 0) << corner;
    EXPECT_FLOAT_EQ(a.TexCoords[corner].s, texture[corner][0]) << corner;
    EXPECT_FLOAT_EQ(a.TexCoords[corner].t, texture[corner][1]) << corner;
  }
  EXPECT_FLOAT_EQ(font->GetCharMap('i').Advance, 4);
  EXPECT_FLOAT_EQ(font->GetCharMap('W').Advance, 16);

  // The atlas: "A" drawn at bitmap (16, 64), columns 17..23 from the top
  // of its line to the baseline 12 rows down; texture row = 255 - bitmap
  // row. White with full alpha on the glyph, black with AlphaBackground
  // beside it.
  const Atlas atlas = ReadAtlas(*font);
  ASSERT_EQ(atlas.size, 256);
  EXPECT_EQ(atlas.Texel(17, 191), "255/255");
  EXPECT_EQ(atlas.Texel(23, 180), "255/255");
  EXPECT_EQ(atlas.Texel(16, 191), "0/40");
  EXPECT_EQ(atlas.Texel(24, 185), "0/40");
  EXPECT_EQ(atlas.Texel(20, 179), "0/40");
  EXPECT_EQ(atlas.Texel(20, 192), "0/40");
}

TEST_F(FontLayout, FixedSizeAdvancesEveryGlyphByTheWidthOfW) {
  TSceneFont* font = AddFont("Fixed");
  font->FontOptions |= foFixedSize;
  font->ClearChars();
  font->AddString("iW");
  font->Build();
  EXPECT_EQ(font->GetCharMap('i').Width, 4);
  EXPECT_EQ(font->GetCharMap('W').Width, 16);
  EXPECT_FLOAT_EQ(font->GetCharMap('i').Advance, 16);
  EXPECT_FLOAT_EQ(font->GetCharMap('W').Advance, 16);
  // Codes outside the set: an empty quad; the fixed advance stays.
  const TCharMap b = font->GetCharMap('B');
  EXPECT_FALSE(b.Enabled);
  EXPECT_EQ(b.Cell, 0);
  EXPECT_EQ(b.Width, 0);
  EXPECT_FLOAT_EQ(b.Vertices[2].x, 0);
  EXPECT_FLOAT_EQ(b.Vertices[0].y, 16);
  EXPECT_FLOAT_EQ(b.Advance, 16);

  TSceneFont* proportional = AddFont("Proportional");
  proportional->ClearChars();
  proportional->AddChar('i');
  proportional->Build();
  EXPECT_FLOAT_EQ(proportional->GetCharMap('i').Advance, 4);
  EXPECT_FLOAT_EQ(proportional->GetCharMap('B').Advance, 0);
}

// The pen moves by the advance: "AA" drawn in the window's own units (no
// FixedView: the viewport's 64 x 64) puts the second glyph 8 or, with
// FixedSize, 16 pixels after the first.
TEST_F(FontLayout, DrawTextMovesThePenByTheAdvance) {
  TSceneFont* font = AddFont("Pen");
  font->ClearChars();
  font->AddChar('A');
  auto inkColumns = [&](bool fixed) {
    font->Release();
    font->FontOptions = fixed ? (foBuildFromFont | foFixedSize) : foBuildFromFont;
    GL.glViewport(0, 0, 64, 64);
    GL.glClearColor(0, 0, 0, 1);
    GL.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    font->BeginDraw();
    font->DrawText(0, 10, "AA");
    font->EndDraw();
    std::string columns;
    for (int x = 0; x < 32; ++x) columns += Pixel(x, 18)[0] > 128 ? '#' : '.';
    return columns;
  };
  const std::string proportional = inkColumns(false);
  const std::string fixed = inkColumns(true);
  // Ink of the first glyph in 0..7 in both.
  EXPECT_NE(proportional.substr(0, 8).find('#'), std::string::npos) << proportional;
  EXPECT_EQ(proportional.substr(0, 8), fixed.substr(0, 8)) << proportional << "\n" << fixed;
  // The second: right after it, or after a gap with FixedSize.
  EXPECT_EQ(proportional.substr(8, 8), proportional.substr(0, 8)) << proportional;
  EXPECT_EQ(fixed.substr(8, 8), "........") << fixed;
  EXPECT_EQ(fixed.substr(16, 8), fixed.substr(0, 8)) << fixed;
}

// Soften draws at twice the size and averages each 2 x 2 block: the fake's
// "0" at cell 32 (pixel height 31) fills columns 1..15 and rows 0..24 of
// its cell; the averages are 255 inside, 127 on the half-covered left
// column and bottom row, 63 in the corner that one pixel of four covers.
TEST_F(FontLayout, SoftenAveragesTwoByTwoBlocks) {
  TSceneFont* font = AddFont("Soft");
  font->TextureSize = 64;
  font->FontOptions |= foSoften;
  font->ClearChars();
  font->AddChar('0');
  font->Build();
  EXPECT_EQ(Heights(fake_), (std::vector<int>{32, 31}));
  EXPECT_EQ(font->GetCharMap('0').Width, 8);
  EXPECT_EQ(font->GetCharMap('0').Height, 16);
  const Atlas atlas = ReadAtlas(*font);
  ASSERT_EQ(atlas.size, 64);
  // Final bitmap row y is texture row 63 - y.
  auto grey = [&](int x, int y) { return atlas.Texel(x, 63 - y); };
  EXPECT_EQ(grey(0, 0), "255/127");
  EXPECT_EQ(grey(0, 11), "255/127");
  EXPECT_EQ(grey(1, 0), "255/255");
  EXPECT_EQ(grey(7, 11), "255/255");
  EXPECT_EQ(grey(8, 0), "0/0");
  EXPECT_EQ(grey(3, 12), "255/127");
  EXPECT_EQ(grey(0, 12), "255/63");
  EXPECT_EQ(grey(3, 13), "0/0");

  // The same glyph unsoftened has no half-covered texels.
  TSceneFont* sharp = AddFont("Sharp");
  sharp->TextureSize = 64;
  sharp->ClearChars();
  sharp->AddChar('0');
  sharp->Build();
  const Atlas plain = ReadAtlas(*sharp);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) ASSERT_TRUE(plain.At(x, y)[3] == 0 || plain.At(x, y)[3] == 255) << x << "," << y;
}

TEST_F(FontLayout, CodesOutsideTheTableAndBadSizes) {
  TSceneFont* font = AddFont("Bad");
  for (int code : {-1, 256, 100000})
    EXPECT_EQ(Message([&] { font->GetCharMap(code); }), "TSceneFont.GetCharMap error: Index out of bounds!");
  EXPECT_EQ(Message([&] { font->AddChar(256); }), "TSceneFont.AddChar error: Index out of bounds!");
  EXPECT_EQ(Message([&] { font->AddCharRange(-3, 4); }), "TSceneFont.AddChar error: Index out of bounds!");
  font->AddCharRange(9, 3);  // empty range

  font->FontCellSize = 0;
  EXPECT_EQ(Message([&] { font->Build(); }), "TSceneFont.Build error: Font Bad: cell size 0 does not fit the texture size 256");
  font->FontCellSize = 512;
  EXPECT_EQ(Message([&] { font->Build(); }),
            "TSceneFont.Build error: Font Bad: cell size 512 does not fit the texture size 256");
  font->FontCellSize = 32;  // 8 x 8 cells for 256 codes
  EXPECT_EQ(Message([&] { font->Build(); }),
            "TSceneFont.Build error: Font Bad: 256 characters need more than the 8 x 8 cells of the atlas");
  font->TextureSize = 8192;
  font->FontCellSize = 16;
  EXPECT_EQ(Message([&] { font->Build(); }),
            "TSceneFont.Build error: Font Bad: texture size 8192 is not a power of 2 in 1..4096");
  font->TextureSize = 320;
  EXPECT_EQ(Message([&] { font->Build(); }),
            "TSceneFont.Build error: Font Bad: texture size 320 is not a power of 2 in 1..4096");
  EXPECT_FALSE(font->Built());
  EXPECT_EQ(font->AtlasTexture(), nullptr);

  // No font at all on the system: the rasteriser's error names the font.
  font->TextureSize = 256;
  font->FontName = "Tahoma";
  fake_.families.clear();
  EXPECT_EQ(Message([&] { font->Build(); }), "FontRasterizer.Open error: No font found for \"Tahoma\"");
  EXPECT_FALSE(font->Built());

  TSceneFont loose;
  loose.SetName("Loose");
  EXPECT_EQ(Message([&] { loose.Build(); }),
            "TSceneFont.Build error: Font Loose is not in a scene with a rendering context");
}

// --- keys ---------------------------------------------------------------------

const char* const kFontKeys = R"([MainScene]
Count=6
[MainScene1]
Type=TSceneFont
Name=Keys
Color=10,20,30,40
AlphaBackground=7
TextureSize=512
FontCellSize=32
ScaleX=1.5
ScaleY=0.5
ViewWidth=800
ViewHeight=600
FontName=Serif Thing
FileName=metrics.txt
FontOptions=[soften, FIXEDVIEW]
FontStyle=Italic strikeout
Char1=A
Char2=
Char3=Zed
StartChar1=a
EndChar1=c
Code1=200
Code2=-1
Code3=201
StartCode1=48
EndCode1=50
StartCode2=-1
StartCode3=60
EndCode3=61
Str1=xy!
[MainScene2]
Type=TSceneFont
Name=Bare
FontStyle=
[MainScene3]
Type=TSceneFont
Name=Defaults
Code1=65
[MainScene4]
Type=TSceneText
Name=Menu
ProcessOptions=[Render,Animation]
Font=Keys
X=100
Y=700
Color=1,2,3
StringColor=200,100,50,77
StringIndex=1
Enable3D=1
Text1=A
Text2=
Text3=B
Text5=not read
[MainScene5]
Type=TSceneString
Name=Title
Font=Keys
Text=Hello
X=5
Y=6
[MainScene6]
Type=TSceneText
Name=Plain
)";

void ExpectFontKeys(TMainScene& scene) {
  auto* keys = dynamic_cast<TSceneFont*>(scene.FindObject("Keys"));
  ASSERT_NE(keys, nullptr);
  EXPECT_EQ(keys->Color, (TGLColorBytes{10, 20, 30, 40}));
  EXPECT_EQ(keys->AlphaBackground, 7);
  EXPECT_EQ(keys->TextureSize, 512);
  EXPECT_EQ(keys->FontCellSize, 32);
  EXPECT_FLOAT_EQ(keys->ScaleX, 1.5f);
  EXPECT_FLOAT_EQ(keys->ScaleY, 0.5f);
  EXPECT_EQ(keys->ViewWidth, 800);
  EXPECT_EQ(keys->ViewHeight, 600);
  EXPECT_EQ(keys->FontName, "Serif Thing");
  EXPECT_EQ(keys->FileName, "metrics.txt");
  EXPECT_EQ(keys->FontOptions, foSoften | foFixedView);
  EXPECT_EQ(keys->FontStyle, fsItalic | fsStrikeOut);
  // Char2 is present but empty: one blank, and Char3 is still read. Code3
  // and StartCode3 come after the -1 that ends their lists.
  EXPECT_EQ(Enabled(*keys), " !012AZabcxy\xC8");
  EXPECT_EQ(keys->CharCount(), 13);
  EXPECT_EQ(keys->GetCharMap(' ').Cell, 0);
  EXPECT_EQ(keys->GetCharMap('0').Cell, 2);
  EXPECT_EQ(keys->GetCharMap('a').Cell, 7);
  EXPECT_EQ(keys->GetCharMap(200).Cell, 12);

  auto* bare = dynamic_cast<TSceneFont*>(scene.FindObject("Bare"));
  ASSERT_NE(bare, nullptr);
  EXPECT_EQ(bare->CharCount(), 0);  // no character keys: no characters
  EXPECT_EQ(bare->FontOptions, foBuildFromFont);
  EXPECT_EQ(bare->FontStyle, 0);
  auto* defaults = dynamic_cast<TSceneFont*>(scene.FindObject("Defaults"));
  ASSERT_NE(defaults, nullptr);
  EXPECT_EQ(defaults->FontStyle, fsBold);
  EXPECT_EQ(defaults->FontName, "Arial");
  EXPECT_EQ(defaults->TextureSize, 256);
  EXPECT_EQ(defaults->FontCellSize, 16);
  EXPECT_EQ(defaults->ViewWidth, 1024);
  EXPECT_EQ(defaults->Color, (TGLColorBytes{255, 255, 255, 255}));
  EXPECT_EQ(Enabled(*defaults), "A");

  auto* menu = dynamic_cast<TSceneText*>(scene.FindObject("Menu"));
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->Font, keys);
  EXPECT_EQ(menu->X, 100);
  EXPECT_EQ(menu->Y, 700);
  EXPECT_EQ(menu->Color, (TGLColorBytes{1, 2, 3, 255}));
  EXPECT_EQ(menu->StringColor, (TGLColorBytes{200, 100, 50, 77}));
  EXPECT_EQ(menu->StringIndex, 1);
  EXPECT_TRUE(menu->Enable3D);
  EXPECT_EQ(menu->Lines, (std::vector<std::string>{"A", " ", "B"}));
  EXPECT_TRUE(scene.AnimationList()->Contains(menu));

  auto* title = dynamic_cast<TSceneString*>(scene.FindObject("Title"));
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->Text, "Hello");
  EXPECT_EQ(title->Font, keys);
  EXPECT_EQ(title->X, 5);
  EXPECT_EQ(title->Y, 6);
  EXPECT_FALSE(title->Enable3D);

  auto* plain = dynamic_cast<TSceneText*>(scene.FindObject("Plain"));
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(plain->StringIndex, -1);
  EXPECT_EQ(plain->StringColor, (TGLColorBytes{255, 255, 255, 255}));
  EXPECT_TRUE(plain->Lines.empty());
  EXPECT_EQ(plain->Font, nullptr);
  EXPECT_TRUE(plain->Visible());
  EXPECT_TRUE(plain->Alpha);
}

TEST(FontKeys, CharacterSetOptionsStylesAndTextKeysWithTheirRoundTrip) {
  SceneFiles files;
  auto scene = files.LoadText(kFontKeys);
  {
    SCOPED_TRACE("loaded");
    ExpectFontKeys(*scene);
  }
  scene->SourceName = "saved.gsc";
  scene->Save();
  const std::string saved = files.Read("saved.gsc");
  for (const char* line : {"FontOptions=[Soften,FixedView]\r\n", "FontStyle=[Italic,StrikeOut]\r\n",
                           "FontStyle=[]\r\n", "FontOptions=[BuildFromFont]\r\n", "FontStyle=[Bold]\r\n",
                           "StartCode1=32\r\nEndCode1=33\r\n", "StartCode2=48\r\nEndCode2=50\r\n",
                           "Text1=A\r\nText2= \r\nText3=B\r\n"})
    EXPECT_NE(saved.find(line), std::string::npos) << line << "\n" << saved;
  auto reloaded = files.Load("saved.gsc");
  SCOPED_TRACE("reloaded");
  ExpectFontKeys(*reloaded);
}

TEST(FontKeys, RegisteredInTheirPlaces) {
  const std::vector<std::string> names = SceneClassNames();
  auto at = [&](const char* name) { return std::find(names.begin(), names.end(), name) - names.begin(); };
  ASSERT_LT(at("TSceneText"), static_cast<std::ptrdiff_t>(names.size()));
  EXPECT_EQ(at("TSceneString"), at("TSceneFont") + 1);
  EXPECT_EQ(at("TSceneText"), at("TSceneString") + 1);
  EXPECT_LT(at("TMainSpriteList"), at("TSceneFont"));
  EXPECT_GT(at("TSceneSound"), at("TSceneText"));
  for (const char* name : {"TSceneFont", "TSceneString", "TSceneText"})
    EXPECT_STREQ(CreateSceneObject(name, "x")->ClassName(), name);
  EXPECT_EQ(CreateSceneObject("TSceneBaseText", "x"), nullptr);
}

TEST(FontKeys, SetTextsReadMembersAnywhereIgnoringCase) {
  EXPECT_EQ(StrToFontOptions("[FixedSize,Soften,BuildFromFont,FixedView,Scaled,3DView]"), 63);
  EXPECT_EQ(StrToFontOptions("3dview and SCALED"), fo3DView | foScaled);
  EXPECT_EQ(StrToFontOptions("[]"), 0);
  EXPECT_EQ(FontOptionsToStr(63), "[FixedSize,Soften,BuildFromFont,FixedView,Scaled,3DView]");
  EXPECT_EQ(FontOptionsToStr(0), "[]");
  EXPECT_EQ(StrToFontStyles("BOLD underline"), fsBold | fsUnderline);
  EXPECT_EQ(FontStylesToStr(15), "[Bold,Italic,Underline,StrikeOut]");
}

TEST(FontKeys, BadValuesAreErrorsNamingTheKey) {
  SceneFiles files;
  const std::string head = "[MainScene]\nCount=1\n[MainScene1]\nType=TSceneFont\nName=F\n";
  const std::string where = " (file " + files.File("s.gsc") + ", section [MainScene1])";
  const std::pair<std::string, std::string> cases[] = {
      {"StartChar1=a\n", "TSceneFont.ReadProperties error: StartChar1 has no EndChar1"},
      {"StartChar1=a\nEndChar1=b\nStartChar2=x\nEndChar2=\n", ""},  // an empty value is one blank
      {"Code1=256\n", "TSceneFont.ReadProperties error: Code1 value 256 is out of range 0..255"},
      {"Code1=5\nCode2=-2\n", "TSceneFont.ReadProperties error: Code2 value -2 is out of range 0..255"},
      {"StartCode1=10\n", "TSceneFont.ReadProperties error: EndCode1 value -1 is out of range 0..255"},
      {"StartCode1=300\nEndCode1=301\n", "TSceneFont.ReadProperties error: StartCode1 value 300 is out of range 0..255"},
      {"AlphaBackground=256\n", "TSceneFont.ReadProperties error: AlphaBackground value 256 is out of range 0..255"},
      {"TextureSize=-4\n", "TSceneFont.ReadProperties error: TextureSize value -4 must not be negative"},
      {"FontCellSize=-1\n", "TSceneFont.ReadProperties error: FontCellSize value -1 must not be negative"},
  };
  for (const auto& [keys, message] : cases) {
    files.Write("s.gsc", head + keys);
    const std::string raised = Message([&] { files.Load("s.gsc"); });
    if (message.empty())
      EXPECT_EQ(raised, "(nothing raised)") << keys;
    else
      EXPECT_EQ(raised, message + where) << keys;
  }
}

// --- character-metrics files --------------------------------------------------

// A metrics file: a caption, then `lines` of the 256 lines; codes in
// `sizes` enabled with their width and height, lines in `raw` as given.
std::string MetricsFile(const std::vector<std::tuple<int, int, int>>& sizes, int lines = 256,
                        const std::map<int, std::string>& raw = {}) {
  std::vector<std::string> rows(256, "0 0 0");
  for (const auto& [code, width, height] : sizes)
    rows[static_cast<size_t>(code)] = "1 " + std::to_string(width) + "  " + std::to_string(height);
  for (const auto& [code, line] : raw) rows[static_cast<size_t>(code)] = line;
  std::string text = "Character metrics\r\n";
  for (int i = 0; i < lines; ++i) text += rows[static_cast<size_t>(i)] + "\r\n";
  return text;
}

std::vector<uint8_t> ToBytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

TEST(CharMetricsFile, ReadsTheSetAndSizesAndRefusesBadLines) {
  // Code 0 is not enabled: its sizes are dropped.
  const std::string text = MetricsFile({{'A', 10, 12}, {'W', 15, 16}}, 256, {{0, "0 9 9"}, {1, "\t+1 0\t0 "}});
  const TCharMetrics metrics = ParseCharMetrics(ToBytes(text + "trailing lines are ignored\n"), "m.txt", 16);
  EXPECT_TRUE(metrics['A'].Enabled);
  EXPECT_EQ(metrics['A'].Width, 10);
  EXPECT_EQ(metrics['A'].Height, 12);
  EXPECT_EQ(metrics['W'].Width, 15);
  EXPECT_FALSE(metrics[0].Enabled);
  EXPECT_EQ(metrics[0].Width, 0);
  EXPECT_TRUE(metrics[1].Enabled);
  EXPECT_FALSE(metrics['B'].Enabled);

  auto error = [](const std::string& file) {
    return Message([&] { ParseCharMetrics(ToBytes(file), "fonts/m.txt", 16); });
  };
  EXPECT_EQ(error(""), "TSceneFont.ReadCharMetrics error: fonts/m.txt: 0 lines of character metrics, 256 needed");
  EXPECT_EQ(error(MetricsFile({}, 100)),
            "TSceneFont.ReadCharMetrics error: fonts/m.txt: 100 lines of character metrics, 256 needed");
  for (const char* line : {"1 x 3", "1 2", "1 2 3 4", "1 2 3.5", "", "1 2 99999999999", "0x1 2 3"})
    EXPECT_EQ(error(MetricsFile({}, 256, {{16, line}})),
              std::string("TSceneFont.ReadCharMetrics error: fonts/m.txt, line 18: '") + line +
                  "' is not three integers")
        << line;
  EXPECT_EQ(error(MetricsFile({{'A', 17, 3}})),
            "TSceneFont.ReadCharMetrics error: fonts/m.txt, line 67: width 17 and height 3 must lie in 0..16");
  EXPECT_EQ(error(MetricsFile({{'A', 3, -1}})),
            "TSceneFont.ReadCharMetrics error: fonts/m.txt, line 67: width 3 and height -1 must lie in 0..16");
}

class FontFromTexture : public FontLayout {
 protected:
  // A font on a scene texture of 64 x 64 and the metrics file name.
  TSceneFont* Load(const std::string& metricsName) {
    files.Write("atlas.bmp", image_test::MakeBmp(White64()));
    files.Write("font.gsc", "[MainScene]\nCount=2\n"
                            "[MainScene1]\nType=TSceneTextureList\nName=Textures\nPath=" + files.Folder() +
                                "\nCount=1\n[Textures1]\nType=TSceneTexture\nName=Atlas\nTextureName=atlas.bmp\n"
                                "[MainScene2]\nType=TResource\nName=Fonts\nPath=" + files.Folder() +
                                "\nCount=1\n[Fonts1]\nType=TSceneFont\nName=Bitmap\nFontOptions=[FixedSize]\n"
                                "TextureSize=64\nFileName=" + metricsName + "\nTexture=Textures/Atlas\n");
    scene_->Path = files.Folder();
    scene_->SourceName = "font.gsc";
    scene_->Load();
    return dynamic_cast<TSceneFont*>(scene_->FindObject("Fonts/Bitmap"));
  }
  static image_test::BmpSpec White64() {
    image_test::BmpSpec image;
    image.width = 64;
    image.height = 64;
    for (int y = 0; y < 64; ++y) image.rows.push_back(image_test::Bytes(64 * 3, 255));
    return image;
  }
  SceneFiles files;
};

TEST_F(FontFromTexture, TheMetricsFileGivesSetSizesAndTheFixedWidth) {
  files.Write("metrics.txt", MetricsFile({{'A', 10, 12}, {'i', 3, 12}, {'W', 15, 16}}));
  TSceneFont* font = Load("metrics.txt");
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->CharCount(), 0);  // the section names no characters
  font->Build();
  EXPECT_EQ(font->AtlasTexture(), nullptr);
  EXPECT_TRUE(fake_.requests.empty());
  EXPECT_EQ(Enabled(*font), "AWi");
  EXPECT_EQ(font->GetCharMap('W').Cell, 1);
  EXPECT_EQ(font->GetCharMap('i').Cell, 2);
  EXPECT_EQ(font->GetCharMap('A').Width, 10);
  EXPECT_EQ(font->GetCharMap('i').Height, 12);
  EXPECT_EQ(font->FixedWidth, 15);
  EXPECT_FLOAT_EQ(font->GetCharMap('i').Advance, 15);  // FixedSize
  // "i" in cell 2 of 4 a row: px 32, top 63; height 12.
  const TCharMap i = font->GetCharMap('i');
  EXPECT_FLOAT_EQ(i.TexCoords[1].s, 32.0f / 64);
  EXPECT_FLOAT_EQ(i.TexCoords[1].t, 52.0f / 63);
  EXPECT_FLOAT_EQ(i.TexCoords[3].s, 37.0f / 64);
  EXPECT_FLOAT_EQ(i.TexCoords[3].t, 63.0f / 64);
  // Drawing binds the scene texture through the cache.
  font->BeginDraw();
  EXPECT_EQ(SceneTexture(), scene_->FindObject("Textures/Atlas"));
  font->DrawText(0, 0, "AiW");
  font->EndDraw();
  EXPECT_EQ(GL.glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(FontFromTexture, BadOrMissingMetricsFilesAreErrorsNamingTheFile) {
  files.Write("short.txt", MetricsFile({}, 255));
  TSceneFont* font = Load("short.txt");
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(Message([&] { font->Build(); }), "TSceneFont.ReadCharMetrics error: " + files.Folder() +
                                                 "short.txt: 255 lines of character metrics, 256 needed");
  EXPECT_FALSE(font->Built());

  files.Write("wide.txt", MetricsFile({{'A', 10, 12}, {'B', 17, 12}}));
  font->FileName = "wide.txt";
  EXPECT_EQ(Message([&] { font->Build(); }), "TSceneFont.ReadCharMetrics error: " + files.Folder() +
                                                 "wide.txt, line 68: width 17 and height 12 must lie in 0..16");
  font->FileName = "absent.txt";
  const std::string absent = Message([&] { font->Build(); });
  EXPECT_EQ(absent.rfind("TFileStream.Create error: Cannot open file \"" + files.Folder() + "absent.txt\"", 0), 0u)
      << absent;
  font->FileName.clear();
  EXPECT_EQ(Message([&] { font->Build(); }), "TSceneFont.Build error: Font Bitmap has no character-metrics file");

  // With the archive bit the file comes from the archive.
  const std::string archive = files.Write(
      "data.rfa", assets_test::Archive({assets_test::Entry("packed.txt", MetricsFile({{'Q', 5, 6}}))}));
  TResourceFileReader& reader = ResourceReader();
  const TResourceSource source = reader.Source;
  const std::string name = reader.ArchiveName;
  reader.Source = TResourceSource::rsArchiveFile;
  reader.ArchiveName = archive;
  reader.FreeArchive();
  scene_->SourceFlags = sfArchive;
  font->FileName = "packed.txt";
  font->Build();
  EXPECT_EQ(Enabled(*font), "Q");
  EXPECT_EQ(font->GetCharMap('Q').Width, 5);
  font->Release();
  font->FileName = "missing.txt";
  EXPECT_EQ(Message([&] { font->Build(); }), "TSceneFont.Build error: Font Bitmap: character-metrics file " +
                                                 files.Folder() + "missing.txt not found in the archive");
  reader.Source = source;
  reader.ArchiveName = name;
  reader.FreeArchive();
}

}  // namespace
}  // namespace scenetest
