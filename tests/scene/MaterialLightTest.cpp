// Scene materials and lights: material groups from their keys, the checks
// on counts and group keys, the write-back; light styles with the OpenGL
// state each leaves (read back with glGetLight), the light-number pool when
// it runs out, lights switched by Enabled on every frame, the colour lights
// hand on to unlit drawing, and a lit quad.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gl/Light.h"
#include "gl/Material.h"
#include "gl/Primitive.h"
#include "scene/MainLight.h"
#include "scene/SceneClasses.h"
#include "scene/SceneSprite.h"
#include "scene/SceneValues.h"
#include "tests/scene/MeshTestSupport.h"

namespace scenetest {
namespace {

using Floats = std::vector<float>;

Floats Color(const TGLColor& c) { return {c.r, c.g, c.b, c.a}; }

Floats LightValue(int number, GLenum name, int count) {
  Floats v(4);
  GL.glGetLightfv(GL_LIGHT0 + number, name, v.data());
  v.resize(static_cast<size_t>(count));
  return v;
}

Floats GetFloats(GLenum name, int count) {
  Floats v(16);
  GL.glGetFloatv(name, v.data());
  v.resize(static_cast<size_t>(count));
  return v;
}

bool LightOn(int number) { return GL.glIsEnabled(GL_LIGHT0 + number) == GL_TRUE; }

// The scene graph's classes keep their fixed order in the registry, the
// ones of this folder among them, and each makes its own class.
TEST(SceneRegistry, MaterialsMeshesLightsAndSpritesInTheirPlaces) {
  const std::vector<std::string> order = {
      "TMainItemList", "TMainObjectList", "TMainScene", "TResource", "TSceneTexture", "TSceneTextureList",
      "TSceneMaterial", "TSceneMaterialList", "TSceneMesh", "TSceneMeshList", "TMainVisualObject",
      "TMainVisualObjectList", "TMainLight", "TSceneSprite", "TMainSpriteList", "TSceneFont", "TSceneString",
      "TSceneText", "TSceneSound", "TSceneSoundList"};
  std::vector<std::string> registered;
  for (const std::string& name : SceneClassNames())
    if (std::find(order.begin(), order.end(), name) != order.end()) registered.push_back(name);
  std::vector<std::string> expected;
  for (const std::string& name : order)
    if (std::find(registered.begin(), registered.end(), name) != registered.end()) expected.push_back(name);
  EXPECT_EQ(registered, expected);
  for (const char* name : {"TSceneMaterial", "TSceneMaterialList", "TSceneMesh", "TSceneMeshList", "TMainLight",
                           "TSceneSprite"}) {
    auto object = CreateSceneObject(name, "x");
    ASSERT_NE(object, nullptr) << name;
    EXPECT_STREQ(object->ClassName(), name);
  }
  EXPECT_TRUE(CreateSceneObject("TSceneSprite", "x")->Visible());
  EXPECT_FALSE(CreateSceneObject("TSceneMeshList", "x")->Visible());
  EXPECT_FALSE(CreateSceneObject("TSceneMaterialList", "x")->Visible());
}

const char* const kMaterials = R"(
[MainScene]
Count=1
[MainScene1]
Type=TSceneMaterialList
Name=Materials
Count=3
[Materials1]
Type=TSceneMaterial
Name=Puzir01
Count=1
UseVertexColor=1
Ambient1=1,1,1,0.7
Diffuse1=0,0,0,0.7
Specular1=1,1,1,0.7
Emission1=0.2,0.25,0.3,0.7
Shininess1=60
[Materials2]
Type=TSceneMaterial
Name=Two
Count=2
UseVertexColor=0
Diffuse1=1,0,0,0.99
VertexColor1=0.5,0.5
Front1=0
Back1=1
[Materials3]
Type=TSceneMaterial
Name=Empty
)";

TEST(SceneMaterials, GroupsFromKeysDefaultsThresholdAndWriteBack) {
  SceneFiles files;
  auto scene = files.LoadText(kMaterials);
  auto* bubble = dynamic_cast<TSceneMaterial*>(scene->FindObject("Materials/Puzir01"));
  auto* two = dynamic_cast<TSceneMaterial*>(scene->FindObject("Materials/Two"));
  auto* empty = dynamic_cast<TSceneMaterial*>(scene->FindObject("Materials/Empty"));
  ASSERT_TRUE(bubble && two && empty);
  EXPECT_FALSE(scene->FindObject("Materials")->Visible());

  ASSERT_EQ(bubble->GroupCount(), 1);
  const TGroupMaterial& glass = *bubble->GetGroup(0);
  EXPECT_EQ(glass.Index, 0);
  EXPECT_EQ(glass.Material, bubble);
  EXPECT_EQ(Color(glass.GLMaterial->Ambient()), (Floats{1, 1, 1, 0.7f}));
  EXPECT_EQ(Color(glass.GLMaterial->Diffuse()), (Floats{0, 0, 0, 0.7f}));
  EXPECT_EQ(Color(glass.GLMaterial->Emission()), (Floats{0.2f, 0.25f, 0.3f, 0.7f}));
  EXPECT_EQ(glass.GLMaterial->Shininess(), 60);
  EXPECT_TRUE(glass.IsTransparent());

  // Keys only for group 1: group 2 has the OpenGL layer's defaults.
  ASSERT_EQ(two->GroupCount(), 2);
  EXPECT_FALSE(two->UseVertexColor);
  const TGroupMaterial& first = *two->GetGroup(0);
  EXPECT_FALSE(first.IsTransparent());  // 0.99 is opaque
  EXPECT_EQ(Color(first.VertexColor), (Floats{0.5f, 0.5f, 1, 1}));
  EXPECT_FALSE(first.GLMaterial->FrontFace());
  EXPECT_TRUE(first.GLMaterial->BackFace());
  const TGroupMaterial& second = *two->GetGroup(1);
  EXPECT_EQ(second.Index, 1);
  EXPECT_EQ(Color(second.GLMaterial->Ambient()), (Floats{0.2f, 0.2f, 0.2f, 1}));
  EXPECT_EQ(Color(second.GLMaterial->Diffuse()), (Floats{0.8f, 0.8f, 0.8f, 1}));
  EXPECT_EQ(Color(second.GLMaterial->Specular()), (Floats{0, 0, 0, 0}));
  EXPECT_EQ(second.GLMaterial->Shininess(), 0);
  EXPECT_TRUE(second.GLMaterial->FrontFace());
  EXPECT_FALSE(second.GLMaterial->BackFace());
  EXPECT_EQ(Color(second.VertexColor), (Floats{1, 1, 1, 1}));
  EXPECT_EQ(empty->GroupCount(), 0);
  EXPECT_EQ(Message([&] { empty->GetGroup(0); }),
            "TSceneMaterial.GetGroup error: List index out of bounds (0) in material Empty of 0 groups");

  // 0.98 is the first value below the threshold.
  two->GetGroup(1)->GLMaterial->SetDiffuse({1, 1, 1, 0.98f});
  EXPECT_TRUE(two->GetGroup(1)->IsTransparent());
  two->GetGroup(1)->GLMaterial->SetDiffuse({1, 1, 1, 0.8f});

  scene->SourceName = "saved.gsc";
  scene->Save();
  const std::string saved = files.Read("saved.gsc");
  EXPECT_NE(saved.find("Count=2\r\nUseVertexColor=0\r\nAmbient1=0.2,0.2,0.2,1\r\nDiffuse1=1,0,0,0.99\r\n"),
            std::string::npos)
      << saved;
  auto again = files.Load("saved.gsc");
  for (const char* path : {"Materials/Puzir01", "Materials/Two", "Materials/Empty"}) {
    auto* before = dynamic_cast<TSceneMaterial*>(scene->FindObject(path));
    auto* after = dynamic_cast<TSceneMaterial*>(again->FindObject(path));
    ASSERT_TRUE(after) << path;
    ASSERT_EQ(after->GroupCount(), before->GroupCount()) << path;
    EXPECT_EQ(after->UseVertexColor, before->UseVertexColor);
    for (int i = 0; i < before->GroupCount(); ++i) {
      const TGLMaterial& a = *before->GetGroup(i)->GLMaterial;
      const TGLMaterial& b = *after->GetGroup(i)->GLMaterial;
      EXPECT_EQ(Color(a.Ambient()), Color(b.Ambient()));
      EXPECT_EQ(Color(a.Diffuse()), Color(b.Diffuse()));
      EXPECT_EQ(Color(a.Specular()), Color(b.Specular()));
      EXPECT_EQ(Color(a.Emission()), Color(b.Emission()));
      EXPECT_EQ(a.Shininess(), b.Shininess());
      EXPECT_EQ(a.FrontFace(), b.FrontFace());
      EXPECT_EQ(a.BackFace(), b.BackFace());
      EXPECT_EQ(Color(before->GetGroup(i)->VertexColor), Color(after->GetGroup(i)->VertexColor));
    }
  }
}

TEST(SceneMaterials, CountsAndGroupKeysOutOfRangeNameFileAndKey) {
  SceneFiles files;
  auto load = [&](const std::string& keys) {
    return Message([&] {
      files.LoadText("[MainScene]\nCount=1\n[MainScene1]\nType=TSceneMaterialList\nName=M\nCount=1\n"
                     "[M1]\nType=TSceneMaterial\nName=Glass\n" +
                     keys);
    });
  };
  const std::string file = files.File("scene.gsc");
  EXPECT_EQ(load("Count=1\nDiffuse2=1,1,1,0.5\n"),
            "TSceneMaterial.ReadProperties error: Key Diffuse2 is for group 2, but Count is 1 (file " + file +
                ", section [M1], key Diffuse2)");
  EXPECT_EQ(load("shininess0=3\n"),
            "TSceneMaterial.ReadProperties error: Key shininess0 is for group 0, but Count is 0 (file " + file +
                ", section [M1], key shininess0)");
  EXPECT_EQ(load("Count=-1\n"), "TSceneMaterial.ReadProperties error: Count -1 is out of range 0..1000 (file " +
                                    file + ", section [M1], key Count)");
  EXPECT_EQ(load("Count=1001\n"), "TSceneMaterial.ReadProperties error: Count 1001 is out of range 0..1000 (file " +
                                      file + ", section [M1], key Count)");
  // A shininess OpenGL refuses is brought into range (SceneValueFitTest).
  EXPECT_EQ(load("Count=1\nShininess1=129\n"), "(nothing raised)");
  // Keys that only begin like group keys are not group keys.
  EXPECT_EQ(load("Count=1\nDiffuseMap=x.jpg\nBackground2=1\nSpecular1234567890x=1\n"), "(nothing raised)");
  EXPECT_EQ(load("Count=1\nFront12345678901=1\n"),
            "TSceneMaterial.ReadProperties error: Key Front12345678901 is for group 12345678901, but Count is 1 (file " +
                file + ", section [M1], key Front12345678901)");
}

// --- lights -----------------------------------------------------------------

TEST(MainLights, StyleNamesMatchInTheirOrder) {
  EXPECT_EQ(StrToLightStyle("ParallelPoint"), lsParallelPoint);
  EXPECT_EQ(StrToLightStyle("Parallel"), lsParallel);
  EXPECT_EQ(StrToLightStyle("a Point light"), lsPoint);
  EXPECT_EQ(StrToLightStyle("Directional"), lsDirectional);
  EXPECT_EQ(StrToLightStyle("Spot"), lsAmbient);
  EXPECT_EQ(StrToLightStyle(""), lsAmbient);
  EXPECT_EQ(StrToLightStyle("parallel"), lsAmbient);  // case-sensitive
  for (TLightStyle style : {lsParallel, lsParallelPoint, lsPoint, lsDirectional, lsAmbient})
    EXPECT_EQ(StrToLightStyle(LightStyleToStr(style)), style);

  TMainLight outside;
  EXPECT_EQ(Message([&] { outside.CreateGLLight(); }), "TMainLight.CreateGLLight error: MainScene is nil!");
}

using Lights = DrawingTest;

const char* const kLights = R"(
[MainScene]
Count=6
[MainScene1]
Type=TMainLight
Name=Sun
ProcessOptions=[Render]
LightStyle=Parallel
Diffuse=1,0.5,0.25,1
Direction=0,-1,0
[MainScene2]
Type=TMainLight
Name=Lamp
ProcessOptions=[Render]
LightStyle=ParallelPoint
Direction=0,0,-1
[MainScene3]
Type=TMainLight
Name=Bulb
ProcessOptions=[Render]
LightStyle=Point
Position=10,20,30
LinearAttenuation=0.5
[MainScene4]
Type=TMainLight
Name=Spot
ProcessOptions=[Render]
LightStyle=Directional
Position=1,2,3
Direction=0,0,-1
SpotCutoff=30
SpotExponent=4
[MainScene5]
Type=TMainLight
Name=Sky
ProcessOptions=[Render]
Ambient=0.1,0.2,0.3,1
TwoSide=1
LocalViewer=0
[MainScene6]
Type=TMainLight
Name=Off
ProcessOptions=[Render]
Enabled=0
LightStyle=Parallel
)";

TEST_F(Lights, StylesPresetsAndTheOpenGLStateTheyLeave) {
  Load(kLights);
  auto* sun = Find<TMainLight>("Sun");
  auto* lamp = Find<TMainLight>("Lamp");
  auto* bulb = Find<TMainLight>("Bulb");
  auto* spot = Find<TMainLight>("Spot");
  auto* sky = Find<TMainLight>("Sky");
  auto* off = Find<TMainLight>("Off");
  ASSERT_TRUE(sun && lamp && bulb && spot && sky && off);
  EXPECT_EQ(sky->LightStyle(), lsAmbient);  // no LightStyle key
  ASSERT_NE(sun->GLLight(), nullptr);       // made while reading
  EXPECT_TRUE(sun->GLLight()->Directional());
  EXPECT_FALSE(bulb->GLLight()->Directional());
  EXPECT_EQ(bulb->GLLight()->SpotCutoff(), 180);

  scene_->Process(0.02f);
  // Lights take numbers in render order; the disabled one takes none.
  EXPECT_EQ(sun->GLLight()->LightIndex(), 0);
  EXPECT_EQ(lamp->GLLight()->LightIndex(), 1);
  EXPECT_EQ(bulb->GLLight()->LightIndex(), 2);
  EXPECT_EQ(spot->GLLight()->LightIndex(), 3);
  EXPECT_FALSE(off->GLLight()->Enabled());
  for (int n = 0; n < 4; ++n) EXPECT_TRUE(LightOn(n)) << n;
  EXPECT_FALSE(LightOn(4));

  // Parallel: at infinity, shining along Direction; no spot, no attenuation.
  EXPECT_EQ(LightValue(0, GL_POSITION, 4), (Floats{0, 1, 0, 0}));
  EXPECT_EQ(LightValue(0, GL_DIFFUSE, 4), (Floats{1, 0.5f, 0.25f, 1}));
  EXPECT_EQ(LightValue(0, GL_SPOT_CUTOFF, 1)[0], 180);
  EXPECT_EQ(LightValue(0, GL_CONSTANT_ATTENUATION, 1)[0], 1);
  EXPECT_EQ(LightValue(1, GL_POSITION, 4), (Floats{0, 0, 1, 0}));
  // Point: at its position, attenuated.
  EXPECT_EQ(LightValue(2, GL_POSITION, 4), (Floats{10, 20, 30, 1}));
  EXPECT_EQ(LightValue(2, GL_LINEAR_ATTENUATION, 1)[0], 0.5f);
  // Directional: positional with a spot cone.
  EXPECT_EQ(LightValue(3, GL_POSITION, 4), (Floats{1, 2, 3, 1}));
  EXPECT_EQ(LightValue(3, GL_SPOT_DIRECTION, 3), (Floats{0, 0, -1}));
  EXPECT_EQ(LightValue(3, GL_SPOT_CUTOFF, 1)[0], 30);
  EXPECT_EQ(LightValue(3, GL_SPOT_EXPONENT, 1)[0], 4);
  // Ambient: the global ambient light; its light model switches came last.
  EXPECT_EQ(GetFloats(GL_LIGHT_MODEL_AMBIENT, 4), (Floats{0.1f, 0.2f, 0.3f, 1}));
  GLint twoSide = -1, localViewer = -1;
  GL.glGetIntegerv(GL_LIGHT_MODEL_TWO_SIDE, &twoSide);
  GL.glGetIntegerv(GL_LIGHT_MODEL_LOCAL_VIEWER, &localViewer);
  EXPECT_EQ(twoSide, 1);
  EXPECT_EQ(localViewer, 0);
  // The last light to switch on leaves its colour for unlit drawing.
  EXPECT_EQ(Color(CurrentColor()), (Floats{0.1f, 0.2f, 0.3f, 1}));

  // Switching the ambient light off puts the global ambient light back.
  sky->Enabled = false;
  scene_->Process(0.02f);
  EXPECT_EQ(GetFloats(GL_LIGHT_MODEL_AMBIENT, 4), (Floats{0, 0, 0, 1}));
  EXPECT_EQ(Color(CurrentColor()), Color(spot->GLLight()->Diffuse()));

  // A new style remakes the light object with its preset.
  bulb->SetLightStyle(lsParallelPoint);
  EXPECT_EQ(bulb->GLLight(), nullptr);
  bulb->CreateGLLight();
  EXPECT_TRUE(bulb->GLLight()->Directional());
  EXPECT_EQ(bulb->GLLight()->LinearAttenuation(), 0);
}

TEST_F(Lights, DisabledLightsGoOffEveryFrameAndTheWorldSwitchesThem) {
  Load(kLights);
  auto* off = Find<TMainLight>("Off");
  auto* sun = Find<TMainLight>("Sun");
  scene_->Process(0.02f);
  // Other code switches the light object on; the next frame switches it off
  // and hands its number back.
  off->GLLight()->Enable();
  const int number = off->GLLight()->LightIndex();
  EXPECT_EQ(number, 4);
  EXPECT_TRUE(LightOn(number));
  scene_->Process(0.02f);
  EXPECT_FALSE(LightOn(number));
  EXPECT_FALSE(off->GLLight()->Enabled());
  EXPECT_EQ(OpenGL().Lights()->UsedLights() & (1u << number), 0u);

  // The world picks lights by Enabled alone; Visible does not matter.
  sun->Enabled = false;
  off->Enabled = true;
  off->SetVisible(false);
  scene_->Process(0.02f);
  EXPECT_FALSE(sun->GLLight()->Enabled());
  EXPECT_TRUE(off->GLLight()->Enabled());
  EXPECT_EQ(off->GLLight()->LightIndex(), 0);  // the number the sun handed back
  EXPECT_TRUE(LightOn(0));
  // Enable and Disable called by code set Enabled as well.
  off->Disable();
  EXPECT_FALSE(off->Enabled);
  scene_->Process(0.02f);
  EXPECT_FALSE(off->GLLight()->Enabled());
}

TEST_F(Lights, ThePoolOfLightNumbersRunsOut) {
  GLint max = 0;
  GL.glGetIntegerv(GL_MAX_LIGHTS, &max);
  std::string text = "[MainScene]\nCount=" + std::to_string(max + 1) + "\n";
  for (int i = 1; i <= max + 1; ++i)
    text += "[MainScene" + std::to_string(i) + "]\nType=TMainLight\nName=L" + std::to_string(i) +
            "\nProcessOptions=[Render]\nLightStyle=Point\n";
  Load(text);
  scene_->Process(0.02f);
  for (int i = 1; i <= max; ++i) EXPECT_EQ(Find<TMainLight>("L" + std::to_string(i))->GLLight()->LightIndex(), i - 1);
  auto* extra = Find<TMainLight>("L" + std::to_string(max + 1));
  // Every number taken: the last light shares GL_LIGHT0.
  EXPECT_EQ(extra->GLLight()->LightIndex(), 0);
  EXPECT_TRUE(extra->GLLight()->Enabled());
  // Switching it off leaves GL_LIGHT0 on for its owner.
  extra->Enabled = false;
  scene_->Process(0.02f);
  EXPECT_TRUE(LightOn(0));
  EXPECT_EQ(OpenGL().Lights()->UsedLights(), (max >= 32 ? ~0u : (1u << max) - 1));
  // A number handed back goes to the next light that asks.
  Find<TMainLight>("L3")->Enabled = false;
  scene_->Process(0.02f);
  extra->Enabled = true;
  scene_->Process(0.02f);
  EXPECT_EQ(extra->GLLight()->LightIndex(), 2);
  EXPECT_TRUE(LightOn(2));
}

TEST_F(Lights, KeysOutOfRangeAndTheWriteBack) {
  auto error = [&](const std::string& key) {
    return Message([&] {
      Load("[MainScene]\nCount=1\n[MainScene1]\nType=TMainLight\nName=L\nLightStyle=Point\n" + key + "\n");
    });
  };
  // Values OpenGL refuses become the nearest it takes (SceneValueFitTest).
  testing::internal::CaptureStderr();
  for (const char* key : {"SpotExponent=-1", "QuadraticAttenuation=-0.5", "SpotCutoff=90", "SpotCutoff=100"})
    EXPECT_EQ(error(key), "(nothing raised)") << key;
  EXPECT_NE(testing::internal::GetCapturedStderr().find("key SpotCutoff)"), std::string::npos);
  EXPECT_EQ(Find<TMainLight>("L")->GLLight()->SpotCutoff(), 90.0f);

  Load(kLights);
  scene_->SourceName = "saved.gsc";
  scene_->Save();
  const std::string saved = files.Read("saved.gsc");
  EXPECT_NE(saved.find("Name=Off\r\nProcessOptions=[Render]\r\nEnabled=0\r\nLightStyle=Parallel\r\nInfinite=1\r\n"),
            std::string::npos)
      << saved;
  auto again = files.Load("saved.gsc");
  for (const char* name : {"Sun", "Lamp", "Bulb", "Spot", "Sky", "Off"}) {
    auto* a = Find<TMainLight>(name);
    auto* b = dynamic_cast<TMainLight*>(again->FindObject(name));
    ASSERT_TRUE(b) << name;
    EXPECT_EQ(a->LightStyle(), b->LightStyle()) << name;
    EXPECT_EQ(a->Enabled, b->Enabled) << name;
    EXPECT_EQ(a->TwoSide, b->TwoSide) << name;
    EXPECT_EQ(a->LocalViewer, b->LocalViewer) << name;
    const TGLLight& x = *a->GLLight();
    const TGLLight& y = *b->GLLight();
    EXPECT_EQ(x.Directional(), y.Directional()) << name;
    EXPECT_EQ(Color(x.Ambient()), Color(y.Ambient())) << name;
    EXPECT_EQ(Color(x.Diffuse()), Color(y.Diffuse())) << name;
    EXPECT_EQ(Color(x.Specular()), Color(y.Specular())) << name;
    EXPECT_EQ(SceneVectorToStr(x.Position()), SceneVectorToStr(y.Position())) << name;
    EXPECT_EQ(SceneVectorToStr(x.SpotDirection()), SceneVectorToStr(y.SpotDirection())) << name;
    EXPECT_EQ(x.SpotCutoff(), y.SpotCutoff()) << name;
    EXPECT_EQ(x.SpotExponent(), y.SpotExponent()) << name;
    EXPECT_EQ(x.LinearAttenuation(), y.LinearAttenuation()) << name;
  }
}

// A white quad facing the viewer, lit: a light rendered before it colours
// it, a light switched off leaves it dark.
TEST_F(Lights, ALightColoursTheMeshesRenderedAfterIt) {
  Load(R"(
[MainScene]
Count=2
[MainScene1]
Type=TMainLight
Name=Sun
ProcessOptions=[Render]
LightStyle=Parallel
Diffuse=1,0.5,0,1
Direction=0,0,-1
[MainScene2]
Type=TSceneMaterialList
Name=Materials
Count=1
[Materials1]
Type=TSceneMaterial
Name=White
Count=1
Ambient1=0,0,0,1
Diffuse1=1,1,1,1
)");
  auto* sun = Find<TMainLight>("Sun");
  auto* mesh = new TSceneMesh;
  mesh->SetName("quad");
  scene_->AddObject(mesh, 0);
  mesh->Material = Find<TSceneMaterial>("Materials/White");
  TGLPrimitive& quad = *mesh->AddGroup(0, 0, nullptr)->Primitive;
  const float corners[] = {0, 0, 0, 64, 0, 0, 64, 64, 0, 0, 64, 0};
  quad.Vertices.LoadFromArray(corners);
  const uint16_t indices[] = {0, 1, 2, 0, 2, 3};
  quad.Indices.LoadFromArray(indices);
  quad.CalcNormals();

  auto frame = [&] {
    StartFrame();
    scene_->Process(0);
    StartFrame();
    SetLighting(true);
    Draw(*mesh);
    SetLighting(false);
    return PixelAt(32, 32);
  };
  const std::vector<int> lit = frame();
  EXPECT_NEAR(lit[0], 255, 2);
  EXPECT_NEAR(lit[1], 128, 2);
  EXPECT_NEAR(lit[2], 0, 2);
  sun->Enabled = false;
  EXPECT_EQ(frame(), (std::vector<int>{0, 0, 0}));
}

}  // namespace
}  // namespace scenetest
