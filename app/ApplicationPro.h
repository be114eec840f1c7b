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
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/Component.h"
#include "app/OptionOverrides.h"
#include "app/Timer.h"
#include "app/Toolkit.h"
#include "core/Event.h"
#include "core/Version.h"
#include "platform/Events.h"
#include "platform/SettingsStore.h"
#include "platform/System.h"

namespace velmora {

// The size of the log file's zero-filled blocks.
constexpr std::size_t kLogBlockSize = 16384;

// Codes of a power broadcast (platform::Message::param).
enum : uint32_t {
  pbtQuerySuspend = 0,
  pbtQueryStandby = 1,
  pbtSuspend = 4,
  pbtStandby = 5,
  pbtResumeCritical = 6,
  pbtResumeSuspend = 7,
  pbtResumeStandby = 8,
};

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
  bool LogOpen() const { return logStream_.is_open(); }

  bool NeedDisplay() const { return needDisplay_; }
  void SetNeedDisplay(bool value);
  bool NeedSystem() const { return needSystem_; }
  void SetNeedSystem(bool value);

  // The option store: the key "Software\<Company>\<Title> <MajorVersion>"
  // ("Software\<Title> <MajorVersion>" without a company) under the
  // machine-wide root (UseLocalMachine) or the per-user root. Changing
  // either flag closes the key, so the next accessor reopens it.
  bool ReadOnlyStore() const { return readOnlyStore_; }
  void SetReadOnlyStore(bool value);
  bool UseLocalMachine() const { return useLocalMachine_; }
  void SetUseLocalMachine(bool value);
  std::string StoreKeyPath() const;
  // Frees the key object (after each options pass and each frame).
  void CloseStore();
  bool StoreOpen() const { return storeOpened_; }

  // A missing key or value gives the default; reads and writes that fail
  // under the machine-wide root fall back to the per-user root. A stored
  // value that is not a boolean or an integer (a damaged settings file)
  // gives the default too, with a warning on standard error (WarnOption):
  //   "TCustomApplicationPro.ReadOptionBool: option "<name>" is '<text>',
  //    not a valid boolean value; <default> is used"
  // (likewise ReadOptionInteger, "not a valid integer value"); the stored
  // text stays as it is until the option is written.
  // A name in OptionOverrides() is answered from there without opening the
  // store, and writing it changes only the run's value there.
  std::string ReadOptionString(const std::string& name, const std::string& defaultValue);
  bool ReadOptionBool(const std::string& name, bool defaultValue);
  int ReadOptionInteger(const std::string& name, int defaultValue);
  // An empty stored value counts as not valid too; a store that cannot be
  // read (a settings folder that is a file, a settings file that is a
  // folder, no permission) gives the default with a warning
  //   "TCustomApplicationPro.ReadOptionString: the stored settings cannot
  //    be read (<reason>); defaults are used".
  // A stored option that cannot be used, reported while the program goes
  // on without it: "velmora: warning: <Class>.<Operation>: <text>" on
  // standard error, each distinct warning once while the application
  // object lives (the options are read again and again in a run).
  static void WarnOption(std::string_view className, std::string_view operation, std::string_view text);
  // Writes never throw; one that cannot be stored (a read-only settings
  // file or home) is kept as WriteError until ClearWriteError, so that the
  // caller of a whole save (the settings dialog's OK) can tell the user.
  void WriteOptionString(const std::string& name, const std::string& value);
  void WriteOptionBool(const std::string& name, bool value);
  void WriteOptionInteger(const std::string& name, int value);
  // The reason of the first write that failed since ClearWriteError; empty
  // when every one was stored.
  const std::string& WriteError() const { return writeError_; }
  void ClearWriteError() { writeError_.clear(); }

  // The options given on the command line for this run (process-wide,
  // looked up by the plain option name).
  static TOptionOverrides& OptionOverrides();

  // Every byte XOR 0xFF (its own inverse).
  static std::string ComplementText(const std::string& text);
  // The toolkit's boolean texts: "-1"/"0" written; "True"/"False" (any
  // case) and any integer (non-zero = true) read. nullopt for other texts.
  static std::string BoolToText(bool value);
  static std::optional<bool> TextToBool(const std::string& text);

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

  // Installs this object's handlers as the toolkit's application events,
  // replacing whatever was there.
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

  // The steps of a frame, in the order Idle runs them. A class without
  // anything to do in a step leaves it empty.
  //   InputStep: the messages waiting, each through the hook, the short
  //     cuts and its window; false: one of them ended the program, and the
  //     frame ends with it.
  //   EnterFrame/LeaveFrame: around the steps up to the swap; false: no
  //     frame now (one is running, or frames are off for good).
  //   StartStep: the first frame starts the application.
  //   IdleEventStep: OnIdle; the option store closed; a second copy's
  //     request to come forward answered.
  //   TimersStep: frame count, frame rate, the Low CPU pause.
  //   StartOpenGLStep: the rendering context, once the window has one.
  //   FrameDue: whether this frame draws, and its time step.
  //   UpdateStep, RenderSceneStep, RenderDialogStep, SwapStep: the drawing.
  //   PacingStep: the wait for the next frame's time.
  //   PowerTimersStep: the saver's power timers, each frame, drawn or not.
  bool InputStep();
  virtual bool EnterFrame() { return true; }
  virtual void LeaveFrame() {}
  void StartStep();
  void IdleEventStep(void* sender, bool& done);
  virtual void TimersStep() {}
  virtual void StartOpenGLStep() {}
  virtual bool FrameDue(float& deltaTime) {
    (void)deltaTime;
    return false;
  }
  virtual void UpdateStep(float deltaTime) { (void)deltaTime; }
  virtual void RenderSceneStep(float deltaTime) { (void)deltaTime; }
  virtual void RenderDialogStep(float deltaTime) { (void)deltaTime; }
  virtual void SwapStep() {}
  virtual void PacingStep() {}
  virtual void PowerTimersStep() {}

  // The single-instance check of Initialize.
  void CheckSingleInstance();
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

  // The key object, opened on first use; nullptr when a read-only open
  // found no key.
  platform::SettingsKey* OpenStore();
  bool ReadFrom(const std::string& name, std::string& value);
  // The stored text of an option (or this run's override); nullopt when
  // it is not stored.
  std::optional<std::string> ReadOptionText(const std::string& name);
  void NoteWriteError(const std::exception& error);

  // Idle, as the toolkit's idle event.
  TIdleEvent idleHook_;
  std::unique_ptr<platform::InstanceLock> semaphore_;
  std::fstream logStream_;
  std::streamoff logPosition_ = 0;
  std::streamoff logSize_ = 0;
  bool logFile_ = false;
  bool needDisplay_ = false;
  bool needSystem_ = false;
  bool readOnlyStore_ = false;
  bool useLocalMachine_ = false;
  std::unique_ptr<platform::SettingsKey> store_;
  bool storeOpened_ = false;
  std::string writeError_;
};

class TCustomGraphicApplicationPro : public TCustomApplicationPro {
 public:
  explicit TCustomGraphicApplicationPro(TComponent* owner);
  ~TCustomGraphicApplicationPro() override;

  void LoadOptions() override;
  void SaveOptions() override;

  // The time base of the whole program, made on first use; it starts with
  // the first frame.
  TTimerPro& Timer();

  // The last measured frames per second; 1 before the first measurement.
  int FPS() const { return fps_ == 0 ? 1 : fps_; }
  // Frames since the last measurement (counting the one it ended with).
  int FrameCount() const { return frameCount_; }
  double LastFPSTime() const { return lastFPSTime_; }

  // "Low CPU Usage": 17 ms more sleep every frame.
  bool LowCPU = false;

  // A new FPS value differs from the old one.
  TNotifyEvent OnFPSChanged;

 protected:
  void TimersStep() override;

  std::unique_ptr<TTimerPro> timer_;
  int fps_ = 0;
  int frameCount_ = 0;
  double lastFPSTime_ = 0;
};

}  // namespace velmora
