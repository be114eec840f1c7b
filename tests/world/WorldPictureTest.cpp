// A small complete underwater scene - a water with its light, bubbles, two
// fish environments, both clocks - read by the real loader from a
// description with generated pictures and meshes, given the user's options
// by the world, and drawn offscreen frame after frame. The pixels show the
// water, the bubble and the fish where their algorithms put them, the
// analogue clock's face and minute hand, and the digital clock's digits;
// what stands in front of the analogue clock hides its face and hands.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "core/Random.h"
#include "platform/Service.h"
#include "platform/fake/FakeLocalTime.h"
#include "scene/Particles.h"
#include "tests/world/ClockTestSupport.h"
#include "tests/world/WorldTestSupport.h"
#include "world/Bubbles.h"
#include "world/FishRender.h"
#include "world/Fishes.h"
#include "world/UnderWaterWorld.h"

namespace worldtest {
namespace {

constexpr int kWidth = 256, kHeight = 192;

// A 3DM mesh of one rectangle (x from x0 to x1, y from y0 to y1, at z,
// facing +z) with one white, glowing material showing the picture, at the
// opacity (percent).
std::string Rectangle3DM(const std::string& material, const std::string& picture, double x0, double x1, double y0,
                         double y1, int opacity = 100, double z = 0) {
  const std::string colour = "255 255 255";
  auto v = [z](double x, double y) {
    return "[" + std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(z) + "]\n";
  };
  return "#MaterialStandard 12\nName " + material + "\nShaderType 1 Blinn\nTwoSided FALSE\nOpacity " +
         std::to_string(opacity) + "\nGlossiness 0\nSpecularLevel 0\nAmbient (color " + colour + ")\nDiffuse (color " +
         colour + ")\nSpecular (color 0 0 0)\nselfIllumColor (color " + colour +
         ")\nDiffuseMap " + picture + "\nOpacityMap undefined\n"
         "#Object 1\nName " + material + "\n#Vertices 4\n" + v(x0, y0) + v(x1, y0) + v(x1, y1) + v(x0, y1) +
         "#TextureCoords 4\n[0,0,0]\n[1,0,0]\n[1,1,0]\n[0,1,0]\n#VertexFaces 2\n[1,2,3]\n[1,3,4]\n"
         "#TextureCoordFaces 2\n[1,2,3]\n[1,3,4]\n#Material 1\nName " + material + "\n#FaceMatID 2\n1\n1\n";
}

// Where the point of the clock (at z = -2900) 400 units out at 240 degrees
// - along the minute hand at 12:40 - is seen at depth z.
TGLVector SeenOverTheHand(double z) {
  const double a = 240 * 3.14159265358979 / 180, k = -z / 2900.0;
  return {static_cast<float>(400 * std::sin(a) * k), static_cast<float>(400 * std::cos(a) * k), static_cast<float>(z)};
}

class WorldPicture : public WaterGLTest {
 protected:
  void SetUp() override {
    WindowWidth = kWidth;
    WindowHeight = kHeight;
    WaterGLTest::SetUp();
    files.Write("skin.bmp", SkinBmp());
    files.Write("magenta.bmp", SolidBmp(255, 0, 255));
    files.Write("yellow.bmp", SolidBmp(255, 255, 0));
    files.Write("black.bmp", SolidBmp(0, 0, 0));
    files.Write("bubble.3dm", Rectangle3DM("Bubble", "magenta.bmp", -40, 40, -40, 40));
    files.Write("fish.3dm", Rectangle3DM("Fish", "yellow.bmp", -300, 300, -150, 150));
    files.Write("face.3dm", Rectangle3DM("Face", "red.bmp", -1000, 1000, -1000, 1000));
    // The hand lies in the face's plane: the clock keeps it in front.
    files.Write("minute.3dm", Rectangle3DM("Minute", "black.bmp", -60, 60, 0, 900, 90));
    // Squares in front of the clock and behind it, seen over the minute
    // hand 400 units out from the clock's centre.
    for (const auto& [name, z] : {std::pair{"Near", -2000.0}, std::pair{"Far", -3500.0}}) {
      const TGLVector c = SeenOverTheHand(z);
      files.Write(std::string(name) + ".3dm",
                  Rectangle3DM(name, "yellow.bmp", c.x - 60, c.x + 60, c.y - 60, c.y + 60, 100, z));
    }
  }
  void TearDown() override {
    world.reset();
    WaterGLTest::TearDown();
  }

  std::string Description() const {
    std::vector<Keys> textures = StandardTextures();
    textures.push_back({{"Name", "skin.bmp"}, {"TextureName", "skin.bmp"}});
    const std::vector<Keys> objects = {
        {{"Type", "TSceneMaterialList"}, {"Name", "Materials"}, {"Count", "1"}},
        {{"Type", "TSceneMeshList"}, {"Name", "Meshes"}, {"Path", files.Folder()}, {"Materials", "Materials"},
         {"Textures", "Textures"}, {"Count", "6"}},
        {{"Type", "TMainLight"}, {"Name", "Blue Light"}, {"ProcessOptions", "[Render]"}, {"Enabled", "1"},
         {"LightStyle", "Parallel"}, {"Position", "0.3,1,0.5"}, {"Direction", "-0.3,-1,-0.5"}},
        With(ShippedWater("Blue Water"), {{"Light", "Blue Light"}}),
        {{"Type", "TFishRender"}, {"Name", "SaltWater"}, {"ProcessOptions", "[Render,Animation]"}, {"Alpha", "1"},
         {"Count", "1"}},
        {{"Type", "TFishRender"}, {"Name", "FreshWater"}, {"ProcessOptions", "[Render,Animation]"}, {"Alpha", "1"},
         {"Visible", "0"}, {"Count", "1"}},
        // Drawn before the clock, as the fish are.
        {{"Type", "TMainVisualObject"}, {"Name", "Near"}, {"ProcessOptions", "[Render]"}, {"Visible", "0"},
         {"Visual", "Meshes/Near.3dm"}},
        {{"Type", "TMainVisualObject"}, {"Name", "Far"}, {"ProcessOptions", "[Render]"}, {"Visible", "0"},
         {"Visual", "Meshes/Far.3dm"}},
        {{"Type", "TWatchClock"}, {"Name", "Clock"}, {"ProcessOptions", "[Render,Animation]"}, {"Alpha", "1"},
         {"VisualOptions", "[Position]"}, {"Position", "0,0,-2900"}, {"ClockFace", "Meshes/face.3dm"},
         {"MinHand", "Meshes/minute.3dm"}},
        {{"Type", "TBubbles"}, {"Name", "Bubbles"}, {"ProcessOptions", "[Render,Animation]"}, {"Alpha", "1"},
         {"Visual", "Meshes/bubble.3dm"}, {"ParticleCount", "10"}, {"MaxCount", "1000"}, {"MinZ", "1500"},
         {"MaxZ", "2500"}, {"MaxSpeed", "100"}, {"MinSpeed", "50"}, {"BottomY", "-3000"}, {"UpY", "5000"}},
        {{"Type", "TResource"}, {"Name", "ClockResource"}, {"Count", "2"}},
        {{"Type", "TGLClock"}, {"Name", "GLClock"}, {"ProcessOptions", "[Render,Animation]"}, {"Alpha", "1"},
         {"Sprites", "ClockResource/Sprites"}, {"Objects", "ClockResource/Objects"}, {"Mode", "1"}},
    };
    std::string text = Describe(objects, textures);
    text += ClockMaterialSection(1);
    const char* meshes[] = {"bubble.3dm", "fish.3dm", "face.3dm", "minute.3dm", "Near.3dm", "Far.3dm"};
    for (int i = 0; i < 6; ++i)
      text += "[Meshes" + std::to_string(i + 1) + "]\nType=TSceneMesh\nName=" + meshes[i] +
              "\nSourceName=" + meshes[i] + "\n";
    auto fishes = [](const std::string& section, const std::string& name) {
      return "[" + section + "]\nType=TFishes\nName=" + name +
             "\nAlpha=1\nVisual=Meshes/fish.3dm\nFishType=Fish\nMaxZ=4000\nMinZ=1500\nUpY=1500\nBottomY=-1500\n"
             "MaxSpeed=300\nMinSpeed=200\nMaxCount=60\nParticleCount=5\n";
    };
    text += fishes("SaltWater1", "Yellow Fish") + fishes("FreshWater1", "Other Fish");
    text += ClockResourceSections("Textures/skin.bmp", "Materials/ClockSprite", kWidth, kHeight);
    return text;
  }

  void Start() {
    RandSeed(2024);
    LoadText(Description());
    scene_->Application = &App();
    world = std::make_unique<TUnderWaterWorld>(&App(), scene_.get());
    App().WriteOptionInteger("FishCount", 1);
    App().WriteOptionInteger("BubbleCount", 12);
    App().WriteOptionString("FishDirection", "Right");
    scene_->LoadOptions();
    world->LoadOptions();
  }
  // One frame of the scene in the application's view, 50 ms on.
  void Frame() {
    const TFrustum f = App().Viewport().GetFrustum();
    GL.glViewport(0, 0, kWidth, kHeight);
    GL.glClearColor(0, 0, 0, 1);
    GL.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    GL.glMatrixMode(GL_PROJECTION);
    GL.glLoadIdentity();
    GL.glFrustum(f.Left, f.Right, f.Bottom, f.Top, f.Near, f.Far);
    GL.glMatrixMode(GL_MODELVIEW);
    GL.glLoadIdentity();
    scene_->Process(0.05f);
    GL.glFinish();
  }
  // Where a point of the world lands in the frame (pixels from the lower
  // left); false behind the viewer.
  bool Project(const TGLVector& p, int& x, int& y) {
    if (p.z >= -1) return false;
    const TFrustum f = App().Viewport().GetFrustum();
    const double sx = f.Near * p.x / -p.z / f.Right, sy = f.Near * p.y / -p.z / f.Top;
    x = static_cast<int>(std::lround((sx * 0.5 + 0.5) * kWidth));
    y = static_cast<int>(std::lround((sy * 0.5 + 0.5) * kHeight));
    return true;
  }
  bool Inside(int x, int y, int margin) {
    return x >= margin && y >= margin && x < kWidth - margin && y < kHeight - margin;
  }
  std::vector<int> RGB(int x, int y) {
    std::vector<uint8_t> p = Pixel(x, y);
    return {p[0], p[1], p[2]};
  }
  // The pixel of the clock's face at a turn clockwise from 12 o'clock and
  // a distance from its centre (clock units).
  std::vector<int> OnTheClock(double degrees, double radius) {
    const double a = degrees * 3.14159265358979 / 180;
    int x = 0, y = 0;
    Project({static_cast<float>(radius * std::sin(a)), static_cast<float>(radius * std::cos(a)), -2900}, x, y);
    return RGB(x, y);
  }

  platform::FakeLocalTime time{12, 40, 15};
  platform::ScopedService<platform::LocalTime> timeService{&time};
  std::unique_ptr<TUnderWaterWorld> world;
};

TEST_F(WorldPicture, EverythingAppearsWhereItsAlgorithmPutsIt) {
  Start();
  auto* bubbles = Find<TBubbles>("Bubbles");
  auto* fishes = Find<TFishes>("SaltWater/Yellow Fish");
  ASSERT_EQ(bubbles->ParticleCount(), 12);
  ASSERT_EQ(fishes->ParticleCount(), 1);
  EXPECT_EQ(Find<TFishes>("FreshWater/Other Fish")->ParticleCount(), 1);
  EXPECT_FALSE(Find<TFishRender>("FreshWater")->Visible());

  // Frames until the fish and the bubble are well inside the picture and
  // clear of the clocks (the face in the middle, the digits at the lower
  // left).
  auto clear = [&](int x, int y) {
    return Inside(x, y, 8) && (std::abs(x - kWidth / 2) > 60 || std::abs(y - kHeight / 2) > 60) &&
           (x > 48 || y > 48);
  };
  int fishX = -1, fishY = -1, bubbleX = -1, bubbleY = -1;
  bool fishSeen = false, bubbleSeen = false;
  for (int frame = 0; frame < 400 && !(fishSeen && bubbleSeen); ++frame) {
    Frame();
    int x = 0, y = 0;
    if (!fishSeen && Project(fishes->Particles(0)->Position, x, y) && clear(x, y)) {
      fishSeen = true;
      fishX = x;
      fishY = y;
      const std::vector<int> p = RGB(x, y);
      EXPECT_GT(p[0], 150) << x << "," << y;
      EXPECT_GT(p[1], 150) << x << "," << y;
      EXPECT_LT(p[2], 100) << x << "," << y;
    }
    for (int i = 0; i < bubbles->ParticleCount() && !bubbleSeen; ++i) {
      if (!Project(bubbles->Particles(i)->Position, x, y) || !clear(x, y)) continue;
      bubbleSeen = true;
      bubbleX = x;
      bubbleY = y;
      const std::vector<int> p = RGB(x, y);
      EXPECT_GT(p[0], 150) << x << "," << y;
      EXPECT_LT(p[1], 100) << x << "," << y;
      EXPECT_GT(p[2], 150) << x << "," << y;
    }
  }
  EXPECT_TRUE(fishSeen);
  EXPECT_TRUE(bubbleSeen);
  SCOPED_TRACE("fish at " + std::to_string(fishX) + "," + std::to_string(fishY) + ", bubble at " +
               std::to_string(bubbleX) + "," + std::to_string(bubbleY));

  // The water: blue above everything, at the upper corners.
  for (int x : {6, kWidth - 6}) {
    const std::vector<int> p = RGB(x, kHeight - 6);
    EXPECT_GT(p[2], p[0] + 40) << x;
    EXPECT_GT(p[2], 100) << x;
  }
  // The analogue clock at 12:40:15: its red face, its dark minute hand
  // turned 240 degrees clockwise from 12.
  for (double degrees : {150.0, 60.0, 330.0}) {
    const std::vector<int> p = OnTheClock(degrees, 600);
    EXPECT_GT(p[0], 200) << degrees;
    EXPECT_LT(p[1], 60) << degrees;
  }
  const std::vector<int> hand = OnTheClock(240, 600);
  EXPECT_LT(hand[0], 80);
  // The digital clock: 12:40 on Wednesday 05/08.
  EXPECT_EQ(CellOfRed(RGB(4, 4)[0]), 1);
  EXPECT_EQ(CellOfRed(RGB(12, 4)[0]), 2);
  EXPECT_EQ(CellOfRed(RGB(28, 4)[0]), 4);
  EXPECT_EQ(CellOfRed(RGB(36, 4)[0]), 0);
  EXPECT_EQ(CellOfRed(RGB(12, 20)[0]), 5);
  EXPECT_EQ(CellOfRed(RGB(36, 20)[0]), 8);
  EXPECT_EQ(CellOfRed(RGB(4, 36)[0]), 13);
  EXPECT_EQ(GL.glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(WorldPicture, WhatStandsInFrontOfTheClockHidesItsFaceAndHands) {
  Start();
  world->SetFishCount(0);
  world->SetBubbleCount(0);
  Find<TMainObject>("Near")->SetVisible(true);
  Frame();
  Frame();
  // The near square over the hand, whose pass comes later; the hand beyond
  // it, and the face around, as before.
  const std::vector<int> near = OnTheClock(240, 400);
  EXPECT_GT(near[0], 200);
  EXPECT_GT(near[1], 200);
  EXPECT_LT(near[2], 80);
  const std::vector<int> hand = OnTheClock(240, 600);
  EXPECT_LT(hand[0], 80);
  EXPECT_LT(hand[1], 80);
  for (double degrees : {150.0, 60.0}) {
    const std::vector<int> face = OnTheClock(degrees, 400);
    EXPECT_GT(face[0], 200) << degrees;
    EXPECT_LT(face[1], 60) << degrees;
  }
  // Behind the clock, a square is hidden by the face and the hand.
  Find<TMainObject>("Near")->SetVisible(false);
  Find<TMainObject>("Far")->SetVisible(true);
  Frame();
  EXPECT_LT(OnTheClock(240, 400)[1], 80);
  EXPECT_EQ(GL.glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
}  // namespace worldtest
