// The UI toolkit's application object: the message loop with its idle
// callback, the application-wide events, the main form and the dispatch of
// window messages.
//
// There is one per process, reached through Application(). The loop takes
// messages from the platform's queue (platform/Events.h). Each message
// passes the message hook (Events.OnMessage) first; key presses that the
// hook leaves alone pass the short-cut event; what is still unhandled is
// dispatched to the handler registered for its window id. Window id 0
// stands for the program as a whole (power broadcasts and other
// program-wide messages). A Quit message ends the loop without being
// dispatched.
//
// A turn of the loop is the idle event when one is set: the application
// object's frame, which takes the messages waiting (ProcessMessages) as its
// first step. Without an idle event (while it is detached for a nested
// loop, say) a turn is one message. The idle event sets `done` to false to
// be called again at once, otherwise the loop waits for the next message.
// An exception that escapes a handler goes to Events.OnException, or, when
// that is unset, to a message box with the application's title.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/Event.h"
#include "platform/Events.h"

namespace velmora {

class TForm;

// What a hint about to be shown looks like; a handler of OnShowHint may
// change it.
struct THintInfo {
  void* HintControl = nullptr;
  int HintMaxWidth = 0;
  int HideTimeout = 0;  // milliseconds; 0 = the toolkit's default
  std::string HintStr;
};

// The idle event: a function that may replace or clear the event it was
// called through while it runs (a frame detaches the loop's idle hook
// around handlers that run nested loops). A call holds a share of the
// function it runs until it returns, so the function lives that long; a
// replacement takes effect with the next call. Setting a new function
// allocates its shared home once; sharing one (b = a), clearing and calling
// allocate nothing, and a call copies no function.
class TIdleEvent {
 public:
  using Function = std::function<void(void*, bool&)>;  // sender, done

  TIdleEvent() = default;
  TIdleEvent(std::nullptr_t) {}
  template <class F, class = std::enable_if_t<!std::is_same_v<std::decay_t<F>, TIdleEvent> &&
                                              std::is_constructible_v<Function, F&&>>>
  TIdleEvent(F&& function) {
    Function made(std::forward<F>(function));
    if (made) function_ = std::make_shared<const Function>(std::move(made));
  }

  explicit operator bool() const { return function_ != nullptr; }
  void operator()(void* sender, bool& done) const {
    const std::shared_ptr<const Function> running = function_;
    (*running)(sender, done);
  }

 private:
  std::shared_ptr<const Function> function_;
};

// The application-wide events. The application object of the program
// installs all of them at once, replacing whatever was set before.
struct TApplicationEvents {
  TEvent<void*, const std::exception&> OnException;          // sender, error
  TEvent<platform::Message&, bool&> OnMessage;               // message, handled
  TIdleEvent OnIdle;                                         // sender, done
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnHint;
  TNotifyEvent OnMinimize;
  TNotifyEvent OnRestore;
  TEvent<platform::Message&, bool&> OnShortCut;              // key message, handled
  TEvent<std::string&, bool&, THintInfo&> OnShowHint;        // text, can show, info
};

using TWindowHandler = std::function<void(platform::Message&)>;

class TApplication {
 public:
  TApplication() = default;
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;

  std::string Title;
  TApplicationEvents Events;

  // Run() shows the main form first unless this is false (a second copy of
  // the program clears it so that it ends without showing anything).
  bool ShowMainForm = true;

  // Asked for by programs that must stay off the task bar; a window made
  // for this application may honour it.
  bool SkipTaskBar = false;

  // The command line: argument 0 is the program, then its arguments.
  void SetArguments(std::vector<std::string> arguments) { arguments_ = std::move(arguments); }
  void SetArguments(int argc, char** argv);
  const std::vector<std::string>& Arguments() const { return arguments_; }

  // The first top-level form becomes the main form (TForm does this); its
  // Close ends the application.
  TForm* MainForm() const { return mainForm_; }
  void SetMainForm(TForm* form) { mainForm_ = form; }

  // Shows the main form (when ShowMainForm) and runs the loop until the
  // application terminates.
  void Run();
  // One turn of the loop: the idle step, which takes the messages waiting
  // itself, or without one a message; then, when the step is done or no
  // message was waiting, the wait for the next one. Exceptions propagate
  // to the caller.
  void HandleMessage();
  // Handles every message that is waiting, without idle steps. Exceptions
  // propagate to the caller.
  void ProcessMessages();

  void Terminate() { terminated_ = true; }
  bool Terminated() const { return terminated_; }

  // Posts the quit message: the loop ends when it gets to it.
  void PostQuit();

  // Handlers of window messages by platform window id (0: the program as a
  // whole). Registering again replaces the handler.
  void RegisterWindow(uint32_t window, TWindowHandler handler);
  void UnregisterWindow(uint32_t window);
  bool WindowRegistered(uint32_t window) const { return handlers_.count(window) != 0; }

  // One message through hook, short-cut event and dispatch.
  void ProcessMessage(platform::Message& message);
  // Hands a message to its window's handler, or the default procedure.
  void Dispatch(platform::Message& message);
  // What happens to a message nobody handles: a power broadcast is granted.
  static void DefaultWindowProc(platform::Message& message);

  // The exception event, else a message box (the application goes on).
  void HandleException(void* sender, const std::exception& error);
  // The toolkit's error display: a message box with the error's text and
  // the application's title.
  void ShowException(const std::exception& error);

  // The hint text of the control under the pointer; setting it fires
  // Events.OnHint.
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& text);
  // Asks Events.OnShowHint whether (and as what) a hint may be shown.
  bool ShowHint(std::string& text, THintInfo& info);

  // Back to the state at program start (no events, no main form, not
  // terminated, no window handlers): for a program that runs the loop more
  // than once, and for tests.
  void Reset();

 private:
  // Takes one waiting message and handles it; false when none waits.
  bool TakeMessage();

  std::string hint_;
  std::vector<std::string> arguments_;
  std::map<uint32_t, TWindowHandler> handlers_;
  TForm* mainForm_ = nullptr;
  bool terminated_ = false;
};

// The process-wide application object.
TApplication& Application();

}  // namespace velmora
