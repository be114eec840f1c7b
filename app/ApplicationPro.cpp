#include "app/ApplicationPro.h"

#include <cstdio>
#include <filesystem>

#include "app/ApplicationOptions.h"
#include "app/Form.h"
#include "core/Error.h"
#include "core/Strings.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Display.h"
#include "platform/Process.h"
#include "platform/Service.h"
#include "platform/Window.h"

namespace velmora {

namespace {

// The receiver of program-wide messages.
TCustomApplicationPro* g_messageTarget = nullptr;
// The object whose handlers are installed as the toolkit's events.
TCustomApplicationPro* g_eventsOwner = nullptr;

std::string WithTrailingDelimiter(std::string dir) {
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

void Sleep(uint32_t milliseconds) { platform::Get<platform::Clock>().Sleep(milliseconds); }


}  // namespace

// ---------------------------------------------------------------------------
// Construction and lifecycle

TCustomApplicationPro::TCustomApplicationPro(TComponent* owner) : TComponent(owner) {
  if (owner && owner->Designing()) SetDesigning(true);
  if (Designing()) return;
  HookApplicationEvents();
  if (!g_messageTarget) {
    g_messageTarget = this;
    // A new run: its warnings are its own.
    TOptionStore::ForgetWarnings();
    Application().RegisterWindow(0, [](platform::Message& message) {
      if (g_messageTarget)
        g_messageTarget->WindowProc(message);
      else
        TApplication::DefaultWindowProc(message);
    });
  }
}

TCustomApplicationPro::~TCustomApplicationPro() {
  if (Designing()) return;
  semaphore_.reset();
  CloseStore();
  log_.Close();
  if (g_messageTarget == this) {
    g_messageTarget = nullptr;
    Application().UnregisterWindow(0);
  }
  // The toolkit must not call into a freed object.
  if (g_eventsOwner == this) {
    Application().Events = TApplicationEvents{};
    g_eventsOwner = nullptr;
  }
  HideAppWindows();
}

// Takes the toolkit's idle hook away for a scope and gives it back, also
// when the scope ends with an error.
class TCustomApplicationPro::TIdleDetached {
 public:
  explicit TIdleDetached(TCustomApplicationPro& app) : app_(app) { app_.DetachIdle(); }
  ~TIdleDetached() { app_.AttachIdle(); }
  TIdleDetached(const TIdleDetached&) = delete;
  TIdleDetached& operator=(const TIdleDetached&) = delete;

 private:
  TCustomApplicationPro& app_;
};

TCustomApplicationPro* TCustomApplicationPro::MessageTarget() { return g_messageTarget; }

void TCustomApplicationPro::Loaded() {
  TComponent::Loaded();
  if (!Designing()) Initialize();
}

void TCustomApplicationPro::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  // The owner frees its components at shutdown: the first one to go stops
  // the application, so OnStop runs once and while the others still exist.
  if (operation == TOperation::opRemove && !Designing() && Application().Terminated()) Stop();
}

void TCustomApplicationPro::HookApplicationEvents() {
  TApplicationEvents events;
  events.OnException = [this](void* sender, const std::exception& error) { HandleException(sender, error); };
  events.OnMessage = [this](platform::Message& message, bool& handled) { MessageHook(message, handled); };
  if (!idleHook_) idleHook_ = [this](void* sender, bool& done) { Idle(sender, done); };
  events.OnIdle = idleHook_;
  events.OnActivate = [this](void* sender) { AppActivate(sender); };
  events.OnDeactivate = [this](void* sender) { AppDeactivate(sender); };
  events.OnHint = [this](void* sender) { Hint(sender); };
  events.OnMinimize = [this](void* sender) { Minimize(sender); };
  events.OnRestore = [this](void* sender) { Restore(sender); };
  events.OnShortCut = [this](platform::Message& message, bool& handled) { ShortCut(message, handled); };
  events.OnShowHint = [this](std::string& text, bool& canShow, THintInfo& info) { ShowHint(text, canShow, info); };
  Application().Events = std::move(events);
  g_eventsOwner = this;
}

void TCustomApplicationPro::DetachIdle() { Application().Events.OnIdle = nullptr; }

void TCustomApplicationPro::AttachIdle() { Application().Events.OnIdle = idleHook_; }

void TCustomApplicationPro::Initialize() {
  if (Designing()) return;
  TApplication& app = Application();
  if (!Title.empty()) app.Title = Title;
  if (!app.Title.empty()) Title = app.Title;

  platform::System& system = platform::Get<platform::System>();
  std::string path = system.ExecutablePath();
  if (path.empty() && !app.Arguments().empty()) path = app.Arguments()[0];
  path = system.LongPath(path);

  std::size_t slash = path.rfind('/');
  std::string dir = slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
  exeFileName_ = slash == std::string::npos ? path : path.substr(slash + 1);
  // Program files carry no extension here: a name without a "." is the
  // whole application name (an empty one would give every program the
  // same lock and log names).
  std::size_t dot = exeFileName_.find('.');
  appName_ = dot == std::string::npos ? exeFileName_ : exeFileName_.substr(0, dot);

  exeDir_ = WithTrailingDelimiter(dir);
  HomeDir = exeDir_;
  systemDir_ = WithTrailingDelimiter(system.SystemDirectory());
  windowsDir_ = WithTrailingDelimiter(system.SystemRootDirectory());
  logFileName_ = exeDir_ + appName_ + ".log";

  HookApplicationEvents();
  if (SingleInstance) CheckSingleInstance();
}

std::string TCustomApplicationPro::InstanceLockName() const { return appName_ + "Semaphore"; }

void TCustomApplicationPro::InstanceRefused() {
  std::fprintf(stderr, "%s: another copy is running; this start ends\n", appName_.c_str());
  std::fflush(stderr);
}

void TCustomApplicationPro::CheckSingleInstance() {
  bool alreadyRunning = false;
  semaphore_ = platform::Get<platform::System>().CreateInstanceLock(InstanceLockName(), alreadyRunning);
  if (!alreadyRunning) return;
  // A second copy: end without showing anything and without running any
  // handler of the form; only a line on standard error says why.
  InstanceRefused();
  SetLogFile(false);
  Application().Terminate();
  Application().ShowMainForm = false;
  if (TForm* form = dynamic_cast<TForm*>(Owner())) {
    form->ClearEventHandlers();
    form->Hide();
  }
}

// ---------------------------------------------------------------------------
// The virtual operations

void TCustomApplicationPro::Start() {
  if (Designing() || state_ != 0) return;
  Fire(OnStart, static_cast<void*>(this));
  state_ = 2;
}

void TCustomApplicationPro::Stop() {
  if (Designing() || state_ == 0) return;
  Fire(OnStop, static_cast<void*>(this));
  state_ = 0;
}

void TCustomApplicationPro::WindowProc(platform::Message& message) {
  switch (message.kind) {
    case platform::MessageKind::Close:
      Application().PostQuit();
      message.result = 0;
      return;
    case platform::MessageKind::PowerBroadcast:
      switch (message.param) {
        case platform::pbtQuerySuspend:
        case platform::pbtQueryStandby:
          if (!SuspendEnabled) {
            message.result = platform::pbDenyQuery;
            return;
          }
          break;
        case platform::pbtSuspend:
        case platform::pbtStandby:
          PowerOff();
          break;
        case platform::pbtResumeCritical:
        case platform::pbtResumeSuspend:
        case platform::pbtResumeStandby:
          PowerOn();
          break;
        default:
          break;
      }
      break;
    default:
      break;
  }
  TApplication::DefaultWindowProc(message);
}

void TCustomApplicationPro::HandleException(void* sender, const std::exception& error) {
  if (Debug) WriteLog(error.what());
  // The host destroyed the window drawn into: it is done with this run,
  // which ends quietly.
  if (dynamic_cast<const platform::HostWindowGone*>(&error)) {
    Application().Terminate();
    return;
  }
  // The idle hook comes back also when the handler itself fails.
  TIdleDetached detached(*this);
  ShowAppCursor(true);
  if (OnException) {
    OnException(sender, error);
  } else {
    platform::Get<platform::Dialogs>().MessageBox(error.what(), Application().Title, platform::MessageIcon::Error);
    Application().Terminate();
  }
}

void TCustomApplicationPro::MessageHook(platform::Message& message, bool& handled) {
  Fire(OnMessage, message, handled);
}

bool TCustomApplicationPro::Help(uint16_t command, intptr_t data, bool& callHelp) {
  return OnHelp ? OnHelp(command, data, callHelp) : false;
}

void TCustomApplicationPro::Hint(void* sender) { Fire(OnHint, sender); }

// A frame, step by step:
//   InputStep: the messages waiting, each through the hook, the short cuts
//     and its window; false: one of them ended the program, and the frame
//     ends with it.
//   EnterFrame/LeaveFrame: around the steps up to the swap; false: no frame
//     now (one is running, or frames are off for good).
//   StartStep: the first frame starts the application.
//   IdleEventStep: OnIdle; the option store closed; a second copy's request
//     to come forward answered.
//   TimersStep: frame count, frame rate, the Low CPU pause.
//   StartOpenGLStep: the rendering context, once the window has one.
//   FrameDue: whether this frame draws, and its time step.
//   UpdateStep, RenderSceneStep, RenderDialogStep, SwapStep: the drawing.
//   PacingStep: the wait for the next frame's time.
//   PowerTimersStep: the saver's power timers, each frame, drawn or not.
void TCustomApplicationPro::Idle(void* sender, bool& done) {
  if (!InputStep()) return;
  {
    struct TFrame {
      TCustomApplicationPro& app;
      const bool entered;
      ~TFrame() {
        if (entered) app.LeaveFrame();
      }
    } frame{*this, EnterFrame()};
    if (frame.entered) {
      StartStep();
      IdleEventStep(sender, done);
      TimersStep();
      StartOpenGLStep();
      if (float deltaTime = 0; FrameDue(deltaTime)) {
        UpdateStep(deltaTime);
        RenderSceneStep(deltaTime);
        RenderDialogStep(deltaTime);
        SwapStep();
        PacingStep();
      }
    }
  }
  PowerTimersStep();
}

bool TCustomApplicationPro::InputStep() {
  TApplication& app = Application();
  if (app.Terminated()) return true;
  // Before the frame is entered: a handler's nested loop (a message box,
  // a film) may run frames of its own, as it could between two frames.
  app.ProcessMessages();
  return !app.Terminated();
}

void TCustomApplicationPro::StartStep() {
  if (state_ != 0) return;
  // A nested loop inside OnStart (a dialog, a launcher's wait) must not
  // run frames.
  TIdleDetached detached(*this);
  Sleep(1);
  Start();
  Sleep(1);
}

void TCustomApplicationPro::IdleEventStep(void* sender, bool& done) {
  if (OnIdle) {
    TIdleDetached detached(*this);
    OnIdle(sender, done);
  }
  done = false;
  CloseStore();
  if (semaphore_ && platform::Get<platform::System>().TakeRaiseRequest()) BringToFront();
}

void TCustomApplicationPro::AppDeactivate(void* sender) { Fire(OnDeactivate, sender); }
void TCustomApplicationPro::AppActivate(void* sender) { Fire(OnActivate, sender); }
void TCustomApplicationPro::Minimize(void* sender) { Fire(OnMinimize, sender); }
void TCustomApplicationPro::Restore(void* sender) { Fire(OnRestore, sender); }

void TCustomApplicationPro::ShortCut(platform::Message& message, bool& handled) {
  Fire(OnShortCut, message, handled);
}

void TCustomApplicationPro::ShowHint(std::string& text, bool& canShow, THintInfo& info) {
  Fire(OnShowHint, text, canShow, info);
}

void TCustomApplicationPro::PowerOff() { Fire(OnPowerOff, static_cast<void*>(this)); }
void TCustomApplicationPro::PowerOn() { Fire(OnPowerOn, static_cast<void*>(this)); }

void TCustomApplicationPro::LoadOptions() {
  if (Designing()) return;
  SetUseLocalMachine(true);
  NamesScrambled = true;
  HomeDir = ReadOptionString(kOptHomeDir.Name, HomeDir);
  exeDir_ = ReadOptionString(kOptExeDir.Name, exeDir_);
  appName_ = ReadOptionString(kOptAppName.Name, appName_);
  std::string version = ReadOptionString(kOptVersion.Name, MajorVersion + "." + MinorVersion);
  SetNeedDisplay(ReadOptionBool(kOptNeedDisplay.Name, needDisplay_));
  SetNeedSystem(ReadOptionBool(kOptNeedSystem.Name, needSystem_));
  if (!version.empty()) {
    std::size_t separator = version.find('.');
    if (separator == std::string::npos) separator = version.find(',');
    if (separator != std::string::npos) {
      MajorVersion = version.substr(0, separator);
      MinorVersion = version.substr(separator + 1);
    }
  }
  if (OnLoadOptions) {
    OnLoadOptions(static_cast<void*>(this));
    CloseStore();
  }
}

void TCustomApplicationPro::SaveOptions() {
  if (Designing()) return;
  SetUseLocalMachine(true);
  NamesScrambled = true;
  WriteOptionString(kOptHomeDir.Name, HomeDir);
  WriteOptionBool(kOptNeedDisplay.Name, needDisplay_);
  WriteOptionBool(kOptNeedSystem.Name, needSystem_);
  if (OnSaveOptions) {
    OnSaveOptions(static_cast<void*>(this));
    CloseStore();
  }
}

// ---------------------------------------------------------------------------
// Log file

void TCustomApplicationPro::SetLogFile(bool value) {
  logFile_ = value;
  if (!value && !Designing()) log_.Close();
}

bool TCustomApplicationPro::WriteLog(const std::string& text) {
  return logFile_ && log_.WriteLine(logFileName_, text);
}

// ---------------------------------------------------------------------------
// Keeping the machine awake

void TCustomApplicationPro::SetNeedDisplay(bool value) {
  needDisplay_ = value;
  if (!Designing()) platform::Get<platform::System>().SetExecutionState(needDisplay_, needSystem_);
}

void TCustomApplicationPro::SetNeedSystem(bool value) {
  needSystem_ = value;
  if (!Designing()) platform::Get<platform::System>().SetExecutionState(needDisplay_, needSystem_);
}

// ---------------------------------------------------------------------------
// Option store

std::string TCustomApplicationPro::StoreKeyPath() const {
  std::string path = "Software\\";
  if (!Company.empty()) path += Company + "\\";
  return path + Title + " " + MajorVersion;
}

std::string TCustomApplicationPro::VersionText() const { return MajorVersion + "." + MinorVersion; }

// ---------------------------------------------------------------------------
// Windows, cursor, help

std::string TCustomApplicationPro::HelpFileName() const {
  std::string own = HomeDir + "Help.html";
#ifdef VELMORA_SHARE_FROM_BIN
  // Installed, the page lives in the share folder rather than beside the
  // program.
  std::string installed = exeDir_ + VELMORA_SHARE_FROM_BIN "Help.html";
  std::error_code error;
  if (!std::filesystem::exists(own, error) && std::filesystem::exists(installed, error)) return installed;
#endif
  return own;
}

bool TCustomApplicationPro::ShowHelp() {
  return platform::Get<platform::Processes>().ShellOpen(HelpFileName(), "", "", platform::ShowCommand::Show);
}

void TCustomApplicationPro::ShowAppCursor(bool visible) { platform::Get<platform::Dialogs>().ShowCursor(visible); }

void TCustomApplicationPro::HideAppWindows() {
  if (TForm* form = Application().MainForm()) form->Hide();
}

void TCustomApplicationPro::MakeToolWindow() { Application().SkipTaskBar = true; }

void TCustomApplicationPro::CloseApplication() {
  HideAppWindows();
  ShowAppCursor(true);
  if (TForm* form = Application().MainForm())
    form->Close();
  else
    Application().Terminate();
}

void TCustomApplicationPro::CenterFormPosition(int screenWidth, int screenHeight, int formWidth, int formHeight,
                                               int& left, int& top) {
  if (screenWidth <= screenHeight) {
    int band = screenWidth * 3 / 4;
    top = (band - formHeight) / 2;
    if (top + formHeight > screenHeight) top = screenHeight - formHeight;
    if (top < 0) top = 0;
    left = (screenWidth - formWidth) / 2;
  } else {
    int band = screenHeight * 4 / 3;
    left = (band - formWidth) / 2;
    if (left + formWidth > screenWidth) left = screenWidth - formWidth;
    if (left < 0) left = 0;
    top = (screenHeight - formHeight) / 2;
  }
}

void TCustomApplicationPro::CenterMainForm() {
  TForm* form = Application().MainForm();
  if (!form || form->Parent() || form->ParentWindow()) return;
  platform::ScreenSize screen = platform::Get<platform::Display>().PrimaryScreenSize();
  int left = 0, top = 0;
  CenterFormPosition(screen.width, screen.height, form->Width(), form->Height(), left, top);
  form->SetBounds(left, top, form->Width(), form->Height());
}

}  // namespace velmora
