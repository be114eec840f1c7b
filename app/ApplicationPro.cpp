#include "app/ApplicationPro.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <set>

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

// The option warnings given while the application object lives.
std::set<std::string>& WarnedLines() {
  static std::set<std::string> lines;
  return lines;
}

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
    WarnedLines().clear();
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
  if (logStream_.is_open()) logStream_.close();
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
        case pbtQuerySuspend:
        case pbtQueryStandby:
          if (!SuspendEnabled) {
            message.result = platform::pbDenyQuery;
            return;
          }
          break;
        case pbtSuspend:
        case pbtStandby:
          PowerOff();
          break;
        case pbtResumeCritical:
        case pbtResumeSuspend:
        case pbtResumeStandby:
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
  if (!value && !Designing() && logStream_.is_open()) logStream_.close();
}

bool TCustomApplicationPro::WriteLog(const std::string& text) {
  if (!logFile_) return false;
  static const std::string zeros(kLogBlockSize, '\0');
  try {
    if (!logStream_.is_open()) {
      {
        std::ofstream create(logFileName_, std::ios::binary | std::ios::trunc);
        create.write(zeros.data(), static_cast<std::streamsize>(zeros.size()));
        if (!create) return false;
      }
      logStream_.clear();
      logStream_.open(logFileName_, std::ios::binary | std::ios::in | std::ios::out);
      if (!logStream_.is_open()) return false;
      logPosition_ = 0;
      logSize_ = static_cast<std::streamoff>(kLogBlockSize);
    }
    std::string line = text + "\r\n";
    auto length = static_cast<std::streamoff>(line.size());
    // The file grows by whole zero blocks at its end until the line fits.
    while (logPosition_ + length > logSize_) {
      logStream_.seekp(logSize_);
      logStream_.write(zeros.data(), static_cast<std::streamsize>(zeros.size()));
      if (!logStream_) break;
      logSize_ += static_cast<std::streamoff>(kLogBlockSize);
    }
    logStream_.seekp(logPosition_);
    logStream_.write(line.data(), static_cast<std::streamsize>(line.size()));
    logStream_.flush();
    if (!logStream_) {
      // Start afresh with the next line rather than write into a broken
      // stream.
      logStream_.close();
      return false;
    }
    logPosition_ += length;
    return true;
  } catch (const std::exception&) {
    return false;
  }
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

void TCustomApplicationPro::SetReadOnlyStore(bool value) {
  if (value == readOnlyStore_) return;
  readOnlyStore_ = value;
  CloseStore();
}

void TCustomApplicationPro::SetUseLocalMachine(bool value) {
  if (value == useLocalMachine_) return;
  useLocalMachine_ = value;
  CloseStore();
}

std::string TCustomApplicationPro::StoreKeyPath() const {
  std::string path = "Software\\";
  if (!Company.empty()) path += Company + "\\";
  return path + Title + " " + MajorVersion;
}

void TCustomApplicationPro::CloseStore() {
  store_.reset();
  storeOpened_ = false;
}

platform::SettingsKey* TCustomApplicationPro::OpenStore() {
  if (!storeOpened_) {
    platform::SettingsRoot root =
        useLocalMachine_ ? platform::SettingsRoot::LocalMachine : platform::SettingsRoot::CurrentUser;
    store_ = platform::Get<platform::SettingsStore>().OpenKey(root, StoreKeyPath(), readOnlyStore_);
    storeOpened_ = true;
  }
  return store_.get();
}

bool TCustomApplicationPro::ReadFrom(const std::string& name, std::string& value) {
  platform::SettingsKey* key = OpenStore();
  return key && key->ReadString(name, value);
}

TOptionOverrides& TCustomApplicationPro::OptionOverrides() {
  static TOptionOverrides overrides;
  return overrides;
}

std::optional<std::string> TCustomApplicationPro::ReadOptionText(const std::string& name) {
  if (std::optional<std::string> value = OptionOverrides().Find(name)) return value;
  SetReadOnlyStore(true);
  const std::string valueName = NamesScrambled ? ComplementText(name) : name;
  auto unreadable = [](const std::exception& error) {
    WarnOption("TCustomApplicationPro", "ReadOptionString",
               std::string("the stored settings cannot be read (") + error.what() + "); defaults are used");
  };
  std::string value;
  if (useLocalMachine_) {
    try {
      if (ReadFrom(valueName, value)) return value;
    } catch (const std::exception& error) {
      // The machine-wide root cannot be read: the per-user root from now on.
      unreadable(error);
      SetUseLocalMachine(false);
    }
  }
  const bool machine = useLocalMachine_;
  if (machine) SetUseLocalMachine(false);
  std::optional<std::string> result;
  try {
    if (ReadFrom(valueName, value)) result = value;
  } catch (const std::exception& error) {
    unreadable(error);
  }
  if (machine) SetUseLocalMachine(true);
  return result;
}

std::string TCustomApplicationPro::ReadOptionString(const std::string& name, const std::string& defaultValue) {
  return ReadOptionText(name).value_or(defaultValue);
}

bool TCustomApplicationPro::ReadOptionBool(const std::string& name, bool defaultValue) {
  const std::optional<std::string> stored = ReadOptionText(name);
  if (!stored) return defaultValue;
  const std::string& text = *stored;
  std::optional<bool> value = TextToBool(text);
  if (!value) {
    WarnOption("TCustomApplicationPro", "ReadOptionBool",
               "option \"" + name + "\" is '" + text + "', not a valid boolean value; " +
                   (defaultValue ? "true" : "false") + " is used");
    return defaultValue;
  }
  return *value;
}

int TCustomApplicationPro::ReadOptionInteger(const std::string& name, int defaultValue) {
  const std::optional<std::string> stored = ReadOptionText(name);
  if (!stored) return defaultValue;
  const std::string& text = *stored;
  std::optional<int64_t> value = ParseInt(text);
  if (!value || *value < INT32_MIN || *value > INT32_MAX) {
    WarnOption("TCustomApplicationPro", "ReadOptionInteger",
               "option \"" + name + "\" is '" + text + "', not a valid integer value; " +
                   std::to_string(defaultValue) + " is used");
    return defaultValue;
  }
  return static_cast<int>(*value);
}

void TCustomApplicationPro::WarnOption(std::string_view className, std::string_view operation, std::string_view text) {
  const std::string line =
      "velmora: warning: " + std::string(className) + "." + std::string(operation) + ": " + std::string(text) + "\n";
  if (!WarnedLines().insert(line).second) return;
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
}

void TCustomApplicationPro::WriteOptionString(const std::string& name, const std::string& value) {
  // A switch of this run: the stored setting stays as the user left it.
  if (OptionOverrides().Find(name)) {
    OptionOverrides().Set(name, value);
    return;
  }
  SetReadOnlyStore(false);
  const std::string valueName = NamesScrambled ? ComplementText(name) : name;
  auto write = [&] {
    platform::SettingsKey* key = OpenStore();
    if (!key) RaiseError("TCustomApplicationPro", "WriteOptionString", "the option key cannot be opened");
    key->WriteString(valueName, value);
  };
  try {
    write();
  } catch (const std::exception& error) {
    if (!useLocalMachine_) {
      NoteWriteError(error);
      return;
    }
    // The machine-wide root cannot be written: the per-user root from now on.
    SetUseLocalMachine(false);
    try {
      write();
    } catch (const std::exception& userError) {
      NoteWriteError(userError);
    }
  }
}

void TCustomApplicationPro::NoteWriteError(const std::exception& error) {
  if (writeError_.empty()) writeError_ = error.what();
}

void TCustomApplicationPro::WriteOptionBool(const std::string& name, bool value) {
  WriteOptionString(name, BoolToText(value));
}

void TCustomApplicationPro::WriteOptionInteger(const std::string& name, int value) {
  WriteOptionString(name, std::to_string(value));
}

std::string TCustomApplicationPro::ComplementText(const std::string& text) {
  std::string result(text);
  for (char& c : result) c = static_cast<char>(static_cast<unsigned char>(c) ^ 0xFFu);
  return result;
}

std::string TCustomApplicationPro::BoolToText(bool value) { return value ? "-1" : "0"; }

std::optional<bool> TCustomApplicationPro::TextToBool(const std::string& text) {
  if (SameText(Trim(text), "True")) return true;
  if (SameText(Trim(text), "False")) return false;
  std::optional<int64_t> number = ParseInt(text);
  if (!number) return std::nullopt;
  return *number != 0;
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

// ---------------------------------------------------------------------------
// TCustomGraphicApplicationPro

TCustomGraphicApplicationPro::TCustomGraphicApplicationPro(TComponent* owner) : TCustomApplicationPro(owner) {}

TCustomGraphicApplicationPro::~TCustomGraphicApplicationPro() = default;

TTimerPro& TCustomGraphicApplicationPro::Timer() {
  if (!timer_) timer_ = std::make_unique<TTimerPro>();
  return *timer_;
}

void TCustomGraphicApplicationPro::TimersStep() {
  if (state_ != 2) return;
  Sleep(1);
  ++frameCount_;
  TTimerPro& timer = Timer();
  if (!timer.Running()) {
    timer.Start();
    lastFPSTime_ = timer.GetTime().Seconds();
  }
  double now = timer.GetTime().Seconds();
  if (lastFPSTime_ > now) lastFPSTime_ = now;
  if (LowCPU) Sleep(17);
  if (timer.GetTime().Seconds() - lastFPSTime_ >= 1.0) {
    Sleep(1);
    // Rounded to the nearest integer, ties to even (the default rounding
    // mode).
    int fps = static_cast<int>(std::nearbyint(frameCount_ / (timer.GetTime().Seconds() - lastFPSTime_)));
    if (fps != fps_ && OnFPSChanged) {
      fps_ = fps;
      OnFPSChanged(static_cast<void*>(this));
    }
    fps_ = fps;
    lastFPSTime_ = timer.GetTime().Seconds();
    frameCount_ = 1;
  }
}

void TCustomGraphicApplicationPro::LoadOptions() {
  SetUseLocalMachine(true);
  NamesScrambled = true;
  LowCPU = ReadOptionBool(kOptLowCPU.Name, kOptLowCPU.BoolDefault());
  TCustomApplicationPro::LoadOptions();
}

void TCustomGraphicApplicationPro::SaveOptions() {
  SetUseLocalMachine(true);
  NamesScrambled = true;
  WriteOptionBool(kOptLowCPU.Name, LowCPU);
  TCustomApplicationPro::SaveOptions();
}

}  // namespace velmora
