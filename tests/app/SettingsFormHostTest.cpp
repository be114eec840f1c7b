// The settings form as the world dialogs' settings host: each call reads
// or changes the form's screen saver, its display, its window or the form
// itself, and nothing else.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/SettingsForm.h"
#include "core/Error.h"
#include "tests/app/ShellTestSupport.h"
#include "world/dialogs/SettingsHost.h"

using namespace velmora;
using platform::SettingsRoot;

namespace {

struct SettingsFormHost : ::testing::Test, shelltest::ShellFakes {
  std::unique_ptr<TFormSettings> form;

  TSettingsHost& Make(std::vector<std::string> args = {"/opt/velmora/velmora"}) {
    form.reset();
    Application().Reset();
    Application().SetArguments(std::move(args));
    form = std::make_unique<TFormSettings>();
    return *form;
  }
  TGLScreenSaver& App() { return *form->GLScreenSaver(); }
  void TearDown() override { form.reset(); }
};

TEST_F(SettingsFormHost, SaverSettingsAreTheSaversAndItsWindowsAndEachIsSet) {
  TSettingsHost& host = Make();
  TGLScreenSaver& app = App();
  app.RenderScale = 75;
  app.SetPowerOffIndex(3);
  app.SetMonitorOffIndex(5);
  form->GLWindow()->Monitor = 1;
  app.MouseMoveExit = true;
  app.RunAsProgram = false;
  app.SnapshotsEnabled = true;
  app.LowCPU = true;
  TSaverSettings read = host.SaverSettings();
  EXPECT_EQ(read.RenderScale, 75);
  EXPECT_EQ(read.PowerOffIndex, 3);
  EXPECT_EQ(read.MonitorOffIndex, 5);
  EXPECT_EQ(read.Monitor, 1);
  EXPECT_TRUE(read.MouseMoveExit);
  EXPECT_FALSE(read.RunAsProgram);
  EXPECT_TRUE(read.SnapshotsEnabled);
  EXPECT_TRUE(read.LowCPU);

  TSaverSettings next;
  next.RenderScale = 50;
  next.PowerOffIndex = 4;
  next.MonitorOffIndex = 2;
  next.Monitor = 0;
  next.MouseMoveExit = false;
  next.RunAsProgram = true;
  next.SnapshotsEnabled = false;
  next.LowCPU = false;
  host.SetSaverSettings(next);
  EXPECT_EQ(app.RenderScale, 50);
  EXPECT_EQ(app.PowerOffIndex(), 4);
  // Through the saver's setters: the timers follow the indexes.
  EXPECT_EQ(app.PowerOffTime(), PowerTimeouts[4]);
  EXPECT_EQ(app.MonitorOffIndex(), 2);
  EXPECT_EQ(app.MonitorOffTime(), PowerTimeouts[2]);
  EXPECT_EQ(form->GLWindow()->Monitor, 0);
  EXPECT_FALSE(app.MouseMoveExit);
  EXPECT_TRUE(app.RunAsProgram);
  EXPECT_FALSE(app.SnapshotsEnabled);
  EXPECT_FALSE(app.LowCPU);

  next.PowerOffIndex = 16;
  try {
    host.SetSaverSettings(next);
    ADD_FAILURE() << "a power index of 16 was taken";
  } catch (const Error& error) {
    EXPECT_NE(std::string(error.what()).find("Index out of bounds"), std::string::npos) << error.what();
  }
  EXPECT_EQ(app.PowerOffIndex(), 4);
}

TEST_F(SettingsFormHost, TheRolesAsTheFormSideAsksThem) {
  TSettingsHost* host = &Make();
  EXPECT_TRUE(host->InSettingsRole());
  EXPECT_FALSE(host->InPreview());
  host = &Make({"/usr/lib/velmora.scr", "/c"});
  ASSERT_EQ(App().Role(), srConfig);
  EXPECT_TRUE(host->InSettingsRole());
  EXPECT_FALSE(host->InPreview());
  host = &Make({"/usr/lib/velmora.scr", "/p", std::to_string(shelltest::RecordingWindows::kHost)});
  ASSERT_EQ(App().Role(), srPreview);
  EXPECT_FALSE(host->InSettingsRole());
  EXPECT_TRUE(host->InPreview());
  host = &Make({"/usr/lib/velmora.scr", "/s"});
  ASSERT_EQ(App().Role(), srSaver);
  EXPECT_FALSE(host->InSettingsRole());
  EXPECT_FALSE(host->InPreview());
  // The saver role is full screen at once, and the host says so.
  EXPECT_TRUE(host->FullScreen());
}

TEST_F(SettingsFormHost, FullScreenModesAreTheDisplaysAndBadTextsAreRefused) {
  display.modes = {{640, 480, 16, 60}, {800, 600, 16, 60}, {800, 600, 32, 60}, {1024, 768, 32, 60}};
  TSettingsHost& host = Make();
  TGLDisplay& glDisplay = *form->GLDisplay();
  ASSERT_TRUE(host.HasDisplay());
  EXPECT_FALSE(host.FullScreen());
  host.SetDesktopOnly(true);
  EXPECT_TRUE(glDisplay.DesktopOnly);
  EXPECT_TRUE(host.DesktopOnly());
  host.SetDesktopOnly(false);
  EXPECT_FALSE(glDisplay.DesktopOnly);

  std::vector<std::string> depths, sizes;
  host.GetColorDepthNames(depths);
  EXPECT_EQ(depths, (std::vector<std::string>{"High Color(16 bit)", "True Color(32 bit)"}));
  host.SetFullScreenSizeText("800x600");
  EXPECT_EQ(glDisplay.FullScreenMode().ModeText(), "800x600x16");
  host.SetFullScreenDepthName("True Color(32 bit)");
  EXPECT_EQ(glDisplay.FullScreenMode().ModeText(), "800x600x32");
  EXPECT_EQ(host.ColorDepthIndex(), 1);
  host.GetScreenSizes(sizes);
  EXPECT_EQ(sizes, (std::vector<std::string>{"800x600", "1024x768"}));
  EXPECT_EQ(host.ScreenSizeIndex(), 0);

  EXPECT_THROW(host.SetFullScreenSizeText("wide"), Error);
  EXPECT_THROW(host.SetFullScreenDepthName("many colours"), Error);
  EXPECT_EQ(glDisplay.FullScreenMode().ModeText(), "800x600x32");
}

TEST_F(SettingsFormHost, SavingSaysWhyAWriteFailedAndForgetsItOnTheNextSave) {
  TSettingsHost& host = Make();
  TGLScreenSaver& app = App();
  app.LowCPU = true;
  EXPECT_EQ(host.SaveApplicationOptions(), "");
  app.LowCPU = false;
  host.LoadApplicationOptions();
  EXPECT_TRUE(app.LowCPU) << "the stored value was not read back";

  store.FaultsOf(SettingsRoot::LocalMachine).write = true;
  store.FaultsOf(SettingsRoot::CurrentUser).write = true;
  EXPECT_NE(host.SaveApplicationOptions(), "");
  store.FaultsOf(SettingsRoot::LocalMachine).write = false;
  store.FaultsOf(SettingsRoot::CurrentUser).write = false;
  EXPECT_EQ(host.SaveApplicationOptions(), "");
}

TEST_F(SettingsFormHost, TheFormsCaptionPanelAndClose) {
  TSettingsHost& host = Make();
  TGLScreenSaver& app = App();
  EXPECT_EQ(&host.SceneHost(), static_cast<TSceneHost*>(&app));
  EXPECT_EQ(host.Title(), app.Title);
  EXPECT_EQ(host.ExeDir(), app.ExeDir());
  EXPECT_EQ(host.HelpFileName(), app.HelpFileName());
  EXPECT_FALSE(host.RandomSeed().has_value());
  app.RandomSeed = 23u;
  EXPECT_EQ(host.RandomSeed(), 23u);

  // Before the window exists only the form's caption; after, its title too.
  host.SetCaption("First");
  EXPECT_EQ(form->Caption, "First");
  form->Show();
  ASSERT_NE(windows.last, nullptr);
  host.SetCaption("Second");
  EXPECT_EQ(form->Caption, "Second");
  EXPECT_EQ(windows.last->request.title, "Second");

  form->GLWindow()->SetPanel(platform::Rect{6, 4, 484, 364});
  const platform::Rect panel = host.PreviewPanel();
  EXPECT_EQ(panel.left, 6);
  EXPECT_EQ(panel.top, 4);
  EXPECT_EQ(panel.width, 484);
  EXPECT_EQ(panel.height, 364);

  EXPECT_FALSE(Application().Terminated());
  host.CloseForm();
  EXPECT_TRUE(Application().Terminated());
}

}  // namespace
