// The settings form showing the world: the carried archive's scene loaded
// through OnStart and drawn frame after frame offscreen, the same scene
// read from a folder of loose files, the background mode over two
// monitors, the dialog controls filled in the program role, the world
// and scene freed at the end, a film whose frames differ, and every setting
// the scene and the world store surviving a restart of the program.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/SettingsForm.h"
#include "app/Toolkit.h"
#include "assets/ResourceReader.h"
#include "assets/WinSoundDevice.h"
#include "gl/GLEntryPoints.h"
#include "program/WorldForm.h"
#include "scene/MainScene.h"
#include "scene/SceneSoundList.h"
#include "scene/SceneTexture.h"
#include "tests/app/JpegDecode.h"
#include "tests/app/ShellTestSupport.h"
#include "tests/assets/AssetsTestSupport.h"
#include "tests/scene/SceneTestSupport.h"
#include "world/FishRender.h"
#include "world/Fishes.h"
#include "world/FormWorld.h"
#include "world/GLClock.h"
#include "world/UnderWater.h"
#include "world/UnderWaterWorld.h"
#include "world/WatchClock.h"

namespace worldtest {
namespace {

using namespace velmora;

// The form counts the fillings of its dialog controls.
class CountingForm : public TFormSettings {
 public:
  CountingForm() : TFormSettings(true) {}
  void FillDialogControls() override {
    ++Fillings;
    ReadyWhileFilling = static_cast<TFormWorld*>(Scene())->ControlsReady;
  }
  int Fillings = 0;
  bool ReadyWhileFilling = true;
};

class FormWorld : public ::testing::Test, protected shelltest::PlatformFakes {
 protected:
  void SetUp() override {
    Application().Reset();
    Application().SetArguments({"velmora"});
    system.executablePath = "/opt/velmora/velmora";
    UseWorldForm();
  }
  void TearDown() override {
    form.reset();
    // The waves the scene's sounds loaded, from wherever this test read them.
    SoundDevice().Clear();
    SetFormSceneMaker(nullptr);
    ResourceReader().DataFolder.clear();
    ResourceReader().FreeArchive();
    Application().Reset();
  }
  void Make(int width = 160, int height = 120) {
    SoundDevice().Clear();
    form = std::make_unique<CountingForm>();
    app = form->GLScreenSaver();
    form->GLWindow()->SetBounds(0, 0, width, height);
    form->Show();
  }
  void Frame() {
    bool done = true;
    app->Idle(nullptr, done);
  }
  // Frames until OpenGL runs and then some more, 50 ms apart.
  bool Run(int frames) {
    for (int i = 0; i < 10 && !app->GLStarted(); ++i) Frame();
    for (int i = 0; i < frames; ++i) {
      clock.Advance(50);
      Frame();
    }
    return app->GLStarted();
  }
  TFormWorld& Side() { return *static_cast<TFormWorld*>(form->Scene()); }
  std::string Errors() {
    std::string text;
    for (const auto& m : dialogs.messages) text += m.text + "\n";
    return text;
  }
  // The distinct colours of a grid of pixels over the frame.
  std::set<uint32_t> Colours(int width, int height) {
    std::set<uint32_t> colours;
    GL.glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (int y = 4; y < height; y += 12)
      for (int x = 4; x < width; x += 12) {
        uint8_t p[4] = {};
        GL.glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
        colours.insert(uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2]);
      }
    return colours;
  }

  std::unique_ptr<CountingForm> form;
  TGLScreenSaver* app = nullptr;
};

TEST_F(FormWorld, TheCarriedSceneLoadsThroughOnStartAndDraws) {
  Make();
  ASSERT_TRUE(Run(20)) << Errors();
  EXPECT_EQ(Errors(), "");
  TFormWorld& side = Side();
  ASSERT_NE(side.Scene, nullptr);
  ASSERT_NE(side.World, nullptr);
  EXPECT_EQ(side.Scene->SourceFlags, sfArchive);
  EXPECT_EQ(side.Scene->Path, app->ExeDir());
  EXPECT_NE(side.Clock, nullptr);
  EXPECT_NE(side.ClockSkin, nullptr);
  ASSERT_EQ(side.World->Waters.size(), 3u);
  EXPECT_EQ(side.World->FishEnvironments.size(), 2u);
  EXPECT_EQ(side.World->WaterBackgroundIndex(), 0);
  EXPECT_TRUE(side.World->Waters[0].second->Visible());
  EXPECT_EQ(side.World->GetBubbleCount(), 50);
  EXPECT_EQ(side.World->BackgroundMode(), 1);
  EXPECT_EQ(dynamic_cast<TGLClock*>(side.Scene->FindObject("GLClock"))->TimeText, "12:40");
  EXPECT_EQ(GL.glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  // Water, fish, bubbles and clocks: far more than one colour.
  EXPECT_GT(Colours(160, 120).size(), 20u);
  // The dialog controls were filled once, in the program role.
  EXPECT_EQ(form->Fillings, 1);
  EXPECT_FALSE(form->ReadyWhileFilling);
  EXPECT_TRUE(side.ControlsReady);

  // The end frees the world and the scene before the context goes.
  app->Stop();
  EXPECT_EQ(side.World, nullptr);
  EXPECT_EQ(side.Scene, nullptr);
}

// The world's side of the form that notes the pointer's shape while the
// options are read, the last step of the start, after the scene loaded.
class CursorWatchingWorld : public TFormWorld {
 public:
  CursorWatchingWorld(TFormSettings& form, platform::FakeDialogs& dialogs) : TFormWorld(form), dialogs_(dialogs) {}
  void LoadOptions() override {
    ShapesWhileLoading.push_back(dialogs_.cursorShape);
    TFormWorld::LoadOptions();
  }
  std::vector<platform::CursorShape> ShapesWhileLoading;

 private:
  platform::FakeDialogs& dialogs_;
};

TEST_F(FormWorld, TheStartShowsTheBusyCursorInTheProgramsOwnWindowOnly) {
  using platform::CursorShape;
  SetFormSceneMaker([](TFormSettings& f) -> std::unique_ptr<TFormScene> {
    auto& fake = static_cast<platform::FakeDialogs&>(platform::Get<platform::Dialogs>());
    return std::make_unique<CursorWatchingWorld>(f, fake);
  });
  Make();
  ASSERT_TRUE(Run(2)) << Errors();
  auto& side = *static_cast<CursorWatchingWorld*>(form->Scene());
  ASSERT_NE(side.Scene, nullptr);
  EXPECT_EQ(side.ShapesWhileLoading, (std::vector<CursorShape>{CursorShape::Busy}));
  EXPECT_EQ(dialogs.cursorShapes, (std::vector<CursorShape>{CursorShape::Busy, CursorShape::Default}));
  EXPECT_EQ(dialogs.cursorShape, CursorShape::Default);

  // A start that fails puts the arrow back too.
  assets_test::TempDir empty;
  UseDataArchive(empty.Path());
  form.reset();
  dialogs.cursorShapes.clear();
  Make();
  EXPECT_NE(scenetest::Message([&] { Run(1); }).find("ravavezaz.gsc"), std::string::npos);
  EXPECT_EQ(dialogs.cursorShapes, (std::vector<CursorShape>{CursorShape::Busy, CursorShape::Default}));
  ResourceReader().DataFolder.clear();  // the carried archive again

  // The preview draws into the host's window: its pointer is left alone.
  form.reset();
  dialogs.cursorShapes.clear();
  Application().SetArguments({"velmora", "/p", "1234"});
  form = std::make_unique<CountingForm>();
  app = form->GLScreenSaver();
  ASSERT_EQ(app->Role(), srPreview);
  // The scene loads; the options then show the window in the host's,
  // which the offscreen driver of the tests cannot make (it raises that).
  const std::string error = scenetest::Message([&] { form->Scene()->Start(); });
  EXPECT_TRUE(error == "(nothing raised)" || error.find("Host windows need the X11 video system") != std::string::npos)
      << error;
  EXPECT_NE(static_cast<CursorWatchingWorld*>(form->Scene())->Scene, nullptr);
  EXPECT_TRUE(dialogs.cursorShapes.empty());
}

TEST_F(FormWorld, SwitchesOfTheRunChooseTheWater) {
  TCustomApplicationPro::OptionOverrides().Set("WaterBackgroundIndex", "2");
  Make();
  ASSERT_TRUE(Run(3)) << Errors();
  TCustomApplicationPro::OptionOverrides().Clear();
  EXPECT_EQ(Side().World->WaterBackgroundIndex(), 2);
  EXPECT_TRUE(Side().World->Waters[2].second->Visible());
  EXPECT_FALSE(Side().World->Waters[0].second->Visible());
}

TEST_F(FormWorld, AFolderOfLooseFilesStandsInForTheArchive) {
  // The carried archive's files, the description changed to show the
  // digital clock in 12-hour mode.
  assets_test::TempDir dir;
  TResourceFileReader& reader = ResourceReader();
  reader.Source = TResourceSource::rsArchiveResource;
  reader.ArchiveName = "data.rfa";
  reader.LoadArchive();
  TResourceFileArchive& archive = *reader.Archive();
  for (int i = 0; i < archive.Count(); ++i) {
    TMemoryStream content;
    archive.Entries(i).Decompress(content);
    std::string bytes(reinterpret_cast<const char*>(content.Memory()), size_t(content.Size()));
    if (archive.Entries(i).Name == kSceneFileName) {
      const size_t at = bytes.find("Mode=1");
      ASSERT_NE(at, std::string::npos);
      bytes.replace(at, 6, "Mode=2");
    }
    std::ofstream(dir.Path() + "/" + archive.Entries(i).Name, std::ios::binary) << bytes;
  }
  UseDataArchive(dir.Path());
  Make();
  ASSERT_TRUE(Run(3)) << Errors();
  EXPECT_EQ(Errors(), "");
  EXPECT_EQ(Side().Scene->SourceFlags, sfDisk);
  auto* clock = dynamic_cast<TGLClock*>(Side().Scene->FindObject("GLClock"));
  ASSERT_NE(clock, nullptr);
  EXPECT_EQ(clock->Mode(), 2);
  EXPECT_EQ(clock->TimeText, "p12:40");
  EXPECT_EQ(Side().World->Waters.size(), 3u);
  EXPECT_EQ(GL.glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  // A folder without the description is an error that says so.
  assets_test::TempDir empty;
  UseDataArchive(empty.Path());
  form.reset();
  dialogs.messages.clear();
  Make();
  EXPECT_EQ(scenetest::Message([&] { Run(1); }),
            "TFileStream.Create error: Cannot open file \"" + empty.Path() + "/ravavezaz.gsc\": No such file or directory");
}

TEST_F(FormWorld, TheBackgroundSpansTheMonitorsOnlyInTheSideBySideView) {
  platform::FakeDisplay display;
  display.monitors = {{0, 0, 1024, 768}, {1024, 0, 1024, 768}};
  platform::ScopedService<platform::Display> displayService{&display};
  Make();
  ASSERT_TRUE(Run(2)) << Errors();
  TFormWorld& side = Side();
  EXPECT_EQ(side.BackgroundModeNow(), 1);  // not full screen
  form->GLDisplay()->SetFullScreen(true);
  ASSERT_TRUE(form->GLDisplay()->FullScreen());
  form->GLWindow()->Monitor = 1;
  EXPECT_EQ(side.BackgroundModeNow(), 1);
  form->GLWindow()->Monitor = 2;  // the view of monitors 0 and 1 side by side
  EXPECT_EQ(side.BackgroundModeNow(), 2);
  ASSERT_TRUE(Run(2)) << Errors();
  EXPECT_EQ(side.World->BackgroundMode(), 2);
  EXPECT_EQ(side.World->Waters[0].second->BackgroundMode, 2);
  display.monitors.resize(1);
  ASSERT_TRUE(Run(2)) << Errors();
  EXPECT_EQ(side.World->BackgroundMode(), 1);
}

// A short film of the carried scene: every frame a picture of the water,
// each one different from the one before (fish swim, bubbles rise, light
// and caustics move), though the clocks show the same time.
TEST_F(FormWorld, AFilmOfTheCarriedSceneChangesFromFrameToFrame) {
  Make(320, 240);
  ASSERT_TRUE(Run(2)) << Errors();
  assets_test::TempDir dir;
  app->SnapshotsEnabled = true;
  app->RecordFilm(1, 4, dir.Path() + "/Film.jpg");
  EXPECT_EQ(Errors(), "");
  std::vector<testjpeg::Decoded> frames(4);
  for (int i = 0; i < 4; ++i) {
    std::ifstream file(dir.Path() + "/Film0000" + std::to_string(i + 1) + ".jpg", std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_TRUE(testjpeg::DecodeJpeg(bytes, frames[size_t(i)])) << i;
    ASSERT_EQ(frames[size_t(i)].width, 320);
    ASSERT_EQ(frames[size_t(i)].height, 240);
  }
  for (int i = 1; i < 4; ++i) {
    const testjpeg::Decoded &a = frames[size_t(i - 1)], &b = frames[size_t(i)];
    int changed = 0;
    for (size_t k = 0; k < a.rgb.size(); k += 3)
      changed += std::abs(a.rgb[k] - b.rgb[k]) + std::abs(a.rgb[k + 1] - b.rgb[k + 1]) +
                     std::abs(a.rgb[k + 2] - b.rgb[k + 2]) >
                 30;
    // More than the encoder's noise: at least one pixel in a hundred.
    EXPECT_GT(changed, 320 * 240 / 100) << "frames " << i << " and " << i + 1;
  }
  // The blue water at the top corners.
  for (int x : {4, 315}) {
    const uint8_t* p = frames[0].Pixel(x, 4);
    EXPECT_GT(p[2], p[0] + 60) << x;
  }
}

// Every setting the scene and the world keep, changed, saved and read back
// by the next start of the program.
TEST_F(FormWorld, TheSettingsOfTheSceneAndTheWorldSurviveARestart) {
  Make();
  ASSERT_TRUE(Run(2)) << Errors();
  {
    TFormWorld& side = Side();
    TUnderWaterWorld& world = *side.World;
    world.SetWaterBackgroundIndex(1);
    world.SetFishTypeIndex(1);
    world.SetFishCount(9);
    world.SetBubbleCount(33);
    world.SetUseLights(false);
    world.SetUseCaustic(false);
    world.SetFishCaustic(false);
    world.SetFishDirection(1);
    world.EmulateDepth = false;
    world.UseBackground = false;
    dynamic_cast<TMainObject*>(side.Scene->FindObject("FreshWater/Trout"))->SetVisible(false);
    side.Scene->SetShowFPS(true);
    side.Clock->SetVisible(false);
    side.ClockSkin->SetFileIndex(3);
    auto* clock = dynamic_cast<TGLClock*>(side.Scene->FindObject("GLClock"));
    clock->SetMode(2);
    clock->Color = {200, 100, 50, 255};
    auto* sounds = dynamic_cast<TSceneSoundList*>(side.Scene->FindObject("Sounds"));
    sounds->SetSoundVolume(35);
    sounds->FindSound("Bubbles Sound - 2")->SetVolume(20);
    sounds->FindSound("Bubbles Sound - 1")->SetVisible(false);
    app->SaveOptions();
  }
  form.reset();

  Make();
  ASSERT_TRUE(Run(2)) << Errors();
  EXPECT_EQ(Errors(), "");
  TFormWorld& side = Side();
  const TUnderWaterWorld& world = *side.World;
  EXPECT_EQ(world.WaterBackgroundIndex(), 1);
  EXPECT_TRUE(world.Waters[1].second->Visible());
  EXPECT_FALSE(world.Waters[0].second->Visible());
  EXPECT_FALSE(world.Waters[1].second->UseLights);
  EXPECT_FALSE(world.Waters[1].second->UseCaustic);
  EXPECT_FALSE(world.Waters[1].second->EmulateDepth);
  EXPECT_FALSE(world.Waters[1].second->UseBackground);
  EXPECT_EQ(world.FishTypeIndex(), 1);
  auto* fresh = dynamic_cast<TFishRender*>(side.Scene->FindObject("FreshWater"));
  EXPECT_TRUE(fresh->Visible());
  EXPECT_FALSE(fresh->FishCaustic);
  EXPECT_EQ(fresh->FishDirection, TFishDirection(1));
  EXPECT_EQ(world.FishCount(), 9);
  EXPECT_FALSE(dynamic_cast<TMainObject*>(side.Scene->FindObject("FreshWater/Trout"))->Visible());
  // Nine fish over the two fish lists still shown, in the environment's
  // (name) order.
  EXPECT_EQ(dynamic_cast<TFishes*>(side.Scene->FindObject("FreshWater/Carp"))->ParticleCount(), 5);
  EXPECT_EQ(dynamic_cast<TFishes*>(side.Scene->FindObject("FreshWater/Perch"))->ParticleCount(), 4);
  EXPECT_EQ(world.GetBubbleCount(), 33);
  EXPECT_TRUE(side.Scene->ShowFPS());
  EXPECT_FALSE(side.Clock->Visible());
  EXPECT_EQ(side.ClockSkin->GetFileIndex(), 3);
  EXPECT_EQ(side.ClockSkin->TextureName, "Purple.jpg");
  auto* clock = dynamic_cast<TGLClock*>(side.Scene->FindObject("GLClock"));
  EXPECT_EQ(clock->Mode(), 2);
  EXPECT_EQ(clock->Color, (TGLColorBytes{200, 100, 50, 255}));
  auto* sounds = dynamic_cast<TSceneSoundList*>(side.Scene->FindObject("Sounds"));
  EXPECT_EQ(sounds->SoundVolume(), 35);
  EXPECT_EQ(sounds->FindSound("Bubbles Sound - 2")->Volume(), 20);
  EXPECT_FALSE(sounds->FindSound("Bubbles Sound - 1")->Visible());
  EXPECT_TRUE(sounds->FindSound("Bubbles Sound - 2")->Visible());
}

}  // namespace
}  // namespace worldtest
