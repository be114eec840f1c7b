// The scene the program carries: the description's tree and references,
// every file it names, and the properties of the pictures, meshes and
// sounds that the scene's classes depend on.
#include <gtest/gtest.h>

#include <jpeglib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <csetjmp>
#include <map>
#include <set>
#include <string>

#include "assets/Mesh3DM.h"
#include "core/Error.h"
#include "tests/content/ContentTestSupport.h"

namespace {

using namespace content_test;

constexpr double kPi = 3.141592653589793;

struct Picture {
  int width = 0, height = 0, components = 0;
  std::vector<std::uint8_t> rgb;  // rows top-down
  bool ok = false;
  int Grey(int x, int y) const {
    const std::uint8_t* p = rgb.data() + (static_cast<std::size_t>(y) * width + x) * 3;
    return (p[0] + p[1] + p[2]) / 3;
  }
};

struct JpegError {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};
extern "C" void ContentJpegErrorExit(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1); }

Picture Decode(const Bytes& data) {
  Picture out;
  jpeg_decompress_struct cinfo;
  JpegError err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = ContentJpegErrorExit;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return Picture{};
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data.data(), static_cast<unsigned long>(data.size()));
  jpeg_read_header(&cinfo, TRUE);
  out.components = cinfo.num_components;
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  out.width = static_cast<int>(cinfo.output_width);
  out.height = static_cast<int>(cinfo.output_height);
  out.rgb.resize(static_cast<std::size_t>(out.width) * out.height * 3);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = out.rgb.data() + static_cast<std::size_t>(cinfo.output_scanline) * out.width * 3;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  out.ok = true;
  return out;
}

bool PowerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

std::unique_ptr<velmora::T3DMFile> ParseMesh(const Bytes& bytes) {
  auto file = std::make_unique<velmora::T3DMFile>();
  velmora::TMemoryStream s{Bytes(bytes)};
  file->LoadFromStream(s);
  return file;
}

const velmora::T3DMMaterialStandard* MaterialOf(const velmora::T3DMFile& file, const velmora::T3DMObject& o) {
  return dynamic_cast<const velmora::T3DMMaterialStandard*>(file.Materials.FindByName(o.MaterialName));
}

// One object of the description, in the order the loader creates them.
struct SceneObject {
  std::string path, section, type;
};

class ShippedScene : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    archive_ = new std::map<std::string, Bytes, NoCase>(CarriedArchive());
    ASSERT_TRUE(archive_->count("ravavezaz.gsc"));
    scene_ = new SceneFile(archive_->at("ravavezaz.gsc"));
    objects_ = new std::vector<SceneObject>();
    Walk("MainScene", "MainScene", "");
  }
  static void TearDownTestSuite() {
    delete archive_;
    delete scene_;
    delete objects_;
  }

  // Children of a list: sections named after the list's object and 1..Count.
  // Only lists have children ("Count" of a material counts its groups);
  // particle lists make theirs themselves.
  static void Walk(const std::string& section, const std::string& name, const std::string& prefix) {
    static const std::set<std::string> lists{"TMainScene",         "TResource",      "TMainObjectList", "TMainItemList",
                                             "TSceneTextureList",  "TSceneMaterialList", "TSceneMeshList", "TSceneSoundList",
                                             "TMainSpriteList",    "TFishRender"};
    if (!lists.count(scene_->Value(section, "Type"))) return;
    auto count = velmora::ParseInt(scene_->Value(section, "Count"));
    for (int i = 1; count && i <= *count; ++i) {
      std::string child = name + std::to_string(i);
      std::string childName = scene_->Value(child, "Name");
      std::string path = prefix.empty() ? childName : prefix + "/" + childName;
      objects_->push_back(SceneObject{path, child, scene_->Value(child, "Type")});
      Walk(child, childName, path);
    }
  }

  static const SceneObject* Find(const std::string& path) {
    for (const SceneObject& o : *objects_)
      if (o.path == path) return &o;
    return nullptr;
  }

  static const Bytes& File(const std::string& name) {
    static const Bytes none;
    auto it = archive_->find(name);
    return it == archive_->end() ? none : it->second;
  }

  // The picture files a texture of the description can show: its own
  // names and those of its file list, as (colour, alpha) pairs.
  static std::vector<std::pair<std::string, std::string>> TexturePictures(const std::string& section) {
    std::vector<std::pair<std::string, std::string>> out;
    std::string colour = scene_->Value(section, "TextureName"), alpha = scene_->Value(section, "AlphaName");
    out.emplace_back(colour, alpha);
    std::string list = scene_->Value(section, "FileListName");
    if (!list.empty()) {
      std::vector<std::string> entries = Lines(File(list));
      bool paired = !alpha.empty() || scene_->Value(section, "Format").find("Alpha") != std::string::npos;
      for (std::size_t i = 0; i < entries.size(); i += paired ? 2 : 1)
        out.emplace_back(entries[i], paired && i + 1 < entries.size() ? entries[i + 1] : "");
    }
    return out;
  }

  static std::map<std::string, Bytes, NoCase>* archive_;
  static SceneFile* scene_;
  static std::vector<SceneObject>* objects_;
};

std::map<std::string, Bytes, NoCase>* ShippedScene::archive_ = nullptr;
SceneFile* ShippedScene::scene_ = nullptr;
std::vector<SceneObject>* ShippedScene::objects_ = nullptr;

TEST_F(ShippedScene, EveryObjectHasItsSectionTypeAndName) {
  ASSERT_EQ(scene_->Value("MainScene", "Type"), "TMainScene");
  ASSERT_GT(objects_->size(), 80u);
  std::set<std::string> paths;
  for (const SceneObject& o : *objects_) {
    EXPECT_TRUE(scene_->Has(o.section)) << "missing section " << o.section;
    EXPECT_FALSE(o.type.empty()) << o.section;
    EXPECT_EQ(o.path.find("//"), std::string::npos) << o.section << " has no name";
    EXPECT_TRUE(paths.insert(velmora::LowerCase(o.path)).second) << "two objects at " << o.path;
  }
}

TEST_F(ShippedScene, ReferencesNameObjectsDescribedBeforeThem) {
  const char* keys[] = {"Visual",         "Texture",   "Material",       "Materials",          "Textures",
                        "Light",          "Background", "BottomTexture", "UpTexture",          "LightTexture",
                        "UpLightMap",     "BottomLightMap", "BackgroundLightMap", "LightMapTexture", "ClockFace",
                        "HourHand",       "MinHand",   "SecHand",        "Sprites",            "Objects"};
  std::set<std::string> before;
  int checked = 0;
  for (const SceneObject& o : *objects_) {
    for (const char* key : keys) {
      auto value = scene_->Get(o.section, key);
      if (!value || value->empty()) continue;
      ++checked;
      EXPECT_TRUE(before.count(velmora::LowerCase(*value))) << o.section << ": " << key << "=" << *value
                                                            << " names nothing described before it";
    }
    before.insert(velmora::LowerCase(o.path));
  }
  EXPECT_GT(checked, 60);
}

TEST_F(ShippedScene, HoldsTheObjectsTheWorldAndTheClocksLookFor) {
  for (const char* path : {"Textures", "Materials", "Meshes", "Blue Light", "Aquamarine Light", "Green Light", "Blue Water",
                           "Aquamarine Water", "Green Water", "Bubbles", "Clock", "ClockResource/ClockSprites",
                           "ClockResource/ClockObjects", "GLClock", "SaltWater", "FreshWater", "Sounds",
                           "Textures/ClockSkin01A.jpg", "Meshes/bubble.3dm", "Meshes/ClockFace.3dm", "Meshes/HourHand.3dm",
                           "Meshes/MinHand.3dm", "Meshes/SecHand.3dm", "Materials/Puzir01"})
    EXPECT_NE(Find(path), nullptr) << path;
  for (const char* sprite : {"Plate", "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", ":", "\\", "am", "pm", "sun", "mon",
                             "tue", "wed", "thu", "fri", "sat"})
    EXPECT_NE(Find(std::string("ClockResource/ClockSprites/") + sprite), nullptr) << sprite;
  for (const char* object : {"ClockPlate", "time1", "time2", "time3", "time4", "time5", "time6", "time7", "month1", "month2",
                             "month3", "month4", "month5", "day"})
    EXPECT_NE(Find(std::string("ClockResource/ClockObjects/") + object), nullptr) << object;
  // Each environment: at least three fish lists and plankton.
  for (const char* environment : {"SaltWater", "FreshWater"}) {
    int fish = 0, plankton = 0;
    for (const SceneObject& o : *objects_)
      if (o.path.rfind(std::string(environment) + "/", 0) == 0 && o.type == "TFishes")
        (scene_->Value(o.section, "FishType") == "Plankton" ? plankton : fish)++;
    EXPECT_GE(fish, 3) << environment;
    EXPECT_GE(plankton, 1) << environment;
  }
  // One light on, one water shown, each water with its own light and index.
  int enabled = 0;
  for (const char* light : {"Blue Light", "Aquamarine Light", "Green Light"})
    enabled += scene_->Value(Find(light)->section, "Enabled") == "1";
  EXPECT_EQ(enabled, 1);
  std::set<std::string> indexes;
  for (const char* water : {"Blue Water", "Aquamarine Water", "Green Water"})
    indexes.insert(scene_->Value(Find(water)->section, "BackgroundIndex"));
  EXPECT_EQ(indexes, (std::set<std::string>{"0", "1", "2"}));
}

TEST_F(ShippedScene, ArchiveHoldsEveryFileTheDescriptionNames) {
  int checked = 0;
  for (const SceneObject& o : *objects_)
    for (const char* key : {"TextureName", "AlphaName", "FileListName", "SourceName", "FileName"}) {
      std::string name = scene_->Value(o.section, key);
      if (name.empty()) continue;
      ++checked;
      EXPECT_FALSE(File(name).empty()) << o.section << ": " << key << "=" << name << " is not in the archive";
      if (std::string(key) == "FileListName") {
        for (const std::string& entry : Lines(File(name))) {
          EXPECT_FALSE(File(entry).empty()) << name << " names " << entry;
        }
      }
      if (std::string(key) == "SourceName") {
        auto mesh = ParseMesh(File(name));
        for (int i = 0; i < mesh->Materials.Count(); ++i) {
          auto* m = dynamic_cast<const velmora::T3DMMaterialStandard*>(mesh->Materials.Items(i));
          if (!m) continue;
          for (const std::string* map : {&m->DiffuseMap, &m->OpacityMap}) {
            if (!map->empty()) {
              EXPECT_FALSE(File(*map).empty()) << name << " maps " << *map;
            }
          }
        }
      }
    }
  EXPECT_GT(checked, 25);
}

TEST_F(ShippedScene, EveryPictureDecodesAtAPowerOfTwoSizeAndPairsMatch) {
  int pictures = 0;
  for (const auto& [name, bytes] : *archive_) {
    if (!velmora::SameText(name.substr(name.size() >= 4 ? name.size() - 4 : 0), ".jpg")) continue;
    ++pictures;
    Picture p = Decode(bytes);
    ASSERT_TRUE(p.ok) << name << " does not decode";
    EXPECT_EQ(p.components, 3) << name;
    EXPECT_TRUE(PowerOfTwo(p.width) && PowerOfTwo(p.height) && p.width <= 1024 && p.height <= 1024)
        << name << " is " << p.width << "x" << p.height;
  }
  EXPECT_GT(pictures, 40);
  // Colour and alpha images that go together have the same size.
  std::vector<std::pair<std::string, std::string>> pairs;
  for (const SceneObject& o : *objects_) {
    if (o.type == "TSceneTexture")
      for (const auto& p : TexturePictures(o.section)) pairs.push_back(p);
    if (o.type == "TSceneMesh") {
      auto mesh = ParseMesh(File(scene_->Value(o.section, "SourceName")));
      for (int i = 0; i < mesh->Materials.Count(); ++i)
        if (auto* m = dynamic_cast<const velmora::T3DMMaterialStandard*>(mesh->Materials.Items(i)))
          pairs.emplace_back(m->DiffuseMap, m->OpacityMap);
    }
  }
  for (const auto& [colour, alpha] : pairs) {
    if (colour.empty() || alpha.empty()) continue;
    Picture c = Decode(File(colour)), a = Decode(File(alpha));
    EXPECT_TRUE(c.width == a.width && c.height == a.height) << colour << " and " << alpha << " differ in size";
  }
}

TEST_F(ShippedScene, ClockSpritesFitTheirSkinAndHoldTheirGlyphs) {
  int sprites = 0;
  std::vector<std::array<int, 4>> taken;
  for (const SceneObject& o : *objects_) {
    if (o.type != "TSceneSprite") continue;
    ++sprites;
    const SceneObject* texture = Find(scene_->Value(o.section, "Texture"));
    ASSERT_NE(texture, nullptr) << o.section;
    int x = static_cast<int>(*velmora::ParseInt(scene_->Value(o.section, "StartU")));
    int y = static_cast<int>(*velmora::ParseInt(scene_->Value(o.section, "StartV")));
    int w = static_cast<int>(*velmora::ParseInt(scene_->Value(o.section, "Width")));
    int h = static_cast<int>(*velmora::ParseInt(scene_->Value(o.section, "Height")));
    for (const auto& r : taken)
      EXPECT_FALSE(x < r[0] + r[2] && r[0] < x + w && y < r[1] + r[3] && r[1] < y + h) << o.path << " overlaps another sprite";
    taken.push_back({x, y, w, h});
    for (const auto& [colour, alphaName] : TexturePictures(texture->section)) {
      Picture c = Decode(File(colour));
      EXPECT_TRUE(x >= 0 && y >= 0 && x + w <= c.width && y + h <= c.height) << o.path << " leaves " << colour;
    }
    Picture alpha = Decode(File(scene_->Value(texture->section, "AlphaName")));
    ASSERT_TRUE(alpha.ok);
    int ink = 0, rim = 0;
    for (int yy = y; yy < y + h; ++yy)
      for (int xx = x; xx < x + w; ++xx) {
        ink = std::max(ink, alpha.Grey(xx, yy));
        if (yy == y || xx == x || yy == y + h - 1 || xx == x + w - 1) rim = std::max(rim, alpha.Grey(xx, yy));
      }
    EXPECT_GT(ink, 200) << o.path << " shows nothing";
    // Glyphs stay inside their rectangle (the plate fills its own).
    if (o.path.find("/Plate") == std::string::npos) {
      EXPECT_LT(rim, 40) << o.path << " cuts its glyph";
    }
  }
  EXPECT_EQ(sprites, 22);
}

// The digital clock's skins are named by colour ("Yellow", "Red", ...): the
// plate, tinted with the clock's colour and laid over the water behind it,
// must show that colour's hue on each of the three waters (a dark or
// see-through plate, or a coloured tint, would turn yellow green over blue
// water and red grey).
TEST_F(ShippedScene, ClockSkinsShowTheColourOfTheirNameOverEveryWater) {
  const SceneObject* clock = nullptr;
  for (const SceneObject& o : *objects_)
    if (o.type == "TGLClock") clock = &o;
  ASSERT_NE(clock, nullptr);
  std::array<double, 3> tint{1, 1, 1};
  {
    const std::string text = scene_->Value(clock->section, "Color");
    std::size_t at = 0;
    for (int i = 0; i < 3 && at != std::string::npos; ++i) {
      tint[i] = std::stod(text.substr(at)) / 255.0;
      at = text.find(',', at);
      if (at != std::string::npos) ++at;
    }
  }
  // What is behind the clock at the bottom right of each water.
  const std::array<std::array<double, 3>, 3> waters{{{0.10, 0.42, 0.62}, {0.12, 0.58, 0.56}, {0.16, 0.46, 0.26}}};
  // Hue ranges in degrees (a range past 360 wraps).
  const std::map<std::string, std::pair<double, double>> hues{
      {"Yellow.jpg", {40, 65}}, {"Blue.jpg", {195, 245}},  {"Green.jpg", {90, 160}}, {"Purple.jpg", {255, 300}},
      {"Pink.jpg", {300, 345}}, {"Red.jpg", {345, 375}},   {"Orange.jpg", {15, 40}}};
  const std::string alphaName = "ClockSkin01A.jpg";
  Picture alpha = Decode(File(alphaName));
  ASSERT_TRUE(alpha.ok);
  for (const auto& [file, range] : hues) {
    Picture colour = Decode(File(file));
    ASSERT_TRUE(colour.ok) << file;
    for (const auto& water : waters) {
      // The plate's lower middle, below the gloss and clear of its rim.
      std::array<double, 3> sum{0, 0, 0};
      int n = 0;
      for (int y = 80; y < 120; y += 2)
        for (int x = 20; x < 160; x += 2) {
          const std::size_t i = (static_cast<std::size_t>(y) * colour.width + x) * 3;
          const double a = alpha.rgb[(static_cast<std::size_t>(y) * alpha.width + x) * 3] / 255.0;
          for (int c = 0; c < 3; ++c) sum[c] += colour.rgb[i + c] / 255.0 * tint[c] * a + water[c] * (1 - a);
          ++n;
        }
      const double r = sum[0] / n, g = sum[1] / n, b = sum[2] / n;
      const double high = std::max({r, g, b}), low = std::min({r, g, b}), chroma = high - low;
      double hue = 0;
      if (chroma > 0) {
        if (high == r) hue = 60 * std::fmod((g - b) / chroma + 6, 6);
        else if (high == g) hue = 60 * ((b - r) / chroma + 2);
        else hue = 60 * ((r - g) / chroma + 4);
      }
      if (hue < range.first) hue += 360;
      EXPECT_TRUE(hue >= range.first && hue <= range.second)
          << file << " shows hue " << std::fmod(hue, 360) << " (" << r << ", " << g << ", " << b << ") over water ("
          << water[0] << ", " << water[1] << ", " << water[2] << ")";
      EXPECT_GT(chroma / high, 0.45) << file << " is too grey over that water";
      EXPECT_GT(high, 0.45) << file << " is too dark over that water";
    }
  }
}

TEST_F(ShippedScene, EveryMeshParsesWithTexturedTriangles) {
  int meshes = 0;
  for (const auto& [name, bytes] : *archive_) {
    if (!velmora::SameText(name.substr(name.size() >= 4 ? name.size() - 4 : 0), ".3dm")) continue;
    ++meshes;
    std::unique_ptr<velmora::T3DMFile> mesh;
    ASSERT_NO_THROW(mesh = ParseMesh(bytes)) << name;
    ASSERT_GE(mesh->ObjectCount(), 1) << name;
    for (int i = 0; i < mesh->ObjectCount(); ++i) {
      const velmora::T3DMObject& o = mesh->Objects(i);
      EXPECT_TRUE(o.HasTextureCoords) << name;
      EXPECT_GT(o.VertexFaces.Count(), 0) << name;
      EXPECT_EQ(o.VertexFaces.Count(), o.TextureCoordFaces.Count()) << name;
      EXPECT_EQ(o.FaceMaterialCount(), o.VertexFaces.Count()) << name;
      EXPECT_LT(o.Vertices.Count(), 32768) << name;
      EXPECT_NE(MaterialOf(*mesh, o), nullptr) << name << " object " << o.Name << " has no material";
    }
  }
  EXPECT_GE(meshes, 15);
}

// The swimming frames bend a fish along x: the tail at the low end, the
// head at the high end; transparent vertices below the body flap as lower
// fins, those beyond its widest point as side fins. At the mean flap angle
// the fins must lie where their texture coordinates put them in the side
// view, or the painted fins would come out smeared.
TEST_F(ShippedScene, FishLieAlongXWithFinsTheSwimmingFramesLayOutAsPainted) {
  int fish = 0;
  for (const SceneObject& o : *objects_) {
    if (o.type != "TFishes" || scene_->Value(o.section, "FishType") != "Fish") continue;
    const SceneObject* meshObject = Find(scene_->Value(o.section, "Visual"));
    ASSERT_NE(meshObject, nullptr) << o.path;
    std::string name = scene_->Value(meshObject->section, "SourceName");
    auto mesh = ParseMesh(File(name));
    ++fish;
    double minX = 1e9, maxX = -1e9, minY = 1e9, maxY = -1e9, minZ = 1e9, maxZ = -1e9;
    double bodyMinY = 1e9, bodyMaxZ = -1e9, bodyMaxX = -1e9, finMinX = 1e9;
    for (int i = 0; i < mesh->ObjectCount(); ++i) {
      const velmora::T3DMObject& ob = mesh->Objects(i);
      bool transparent = !MaterialOf(*mesh, ob)->OpacityMap.empty();
      for (const auto& v : ob.Vertices.Records()) {
        minX = std::min<double>(minX, v.X), maxX = std::max<double>(maxX, v.X);
        minY = std::min<double>(minY, v.Y), maxY = std::max<double>(maxY, v.Y);
        minZ = std::min<double>(minZ, v.Z), maxZ = std::max<double>(maxZ, v.Z);
        if (transparent) {
          finMinX = std::min<double>(finMinX, v.X);
        } else {
          bodyMinY = std::min<double>(bodyMinY, v.Y), bodyMaxZ = std::max<double>(bodyMaxZ, v.Z), bodyMaxX = std::max<double>(bodyMaxX, v.X);
        }
      }
    }
    const double dx = maxX - minX, dy = maxY - minY, dz = maxZ - minZ;
    EXPECT_GT(dx, dy) << name << " does not lie along x";
    EXPECT_GT(dx, dz) << name;
    EXPECT_LT(std::abs(minX + maxX), 0.02 * dx) << name << " is not centred on x = 0";
    EXPECT_EQ(bodyMaxX, maxX) << name << ": the nose is not at +x";
    EXPECT_EQ(finMinX, minX) << name << ": the tail fin is not at -x";
    EXPECT_GT(std::abs(minX + 0.7 * dx), 0.1 * dx) << name << ": the head's swing divides by a near-zero x";

    const double y2 = std::min(minY + 0.23 * dy, bodyMinY), z1 = std::max(maxZ - 0.39 * dz, bodyMaxZ);
    const double w = 0.35 * kPi;
    std::vector<std::array<double, 4>> samples;  // x, y laid out, u, v
    int lower = 0, side = 0;
    for (int i = 0; i < mesh->ObjectCount(); ++i) {
      const velmora::T3DMObject& ob = mesh->Objects(i);
      if (MaterialOf(*mesh, ob)->OpacityMap.empty()) continue;
      for (int f = 0; f < ob.VertexFaces.Count(); ++f)
        for (int k = 0; k < 3; ++k) {
          const auto& v = ob.Vertices.Items(ob.VertexFaces.Items(f).Index[k]);
          const auto& t = ob.TextureCoords.Items(ob.TextureCoordFaces.Items(f).Index[k]);
          double x = v.X, y = v.Y, z = v.Z;
          if (std::abs(z) > z1) {
            x -= std::sin(w) * (std::abs(z) - z1);
            ++side;
          }
          if (y < y2) {
            double d = y2 - y;
            x -= std::sin(kPi / 3 + w) * d;
            y = y2 + std::cos(kPi / 3 + w) * d;
            ++lower;
          }
          samples.push_back({x, y, t.U, t.V});
        }
    }
    EXPECT_GT(side, 0) << name << " has no side fins";
    EXPECT_GT(lower, 0) << name << " has no lower fins";
    // Least squares: u and v as affine functions of the laid-out x and y.
    double m[3][3] = {}, bu[3] = {}, bv[3] = {};
    for (const auto& s : samples) {
      double r[3] = {s[0], s[1], 1};
      for (int a = 0; a < 3; ++a) {
        for (int b = 0; b < 3; ++b) m[a][b] += r[a] * r[b];
        bu[a] += r[a] * s[2];
        bv[a] += r[a] * s[3];
      }
    }
    auto solve = [&](const double* rhs, double* out) {
      auto det = [](double a[3][3]) {
        return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) - a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
               a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
      };
      double d = det(m);
      for (int c = 0; c < 3; ++c) {
        double t[3][3];
        for (int a = 0; a < 3; ++a)
          for (int b = 0; b < 3; ++b) t[a][b] = b == c ? rhs[a] : m[a][b];
        out[c] = det(t) / d;
      }
    };
    double cu[3], cv[3];
    solve(bu, cu);
    solve(bv, cv);
    double worst = 0;
    for (const auto& s : samples)
      worst = std::max({worst, std::abs(cu[0] * s[0] + cu[1] * s[1] + cu[2] - s[2]),
                        std::abs(cv[0] * s[0] + cv[1] * s[1] + cv[2] - s[3])});
    EXPECT_LT(worst, 0.002) << name << ": fins at the mean flap are off their picture by " << worst;
  }
  EXPECT_EQ(fish, 6);
}

TEST_F(ShippedScene, ClockHandsPointWhereTheClockTurnsThemFromAndOnlyTurnInItsTransparentPass) {
  // At rest: minute hand up, second hand down, hour hand right.
  const std::pair<const char*, std::array<double, 2>> hands[] = {
      {"MinHand.3dm", {0, 1}}, {"SecHand.3dm", {0, -1}}, {"HourHand.3dm", {1, 0}}};
  std::map<std::string, double> z;
  for (const auto& [name, direction] : hands) {
    auto mesh = ParseMesh(File(name));
    ASSERT_EQ(mesh->ObjectCount(), 1) << name;
    const velmora::T3DMObject& o = mesh->Objects(0);
    EXPECT_FALSE(MaterialOf(*mesh, o)->OpacityMap.empty()) << name << " would be drawn unturned in the opaque pass";
    double best = -1, along = 0;
    for (const auto& v : o.Vertices.Records()) {
      double r = std::hypot(v.X, v.Y);
      if (r > best) best = r, along = (v.X * direction[0] + v.Y * direction[1]) / r;
    }
    EXPECT_GT(along, 0.95) << name << " points the wrong way";
    for (const auto& v : o.Vertices.Records()) z[name] = v.Z;
    for (const auto& v : o.Vertices.Records()) EXPECT_EQ(v.Z, z[name]) << name << " is not flat";
  }
  auto face = ParseMesh(File("ClockFace.3dm"));
  double faceFront = -1e9;
  for (int i = 0; i < face->ObjectCount(); ++i) {
    EXPECT_TRUE(MaterialOf(*face, face->Objects(i))->OpacityMap.empty());
    for (const auto& v : face->Objects(i).Vertices.Records()) faceFront = std::max<double>(faceFront, v.Z);
  }
  // The clock draws the hands depth-tested in the order minute, second,
  // hour: each stands clear in front of what is drawn before it.
  EXPECT_GT(z["MinHand.3dm"], faceFront + 2);
  EXPECT_GT(z["SecHand.3dm"], z["MinHand.3dm"] + 2);
  EXPECT_GT(z["HourHand.3dm"], z["SecHand.3dm"] + 2);
}

TEST_F(ShippedScene, BubbleIsATranslucentHundredUnitSquare) {
  auto mesh = ParseMesh(File("bubble.3dm"));
  ASSERT_EQ(mesh->ObjectCount(), 1);
  const velmora::T3DMObject& o = mesh->Objects(0);
  EXPECT_EQ(o.MaterialName, "Puzir01");
  double minX = 1e9, maxX = -1e9, minY = 1e9, maxY = -1e9;
  for (const auto& v : o.Vertices.Records()) {
    minX = std::min<double>(minX, v.X), maxX = std::max<double>(maxX, v.X);
    minY = std::min<double>(minY, v.Y), maxY = std::max<double>(maxY, v.Y);
  }
  EXPECT_EQ(maxX - minX, 100);
  EXPECT_EQ(maxY - minY, 100);
  EXPECT_EQ(minX + maxX, 0);
  // The scene's material: diffuse alpha below 0.99 marks it translucent.
  std::string diffuse = scene_->Value(Find("Materials/Puzir01")->section, "Diffuse1");
  double alpha = std::stod(diffuse.substr(diffuse.rfind(',') + 1));
  EXPECT_LT(alpha, 0.99);
}

// The background slabs are cut down to what their pictures show: every
// texel of the opacity map that passes the water's alpha test (above 0.35)
// lies in a triangle of the slab, and the triangles cover clearly less
// than the whole picture.
TEST_F(ShippedScene, BackgroundSlabsKeepEveryShownTexelAndLeaveOutTheClearPart) {
  for (const char* name : {"reef.3dm", "rocks.3dm"}) {
    SCOPED_TRACE(name);
    auto mesh = ParseMesh(File(name));
    ASSERT_EQ(mesh->ObjectCount(), 1);
    const velmora::T3DMObject& o = mesh->Objects(0);
    const velmora::T3DMMaterialStandard* material = MaterialOf(*mesh, o);
    ASSERT_NE(material, nullptr);
    Picture alpha = Decode(File(material->OpacityMap));
    ASSERT_TRUE(alpha.ok) << material->OpacityMap;
    const auto& uv = o.TextureCoords.Records();
    // Each triangle's corners in texture coordinates.
    std::vector<std::array<velmora::T3DMTextureCoord, 3>> triangles;
    double area = 0;
    for (const velmora::T3DMFace& f : o.TextureCoordFaces.Records()) {
      std::array<velmora::T3DMTextureCoord, 3> t;
      for (int k = 0; k < 3; ++k) {
        ASSERT_GE(f.Index[k], 1);
        ASSERT_LE(f.Index[k], static_cast<int>(uv.size()));
        t[k] = uv[f.Index[k] - 1];
      }
      area += 0.5 * std::abs((t[1].U - t[0].U) * (t[2].V - t[0].V) - (t[2].U - t[0].U) * (t[1].V - t[0].V));
      triangles.push_back(t);
    }
    auto inside = [&](double u, double v) {
      for (const auto& t : triangles) {
        double d[3];
        for (int k = 0; k < 3; ++k) {
          const auto& a = t[k];
          const auto& b = t[(k + 1) % 3];
          d[k] = (b.U - a.U) * (v - a.V) - (b.V - a.V) * (u - a.U);
        }
        if ((d[0] >= 0 && d[1] >= 0 && d[2] >= 0) || (d[0] <= 0 && d[1] <= 0 && d[2] <= 0)) return true;
      }
      return false;
    };
    int shown = 0, missing = 0;
    for (int y = 0; y < alpha.height; ++y)
      for (int x = 0; x < alpha.width; ++x) {
        if (alpha.Grey(x, y) <= 0.35 * 255) continue;
        ++shown;
        // Rows run top-down, v up.
        if (!inside((x + 0.5) / alpha.width, 1 - (y + 0.5) / alpha.height)) ++missing;
      }
    EXPECT_GT(shown, alpha.width * alpha.height / 10);
    EXPECT_EQ(missing, 0) << "of " << shown << " shown texels";
    EXPECT_LT(area, 0.8);
    EXPECT_GT(area, 0.2);
  }
}

TEST_F(ShippedScene, SoundsLoopWithoutClickOrOffsetWellBelowFullScale) {
  int sounds = 0;
  for (const SceneObject& o : *objects_) {
    if (o.type != "TSceneSound") continue;
    ++sounds;
    std::string name = scene_->Value(o.section, "FileName");
    EXPECT_EQ(scene_->Value(o.section, "Looped"), "1") << name;
    Wave w = ReadWave(File(name));
    ASSERT_TRUE(w.error.empty()) << name << ": " << w.error;
    EXPECT_EQ(w.format, 1) << name;
    EXPECT_EQ(w.channels, 2) << name;
    EXPECT_EQ(w.rate, 22050) << name;
    EXPECT_EQ(w.bits, 16) << name;
    const std::size_t frames = w.samples.size() / 2;
    EXPECT_GE(frames, 2u * 22050) << name << " is too short to loop gently";
    EXPECT_LE(frames, 8u * 22050) << name;
    for (int ch = 0; ch < 2; ++ch) {
      std::vector<int> v;
      for (std::size_t i = 0; i < frames; ++i) v.push_back(w.samples[2 * i + ch]);
      double mean = 0;
      int peak = 0;
      for (int s : v) mean += s, peak = std::max(peak, std::abs(s));
      mean /= static_cast<double>(frames);
      EXPECT_LT(std::abs(mean), 4.0) << name << " channel " << ch << " has a DC offset of " << mean;
      EXPECT_LT(peak, 0.6 * 32767) << name << " peaks too close to full scale";
      EXPECT_GT(peak, 0.05 * 32767) << name << " is almost silent";
      std::vector<int> steps;
      for (std::size_t i = 1; i < frames; ++i) steps.push_back(std::abs(v[i] - v[i - 1]));
      std::nth_element(steps.begin(), steps.begin() + static_cast<long>(steps.size() * 99 / 100), steps.end());
      const int typical = steps[steps.size() * 99 / 100];
      EXPECT_LE(std::abs(v.front() - v.back()), typical) << name << " clicks at its loop point";
    }
  }
  EXPECT_EQ(sounds, 2);
}

TEST_F(ShippedScene, ArchiveStaysAFewMegabytes) {
  std::size_t total = 0;
  for (const auto& [name, bytes] : *archive_) total += bytes.size();
  EXPECT_LT(total, 6u << 20) << "unpacked";
}

}  // namespace
