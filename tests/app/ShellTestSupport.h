// Fakes the shell's and the settings form's tests share: windows that exist
// only as records, and fixtures that install the platform services the
// application object reaches, so no test touches the real desktop,
// settings or power.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/Toolkit.h"
#include "platform/Service.h"
#include "platform/Window.h"
#include "platform/fake/FakeClock.h"
#include "platform/fake/FakeDialogs.h"
#include "platform/fake/FakeDisplay.h"
#include "platform/fake/FakeEvents.h"
#include "platform/fake/FakeGLDriver.h"
#include "platform/fake/FakeLocalTime.h"
#include "platform/fake/FakeProcesses.h"
#include "platform/fake/FakeScreenSaverHost.h"
#include "platform/fake/FakeSettingsStore.h"
#include "platform/fake/FakeSystem.h"

namespace shelltest {

class RecordingWindows : public platform::Windows {
 public:
  class Window : public platform::NativeWindow {
   public:
    Window(RecordingWindows* owner, const platform::WindowRequest& r, uint32_t id)
        : owner_(owner), request(r), id_(id) {}
    ~Window() override { ++owner_->destroyed; }
    uint32_t Id() const override { return id_; }
    void* Handle() const override { return nullptr; }
    int Width() const override { return request.bounds.width; }
    int Height() const override { return request.bounds.height; }
    void SetBounds(const platform::Rect& b) override { request.bounds = b; }
    void SetVisible(bool v) override { request.visible = v; }
    void SetTitle(const std::string& t) override { request.title = t; }
    void Raise() override { ++raised; }
    bool OutputsApart() const override { return outputsApart; }

    RecordingWindows* owner_;
    platform::WindowRequest request;
    uint32_t id_;
    int raised = 0;
    bool outputsApart = false;
  };

  std::unique_ptr<platform::NativeWindow> Create(const platform::WindowRequest& request) override {
    requests.push_back(request);
    auto w = std::make_unique<Window>(this, request, nextId++);
    w->outputsApart = outputsApart;
    last = w.get();
    return w;
  }
  bool ForeignWindowRect(platform::ForeignWindowId id, platform::Rect& rect) override {
    if (id != kHost) return false;
    rect = platform::Rect{100, 50, 152, 112};
    return true;
  }
  void EnableForeignWindow(platform::ForeignWindowId id, bool enabled) override {
    enables.emplace_back(id, enabled);
  }
  platform::ForeignWindowId ForegroundWindow() override { return foreground; }

  static constexpr platform::ForeignWindowId kHost = 4242;
  std::vector<platform::WindowRequest> requests;
  std::vector<std::pair<platform::ForeignWindowId, bool>> enables;
  platform::ForeignWindowId foreground = 3131;
  Window* last = nullptr;
  uint32_t nextId = 10;
  int destroyed = 0;
  bool outputsApart = false;  // the windows made from now on
};

// The platform services the application object and the settings form
// reach besides windows and OpenGL, faked: system, clock, message queue,
// dialogs, settings store, screen-saver host, processes, local time and
// display. Windows and OpenGL stay real (SDL's offscreen driver) for the
// tests that draw; ShellFakes fakes them too.
struct PlatformFakes {
  platform::FakeSystem system;
  platform::FakeClock clock;
  platform::FakeEvents events;
  platform::FakeDialogs dialogs;
  platform::FakeSettingsStore store;
  platform::FakeScreenSaverHost host;
  platform::FakeProcesses processes;
  platform::FakeLocalTime time{12, 40, 15};
  platform::FakeDisplay display;

  platform::ScopedService<platform::System> s1{&system};
  platform::ScopedService<platform::Clock> s2{&clock};
  platform::ScopedService<platform::EventSource> s3{&events};
  platform::ScopedService<platform::Dialogs> s4{&dialogs};
  platform::ScopedService<platform::SettingsStore> s5{&store};
  platform::ScopedService<platform::ScreenSaverHost> s6{&host};
  platform::ScopedService<platform::Processes> s7{&processes};
  platform::ScopedService<platform::LocalTime> s8{&time};
  platform::ScopedService<platform::Display> s9{&display};
};

// Every service the application object uses, faked, windows and OpenGL
// too; the toolkit's application object is reset before and after.
struct ShellFakes : PlatformFakes {
  RecordingWindows windows;
  platform::FakeGLDriver gl;  // offers no format: OpenGL never starts

  platform::ScopedService<platform::Windows> s10{&windows};
  platform::ScopedService<platform::GLDriver> s11{&gl};

  ShellFakes() {
    velmora::Application().Reset();
    display.modes = {{640, 480, 16, 60}, {1024, 768, 32, 60}};
    display.monitors = {{0, 0, 1024, 768}};
    system.executablePath = "/opt/velmora/velmora";
  }
  ~ShellFakes() { velmora::Application().Reset(); }
};

}  // namespace shelltest
