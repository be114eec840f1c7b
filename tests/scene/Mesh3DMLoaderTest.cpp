// The 3DM mesh loader and the mesh list: face groups by material number
// (numbers 1 and 3 with a two-group material), the materials and textures
// it makes (opacity 99 against 98.5, opacity maps, textures the scene has
// already), vertex sharing, animation frames, file lists with their user
// option, the keys written back, bad files, and every mesh the program
// carries or generates.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "assets/Material3DM.h"
#include "assets/ResourceReader.h"
#include "core/Diagnostics.h"
#include "gl/Material.h"
#include "gl/Primitive.h"
#include "scene/Mesh3DMLoader.h"
#include "scene/SceneTexture.h"
#include "tests/scene/MeshTestSupport.h"

namespace scenetest {
namespace {

using Ints = std::vector<int>;
using Floats = std::vector<float>;

Ints Indices(const TMeshGroup& group) {
  const TGLIndexDArray& indices = group.Primitive->Indices;
  return Ints(indices.Items(), indices.Items() + indices.Count());
}

Floats Color(const TGLColor& c) { return {c.r, c.g, c.b, c.a}; }

void ExpectColor(const TGLColor& c, const Floats& expected) {
  const Floats got = Color(c);
  for (size_t i = 0; i < 4; ++i) EXPECT_NEAR(got[i], expected[i], 1e-6f) << i;
}

RGB Solid(int, int) { return RGB{200, 100, 50}; }

class Mesh3DM : public DrawingTest {
 protected:
  TSceneMesh* LoadedMesh(const std::string& name) {
    auto* mesh = Find<TSceneMesh>("Meshes/" + name);
    mesh->LoadMesh();
    return mesh;
  }
  std::string LoadError(const std::string& name) {
    auto* mesh = Find<TSceneMesh>("Meshes/" + name);
    const std::string message = Message([&] { mesh->LoadMesh(); });
    // A mesh that failed is empty and not tried again.
    EXPECT_TRUE(mesh->Loaded);
    EXPECT_EQ(mesh->GroupCount(), 0);
    EXPECT_EQ(Message([&] { mesh->LoadMesh(); }), "(nothing raised)");
    return message;
  }
};

TEST_F(Mesh3DM, MaterialNumbersOneAndThreeWithATwoGroupMaterial) {
  files.Write("red.bmp", Bmp24(4, 4, Solid));
  files.Write("multi.3dm", "#MaterialMultiSubObject 2\nName Multi\nNumSubs 2\n" + Material3DM("Red", 100, "red.bmp") +
                               Material3DM("Blue", 100) + Squares3DM("Tiles", "Multi", {1, 3, 1}));
  Load(MeshScene({"multi.3dm"}));
  auto* mesh = Find<TSceneMesh>("Meshes/multi.3dm");
  EXPECT_FALSE(mesh->Loaded);  // built on first use
  EXPECT_EQ(mesh->GroupCount(), 0);
  mesh->LoadMesh();
  EXPECT_TRUE(mesh->Loaded);

  auto* multi = Find<TSceneMaterial>("Materials/Multi");
  ASSERT_EQ(multi->GroupCount(), 2);
  EXPECT_EQ(mesh->Material, multi);
  auto* red = Find<TSceneTexture>("Textures/red.bmp");
  EXPECT_EQ(red->Format, tfTexture);
  EXPECT_EQ(red->TextureName, files.Folder() + "red.bmp");
  // Numbers 1 and 3 give two groups in order of appearance; 3 is cut to
  // the material's last group, which has no texture.
  ASSERT_EQ(mesh->OpaqueGroups.Count(), 2);
  EXPECT_EQ(mesh->TransparentGroups.Count(), 0);
  const TMeshGroup& first = *mesh->OpaqueGroups.Items(0);
  const TMeshGroup& second = *mesh->OpaqueGroups.Items(1);
  EXPECT_EQ(first.MaterialGroup, multi->GetGroup(0));
  EXPECT_EQ(first.Texture, red);
  EXPECT_EQ(second.MaterialGroup, multi->GetGroup(1));
  EXPECT_EQ(second.Texture, nullptr);
  // Squares 1 and 3 in the first group, square 2 in the second.
  EXPECT_EQ(Indices(first), (Ints{0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7}));
  EXPECT_EQ(first.Primitive->Vertices.Count(), 8);
  EXPECT_EQ(first.Primitive->Vertices.Items()[4].x, 20);
  EXPECT_EQ(Indices(second), (Ints{0, 1, 2, 0, 2, 3}));
  EXPECT_EQ(second.Primitive->Vertices.Items()[0].x, 10);
  EXPECT_EQ(second.Primitive->TexCoords[0].Count(), 4);
  EXPECT_EQ(first.VertexFrames.Count(), 0);

  // Drawn: the textured squares in the image's colour, the other in the
  // vertex colour white.
  StartFrame();
  GL.glTranslatef(0, 20, 0);
  Draw(*mesh);
  EXPECT_EQ(PixelAt(5, 25), (std::vector<int>{200, 100, 50}));
  EXPECT_EQ(PixelAt(15, 25), (std::vector<int>{255, 255, 255}));
  EXPECT_EQ(PixelAt(25, 25), (std::vector<int>{200, 100, 50}));
  EXPECT_EQ(GL.glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Mesh3DM, OpacityMapsExistingTexturesAndMaterialValues) {
  for (const char* image : {"key.bmp", "glass.bmp", "skin.bmp", "skinmask.bmp", "known.bmp"})
    files.Write(image, Bmp24(8, 8, Solid));
  std::string text = Material3DM("Keyed", 99, "key.bmp") + Material3DM("Glassy", 98.5, "glass.bmp") +
                     Material3DM("Skin", 100, "skin.bmp", "skinmask.bmp") + Material3DM("Known", 100, "known.bmp") +
                     Material3DM("Plain", 100);
  int n = 0;
  for (const char* material : {"Keyed", "Glassy", "Skin", "Known", "Plain"})
    text += Squares3DM("O" + std::to_string(n++), material, {1});
  files.Write("maps.3dm", text);
  // "Plain" and the texture "known.bmp" are described by the scene already.
  MeshSceneText scene{{"maps.3dm"}};
  scene.materials = "[Materials1]\nType=TSceneMaterial\nName=Plain\nCount=1\nDiffuse1=0,1,0,1\n";
  scene.materialCount = 1;
  scene.textures = "[Textures1]\nType=TSceneTexture\nName=known.bmp\nTextureName=known.bmp\nAlphaName=known.bmp\n";
  scene.textureCount = 1;
  Load(scene.Text());
  auto* known = Find<TSceneTexture>("Textures/known.bmp");
  auto* mesh = LoadedMesh("maps.3dm");

  // Opacity 99: a colour-keyed sprite texture, the material opaque.
  auto* key = Find<TSceneTexture>("Textures/key.bmp");
  EXPECT_EQ(key->Format, tfSprite);
  EXPECT_TRUE(key->AutoSpriteColor);
  EXPECT_FALSE(Find<TSceneMaterial>("Materials/Keyed")->GetGroup(0)->IsTransparent());
  // 98.5: a plain texture, the material 0.985 transparent.
  EXPECT_EQ(Find<TSceneTexture>("Textures/glass.bmp")->Format, tfTexture);
  const TGLMaterial& glassy = *Find<TSceneMaterial>("Materials/Glassy")->GetGroup(0)->GLMaterial;
  ExpectColor(glassy.Ambient(), Floats{0.2f, 0.4f, 0.6f, 0.985f});
  ExpectColor(glassy.Diffuse(), Floats{1, 1, 1, 0.985f});
  ExpectColor(glassy.Specular(), Floats{0.5f, 0.5f, 0.5f, 0.985f});
  ExpectColor(glassy.Emission(), Floats{0, 0, 0, 0.985f});
  EXPECT_FLOAT_EQ(glassy.Shininess(), 44.8f);
  EXPECT_TRUE(glassy.FrontFace());
  EXPECT_FALSE(glassy.BackFace());
  // An opacity map: colour and alpha image under the "A" name.
  EXPECT_EQ(Find<TSceneMaterialList>("Materials")->FindItem("skin.bmp"), nullptr);
  auto* skin = Find<TSceneTexture>("Textures/skinA.bmp");
  EXPECT_EQ(skin->Format, tfAlpha);
  EXPECT_EQ(skin->TextureName, files.Folder() + "skin.bmp");
  EXPECT_EQ(skin->AlphaName, files.Folder() + "skinmask.bmp");
  // What the scene describes is used as it is.
  EXPECT_EQ(Find<TSceneTexture>("Textures/known.bmp"), known);
  EXPECT_EQ(known->Format, tfAlpha);
  auto* plain = Find<TSceneMaterial>("Materials/Plain");
  ASSERT_EQ(plain->GroupCount(), 1);
  EXPECT_EQ(Color(plain->GetGroup(0)->GLMaterial->Diffuse()), (Floats{0, 1, 0, 1}));

  // Every group with an alpha channel or a transparent material is blended.
  ASSERT_EQ(mesh->TransparentGroups.Count(), 4);
  ASSERT_EQ(mesh->OpaqueGroups.Count(), 1);
  EXPECT_EQ(mesh->OpaqueGroups.Items(0)->MaterialGroup, plain->GetGroup(0));
  EXPECT_EQ(mesh->TransparentGroups.Items(0)->Texture, key);
  EXPECT_EQ(mesh->TransparentGroups.Items(3)->Texture, known);
  EXPECT_TRUE(mesh->Alpha);

  T3DMMaterialStandard clock;
  clock.DiffuseMap = "ClockSkin01.jpg";
  clock.OpacityMap = "ClockSkin01A.jpg";
  EXPECT_EQ(Texture3DMName(clock), "ClockSkin01A.jpg");
  clock.OpacityMap = "UNDEFINED";
  EXPECT_EQ(Texture3DMName(clock), "ClockSkin01.jpg");
  clock.OpacityMap = "mask.jpg";
  clock.DiffuseMap = "";
  EXPECT_EQ(Texture3DMName(clock), "");
}

const std::string kShared = Material3DM("M", 100) + R"(#Object 1
Name Same
#Vertices 4
[0,0,0]
[10,0,0]
[10,10,0]
[0,10,0]
#TextureCoords 4
[0,0,0]
[1,0,0]
[1,1,0]
[0,1,0]
#VertexFaces 2
[1,2,3]
[1,3,4]
#TextureCoordFaces 2
[1,2,3]
[1,3,4]
#Material 1
Name M
#FaceMatID 2
1
1
#Object 1
Name EqualUV
#Vertices 4
[0,0,0]
[10,0,0]
[10,10,0]
[0,10,0]
#TextureCoords 6
[0,0]
[1,0]
[1,1]
[0,0]
[1,1]
[0,1]
#VertexFaces 2
[1,2,3]
[1,3,4]
#TextureCoordFaces 2
[1,2,3]
[4,5,6]
#Material 1
Name M
#FaceMatID 2
1
1
#Object 1
Name Seam
#Vertices 4
[0,0,0]
[10,0,0]
[10,10,0]
[0,10,0]
#TextureCoords 6
[0,0]
[1,0]
[1,1]
[0.5,0]
[1,0.5]
[0,1]
#VertexFaces 2
[1,2,3]
[1,3,4]
#TextureCoordFaces 2
[1,2,3]
[4,5,6]
#Material 1
Name M
#FaceMatID 2
1
1
#Object 1
Name Bare
#Vertices 4
[0,0,0]
[10,0,0]
[10,10,0]
[0,10,0]
#VertexFaces 2
[3,2,1]
[1,3,4]
#Material 1
Name M
#FaceMatID 2
1
1
)";

TEST_F(Mesh3DM, CornersShareAVertexBySourceVertexAndTextureCoordinate) {
  files.Write("share.3dm", kShared);
  Load(MeshScene({"share.3dm"}));
  auto* mesh = LoadedMesh("share.3dm");
  ASSERT_EQ(mesh->OpaqueGroups.Count(), 4);
  const TMeshGroup& same = *mesh->OpaqueGroups.Items(0);
  const TMeshGroup& equal = *mesh->OpaqueGroups.Items(1);
  const TMeshGroup& seam = *mesh->OpaqueGroups.Items(2);
  const TMeshGroup& bare = *mesh->OpaqueGroups.Items(3);
  // The same texture-coordinate numbers: two corners shared.
  EXPECT_EQ(same.Primitive->Vertices.Count(), 4);
  EXPECT_EQ(Indices(same), (Ints{0, 1, 2, 0, 2, 3}));
  // Other numbers with equal u and v are shared too.
  EXPECT_EQ(equal.Primitive->Vertices.Count(), 4);
  EXPECT_EQ(Indices(equal), (Ints{0, 1, 2, 0, 2, 3}));
  // Other coordinates split the vertex along the seam.
  EXPECT_EQ(seam.Primitive->Vertices.Count(), 6);
  EXPECT_EQ(Indices(seam), (Ints{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(seam.Primitive->Vertices.Items()[3].x, 0);  // source vertex 1 again
  EXPECT_EQ(seam.Primitive->TexCoords[0].Items()[3].s, 0.5f);
  EXPECT_EQ(seam.Primitive->TexCoords[0].Items()[4].t, 0.5f);
  // Without texture coordinates every corner of a vertex is one vertex, in
  // the order of first use.
  EXPECT_EQ(bare.Primitive->Vertices.Count(), 4);
  EXPECT_EQ(Indices(bare), (Ints{0, 1, 2, 2, 0, 3}));
  EXPECT_EQ(bare.Primitive->Vertices.Items()[0].y, 10);  // vertex 3 first
  EXPECT_EQ(bare.Primitive->TexCoords[0].Count(), 0);

  TVertIndices3DMList list(3);
  EXPECT_EQ(list.Add(2, 1, 0, 0.5f, 0.5f), 0);
  EXPECT_EQ(list.Add(2, 7, 0, 0.5f, 0.5f), 0);
  EXPECT_EQ(list.Add(2, 1, 0, 0.1f, 0.1f), 0);
  EXPECT_EQ(list.Add(2, 2, 0, 0.1f, 0.1f), 1);
  EXPECT_EQ(list.Add(1, 1, 0, 0.5f, 0.5f), 2);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Items(1).TexCoord, 2);
  EXPECT_EQ(Message([&] { list.Add(4, 1, 0, 0, 0); }), "TVertIndices3DMList.Add error: Vertex 4 is out of range 1..3");
  list.Clear();
  EXPECT_EQ(list.Add(2, 2, 0, 0.1f, 0.1f), 0);
}

TEST_F(Mesh3DM, AnimationFramesFollowTheSharedVertices) {
  files.Write("swim.3dm", Material3DM("M", 100) + R"(#Object 1
Name Fin
#Vertices 3
[0,0,0]
[10,0,0]
[0,10,0]
#VertexFaces 1
[3,1,2]
#Material 1
Name M
#FaceMatID 1
1
#Animation 2
Length 2
Loop true
#AnimMesh 2
Frame 0
[0,0,0]
[10,0,0]
[0,10,0]
Frame 1
[10,0,0]
[20,0,0]
[10,10,0]
)");
  Load(MeshScene({"swim.3dm"}));
  auto* mesh = LoadedMesh("swim.3dm");
  ASSERT_EQ(mesh->OpaqueGroups.Count(), 1);
  const TMeshGroup& fin = *mesh->OpaqueGroups.Items(0);
  ASSERT_EQ(fin.VertexFrames.Count(), 2);
  ASSERT_EQ(fin.NormalFrames.Count(), 2);
  EXPECT_EQ(fin.NormalFrames.Items(1)->Count(), 0);
  EXPECT_EQ(mesh->FrameCount(), 2);
  // Records in order of first use: vertices 3, 1, 2.
  EXPECT_EQ(fin.VertexFrames.Items(1)->Items()[0].x, 10);
  EXPECT_EQ(fin.VertexFrames.Items(1)->Items()[0].y, 10);
  EXPECT_EQ(fin.VertexFrames.Items(1)->Items()[2].x, 20);
  mesh->Animate(1.0f / 12);  // 6 frames a second: half a frame
  EXPECT_FLOAT_EQ(fin.Primitive->Vertices.Items()[0].x, 5);
  EXPECT_FLOAT_EQ(fin.Primitive->Vertices.Items()[2].x, 15);
}

TEST_F(Mesh3DM, FileListsTheirOptionKeysResourcesAndTheWriteBack) {
  files.Write("a.3dm", Material3DM("M", 100) + Squares3DM("A", "M", {1}));
  files.Write("b.3dm", Material3DM("M", 100) + Squares3DM("B", "M", {1, 1}));
  files.Write("fish.txt", "a.3dm\r\nb.3dm\r\na.3dm\r\n");
  MeshSceneText text{{"a.3dm"}};
  text.materials = "[Materials1]\nType=TSceneMaterial\nName=Extra\nCount=1\n";
  text.materialCount = 1;
  text.sections = {"Type=TSceneMesh\nName=Fish\nFPS=12\nMaterial=Materials/Extra\nFileListName=fish.txt\nFileIndex=1"};
  Load(text.Text());
  auto* fish = Find<TSceneMesh>("Meshes/Fish");
  EXPECT_EQ(fish->FPS, 12);
  EXPECT_EQ(fish->Material, Find<TSceneMaterial>("Materials/Extra"));
  EXPECT_EQ(fish->FileListName, files.Folder() + "fish.txt");
  EXPECT_EQ(fish->FileList().size(), 3u);
  EXPECT_EQ(fish->FileIndex, 1);
  EXPECT_EQ(fish->SourceName(), "b.3dm");
  TGLBox box;
  fish->GetBounds(box);  // loads
  EXPECT_EQ(box.max.x, 20);
  EXPECT_EQ(fish->Material, Find<TSceneMaterial>("Materials/M"));  // the object's material

  fish->SetFileIndex(2);
  EXPECT_EQ(fish->SourceName(), "a.3dm");
  EXPECT_FALSE(fish->Loaded);
  EXPECT_EQ(fish->GroupCount(), 0);
  fish->GetBounds(box);
  EXPECT_EQ(box.max.x, 10);
  // The same file under another index still loads again.
  fish->SetFileIndex(0);
  EXPECT_FALSE(fish->Loaded);
  fish->GetBounds(box);
  EXPECT_EQ(box.max.x, 10);
  // An index beyond the list is kept, the source stays.
  fish->SetFileIndex(7);
  EXPECT_EQ(fish->FileIndex, 7);
  EXPECT_TRUE(fish->Loaded);

  // The user's choice: the list's base name followed by "Index".
  App().WriteOptionInteger("fishIndex", 1);
  scene_->LoadOptions();
  EXPECT_EQ(fish->FileIndex, 1);
  EXPECT_EQ(fish->SourceName(), "b.3dm");
  fish->SetFileIndex(2);
  scene_->SaveOptions();
  EXPECT_EQ(App().ReadOptionInteger("fishIndex", -1), 2);

  std::vector<std::string> lines;
  Find<TSceneMeshList>("Meshes")->ListResources(lines);
  EXPECT_EQ(lines, (std::vector<std::string>{files.Folder() + "a.3dm RCData a_3dm", "a.3dm RCData a_3dm"}));

  scene_->SourceName = "saved.gsc";
  scene_->Save();
  const std::string saved = files.Read("saved.gsc");
  EXPECT_NE(saved.find("Name=Meshes\r\nVisible=0\r\nPath=" + files.Folder() +
                       "\r\nMaterials=Materials\r\nTextures=Textures\r\n"),
            std::string::npos)
      << saved;
  EXPECT_NE(saved.find("Name=a.3dm\r\nFPS=6\r\nSourceName=a.3dm\r\n\r\n"), std::string::npos)
      << saved;
  auto again = files.Load("saved.gsc");
  auto* copy = dynamic_cast<TSceneMesh*>(again->FindObject("Meshes/Fish"));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->FPS, 12);
  EXPECT_EQ(copy->FileIndex, 2);
  EXPECT_EQ(copy->SourceName(), "a.3dm");
  EXPECT_EQ(copy->FileListName, fish->FileListName);
  EXPECT_EQ(copy->Material, again->FindObject("Materials/M"));
  auto* list = dynamic_cast<TSceneMeshList*>(again->FindObject("Meshes"));
  EXPECT_EQ(list->Materials, again->FindObject("Materials"));
  EXPECT_EQ(list->Textures, again->FindObject("Textures"));

  // A path that finds nothing reads as none.
  text.sections = {"Type=TSceneMesh\nName=Lost\nMaterial=Materials/Nope"};
  EXPECT_EQ(Message([&] { Load(text.Text()); }), "(nothing raised)");
  EXPECT_EQ(Find<TSceneMesh>("Meshes/Lost")->Material, nullptr);
}

TEST_F(Mesh3DM, BadFilesGiveErrorsNamingTheFile) {
  const std::string m = Material3DM("M", 100);
  files.Write("zero.3dm", m + Squares3DM("O", "M", {0}));
  files.Write("big.3dm", m + Squares3DM("O", "M", {1, 1001}));
  files.Write("nomat.3dm", m + Squares3DM("O", "Nope", {1}));
  files.Write("emptymat.3dm", m + Squares3DM("O", "Empty", {1}));
  std::string nan = m + Squares3DM("O", "M", {1});
  nan.replace(nan.find("[0.000000,0.000000,0.000000]"), 28, "[nan,0,0]");
  files.Write("nan.3dm", nan);
  std::string ids = m + Squares3DM("O", "M", {1});
  ids.replace(ids.find("#FaceMatID 2\n1\n1"), 16, "#FaceMatID 1\n1");
  files.Write("fewids.3dm", ids);
  files.Write("frames.3dm", m + Squares3DM("O", "M", {1}) + "#Animation 1\nLength 2\n#AnimMesh 2\nFrame 0\n[0,0,0]\n[1,0,0]\n"
                                                            "[1,1,0]\n[0,1,0]\nFrame 1\n[0,0,0]\n");
  files.Write("broken.3dm", m + "#Object 1\nName O\n#Vertices 1\n[1,2\n");
  files.Write("noobjects.3dm", Material3DM("OnlyMat", 100));
  files.Write("faceless.3dm", m + "#Object 1\nName O\n#Vertices 2\n[1,2,3]\n[4,5,6]\n#Material 1\nName M\n");
  MeshSceneText text{{"zero.3dm", "big.3dm", "nomat.3dm", "emptymat.3dm", "nan.3dm", "fewids.3dm", "frames.3dm",
                      "broken.3dm", "missing.3dm", "noobjects.3dm", "faceless.3dm"}};
  text.materials = "[Materials1]\nType=TSceneMaterial\nName=Empty\n";
  text.materialCount = 1;
  Load(text.Text());
  auto at = [&](const std::string& name) { return " (mesh " + name + ", file " + files.Folder() + name + ")"; };

  EXPECT_EQ(LoadError("zero.3dm"),
            "T3DMMeshLoader.AddMesh error: Face 1 of object O has material number 0; numbers start at 1" +
                at("zero.3dm"));
  EXPECT_EQ(LoadError("big.3dm"), "T3DMMeshLoader.AddMesh: FaceID>1000 (object O, face 3)" + at("big.3dm"));
  EXPECT_EQ(LoadError("nomat.3dm"),
            "TSceneMesh.AddGroup error: Material is not assigned! (object O names material Nope)" + at("nomat.3dm"));
  EXPECT_EQ(LoadError("emptymat.3dm"),
            "TSceneMesh.AddGroup error: List index out of bounds (-1) in material Empty of 0 groups (mesh "
            "emptymat.3dm) (file " +
                files.Folder() + "emptymat.3dm)");
  EXPECT_EQ(LoadError("nan.3dm"), "T3DMMeshLoader.AddMesh error: Object O: vertex 1 is not a finite number" +
                                      at("nan.3dm"));
  EXPECT_EQ(LoadError("fewids.3dm"),
            "T3DMMeshLoader.AddMesh error: Object O has 1 face material numbers for 2 faces" + at("fewids.3dm"));
  EXPECT_EQ(LoadError("frames.3dm"),
            "T3DMMeshLoader.AddMesh error: Object O: frame 2 holds 1 positions for 4 vertices" + at("frames.3dm"));
  const std::string broken = LoadError("broken.3dm");
  EXPECT_EQ(broken.rfind("T3DMFile.", 0), 0u) << broken;
  EXPECT_NE(broken.find(at("broken.3dm")), std::string::npos) << broken;
  const std::string missing = LoadError("missing.3dm");
  EXPECT_EQ(missing.rfind("TFileStream.Create error: Cannot open file", 0), 0u) << missing;
  EXPECT_NE(missing.find(at("missing.3dm")), std::string::npos) << missing;

  // A file without objects leaves the mesh empty and makes nothing.
  EXPECT_EQ(LoadedMesh("noobjects.3dm")->GroupCount(), 0);
  EXPECT_EQ(Find<TSceneMaterialList>("Materials")->FindItem("OnlyMat"), nullptr);
  // An object without faces gives no group; the empty mesh is safe to use.
  auto* faceless = LoadedMesh("faceless.3dm");
  EXPECT_EQ(faceless->GroupCount(), 0);
  TGLBox box{{1, 1, 1}, {1, 1, 1}};
  faceless->GetBounds(box);
  EXPECT_EQ(box.max.x, 0);
  faceless->Animate(0.5f);
  StartFrame();
  Draw(*faceless);
  EXPECT_EQ(GL.glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Mesh3DM, ListsTheLoaderNeedsAndTheVertexLimitOfAGroup) {
  files.Write("red.bmp", Bmp24(4, 4, Solid));
  files.Write("plain.3dm", Material3DM("M", 100) + Squares3DM("O", "M", {1}));
  files.Write("mapped.3dm", Material3DM("Red", 100, "red.bmp") + Squares3DM("O", "Red", {1}));
  // Lists the mesh list's references do not find (or that it leaves out)
  // read as none: without Materials the mesh stays empty, without Textures
  // it is drawn untextured; each is a warning at the mesh's key.
  TDiagnostics sink;
  {
    TDiagnosticsScope scope(sink);
    MeshSceneText text{{"plain.3dm"}};
    text.listKeys = "Materials=Nowhere\n";
    Load(text.Text());
    TSceneMesh* plain = LoadedMesh("plain.3dm");
    EXPECT_EQ(plain->GroupCount(), 0);
    EXPECT_TRUE(plain->Loaded);
    text = MeshSceneText{{"mapped.3dm"}};
    text.listKeys = "Materials=Materials\n";
    Load(text.Text());
    TSceneMesh* mapped = LoadedMesh("mapped.3dm");
    ASSERT_EQ(mapped->GroupCount(), 1);
    EXPECT_EQ(mapped->OpaqueGroups.Items(0)->Texture, nullptr);
    StartFrame();
    EXPECT_EQ(Message([&] { Draw(*mapped); }), "(nothing raised)");
  }
  std::vector<std::string> reasons;
  for (const TDiagnostic& problem : sink.Problems()) {
    EXPECT_EQ(problem.Level, TDiagnosticLevel::dlWarning);
    reasons.push_back(problem.Where.Key + ": " + problem.Reason);
  }
  EXPECT_EQ(reasons, (std::vector<std::string>{
                         "Materials: the path Nowhere finds nothing described before it",
                         "SourceName: the mesh is in no mesh list with a Materials list: plain.3dm stays empty",
                         "SourceName: material Red names texture red.bmp, but the mesh is in no mesh list with a "
                         "Textures list: drawn without it"}));

  // 32769 distinct vertices in one group do not fit 16-bit indices.
  std::string big = Material3DM("M", 100) + "#Object 1\nName Big\n#Vertices 32769\n";
  for (int i = 0; i < 32769; ++i) big += "[" + std::to_string(i) + ",0,0]\n";
  big += "#VertexFaces 10923\n";
  for (int f = 0; f < 10923; ++f)
    big += "[" + std::to_string(3 * f + 1) + "," + std::to_string(3 * f + 2) + "," + std::to_string(3 * f + 3) + "]\n";
  big += "#Material 1\nName M\n#FaceMatID 10923\n";
  for (int f = 0; f < 10923; ++f) big += "1\n";
  files.Write("big.3dm", big);
  Load(MeshScene({"big.3dm"}));
  EXPECT_EQ(LoadError("big.3dm"), "TVertIndices3DMList.Add error: More than 32768 vertices in one group (mesh big.3dm, file " +
                                      files.Folder() + "big.3dm)");
}

TEST_F(Mesh3DM, MeshesAndTheirTexturesFromTheArchive) {
  const std::string archive = files.Write(
      "data.rfa", assets_test::Archive({assets_test::Entry("arch.3dm", Material3DM("Red", 100, "red.bmp") +
                                                                           Squares3DM("O", "Red", {1})),
                                        assets_test::Entry("red.bmp", assets_test::ToText(Bmp24(4, 4, Solid)))}));
  TResourceFileReader& reader = ResourceReader();
  const TResourceSource source = reader.Source;
  const std::string name = reader.ArchiveName;
  reader.Source = TResourceSource::rsArchiveFile;
  reader.ArchiveName = archive;
  reader.FreeArchive();
  // The description from disk, the rest from the archive.
  Load(MeshScene({"arch.3dm", "gone.3dm"}));
  scene_->SourceFlags = sfArchive;
  auto* mesh = LoadedMesh("arch.3dm");
  ASSERT_EQ(mesh->OpaqueGroups.Count(), 1);
  auto* red = Find<TSceneTexture>("Textures/red.bmp");
  EXPECT_EQ(red->ImageWidth, 4);
  EXPECT_EQ(mesh->OpaqueGroups.Items(0)->Texture, red);
  // A name the archive lacks: an empty mesh, counted as loaded.
  auto* gone = LoadedMesh("gone.3dm");
  EXPECT_TRUE(gone->Loaded);
  EXPECT_EQ(gone->GroupCount(), 0);
  scene_.reset();
  reader.Source = source;
  reader.ArchiveName = name;
  reader.FreeArchive();
}

// Every mesh the program carries (data/scene) and generates (the build's
// data/generated) loads, with valid indices and finite values, and draws
// without an OpenGL error.
TEST_F(Mesh3DM, EveryCarriedAndGeneratedMeshLoadsAndDraws) {
  namespace fs = std::filesystem;
  const std::string carried = VELMORA_SCENE_DATA_DIR "/";
  const std::string generated = VELMORA_GENERATED_DATA_DIR "/";
  auto meshes = [](const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
      if (entry.path().extension() == ".3dm") names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  };
  const std::vector<std::string> ownMeshes = meshes(carried), madeMeshes = meshes(generated);
  ASSERT_FALSE(ownMeshes.empty());
  ASSERT_GE(madeMeshes.size(), 14u) << "has the build generated the scene content?";
  // One mesh list per folder; the textures the meshes name are generated.
  std::string text = "[MainScene]\nCount=4\n"
                     "[MainScene1]\nType=TSceneTextureList\nName=Textures\nPath=" +
                     generated +
                     "\n[MainScene2]\nType=TSceneMaterialList\nName=Materials\n"
                     "[MainScene3]\nType=TSceneMeshList\nName=Carried\nPath=" +
                     carried + "\nMaterials=Materials\nTextures=Textures\nCount=" + std::to_string(ownMeshes.size()) +
                     "\n[MainScene4]\nType=TSceneMeshList\nName=Made\nPath=" + generated +
                     "\nMaterials=Materials\nTextures=Textures\nCount=" + std::to_string(madeMeshes.size()) + "\n";
  for (size_t i = 0; i < ownMeshes.size(); ++i)
    text += "[Carried" + std::to_string(i + 1) + "]\nType=TSceneMesh\nName=" + ownMeshes[i] + "\nSourceName=" +
            ownMeshes[i] + "\n";
  for (size_t i = 0; i < madeMeshes.size(); ++i)
    text += "[Made" + std::to_string(i + 1) + "]\nType=TSceneMesh\nName=" + madeMeshes[i] + "\nSourceName=" +
            madeMeshes[i] + "\n";
  Load(text);

  std::vector<std::string> paths;
  for (const auto& name : ownMeshes) paths.push_back("Carried/" + name);
  for (const auto& name : madeMeshes) paths.push_back("Made/" + name);
  for (const std::string& path : paths) {
    SCOPED_TRACE(path);
    auto* mesh = Find<TSceneMesh>(path);
    ASSERT_EQ(Message([&] { mesh->LoadMesh(); }), "(nothing raised)");
    EXPECT_GT(mesh->GroupCount(), 0);
    TGLBox box;
    mesh->GetBounds(box);
    EXPECT_GT(box.max.x - box.min.x + box.max.y - box.min.y, 0);
    for (const TMeshGroupList* groups : {&mesh->OpaqueGroups, &mesh->TransparentGroups})
      for (const auto& group : *groups) {
        const TGLPrimitive& p = *group->Primitive;
        EXPECT_GT(p.Indices.Count(), 0);
        EXPECT_EQ(p.Indices.Count() % 3, 0);
        for (int i = 0; i < p.Indices.Count(); ++i) ASSERT_LT(p.Indices.Items()[i], p.Vertices.Count());
        for (int i = 0; i < p.Vertices.Count(); ++i) {
          const TGLVector& v = p.Vertices.Items()[i];
          ASSERT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z));
        }
        EXPECT_NE(group->Texture, nullptr);  // every carried material names a picture
      }
    mesh->Animate(0.1f);
    StartFrame();
    GL.glScalef(0.01f, 0.01f, 0.001f);
    Draw(*mesh);
    EXPECT_EQ(GL.glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  }
  // The clock's hands share the one picture of hands.
  EXPECT_NE(Find<TSceneTextureList>("Textures")->FindTexture("handsA.jpg"), nullptr);
}

}  // namespace
}  // namespace scenetest
