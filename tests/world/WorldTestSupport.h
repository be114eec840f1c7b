// Helpers of the world tests.
//
// Scene descriptions are put together from key lists (Keys): a water with
// the keys the program's own description gives its waters (ShippedWater),
// changed key by key (With). WaterGLTest loads them through the real loader
// into a scene on an application whose rendering context is active on a
// hidden window (SceneGLTest), with the image files the textures name
// written into the test's folder.
//
// Test classes registered beside the world's (WorldTestMain.cpp):
//   TTestLight       a switchable state: counts Enable and Disable
//   TTestBackground  records, each time it is drawn in the blended pass,
//                    the model-view matrix and the state it is drawn with
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "gl/GLEntryPoints.h"
#include "scene/MainRenderState.h"
#include "scene/MainScene.h"
#include "tests/assets/ImageTestSupport.h"
#include "tests/scene/SceneTestSupport.h"
#include "world/UnderWater.h"

namespace worldtest {

using namespace velmora;
using scenetest::Message;

class TTestLight : public TMainRenderState {
 public:
  const char* ClassName() const override { return "TTestLight"; }
  void Enable() override {
    TMainRenderState::Enable();
    ++Enables;
  }
  void Disable() override {
    TMainRenderState::Disable();
    ++Disables;
  }
  int Enables = 0;
  int Disables = 0;
};

class TTestBackground : public TMainSceneObject {
 public:
  struct Draw {
    std::array<float, 16> modelView;
    float alphaRef;
    bool depthTest, blend, lighting, fog, unit1Texture;
  };
  const char* ClassName() const override { return "TTestBackground"; }
  void RenderTransparent() override {
    Draw d{};
    GL.glGetFloatv(GL_MODELVIEW_MATRIX, d.modelView.data());
    GL.glGetFloatv(GL_ALPHA_TEST_REF, &d.alphaRef);
    d.depthTest = GL.glIsEnabled(GL_DEPTH_TEST);
    d.blend = GL.glIsEnabled(GL_BLEND);
    d.lighting = GL.glIsEnabled(GL_LIGHTING);
    d.fog = GL.glIsEnabled(GL_FOG);
    if (GL.glActiveTextureARB) {
      GLint active = 0;
      GL.glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &active);
      GL.glActiveTextureARB(GL_TEXTURE1_ARB);
      d.unit1Texture = GL.glIsEnabled(GL_TEXTURE_2D);
      GL.glActiveTextureARB(static_cast<GLenum>(active));
    }
    Draws.push_back(d);
  }
  std::vector<Draw> Draws;
};

using Keys = std::vector<std::pair<std::string, std::string>>;

// The keys the program's description gives "Blue Water" (without bottom
// and surface textures, background or light).
inline Keys ShippedWater(const std::string& name) {
  return {{"Type", "TUnderWater"},
          {"Name", name},
          {"ProcessOptions", "[Render,Animation]"},
          {"Visible", "1"},
          {"FarPlane", "10000"},
          {"FogStart", "6000"},
          {"FogEnd", "10000"},
          {"FogColor", "0,106,156,255"},
          {"UpY", "5000"},
          {"BottomY", "-3000"},
          {"UpColor", "20,160,230,255"},
          {"BottomColor", "20,90,130,255"},
          {"UpAlpha", "0.55"},
          {"BottomAlpha", "0.35"},
          {"BackgroundIndex", "0"},
          {"LightTexture", "Textures/caustlight.jpg"},
          {"UpLightMap", "Textures/water.jpg"},
          {"BackgroundLightMap", "Textures/caustback.jpg"}};
}

// keys with each change applied: a key already there takes the new value
// (an empty value removes it), a new key is appended.
inline Keys With(Keys keys, const Keys& changes) {
  for (const auto& [key, value] : changes) {
    bool found = false;
    for (auto it = keys.begin(); it != keys.end(); ++it)
      if (it->first == key) {
        found = true;
        if (value.empty())
          keys.erase(it);
        else
          it->second = value;
        break;
      }
    if (!found && !value.empty()) keys.emplace_back(key, value);
  }
  return keys;
}

inline std::string Body(const Keys& keys) {
  std::string text;
  for (const auto& [key, value] : keys) text += key + "=" + value + "\n";
  return text;
}

// A 4 x 4 bitmap of one colour.
inline image_test::Bytes SolidBmp(uint8_t r, uint8_t g, uint8_t b) {
  image_test::BmpSpec spec;
  spec.width = spec.height = 4;
  for (int y = 0; y < 4; ++y) {
    image_test::Bytes row;
    for (int x = 0; x < 4; ++x) row.insert(row.end(), {b, g, r});
    spec.rows.push_back(row);
  }
  return image_test::MakeBmp(spec);
}

class WaterGLTest : public scenetest::SceneGLTest {
 protected:
  void SetUp() override {
    scenetest::SceneGLTest::SetUp();
    files.Write("white.bmp", SolidBmp(255, 255, 255));
    files.Write("grey.bmp", SolidBmp(128, 128, 128));
    files.Write("red.bmp", SolidBmp(255, 0, 0));
    files.Write("blue.bmp", SolidBmp(0, 0, 255));
  }
  void TearDown() override {
    scene_.reset();
    scenetest::SceneGLTest::TearDown();
  }

  // The textures every test scene has, in the list "Textures".
  std::vector<Keys> StandardTextures() const {
    return {{{"Name", "caustlight.jpg"}, {"TextureName", "white.bmp"}},
            {{"Name", "water.jpg"}, {"TextureName", "white.bmp"}},
            {{"Name", "caustback.jpg"}, {"TextureName", "grey.bmp"}},
            {{"Name", "SeaBottom"}, {"TextureName", "red.bmp"}},
            {{"Name", "surface.jpg"}, {"TextureName", "blue.bmp"}}};
  }

  // A scene of the texture list (when textures are given) followed by the
  // objects, each a key list with its own Type.
  std::string Describe(const std::vector<Keys>& objects, const std::vector<Keys>& textures) const {
    const int offset = textures.empty() ? 0 : 1;
    std::string text = "[MainScene]\nCount=" + std::to_string(objects.size() + offset) + "\n";
    if (offset) {
      text += "[MainScene1]\nType=TSceneTextureList\nName=Textures\nColorBit=32bit\nPath=" + files.Folder() +
              "\nCount=" + std::to_string(textures.size()) + "\n";
      for (size_t i = 0; i < textures.size(); ++i)
        text += "[Textures" + std::to_string(i + 1) + "]\nType=TSceneTexture\n" + Body(textures[i]);
    }
    for (size_t i = 0; i < objects.size(); ++i)
      text += "[MainScene" + std::to_string(i + 1 + offset) + "]\n" + Body(objects[i]);
    return text;
  }

  // The scene the objects describe (with the standard textures), loaded
  // from disk.
  TMainScene& Load(const std::vector<Keys>& objects) { return LoadText(Describe(objects, StandardTextures())); }
  TMainScene& LoadText(const std::string& text) {
    scene_.reset();
    files.Write("water.gsc", text);
    scene_ = NewScene();
    scene_->Path = files.Folder();
    scene_->SourceName = "water.gsc";
    scene_->SourceFlags = sfDisk;
    scene_->Load();
    return *scene_;
  }
  // One shipped water named "Blue Water", changed by changes.
  TUnderWater& LoadWater(const Keys& changes = {}) {
    Load({With(ShippedWater("Blue Water"), changes)});
    return *Water("Blue Water");
  }

  TUnderWater* Water(const std::string& name) {
    auto* water = dynamic_cast<TUnderWater*>(scene_->FindObject(name));
    EXPECT_NE(water, nullptr) << name;
    return water;
  }
  template <class T>
  T* Find(const std::string& path) {
    auto* object = dynamic_cast<T*>(scene_->FindObject(path));
    EXPECT_NE(object, nullptr) << path;
    return object;
  }

  // The view of the application's default viewport, eye at the origin,
  // in a 64 x 64 frame buffer.
  void LoadView() {
    const TFrustum f = App().Viewport().GetFrustum();
    GL.glViewport(0, 0, 64, 64);
    GL.glMatrixMode(GL_PROJECTION);
    GL.glLoadIdentity();
    GL.glFrustum(f.Left, f.Right, f.Bottom, f.Top, f.Near, f.Far + 1000);
    GL.glMatrixMode(GL_MODELVIEW);
    GL.glLoadIdentity();
  }

  scenetest::SceneFiles files;
  std::unique_ptr<TMainScene> scene_;
};

}  // namespace worldtest
