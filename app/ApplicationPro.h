// The application object: the component on the main form that takes over
// the toolkit's application events, runs the frame loop in idle time,
// measures frames per second, reports unhandled errors, keeps a log file,
// stores options in the settings store, keeps the program single-instance
// and tells the platform whether the display must stay awake.
//
// The frame loop is the toolkit's idle callback: Idle always answers that
// it is not done, so the loop calls it again at once. Each Idle call is one
// frame, and Idle lists the frame's steps in order (input, start, OnIdle,
// timers, OpenGL, update, scene, dialog, swap, pacing, power timers); each
// derived class fills in the steps it owns.
//
// Program-wide messages (window id 0 of the toolkit: power broadcasts,
// close requests of the program) go to WindowProc of the first application
// object made outside design mode; it stays their target until it is
// destroyed.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/Component.h"
#include "app/LogFile.h"
#include "app/OptionOverrides.h"
#include "app/OptionStore.h"
#include "app/Toolkit.h"
#include "core/Event.h"
#include "core/Version.h"
#include "platform/Events.h"
#include "platform/System.h"

namespace velmora {

class TCustomApplicationPro : public TComponent {
 public:
  explicit TCustomApplicationPro(TComponent* owner);
  ~TCustomApplicationPro() override;

  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

  // The virtual operations, in slot order.
  virtual void Start();
  virtual void Stop();
  virtual void WindowProc(platform::Message& message);
  virtual void HandleException(void* sender, const std::exception& error);
  virtual void MessageHook(platform::Message& message, bool& handled);
  virtual bool Help(uint16_t command, intptr_t data, bool& callHelp);
  virtual void Hint(void* sender);
  // One frame of the running program, the toolkit's idle step: the steps
  // below in their order, each done by the class that owns it.
  virtual void Idle(void* sender, bool& done);
  virtual void AppDeactivate(void* sender);
  virtual void AppActivate(void* sender);
  virtual void Minimize(void* sender);
  virtual void Restore(void* sender);
  virtual void ShortCut(platform::Message& message, bool& handled);
  virtual void ShowHint(std::string& text, bool& canShow, THintInfo& info);
  virtual void PowerOff();
  virtual void PowerOn();
  virtual void Initialize();
  virtual void LoadOptions();
  virtual void SaveOptions();

  // Published properties.
  std::string Title;
  std::string Company;
  // The release's (core/Version.h) until the stored options say otherwise;
  // the major version names the option store's key.
  std::string MajorVersion = velmora::kVersionMajor;
  std::string MinorVersion = velmora::kVersionMinor;
  std::string HomeDir;  // the product's own files; ExeDir until the options say otherwise
  bool HideCursor = false;
  bool SingleInstance = true;
  bool Debug = false;
  bool SuspendEnabled = false;
  // Value names given to the option accessors are held complemented.
  bool NamesScrambled = false;

  // Paths, set by Initialize (directories end in "/").
  const std::string& AppName() const { return appName_; }
  const std::string& ExeDir() const { return exeDir_; }
  const std::string& SystemDir() const { return systemDir_; }
  const std::string& WindowsDir() const { return windowsDir_; }
  const std::string& ExeFileName() const { return exeFileName_; }
  const std::string& LogFileName() const { return logFileName_; }

  // 0 = not started, 2 = running.
  uint8_t State() const { return state_; }

  // The single-instance lock while this object holds it.
  const platform::InstanceLock* Semaphore() const { return semaphore_.get(); }

  bool LogFile() const { return logFile_; }
  void SetLogFile(bool value);  // false closes the log file
  // Writes one line (only when LogFile is set); false when the file could
  // not be written. Never throws: it runs while errors are reported.
  bool WriteLog(const std::string& text);
  bool LogOpen() const { return log_.IsOpen(); }

  bool NeedDisplay() const { return needDisplay_; }
  void SetNeedDisplay(bool value);
  bool NeedSystem() const { return needSystem_; }
  void SetNeedSystem(bool value);

  // The option store (app/OptionStore.h, which says what reads and writes
  // do on errors): the key "Software\<Company>\<Title> <MajorVersion>"
  // ("Software\<Title> <MajorVersion>" without a company).
  bool ReadOnlyStore() const { return options_.ReadOnly(); }
  void SetReadOnlyStore(bool value) { options_.SetReadOnly(value); }
  bool UseLocalMachine() const { return options_.UseLocalMachine(); }
  void SetUseLocalMachine(bool value) { options_.SetUseLocalMachine(value); }
  std::string StoreKeyPath() const;
  // Frees the key object (after each options pass and each frame).
  void CloseStore() { options_.Close(); }
  bool StoreOpen() const { return options_.IsOpen(); }
  std::string ReadOptionString(const std::string& name, const std::string& defaultValue) {
    return options_.ReadString(name, defaultValue);
  }
  bool ReadOptionBool(const std::string& name, bool defaultValue) { return options_.ReadBool(name, defaultValue); }
  int ReadOptionInteger(const std::string& name, int defaultValue) { return options_.ReadInteger(name, defaultValue); }
  void WriteOptionString(const std::string& name, const std::string& value) { options_.WriteString(name, value); }
  void WriteOptionBool(const std::string& name, bool value) { options_.WriteBool(name, value); }
  void WriteOptionInteger(const std::string& name, int value) { options_.WriteInteger(name, value); }
  const std::string& WriteError() const { return options_.WriteError(); }
  void ClearWriteError() { options_.ClearWriteError(); }
  static void WarnOption(std::string_view className, std::string_view operation, std::string_view text) {
    TOptionStore::Warn(className, operation, text);
  }
  static TOptionOverrides& OptionOverrides() { return TOptionStore::Overrides(); }
  static std::string ComplementText(const std::string& text) { return TOptionStore::ComplementText(text); }
  static std::string BoolToText(bool value) { return TOptionStore::BoolToText(value); }
  static std::optional<bool> TextToBool(const std::string& text) { return TOptionStore::TextToBool(text); }

  // MajorVersion + "." + MinorVersion.
  std::string VersionText() const;

  // Opens the help page with the desktop's opener; false when the opener
  // could not be started (no xdg-open).
  bool ShowHelp();
  // HomeDir + "Help.html"; when that is missing and the program is
  // installed, the page in the installed share folder (ExeDir +
  // "../share/velmora/Help.html").
  std::string HelpFileName() const;
  // The counted cursor display call.
  void ShowAppCursor(bool visible);
  // Hides the main form's window.
  void HideAppWindows();
  // Keeps the program off the task bar (asked of the toolkit).
  void MakeToolWindow();
  // Hides the windows, shows the cursor, then closes the main form (or
  // terminates the application when there is none).
  void CloseApplication();
  // Places the main form on the primary screen (see CenterFormPosition).
  void CenterMainForm();
  // Where CenterMainForm puts a form of formWidth x formHeight on a screen
  // of screenWidth x screenHeight: in the middle of the screen on a tall or
  // square screen (vertically within its upper 4:3 band), in the middle of
  // the left-hand 4:3 band on a wide one.
  static void CenterFormPosition(int screenWidth, int screenHeight, int formWidth, int formHeight, int& left,
                                 int& top);

  // This object's handlers as the toolkit's events, replacing what was there.
  void HookApplicationEvents();

  // Events.
  TNotifyEvent OnLoadOptions;
  TNotifyEvent OnSaveOptions;
  TNotifyEvent OnStart;
  TNotifyEvent OnStop;
  TEvent<void*, const std::exception&> OnException;
  std::function<bool(uint16_t, intptr_t, bool&)> OnHelp;  // command, data, call help
  TNotifyEvent OnHint;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TEvent<platform::Message&, bool&> OnShortCut;
  TEvent<std::string&, bool&, THintInfo&> OnShowHint;
  TNotifyEvent OnPowerOff;
  TNotifyEvent OnPowerOn;
  // Not published.
  TEvent<platform::Message&, bool&> OnMessage;
  TEvent<void*, bool&> OnIdle;
  TNotifyEvent OnMinimize;
  TNotifyEvent OnRestore;

  // The object that receives the program-wide messages, if any.
  static TCustomApplicationPro* MessageTarget();

 protected:
  // The idle hook of the toolkit, taken away while a handler runs that
  // must not be re-entered by a nested message loop. The hook is made once:
  // taking it away and giving it back allocate nothing.
  void DetachIdle();
  void AttachIdle();

  // The steps of a frame in the order Idle runs them (each is described
  // at Idle); a class with nothing to do in a step leaves it empty.
  bool InputStep();
  virtual bool EnterFrame() { return true; }
  virtual void LeaveFrame() {}
  void StartStep();
  void IdleEventStep(void* sender, bool& done);
  virtual void TimersStep() {}
  virtual void StartOpenGLStep() {}
  virtual bool FrameDue(float& /*deltaTime*/) { return false; }
  virtual void UpdateStep(float deltaTime) { (void)deltaTime; }
  virtual void RenderSceneStep(float deltaTime) { (void)deltaTime; }
  virtual void RenderDialogStep(float deltaTime) { (void)deltaTime; }
  virtual void SwapStep() {}
  virtual void PacingStep() {}
  virtual void PowerTimersStep() {}

  void CheckSingleInstance();  // Initialize's single-instance check
  // The name of the single-instance lock: AppName + "Semaphore".
  virtual std::string InstanceLockName() const;
  // A second copy that the lock turns away says so on standard error (it
  // shows nothing else): "<AppName>: another copy is running; this start
  // ends".
  virtual void InstanceRefused();
  // The lock's holder was asked to come forward by a second copy.
  virtual void BringToFront() {}

  std::string appName_;
  std::string exeDir_;
  std::string systemDir_;
  std::string windowsDir_;
  std::string exeFileName_;
  std::string logFileName_;
  uint8_t state_ = 0;

 private:
  // DetachIdle for its life, AttachIdle after (also when an error passes).
  class TIdleDetached;

  // Idle, as the toolkit's idle event.
  TIdleEvent idleHook_;
  std::unique_ptr<platform::InstanceLock> semaphore_;
  TLogFile log_;
  bool logFile_ = false;
  bool needDisplay_ = false;
  bool needSystem_ = false;
  TOptionStore options_{[this] { return StoreKeyPath(); }, NamesScrambled};
};

}  // namespace velmora
