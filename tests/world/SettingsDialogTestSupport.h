// The fixture of the settings dialog's tests (SettingsDialogTest.cpp,
// AdvancedSettingsTest.cpp, SettingsDialogInputTest.cpp): the program role
// on the fake platform services with two display modes, the world's form
// side installed as the program installs it, frames run 50 ms apart, the
// form's window read back pixel by pixel and sent messages as a user's.
#pragma once

#include <gtest/gtest.h>

#include <imgui.h>
#include <imgui_internal.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/SettingsForm.h"
#include "app/Toolkit.h"
#include "assets/ResourceReader.h"
#include "assets/WinSoundDevice.h"
#include "gl/GLEntryPoints.h"
#include "program/WorldForm.h"
#include "world/FormWorld.h"
#include "world/dialogs/SettingsDialog.h"
#include "tests/app/ShellTestSupport.h"

namespace worldtest {

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

}  // namespace worldtest
