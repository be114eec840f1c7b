// The application object's paths, single instance and keep-awake, its main
// form and its help.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/app/ApplicationProTestSupport.h"

using velmora::Application;
using velmora::TComponent;
using velmora::TCustomApplicationPro;
using velmora::TCustomGraphicApplicationPro;
using velmora::TForm;

namespace fs = std::filesystem;
using apptest::ApplicationProTest;

// ---------------------------------------------------------------------------
// Paths, single instance, keep-awake

TEST_F(ApplicationProTest, PathsFromTheProgramFile) {
  struct Case {
    std::string path, appName, exeFileName, exeDir;
  };
  for (const Case& c : std::vector<Case>{
           {"/opt/velmora/velmora", "velmora", "velmora", "/opt/velmora/"},
           {"/opt/velmora/saver", "saver", "saver", "/opt/velmora/"},
           {"/usr/lib/xscreensaver/velmora.scr", "velmora", "velmora.scr", "/usr/lib/xscreensaver/"},
           {"/a/b/my.saver.scr", "my", "my.saver.scr", "/a/b/"},
           {"/a/.hidden", "", ".hidden", "/a/"},
       }) {
    SCOPED_TRACE(c.path);
    Application().Reset();
    system.executablePath = c.path;
    system.lockRequests.clear();
    TForm form(nullptr);
    auto* app = MakeApp(form);
    EXPECT_EQ(app->AppName(), c.appName);
    EXPECT_EQ(app->ExeFileName(), c.exeFileName);
    EXPECT_EQ(app->ExeDir(), c.exeDir);
    EXPECT_EQ(app->HomeDir, c.exeDir);
    EXPECT_EQ(app->LogFileName(), c.exeDir + c.appName + ".log");
    EXPECT_EQ(app->SystemDir(), "/usr/lib/");
    EXPECT_EQ(app->WindowsDir(), "/");
    ASSERT_EQ(system.lockRequests.size(), 1u);
    EXPECT_EQ(system.lockRequests[0], c.appName + "Semaphore");
  }

  // The long form of the path counts; a linked program is named after its
  // file.
  Application().Reset();
  system.executablePath = "/usr/bin/velmora";
  system.longPaths["/usr/bin/velmora"] = "/opt/Velmora 1/velmora";
  TForm form(nullptr);
  auto* app = MakeApp(form);
  EXPECT_EQ(app->ExeDir(), "/opt/Velmora 1/");
}

TEST_F(ApplicationProTest, TitleAgreesWithTheToolkitAfterInitialize) {
  {
    TForm form(nullptr);
    MakeApp(form);
    EXPECT_EQ(Application().Title, "Velmora");
  }
  Application().Reset();
  system.lockRequests.clear();
  Application().Title = "From toolkit";
  TForm form(nullptr);
  auto* app = new TCustomApplicationPro(&form);
  app->SingleInstance = false;
  app->Loaded();
  EXPECT_EQ(app->Title, "From toolkit");
  EXPECT_TRUE(system.lockRequests.empty()) << "single instance off: no lock";
}

TEST_F(ApplicationProTest, SecondCopyShowsNothingAndSaysWhyOnStandardError) {
  system.otherInstances.insert("velmoraSemaphore");
  testing::internal::CaptureStderr();
  TForm form(nullptr);
  int formHandlers = 0;
  form.OnShow = [&](void*) { ++formHandlers; };
  form.OnClose = [&](void*, velmora::TCloseAction&) { ++formHandlers; };
  form.Show();
  formHandlers = 0;
  auto* app = new TCustomGraphicApplicationPro(&form);
  app->SetLogFile(true);
  int starts = 0;
  app->OnStart = [&](void*) { ++starts; };
  TComponent::BeginLoadingAll(&form);
  TComponent::EndLoadingAll(&form);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "velmora: another copy is running; this start ends\n");

  EXPECT_TRUE(Application().Terminated());
  EXPECT_FALSE(Application().ShowMainForm);
  EXPECT_FALSE(form.Visible());
  EXPECT_FALSE(app->LogFile());
  EXPECT_FALSE(form.OnShow);
  Application().Run();
  EXPECT_FALSE(form.Visible());
  EXPECT_EQ(formHandlers, 0);
  EXPECT_EQ(starts, 0);
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ApplicationProTest, KeepAwakeReportsBothFlags) {
  TForm form(nullptr);
  auto* app = MakeApp(form);
  app->SetNeedDisplay(true);
  app->SetNeedSystem(true);
  app->SetNeedDisplay(false);
  ASSERT_EQ(system.executionStates.size(), 3u);
  EXPECT_TRUE(system.executionStates[0].display);
  EXPECT_FALSE(system.executionStates[0].system);
  EXPECT_TRUE(system.executionStates[1].display);
  EXPECT_TRUE(system.executionStates[1].system);
  EXPECT_FALSE(system.executionStates[2].display);
  EXPECT_TRUE(system.executionStates[2].system);

  TForm designer(nullptr);
  designer.SetDesigning(true);
  auto* designed = new TCustomApplicationPro(&designer);
  designed->SetNeedDisplay(true);
  EXPECT_EQ(system.executionStates.size(), 3u) << "design mode reports nothing";
}

// ---------------------------------------------------------------------------
// Main form and help

TEST_F(ApplicationProTest, CenterFormPositionOnTallAndWideScreens) {
  int left = -1, top = -1;
  // Tall: middle of the screen, vertically inside the upper 4:3 band.
  TCustomApplicationPro::CenterFormPosition(768, 1024, 640, 480, left, top);
  EXPECT_EQ(left, 64);
  EXPECT_EQ(top, 48);  // (576 - 480) / 2
  // Square counts as tall.
  TCustomApplicationPro::CenterFormPosition(1000, 1000, 500, 100, left, top);
  EXPECT_EQ(left, 250);
  EXPECT_EQ(top, 325);
  // A form taller than the band: at the top, never above it.
  TCustomApplicationPro::CenterFormPosition(600, 800, 500, 790, left, top);
  EXPECT_EQ(top, 0);
  EXPECT_EQ(left, 50);
  // Wide (two monitors side by side): middle of the left-hand 4:3 band.
  TCustomApplicationPro::CenterFormPosition(2560, 1024, 640, 480, left, top);
  EXPECT_EQ(left, 362);  // (1365 - 640) / 2
  EXPECT_EQ(top, 272);
  // A band wider than the screen: kept on the screen.
  TCustomApplicationPro::CenterFormPosition(1000, 999, 900, 500, left, top);
  EXPECT_EQ(left, 100);
  EXPECT_EQ(top, 249);
  // A form wider than the band: at the left edge.
  TCustomApplicationPro::CenterFormPosition(1920, 1080, 1600, 1200, left, top);
  EXPECT_EQ(left, 0);
  EXPECT_EQ(top, -60) << "the vertical rule has no lower bound";
}

TEST_F(ApplicationProTest, CenterMainFormMovesOnlyATopLevelMainForm) {
  display.desktop = platform::DisplayMode{2560, 1024, 32, 60};
  display.current = display.desktop;
  TForm form(nullptr);
  auto* app = MakeApp(form);
  form.SetBounds(5, 5, 640, 480);
  app->CenterMainForm();
  EXPECT_EQ(form.Left(), 362);
  EXPECT_EQ(form.Top(), 272);
  EXPECT_EQ(form.Width(), 640);
  EXPECT_EQ(form.Height(), 480);

  form.SetBounds(5, 5, 640, 480);
  form.SetParentWindow(1234);
  app->CenterMainForm();
  EXPECT_EQ(form.Left(), 5);
  form.SetParentWindow(0);
  TComponent panel(nullptr);
  form.SetParent(&panel);
  app->CenterMainForm();
  EXPECT_EQ(form.Left(), 5);
}

TEST_F(ApplicationProTest, HelpPageBesideTheProgramOrInTheInstalledShareFolder) {
  // An installed tree: <prefix>/bin/velmora, <prefix>/share/velmora/Help.html.
  fs::path prefix = fs::temp_directory_path() / ("velmora-help-" + std::to_string(reinterpret_cast<uintptr_t>(this)));
  fs::remove_all(prefix);
  fs::create_directories(prefix / "bin");
  fs::create_directories(prefix / "share" / "velmora");
  std::ofstream(prefix / "share" / "velmora" / "Help.html") << "<html></html>";
  system.executablePath = (prefix / "bin" / "velmora").string();
  TForm form(nullptr);
  auto* app = MakeApp(form);
  ASSERT_EQ(app->HomeDir, (prefix / "bin").string() + "/");
  app->ShowHelp();
  ASSERT_EQ(processes.shellOpens.size(), 1u);
  EXPECT_EQ(fs::weakly_canonical(processes.shellOpens[0].file), prefix / "share" / "velmora" / "Help.html");
  // A page beside the program (the build tree) or in a chosen HomeDir wins.
  std::ofstream(prefix / "bin" / "Help.html") << "<html></html>";
  EXPECT_EQ(app->HelpFileName(), (prefix / "bin" / "Help.html").string());
  fs::remove_all(prefix);
  // With neither, the page named by HomeDir, as always.
  EXPECT_EQ(app->HelpFileName(), (prefix / "bin" / "Help.html").string());
}

TEST_F(ApplicationProTest, HelpCursorAndClosing) {
  TForm form(nullptr);
  auto* app = MakeApp(form);
  app->HomeDir = "/usr/share/velmora/";
  app->ShowHelp();
  ASSERT_EQ(processes.shellOpens.size(), 1u);
  EXPECT_EQ(processes.shellOpens[0].file, "/usr/share/velmora/Help.html");
  EXPECT_EQ(processes.shellOpens[0].show, platform::ShowCommand::Show);

  app->ShowAppCursor(false);
  EXPECT_FALSE(dialogs.CursorVisible());
  app->ShowAppCursor(true);
  EXPECT_TRUE(dialogs.CursorVisible());

  app->MakeToolWindow();
  EXPECT_TRUE(Application().SkipTaskBar);

  form.Show();
  app->ShowAppCursor(false);
  app->CloseApplication();
  EXPECT_FALSE(form.Visible());
  EXPECT_TRUE(dialogs.CursorVisible());
  EXPECT_TRUE(Application().Terminated()) << "closing the main form ends the program";

  // Without a main form the application is told to end directly.
  Application().Reset();
  TComponent owner(nullptr);
  auto* lone = new TCustomApplicationPro(&owner);
  lone->CloseApplication();
  EXPECT_TRUE(Application().Terminated());
}
