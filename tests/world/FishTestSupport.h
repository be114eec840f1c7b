// Helpers of the fish tests.
//
// Fish environments are described from key lists: a render with the keys
// the program's own description gives "SaltWater" (ShippedRender) and fish
// lists with those of "Angelfish" (ShippedFishes), each changed key by key
// (With, WorldTestSupport.h). FishGLTest loads such environments through
// the real loader, with the standard textures of the water tests, a
// material list and a mesh list whose meshes are 3DM boxes written into
// the test's folder (Box3DM), on the hidden window's rendering context.
//
// TTestFishShape (registered beside the world's classes): a drawable that
// records every pass it is drawn in, with the model-view translation and
// the state of depth test, culling, lighting and texturing on unit 1 at
// that moment. It has Alpha, so lists draw its blended pass.
//
// MeshInCode: a mesh of no scene with an opaque and a transparent group
// whose vertices and triangles the test gives.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "gl/GLEntryPoints.h"
#include "gl/Material.h"
#include "gl/Primitive.h"
#include "scene/SceneMaterial.h"
#include "scene/SceneMesh.h"
#include "tests/scene/MeshTestSupport.h"
#include "tests/world/WorldTestSupport.h"
#include "world/FishRender.h"
#include "world/Fishes.h"
#include "world/WaterGeometry.h"

namespace worldtest {

class TTestFishShape : public TMainSceneObject {
 public:
  struct Pass {
    char pass;  // 'o' opaque, 't' transparent
    TGLVector offset;
    bool depthTest, cullFace, lighting, unit1Texture;
  };
  TTestFishShape() { Alpha = true; }
  const char* ClassName() const override { return "TTestFishShape"; }
  void Animate(float) override { ++Animations; }
  void RenderOpaque() override { Record('o'); }
  void RenderTransparent() override { Record('t'); }

  int Count(char pass) const {
    int n = 0;
    for (const Pass& p : Passes) n += p.pass == pass;
    return n;
  }

  std::vector<Pass> Passes;
  int Animations = 0;

 private:
  void Record(char pass) {
    Pass p{pass, {}, false, false, false, false};
    float m[16];
    GL.glGetFloatv(GL_MODELVIEW_MATRIX, m);
    p.offset = {m[12], m[13], m[14]};
    p.depthTest = GL.glIsEnabled(GL_DEPTH_TEST);
    p.cullFace = GL.glIsEnabled(GL_CULL_FACE);
    p.lighting = GL.glIsEnabled(GL_LIGHTING);
    if (GL.glActiveTextureARB) {
      GLint active = 0;
      GL.glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &active);
      GL.glActiveTextureARB(GL_TEXTURE1_ARB);
      p.unit1Texture = GL.glIsEnabled(GL_TEXTURE_2D);
      GL.glActiveTextureARB(static_cast<GLenum>(active));
    }
    Passes.push_back(p);
  }
};

// The keys of the program's "SaltWater" environment.
inline Keys ShippedRender(const std::string& name) {
  return {{"Type", "TFishRender"}, {"Name", name},        {"ProcessOptions", "[Render,Animation]"},
          {"Visible", "1"},        {"Alpha", "1"},        {"StepZ", "10"},
          {"SortAlpha", "1"},      {"FishDirection", "Both"}};
}

// The keys of the program's "Angelfish" list (without its visual).
inline Keys ShippedFishes(const std::string& name) {
  return {{"Type", "TFishes"},  {"Name", name},      {"Visible", "1"},      {"Alpha", "1"},
          {"FishType", "Fish"}, {"MaxZ", "8000"},    {"MinZ", "1200"},      {"UpY", "2400"},
          {"BottomY", "-2600"}, {"MaxSpeed", "200"}, {"MinSpeed", "110"},   {"MaxCount", "60"},
          {"ParticleCount", "7"}};
}

// A 3DM box from low to high of one material, every face turned outward.
inline std::string Box3DM(const std::string& material, TGLVector low, TGLVector high) {
  const TGLVector c[8] = {{low.x, low.y, low.z},   {high.x, low.y, low.z},   {high.x, high.y, low.z},
                          {low.x, high.y, low.z},  {low.x, low.y, high.z},   {high.x, low.y, high.z},
                          {high.x, high.y, high.z}, {low.x, high.y, high.z}};
  const int faces[12][3] = {{4, 5, 6}, {4, 6, 7}, {1, 0, 3}, {1, 3, 2}, {5, 1, 2}, {5, 2, 6},
                            {0, 4, 7}, {0, 7, 3}, {7, 6, 2}, {7, 2, 3}, {0, 1, 5}, {0, 5, 4}};
  std::string text = "#Object 1\nName Box\n#Vertices 8\n";
  for (const TGLVector& v : c)
    text += "[" + std::to_string(v.x) + "," + std::to_string(v.y) + "," + std::to_string(v.z) + "]\n";
  text += "#TextureCoords 8\n";
  for (int i = 0; i < 8; ++i) text += std::string(i == 1 || i == 2 || i == 5 || i == 6 ? "[1," : "[0,") +
                                      (i == 2 || i == 3 || i == 6 || i == 7 ? "1,0]\n" : "0,0]\n");
  std::string list;
  for (const auto& f : faces)
    list += "[" + std::to_string(f[0] + 1) + "," + std::to_string(f[1] + 1) + "," + std::to_string(f[2] + 1) + "]\n";
  text += "#VertexFaces 12\n" + list + "#TextureCoordFaces 12\n" + list + "#Material 1\nName " + material +
          "\n#FaceMatID 12\n";
  for (int i = 0; i < 12; ++i) text += "1\n";
  return text;
}

class FishGLTest : public WaterGLTest {
 protected:
  void SetUp() override {
    WaterGLTest::SetUp();
    // A red box 400 long, 200 high and 40 thick, head toward +x.
    files.Write("redfish.3dm", scenetest::Material3DM("RedFish", 100, "red.bmp") +
                                   Box3DM("RedFish", {-200, -100, -20}, {200, 100, 20}));
  }

  // A scene of the standard textures (and "caustfish.jpg"), a material
  // list, a mesh list with "Meshes/redfish.3dm", the extra top-level
  // objects (which the lists may name as their visual), then each
  // environment: a render's keys and its lists' keys.
  std::string FishScene(const std::vector<std::pair<Keys, std::vector<Keys>>>& environments,
                        const std::vector<Keys>& extra = {}) const {
    std::vector<Keys> textures = StandardTextures();
    textures.push_back({{"Name", "caustfish.jpg"}, {"TextureName", "grey.bmp"}});
    const size_t count = 3 + environments.size() + extra.size();
    std::string text = "[MainScene]\nCount=" + std::to_string(count) + "\n";
    text += "[MainScene1]\nType=TSceneTextureList\nName=Textures\nColorBit=32bit\nPath=" + files.Folder() +
            "\nCount=" + std::to_string(textures.size()) + "\n";
    for (size_t i = 0; i < textures.size(); ++i)
      text += "[Textures" + std::to_string(i + 1) + "]\nType=TSceneTexture\n" + Body(textures[i]);
    text += "[MainScene2]\nType=TSceneMaterialList\nName=Materials\nCount=0\n";
    text += "[MainScene3]\nType=TSceneMeshList\nName=Meshes\nPath=" + files.Folder() +
            "\nMaterials=Materials\nTextures=Textures\nCount=1\n"
            "[Meshes1]\nType=TSceneMesh\nName=redfish.3dm\nSourceName=redfish.3dm\n";
    size_t section = 4;
    for (const Keys& object : extra) text += "[MainScene" + std::to_string(section++) + "]\n" + Body(object);
    for (const auto& [render, lists] : environments) {
      text += "[MainScene" + std::to_string(section++) + "]\n" + Body(render) +
              "Count=" + std::to_string(lists.size()) + "\n";
      std::string name;
      for (const auto& [key, value] : render)
        if (key == "Name") name = value;
      for (size_t i = 0; i < lists.size(); ++i)
        text += "[" + name + std::to_string(i + 1) + "]\n" + Body(lists[i]);
    }
    return text;
  }

  // One environment "Sea" of the given lists, loaded.
  TFishRender& LoadSea(const std::vector<Keys>& lists, const Keys& renderChanges = {},
                       const std::vector<Keys>& extra = {}) {
    LoadText(FishScene({{With(ShippedRender("Sea"), renderChanges), lists}}, extra));
    return *Find<TFishRender>("Sea");
  }

  // The view the fish are fitted to.
  TViewSlopes Slopes() { return ViewSlopes(App().Viewport()); }
  TGLVector Camera() { return App().Viewport().Camera().Position.Vector(); }
};

// A mesh in no scene: an opaque group (material group 0) and a
// transparent group (material group 1, diffuse alpha 0.5), each with the
// given vertices and triangles (either may be empty).
struct MeshInCode {
  TSceneMaterial material;
  TSceneMesh mesh;

  MeshInCode(const std::vector<TGLVector>& body, const std::vector<uint16_t>& bodyTriangles,
             const std::vector<TGLVector>& fins = {}, const std::vector<uint16_t>& finTriangles = {}) {
    material.SetName("Fish");
    material.AddGroup();
    material.AddGroup()->GLMaterial->SetDiffuse({1, 1, 1, 0.5f});
    mesh.SetName("fish");
    mesh.Material = &material;
    if (!body.empty()) Fill(*mesh.AddGroup(0, 0, nullptr), body, bodyTriangles);
    if (!fins.empty()) Fill(*mesh.AddGroup(0, 1, nullptr), fins, finTriangles);
  }
  ~MeshInCode() { mesh.ClearGroups(); }

  TMeshGroup& Body() { return *mesh.OpaqueGroups.Items(0); }
  TMeshGroup& Fins() { return *mesh.TransparentGroups.Items(0); }

 private:
  static void Fill(TMeshGroup& group, const std::vector<TGLVector>& vertices, const std::vector<uint16_t>& triangles) {
    TGLPrimitive& p = *group.Primitive;
    p.Vertices.SetCount(static_cast<int>(vertices.size()));
    for (size_t i = 0; i < vertices.size(); ++i) p.Vertices.Items()[i] = vertices[i];
    p.Indices.LoadFromArray(triangles);
  }
};

}  // namespace worldtest
