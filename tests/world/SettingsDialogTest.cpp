// The settings dialog over the carried scene: its controls filled from the
// world, change handlers that wait for ControlsReady, OK and Cancel with
// the option store, the advanced dialog's lists and apply step, texture
// quality reloading, damaged stored settings, the window's close button,
// "Preview" and its return (clicked as a user clicks it), help and contact
// without the desktop's opener, the fish options, keyboard navigation with
// the arrows and with Tab, the snapshot switch, and the first frame's
// pixels: the scene in the preview panel, the form's colour around it.
#include <gtest/gtest.h>

#include <imgui.h>
#include <imgui_internal.h>

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/SettingsForm.h"
#include "app/Toolkit.h"
#include "assets/ResourceReader.h"
#include "assets/WinSoundDevice.h"
#include "core/Version.h"
#include "gl/GLEntryPoints.h"
#include "gl/Viewport.h"
#include "platform/KeyCodes.h"
#include "platform/sdl/SdlSettingsStore.h"
#include "program/WorldForm.h"
#include "scene/MainScene.h"
#include "scene/SceneSound.h"
#include "scene/SceneSoundList.h"
#include "scene/SceneTexture.h"
#include "scene/SceneTextureList.h"
#include "world/FormWorld.h"
#include "world/GLClock.h"
#include "world/UnderWater.h"
#include "world/UnderWaterWorld.h"
#include "world/WatchClock.h"
#include "world/dialogs/AdvancedSettings.h"
#include "world/dialogs/SettingsDialog.h"
#include "tests/app/ShellTestSupport.h"
#include "tests/platform/TempFolder.h"
#include "tests/world/AllocationCount.h"

namespace worldtest {
namespace {

using namespace velmora;
using platform::MessageKind;

const char* const kKey = "Software\\Ostrevin\\Velmora 1";

class SettingsDialog : public ::testing::Test, protected shelltest::PlatformFakes {
 protected:
  void SetUp() override {
    Application().Reset();
    Application().SetArguments({"velmora"});
    system.executablePath = "/opt/velmora/velmora";
    display.modes = {{640, 480, 32, 60}, {1024, 768, 32, 60}};
    UseWorldForm();
  }
  void TearDown() override {
    form.reset();
    SoundDevice().Clear();
    SetFormSceneMaker(nullptr);
    ResourceReader().FreeArchive();
    Application().Reset();
  }
  // The program role: the form is the settings dialog.
  void Make() {
    SoundDevice().Clear();
    Application().Reset();
    Application().SetArguments({"velmora"});
    form = std::make_unique<TFormSettings>();
    app = form->GLScreenSaver();
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
  // The message with the help page's address was drawn in the last frame.
  bool MessageShown() {
    ImGui::SetCurrentContext(form->DialogGui()->Context());
    ImGuiWindow* window = ImGui::FindWindowByName("Velmora Help");
    return window && window->WasActive && ImGui::IsPopupOpen("", ImGuiPopupFlags_AnyPopupId);
  }
  velmora::TSettingsDialog& Dialog() { return Side().Dialog(); }
  std::string Errors() {
    std::string text;
    for (const auto& m : dialogs.messages) text += m.text + "\n";
    return text;
  }
  std::optional<std::string> Stored(const std::string& name) {
    return store.Value(platform::SettingsRoot::CurrentUser, kKey, name);
  }
  // The colour at (x, y) of the window, rows counted from the top.
  uint32_t Pixel(int x, int y) {
    uint8_t p[4] = {};
    GL.glPixelStorei(GL_PACK_ALIGNMENT, 1);
    GL.glReadPixels(x, form->GLWindow()->ClientHeight() - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
  }
  void Send(MessageKind kind, int32_t key = 0, int x = 0, int y = 0) {
    platform::Message m;
    m.kind = kind;
    m.key = key;
    m.x = x;
    m.y = y;
    m.window = form->GLWindow()->WindowId();
    Application().ProcessMessage(m);
  }

  std::unique_ptr<TFormSettings> form;
  TGLScreenSaver* app = nullptr;
};

constexpr uint32_t kFormColour = 0x2DBEDB;  // the form's colour as red, green, blue

TEST_F(SettingsDialog, TheFormIsTheDialogAndItsControlsAreFilledFromTheWorld) {
  Make();
  ASSERT_TRUE(form->DialogShown());
  EXPECT_EQ(form->GLWindow()->ClientWidth(), 685);
  EXPECT_EQ(form->GLWindow()->ClientHeight(), 422);
  // The scene's window is the preview panel.
  EXPECT_EQ(form->GLWindow()->Width(), 484);
  EXPECT_EQ(form->GLWindow()->Height(), 364);
  ASSERT_TRUE(Run(2)) << Errors();
  EXPECT_EQ(Errors(), "");
  velmora::TSettingsDialog& d = Dialog();
  EXPECT_TRUE(Side().ControlsReady);
  // The release's full version, as "velmora --version" and the package
  // give it.
  EXPECT_EQ(d.Caption, std::string("Velmora v") + velmora::kVersion);
  EXPECT_EQ(form->Caption, d.Caption);
  EXPECT_EQ(d.ComboBoxBackgrounds.Items, (std::vector<std::string>{"Blue Water", "Aquamarine Water", "Green Water"}));
  EXPECT_EQ(d.ComboBoxBackgrounds.ItemIndex, 0);
  EXPECT_EQ(d.TrackBarBubblesCount.Position, 50);
  EXPECT_EQ(d.LabelBubblesCount, "50");
  EXPECT_TRUE(d.CheckBoxLights.Checked);
  EXPECT_TRUE(d.CheckBoxClock.Checked);
  EXPECT_EQ(d.ComboBoxClock.Items,
            (std::vector<std::string>{"Yellow", "Blue", "Green", "Purple", "Pink", "Red", "Orange"}));
  EXPECT_EQ(d.ComboBoxClock.ItemIndex, 0);
  // The scene keeps to the panel: 4 pixels from the top, 54 from the bottom.
  TGLViewport* viewport = app->Viewport().GLViewport();
  ASSERT_NE(viewport, nullptr);
  EXPECT_EQ(viewport->Left, 6);
  EXPECT_EQ(viewport->Bottom, 422 - 4 - 364);
  EXPECT_EQ(viewport->Width, 484);
  EXPECT_EQ(viewport->Height, 364);
}

TEST_F(SettingsDialog, TheFirstFrameShowsTheSceneInThePanelAndTheDialogAroundIt) {
  Make();
  ASSERT_TRUE(Run(3)) << Errors();
  // Drawn again without the swap so the frame can be read back.
  app->Viewport().Apply();
  form->ScreenSaverRender(0.05f, false);
  std::set<uint32_t> scene;
  for (int y = 10; y < 364; y += 16)
    for (int x = 10; x < 484; x += 16) scene.insert(Pixel(6 + x, 4 + y));
  EXPECT_GT(scene.size(), 20u);
  EXPECT_EQ(scene.count(kFormColour), 0u);
  // Between the buttons of the bottom row, and between the panel and the
  // groups: the form's colour.
  EXPECT_EQ(Pixel(420, 398), kFormColour);
  EXPECT_EQ(Pixel(680, 250), kFormColour);
  // Inside the bubble group's track bar: the list colour of the controls.
  std::set<uint32_t> controls;
  for (int x = 494; x < 678; x += 4)
    for (int y = 4; y < 386; y += 4) controls.insert(Pixel(x, y));
  EXPECT_TRUE(controls.count(0xBEF4FF)) << "no list colour in the controls";
  EXPECT_TRUE(controls.count(0x000000)) << "no text in the controls";
  EXPECT_EQ(GL.glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(SettingsDialog, ChangeHandlersWaitForControlsReady) {
  Make();
  ASSERT_TRUE(Run(1)) << Errors();
  velmora::TSettingsDialog& d = Dialog();
  TFormWorld& side = Side();
  side.ControlsReady = false;
  d.ComboBoxBackgrounds.ItemIndex = 2;
  d.ComboBoxBackgroundsChange();
  d.TrackBarBubblesCount.Position = 0;
  d.TrackBarBubblesCountChange();
  d.CheckBoxLights.Checked = false;
  d.CheckBoxLightsClick();
  d.CheckBoxClock.Checked = false;
  d.CheckBoxClockClick();
  d.ComboBoxClock.ItemIndex = 3;
  d.ComboBoxClockChange();
  EXPECT_EQ(side.World->WaterBackgroundIndex(), 0);
  EXPECT_EQ(side.World->GetBubbleCount(), 50);
  EXPECT_EQ(d.LabelBubblesCount, "50");
  EXPECT_TRUE(side.World->UseLights());
  EXPECT_TRUE(side.Clock->Visible());
  EXPECT_EQ(side.ClockSkin->GetFileIndex(), 0);

  side.ControlsReady = true;
  d.ComboBoxBackgroundsChange();
  d.TrackBarBubblesCountChange();
  d.CheckBoxLightsClick();
  d.CheckBoxClockClick();
  d.ComboBoxClockChange();
  EXPECT_EQ(side.World->WaterBackgroundIndex(), 2);
  EXPECT_TRUE(side.World->Waters[2].second->Visible());
  EXPECT_EQ(side.World->GetBubbleCount(), 0);
  EXPECT_EQ(d.LabelBubblesCount, "0");
  EXPECT_FALSE(side.World->UseLights());
  EXPECT_FALSE(side.World->Waters[2].second->UseLights);
  EXPECT_FALSE(side.Clock->Visible());
  EXPECT_EQ(side.ClockSkin->GetFileIndex(), 3);
  EXPECT_EQ(side.ClockSkin->TextureName, "Purple.jpg");
  // A refill does not echo into the world either.
  form->FillDialogControls();
  EXPECT_EQ(d.ComboBoxBackgrounds.ItemIndex, 2);
  EXPECT_EQ(d.ComboBoxClock.ItemIndex, 3);
}

TEST_F(SettingsDialog, CancelKeepsTheStoredBubbleCountAndOkStoresIt) {
  store.SetValue(platform::SettingsRoot::CurrentUser, kKey, "BubbleCount", "30");
  Make();
  ASSERT_TRUE(Run(1)) << Errors();
  EXPECT_EQ(Dialog().TrackBarBubblesCount.Position, 30);
  Dialog().TrackBarBubblesCount.SetPosition(0);
  Dialog().TrackBarBubblesCountChange();
  // The preview has no bubbles left.
  EXPECT_EQ(Side().World->GetBubbleCount(), 0);
  Dialog().ButtonClick(velmora::TSettingsDialog::btCancel);
  EXPECT_TRUE(Application().Terminated());
  EXPECT_EQ(Stored("BubbleCount"), "30");

  // The next start shows the stored count; OK stores the slider's.
  form.reset();
  Make();
  ASSERT_TRUE(Run(1)) << Errors();
  EXPECT_EQ(Side().World->GetBubbleCount(), 30);
  Dialog().TrackBarBubblesCount.SetPosition(0);
  Dialog().TrackBarBubblesCountChange();
  Dialog().ComboBoxBackgrounds.ItemIndex = 1;
  Dialog().ComboBoxBackgroundsChange();
  Dialog().ButtonClick(velmora::TSettingsDialog::btOk);
  EXPECT_TRUE(Application().Terminated());
  EXPECT_EQ(Stored("BubbleCount"), "0");
  EXPECT_EQ(Stored("WaterBackgroundIndex"), "1");
}

// OK with the user's settings file marked read-only, on the real store:
// nothing is lost silently. The form stays open with the changes, says so
// beside OK (and the reason on standard error); once the file can be
// written again, OK stores them and closes.
TEST_F(SettingsDialog, OkThatCannotSaveKeepsTheFormOpenAndSaysWhy) {
  platform_test::TempFolder tmp;
  platform::SdlSettingsStore real(tmp / "machine", tmp / "user");
  platform::ScopedService<platform::SettingsStore> useReal(&real);
  real.OpenKey(platform::SettingsRoot::CurrentUser, kKey, false)->WriteString("BubbleCount", "30");
  const std::filesystem::path file = real.KeyFile(platform::SettingsRoot::CurrentUser, kKey);
  const std::string before = platform_test::ReadFile(file);
  std::filesystem::permissions(file, std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                         std::filesystem::perms::others_read);
  Make();
  ASSERT_TRUE(Run(1)) << Errors();
  EXPECT_EQ(Side().World->GetBubbleCount(), 30);
  const uint32_t besideOk = Pixel(420, 398);
  Dialog().TrackBarBubblesCount.SetPosition(0);
  Dialog().TrackBarBubblesCountChange();
  testing::internal::CaptureStderr();
  Dialog().ButtonClick(velmora::TSettingsDialog::btOk);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_FALSE(Application().Terminated()) << "the form closed and the changes are lost";
  EXPECT_NE(Dialog().SaveError.find("\"" + file.string() + "\" is read-only"), std::string::npos)
      << Dialog().SaveError;
  EXPECT_NE(err.find("velmora: the settings could not be saved: "), std::string::npos) << err;
  EXPECT_NE(err.find("is read-only"), std::string::npos) << err;
  EXPECT_EQ(platform_test::ReadFile(file), before);
  // The next frame shows the message beside OK, in red.
  ASSERT_TRUE(Run(1)) << Errors();
  bool red = false;
  for (int y = 388; y < 408 && !red; ++y)
    for (int x = 340; x < 516 && !red; ++x) {
      const uint32_t p = Pixel(x, y);
      red = (p >> 16 & 0xFF) > 120 && (p >> 8 & 0xFF) < 80 && (p & 0xFF) < 80;
    }
  EXPECT_TRUE(red) << "no message beside OK; it was " << std::hex << besideOk << " there before";
  EXPECT_EQ(Side().World->GetBubbleCount(), 0) << "the changes are still in the form";
  EXPECT_EQ(Errors(), "") << "no box: the message is in the form";

  // Writable again: OK stores the changes and closes.
  std::filesystem::permissions(file, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
  Dialog().ButtonClick(velmora::TSettingsDialog::btOk);
  EXPECT_TRUE(Application().Terminated());
  EXPECT_EQ(Dialog().SaveError, "");
  std::string stored;
  ASSERT_TRUE(real.OpenKey(platform::SettingsRoot::CurrentUser, kKey, true)->ReadString("BubbleCount", stored));
  EXPECT_EQ(stored, "0");
  form.reset();  // before the real store goes
}

TEST_F(SettingsDialog, TheWindowsCloseButtonIsCancel) {
  Make();
  ASSERT_TRUE(Run(1)) << Errors();
  Dialog().TrackBarBubblesCount.SetPosition(7);
  Dialog().TrackBarBubblesCountChange();
  Send(MessageKind::Close);
  EXPECT_TRUE(Application().Terminated());
  EXPECT_FALSE(Stored("BubbleCount").has_value());
}

TEST_F(SettingsDialog, ButtonsOpenHelpContactAboutAndThePreview) {
  Make();
  ASSERT_TRUE(Run(1)) << Errors();
  velmora::TSettingsDialog& d = Dialog();
  d.ButtonClick(velmora::TSettingsDialog::btHelp);
  d.ButtonClick(velmora::TSettingsDialog::btFeedBack);
  ASSERT_EQ(processes.shellOpens.size(), 2u);
  EXPECT_EQ(processes.shellOpens[0].file, app->HelpFileName());
  // The contact address is the shipped help page, never anyone else's.
  EXPECT_EQ(processes.shellOpens[1].file, "file://" + app->HelpFileName() + "#contact");
  d.ButtonClick(velmora::TSettingsDialog::btAbout);
  EXPECT_TRUE(d.AboutShown());
  ASSERT_TRUE(Run(2)) << Errors();
  EXPECT_NE(d.AboutOpenGL().find("Renderer: "), std::string::npos);
  EXPECT_NE(d.AboutYearLine().find("20"), std::string::npos);

  // "Preview": the scene full screen; a key takes it back to the form.
  d.ButtonClick(velmora::TSettingsDialog::btPreview);
  EXPECT_TRUE(form->GLDisplay()->FullScreen());
  ASSERT_TRUE(Run(2)) << Errors();
  EXPECT_FALSE(form->GLWindow()->InPanel());
  EXPECT_EQ(app->Viewport().GLViewport()->Left, 0);
  Send(MessageKind::KeyDown, 'A');
  EXPECT_FALSE(form->GLDisplay()->FullScreen());
  EXPECT_FALSE(Application().Terminated());
  ASSERT_TRUE(Run(2)) << Errors();
  EXPECT_TRUE(form->GLWindow()->InPanel());
  EXPECT_EQ(form->GLWindow()->ClientWidth(), 685);
  EXPECT_EQ(app->Viewport().GLViewport()->Left, 6);
}

// A frame of the dialog in which nothing changes takes nothing from the
// heap, whichever of its windows is open: no text is made or copied per
// frame.
TEST_F(SettingsDialog, AnIdleDialogFrameAllocatesNothing) {
  Make();
  ASSERT_TRUE(Run(2)) << Errors();
  auto idleFrame = [&] {
    // The first frames of a window grow ImGui's buffers once.
    for (int i = 0; i < 3; ++i) form->DrawDialog(0.05f);
    worldtest::AllocationCount count;
    form->DrawDialog(0.05f);
    return count.Blocks();
  };
  EXPECT_EQ(idleFrame(), 0u) << "the form";
  Dialog().ButtonClick(velmora::TSettingsDialog::btAbout);
  EXPECT_EQ(idleFrame(), 0u) << "the about box";
  ASSERT_TRUE(Dialog().AboutShown());
  Dialog().CloseAboutBox();
  Dialog().ButtonClick(velmora::TSettingsDialog::btAdvanced);
  ASSERT_NE(Dialog().Advanced(), nullptr);
  Dialog().Advanced()->ComboBoxTextures.SetItemIndex(1);  // "True Color (32 bit)": longer than a short string
  EXPECT_EQ(idleFrame(), 0u) << "the advanced dialog";
  EXPECT_EQ(GL.glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(SettingsDialog, AdvancedDialogFillsItsListsAndAppliesOnOk) {
  display.monitors = {{0, 0, 1024, 768}, {1024, 0, 1280, 1024}};
  display.modes = {{640, 480, 16, 60}, {800, 600, 16, 60}, {1024, 768, 16, 60}, {800, 600, 32, 60},
                   {1024, 768, 32, 60}};
  Make();
  // The scene and the options without a rendering context: the renderer is
  // the one chosen (a context on llvmpipe would make it the software one
  // for good).
  app->Start();
  ASSERT_NE(Side().Scene, nullptr) << Errors();
  form->FillDialogControls();
  Dialog().ButtonClick(velmora::TSettingsDialog::btAdvanced);
  TFormAdvancedSettings* a = Dialog().Advanced();
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->ComboBoxMultiMonitors.Items,
            (std::vector<std::string>{"Primary Monitor", "1 - Monitor", "2 - Monitor", "Dual View", "Virtual Desktop"}));
  EXPECT_EQ(a->ComboBoxMultiMonitors.ItemIndex, 0);  // Monitor -1
  EXPECT_EQ(a->ComboBoxRenderer.Items, (std::vector<std::string>{"OpenGL", "Software"}));
  EXPECT_EQ(a->ComboBoxDepth.Items, (std::vector<std::string>{"High Color(16 bit)", "True Color(32 bit)"}));
  EXPECT_EQ(a->ComboBoxMonitorOff.Items.size(), 16u);
  EXPECT_EQ(a->ComboBoxPowerOff.Items.back(), "5 hour");
  EXPECT_EQ(a->ComboBoxClockMode.ItemIndex, 1);
  EXPECT_FALSE(a->CheckBoxFPS.Checked);
  ASSERT_EQ(a->CheckListBoxSounds.Items.size(), 2u);
  EXPECT_EQ(a->CheckListBoxSounds.ItemIndex, 0);
  EXPECT_EQ(a->LabelVolume, a->CheckListBoxSounds.Items[0].first + " Volume");
  // Without "Desktop Resolution" the lists work: the 16-bit sizes, then
  // 800x600 of them.
  a->CheckBoxDesktop.Checked = false;
  a->CheckBoxDesktopClick();
  EXPECT_TRUE(a->ComboBoxDepth.Enabled);
  a->ComboBoxDepth.ItemIndex = 0;
  a->ComboBoxDepthChange();
  EXPECT_EQ(a->ComboBoxResolution.Items, (std::vector<std::string>{"640x480", "800x600", "1024x768"}));
  a->ComboBoxResolution.ItemIndex = 1;
  a->ComboBoxResolutionChange();
  EXPECT_EQ(form->GLDisplay()->FullScreenMode().ModeText(), "800x600x16");
  // "Dual View" on "Software": the renderer becomes OpenGL.
  a->ComboBoxMultiMonitors.ItemIndex = 3;
  a->ComboBoxRenderer.ItemIndex = 1;
  a->ComboBoxPowerOff.ItemIndex = 4;
  a->ComboBoxMonitorOff.ItemIndex = 2;
  a->ComboBoxClockMode.ItemIndex = 2;
  a->ShapeColorChange(10, 20, 30);
  a->CheckBoxWaitSync.Checked = false;
  a->CheckBoxFPS.Checked = true;
  a->CheckBoxFixedFPS.Checked = true;
  a->CheckBoxMouseMove.Checked = true;
  a->CheckBoxRunAsProg.Checked = true;
  a->CheckBoxDesktop.Checked = false;
  Dialog().CloseAdvancedSettings(true);
  EXPECT_EQ(Dialog().Advanced(), nullptr);
  EXPECT_EQ(form->GLWindow()->Monitor, 2);
  EXPECT_EQ(app->OpenGL()->Renderer(), glrOpenGL);
  EXPECT_EQ(app->PowerOffIndex(), 4);
  EXPECT_EQ(app->MonitorOffIndex(), 2);
  auto* clockObject = dynamic_cast<TGLClock*>(Side().Scene->FindObject("GLClock"));
  EXPECT_EQ(clockObject->Mode(), 2);
  EXPECT_EQ(clockObject->Color.r, 10);
  EXPECT_EQ(clockObject->Color.g, 20);
  EXPECT_EQ(clockObject->Color.b, 30);
  EXPECT_FALSE(app->OpenGL()->WaitSync);
  EXPECT_TRUE(Side().Scene->ShowFPS());
  EXPECT_TRUE(app->LowCPU);
  EXPECT_TRUE(app->MouseMoveExit);
  EXPECT_TRUE(app->RunAsProgram);
  EXPECT_FALSE(form->GLDisplay()->DesktopOnly);
  EXPECT_EQ(form->GLDisplay()->FullScreenMode().ModeText(), "800x600x16");
  // Nothing stored until the form's OK.
  EXPECT_FALSE(Stored("Clock Mode").has_value());
  Dialog().ButtonClick(velmora::TSettingsDialog::btOk);
  EXPECT_EQ(Stored("Clock Mode"), "2");
  EXPECT_EQ(Stored("Clock Color"), "10,20,30,255");
}

TEST_F(SettingsDialog, FramesDrawTheAdvancedDialogOverTheForm) {
  Make();
  ASSERT_TRUE(Run(1)) << Errors();
  Dialog().ButtonClick(velmora::TSettingsDialog::btAdvanced);
  ASSERT_TRUE(Run(2)) << Errors();
  ImGui::SetCurrentContext(form->DialogGui()->Context());
  EXPECT_TRUE(ImGui::IsPopupOpen("", ImGuiPopupFlags_AnyPopupId));
  // Escape is its Cancel.
  Send(MessageKind::KeyDown, platform::vkEscape);
  Send(MessageKind::KeyUp, platform::vkEscape);
  ASSERT_TRUE(Run(2)) << Errors();
  EXPECT_EQ(Dialog().Advanced(), nullptr);
  EXPECT_EQ(Errors(), "");
}

TEST_F(SettingsDialog, TheSoftwareRendererStaysOnThePrimaryMonitorAndCancelKeepsOnlySoundChanges) {
  Make();
  app->Start();
  ASSERT_NE(Side().Scene, nullptr) << Errors();
  EXPECT_EQ(TFormAdvancedSettings::MonitorNames(1),
            (std::vector<std::string>{"Primary Monitor", "1 - Monitor", "Dual View", "Virtual Desktop"}));
  Dialog().ButtonClick(velmora::TSettingsDialog::btAdvanced);
  TFormAdvancedSettings* a = Dialog().Advanced();
  ASSERT_NE(a, nullptr);
  auto* sounds = dynamic_cast<TSceneSoundList*>(Side().Scene->FindObject("Sounds"));
  ASSERT_NE(sounds, nullptr);
  TSceneSound* first = sounds->FindSound(a->CheckListBoxSounds.Items[0].first);
  TSceneSound* second = sounds->FindSound(a->CheckListBoxSounds.Items[1].first);
  ASSERT_TRUE(first && second);
  // Unticking stops the sound at once; the volume bar sets the selected
  // sound's volume at once; selecting shows the other's.
  a->CheckListBoxSounds.Items[1].second = false;
  a->CheckListBoxSoundsClickCheck();
  EXPECT_TRUE(first->Visible());
  EXPECT_FALSE(second->Visible());
  a->TrackBarSoundVolume.SetPosition(35);
  a->TrackBarSoundVolumeChange();
  EXPECT_EQ(first->Volume(), 35);
  EXPECT_EQ(a->LabelSoundVolume, "35");
  a->CheckListBoxSounds.ItemIndex = 1;
  a->CheckListBoxSoundsClick();
  EXPECT_EQ(a->TrackBarSoundVolume.Position, second->Volume());
  EXPECT_EQ(a->LabelVolume, second->Name() + " Volume");
  // Cancel: the clock mode chosen is dropped, the sounds stay as set.
  a->ComboBoxClockMode.ItemIndex = 0;
  a->ComboBoxPowerOff.ItemIndex = 9;
  Dialog().CloseAdvancedSettings(false);
  EXPECT_EQ(dynamic_cast<TGLClock*>(Side().Scene->FindObject("GLClock"))->Mode(), 1);
  EXPECT_EQ(app->PowerOffIndex(), 0);
  EXPECT_FALSE(second->Visible());
  EXPECT_EQ(first->Volume(), 35);

  // "Software" on the primary monitor is kept.
  Dialog().ButtonClick(velmora::TSettingsDialog::btAdvanced);
  a = Dialog().Advanced();
  a->ComboBoxRenderer.ItemIndex = 1;
  a->ComboBoxMultiMonitors.ItemIndex = 0;
  Dialog().CloseAdvancedSettings(true);
  EXPECT_EQ(form->GLWindow()->Monitor, -1);
  EXPECT_EQ(app->OpenGL()->Renderer(), glrDirectX);
  // The software rasteriser draws the dialog as well.
  ASSERT_TRUE(Run(2)) << Errors();
  EXPECT_EQ(Errors(), "");
}

TEST_F(SettingsDialog, AChangedQualityReloadsEveryTextureAChangedFormatOnlyUpdates) {
  Make();
  ASSERT_TRUE(Run(2)) << Errors();
  auto* list = dynamic_cast<TSceneTextureList*>(Side().Scene->FindObject("Textures"));
  auto* water = dynamic_cast<TSceneTexture*>(Side().Scene->FindObject("Textures/water.jpg"));
  ASSERT_TRUE(list && water);
  ASSERT_NE(water->GLTexture(), nullptr);
  EXPECT_EQ(water->Step, 1);
  TGLTexture* before = water->GLTexture();

  Dialog().ButtonClick(velmora::TSettingsDialog::btAdvanced);
  Dialog().Advanced()->ComboBoxTextures.ItemIndex = 2;  // "High Color (16 bit)"
  Dialog().CloseAdvancedSettings(true);
  EXPECT_EQ(list->ColorBit(), cb16Bit);
  EXPECT_EQ(water->GLTexture(), before);  // updated in place

  Dialog().ButtonClick(velmora::TSettingsDialog::btAdvanced);
  Dialog().Advanced()->ComboBoxQuality.ItemIndex = 2;  // "Low"
  Dialog().CloseAdvancedSettings(true);
  EXPECT_EQ(list->Quality(), tqLow);
  EXPECT_EQ(water->GLTexture(), nullptr);  // read again at its next use
  ASSERT_TRUE(Run(2)) << Errors();
  ASSERT_NE(water->GLTexture(), nullptr);
  EXPECT_GT(water->Step, 1);
  EXPECT_EQ(Errors(), "");
}

// "Render Scale" shows the application's percentage; a new choice holds
// from the next frame, which draws the preview panel at that scale.
TEST_F(SettingsDialog, RenderScaleIsShownAndApplied) {
  Make();
  ASSERT_TRUE(Run(2)) << Errors();
  app->RenderScale = 75;
  Dialog().ButtonClick(velmora::TSettingsDialog::btAdvanced);
  auto* a = Dialog().Advanced();
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->ComboBoxRenderScale.Items, (std::vector<std::string>{"100 %", "75 %", "50 %"}));
  EXPECT_EQ(a->ComboBoxRenderScale.ItemIndex, 1);
  a->ComboBoxRenderScale.ItemIndex = 2;
  Dialog().CloseAdvancedSettings(true);
  EXPECT_EQ(app->RenderScale, 50);
  ASSERT_TRUE(Run(3)) << Errors();
  EXPECT_EQ(Errors(), "");
  Dialog().ButtonClick(velmora::TSettingsDialog::btAdvanced);
  EXPECT_EQ(Dialog().Advanced()->ComboBoxRenderScale.ItemIndex, 2);
  Dialog().CloseAdvancedSettings(false);
}

TEST_F(SettingsDialog, SkinNamesAreTheColourImagesOfTheFileList) {
  EXPECT_EQ(velmora::TSettingsDialog::SkinNames({"Yellow.jpg", "ClockSkin01A.jpg", "skins/Light_Blue.bmp",
                                                 "ClockSkin01A.jpg", "C:\\old\\Deep_Sea_Green.jpg"}),
            (std::vector<std::string>{"Yellow", "Light Blue", "Deep Sea Green"}));
  EXPECT_TRUE(velmora::TSettingsDialog::SkinNames({}).empty());
}

TEST_F(SettingsDialog, DamagedStoredSettingsDoNotStopTheDialog) {
  auto set = [&](const char* name, const char* value) {
    store.SetValue(platform::SettingsRoot::CurrentUser, kKey, name, value);
  };
  set("WaterBackgroundIndex", "9");
  set("FishTypeIndex", "7");
  set("Clock Color", "not a colour");
  set("ClockSkin01Index", "40");
  Make();
  ASSERT_TRUE(Run(2)) << Errors();
  EXPECT_EQ(Errors(), "");
  EXPECT_EQ(Side().World->WaterBackgroundIndex(), 2);
  EXPECT_TRUE(Side().World->Waters[2].second->Visible());
  EXPECT_EQ(Side().World->FishTypeIndex(), 1);
  EXPECT_EQ(Dialog().ComboBoxBackgrounds.ItemIndex, 2);
  EXPECT_GE(Dialog().ComboBoxClock.ItemIndex, 0);
  Dialog().ButtonClick(velmora::TSettingsDialog::btAdvanced);
  ASSERT_NE(Dialog().Advanced(), nullptr);
  // The clock keeps the description's colour.
  auto* clockObject = dynamic_cast<TGLClock*>(Side().Scene->FindObject("GLClock"));
  EXPECT_EQ(Dialog().Advanced()->ShapeColor, clockObject->Color);
  Dialog().CloseAdvancedSettings(false);
  // OK writes indexes that name what is shown.
  Dialog().ButtonClick(velmora::TSettingsDialog::btOk);
  EXPECT_EQ(Stored("WaterBackgroundIndex"), "2");
  EXPECT_EQ(Stored("FishTypeIndex"), "1");
  EXPECT_NE(Stored("Clock Color"), "not a colour");
}

TEST_F(SettingsDialog, TheKeyboardMovesBetweenControlsAndWorksThem) {
  Make();
  ASSERT_TRUE(Run(2)) << Errors();
  ASSERT_TRUE(Dialog().CheckBoxLights.Checked);
  auto key = [&](int32_t code) {
    Send(MessageKind::KeyDown, code);
    Run(1);
    Send(MessageKind::KeyUp, code);
    Run(1);
  };
  // The arrows move the focus from control to control; Space works the
  // one that has it. Down from the top of the form reaches "Lights".
  bool toggled = false;
  for (int step = 0; step < 12 && !toggled; ++step) {
    key(platform::vkDown);
    ImGui::SetCurrentContext(form->DialogGui()->Context());
    key(platform::vkSpace);
    ImGui::SetCurrentContext(form->DialogGui()->Context());
    if (ImGui::IsPopupOpen("", ImGuiPopupFlags_AnyPopupId)) key(platform::vkEscape);  // a list opened: closed again
    toggled = !Dialog().CheckBoxLights.Checked;
    ASSERT_FALSE(Application().Terminated());
    ASSERT_FALSE(form->GLDisplay()->FullScreen());
  }
  EXPECT_TRUE(toggled);
  EXPECT_FALSE(Side().World->UseLights());
}

// The Preview button clicked with the mouse in a frame of the dialog: the
// switch to full screen makes a new window and rendering context while the
// dialog's frame is open, so it waits for the frame's end; the dialog's font
// texture is made again in the new context, and the form comes back with
// the changes not yet saved.
TEST_F(SettingsDialog, PreviewClickedWithTheMouseRunsFullScreenAndReturnsWithTheChanges) {
  Make();
  ASSERT_TRUE(Run(2)) << Errors();
  Dialog().TrackBarBubblesCount.SetPosition(7);
  Dialog().TrackBarBubblesCountChange();
  const uint32_t fontBefore = form->DialogGui()->FontTexture();
  ASSERT_NE(fontBefore, 0u);
  // "Preview": 75 x 25 at 6, 386.
  Send(MessageKind::MouseMove, 0, 43, 398);
  Run(1);
  Send(MessageKind::LButtonDown, 0, 43, 398);
  Send(MessageKind::LButtonUp, 0, 43, 398);
  // A frame sees the press, the next the release (the click), the idle
  // step after it switches.
  ASSERT_TRUE(Run(3)) << Errors();
  EXPECT_FALSE(form->PreviewPending());
  ASSERT_TRUE(form->GLDisplay()->FullScreen());
  ASSERT_TRUE(Run(3)) << Errors();
  EXPECT_FALSE(form->GLWindow()->InPanel());
  EXPECT_EQ(form->DialogGui()->FontTexture(), 0u);  // no dialog drawn full screen
  EXPECT_FALSE(Application().Terminated());
  // A key ends the preview: the form again, its font texture made in the
  // new context, the change still there and not stored.
  Send(MessageKind::KeyDown, 'A');
  Send(MessageKind::KeyUp, 'A');
  EXPECT_FALSE(form->GLDisplay()->FullScreen());
  ASSERT_TRUE(Run(3)) << Errors();
  EXPECT_TRUE(form->GLWindow()->InPanel());
  EXPECT_NE(form->DialogGui()->FontTexture(), 0u);
  EXPECT_TRUE(GL.glIsTexture(GLuint(form->DialogGui()->FontTexture())));
  EXPECT_EQ(Dialog().TrackBarBubblesCount.Position, 7);
  EXPECT_EQ(Side().World->GetBubbleCount(), 7);
  EXPECT_FALSE(Stored("BubbleCount").has_value());
  app->Viewport().Apply();
  form->ScreenSaverRender(0.05f, false);
  EXPECT_EQ(Pixel(420, 398), kFormColour);
  std::set<uint32_t> controls;
  for (int x = 494; x < 678; x += 2)
    for (int y = 4; y < 76; y += 2) controls.insert(Pixel(x, y));
  EXPECT_TRUE(controls.count(0x000000)) << "no text in the form after the preview";
  EXPECT_EQ(GL.glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// The rendering context going in the middle of a dialog frame (a handler
// that restarts it) must not trip ImGui's check of the font's texture, and
// the next frames draw with a font texture of the new context.
TEST_F(SettingsDialog, TheDialogSurvivesItsContextGoingInTheMiddleOfAFrame) {
  Make();
  ASSERT_TRUE(Run(2)) << Errors();
  TDialogGui& gui = *form->DialogGui();
  gui.NewFrame(685, 422, 0.05f);
  ImGui::Begin("##Test");
  ImGui::TextUnformatted("before");
  gui.ReleaseGL(true);
  ImGui::TextUnformatted("after");
  ImGui::End();
  gui.Render(true);
  EXPECT_NE(gui.FontTexture(), 0u);
  EXPECT_TRUE(GL.glIsTexture(GLuint(gui.FontTexture())));
  ImGui::SetCurrentContext(gui.Context());
  EXPECT_EQ(ImGui::GetIO().Fonts->TexID, reinterpret_cast<ImTextureID>(static_cast<intptr_t>(gui.FontTexture())));
  ASSERT_TRUE(Run(2)) << Errors();
}

TEST_F(SettingsDialog, HelpAndContactWithoutTheDesktopsOpenerShowTheAddressToCopy) {
  processes.shellOpenResult = false;  // no xdg-open
  Make();
  ASSERT_TRUE(Run(2)) << Errors();
  velmora::TSettingsDialog& d = Dialog();
  EXPECT_EQ(d.UnopenedAddress(), "");
  d.ButtonClick(velmora::TSettingsDialog::btHelp);
  EXPECT_EQ(d.UnopenedAddress(), app->HelpFileName());
  ASSERT_TRUE(Run(2)) << Errors();
  EXPECT_TRUE(MessageShown());
  // Escape closes the message.
  Send(MessageKind::KeyDown, platform::vkEscape);
  Run(1);
  Send(MessageKind::KeyUp, platform::vkEscape);
  Run(1);
  EXPECT_EQ(d.UnopenedAddress(), "");
  EXPECT_FALSE(MessageShown());
  d.ButtonClick(velmora::TSettingsDialog::btFeedBack);
  EXPECT_EQ(d.UnopenedAddress(), "file://" + app->HelpFileName() + "#contact");
  ASSERT_TRUE(Run(2)) << Errors();
  EXPECT_TRUE(MessageShown());
  EXPECT_EQ(processes.shellOpens.size(), 2u);
  // With an opener nothing is shown.
  d.CloseUnopenedMessage();
  processes.shellOpenResult = true;
  d.ButtonClick(velmora::TSettingsDialog::btHelp);
  EXPECT_EQ(d.UnopenedAddress(), "");
}

TEST_F(SettingsDialog, FishTypeAndCountAreEverydayOptionsStoredWithOk) {
  Make();
  ASSERT_TRUE(Run(2)) << Errors();
  velmora::TSettingsDialog& d = Dialog();
  EXPECT_EQ(d.ComboBoxFishType.Items, (std::vector<std::string>{"Sea fish", "River fish"}));
  EXPECT_EQ(d.ComboBoxFishType.ItemIndex, Side().World->FishTypeIndex());
  EXPECT_EQ(d.TrackBarFishCount.Position, Side().World->FishCount());
  EXPECT_EQ(d.LabelFishCount, std::to_string(Side().World->FishCount()));
  d.ComboBoxFishType.SetItemIndex(1);
  d.ComboBoxFishTypeChange();
  d.TrackBarFishCount.SetPosition(33);
  d.TrackBarFishCountChange();
  EXPECT_EQ(Side().World->FishTypeIndex(), 1);
  EXPECT_EQ(Side().World->FishCount(), 33);
  EXPECT_EQ(d.LabelFishCount, "33");
  ASSERT_TRUE(Run(1)) << Errors();
  d.ButtonClick(velmora::TSettingsDialog::btOk);
  EXPECT_EQ(Stored("FishTypeIndex"), "1");
  EXPECT_EQ(Stored("FishCount"), "33");
  // The next start shows what was stored.
  form.reset();
  Make();
  ASSERT_TRUE(Run(2)) << Errors();
  EXPECT_EQ(Dialog().ComboBoxFishType.ItemIndex, 1);
  EXPECT_EQ(Dialog().TrackBarFishCount.Position, 33);
}

// Tab moves the focus from control to control as the arrows do and never
// turns the track bars into text boxes.
TEST_F(SettingsDialog, TabMovesBetweenControlsAndNeverStartsTyping) {
  Make();
  ASSERT_TRUE(Run(2)) << Errors();
  ASSERT_TRUE(Dialog().CheckBoxLights.Checked);
  auto key = [&](int32_t code, bool shift = false) {
    platform::Message m;
    m.kind = MessageKind::KeyDown;
    m.key = code;
    m.shift = shift;
    m.window = form->GLWindow()->WindowId();
    Application().ProcessMessage(m);
    Run(1);
    m.kind = MessageKind::KeyUp;
    Application().ProcessMessage(m);
    Run(1);
  };
  std::set<ImGuiID> visited;
  bool toggled = false;
  for (int step = 0; step < 12 && !toggled; ++step) {
    key(platform::vkTab);
    ImGui::SetCurrentContext(form->DialogGui()->Context());
    ASSERT_FALSE(ImGui::GetIO().WantTextInput) << "Tab started typing at step " << step;
    ASSERT_EQ(GImGui->TempInputId, 0u) << "a control turned into a text box at step " << step;
    visited.insert(GImGui->NavId);
    key(platform::vkSpace);
    ImGui::SetCurrentContext(form->DialogGui()->Context());
    ASSERT_FALSE(ImGui::GetIO().WantTextInput);
    if (ImGui::IsPopupOpen("", ImGuiPopupFlags_AnyPopupId)) key(platform::vkEscape);
    toggled = !Dialog().CheckBoxLights.Checked;
  }
  EXPECT_TRUE(toggled) << "Tab never reached Lights";
  EXPECT_GE(visited.size(), 2u);
  EXPECT_EQ(Dialog().TrackBarBubblesCount.Position, 50);
  // Shift+Tab goes back.
  ImGui::SetCurrentContext(form->DialogGui()->Context());
  const ImGuiID at = GImGui->NavId;
  key(platform::vkTab, true);
  ImGui::SetCurrentContext(form->DialogGui()->Context());
  EXPECT_NE(GImGui->NavId, at);
  EXPECT_FALSE(ImGui::GetIO().WantTextInput);
}

TEST_F(SettingsDialog, TheAdvancedDialogSwitchesSnapshotsAndOkStoresIt) {
  Make();
  ASSERT_TRUE(Run(2)) << Errors();
  ASSERT_FALSE(app->SnapshotsEnabled);
  Dialog().ButtonClick(velmora::TSettingsDialog::btAdvanced);
  ASSERT_NE(Dialog().Advanced(), nullptr);
  EXPECT_FALSE(Dialog().Advanced()->CheckBoxSnapshots.Checked);
  ASSERT_TRUE(Run(2)) << Errors();  // drawn
  Dialog().Advanced()->CheckBoxSnapshots.Checked = true;
  Dialog().CloseAdvancedSettings(true);
  EXPECT_TRUE(app->SnapshotsEnabled);
  Dialog().ButtonClick(velmora::TSettingsDialog::btOk);
  EXPECT_EQ(store.Value(platform::SettingsRoot::LocalMachine, kKey,
                        TCustomApplicationPro::ComplementText("SnapshotsEnabled")),
            TCustomApplicationPro::BoolToText(true));
}

}  // namespace
}  // namespace worldtest
