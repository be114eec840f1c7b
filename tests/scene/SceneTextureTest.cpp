// Scene textures: quality steps, formats and key colours checked on the
// texels read back from the uploaded texture; file lists and their option
// keys; images from disk and archive and the errors of bad ones; the
// update of existing textures when the list's settings change; the texture
// part of the render state cache.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "assets/Bitmap.h"
#include "assets/ResourceReader.h"
#include "gl/GLEntryPoints.h"
#include "gl/Texture.h"
#include "scene/RenderState.h"
#include "scene/SceneTexture.h"
#include "scene/SceneTextureList.h"
#include "scene/TextureTexels.h"
#include "tests/assets/ImageTestSupport.h"
#include "tests/scene/SceneTestSupport.h"

namespace scenetest {
namespace {

using image_test::Bytes;
using Names = std::vector<std::string>;

struct RGB {
  uint8_t r, g, b;
};

// A 24-bit bitmap file whose pixel (x, y) (y from the top) is colour(x, y).
Bytes Bmp24(int width, int height, const std::function<RGB(int, int)>& colour) {
  image_test::BmpSpec spec;
  spec.width = width;
  spec.height = height;
  for (int y = 0; y < height; ++y) {
    Bytes row;
    for (int x = 0; x < width; ++x) {
      const RGB c = colour(x, y);
      row.insert(row.end(), {c.b, c.g, c.r});
    }
    spec.rows.push_back(row);
  }
  return image_test::MakeBmp(spec);
}

// An 8-bit bitmap with palette entry i = (i, 255 - i, i / 2) and pixel
// (x, y) = index(x, y).
Bytes Bmp8(int width, int height, const std::function<uint8_t(int, int)>& index) {
  image_test::BmpSpec spec;
  spec.width = width;
  spec.height = height;
  spec.bits = 8;
  for (uint32_t i = 0; i < 256; ++i) spec.palette.push_back(i << 16 | (255 - i) << 8 | i / 2);
  for (int y = 0; y < height; ++y) {
    Bytes row;
    for (int x = 0; x < width; ++x) row.push_back(index(x, y));
    spec.rows.push_back(row);
  }
  return image_test::MakeBmp(spec);
}
RGB PaletteColour(uint8_t i) { return {i, uint8_t(255 - i), uint8_t(i / 2)}; }

RGB Pattern(int x, int y) { return {uint8_t(x * 7 + y * 13), uint8_t(x * 3 + 100), uint8_t(y * 11 + x)}; }

// The texels of the texture as OpenGL holds them: b, g, r, a per texel,
// rows bottom-up.
struct Texels {
  int width = 0, height = 0;
  std::vector<uint8_t> bgra;
  const uint8_t* At(int x, int y) const { return &bgra[(static_cast<size_t>(y) * width + x) * 4]; }
};

Texels ReadBack(TSceneTexture* texture) {
  BindSceneTexture(texture);
  Texels t;
  GL.glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &t.width);
  GL.glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &t.height);
  t.bgra.resize(static_cast<size_t>(t.width) * t.height * 4);
  GL.glPixelStorei(GL_PACK_ALIGNMENT, 1);
  if (!t.bgra.empty()) GL.glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_BYTE, t.bgra.data());
  return t;
}

class SceneTextures : public SceneGLTest {
 protected:
  void SetUp() override {
    SceneGLTest::SetUp();
    ResetSceneRenderState();
  }
  void TearDown() override {
    scene_.reset();  // the textures go before the context's lists
    SceneGLTest::TearDown();
  }

  // A scene with one texture list per quality, each holding the textures
  // described by `textures` (sections "<list>1" ... in the order given,
  // without the list name: "Type=TSceneTexture\nName=...").
  TMainScene& Load(const std::vector<std::string>& textures, const std::string& listKeys = "ColorBit=32bit",
                   uint8_t flags = sfDisk) {
    std::string text = "[MainScene]\nCount=3\n";
    const char* qualities[] = {"High", "Medium", "Low"};
    for (int q = 0; q < 3; ++q) {
      const std::string list = qualities[q];
      text += "[MainScene" + std::to_string(q + 1) + "]\nType=TSceneTextureList\nName=" + list + "\nQuality=" + list +
              "\nPath=" + files.Folder() + "\n" + listKeys + "\nCount=" + std::to_string(textures.size()) + "\n";
      for (size_t i = 0; i < textures.size(); ++i)
        text += "[" + list + std::to_string(i + 1) + "]\nType=TSceneTexture\n" + textures[i] + "\n";
    }
    files.Write("textures.gsc", text);
    scene_ = NewScene();
    scene_->Path = files.Folder();
    scene_->SourceName = "textures.gsc";
    scene_->SourceFlags = flags;
    scene_->Load();
    return *scene_;
  }
  TSceneTexture* Texture(const std::string& path) {
    auto* texture = dynamic_cast<TSceneTexture*>(scene_->FindObject(path));
    EXPECT_NE(texture, nullptr) << path;
    return texture;
  }

  SceneFiles files;
  std::unique_ptr<TMainScene> scene_;
};

TEST(TextureRules, StepsByQualityAndSize) {
  struct Case {
    int width, height;
    TTextureQuality quality;
    int step;
  } cases[] = {
      {512, 256, tqLow, 4},     // a 640 x 480 picture after fitting: 128 x 64 texels
      {1024, 1024, tqLow, 2},   // halved: the larger side is 1024
      {512, 512, tqLow, 4},     {256, 256, tqLow, 2},  {64, 64, tqLow, 2},  {16, 16, tqLow, 1},
      {16, 1024, tqLow, 1},     {1024, 1024, tqMedium, 1}, {512, 512, tqMedium, 2}, {256, 256, tqMedium, 1},
      {1024, 512, tqHigh, 1},   {32, 1024, tqLow, 1},  {64, 512, tqLow, 2},  {0, 0, tqLow, 1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TextureStep(c.width, c.height, c.quality), c.step) << c.width << "x" << c.height << " q" << int(c.quality);
}

TEST(TextureRules, FiltersAndInternalFormats) {
  EXPECT_EQ(TextureCreationFilter(false, false, tfTexture), GLenum(GL_LINEAR));
  EXPECT_EQ(TextureCreationFilter(false, true, tfTexture), GLenum(GL_LINEAR_MIPMAP_LINEAR));
  EXPECT_EQ(TextureCreationFilter(false, true, tfSprite), GLenum(GL_LINEAR));
  EXPECT_EQ(TextureCreationFilter(true, false, tfTexture), GLenum(GL_NEAREST));
  EXPECT_EQ(TextureCreationFilter(true, true, tfTexture), GLenum(GL_LINEAR_MIPMAP_NEAREST));
  EXPECT_EQ(TextureCreationFilter(true, true, tfAlpha), GLenum(GL_NEAREST));
  // After a change of the settings the rule differs.
  EXPECT_EQ(TextureUpdateFilter(false, true, tfAlpha), GLenum(GL_LINEAR_MIPMAP_LINEAR));
  EXPECT_EQ(TextureUpdateFilter(false, false, tfTexture), GLenum(GL_LINEAR));
  EXPECT_EQ(TextureUpdateFilter(true, true, tfTexture), GLenum(GL_NEAREST_MIPMAP_NEAREST));
  EXPECT_EQ(TextureUpdateFilter(true, true, tfSprite), GLenum(GL_NEAREST));

  TGLTextureList textures(nullptr);
  textures.CompressedRGBFormat = GL_COMPRESSED_RGB_ARB;
  textures.CompressedRGBAFormat = GL_COMPRESSED_RGBA_ARB;
  struct Case {
    TTextureFormat format;
    TColorBit bits;
    bool animated;
    GLenum internal;
  } cases[] = {
      {tfTexture, cb16Bit, false, GL_RGB5},       {tfSprite, cb16Bit, false, GL_RGB5_A1},
      {tfAlpha, cb16Bit, false, GL_RGBA4},        {tfTexture, cb32Bit, true, GL_RGB8},
      {tfSprite, cb32Bit, false, GL_RGBA8},       {tfAlpha, cb32Bit, false, GL_RGBA8},
      {tfTexture, cbCompressed, true, GL_RGB5},   {tfSprite, cbCompressed, true, GL_RGB5_A1},
      {tfAlpha, cbCompressed, true, GL_RGBA4},    {tfTexture, cbCompressed, false, GL_COMPRESSED_RGB_ARB},
      {tfSprite, cbCompressed, false, GL_COMPRESSED_RGBA_ARB}, {tfAlpha, cbCompressed, false, GL_COMPRESSED_RGBA_ARB},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TextureInternalFormat(c.format, c.bits, c.animated, textures), c.internal)
        << int(c.format) << "/" << int(c.bits) << "/" << c.animated;

  EXPECT_EQ(StrToTextureFormat("[Sprite,Alpha]", tfTexture), tfAlpha);
  EXPECT_EQ(StrToTextureFormat("Something", tfAlpha), tfTexture);
  EXPECT_EQ(StrToTextureFormat("", tfAlpha), tfAlpha);
  EXPECT_EQ(StrToColorBit("Compressed 32"), cb32Bit);
  EXPECT_EQ(StrToColorBit("16bit"), cb16Bit);
  EXPECT_EQ(StrToColorBit("24bit"), cbCompressed);
  EXPECT_EQ(StrToTextureQuality("Very High"), tqHigh);
  EXPECT_EQ(StrToTextureQuality("Medium"), tqMedium);
  EXPECT_EQ(StrToTextureQuality("high"), tqLow);
}

TEST_F(SceneTextures, QualityStepsAverageBlocksOfTheImage) {
  files.Write("stripes.bmp", Bmp24(512, 32, Pattern));
  Load({"Name=Stripes\nTextureName=stripes.bmp"});
  for (const char* list : {"High", "Medium", "Low"}) {
    SCOPED_TRACE(list);
    TSceneTexture* texture = Texture(std::string(list) + "/Stripes");
    const Texels t = ReadBack(texture);
    const int step = texture->Step;
    EXPECT_EQ(step, std::string(list) == "High" ? 1 : std::string(list) == "Medium" ? 2 : 4);
    EXPECT_EQ(texture->ImageWidth, 512);
    EXPECT_EQ(texture->ImageHeight, 32);
    ASSERT_EQ(t.width, 512 / step);
    ASSERT_EQ(t.height, 32 / step);
    // The eight pixels of a 4 x 4 block that step 4 averages.
    const std::vector<std::pair<int, int>> eight = {{1, 0}, {0, 0}, {2, 1}, {3, 1}, {0, 2}, {1, 2}, {2, 3}, {3, 3}};
    for (int y = 0; y < t.height; ++y)
      for (int x = 0; x < t.width; ++x) {
        const int top = (t.height - 1 - y) * step, left = x * step;
        unsigned r = 0, g = 0, b = 0, n = 0;
        auto add = [&](int row, int column) {
          const RGB c = Pattern(left + column, top + row);
          r += c.r, g += c.g, b += c.b, ++n;
        };
        if (step == 4)
          for (auto [row, column] : eight) add(row, column);
        else
          for (int row = 0; row < step; ++row)
            for (int column = 0; column < step; ++column) add(row, column);
        const uint8_t* texel = t.At(x, y);
        ASSERT_EQ(texel[2], r / n) << x << "," << y;
        ASSERT_EQ(texel[1], g / n) << x << "," << y;
        ASSERT_EQ(texel[0], b / n) << x << "," << y;
        ASSERT_EQ(texel[3], 255);
      }
  }
}

TEST_F(SceneTextures, PaletteImagesSpritesAndKeyColours) {
  // Index 9 at the top-left corner and on the diagonal, else x + y.
  auto index = [](int x, int y) { return uint8_t(x == y ? 9 : (x + y) % 256); };
  files.Write("palette.bmp", Bmp8(32, 32, index));
  const RGB key = PaletteColour(20);
  Load({"Name=Plain\nTextureName=palette.bmp",
        "Name=Keyed\nTextureName=palette.bmp\nFormat=Sprite\nSpriteColor=" + std::to_string(key.r) + "," +
            std::to_string(key.g) + "," + std::to_string(key.b),
        "Name=Auto\nTextureName=palette.bmp\nFormat=Sprite\nSpriteColor=1,2,3\nAutoSpriteColor=1"});
  // 32 pixels wide: step 1 at every quality.
  const Texels plain = ReadBack(Texture("Low/Plain"));
  const Texels keyed = ReadBack(Texture("Low/Keyed"));
  const Texels autoKeyed = ReadBack(Texture("Low/Auto"));
  EXPECT_TRUE(Texture("Low/Keyed")->HasAlpha());
  EXPECT_FALSE(Texture("Low/Plain")->HasAlpha());
  ASSERT_EQ(plain.width, 32);
  ASSERT_EQ(keyed.height, 32);
  int keyedOut = 0, autoOut = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const RGB c = PaletteColour(index(x, 31 - y));
      ASSERT_EQ(plain.At(x, y)[2], c.r);
      ASSERT_EQ(plain.At(x, y)[1], c.g);
      ASSERT_EQ(plain.At(x, y)[0], c.b);
      ASSERT_EQ(keyed.At(x, y)[2], c.r);
      const bool isKey = index(x, 31 - y) == 20;
      ASSERT_EQ(keyed.At(x, y)[3], isKey ? 0 : 255) << x << "," << y;
      // The automatic key is the top-left pixel's colour: the diagonal.
      ASSERT_EQ(autoKeyed.At(x, y)[3], index(x, 31 - y) == 9 ? 0 : 255) << x << "," << y;
      keyedOut += isKey;
      autoOut += autoKeyed.At(x, y)[3] == 0;
    }
  EXPECT_GT(keyedOut, 0);
  EXPECT_GE(autoOut, 32);
  const TGLColorBytes corner = Texture("Low/Auto")->SpriteColor;
  EXPECT_EQ(corner.r, PaletteColour(9).r);
  EXPECT_EQ(corner.g, PaletteColour(9).g);
}

TEST_F(SceneTextures, AlphaImagesGiveTheMeanOfTheirChannels) {
  files.Write("colour.bmp", Bmp24(64, 64, Pattern));
  auto alphaOf = [](int x, int y) { return RGB{uint8_t(x * 4), uint8_t(y * 4), uint8_t(x + y)}; };
  files.Write("alpha.bmp", Bmp24(64, 64, alphaOf));
  files.Write("alpha8.bmp", Bmp8(64, 64, [](int x, int y) { return uint8_t(x * 3 + y); }));
  Load({"Name=Pair\nTextureName=colour.bmp\nAlphaName=alpha.bmp",
        "Name=Indexed\nTextureName=colour.bmp\nAlphaName=alpha8.bmp",
        "Name=Self\nTextureName=colour.bmp\nAlphaName=COLOUR.BMP\nFormat=Alpha"});
  EXPECT_EQ(Texture("High/Pair")->Format, tfAlpha);  // an alpha name makes the default "Alpha"
  for (const char* list : {"High", "Low"}) {
    SCOPED_TRACE(list);
    const Texels pair = ReadBack(Texture(std::string(list) + "/Pair"));
    const Texels indexed = ReadBack(Texture(std::string(list) + "/Indexed"));
    const Texels self = ReadBack(Texture(std::string(list) + "/Self"));
    const int step = Texture(std::string(list) + "/Pair")->Step;
    EXPECT_EQ(step, std::string(list) == "High" ? 1 : 2);  // 64 wide at "Low": halved, and 32 texels wide
    ASSERT_EQ(pair.width, 64 / step);
    for (int y = 0; y < pair.height; ++y)
      for (int x = 0; x < pair.width; ++x) {
        const int top = (pair.height - 1 - y) * step, left = x * step;
        unsigned sum = 0, colourSum = 0;
        for (int row = 0; row < step; ++row)
          for (int column = 0; column < step; ++column) {
            const RGB a = alphaOf(left + column, top + row);
            sum += a.r + a.g + a.b;
            colourSum += Pattern(left + column, top + row).r;
          }
        ASSERT_EQ(pair.At(x, y)[3], sum / (3 * step * step)) << x << "," << y;
        ASSERT_EQ(pair.At(x, y)[2], colourSum / (step * step));
        // An 8-bit alpha image: both images sampled at the pixel, no mean.
        const RGB a8 = PaletteColour(uint8_t(left * 3 + top));
        ASSERT_EQ(indexed.At(x, y)[3], (a8.r + a8.g + a8.b) / 3) << x << "," << y;
        ASSERT_EQ(indexed.At(x, y)[2], Pattern(left, top).r);
        // The colour image as its own alpha image.
        unsigned selfSum = 0;
        for (int row = 0; row < step; ++row)
          for (int column = 0; column < step; ++column) {
            const RGB c = Pattern(left + column, top + row);
            selfSum += c.r + c.g + c.b;
          }
        ASSERT_EQ(self.At(x, y)[3], selfSum / (3 * step * step));
      }
  }
}

TEST_F(SceneTextures, ImagesOfOtherSizesKindsAndNamesAndBrokenFiles) {
  image_test::JpegSpec photo = image_test::FlatJpeg(640, 480, {200, 100, 50}, JCS_RGB);
  files.Write("photo.JPG", image_test::MakeJpeg(photo));
  const Bytes jpeg = image_test::MakeJpeg(photo);
  files.Write("cut.jpg", Bytes(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(jpeg.size() / 3)));
  files.Write("photo.jpeg", jpeg);
  files.Write("small.bmp", Bmp24(32, 32, Pattern));
  image_test::BmpSpec huge;  // 60000 x 60000 declared in a file of a few bytes
  huge.width = huge.height = 60000;
  files.Write("huge.bmp", image_test::MakeBmp(huge));
  Load({"Name=Photo\nTextureName=photo.JPG", "Name=Spelled\nTextureName=photo.jpeg", "Name=Huge\nTextureName=huge.bmp",
        "Name=Cut\nTextureName=cut.jpg", "Name=Missing\nTextureName=missing.bmp",
        "Name=Mismatch\nTextureName=photo.JPG\nAlphaName=small.bmp"});
  TSceneTexture* photoTexture = Texture("Low/Photo");
  const Texels t = ReadBack(photoTexture);
  EXPECT_EQ(photoTexture->ImageWidth, 512);  // fitted to the powers of two below
  EXPECT_EQ(photoTexture->ImageHeight, 256);
  EXPECT_EQ(photoTexture->Step, 4);
  EXPECT_EQ(t.width, 128);
  EXPECT_EQ(t.height, 64);
  EXPECT_NEAR(t.At(60, 30)[2], 200, 3);
  EXPECT_NEAR(t.At(60, 30)[1], 100, 3);
  EXPECT_NEAR(t.At(60, 30)[0], 50, 3);
  // ".jpeg" is not a JPEG name: an empty image, a texture of size 0.
  EXPECT_EQ(ReadBack(Texture("Low/Spelled")).width, 0);
  EXPECT_EQ(Texture("Low/Spelled")->ImageWidth, 0);

  const std::string cut = Message([&] { BindSceneTexture(Texture("Low/Cut")); });
  EXPECT_EQ(cut.rfind("TBitmap.DecodeJpeg error: " + files.Folder() + "cut.jpg", 0), 0u) << cut;
  EXPECT_EQ(Texture("Low/Cut")->GLTexture(), nullptr);  // nothing half-loaded stays
  EXPECT_EQ(SceneTexture(), Texture("Low/Spelled"));    // the cache keeps the last good one
  EXPECT_NE(Message([&] { BindSceneTexture(Texture("Low/Missing")); })
                .find("Cannot open file \"" + files.Folder() + "missing.bmp\""),
            std::string::npos);
  const std::string tooLarge = Message([&] { BindSceneTexture(Texture("Low/Huge")); });
  EXPECT_NE(tooLarge.find("TBitmap.DecodeBmp error: " + files.Folder() + "huge.bmp"), std::string::npos) << tooLarge;
  EXPECT_NE(tooLarge.find("60000x60000"), std::string::npos) << tooLarge;
  EXPECT_EQ(Message([&] { BindSceneTexture(Texture("Low/Mismatch")); }),
            "TSceneTexture.AlphaFromBitmap error: Texture size is not equal Alpha size! (texture Mismatch: " +
                files.Folder() + "photo.JPG 512x256, " + files.Folder() + "small.bmp 32x32)");
}

TEST_F(SceneTextures, ImagesFromTheArchiveUnlessLoadFromFile) {
  files.Write("disk.bmp", Bmp24(32, 32, [](int, int) { return RGB{10, 20, 30}; }));
  const std::string archive = files.Write(
      "data.rfa", assets_test::Archive({assets_test::Entry("disk.bmp", assets_test::ToText(Bmp24(64, 64, Pattern)))}));
  TResourceFileReader& reader = ResourceReader();
  const TResourceSource source = reader.Source;
  const std::string name = reader.ArchiveName;
  reader.Source = TResourceSource::rsArchiveFile;
  reader.ArchiveName = archive;
  reader.FreeArchive();
  // The description from disk, the images from the archive.
  Load({"Name=Image\nTextureName=disk.bmp", "Name=Absent\nTextureName=absent.bmp"}, "ColorBit=32bit", sfDisk);
  scene_->SourceFlags = sfArchive;
  EXPECT_EQ(ReadBack(Texture("High/Image")).width, 64);
  EXPECT_EQ(ReadBack(Texture("High/Absent")).width, 0);  // not in the archive: size 0
  Texture("High/Image")->SetLoadFromFile(true);
  EXPECT_EQ(Texture("High/Image")->GLTexture(), nullptr);
  const Texels fromDisk = ReadBack(Texture("High/Image"));
  EXPECT_EQ(fromDisk.width, 32);
  EXPECT_EQ(fromDisk.At(0, 0)[2], 10);
  scene_.reset();
  reader.Source = source;
  reader.ArchiveName = name;
  reader.FreeArchive();
}

TEST_F(SceneTextures, FileListsPickEntriesAndTheOptionsKeepTheChoice) {
  const Names skins = {"Yellow.jpg", "Blue.jpg", "Green.jpg", "Purple.jpg", "Pink.jpg", "Red.jpg", "Orange.jpg"};
  std::string list, odd = "a.jpg\r\nb.jpg\r\nc.jpg\r\n";
  for (const std::string& skin : skins) list += skin + "\r\nClockSkin01A.jpg\r\n";
  files.Write("ClockSkin01.txt", list);
  files.Write("odd.txt", odd);
  files.Write("empty.txt", "");
  Load({"Name=ClockSkin01A.jpg\nFileListName=ClockSkin01.txt\nFileIndex=9\nAlphaName=ClockSkin01A.jpg",
        "Name=Plain\nFileListName=odd.txt\nFileIndex=4", "Name=None\nFileListName=empty.txt\nTextureName=x.jpg"});
  TSceneTexture* skin = Texture("High/ClockSkin01A.jpg");
  EXPECT_EQ(skin->FileList().size(), 14u);
  EXPECT_EQ(skin->TextureName, "Green.jpg");  // pair 9 of 7 is pair 2
  EXPECT_EQ(skin->AlphaName, "ClockSkin01A.jpg");
  EXPECT_EQ(skin->GetFileIndex(), 2);
  EXPECT_EQ(skin->FileIndex, 4);
  TSceneTexture* plain = Texture("High/Plain");
  EXPECT_EQ(plain->TextureName, "b.jpg");  // 4 of 3
  EXPECT_EQ(plain->GetFileIndex(), 1);
  plain->SetFileIndex(-5);
  EXPECT_EQ(plain->TextureName, "a.jpg");
  TSceneTexture* none = Texture("High/None");
  none->SetFileIndex(3);  // no entries: nothing happens
  EXPECT_EQ(none->TextureName, files.Folder() + "x.jpg");
  EXPECT_EQ(none->FileIndex, -1);
  // A paired list whose last colour entry has no partner.
  plain->AlphaName = "alpha.jpg";
  EXPECT_EQ(Message([&] { plain->SetFileIndex(1); }),
            "TSceneTexture.SetFileIndex error: List index out of bounds (3) in " + files.Folder() +
                "odd.txt of texture Plain");

  // The options: the index under the list file's base name, the list's
  // settings under its own name.
  const std::string key = App().StoreKeyPath();
  store_.SetValue(platform::SettingsRoot::CurrentUser, key, "ClockSkin01Index", "5");
  store_.SetValue(platform::SettingsRoot::CurrentUser, key, "High Quality", "Low");
  store_.SetValue(platform::SettingsRoot::CurrentUser, key, "High MipMap", "-1");
  store_.SetValue(platform::SettingsRoot::CurrentUser, key, "None LoadFromFile", "-1");
  store_.SetValue(platform::SettingsRoot::CurrentUser, key, "None TextureName", "chosen.bmp");
  scene_->LoadOptions();
  auto* high = dynamic_cast<TSceneTextureList*>(scene_->FindObject("High"));
  EXPECT_EQ(high->Quality(), tqLow);
  EXPECT_TRUE(high->MipMap());
  EXPECT_EQ(high->ColorBit(), cb32Bit);
  EXPECT_EQ(skin->TextureName, "Red.jpg");
  EXPECT_TRUE(none->LoadFromFile());
  EXPECT_EQ(none->TextureName, "chosen.bmp");
  // The texture keys are by texture name: every list's "None" follows them.
  EXPECT_TRUE(Texture("Low/None")->LoadFromFile());
  EXPECT_FALSE(Texture("Low/Plain")->LoadFromFile());
  for (const char* list : {"High", "Medium", "Low"}) Texture(std::string(list) + "/ClockSkin01A.jpg")->SetFileIndex(6);
  high->SetColorBit(cb16Bit);
  scene_->SaveOptions();
  App().CloseStore();
  EXPECT_EQ(store_.Value(platform::SettingsRoot::CurrentUser, key, "ClockSkin01Index"), "6");
  EXPECT_EQ(store_.Value(platform::SettingsRoot::CurrentUser, key, "High ColorBit"), "16bit");
  EXPECT_EQ(store_.Value(platform::SettingsRoot::CurrentUser, key, "Medium Quality"), "Medium");
  EXPECT_EQ(store_.Value(platform::SettingsRoot::CurrentUser, key, "None TextureName"), "chosen.bmp");
  EXPECT_EQ(store_.Value(platform::SettingsRoot::CurrentUser, key, "Plain LoadFromFile"), "0");
  EXPECT_FALSE(store_.Value(platform::SettingsRoot::CurrentUser, key, "Plain TextureName").has_value());
}

TEST_F(SceneTextures, ListSettingsUpdateTexturesAlreadyMade) {
  files.Write("small.bmp", Bmp24(32, 32, Pattern));
  Load({"Name=Colour\nTextureName=small.bmp", "Name=Glass\nTextureName=small.bmp\nAlphaName=small.bmp",
        "Name=Cut\nTextureName=small.bmp\nFormat=Sprite", "Name=Unused\nTextureName=small.bmp"},
       "ColorBit=32bit\nMipMap=1");
  auto* list = dynamic_cast<TSceneTextureList*>(scene_->FindObject("High"));
  for (const char* name : {"Colour", "Glass", "Cut"}) BindSceneTexture(Texture(std::string("High/") + name));
  TGLTexture* colour = Texture("High/Colour")->GLTexture();
  TGLTexture* glass = Texture("High/Glass")->GLTexture();
  TGLTexture* cut = Texture("High/Cut")->GLTexture();
  // At creation mip-mapping is for plain colour textures only. (The
  // offscreen driver may count as the software renderer, which filters
  // nearest.)
  const bool software = OpenGL().Renderer() == glrSoftware;
  EXPECT_EQ(colour->MinFilter, GLenum(software ? GL_LINEAR_MIPMAP_NEAREST : GL_LINEAR_MIPMAP_LINEAR));
  EXPECT_EQ(glass->MinFilter, GLenum(software ? GL_NEAREST : GL_LINEAR));
  EXPECT_EQ(colour->InternalFormat(), GLenum(GL_RGB8));
  EXPECT_EQ(glass->InternalFormat(), GLenum(GL_RGBA8));
  EXPECT_FLOAT_EQ(glass->AlphaValue, 0.02f);
  EXPECT_FLOAT_EQ(cut->AlphaValue, 0.5f);
  EXPECT_TRUE(colour->Uploaded());

  list->SetColorBit(cb16Bit);
  EXPECT_FALSE(colour->Uploaded());
  EXPECT_EQ(colour->InternalFormat(), GLenum(GL_RGB5));
  EXPECT_EQ(glass->InternalFormat(), GLenum(GL_RGBA4));
  EXPECT_EQ(cut->InternalFormat(), GLenum(GL_RGB5_A1));
  // After a change the other rule: every format mip-maps, except on the
  // software renderer.
  EXPECT_EQ(glass->MinFilter, GLenum(software ? GL_NEAREST : GL_LINEAR_MIPMAP_LINEAR));
  EXPECT_EQ(colour->MinFilter, GLenum(software ? GL_NEAREST_MIPMAP_NEAREST : GL_LINEAR_MIPMAP_LINEAR));
  EXPECT_EQ(Texture("High/Unused")->GLTexture(), nullptr);
  // The next bind uploads again, in the new format.
  ResetSceneRenderCaches();
  BindSceneTexture(Texture("High/Colour"));
  EXPECT_TRUE(colour->Uploaded());
  GLint internal = 0;
  GL.glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &internal);
  EXPECT_EQ(internal, GL_RGB5);
  list->SetMipMap(false);
  EXPECT_EQ(colour->MinFilter, GLenum(software ? GL_NEAREST : GL_LINEAR));
  // Quality waits for the next load; releasing makes every texture load
  // again at its next bind.
  list->SetQuality(tqLow);
  EXPECT_EQ(Texture("High/Colour")->Step, 1);
  list->ReleaseTextures();
  EXPECT_EQ(Texture("High/Colour")->GLTexture(), nullptr);
  EXPECT_EQ(SceneTexture(), nullptr);
  BindSceneTexture(Texture("High/Colour"));
  EXPECT_EQ(Texture("High/Colour")->Step, 1);  // 32 wide: always 1
}

TEST_F(SceneTextures, BindSceneTextureBindsOnlyOnAChange) {
  files.Write("small.bmp", Bmp24(32, 32, Pattern));
  Load({"Name=A\nTextureName=small.bmp", "Name=B\nTextureName=small.bmp"});
  TSceneTexture* a = Texture("High/A");
  TSceneTexture* b = Texture("High/B");
  static std::vector<std::string> calls;
  static TGLEntryPoints saved;
  saved = GL;
  calls.clear();
  GL.glBindTexture = [](GLenum target, GLuint handle) {
    calls.push_back("bind");
    saved.glBindTexture(target, handle);
  };
  GL.glEnable = [](GLenum c) {
    if (c == GL_TEXTURE_2D) calls.push_back("enable");
    saved.glEnable(c);
  };
  GL.glDisable = [](GLenum c) {
    if (c == GL_TEXTURE_2D) calls.push_back("disable");
    saved.glDisable(c);
  };
  BindSceneTexture(a);
  BindSceneTexture(a);
  BindSceneTexture(b);
  BindSceneTexture(nullptr);
  BindSceneTexture(nullptr);
  BindSceneTexture(b);
  GL = saved;
  // The first bind of each uploads it (bind to upload, then the bind of
  // use); a texture after none enables texturing first.
  EXPECT_EQ(calls, (Names{"enable", "bind", "bind", "enable", "bind", "bind", "enable", "disable", "enable", "bind",
                          "enable"}));
  EXPECT_TRUE(GL.glIsEnabled(GL_TEXTURE_2D));
  BindSceneTexture(nullptr);
  EXPECT_FALSE(GL.glIsEnabled(GL_TEXTURE_2D));
  // A texture freed while cached leaves the cache.
  BindSceneTexture(a);
  delete a;
  EXPECT_EQ(SceneTexture(), nullptr);
}

// A scene on an application whose context was never made current: the
// texture loads its texels, but nothing is sent to OpenGL.
// A texture used on unit 1 for a while (a caustic map) and bound the
// ordinary way afterwards goes to unit 0 again, with unit 0 active; the
// environment mode set for unit 1 is unit 1's.
TEST_F(SceneTextures, UseOnUnitLeavesTheTexturesOwnUnitForTheNextBind) {
  if (!OpenGL().Textures()->MultitextureEnabled || OpenGL().Textures()->MaxTextureUnits < 2)
    GTEST_SKIP() << "one texture unit";
  files.Write("small.bmp", Bmp24(32, 32, Pattern));
  Load({"Name=Map\nTextureName=small.bmp", "Name=Other\nTextureName=small.bmp"});
  TSceneTexture* map = Texture("High/Map");
  TSceneTexture* other = Texture("High/Other");
  auto bound = [](GLenum unit) {
    GLint active = 0, handle = 0;
    GL.glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &active);
    GL.glActiveTextureARB(unit);
    GL.glGetIntegerv(GL_TEXTURE_BINDING_2D, &handle);
    GL.glActiveTextureARB(static_cast<GLenum>(active));
    return GLuint(handle);
  };
  BindSceneTexture(other);
  map->UseOnUnit(1, GL_ADD);
  EXPECT_EQ(map->GLTexture()->TextureUnit, 0);
  GLint active = 0, env = 0;
  GL.glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &active);
  EXPECT_EQ(active, GL_TEXTURE1_ARB);
  EXPECT_TRUE(GL.glIsEnabled(GL_TEXTURE_2D));
  GL.glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
  EXPECT_EQ(env, GL_ADD);
  EXPECT_EQ(bound(GL_TEXTURE1_ARB), map->GLTexture()->Handle());
  EXPECT_EQ(bound(GL_TEXTURE0_ARB), other->GLTexture()->Handle());
  GL.glActiveTextureARB(GL_TEXTURE0_ARB);

  // The ordinary bind: unit 0, which stays active and keeps its mode.
  BindSceneTexture(map);
  GL.glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &active);
  EXPECT_EQ(active, GL_TEXTURE0_ARB);
  EXPECT_EQ(bound(GL_TEXTURE0_ARB), map->GLTexture()->Handle());
  GL.glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
  EXPECT_EQ(env, GL_MODULATE);
  map->DisableOnUnit(1);
  GL.glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &active);
  EXPECT_EQ(active, GL_TEXTURE1_ARB);
  EXPECT_FALSE(GL.glIsEnabled(GL_TEXTURE_2D));
  GL.glActiveTextureARB(GL_TEXTURE0_ARB);
  EXPECT_TRUE(GL.glIsEnabled(GL_TEXTURE_2D));  // unit 0 still textured
  EXPECT_EQ(GL.glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(SceneTextures, WithoutAnActiveContextBindRaisesAndUploadsNothing) {
  files.Write("small.bmp", Bmp24(32, 32, Pattern));
  files.Write("idle.gsc", "[MainScene]\nCount=1\n[MainScene1]\nType=TSceneTextureList\nName=High\nPath=" +
                              files.Folder() + "\nCount=1\n[High1]\nType=TSceneTexture\nName=A\nTextureName=small.bmp\n");
  TCustomGLApplication idle(nullptr);
  ASSERT_FALSE(idle.OpenGL()->Active());
  auto scene = std::make_unique<TMainScene>();
  scene->Application = &idle;
  scene->Path = files.Folder();
  scene->SourceName = "idle.gsc";
  scene->Load();
  auto* a = dynamic_cast<TSceneTexture*>(scene->FindObject("High/A"));
  ASSERT_NE(a, nullptr);
  GL.glDisable(GL_TEXTURE_2D);
  EXPECT_EQ(Message([&] { BindSceneTexture(a); }), "TSceneTexture.Bind error: Texture A needs an active rendering context");
  EXPECT_EQ(a->ImageWidth, 32);  // loaded in client memory
  EXPECT_EQ(SceneTexture(), nullptr);
  EXPECT_FALSE(GL.glIsEnabled(GL_TEXTURE_2D));
  EXPECT_EQ(Message([&] { a->Bind(); }), "TSceneTexture.Bind error: Texture A needs an active rendering context");
  scene.reset();  // the textures go before the application's lists
}

TEST_F(SceneTextures, KeysWriteBackAndResourceLines) {
  files.Write("list.txt", "a.bmp\r\nb.bmp\r\n");
  Load({"Name=Plain\nTextureName=p.jpg\nAnimated=1",
        "Name=Glass\nTextureName=g.bmp\nAlphaName=Sub\\ga.jpg",
        "Name=Key\nTextureName=k.bmp\nFormat=Sprite\nSpriteColor=1,2,3",
        "Name=Auto\nTextureName=k.bmp\nFormat=Sprite\nAutoSpriteColor=1",
        "Name=Skins\nFileListName=list.txt\nFileIndex=1"},
       "ColorBit=16bit\nMipMap=1");
  auto* list = dynamic_cast<TSceneTextureList*>(scene_->FindObject("Medium"));
  std::vector<std::string> lines;
  list->ListResources(lines);
  const std::string dir = files.Folder();
  // Name order: Auto, Glass (colour and alpha image), Key, Plain, Skins.
  EXPECT_EQ(lines, (Names{dir + "k.bmp Bitmap k_bmp", dir + "g.bmp Bitmap g_bmp", "Sub\\ga.jpg RCData ga_jpg",
                          dir + "k.bmp Bitmap k_bmp", dir + "p.jpg RCData p_jpg", "b.bmp Bitmap b_bmp"}));

  scene_->SourceName = "saved.gsc";
  scene_->Save();
  const std::string saved = files.Read("saved.gsc");
  for (const char* expected : {"Quality=Medium\r\nColorBit=16bit\r\nMipMap=1\r\n", "TextureName=p.jpg\r\n",
                               "Format=Alpha\r\nTextureName=g.bmp\r\nAlphaValue=0.02\r\nAlphaName=Sub\\ga.jpg\r\n",
                               "Format=Sprite\r\nTextureName=k.bmp\r\nAlphaValue=0.5\r\nSpriteColor=1,2,3,255\r\n",
                               "AutoSpriteColor=1\r\n", "FileIndex=1\r\n", "FileListName=list.txt\r\n"})
    EXPECT_NE(saved.find(expected), std::string::npos) << expected << "\n" << saved;
  auto again = files.Load("saved.gsc");
  for (const char* name : {"Plain", "Glass", "Key", "Auto", "Skins"}) {
    auto* before = Texture(std::string("Medium/") + name);
    auto* after = dynamic_cast<TSceneTexture*>(again->FindObject(std::string("Medium/") + name));
    ASSERT_NE(after, nullptr) << name;
    EXPECT_EQ(after->TextureName, before->TextureName) << name;
    EXPECT_EQ(after->AlphaName, before->AlphaName) << name;
    EXPECT_EQ(after->Format, before->Format) << name;
    EXPECT_EQ(after->Animated, before->Animated) << name;
    EXPECT_EQ(after->AutoSpriteColor, before->AutoSpriteColor) << name;
    EXPECT_EQ(after->SpriteColor, before->SpriteColor) << name;
    EXPECT_EQ(after->FileIndex, before->FileIndex) << name;
  }
  auto* reloaded = dynamic_cast<TSceneTextureList*>(again->FindObject("Medium"));
  EXPECT_EQ(reloaded->Quality(), tqMedium);
  EXPECT_EQ(reloaded->ColorBit(), cb16Bit);
  EXPECT_TRUE(reloaded->MipMap());
}

TEST_F(SceneTextures, AddTextureMakesAndLoadsATextureOnce) {
  files.Write("skin.bmp", Bmp24(64, 32, Pattern));
  files.Write("skinA.bmp", Bmp24(64, 32, [](int, int) { return RGB{30, 60, 90}; }));
  Load({});
  auto* list = dynamic_cast<TSceneTextureList*>(scene_->FindObject("High"));
  TSceneTexture* added = list->AddTexture(tfAlpha, "skin", "skin.bmp", "skinA.bmp", {}, false);
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(list->FindTexture("skin"), added);
  EXPECT_EQ(added->TextureName, files.Folder() + "skin.bmp");
  ASSERT_NE(added->GLTexture(), nullptr);  // loaded at once, before any bind
  EXPECT_EQ(added->GLTexture()->Width(), 64);
  EXPECT_EQ(added->GLTexture()->Pixels()[3], 60);  // alpha (30 + 60 + 90) / 3
  EXPECT_EQ(list->AddTexture(tfTexture, "skin", "other.bmp", "", {}, false), added);
  EXPECT_EQ(added->Format, tfAlpha);
  TSceneTexture* sprite = list->AddTexture(tfSprite, "sprite", "skinA.bmp", "", {}, true);
  EXPECT_EQ(sprite->SpriteColor, (TGLColorBytes{30, 60, 90, 255}));
  EXPECT_EQ(sprite->GLTexture()->Pixels()[3], 0);
}

// The texel rules on images made in memory, without OpenGL.
TEST(TextureTexels, EightPixelAverageTakesTwoPixelsOfEachColumn) {
  TBitmap image(4, 4, 24);
  // 240 on the eight pixels that count, 0 elsewhere.
  const std::vector<std::pair<int, int>> eight = {{1, 0}, {0, 0}, {2, 1}, {3, 1}, {0, 2}, {1, 2}, {2, 3}, {3, 3}};
  for (auto [row, column] : eight) image.ScanLine(row)[3 * column] = 240;
  std::vector<uint8_t> texels(3, 7);
  FillTexels(tfTexture, 4, {}, image, image, TTexelTarget{texels.data(), 1, 1});
  EXPECT_EQ(texels, (std::vector<uint8_t>{0, 0, 240}));
  // The other eight pixels alone average to nothing.
  TBitmap other(4, 4, 24);
  for (int row = 0; row < 4; ++row)
    for (int column = 0; column < 4; ++column) other.ScanLine(row)[3 * column] = 240;
  for (auto [row, column] : eight) other.ScanLine(row)[3 * column] = 0;
  FillTexels(tfTexture, 4, {}, other, other, TTexelTarget{texels.data(), 1, 1});
  EXPECT_EQ(texels[2], 0);
  // An image without pixels leaves the texels as they are.
  TBitmap none(4, 4, 0);
  texels = {1, 2, 3};
  FillTexels(tfTexture, 1, {}, none, none, TTexelTarget{texels.data(), 1, 1});
  EXPECT_EQ(texels, (std::vector<uint8_t>{1, 2, 3}));
}

}  // namespace
}  // namespace scenetest
