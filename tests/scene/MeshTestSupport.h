// Helpers of the material, light, mesh and sprite tests.
//
// DrawingTest: a scene on the offscreen context whose descriptions are
// written to a temporary folder (which is also the lists' Path), with a
// 64 x 64 viewport mapped 1:1 onto drawing units (x, y from 0 to 64, the
// lower-left pixel at 0, 0), depth test on, and helpers that draw a mesh's
// passes the way a visual object does.
//
// Material3DM, Squares3DM, MeshScene: the text of 3DM files and of scenes
// that load them; Bmp24: a bitmap file drawn by a function.
#pragma once

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "gl/GLEntryPoints.h"
#include "scene/RenderState.h"
#include "scene/SceneMaterial.h"
#include "scene/SceneMesh.h"
#include "scene/SceneMeshList.h"
#include "scene/SceneTextureList.h"
#include "tests/assets/ImageTestSupport.h"
#include "tests/scene/SceneTestSupport.h"

namespace scenetest {

class DrawingTest : public SceneGLTest {
 protected:
  void SetUp() override {
    SceneGLTest::SetUp();
    ResetSceneRenderState();
  }
  void TearDown() override {
    scene_.reset();  // meshes, materials and lights go before the context's lists
    SceneGLTest::TearDown();
  }

  // Loads the description text (written as scene.gsc) into scene_; every
  // "%PATH%" in it becomes the folder.
  TMainScene& Load(std::string text, uint8_t flags = sfDisk) {
    for (size_t at; (at = text.find("%PATH%")) != std::string::npos;) text.replace(at, 6, files.Folder());
    files.Write("scene.gsc", text);
    scene_ = NewScene();
    scene_->Path = files.Folder();
    scene_->SourceName = "scene.gsc";
    scene_->SourceFlags = flags;
    scene_->Load();
    return *scene_;
  }
  template <class T>
  T* Find(const std::string& path) {
    auto* object = dynamic_cast<T*>(scene_->FindObject(path));
    EXPECT_NE(object, nullptr) << path;
    return object;
  }

  // Viewport and matrices for drawing units = pixels; cleared to black.
  void StartFrame() {
    GL.glViewport(0, 0, 64, 64);
    GL.glMatrixMode(GL_PROJECTION);
    GL.glLoadIdentity();
    GL.glOrtho(0, 64, 0, 64, -100, 100);
    GL.glMatrixMode(GL_MODELVIEW);
    GL.glLoadIdentity();
    GL.glClearColor(0, 0, 0, 1);
    GL.glClearDepth(1);
    GL.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    GL.glEnable(GL_DEPTH_TEST);
    GL.glDepthFunc(GL_LEQUAL);
    OpenGL().SetCullFace(false);
    SetLighting(false);
    ResetSceneRenderCaches();
  }
  // What a visual object does with its drawable: both passes when Alpha.
  void Draw(TMainItem& item) {
    item.RenderOpaque();
    if (item.Alpha) item.RenderTransparent();
  }
  std::vector<int> PixelAt(int x, int y) {
    GL.glFinish();
    std::vector<uint8_t> p = Pixel(x, y);
    return {p[0], p[1], p[2]};
  }

  SceneFiles files;
  std::unique_ptr<TMainScene> scene_;
};

struct RGB {
  uint8_t r, g, b;
};

// A 24-bit bitmap file whose pixel (x, y) (y from the top) is colour(x, y).
inline image_test::Bytes Bmp24(int width, int height, const std::function<RGB(int, int)>& colour) {
  image_test::BmpSpec spec;
  spec.width = width;
  spec.height = height;
  for (int y = 0; y < height; ++y) {
    image_test::Bytes row;
    for (int x = 0; x < width; ++x) {
      const RGB c = colour(x, y);
      row.insert(row.end(), {c.b, c.g, c.r});
    }
    spec.rows.push_back(row);
  }
  return image_test::MakeBmp(spec);
}

// One material of the 3DM text: its section lines.
inline std::string Material3DM(const std::string& name, double opacity, const std::string& diffuseMap = "undefined",
                               const std::string& opacityMap = "undefined", const std::string& diffuse = "255 255 255") {
  return "#MaterialStandard 12\nName " + name +
         "\nShaderType 1 Blinn\nTwoSided FALSE\nOpacity " + std::to_string(opacity) +
         "\nGlossiness 50\nSpecularLevel 50\nAmbient (color 51 102 153)\nDiffuse (color " + diffuse +
         ")\nSpecular (color 255 255 255)\nselfIllumColor (color 0 0 0)\nDiffuseMap " + diffuseMap + "\nOpacityMap " +
         opacityMap + "\n";
}

// An object named name using material, with one square of side 10 per
// entry of numbers (side by side along x from 0, at depth z), each with the
// given face material number on both triangles; texture coordinates 0..1
// per square.
inline std::string Squares3DM(const std::string& name, const std::string& material, const std::vector<int>& numbers,
                              float z = 0) {
  std::string vertices, coords, faces, ids;
  int n = 0;
  for (size_t i = 0; i < numbers.size(); ++i) {
    const float x = 10.0f * static_cast<float>(i);
    auto vertex = [&](float vx, float vy) {
      vertices += "[" + std::to_string(vx) + "," + std::to_string(vy) + "," + std::to_string(z) + "]\n";
    };
    vertex(x, 0);
    vertex(x + 10, 0);
    vertex(x + 10, 10);
    vertex(x, 10);
    coords += "[0,0,0]\n[1,0,0]\n[1,1,0]\n[0,1,0]\n";
    const std::string a = std::to_string(n + 1), b = std::to_string(n + 2), c = std::to_string(n + 3),
                      d = std::to_string(n + 4);
    faces += "[" + a + "," + b + "," + c + "]\n[" + a + "," + c + "," + d + "]\n";
    ids += std::to_string(numbers[i]) + "\n" + std::to_string(numbers[i]) + "\n";
    n += 4;
  }
  const std::string count = std::to_string(n), faceCount = std::to_string(2 * numbers.size());
  return "#Object 1\nName " + name + "\n#Vertices " + count + "\n" + vertices + "#TextureCoords " + count + "\n" +
         coords + "#VertexFaces " + faceCount + "\n" + faces + "#TextureCoordFaces " + faceCount + "\n" + faces +
         "#Material 1\nName " + material + "\n#FaceMatID " + faceCount + "\n" + ids;
}

// A scene with the lists a 3DM mesh needs (both at the folder), holding the
// meshes named: section "Meshes<i>" loads SourceName = the name. The lists
// may hold sections of their own ("Materials1", "Textures1", ...) first.
struct MeshSceneText {
  explicit MeshSceneText(std::vector<std::string> names) : meshes(std::move(names)) {}

  std::vector<std::string> meshes;
  std::string materials;  // sections, and their count
  int materialCount = 0;
  std::string textures;
  int textureCount = 0;
  std::string listKeys = "Materials=Materials\nTextures=Textures\n";
  // Further children of the mesh list: their keys, "Type" included.
  std::vector<std::string> sections;

  std::string Text() const {
    std::string text = "[MainScene]\nCount=3\n"
                       "[MainScene1]\nType=TSceneTextureList\nName=Textures\nPath=%PATH%\nColorBit=32bit\nCount=" +
                       std::to_string(textureCount) + "\n" + textures +
                       "[MainScene2]\nType=TSceneMaterialList\nName=Materials\nCount=" + std::to_string(materialCount) +
                       "\n" + materials + "[MainScene3]\nType=TSceneMeshList\nName=Meshes\nPath=%PATH%\n" + listKeys +
                       "Count=" + std::to_string(meshes.size() + sections.size()) + "\n";
    size_t n = 0;
    for (const std::string& mesh : meshes)
      text += "[Meshes" + std::to_string(++n) + "]\nType=TSceneMesh\nName=" + mesh + "\nSourceName=" + mesh + "\n";
    for (const std::string& section : sections) text += "[Meshes" + std::to_string(++n) + "]\n" + section + "\n";
    return text;
  }
};

inline std::string MeshScene(const std::vector<std::string>& meshes) { return MeshSceneText{meshes}.Text(); }

}  // namespace scenetest
