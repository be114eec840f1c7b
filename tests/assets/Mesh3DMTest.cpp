// The 3DM mesh reader: the sections and their effects, the forgiving end of
// file, and malformed files.
#include <gtest/gtest.h>

#include <cstdlib>

#include "assets/Mesh3DM.h"
#include "assets/ResourceReader.h"
#include "core/Error.h"
#include "platform/fake/FakeResources.h"
#include "tests/assets/AllocationMeter.h"

namespace velmora {
namespace {

std::unique_ptr<T3DMFile> Parse(const std::string& text) {
  auto file = std::make_unique<T3DMFile>();
  TMemoryStream s{std::vector<std::uint8_t>(text.begin(), text.end())};
  file->LoadFromStream(s);
  return file;
}

std::string ParseError(const std::string& text) {
  T3DMFile file;
  TMemoryStream s{std::vector<std::uint8_t>(text.begin(), text.end())};
  try {
    file.LoadFromStream(s);
  } catch (const Error& e) {
    return e.what();
  }
  return "(no error)";
}

// VELMORA_TEST_DATA may point elsewhere; the source tree's folder otherwise.
std::string TestData(const std::string& name) {
  const char* dir = std::getenv("VELMORA_TEST_DATA");
  return std::string(dir && *dir ? dir : VELMORA_TEST_DATA_DIR) + "/" + name;
}

TEST(Mesh3DM, HourHandFile) {
  T3DMFile file;
  file.LoadFromFile(TestData("hourhand.3dm"));
  EXPECT_EQ(file.Version, 3);
  ASSERT_EQ(file.ObjectCount(), 1);
  const T3DMObject& hand = file.Objects(0);
  EXPECT_EQ(hand.Name, "HourHand");
  EXPECT_TRUE(hand.HasTextureCoords);
  EXPECT_FALSE(hand.HasNormals);
  EXPECT_FALSE(hand.HasColors);
  EXPECT_TRUE(hand.HasTransform);
  EXPECT_FALSE(hand.TransformFlag);
  EXPECT_EQ(hand.ScaleSigns, 0u);
  const std::array<float, 12> rows{100, 0, 0, 0, 100, 0, 0, 0, 100, 0, 0, 0};
  EXPECT_EQ(hand.Matrix, rows);
  ASSERT_EQ(hand.Vertices.Count(), 4);
  EXPECT_FLOAT_EQ(hand.Vertices.Items(3).Y, 3.4f);
  EXPECT_FLOAT_EQ(hand.TextureCoords.Items(2).U, 1.0f);
  ASSERT_EQ(hand.VertexFaces.Count(), 2);
  // "[3,4,1] " with its trailing blank.
  EXPECT_EQ(hand.VertexFaces.Items(1).Index, (std::array<std::int32_t, 3>{3, 4, 1}));
  EXPECT_EQ(hand.TextureCoordFaces.Count(), 2);
  EXPECT_EQ(hand.MaterialName, "HourHand");
  ASSERT_EQ(hand.FaceMaterialCount(), 2);
  EXPECT_EQ(hand.FaceMaterials.Items(1), 1);

  ASSERT_EQ(file.Materials.Count(), 1);
  auto* m = dynamic_cast<T3DMMaterialStandard*>(file.Materials.FindByName("hourhand"));
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->ShaderType, 1);
  EXPECT_FALSE(m->Faceted);
  EXPECT_TRUE(m->TwoSided);
  EXPECT_FLOAT_EQ(m->Opacity, 99);
  EXPECT_FLOAT_EQ(m->Diffuse.G, 180);
  EXPECT_EQ(m->DiffuseMap, "hands.jpg");
  EXPECT_EQ(m->OpacityMap, "");

  // Loading again starts from an empty model.
  file.LoadFromFile(TestData("hourhand.3dm"));
  EXPECT_EQ(file.ObjectCount(), 1);
  EXPECT_EQ(file.Materials.Count(), 1);
  EXPECT_THROW(file.LoadFromFile(TestData("no-such.3dm")), Error);
  EXPECT_EQ(file.ObjectCount(), 0);
}

TEST(Mesh3DM, PositionsAreOneBasedForRecordsAndZeroBasedForFaces) {
  auto file = Parse("#Object 1\nName A\n#Vertices 2\n[1,2,3]\n[4,5,6]\n#VertexFaces 1\n[1,2,2]\n");
  const T3DMObject& o = file->Objects(0);
  EXPECT_FLOAT_EQ(o.Vertices.Items(1).X, 1);
  EXPECT_FLOAT_EQ(o.Vertices.Items(2).Z, 6);
  EXPECT_THROW(o.Vertices.Items(0), Error);
  EXPECT_THROW(o.Vertices.Items(3), Error);
  EXPECT_EQ(o.VertexFaces.Items(0).Index[0], 1);
  EXPECT_THROW(o.VertexFaces.Items(1), Error);
  EXPECT_THROW(file->Objects(1), Error);
}

TEST(Mesh3DM, SectionsOfOtherNamesAndStrayLinesAreSkipped) {
  auto file = Parse(
      "stray text before any section\n"
      "#MaterialCount 1\nCount 1\n"
      "#Object 3\nKind Mesh\nName Plate\nIgnored after the name\n"
      "#Vertices 1\n[0,0,0]\n");
  ASSERT_EQ(file->ObjectCount(), 1);
  EXPECT_EQ(file->Objects(0).Name, "Plate");
  EXPECT_EQ(file->Objects(0).Vertices.Count(), 1);
}

TEST(Mesh3DM, RunningOutOfLinesEndsNormallyWithWhatWasRead) {
  // Inside a section: two of five vertices present.
  auto file = Parse("#Object 1\nName A\n#Vertices 5\n[1,1,1]\n[2,2,2]\n");
  EXPECT_EQ(file->Objects(0).Vertices.Count(), 2);
  // Between sections, and an empty file.
  EXPECT_EQ(Parse("#Object 1\nName A\n")->ObjectCount(), 1);
  EXPECT_EQ(Parse("")->ObjectCount(), 0);
  // A count far beyond the file allocates nothing for it.
  EXPECT_EQ(Parse("#Object 1\nName A\n#Vertices 2000000000\n[1,1,1]\n")->Objects(0).Vertices.Count(), 1);
}

TEST(Mesh3DM, TransformScaleSignsAndShortMatrix) {
  auto file = Parse(
      "#Object 1\nName A\n"
      "#Transform 3\nPosition [1,2,3]\nScale [1.0,-2.5,3.0]\n(matrix3 [1,2,3] [4,5,6] [7,8\n");
  const T3DMObject& o = file->Objects(0);
  EXPECT_EQ(o.ScaleSigns, 2u);
  EXPECT_TRUE(o.HasTransform);
  // "8" has no closing "," or "]", so it is not a number of the matrix.
  const std::array<float, 12> m{1, 2, 3, 4, 5, 6, 7, 0, 0, 0, 0, 0};
  EXPECT_EQ(o.Matrix, m);

  auto all = Parse("#Object 1\nName A\n#Transform 1\nScale [-1,-1,-1]\n");
  EXPECT_EQ(all->Objects(0).ScaleSigns, 7u);
  // Numbers beyond the twelfth are ignored.
  auto extra =
      Parse("#Object 1\nName A\n#Transform 1\n(matrix3 [1,0,0] [0,1,0] [0,0,1] [9,8,7] [6,6,6])\n");
  EXPECT_FLOAT_EQ(extra->Objects(0).Matrix[11], 7);
}

TEST(Mesh3DM, TextureCoordsColorsNormalsAndFaceLists) {
  auto file = Parse(
      "#Object 1\nName A\n#Vertices 3\n[0,0,0]\n[1,0,0]\n[0,1,0]\n"
      "#Normals 1\n[0,0,1]\n"
      "#TextureCoords 2\n[0.25,0.5]\n[0.75,1.0,0.0]\n"
      "#Colors 2\n(color 32 64 128)\n(color  1 2 3)\n"
      "#VertexFaces 1\n[1,2,3]\n#TextureCoordFaces 1\n[1,2,2]\n#ColorFaces 1\n[2,1,1]\n");
  const T3DMObject& o = file->Objects(0);
  EXPECT_TRUE(o.HasNormals);
  EXPECT_TRUE(o.HasColors);
  EXPECT_FLOAT_EQ(o.TextureCoords.Items(1).V, 0.5f);
  EXPECT_FLOAT_EQ(o.TextureCoords.Items(2).U, 0.75f);
  EXPECT_FLOAT_EQ(o.Colors.Items(1).B, 128);
  EXPECT_FLOAT_EQ(o.Colors.Items(2).R, 1);
  EXPECT_EQ(o.ColorFaces.Items(0).Index[0], 2);
  // Empty sections leave the flags clear.
  auto empty = Parse("#Object 1\nName A\n#Normals 0\n#TextureCoords 0\n#Colors 0\n");
  EXPECT_FALSE(empty->Objects(0).HasNormals);
  EXPECT_FALSE(empty->Objects(0).HasTextureCoords);
  EXPECT_FALSE(empty->Objects(0).HasColors);
}

TEST(Mesh3DM, StandardMaterialKeys) {
  auto file = Parse(
      "#MaterialStandard 16\nName Skin\nShaderType 2\nFaceted true\nTwoSided no\nWireSize 3\nOpacityType 1\n"
      "Opacity 98.5\nSpecularLevel 40\nGlossiness 10\nselfIllumColor (color 1 2 3)\nAmbient (color 4 5 6)\n"
      "Specular (color 7 8 9)\nDiffuseMap Skin.jpg\nReflectionMap UNDEFINED\nBumpMap bump.jpg\nUnknown key\n");
  auto* m = dynamic_cast<T3DMMaterialStandard*>(file->Materials.Items(0));
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->Name(), "Skin");
  EXPECT_EQ(m->ShaderType, 2);
  EXPECT_TRUE(m->Faceted);
  EXPECT_FALSE(m->TwoSided);
  EXPECT_EQ(m->WireSize, 3);
  EXPECT_EQ(m->OpacityType, 1);
  EXPECT_FLOAT_EQ(m->Opacity, 98.5f);
  EXPECT_FLOAT_EQ(m->SpecularLevel, 40);
  EXPECT_FLOAT_EQ(m->Glossiness, 10);
  EXPECT_FLOAT_EQ(m->SelfIllumColor.B, 3);
  EXPECT_FLOAT_EQ(m->Ambient.R, 4);
  EXPECT_FLOAT_EQ(m->Specular.G, 8);
  EXPECT_EQ(m->DiffuseMap, "Skin.jpg");
  EXPECT_EQ(m->ReflectionMap, "");
  EXPECT_EQ(m->BumpMap, "bump.jpg");
  // Keys are compared exactly: "name" is not "Name".
  EXPECT_EQ(Parse("#MaterialStandard 1\nname Other\n")->Materials.Items(0)->Name(), "");
}

TEST(Mesh3DM, MultiSubObjectMaterials) {
  auto file = Parse(
      "#MaterialMultiSubObject 2\nName Clock\nNumSubs 2\n"
      "#MaterialStandard 1\nName Face\n#MaterialStandard 1\nName Glass\n");
  auto* multi = dynamic_cast<T3DMMaterialMultiSubObject*>(file->Materials.FindByName("CLOCK"));
  ASSERT_NE(multi, nullptr);
  ASSERT_EQ(multi->SubMaterials.Count(), 2);
  EXPECT_EQ(multi->SubMaterials.Items(1)->Name(), "Glass");
  EXPECT_EQ(file->Materials.Count(), 1);

  EXPECT_EQ(ParseError("#MaterialMultiSubObject 2\nName M\nNumSubs 2\n#MaterialStandard 1\nName S\n#Object 1\nName O\n"),
            "T3DMFile error: SubMaterial is not Standard");
}

TEST(Mesh3DM, AnimationFramesAndLoop) {
  auto file = Parse(
      "#Object 1\nName Fish\n#Vertices 2\n[0,0,0]\n[1,1,1]\n"
      "#Animation 2\nLength 2\nLoop TRUE\n"
      "#AnimMesh 99\nFrame 0\n[0,0,0]\n[1,1,1]\nFrame 1\n[2,2,2]\n[3,3,3]\n");
  const T3DMObject& o = file->Objects(0);
  ASSERT_EQ(o.VertexFrames.Count(), 2);
  EXPECT_TRUE(o.VertexFrames.Loop);
  EXPECT_FLOAT_EQ(o.VertexFrames.Frames(1).Items(2).X, 3);
  EXPECT_THROW(o.VertexFrames.Frames(2), Error);
  EXPECT_FALSE(Parse("#Object 1\nName F\n#Animation 1\nLoop yes\n")->Objects(0).VertexFrames.Loop);

  EXPECT_EQ(ParseError("#Object 1\nName F\n#Vertices 1\n[0,0,0]\n#Animation 1\nLength 1\n#AnimMesh 1\nFrames 0\n"),
            "T3DMFile.ReadAnimMesh error: It is not vertex frame animation!");
  EXPECT_NE(ParseError("#Object 1\nName F\n#Animation 1\nLength 100000000\n").find("T3DMFile.ReadAnimation error"),
            std::string::npos);
  EXPECT_NE(ParseError("#Object 1\nName F\n#Animation 1\nLength -1\n").find("T3DMFile.ReadAnimation error"),
            std::string::npos);
}

TEST(Mesh3DM, FramesOfAllObjectsTogetherStayWithinTheFile) {
  // Each object claims as many frames as the file has lines. One such
  // claim fits the file; hundreds together describe far more frames than
  // the file has lines for, and would cost memory growing with the square
  // of its size.
  constexpr int kObjects = 500;
  const std::string length = "Length " + std::to_string(4 * kObjects) + "\n";
  std::string hostile;
  for (int i = 0; i < kObjects; ++i) hostile += "#Object 1\nName O\n#Animation 1\n" + length;
  assets_test::AllocationMeter meter;
  std::string error = ParseError(hostile);
  const std::size_t peak = meter.Peak();
  // The reader holds the text itself at least once.
  EXPECT_GE(peak, hostile.size());
  EXPECT_LE(peak, 64 * hostile.size()) << "peak of " << peak << " bytes for a file of " << hostile.size();
  EXPECT_NE(error.find("T3DMFile.ReadAnimation error: Length 2000"), std::string::npos) << error;

  // Frames that the file's lines could describe, however they are shared
  // out between the objects, load.
  std::string fair;
  for (int i = 0; i < kObjects; ++i) fair += "#Object 1\nName O\n#Animation 1\nLength 4\n";
  auto file = Parse(fair);
  ASSERT_EQ(file->ObjectCount(), kObjects);
  EXPECT_EQ(file->Objects(kObjects - 1).VertexFrames.Count(), 4);
  // A second animation of the same object replaces the first one's frames.
  auto again = Parse("#Object 1\nName O\n#Animation 1\nLength 6\n#Animation 1\nLength 6\n");
  EXPECT_EQ(again->Objects(0).VertexFrames.Count(), 6);
}

TEST(Mesh3DM, VertexFrameListCount) {
  T3DMVertexFrameList frames;
  frames.SetCount(3);
  frames.Frames(2).Add(T3DMVertex{1, 2, 3});
  frames.SetCount(5);
  EXPECT_EQ(frames.Frames(2).Count(), 1);
  EXPECT_EQ(frames.Frames(4).Count(), 0);
  frames.SetCount(1);
  EXPECT_EQ(frames.Count(), 1);
  EXPECT_THROW(frames.SetCount(-1), Error);
}

TEST(Mesh3DM, MalformedNumbersRaiseAndKeepWhatWasRead) {
  T3DMFile file;
  std::string text = "#Object 1\nName A\n#Vertices 2\n[1,2,3]\n[1,2.5.1,3]\n";
  TMemoryStream s{std::vector<std::uint8_t>(text.begin(), text.end())};
  try {
    file.LoadFromStream(s);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "T3DMFile.ReadFloat error: '2.5.1' is not a valid floating point value (line 5)");
  }
  ASSERT_EQ(file.ObjectCount(), 1);
  EXPECT_EQ(file.Objects(0).Vertices.Count(), 1);

  for (const char* bad : {
           "#Header x\n",                                      // section count
           "#Header\n",                                        // no count at all
           "#Header 1\nVersion 1.5\n",                         // integer value
           "#Object 1\nName A\n#Vertices 1\n[1,2]\n",          // two numbers where three are needed
           "#Object 1\nName A\n#Vertices 1\n[]\n",             // no numbers
           "#Object 1\nName A\n#Vertices 1\n1\n",              // too short for a vector
           "#Object 1\nName A\n#VertexFaces 1\n[1,2,3.0]\n",   // face numbers are integers
           "#Object 1\nName A\n#VertexFaces 1\n[1,2,9999999999]\n",  // beyond 32 bits
           "#Object 1\nName A\n#Colors 1\n(color 1 2)\n",      // two colour numbers
           "#Object 1\nName A\n#Colors 1\n(colo\n",            // shorter than the prefix
           "#Object 1\nName A\n#FaceMatID 1\none\n",
           "#Object 1\nName A\n#Transform 1\n(matrix3 [1,x,3])\n",
           "#Object 1\nName A\n#Transform 1\nScale\n",
           "#MaterialStandard 1\nAmbient 12\n",
           "#MaterialStandard 1\nShaderType Blinn\n",
       }) {
    std::string e = ParseError(bad);
    EXPECT_EQ(e.rfind("T3DMFile.", 0), 0u) << bad << " gave " << e;
  }
}

TEST(Mesh3DM, BlankLinesReadAsEmptyText) {
  // Empty lines are skipped; a line of blanks is an empty text.
  auto file = Parse("\n\n#Object 1\n\nName A\n#Vertices 1\n\n\n[1,1,1]\n");
  EXPECT_EQ(file->Objects(0).Vertices.Count(), 1);
  EXPECT_NE(ParseError("#Object 1\nName A\n   \n#Vertices 1\n[0,0,0]\n").find("T3DMFile.ReadChunk error"),
            std::string::npos);
  EXPECT_NE(ParseError("#Object 1\nName A\n#Vertices 1\n \t \n").find("T3DMFile.ReadVector error"), std::string::npos);
}

TEST(Mesh3DM, ObjectSectionsNeedAnObject) {
  for (const char* section : {"Vertices", "Normals", "TextureCoords", "Colors", "VertexFaces", "ColorFaces",
                              "TextureCoordFaces", "Transform", "FaceMatID", "Material", "Animation", "AnimMesh"}) {
    std::string e = ParseError(std::string("#Header 1\nVersion 2\n#") + section + " 1\n[1,1,1]\n");
    EXPECT_EQ(e, std::string("T3DMFile.ReadChunk error: section \"") + section +
                     "\" comes before any \"Object\" section (line 3)");
  }
}

TEST(Mesh3DM, FacesMayOnlyNameWhatTheObjectHas) {
  const std::string base = "#Object 1\nName Hand\n#Vertices 3\n[0,0,0]\n[1,0,0]\n[0,1,0]\n";
  EXPECT_EQ(Parse(base + "#VertexFaces 1\n[1,2,3]\n")->Objects(0).VertexFaces.Count(), 1);
  EXPECT_EQ(ParseError(base + "#VertexFaces 1\n[1,2,4]\n"),
            "T3DMFile.CheckFaces error: object \"Hand\": face 1 names vertex 4 of 3");
  EXPECT_NE(ParseError(base + "#VertexFaces 1\n[0,1,2]\n").find("names vertex 0"), std::string::npos);
  EXPECT_NE(ParseError(base + "#VertexFaces 1\n[1,2,3]\n#ColorFaces 1\n[1,1,1]\n").find("names colour 1 of 0"),
            std::string::npos);
  EXPECT_NE(ParseError(base + "#TextureCoords 1\n[0,0]\n#VertexFaces 1\n[1,2,3]\n#TextureCoordFaces 1\n[1,2,1]\n")
                .find("names texture coordinate 2 of 1"),
            std::string::npos);
  // Triangles by texture coordinate must pair with the vertex triangles.
  EXPECT_NE(ParseError(base + "#TextureCoords 1\n[0,0]\n#VertexFaces 2\n[1,2,3]\n[3,2,1]\n#TextureCoordFaces 1\n[1,1,1]\n")
                .find("1 texture-coordinate faces for 2 vertex faces"),
            std::string::npos);
  // Faces may come before the vertices they name.
  EXPECT_EQ(Parse("#Object 1\nName A\n#VertexFaces 1\n[1,1,1]\n#Vertices 1\n[0,0,0]\n")->ObjectCount(), 1);
}

TEST(Mesh3DM, ReadsThroughTheResourceReader) {
  platform::FakeResources resources;
  platform::ScopedService<platform::Resources> installed(&resources);
  resources.Add("BUBBLE_3DM", "#Object 1\r\nName Bubble\r\n#Vertices 1\r\n[1,2,3]\r\n");
  TResourceFileReader& reader = ResourceReader();
  TResourceSource saved = reader.Source;
  reader.Source = TResourceSource::rsResources;
  T3DMFile file;
  file.UseResourceReader = true;
  file.LoadFromFile("./Scenes/bubble.3dm");
  ASSERT_EQ(file.ObjectCount(), 1);
  EXPECT_EQ(file.Objects(0).Name, "Bubble");
  // A name the reader cannot open gives an empty model.
  file.LoadFromFile("missing.3dm");
  EXPECT_EQ(file.ObjectCount(), 0);
  reader.Source = saved;
}

TEST(Material3DMList, NameIndexAddRemoveAndRename) {
  T3DMMaterialList list;
  try {
    list.Add(nullptr);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "T3DMMaterialList error: Add a NIL Material");
  }
  auto make = [](const std::string& name) {
    auto m = std::make_unique<T3DMMaterialStandard>();
    m->SetName(name);
    return m;
  };
  list.Add(make("Steel"));
  list.Add(make("STEEL"));  // stays in the list, not in the index
  list.Add(make("Brass"));
  ASSERT_EQ(list.Count(), 3);
  T3DMMaterial* first = list.Items(0);
  T3DMMaterial* second = list.Items(1);
  EXPECT_EQ(list.FindByName("steel"), first);
  EXPECT_EQ(first->Owner(), &list);

  first->SetName("Chrome");
  EXPECT_EQ(list.FindByName("chrome"), first);
  EXPECT_EQ(list.FindByName("steel"), nullptr);  // the duplicate was never indexed
  second->SetName("Gold");
  EXPECT_EQ(list.FindByName("gold"), second);

  std::unique_ptr<T3DMMaterial> removed = list.Remove(second);
  ASSERT_EQ(removed.get(), second);
  EXPECT_EQ(removed->Owner(), nullptr);
  EXPECT_EQ(list.FindByName("gold"), nullptr);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Remove(second), nullptr);
  EXPECT_THROW(list.Items(2), Error);
  // Renaming a material outside any list touches no index.
  removed->SetName("Silver");
  EXPECT_EQ(list.FindByName("silver"), nullptr);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.FindByName("chrome"), nullptr);
}

}  // namespace
}  // namespace velmora
