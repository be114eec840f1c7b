// The advanced dialog opened from the settings dialog: its lists filled
// from the display, the monitors, the sounds and the clock, and applied on
// OK (nothing stored before the form's OK); drawn over the form with
// Escape as its Cancel; the software renderer kept only on the primary
// monitor; Cancel keeping only the sound changes; a changed texture
// quality reloading every texture; the render scale; the snapshot switch.
#include <gtest/gtest.h>

#include <imgui.h>

#include <string>
#include <vector>

#include "platform/KeyCodes.h"
#include "scene/MainScene.h"
#include "scene/SceneSound.h"
#include "scene/SceneSoundList.h"
#include "scene/SceneTexture.h"
#include "scene/SceneTextureList.h"
#include "world/GLClock.h"
#include "world/dialogs/AdvancedSettings.h"
#include "tests/world/SettingsDialogTestSupport.h"

namespace worldtest {
namespace {

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
