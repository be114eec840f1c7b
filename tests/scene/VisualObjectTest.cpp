// Visual objects, visual object lists and the screen-space sprite list on
// the real driver: the transforms they send (read back as the model-view
// matrix each pass of the drawable sees), what they draw into the
// offscreen frame buffer, the OpenGL state a sprite list leaves, and their
// keys through a description and back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "core/Diagnostics.h"
#include "gl/GLEntryPoints.h"
#include "scene/RenderState.h"
#include "scene/SceneClasses.h"
#include "scene/SceneValues.h"
#include "scene/SpriteList.h"
#include "scene/VisualObject.h"
#include "tests/scene/SceneTestSupport.h"
#include "tests/scene/VisualTestSupport.h"

namespace scenetest {
namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kBlack{0, 0, 0, 255};
const Bytes kRed{255, 0, 0, 255};
const Bytes kGreen{0, 255, 0, 255};
const Bytes kBlue{0, 0, 255, 255};

bool Enabled(GLenum capability) { return GL.glIsEnabled(capability) == GL_TRUE; }

int GetInt(GLenum name) {
  GLint value = 0;
  GL.glGetIntegerv(name, &value);
  return value;
}

TGLMatrix GetMatrix(GLenum name) {
  TGLMatrix m{};
  GL.glGetFloatv(name, m.data());
  return m;
}

void ExpectNear(const TGLVector& actual, const TGLVector& expected, const char* what) {
  EXPECT_NEAR(actual.x, expected.x, 1e-4f) << what;
  EXPECT_NEAR(actual.y, expected.y, 1e-4f) << what;
  EXPECT_NEAR(actual.z, expected.z, 1e-4f) << what;
}

TTestSquare* Square(const std::string& name) {
  auto* square = new TTestSquare;
  square->SetName(name);
  return square;
}

TMainVisualObject* VisualObject(const std::string& name, TMainItem* visual, TGLVector position = {}) {
  auto* object = new TMainVisualObject;
  object->SetName(name);
  object->Visual = visual;
  object->Position = position;
  return object;
}

class VisualObjects : public SceneGLTest {
 protected:
  void SetUp() override {
    SceneGLTest::SetUp();
    ResetSceneRenderState();
    GL.glViewport(0, 0, 64, 64);
    ResetMatrices();
    GL.glDisable(GL_LIGHTING);
    GL.glDisable(GL_DEPTH_TEST);
    GL.glDisable(GL_CULL_FACE);
    GL.glClearColor(0, 0, 0, 1);
    GL.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  }
  static void ResetMatrices() {
    GL.glMatrixMode(GL_PROJECTION);
    GL.glLoadIdentity();
    GL.glMatrixMode(GL_MODELVIEW);
    GL.glLoadIdentity();
  }
  Bytes At(int x, int y) {
    GL.glFinish();
    return Pixel(x, y);
  }

  ScopedSceneClass<TTestSquare> squares_{"TTestSquare"};
};

TEST(VisualOptions, TextFormsOfEverySet) {
  const char* texts[] = {"[]",      "[Position]",          "[Rotation]",       "[Position,Rotation]",
                         "[Scale]", "[Position,Scale]",    "[Rotation,Scale]", "[Position,Rotation,Scale]"};
  for (TVisualOptions options = 0; options < 8; ++options) {
    EXPECT_EQ(VisualOptionsToStr(options), texts[options]);
    EXPECT_EQ(StrToVisualOptions(texts[options]), options);
  }
  // Members are found anywhere, in any order, whatever else the text holds.
  EXPECT_EQ(StrToVisualOptions("Scale and a Position"), voPosition | voScale);
  EXPECT_EQ(StrToVisualOptions("position,rotation"), 0);  // case matters
}

TEST_F(VisualObjects, AnglesRotateAboutYThenXThenZInMatrixOrder) {
  TTestSquare square;
  TMainVisualObject object;
  object.Visual = &square;
  // The drawable's model-view matrix applied to p, for one set of values.
  auto seen = [&](TGLVector angles, TGLVector p, TVisualOptions options = voRotation, TGLVector position = {},
                  TGLVector scale = {1, 1, 1}) {
    object.Angles = angles;
    object.VisualOptions = options;
    object.Position = position;
    object.Scale = scale;
    square.Passes.clear();
    object.RenderOpaque();
    EXPECT_EQ(square.Passes.size(), 1u);
    return TransformPoint(square.Passes.at(0).modelView, p);
  };
  ExpectNear(seen({90, 0, 0}, {0, 1, 0}), {0, 0, 1}, "90 about x turns y into z");
  ExpectNear(seen({0, 90, 0}, {0, 0, 1}), {1, 0, 0}, "90 about y turns z into x");
  ExpectNear(seen({0, 0, 90}, {1, 0, 0}), {0, 1, 0}, "90 about z turns x into y");
  // y before x in matrix order: the vertex is turned about x first.
  ExpectNear(seen({90, 90, 0}, {0, 1, 0}), {1, 0, 0}, "90,90,0");
  ExpectNear(seen({90, 0, 90}, {1, 0, 0}), {0, 0, 1}, "z turns the vertex first");
  // Translation outermost, scale innermost.
  ExpectNear(seen({0, 0, 90}, {1, 0, 0}, voPosition | voRotation | voScale, {10, 20, 30}, {2, 3, 4}),
             {10, 22, 30}, "position, rotation, scale");
  // Without voScale the scale is kept but not applied.
  ExpectNear(seen({0, 0, 0}, {1, 1, 1}, voPosition | voRotation, {5, 0, 0}, {2, 3, 4}), {6, 1, 1}, "scale off");
  ExpectNear(seen({0, 0, 0}, {1, 1, 1}, voScale, {5, 0, 0}, {2, 3, 4}), {2, 3, 4}, "scale only");
  EXPECT_EQ(GetInt(GL_MODELVIEW_STACK_DEPTH), 1);
}

TEST_F(VisualObjects, OptionsFromADescriptionAndTheDoubleTransformOfAPlainRender) {
  SceneFiles files;
  auto scene = files.LoadText(R"(
[MainScene]
Count=4
[MainScene1]
Type=TTestSquare
Name=Square
Alpha=1
[MainScene2]
Type=TMainVisualObject
Name=none
VisualOptions=[]
Position=10,0,0
Visual=Square
[MainScene3]
Type=TMainVisualObject
Name=default
VisualOptions=[Scale]
Position=3,0,0
Scale=2,2,2
Visual=Square
[MainScene4]
Type=TMainVisualObject
Name=no key
Position=10,0,0
Angles=0,0,90
Scale=2,2,2
Visual=Square
)");
  auto& square = *static_cast<TTestSquare*>(scene->FindObject("Square"));
  auto* none = static_cast<TMainVisualObject*>(scene->FindObject("none"));
  auto* noKey = static_cast<TMainVisualObject*>(scene->FindObject("no key"));
  auto* scaleOnly = static_cast<TMainVisualObject*>(scene->FindObject("default"));
  EXPECT_EQ(none->VisualOptions, 0);
  EXPECT_EQ(scaleOnly->VisualOptions, voScale);
  EXPECT_EQ(noKey->VisualOptions, voPosition | voRotation);
  EXPECT_EQ(noKey->Scale, MakeVector(2, 2, 2));  // read, but not applied

  // No member: the matrix is neither saved nor changed.
  none->RenderOpaque();
  ASSERT_EQ(square.Passes.size(), 1u);
  EXPECT_EQ(square.Passes[0].depth, 1);
  EXPECT_EQ(square.Passes[0].modelView, IdentityMatrix());

  square.Passes.clear();
  noKey->RenderOpaque();
  ASSERT_EQ(square.Passes.size(), 1u);
  EXPECT_EQ(square.Passes[0].depth, 2);
  ExpectNear(TransformPoint(square.Passes[0].modelView, {1, 0, 0}), {10, 1, 0}, "no scale");

  // A plain Render: the transform around the whole and again around each
  // pass (the visual has Alpha, the object too).
  noKey->Alpha = true;
  noKey->Angles = {0, 0, 0};
  square.Passes.clear();
  noKey->Render();
  ASSERT_EQ(square.Passes.size(), 2u);
  EXPECT_EQ(square.Passes[0].pass, 'o');
  EXPECT_EQ(square.Passes[1].pass, 't');
  for (size_t i = 0; i < 2; ++i) {
    ExpectNear(square.Offset(i), {20, 0, 0}, "twice");
    EXPECT_EQ(square.Passes[i].depth, 3);
  }
  EXPECT_EQ(GetInt(GL_MODELVIEW_STACK_DEPTH), 1);
  EXPECT_EQ(GetMatrix(GL_MODELVIEW_MATRIX), IdentityMatrix());
  // Hidden: a plain Render does nothing; the passes still draw.
  noKey->SetVisible(false);
  square.Passes.clear();
  noKey->Render();
  EXPECT_TRUE(square.Passes.empty());
  noKey->RenderTransparent();
  EXPECT_EQ(square.Passes.size(), 1u);
  // Animate reaches the visual, visible or not, once per object.
  scene->FindObject("default")->Animate(0.5f);
  noKey->Animate(0.5f);
  none->Animate(0.5f);
  EXPECT_EQ(square.Animations, 3);
}

TEST_F(VisualObjects, TransformsThatAreNotFiniteDrawNothing) {
  TTestSquare square;
  square.Color = {1, 0, 0, 1};
  square.Low = {-1, -1, 0};
  square.High = {1, 1, 0};
  TMainVisualObject object;
  object.Visual = &square;
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  for (TGLVector bad : {TGLVector{nan, 0, 0}, TGLVector{0, inf, 0}}) {
    GL.glClear(GL_COLOR_BUFFER_BIT);
    object.Position = bad;
    square.Passes.clear();
    object.RenderOpaque();
    EXPECT_EQ(At(32, 32), kBlack);
    for (float v : square.Passes.at(0).modelView) EXPECT_TRUE(std::isfinite(v));
  }
  // A value of a part that is switched off does not matter.
  object.Position = {0, 0, 0};
  object.Scale = {inf, 1, 1};
  object.RenderOpaque();
  EXPECT_EQ(At(32, 32), kRed);
  EXPECT_EQ(GetInt(GL_MODELVIEW_STACK_DEPTH), 1);
}

TEST_F(VisualObjects, AListDrawsItsVisualOncePerChildInListOrder) {
  TMainScene scene;
  auto* square = static_cast<TTestSquare*>(scene.AddObject(Square("Square"), 0));
  square->Color = {0, 1, 0, 1};
  square->Low = {-0.1f, -0.1f, 0};
  square->High = {0.1f, 0.1f, 0};
  auto* list = new TMainVisualObjectList;
  list->SetName("Swarm");
  EXPECT_TRUE(list->Visible());
  scene.AddObject(list, poRender | poAnimation);
  list->Visual = square;
  list->AddItem(VisualObject("b", nullptr, {0, 0, 0}));
  list->AddItem(VisualObject("a", nullptr, {-0.5f, 0, 0}));
  auto* hidden = static_cast<TMainVisualObject*>(list->AddItem(VisualObject("c", nullptr, {0.5f, 0, 0})));
  hidden->SetVisible(false);

  scene.Process(0.25f);
  // Once per child, hidden or not, in name order, each with its transform;
  // the children's own visuals (none) play no part.
  ASSERT_EQ(square->Passes.size(), 3u);
  ExpectNear(square->Offset(0), {-0.5f, 0, 0}, "a");
  ExpectNear(square->Offset(1), {0, 0, 0}, "b");
  ExpectNear(square->Offset(2), {0.5f, 0, 0}, "c");
  EXPECT_EQ(At(16, 32), kGreen);
  EXPECT_EQ(At(32, 32), kGreen);
  EXPECT_EQ(At(48, 32), kGreen);
  EXPECT_EQ(At(24, 32), kBlack);
  // The shared visual advanced once for the list, not once per child.
  EXPECT_EQ(square->Animations, 1);
  EXPECT_FLOAT_EQ(square->Time, 0.25f);
  EXPECT_FALSE(list->Alpha);

  // A blended visual: the list takes Alpha from it and draws both passes.
  square->Alpha = true;
  square->Passes.clear();
  scene.Process(0.25f);
  EXPECT_TRUE(list->Alpha);
  EXPECT_EQ(square->Count('o'), 3);
  EXPECT_EQ(square->Count('t'), 3);
  // From a layer the transparent pass still asks the visual first.
  square->Alpha = false;
  square->Passes.clear();
  list->RenderTransparent();
  EXPECT_TRUE(square->Passes.empty());

  // Without children: nothing drawn, the visual not animated.
  list->Clear();
  square->Passes.clear();
  scene.Process(0.25f);
  EXPECT_TRUE(square->Passes.empty());
  EXPECT_EQ(square->Animations, 2);
  // Without a visual: nothing at all.
  list->AddItem(VisualObject("d", nullptr));
  list->Visual = nullptr;
  scene.Process(0.25f);
  EXPECT_TRUE(square->Passes.empty());
  EXPECT_EQ(square->Animations, 2);
  // Hidden: animates, draws nothing.
  list->Visual = square;
  list->SetVisible(false);
  scene.Process(0.25f);
  EXPECT_TRUE(square->Passes.empty());
  EXPECT_EQ(square->Animations, 3);
}

TEST_F(VisualObjects, SetSortedSwitchesBetweenNameAndInsertionOrder) {
  TTestSquare square;
  TMainVisualObjectList list;
  list.SetName("List");
  list.Visual = &square;
  list.SetSorted(false);
  for (const char* name : {"c", "a", "b"}) list.AddItem(VisualObject(name, nullptr, {float(name[0] - 'a'), 0, 0}));
  auto order = [&] {
    square.Passes.clear();
    list.RenderOpaque();
    std::string names;
    for (size_t i = 0; i < square.Passes.size(); ++i) names += char('a' + std::lround(square.Offset(i).x));
    return names;
  };
  EXPECT_EQ(order(), "cab");
  EXPECT_NE(list.FindItem("a"), nullptr);
  list.SetSorted(true);
  EXPECT_EQ(order(), "abc");
  list.SetSorted(false);
  list.AddItem(VisualObject("a0", nullptr, {-1, 0, 0}));
  EXPECT_EQ(order(), "abc`");  // appended after the others
}

// The clock of the shipped scene in small: a sprite list at 824,20 of a
// 1024 x 768 virtual screen over a 3D picture, in a 64 x 64 window.
TEST_F(VisualObjects, ASpriteListDrawsInScreenSpaceOverThe3DScene) {
  SceneFiles files;
  files.Write("clock.gsc", R"(
[MainScene]
Count=3
[MainScene1]
Type=TResource
Name=ClockResource
Count=1
[ClockResource1]
Type=TResource
Name=ClockSprites
Count=2
[ClockSprites1]
Type=TTestSquare
Name=Plate
Color=1,0,0
Low=0,0,-50
High=100,100,-50
Clockwise=1
[ClockSprites2]
Type=TTestSquare
Name=Digit
Color=0,0,1
Low=0,0,-50
High=100,100,-50
[MainScene2]
Type=TTestSquare
Name=Water
Color=0,1,0
Low=-5,-5,-1
High=5,5,-1
ProcessOptions=[Render]
[MainScene3]
Type=TMainSpriteList
Name=ClockObjects
Position=824,20,0
ProcessOptions=[Render]
Count=2
[ClockObjects1]
Type=TMainVisualObject
Name=ClockPlate
Visual=ClockResource/ClockSprites/Plate
[ClockObjects2]
Type=TMainVisualObject
Name=month
VisualOptions=[Position,Scale]
Position=0,120,0
Scale=0.5,0.5,1
Visual=ClockResource/ClockSprites/Digit
)");
  auto scene = NewScene();
  scene->Path = files.Folder();
  scene->SourceName = "clock.gsc";
  scene->Load();
  auto* sprites = static_cast<TMainSpriteList*>(scene->FindObject("ClockObjects"));
  EXPECT_EQ(sprites->ViewWidth, 1024);
  EXPECT_EQ(sprites->ViewHeight, 768);
  EXPECT_EQ(sprites->Position, MakeVector(824, 20, 0));

  // The 3D view: perspective, depth test, fog that would swallow anything
  // 20 units away or more.
  GL.glMatrixMode(GL_PROJECTION);
  GL.glFrustum(-0.5, 0.5, -0.5, 0.5, 0.5, 10);
  GL.glMatrixMode(GL_MODELVIEW);
  GL.glTranslatef(0, 0, -0.01f);
  const TGLMatrix projection = GetMatrix(GL_PROJECTION_MATRIX);
  const TGLMatrix modelView = GetMatrix(GL_MODELVIEW_MATRIX);
  GL.glEnable(GL_DEPTH_TEST);
  GL.glEnable(GL_FOG);
  const float fogColor[4] = {1, 1, 0, 1};
  GL.glFogfv(GL_FOG_COLOR, fogColor);
  GL.glFogi(GL_FOG_MODE, GL_LINEAR);
  GL.glFogf(GL_FOG_START, 2);
  GL.glFogf(GL_FOG_END, 20);
  scene->Process(0.02f);

  // Virtual x 824..924 is window x 51.5..57.75, y 20..120 is 1.7..10: the
  // plate, drawn clockwise and behind the water's depth, shows unfogged.
  EXPECT_EQ(At(54, 5), kRed);
  EXPECT_EQ(At(50, 5), kGreen);
  EXPECT_EQ(At(59, 5), kGreen);
  EXPECT_EQ(At(54, 11), kGreen);
  // The month digit at 824,140, half size: x 51.5..54.6, y 11.7..15.8.
  EXPECT_EQ(At(53, 14), kBlue);
  EXPECT_EQ(At(56, 14), kGreen);
  EXPECT_EQ(At(53, 17), kGreen);
  EXPECT_EQ(At(20, 40), kGreen);

  // Both matrices back, depth test and culling on, fog off.
  EXPECT_EQ(GetMatrix(GL_PROJECTION_MATRIX), projection);
  EXPECT_EQ(GetMatrix(GL_MODELVIEW_MATRIX), modelView);
  EXPECT_EQ(GetInt(GL_MATRIX_MODE), GL_MODELVIEW);
  EXPECT_EQ(GetInt(GL_PROJECTION_STACK_DEPTH), 1);
  EXPECT_EQ(GetInt(GL_MODELVIEW_STACK_DEPTH), 1);
  EXPECT_TRUE(Enabled(GL_DEPTH_TEST));
  EXPECT_TRUE(Enabled(GL_CULL_FACE));
  EXPECT_FALSE(Enabled(GL_FOG));
  EXPECT_FALSE(Enabled(GL_LIGHTING));
}

TEST_F(VisualObjects, AHiddenSpriteListStillSwitchesLightingAndLeavesFogOff) {
  TMainSpriteList sprites;
  sprites.SetName("Sprites");
  TTestSquare square;
  sprites.AddItem(VisualObject("child", &square));
  for (bool lighting : {true, false}) {
    sprites.Lighting = lighting;
    sprites.SetVisible(false);
    SetLighting(!lighting);
    GL.glEnable(GL_FOG);
    sprites.Render();
    EXPECT_EQ(Enabled(GL_LIGHTING), lighting);
    EXPECT_EQ(SceneLighting(), !lighting);  // the scene's flag is not touched
    EXPECT_FALSE(Enabled(GL_FOG));
    EXPECT_TRUE(Enabled(GL_DEPTH_TEST));
    EXPECT_TRUE(Enabled(GL_CULL_FACE));
    EXPECT_TRUE(square.Passes.empty());
    EXPECT_EQ(GetInt(GL_PROJECTION_STACK_DEPTH), 1);
    EXPECT_EQ(GetInt(GL_MODELVIEW_STACK_DEPTH), 1);
    // Visible, the child draws inside the virtual screen's view.
    sprites.SetVisible(true);
    sprites.Render();
    ASSERT_EQ(square.Passes.size(), 1u);
    EXPECT_EQ(square.Passes[0].depth, 3);  // the list's matrix and the child's
    square.Passes.clear();
  }
  // A view size of 0 set in code sends no degenerate projection.
  while (GL.glGetError() != GL_NO_ERROR) {
  }
  sprites.ViewWidth = 0;
  sprites.Render();
  EXPECT_EQ(GL.glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(VisualObjects, VisualsThatDrawThemselvesAreRefusedOrCutShort) {
  SceneFiles files;
  const std::string head = R"(
[MainScene]
Count=2
[MainScene1]
Type=TTestSquare
Name=Square
[MainScene2]
Type=TMainVisualObjectList
Name=List
Visual=Square
Count=2
[List1]
Type=TMainVisualObject
Name=a
Visual=Square
)";
  // A path that finds nothing leaves no visual, which draws nothing.
  auto scene = files.LoadText(head + "[List2]\nType=TMainVisualObject\nName=b\nVisual=List/nothing\n");
  auto* b = static_cast<TMainVisualObject*>(scene->FindObject("List/b"));
  EXPECT_EQ(b->Visual, nullptr);
  b->RenderOpaque();
  // A visual that draws the object itself: refused with the place named.
  EXPECT_EQ(Message([&] { files.LoadText(head + "[List2]\nType=TMainVisualObject\nName=b\nVisual=List\n"); }),
            "TMainVisualObject.ReadProperties error: Visual List would draw b inside itself (file " + files.Folder() +
                "scene.gsc, section [List2], key Visual)");
  EXPECT_NE(Message([&] { files.LoadText(head + "[List2]\nType=TMainVisualObject\nName=b\nVisual=List/b\n"); })
                .find("Visual List/b would draw b inside itself"),
            std::string::npos);
  // Showing an object that is drawn elsewhere is fine: b shows the list
  // that holds a, and a list outside both.
  EXPECT_EQ(Message([&] {
              files.LoadText(R"(
[MainScene]
Count=3
[MainScene1]
Type=TMainVisualObjectList
Name=L
Count=1
[L1]
Type=TMainVisualObject
Name=a
[MainScene2]
Type=TMainVisualObject
Name=b
Visual=L
[MainScene3]
Type=TMainVisualObject
Name=c
Visual=b
)");
            }),
            "(nothing raised)");
  // Showing the resource that holds the object, at any depth.
  EXPECT_NE(Message([&] {
              files.LoadText(R"(
[MainScene]
Count=1
[MainScene1]
Type=TResource
Name=R
Count=1
[R1]
Type=TResource
Name=inner
Count=1
[inner1]
Type=TMainVisualObject
Name=a
Visual=R
)");
            }).find("Visual R would draw a inside itself"),
            std::string::npos);

  // Loops made in code end at the nesting limit, with every matrix back.
  TTestSquare square;
  TMainVisualObject self;
  self.Visual = &self;
  self.RenderOpaque();
  self.RenderTransparent();
  self.Animate(1);
  EXPECT_EQ(GetInt(GL_MODELVIEW_STACK_DEPTH), 1);
  EXPECT_EQ(GL.glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  // A chain longer than the limit draws its end only when it is in reach.
  std::vector<std::unique_ptr<TMainVisualObject>> chain;
  TMainItem* next = &square;
  for (int i = 0; i < kMaxVisualNesting + 4; ++i) {
    chain.push_back(std::make_unique<TMainVisualObject>());
    chain.back()->Visual = next;
    next = chain.back().get();
  }
  chain[kMaxVisualNesting - 1]->RenderOpaque();
  EXPECT_EQ(square.Passes.size(), 1u);
  chain.back()->RenderOpaque();
  chain.back()->Animate(1);
  EXPECT_EQ(square.Passes.size(), 1u);
  EXPECT_EQ(square.Animations, 0);
  EXPECT_EQ(GetInt(GL_MODELVIEW_STACK_DEPTH), 1);
}

TEST(VisualObjectKeys, SaveWritesEveryKeyAndLoadsBackTheSame) {
  ScopedSceneClass<TTestSquare> squares("TTestSquare");
  SceneFiles files;
  auto scene = files.LoadText(R"(
[MainScene]
Count=3
[MainScene1]
Type=TResource
Name=Sprites
Count=1
[Sprites1]
Type=TTestSquare
Name=Plate
[MainScene2]
Type=TMainVisualObjectList
Name=Swarm
Visual=Sprites/Plate
Count=2
[Swarm1]
Type=TMainVisualObject
Name=none
VisualOptions=[]
Angles=1,2,3
[Swarm2]
Type=TMainVisualObject
Name=all
VisualOptions=[Scale,Rotation,Position]
Position=1.5,-2,3
Scale=0.5,0.5,1
Visual=Sprites/Plate
[MainScene3]
Type=TMainSpriteList
Name=Clock
Position=824,20,7
ViewWidth=640
ViewHeight=480.5
Lighting=1
ProcessOptions=[Render]
)");
  scene->SourceName = "saved.gsc";
  scene->Save();
  const std::string saved = files.Read("saved.gsc");
  auto again = files.Load("saved.gsc");
  for (TMainScene* s : {scene.get(), again.get()}) {
    auto* plate = s->FindObject("Sprites/Plate");
    auto* swarm = static_cast<TMainVisualObjectList*>(s->FindObject("Swarm"));
    EXPECT_EQ(swarm->Visual, plate);
    EXPECT_TRUE(swarm->Visible());
    auto* none = static_cast<TMainVisualObject*>(s->FindObject("Swarm/none"));
    EXPECT_EQ(none->VisualOptions, 0);
    EXPECT_EQ(none->Angles, MakeVector(1, 2, 3));
    EXPECT_EQ(none->Visual, nullptr);
    auto* all = static_cast<TMainVisualObject*>(s->FindObject("Swarm/all"));
    EXPECT_EQ(all->VisualOptions, voPosition | voRotation | voScale);
    EXPECT_EQ(all->Position, MakeVector(1.5f, -2, 3));
    EXPECT_EQ(all->Scale, MakeVector(0.5f, 0.5f, 1));
    EXPECT_EQ(all->Visual, plate);
    auto* clock = static_cast<TMainSpriteList*>(s->FindObject("Clock"));
    EXPECT_EQ(clock->Position, MakeVector(824, 20, 7));
    EXPECT_EQ(clock->ViewWidth, 640);
    EXPECT_EQ(clock->ViewHeight, 480.5f);
    EXPECT_TRUE(clock->Lighting);
    EXPECT_EQ(s->RenderList()->GetCount(), 1);
  }
  EXPECT_NE(saved.find("Name=none\r\nVisualOptions=[]\r\nPosition=0,0,0\r\nScale=1,1,1\r\nAngles=1,2,3\r\n"),
            std::string::npos)
      << saved;
  EXPECT_NE(saved.find("VisualOptions=[Position,Rotation,Scale]\r\n"), std::string::npos);
  EXPECT_NE(saved.find("Visual=Sprites/Plate\r\nCapacity="), std::string::npos) << saved;
  EXPECT_NE(saved.find("ViewHeight=480.5\r\nLighting=1\r\n"), std::string::npos) << saved;
  // A second save writes the same text.
  again->SourceName = "again.gsc";
  again->Save();
  EXPECT_EQ(files.Read("again.gsc"), saved);

  // A view size that cannot make a projection becomes 1.
  TDiagnostics sink;
  TDiagnosticsScope scope(sink);
  auto flat = files.LoadText("[MainScene]\nCount=1\n[MainScene1]\nType=TMainSpriteList\nName=S\nViewHeight=-0\n");
  EXPECT_EQ(dynamic_cast<TMainSpriteList*>(flat->FindObject("S"))->ViewHeight, 1.0f);
  ASSERT_EQ(sink.Problems().size(), 1u);
  EXPECT_EQ(sink.Problems()[0].Where.Key, "ViewHeight");
  EXPECT_EQ(sink.Problems()[0].Reason, "ViewHeight -0 is not above 0, so it makes no projection; 1 is used");
}

TEST(VisualObjectKeys, RegisteredInTheirPlaces) {
  const std::vector<std::string> names = SceneClassNames();
  auto at = [&](const char* name) { return std::find(names.begin(), names.end(), name) - names.begin(); };
  ASSERT_LT(at("TMainVisualObjectList"), static_cast<std::ptrdiff_t>(names.size()));
  EXPECT_EQ(at("TMainVisualObjectList"), at("TMainVisualObject") + 1);
  EXPECT_LT(at("TResource"), at("TMainVisualObject"));
  EXPECT_LT(at("TMainVisualObjectList"), at("TMainSpriteList"));
  for (const char* name : {"TMainVisualObject", "TMainVisualObjectList", "TMainSpriteList"})
    EXPECT_STREQ(CreateSceneObject(name, "x")->ClassName(), name);
  for (const char* hidden : {"TSceneParticle", "TSceneParticleList"}) EXPECT_EQ(CreateSceneObject(hidden, "x"), nullptr);
}

}  // namespace
}  // namespace scenetest
