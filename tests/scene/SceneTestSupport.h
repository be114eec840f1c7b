// Helpers of the scene tests.
//
// TTestProbe: a scene object that logs every per-frame call it gets
// ("name:animate", "name:opaque", ...) and reads and writes one key of each
// value kind, registered as "TTestProbe" next to the scene graph's classes
// for every test of the executable (SceneTestMain.cpp).
//
// ScopedSceneClass<T>: a class registered for one test (or one fixture) and
// taken back when it goes - the earlier factory of that name put back in
// its place, or the name unregistered - so that no test leaves a class
// behind for the tests after it in the same program.
//
// SceneFiles: a temporary folder in which a test writes descriptions and
// loads a scene from one of them.
//
// SceneGLTest: an application object of the shell (fake option store) with
// its rendering context active on a hidden window of the real driver
// (SDL's offscreen driver under CTest), so that scenes render and their
// OpenGL state can be read back.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/GLApplication.h"
#include "app/Toolkit.h"
#include "core/Error.h"
#include "gl/OpenGL.h"
#include "platform/Service.h"
#include "platform/Window.h"
#include "platform/fake/FakeSettingsStore.h"
#include "scene/MainScene.h"
#include "scene/ResourceLoader.h"
#include "scene/SceneClasses.h"
#include "tests/assets/AssetsTestSupport.h"

namespace scenetest {

using namespace velmora;

template <class T>
class ScopedSceneClass {
 public:
  explicit ScopedSceneClass(std::string typeName)
      : typeName_(std::move(typeName)), previous_(FindSceneClass(typeName_)) {
    RegisterSceneClass<T>(typeName_);
  }
  ~ScopedSceneClass() {
    if (previous_)
      RegisterSceneClass(typeName_, previous_);
    else
      UnregisterSceneClass(typeName_);
  }
  ScopedSceneClass(const ScopedSceneClass&) = delete;
  ScopedSceneClass& operator=(const ScopedSceneClass&) = delete;

 private:
  std::string typeName_;
  TSceneClassFactory previous_;
};

inline std::vector<std::string>& Log() {
  static std::vector<std::string> log;
  return log;
}

class TTestProbe : public TMainSceneObject {
 public:
  ~TTestProbe() override { ++Destroyed(); }
  static int& Destroyed() {
    static int count = 0;
    return count;
  }

  const char* ClassName() const override { return "TTestProbe"; }

  void ProcessEvents(float) override { Log().push_back(Name() + ":events"); }
  void Animate(float deltaTime) override {
    Log().push_back(Name() + ":animate");
    Time += deltaTime;
  }
  void RenderOpaque() override { Log().push_back(Name() + ":opaque"); }
  void RenderTransparent() override { Log().push_back(Name() + ":transparent"); }

  void ReadProperties(TResourceLoader& loader) override {
    TMainSceneObject::ReadProperties(loader);
    Flag = loader.ReadBool("Flag", Flag);
    Steps = loader.ReadInteger("Steps", Steps);
    Speed = loader.ReadFloat("Speed", Speed);
    Label = loader.ReadString("Label", Label);
    Tint = loader.ReadColor("Tint", Tint);
    Fog = loader.ReadColorBytes("Fog", Fog);
    Offset = loader.ReadVector("Offset", Offset);
    Target = loader.ReadReference("Target", Target);
    Image = loader.ReadFileName("Image", Directory, Image);
  }
  void WriteProperties(TResourceLoader& loader) override {
    TMainSceneObject::WriteProperties(loader);
    loader.WriteBool("Flag", Flag);
    loader.WriteInteger("Steps", Steps);
    loader.WriteFloat("Speed", Speed);
    if (!Label.empty()) loader.WriteString("Label", Label);  // an empty value would read back as " "
    loader.WriteColor("Tint", Tint);
    loader.WriteColorBytes("Fog", Fog);
    loader.WriteVector("Offset", Offset);
    if (Target) loader.WriteReference("Target", Target);
    loader.WriteFileName("Image", Directory, Image);
  }

  bool Flag = false;
  int32_t Steps = 0;
  float Speed = 0;
  std::string Label;
  TGLColor Tint{1, 1, 1, 1};
  TGLColorBytes Fog{255, 255, 255, 255};
  TGLVector Offset;
  TMainObject* Target = nullptr;
  std::string Image;
  std::string Directory = ".\\Images\\";
  float Time = 0;
};

// A probe made in code.
inline TTestProbe* Probe(const std::string& name, TProcessOptions options = 0) {
  auto* probe = new TTestProbe;
  probe->SetName(name);
  probe->ProcessOptions = options;
  return probe;
}

// The error text of f, or "(nothing raised)".
inline std::string Message(const std::function<void()>& f) {
  try {
    f();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "(nothing raised)";
}

class SceneFiles {
 public:
  // Writes text as name in the folder; returns the full path.
  std::string Write(const std::string& name, const std::string& text) const { return dir_.Write(name, text); }
  std::string Write(const std::string& name, const assets_test::Bytes& bytes) const { return dir_.Write(name, bytes); }
  std::string Read(const std::string& name) const { return assets_test::ToText(dir_.Read(name)); }
  std::string File(const std::string& name) const { return dir_.File(name); }
  // The folder as a scene Path (with its trailing separator).
  std::string Folder() const { return dir_.Path() + "/"; }

  // A scene read from the file name in the folder (disk only).
  std::unique_ptr<TMainScene> Load(const std::string& name) const {
    auto scene = std::make_unique<TMainScene>();
    scene->Path = Folder();
    scene->SourceName = name;
    scene->SourceFlags = sfDisk;
    scene->Load();
    return scene;
  }
  // The same from text written first.
  std::unique_ptr<TMainScene> LoadText(const std::string& text, const std::string& name = "scene.gsc") const {
    Write(name, text);
    return Load(name);
  }

 private:
  assets_test::TempDir dir_;
};

class SceneGLTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Application().Reset();
    app_ = std::make_unique<TCustomGLApplication>(nullptr);
    app_->Title = "Velmora";
    app_->Company = "Ostrevin";
    platform::WindowRequest request;
    request.title = "Velmora scene test";
    request.bounds = platform::Rect{0, 0, WindowWidth, WindowHeight};
    request.visible = false;
    window_ = platform::Get<platform::Windows>().Create(request);
    app_->OpenGL()->Activate(*window_);
    ASSERT_TRUE(app_->OpenGL()->Active()) << "no OpenGL context (is SDL_VIDEODRIVER=offscreen set?)";
  }
  void TearDown() override {
    if (app_) app_->OpenGL()->Deactivate();
    app_.reset();
    window_.reset();
    Application().Reset();
  }

  // A scene on this application.
  std::unique_ptr<TMainScene> NewScene() {
    auto scene = std::make_unique<TMainScene>();
    scene->Application = app_.get();
    return scene;
  }
  TCustomGLApplication& App() { return *app_; }
  TCustomOpenGL& OpenGL() { return *app_->OpenGL(); }

  // RGBA bytes of one pixel of the frame buffer.
  std::vector<uint8_t> Pixel(int x, int y) {
    std::vector<uint8_t> rgba(4);
    GL.glPixelStorei(GL_PACK_ALIGNMENT, 1);
    GL.glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
  }

  // The hidden window's size; a fixture may change it before SetUp.
  int WindowWidth = 64;
  int WindowHeight = 64;
  platform::FakeSettingsStore store_;
  platform::ScopedService<platform::SettingsStore> storeService_{&store_};

 private:
  std::unique_ptr<TCustomGLApplication> app_;
  std::unique_ptr<platform::NativeWindow> window_;
};

}  // namespace scenetest
