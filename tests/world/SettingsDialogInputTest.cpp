// The settings dialog worked as a user works it: the arrows and Tab move
// between the controls (Tab never starts typing) and Space works them;
// "Preview" clicked with the mouse runs full screen and comes back with the
// changes; the dialog survives its rendering context going in the middle
// of a frame.
#include <gtest/gtest.h>

#include <imgui.h>
#include <imgui_internal.h>

#include <cstdint>
#include <set>

#include "gl/GLEntryPoints.h"
#include "platform/KeyCodes.h"
#include "world/UnderWaterWorld.h"
#include "tests/world/SettingsDialogTestSupport.h"

namespace worldtest {
namespace {

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

}  // namespace
}  // namespace worldtest
