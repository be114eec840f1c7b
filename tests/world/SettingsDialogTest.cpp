// The settings dialog over the carried scene: its controls filled from the
// world, change handlers that wait for ControlsReady, OK and Cancel with
// the option store, OK that cannot store, damaged stored settings, the
// window's close button, the buttons (help and contact also without the
// desktop's opener, the about box, "Preview"), the fish options, a frame
// that allocates nothing, and the first frame's pixels: the scene in the
// preview panel, the form's colour around it. The advanced dialog's tests
// are in AdvancedSettingsTest.cpp, the keyboard's and the mouse's in
// SettingsDialogInputTest.cpp.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "core/Version.h"
#include "gl/Viewport.h"
#include "platform/KeyCodes.h"
#include "platform/sdl/SdlSettingsStore.h"
#include "scene/MainScene.h"
#include "scene/SceneTexture.h"
#include "world/GLClock.h"
#include "world/UnderWater.h"
#include "world/UnderWaterWorld.h"
#include "world/WatchClock.h"
#include "world/dialogs/AdvancedSettings.h"
#include "tests/platform/TempFolder.h"
#include "tests/world/AllocationCount.h"
#include "tests/world/SettingsDialogTestSupport.h"

namespace worldtest {
namespace {

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

}  // namespace
}  // namespace worldtest
