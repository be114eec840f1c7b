#include "app/ScreenSaver.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/ApplicationOptions.h"
#include "app/ExecutePro.h"
#include "app/Form.h"
#include "app/Toolkit.h"
#include "core/Error.h"
#include "core/Strings.h"
#include "platform/Clock.h"
#include "platform/KeyCodes.h"
#include "platform/Process.h"
#include "platform/ScreenSaverHost.h"
#include "platform/Service.h"
#include "platform/SettingsStore.h"
#include "platform/System.h"

namespace velmora {

std::string ProgramFileKind(std::string_view programPath) {
  size_t slash = programPath.find_last_of('/');
  std::string_view name = slash == std::string_view::npos ? programPath : programPath.substr(slash + 1);
  size_t dot = name.find_last_of('.');
  if (dot == std::string_view::npos) return ".EXE";
  return UpperCase(name.substr(dot));
}

bool HasSwitch(const std::vector<std::string>& argv, char letter) {
  char wanted = UpperCase(std::string(1, letter))[0];
  for (size_t i = 1; i < argv.size(); ++i) {
    const std::string& a = argv[i];
    if (a.size() >= 2 && (a[0] == '-' || a[0] == '/') && UpperCase(a.substr(1, 1))[0] == wanted) return true;
  }
  return false;
}

platform::ForeignWindowId ParseWindowId(std::string_view text) {
  std::string t = Trim(text);
  auto bad = [&]() -> platform::ForeignWindowId {
    RaiseError("TGLScreenSaver", "Create", "Invalid window id \"" + std::string(text) + "\"");
  };
  bool hex = t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X');
  size_t start = hex ? 2 : 0;
  if (t.size() <= start || t.size() - start > (hex ? 16u : 20u)) return bad();
  platform::ForeignWindowId value = 0;
  for (size_t i = start; i < t.size(); ++i) {
    char c = t[i];
    unsigned digit;
    if (c >= '0' && c <= '9')
      digit = unsigned(c - '0');
    else if (hex && c >= 'a' && c <= 'f')
      digit = unsigned(c - 'a' + 10);
    else if (hex && c >= 'A' && c <= 'F')
      digit = unsigned(c - 'A' + 10);
    else
      return bad();
    unsigned base = hex ? 16 : 10;
    if (value > (UINT64_MAX - digit) / base) return bad();
    value = value * base + digit;
  }
  return value;
}

namespace {

// The host window named by the Windows-style switches: "/p:ID" or "/p ID".
platform::ForeignWindowId HostWindow(const std::vector<std::string>& argv, platform::ForeignWindowId foreground) {
  size_t args = argv.size() - 1;
  if (args < 2) {
    if (args == 1) {
      size_t colon = argv[1].find(':');
      if (colon != std::string::npos) return ParseWindowId(argv[1].substr(colon + 1, 20));
    }
    return foreground;
  }
  return ParseWindowId(argv[2]);
}

}  // namespace

TSaverCommandLine DecideSaverRole(const std::vector<std::string>& argv, platform::ForeignWindowId foreground,
                                  const std::string& xscreensaverWindow) {
  TSaverCommandLine r;
  size_t args = argv.empty() ? 0 : argv.size() - 1;

  // The X11 daemons' conventions come first: their switches mean nothing to
  // the Windows-style rules below, which would run the program role.
  for (size_t i = 1; i < argv.size(); ++i) {
    if (argv[i] == "-window-id" || argv[i] == "--window-id") {
      if (i + 1 >= argv.size()) RaiseError("TGLScreenSaver", "Create", "-window-id needs a window id");
      r.Role = srPreview;
      r.ParentHandle = ParseWindowId(argv[i + 1]);
      return r;
    }
  }
  for (size_t i = 1; i < argv.size(); ++i) {
    if (argv[i] == "-root" || argv[i] == "--root") {
      r.Role = srPreview;
      if (!xscreensaverWindow.empty())
        r.ParentHandle = ParseWindowId(xscreensaverWindow);
      else
        r.ParentIsRoot = true;
      return r;
    }
  }
  bool windowsSwitch = HasSwitch(argv, 'C') || HasSwitch(argv, 'A') || HasSwitch(argv, 'P') ||
                       HasSwitch(argv, 'L') || HasSwitch(argv, 'S');
  if (!xscreensaverWindow.empty() && !windowsSwitch) {
    r.Role = srPreview;
    r.ParentHandle = ParseWindowId(xscreensaverWindow);
    return r;
  }

  std::string kind = argv.empty() ? std::string(".EXE") : ProgramFileKind(argv[0]);
  if (kind == ".EXE" && args == 0)
    r.Role = srProgram;
  else if (args == 0 || HasSwitch(argv, 'C'))
    r.Role = srConfig;
  else if (HasSwitch(argv, 'A'))
    r.Role = srPassword;
  else if (HasSwitch(argv, 'P') || HasSwitch(argv, 'L'))
    r.Role = srPreview;
  else if (HasSwitch(argv, 'S'))
    r.Role = srSaver;
  else
    r.Role = srProgram;

  // Only the roles that use a host window read one, so "-s" with further
  // arguments of the program's own is no error.
  if (r.Role == srPreview || r.Role == srConfig || r.Role == srPassword)
    r.ParentHandle = argv.empty() ? foreground : HostWindow(argv, foreground);
  return r;
}

float PowerTimeout(int index, const char* operation) {
  if (index < 0 || index >= int(PowerTimeouts.size())) RaiseError("TGLScreenSaver", operation, "Index out of bounds");
  return PowerTimeouts[size_t(index)];
}

// ---------------------------------------------------------------------------
// TGLScreenSaver

namespace {

static_assert(kOptPowerOffIndex.Max == int(PowerTimeouts.size()) - 1 &&
              kOptMonitorOffIndex.Max == int(PowerTimeouts.size()) - 1);

void SaverSleep(uint32_t milliseconds) { platform::Get<platform::Clock>().Sleep(milliseconds); }

}  // namespace

TGLScreenSaver::TGLScreenSaver(TComponent* owner) : TCustomGLApplication(owner) {
  SetNeedDisplay(true);
  RunAsProgram = false;
  powerOffTime_ = -1;
  monitorOffTime_ = -1;
  if (Designing()) return;
  HideCursor = true;
  const std::vector<std::string>& argv = Application().Arguments();
  TSaverCommandLine line =
      DecideSaverRole(argv, platform::Get<platform::Windows>().ForegroundWindow(),
                      platform::Get<platform::System>().Environment("XSCREENSAVER_WINDOW"));
  role_ = line.Role;
  parentHandle_ = line.ParentHandle;
  parentIsRoot_ = line.ParentIsRoot;
  if (role_ == srPassword) ChangePassword(parentHandle_);
}

TGLScreenSaver::~TGLScreenSaver() {
  if (Designing()) return;
  if (role_ == srProgram || role_ == srSaver) SetScreenSaverRunning(false);
  if (role_ == srConfig && hostDisabled_) platform::Get<platform::Windows>().EnableForeignWindow(parentHandle_, true);
}

std::string TGLScreenSaver::ProgramKind() const {
  const std::vector<std::string>& argv = Application().Arguments();
  return ProgramFileKind(argv.empty() ? ExeFileName() : argv[0]);
}

void TGLScreenSaver::Initialize() {
  if (Designing()) return;
  SetUseLocalMachine(true);
  NamesScrambled = true;
  RunAsProgram = ReadOptionBool(kOptRunAsProgram.Name, kOptRunAsProgram.BoolDefault());
  const std::string kind = ProgramKind();
  // A program file without extension counts as ".EXE", which would make
  // every run single-instance; but a preview belongs to its host window,
  // and a screen-saver daemon starts one module per monitor (and one more
  // in its settings program's preview), so those all run. The password
  // role shows nothing of its own and never waits for anything either.
  SingleInstance = !Independent && role_ != srPreview && role_ != srPassword &&
                   (kind == ".EXE" || (!RunAsProgram && role_ == srSaver));
  TCustomGLApplication::Initialize();
  if (kind == ".SCR" && RunAsProgram) {
    SetUseLocalMachine(true);
    NamesScrambled = true;
    HomeDir = ReadOptionString(kOptHomeDir.Name, HomeDir);
    StartAsProgram();
    return;
  }
  if (role_ == srProgram || role_ == srSaver) SetScreenSaverRunning(true);
  switch (role_) {
    case srSaver: StartSaver(); break;
    case srPreview: StartPreview(parentHandle_); break;
    case srConfig: StartConfig(parentHandle_); break;
    default: break;
  }
  if (role_ != srProgram) ResetMouse();
}

std::string TGLScreenSaver::InstanceLockName() const {
  return role_ == srSaver ? AppName() + "SaverSemaphore" : TCustomGLApplication::InstanceLockName();
}

void TGLScreenSaver::InstanceRefused() {
  std::string line;
  if (role_ == srSaver)
    line = "the screen saver is already running; this start ends";
  else if (platform::Get<platform::System>().RaiseInstance(InstanceLockName()))
    line = "the settings window is already open; it is brought to the front";
  else
    line = "the settings window is already open (it cannot be brought to the front here); this start ends";
  std::fprintf(stderr, "%s: %s\n", AppName().c_str(), line.c_str());
  std::fflush(stderr);
}

void TGLScreenSaver::HideOwnerForm() {
  TForm* form = dynamic_cast<TForm*>(Owner());
  if (!form) return;
  form->Color = clBlack;
  form->BorderStyle = TFormBorderStyle::bsNone;
  form->SetBounds(-form->Width(), -form->Height(), 0, 0);
}

void TGLScreenSaver::StartSaver() {
  ShowAppCursor(false);
  HideOwnerForm();
  ExitWithFullScreen = true;
  // The display is still loading: it records the wish and switches in its
  // own Loaded.
  if (Display()) Display()->SetFullScreen(true);
}

void TGLScreenSaver::StartPreview(platform::ForeignWindowId hostWindow) {
  HideAppWindows();
  MakeToolWindow();
  HideOwnerForm();
  ExitWithFullScreen = true;
  if (TCustomGLWindow* window = Window()) {
    window->SetParent(nullptr);
    window->SetParentWindow(hostWindow);
    window->SetParentIsRoot(hostWindow == 0 && parentIsRoot_);
  }
}

void TGLScreenSaver::StartConfig(platform::ForeignWindowId hostWindow) {
  HideAppWindows();
  MakeToolWindow();
  if (hostWindow != 0) {
    platform::Get<platform::Windows>().EnableForeignWindow(hostWindow, false);
    hostDisabled_ = true;
  }
}

void TGLScreenSaver::ChangePassword(platform::ForeignWindowId hostWindow) {
  Application().ShowMainForm = false;
  platform::ScreenSaverHost& host = platform::Get<platform::ScreenSaverHost>();
  if (host.HasPasswordChange()) host.ChangePassword("SCRSAVE", hostWindow);
  CloseApplication();
}

bool TGLScreenSaver::PasswordProtected() {
  try {
    std::unique_ptr<platform::SettingsKey> key = platform::Get<platform::SettingsStore>().OpenKey(
        platform::SettingsRoot::CurrentUser, "Control Panel\\desktop", true);
    std::string value;
    if (!key || !key->ReadString("ScreenSaveUsePassword", value)) return false;
    std::optional<int64_t> n = ParseInt(value);
    return n && *n != 0;
  } catch (const Error&) {
    // An unreadable store protects nothing.
    return false;
  }
}

bool TGLScreenSaver::VerifyPassword() {
  platform::ScreenSaverHost& host = platform::Get<platform::ScreenSaverHost>();
  if (!host.HasPasswordCheck()) return true;
  ShowAppCursor(true);
  bool passed = host.VerifyPassword(platform::Get<platform::Windows>().ForegroundWindow());
  ShowAppCursor(false);
  return passed;
}

bool TGLScreenSaver::MouseMoved(int x, int y) {
  if (!MouseMoveExit) return false;
  if (mouseIgnoreCount_ > 0) {
    --mouseIgnoreCount_;
    return false;
  }
  if (lastMouseX_ == -1 && lastMouseY_ == -1) {
    lastMouseX_ = x;
    lastMouseY_ = y;
    return false;
  }
  // Both axes: a pointer drifting along one edge does not end the saver.
  if (std::abs(x - lastMouseX_) > 2 && std::abs(y - lastMouseY_) > 2) {
    ResetMouse();
    return true;
  }
  return false;
}

void TGLScreenSaver::ResetMouse() {
  lastMouseX_ = -1;
  lastMouseY_ = -1;
  mouseIgnoreCount_ = 5;
}

void TGLScreenSaver::MessageHook(platform::Message& message, bool& handled) {
  using platform::MessageKind;
  if (!Display() || !Display()->FullScreen()) {
    TCustomGLApplication::MessageHook(message, handled);
    return;
  }
  handled = false;
  bool exit = false;
  switch (message.kind) {
    case MessageKind::MouseMove:
      exit = MouseMoved(message.x & 0xFFFF, message.y & 0xFFFF);
      break;
    case MessageKind::KeyDown:
      exit = message.key != platform::vkSnapshot && message.key != platform::vkShift &&
             message.key != platform::vkControl;
      break;
    case MessageKind::LButtonUp:
    case MessageKind::LButtonDblClk:
    case MessageKind::MButtonUp:
    case MessageKind::MButtonDblClk:
    case MessageKind::RButtonUp:
    case MessageKind::RButtonDblClk:
    case MessageKind::SysKeyDown:
      exit = true;
      break;
    default:
      break;
  }
  if (!exit) {
    TCustomGLApplication::MessageHook(message, handled);
    return;
  }
  handled = true;
  if (role_ != srSaver) {
    // A full-screen run started from the settings form returns to it.
    Display()->SetFullScreen(false);
    return;
  }
  bool cursorShown = false;
  if (PasswordProtected()) {
    if (OpenGL() && DeviceContext()) OpenGL()->SwapBuffersIfOdd(*DeviceContext());
    ShowAppCursor(true);
    cursorShown = true;
    if (!VerifyPassword()) {
      ResetMouse();
      ShowAppCursor(false);
      return;
    }
  }
  if (cursorShown) ShowAppCursor(false);
  Display()->SetFullScreen(false);
  CloseApplication();
}

void TGLScreenSaver::PowerTimersStep() {
  if (role_ == srConfig) {
    SaverSleep(4);
  } else if (role_ == srSaver) {
    if (powerOffTime_ > 0 && Timer().GetTime().Seconds() > powerOffTime_) SystemPowerOff();
    if (monitorOffTime_ > 0 && Timer().GetTime().Seconds() > monitorOffTime_) MonitorOff();
  }
}

void TGLScreenSaver::SetPowerOffIndex(int index) {
  float time = PowerTimeout(index, "SetPowerOffIndex");
  powerOffIndex_ = index;
  powerOffTime_ = time;
  SuspendEnabled = index != 0;
}

void TGLScreenSaver::SetMonitorOffIndex(int index) {
  float time = PowerTimeout(index, "SetMonitorOffIndex");
  monitorOffIndex_ = index;
  monitorOffTime_ = time;
}

void TGLScreenSaver::SystemPowerOff() {
  powerOffTime_ = -1;  // once only
  SuspendEnabled = true;
  platform::Get<platform::ScreenSaverHost>().SystemSuspend();
}

void TGLScreenSaver::MonitorOff() {
  monitorOffTime_ = -1;  // once only
  OnRender = [](float, bool) {};
  Viewport().ClearMode = cmColor;
  if (Window()) Window()->Color = clBlack;
  Fire(OnPowerOff, static_cast<void*>(this));
  platform::Get<platform::ScreenSaverHost>().MonitorOff();
}

void TGLScreenSaver::PowerOff() {
  SuspendEnabled = false;
  TCustomGLApplication::PowerOff();
  if (Display()) Display()->SetFullScreen(false);
  CloseApplication();
}

void TGLScreenSaver::SetScreenSaverRunning(bool running) {
  platform::Get<platform::ScreenSaverHost>().SetScreenSaverRunning(running);
}

void TGLScreenSaver::StartAsProgram() {
  HideOwnerForm();
  const std::vector<std::string>& argv = Application().Arguments();
  const std::string companion = HomeDir + AppName();
  try {
    TExecutePro launcher(nullptr);
    launcher.Mode = TExecMode::emProcess;
    launcher.WindowStyle = TExecWindowStyle::ewShow;
    launcher.Wait = true;
    launcher.DefaultDirectory = HomeDir;
    platform::Get<platform::Processes>().SetOwnPriority(platform::ProcessPriority::Idle);
    std::string args;
    for (size_t i = 1; i < argv.size(); ++i) args += (i > 1 ? " " : "") + argv[i];
    if (!launcher.Execute(companion + " " + args)) RaiseError("TExecutePro", "Execute", "not started");
  } catch (const std::exception&) {
    RaiseError("TGLScreenSaver", "StartAsProgram", "run " + companion + " " + (argv.size() > 1 ? argv[1] : ""));
  }
  CloseApplication();
}

void TGLScreenSaver::LoadOptions() {
  if (Designing()) return;
  SetUseLocalMachine(true);
  NamesScrambled = true;
  MouseMoveExit = ReadOptionBool(kOptMouseMoveExit.Name, MouseMoveExit);
  RunAsProgram = ReadOptionBool(kOptRunAsProgram.Name, kOptRunAsProgram.BoolDefault());
  // A stored index outside the table (a damaged setting) takes the nearest
  // entry instead of stopping the program.
  SetPowerOffIndex(
      std::clamp(ReadOptionInteger(kOptPowerOffIndex.Name, powerOffIndex_), kOptPowerOffIndex.Min, kOptPowerOffIndex.Max));
  SetMonitorOffIndex(std::clamp(ReadOptionInteger(kOptMonitorOffIndex.Name, monitorOffIndex_), kOptMonitorOffIndex.Min,
                                kOptMonitorOffIndex.Max));
  TCustomGLApplication::LoadOptions();
}

void TGLScreenSaver::SaveOptions() {
  if (Designing()) return;
  SetUseLocalMachine(true);
  NamesScrambled = true;
  WriteOptionBool(kOptMouseMoveExit.Name, MouseMoveExit);
  WriteOptionBool(kOptRunAsProgram.Name, RunAsProgram);
  WriteOptionInteger(kOptPowerOffIndex.Name, powerOffIndex_);
  WriteOptionInteger(kOptMonitorOffIndex.Name, monitorOffIndex_);
  TCustomGLApplication::SaveOptions();
}

}  // namespace velmora
