#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <random>

#include "app/GLApplication.h"
#include "app/SettingsForm.h"
#include "core/Error.h"
#include "core/Strings.h"
#include "platform/KeyCodes.h"
#include "tests/app/JpegDecode.h"
#include "tests/app/ShellTestSupport.h"

using namespace velmora;
using platform::Message;
using platform::MessageKind;

// ---------------------------------------------------------------------------
// Rules that need no rendering context: viewport aspect, frustum, display
// changes, close requests, options.

namespace {

struct AppFixture : ::testing::Test, shelltest::ShellFakes {
  std::unique_ptr<TFormSettings> form;
  TGLScreenSaver* app = nullptr;

  void Make(std::vector<std::string> args = {"velmora"}) {
    Application().SetArguments(std::move(args));
    form = std::make_unique<TFormSettings>();
    app = form->GLScreenSaver();
  }
  void TearDown() override { form.reset(); }
};

}  // namespace

TEST(DefViewport, CameraAndFrustumDefaults) {
  TDefViewport vp(nullptr);
  EXPECT_FLOAT_EQ(vp.Camera().Position.Z, -0.00005f);
  EXPECT_FLOAT_EQ(vp.Camera().Direction.Z, -1.0f);
  EXPECT_FLOAT_EQ(vp.Camera().Up.Y, 1.0f);
  TOpenGLCamera camera;
  EXPECT_FLOAT_EQ(camera.Position.Z, 200.0f);

  TFrustum f = vp.GetFrustum();
  const double top = std::tan(37.5 * std::numbers::pi / 180.0) * 100.0;
  EXPECT_NEAR(f.Top, top, 1e-9);
  EXPECT_NEAR(f.Bottom, -top, 1e-9);
  EXPECT_NEAR(f.Right, double(4.0f / 3.0f) * top, 1e-9);
  EXPECT_NEAR(f.Left, -f.Right, 1e-12);
  EXPECT_EQ(f.Near, 100.0);
  EXPECT_EQ(f.Far, 10000.0);
  vp.WideScreen = true;
  EXPECT_NEAR(vp.GetFrustum().Right, double(16.0f / 9.0f) * top, 1e-9);
  // Stretch wins over the wide screen.
  vp.Stretch = true;
  EXPECT_NEAR(vp.GetFrustum().Right, double(4.0f / 3.0f) * top, 1e-9);
  EXPECT_NEAR(vp.Frustum().Right, double(4.0f / 3.0f) * top, 1e-9);
}

TEST_F(AppFixture, WideWindowTurnsSixteenByNineOnForGood) {
  Make();
  form->GLWindow()->SetBounds(0, 0, 1920, 1080);
  form->Show();
  TDefViewport& vp = app->Viewport();
  vp.Apply();
  ASSERT_NE(vp.GLViewport(), nullptr);
  EXPECT_TRUE(vp.WideScreen);
  EXPECT_EQ(vp.GLViewport()->Width, 1920);
  const auto& fr = vp.GLViewport()->Frustum;
  EXPECT_NEAR(fr[1] / fr[3], 16.0 / 9.0, 1e-9);

  windows.last->SetBounds(platform::Rect{0, 0, 800, 600});
  vp.Apply();
  EXPECT_TRUE(vp.WideScreen);
  EXPECT_EQ(vp.GLViewport()->Width, 800);
  EXPECT_NEAR(fr[1] / fr[3], 16.0 / 9.0, 1e-9);
}

TEST_F(AppFixture, StretchKeepsFourByThreeOnAnyWindow) {
  Make();
  form->GLWindow()->SetBounds(0, 0, 1920, 1080);
  form->Show();
  TDefViewport& vp = app->Viewport();
  vp.Stretch = true;
  vp.Apply();
  EXPECT_FALSE(vp.WideScreen);
  const auto& fr = vp.GLViewport()->Frustum;
  EXPECT_NEAR(fr[1] / fr[3], 4.0 / 3.0, 1e-9);
}

TEST_F(AppFixture, MonitorChoiceDecidesTheFullScreenOutput) {
  display.monitors = {{0, 0, 1280, 1024}, {1280, 0, 1920, 1080}};
  Make();
  form->GLDisplay()->SetFullScreen(true);
  ASSERT_TRUE(form->GLDisplay()->FullScreen());
  form->Show();
  TDefViewport& vp = app->Viewport();
  struct Case {
    int monitor, width, height;
  } cases[] = {{0, 1280, 1024}, {1, 1920, 1080}, {2, 3200, 1080}, {3, 3200, 1080}, {5, 3200, 1080}};
  for (const Case& c : cases) {
    form->GLWindow()->Monitor = c.monitor;
    vp.Apply();
    EXPECT_EQ(vp.GLViewport()->Width, c.width) << c.monitor;
    EXPECT_EQ(vp.GLViewport()->Height, c.height) << c.monitor;
  }
  // Monitor 0 alone is 5:4, but the side-by-side desktop already turned
  // 16:9 on.
  EXPECT_TRUE(vp.WideScreen);

  display.monitors = {{0, 0, 1024, 768}};
  form->GLWindow()->Monitor = 0;
  vp.Apply();
  EXPECT_EQ(vp.GLViewport()->Width, display.PrimaryScreenSize().width);
}

TEST_F(AppFixture, AWindowWithASurfaceOnEachOutputDrawsTheSceneAtItsOwnSize) {
  // A Wayland desktop's layers: each output shows the same picture, as
  // large as the first output, whatever the monitor choice spans.
  display.monitors = {{0, 0, 1280, 1024}, {1280, 0, 1920, 1080}};
  windows.outputsApart = true;
  Make();
  form->GLDisplay()->SetFullScreen(true);
  form->Show();
  ASSERT_NE(windows.last, nullptr);
  windows.last->request.bounds = platform::Rect{0, 0, 1280, 1024};
  TDefViewport& vp = app->Viewport();
  for (int monitor : {-1, 0, 1, 2, 3, 5}) {
    form->GLWindow()->Monitor = monitor;
    vp.Apply();
    EXPECT_EQ(vp.GLViewport()->Width, 1280) << monitor;
    EXPECT_EQ(vp.GLViewport()->Height, 1024) << monitor;
  }
  // The output's new size, when the compositor gives one.
  windows.last->request.bounds = platform::Rect{0, 0, 800, 600};
  vp.Apply();
  EXPECT_EQ(vp.GLViewport()->Width, 800);
  EXPECT_EQ(vp.GLViewport()->Height, 600);
}

TEST_F(AppFixture, AcceptModeNeedsSixteenBitsAndFourHundredEightyLines) {
  Make();
  bool accept = true;
  app->AcceptMode(15, 640, 480, accept);
  EXPECT_FALSE(accept);
  app->AcceptMode(16, 640, 479, accept);
  EXPECT_FALSE(accept);
  app->AcceptMode(16, 320, 480, accept);
  EXPECT_TRUE(accept);
  // The display's groups hold only what passed.
  display.modes = {{640, 400, 32, 60}, {800, 600, 8, 60}, {800, 600, 32, 60}};
  form->GLDisplay()->Enumerate();
  ASSERT_EQ(form->GLDisplay()->ColorDepthModes().Count(), 1);
}

TEST_F(AppFixture, NoUsableModeWarnsAndEndsTheProcess) {
  display.modes = {{640, 400, 8, 60}};
  display.desktop = {640, 400, 8, 60};
  int exitCode = -1;
  TCustomGLApplication::ExitProcess = [&](int code) { exitCode = code; };
  Make();
  app->Start();
  TCustomGLApplication::ExitProcess = nullptr;
  EXPECT_EQ(exitCode, 1);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text.find("Warning! In this video mode, hardware 3D acceleration was not detected! \r\n"),
            0u);
  EXPECT_EQ(dialogs.messages[0].caption, "Velmora");
  EXPECT_TRUE(Application().Terminated());
  EXPECT_EQ(app->State(), 0);
}

TEST_F(AppFixture, DisplayChangesRebuildTheWindow) {
  Make();
  form->Show();
  ASSERT_FALSE(windows.requests.back().popup);
  form->GLDisplay()->SetFullScreen(true);
  EXPECT_TRUE(windows.requests.back().popup);
  EXPECT_FALSE(form->Enabled());
  EXPECT_EQ(display.attached, form->GLWindow()->Handle());
  form->GLDisplay()->SetFullScreen(false);
  EXPECT_FALSE(windows.requests.back().popup);
  EXPECT_TRUE(form->GLWindow()->HandleAllocated());
  EXPECT_TRUE(form->Enabled());
  EXPECT_EQ(display.attached, nullptr);

  // Leaving full screen with ExitWithFullScreen shows no window again.
  app->ExitWithFullScreen = true;
  form->GLDisplay()->SetFullScreen(true);
  form->GLDisplay()->SetFullScreen(false);
  EXPECT_FALSE(form->GLWindow()->HandleAllocated());
}

TEST_F(AppFixture, CloseRequestRefusedOnlyInFullScreen) {
  Make();
  form->Show();
  EXPECT_FALSE(app->WindowCloseRequest());
  EXPECT_FALSE(Application().Terminated());
  form->GLDisplay()->SetFullScreen(true);
  EXPECT_TRUE(app->WindowCloseRequest());
  EXPECT_FALSE(form->GLDisplay()->FullScreen());
  EXPECT_FALSE(Application().Terminated());
  app->ExitWithFullScreen = true;
  form->GLDisplay()->SetFullScreen(true);
  EXPECT_TRUE(app->WindowCloseRequest());
  EXPECT_TRUE(Application().Terminated());
}

TEST_F(AppFixture, ErrorInFullScreenRestoresTheDisplayBeforeTheMessage) {
  Make();
  form->GLDisplay()->SetFullScreen(true);
  bool fullScreenAtMessage = true;
  app->OnException = [&](void*, const std::exception&) { fullScreenAtMessage = form->GLDisplay()->FullScreen(); };
  app->HandleException(nullptr, Error("boom"));
  EXPECT_FALSE(fullScreenAtMessage);
  EXPECT_TRUE(app->ExitWithFullScreen);
}

TEST_F(AppFixture, OptionsAreReadWithTheirDefaults) {
  Make();
  app->JpegQuality = 100;
  app->LoadOptions();
  EXPECT_EQ(app->FilmFileName, "Film.jpg");
  EXPECT_EQ(app->FilmSeconds, 1);
  EXPECT_EQ(app->FilmFrameRate, 25);
  EXPECT_EQ(app->JpegQuality, 90);
  EXPECT_FALSE(app->SnapshotsEnabled);
  EXPECT_TRUE(app->DisplayOptionsLoaded());
  EXPECT_EQ(app->OpenGL()->Renderer(), glrOpenGL);  // the software renderer is opt-in
  app->OpenGL()->SetRenderer(glrDirectX);
  app->SaveOptions();
  app->OpenGL()->SetRenderer(glrOpenGL);
  app->LoadOptions();
  EXPECT_EQ(app->OpenGL()->Renderer(), glrDirectX);
  app->FilmSeconds = 3;
  app->SnapshotsEnabled = true;
  app->Viewport().WideScreen = true;
  app->SaveOptions();
  auto values = store.Values(platform::SettingsRoot::LocalMachine, "Software\\Ostrevin\\Velmora 1");
  EXPECT_EQ(values[TCustomApplicationPro::ComplementText("FilmSeconds")], "3");
  // The advanced dialog's switch is stored; the wide screen is read only.
  EXPECT_EQ(values[TCustomApplicationPro::ComplementText("SnapshotsEnabled")], TCustomApplicationPro::BoolToText(true));
  EXPECT_EQ(values.count(TCustomApplicationPro::ComplementText("WideScreen")), 0u);
}

TEST_F(AppFixture, RenderScaleIsStoredAndReadAsOneOfItsThreeSteps) {
  Make();
  app->LoadOptions();
  EXPECT_EQ(app->RenderScale, 100);
  const std::string key = "Software\\Ostrevin\\Velmora 1";
  const std::string name = TCustomApplicationPro::ComplementText("RenderScale");
  app->RenderScale = 75;
  app->SaveOptions();
  EXPECT_EQ(store.Values(platform::SettingsRoot::LocalMachine, key)[name], "75");
  app->RenderScale = 100;
  app->LoadOptions();
  EXPECT_EQ(app->RenderScale, 75);
  // A value edited by hand goes to the nearest step.
  for (const auto& [stored, step] : {std::pair{"10", 50}, {"70", 75}, {"95", 100}, {"400", 100}, {"-3", 50}}) {
    store.SetValue(platform::SettingsRoot::LocalMachine, key, name, stored);
    app->LoadOptions();
    EXPECT_EQ(app->RenderScale, step) << stored;
  }
}

TEST(Snapshot, TheHotKeysFilesGoToThePicturesFolder) {
  namespace fs = std::filesystem;
  const fs::path home = fs::temp_directory_path() / ("velmora-pictures-" + std::to_string(::getpid()));
  fs::remove_all(home);
  fs::create_directories(home / ".config");
  fs::create_directories(home / "Bilder");
  fs::create_directories(home / "other-config");
  const std::string h = home.string();
  // No user-dirs.dirs: the home folder.
  EXPECT_EQ(PicturesFolder(h, ""), h);
  // $HOME in the entry, as xdg-user-dirs writes it.
  std::ofstream(home / ".config" / "user-dirs.dirs") << "# written by xdg-user-dirs-update\n"
                                                     << "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                                                     << "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n";
  EXPECT_EQ(PicturesFolder(h, ""), h + "/Bilder");
  // XDG_CONFIG_HOME names where the file is; an absolute entry; a folder
  // that does not exist, or the home itself, falls back to the home.
  std::ofstream(home / "other-config" / "user-dirs.dirs") << "XDG_PICTURES_DIR=\"" << h << "/Bilder\"\n";
  EXPECT_EQ(PicturesFolder(h, h + "/other-config"), h + "/Bilder");
  std::ofstream(home / "other-config" / "user-dirs.dirs") << "XDG_PICTURES_DIR=\"$HOME/Missing\"\n";
  EXPECT_EQ(PicturesFolder(h, h + "/other-config"), h);
  std::ofstream(home / "other-config" / "user-dirs.dirs") << "XDG_PICTURES_DIR=\"$HOME/\"\n";
  EXPECT_EQ(PicturesFolder(h, h + "/other-config"), h);
  fs::remove_all(home);
}

TEST(Snapshot, CountGoesBeforeTheExtension) {
  EXPECT_EQ(TCustomGLApplication::SnapshotFileName("Film.jpg", 1), "Film00001.jpg");
  EXPECT_EQ(TCustomGLApplication::SnapshotFileName("out/shot.BMP", 42), "out/shot00042.BMP");
  EXPECT_EQ(TCustomGLApplication::SnapshotFileName("dir.v2/frame", 7), "dir.v2/frame00007");
  EXPECT_EQ(TCustomGLApplication::SnapshotFileName("a.b.jpeg", 123456), "a.b123456.jpeg");
}

// ---------------------------------------------------------------------------
// The frame loop on a real context (SDL's offscreen driver).

namespace {

struct OffscreenFixture : ::testing::Test, shelltest::PlatformFakes {
  std::unique_ptr<TFormSettings> form;
  TGLScreenSaver* app = nullptr;
  std::filesystem::path dir;

  void SetUp() override {
    Application().Reset();
    Application().SetArguments({"velmora"});
    system.executablePath = "/opt/velmora/velmora";
    dir = std::filesystem::temp_directory_path() / ("velmora-gl-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dir);
    form = std::make_unique<TFormSettings>(true);
    app = form->GLScreenSaver();
    form->GLWindow()->SetBounds(0, 0, 64, 48);
    form->GLWindow()->Color = 0x0000FF;  // red (0x00BBGGRR)
    form->Show();
  }
  void TearDown() override {
    // The handlers of a test capture its locals, which are gone by now.
    app->OnStartOpenGL = nullptr;
    app->OnStopOpenGL = nullptr;
    app->OnUpdate = nullptr;
    form.reset();
    Application().Reset();
    std::filesystem::remove_all(dir);
  }
  void Frame() {
    bool done = true;
    app->Idle(nullptr, done);
  }
  bool StartGL() {
    for (int i = 0; i < 3 && !app->GLStarted(); ++i) Frame();
    return app->GLStarted();
  }
  std::string File(const std::string& name) const { return (dir / name).string(); }
};

std::vector<uint8_t> ReadFile(const std::string& name) {
  std::ifstream f(name, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

}  // namespace

TEST_F(OffscreenFixture, FramesStartOpenGLOnceAndMeasureTheirTime) {
  int starts = 0, renders = 0;
  std::vector<float> deltas;
  app->OnStartOpenGL = [&](void*) { ++starts; };
  app->OnUpdate = [&](float dt) { deltas.push_back(dt); };
  auto scene = app->OnRender;
  app->OnRender = [&](float dt, bool select) {
    EXPECT_FALSE(select);
    ++renders;
    scene(dt, select);
  };
  ASSERT_TRUE(StartGL());
  Frame();
  clock.Advance(100);
  Frame();
  EXPECT_EQ(starts, 1);
  EXPECT_EQ(renders, int(deltas.size()));
  ASSERT_GE(deltas.size(), 3u);
  EXPECT_EQ(deltas[0], 0.0f);  // the first frame
  EXPECT_GE(deltas.back(), 0.1f);
}

// Frames that take no time (swaps that do not wait) are held to the
// refresh rate, 60 Hz where the display tells none, each sleep right after
// its swap; a film's frames are not.
TEST_F(OffscreenFixture, FramesFasterThanTheRefreshAreHeldToIt) {
  ASSERT_TRUE(StartGL());
  std::vector<size_t> sleepsAtRender;
  auto scene = app->OnRender;
  app->OnRender = [&](float dt, bool select) {
    sleepsAtRender.push_back(clock.sleeps.size());
    scene(dt, select);
  };
  const uint32_t start = clock.Now();
  for (int i = 0; i < 20; ++i) Frame();
  ASSERT_TRUE(app->FramePacer().Pacing());
  ASSERT_GE(sleepsAtRender.size(), 20u);
  // About 1/60 s a frame once paced, every one of them slept before the next.
  const uint32_t paced = clock.Now() - start;
  EXPECT_GE(paced, 14u * 16u);
  EXPECT_LE(paced, 20u * 17u + 20u);
  for (size_t i = 6; i < sleepsAtRender.size(); ++i) EXPECT_GT(sleepsAtRender[i], sleepsAtRender[i - 1]) << i;

  app->SnapshotsEnabled = true;
  const size_t before = clock.sleeps.size();
  EXPECT_EQ(app->RecordFilm(1, 5, File("Paced.bmp")), 5);
  EXPECT_EQ(clock.sleeps.size(), before);
  EXPECT_TRUE(app->FramePacer().Enabled());
}

// A clock that moves between any two readings (the real one does, now and
// then): the first frame still takes no time, or a film recorded after it
// would start from a scene moved on by chance.
TEST_F(OffscreenFixture, TheFirstFrameTakesNoTimeWhileTheClockRuns) {
  std::vector<float> deltas;
  app->OnUpdate = [&](float dt) { deltas.push_back(dt); };
  clock.stepPerReading = 1;
  ASSERT_TRUE(StartGL());
  Frame();
  ASSERT_GE(deltas.size(), 2u);
  EXPECT_EQ(deltas[0], 0.0f);
  EXPECT_GT(deltas[1], 0.0f);
}

TEST_F(OffscreenFixture, NewWindowHandleRestartsOpenGL) {
  int starts = 0, stops = 0;
  app->OnStartOpenGL = [&](void*) { ++starts; };
  app->OnStopOpenGL = [&](void*) { ++stops; };
  ASSERT_TRUE(StartGL());
  app->HideGLWindow();
  EXPECT_EQ(stops, 1);
  EXPECT_FALSE(app->GLStarted());
  EXPECT_FALSE(app->OpenGL()->Active());
  EXPECT_EQ(app->DeviceContext(), nullptr);
  Frame();
  EXPECT_EQ(starts, 1);  // no window, no context
  app->ShowGLWindow();
  Frame();
  EXPECT_EQ(starts, 2);
  EXPECT_TRUE(app->OpenGL()->Active());
}

TEST_F(OffscreenFixture, RendererChangeRestartsOpenGLWithTheOtherLibrary) {
  int starts = 0, stops = 0;
  app->OnStartOpenGL = [&](void*) { ++starts; };
  app->OnStopOpenGL = [&](void*) { ++stops; };
  ASSERT_TRUE(StartGL());
  TGLRenderer before = app->OpenGL()->Renderer();
  TGLRenderer other = before == glrOpenGL ? glrDirectX : glrOpenGL;
  app->OpenGL()->SetRenderer(other);
  EXPECT_EQ(stops, 1);
  EXPECT_EQ(starts, 2);
  EXPECT_TRUE(app->OpenGL()->Active());
  EXPECT_TRUE(app->GLStarted());
  // The same renderer again changes nothing.
  app->OpenGL()->SetRenderer(app->OpenGL()->Renderer());
  EXPECT_EQ(stops, 1);
  Frame();
  EXPECT_TRUE(app->OpenGL()->Active());
}

TEST_F(OffscreenFixture, SecondIdleDuringAFrameReturnsAtOnce) {
  int updates = 0;
  app->OnUpdate = [&](float) {
    ++updates;
    Frame();  // a handler that pumps the loop
  };
  ASSERT_TRUE(StartGL());
  int before = updates;
  Frame();
  EXPECT_EQ(updates, before + 1);
}

// A frame runs its steps in their order: the idle event, the update, the
// scene, what is drawn over it, the swap. A frame whose scene is not drawn
// (its render handler gone during the update) draws nothing over it, and
// a film's frames have the same steps as the loop's.
TEST_F(OffscreenFixture, AFrameRunsItsStepsInOrder) {
  ASSERT_TRUE(StartGL());
  using Steps = std::vector<std::string>;
  Steps steps;
  app->OnIdle = [&](void*, bool&) { steps.push_back("idle"); };
  app->OnUpdate = [&](float) { steps.push_back("update"); };
  app->OnRender = [&](float, bool) { steps.push_back("scene"); };
  app->OnRenderDialog = [&](float) { steps.push_back("dialog"); };
  Frame();
  EXPECT_EQ(steps, (Steps{"idle", "update", "scene", "dialog"}));

  steps.clear();
  app->OnUpdate = [&](float) {
    steps.push_back("update");
    app->OnRender = nullptr;
  };
  Frame();
  EXPECT_EQ(steps, (Steps{"idle", "update"}));
  steps.clear();
  Frame();
  EXPECT_EQ(steps, Steps{"idle"}) << "no render handler, nothing drawn";

  steps.clear();
  app->OnUpdate = [&](float) { steps.push_back("update"); };
  app->OnRender = [&](float, bool) { steps.push_back("scene"); };
  app->SnapshotsEnabled = true;
  EXPECT_EQ(app->RecordFilm(1, 2, File("Steps.bmp")), 2);
  EXPECT_EQ(steps, (Steps{"update", "scene", "dialog", "update", "scene", "dialog"}));
  app->OnIdle = nullptr;
  app->OnRender = nullptr;
  app->OnRenderDialog = nullptr;
}

TEST_F(OffscreenFixture, SnapshotsKeepTheFramesColoursAndFormats) {
  ASSERT_TRUE(StartGL());
  app->SaveSnapshot(File("off.bmp"));
  EXPECT_FALSE(std::filesystem::exists(File("off00001.bmp")));  // snapshots disabled
  app->SnapshotsEnabled = true;
  app->SaveSnapshot(File("shot.bmp"));
  std::vector<uint8_t> bmp = ReadFile(File("shot00001.bmp"));
  ASSERT_EQ(bmp.size(), 54u + 64u * 3u * 48u);
  EXPECT_EQ(bmp[18], 64);
  EXPECT_EQ(bmp[22], 48);
  const uint8_t* px = bmp.data() + 54 + (24 * 64 + 32) * 3;
  EXPECT_EQ(px[0], 0);    // blue
  EXPECT_EQ(px[1], 0);    // green
  EXPECT_EQ(px[2], 255);  // red

  app->SaveSnapshot(File("shot.jpg"));
  testjpeg::Decoded jpeg;
  ASSERT_TRUE(testjpeg::DecodeJpeg(ReadFile(File("shot00002.jpg")), jpeg));
  EXPECT_EQ(jpeg.width, 64);
  EXPECT_EQ(jpeg.height, 48);
  const uint8_t* rgb = jpeg.Pixel(jpeg.width / 2, jpeg.height / 2);
  EXPECT_GT(rgb[0], 230);
  EXPECT_LT(rgb[2], 30);

  app->SaveSnapshot(File("shot.png"));
  EXPECT_FALSE(std::filesystem::exists(File("shot00003.png")));
  app->JpegQuality = 0;
  EXPECT_THROW(app->SaveSnapshot(File("bad.jpg")), Error);
}

TEST_F(OffscreenFixture, FilmHasFixedStepsAndStopsOnAKey) {
  ASSERT_TRUE(StartGL());
  app->SnapshotsEnabled = true;
  std::vector<float> steps;
  app->OnUpdate = [&](float dt) { steps.push_back(dt); };
  // Each frame's own time is told before the frame is updated.
  std::vector<int64_t> times;
  app->OnFilmTime = [&](int64_t milliseconds) {
    times.push_back(milliseconds);
    EXPECT_EQ(steps.size() + 1, times.size());
  };
  double lastFrame = app->LastFrameTime();
  app->RecordFilm(1, 5, File("Film.jpg"));
  EXPECT_EQ(steps, std::vector<float>(5, 0.2f));
  EXPECT_EQ(times, (std::vector<int64_t>{0, 200, 400, 600, 800}));
  app->OnFilmTime = nullptr;
  for (int i = 1; i <= 5; ++i) EXPECT_TRUE(std::filesystem::exists(File(Format("Film%05d.jpg", i)))) << i;
  EXPECT_FALSE(std::filesystem::exists(File("Film00006.jpg")));
  EXPECT_EQ(app->LastFrameTime(), lastFrame);

  // A key pressed during the film ends it after that frame.
  steps.clear();
  app->OnUpdate = [&](float dt) {
    steps.push_back(dt);
    if (steps.size() == 2) events.Push(MessageKind::KeyDown);
  };
  app->RecordFilm(2, 25, File("Short.jpg"));
  EXPECT_EQ(steps.size(), 2u);
  EXPECT_TRUE(std::filesystem::exists(File("Short00002.jpg")));
  EXPECT_FALSE(std::filesystem::exists(File("Short00003.jpg")));
}

TEST_F(OffscreenFixture, PrintScreenKeysTakeSnapshotsAndFilms) {
  ASSERT_TRUE(StartGL());
  // The files go to the user's pictures folder (xdg-user-dir PICTURES),
  // never to the folder the program was started in.
  std::filesystem::create_directories(dir / "Pictures");
  std::filesystem::create_directories(dir / "config");
  std::ofstream(dir / "config" / "user-dirs.dirs") << "XDG_PICTURES_DIR=\"$HOME/Pictures\"\n";
  system.environment["HOME"] = dir.string();
  system.environment["XDG_CONFIG_HOME"] = (dir / "config").string();
  const std::filesystem::path pictures = dir / "Pictures";
  Message up;
  up.kind = MessageKind::KeyUp;
  up.key = platform::vkSnapshot;
  up.ctrl = true;
  Application().ProcessMessage(up);
  EXPECT_FALSE(std::filesystem::exists(pictures / "velmora00001.jpg"));  // disabled
  app->SnapshotsEnabled = true;
  Application().ProcessMessage(up);
  EXPECT_TRUE(std::filesystem::exists(pictures / "velmora00001.jpg"));
  up.ctrl = false;
  up.shift = true;
  app->FilmFrameRate = 3;
  Application().ProcessMessage(up);
  EXPECT_TRUE(std::filesystem::exists(pictures / "Film00003.jpg"));
  EXPECT_FALSE(std::filesystem::exists(pictures / "Film00004.jpg"));
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::current_path() / "Film00001.jpg"));
}
