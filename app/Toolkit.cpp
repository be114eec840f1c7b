#include "app/Toolkit.h"

#include "app/Form.h"
#include "platform/Dialogs.h"
#include "platform/Service.h"

namespace velmora {

namespace {
// How long an idle loop with nothing to do waits for the next message
// before it looks again.
constexpr uint32_t kIdleWait = 100;
}  // namespace

TApplication& Application() {
  static TApplication application;
  return application;
}

void TApplication::SetArguments(int argc, char** argv) {
  arguments_.clear();
  for (int i = 0; i < argc; ++i) arguments_.emplace_back(argv[i] ? argv[i] : "");
}

void TApplication::Run() {
  if (ShowMainForm && mainForm_ && !terminated_) mainForm_->Show();
  while (!terminated_) {
    try {
      HandleMessage();
    } catch (const std::exception& error) {
      HandleException(this, error);
    }
  }
}

void TApplication::HandleMessage() {
  platform::EventSource& events = platform::Get<platform::EventSource>();
  bool done = true;
  if (Events.OnIdle) {
    Events.OnIdle(this, done);
  } else if (TakeMessage()) {
    return;
  }
  if (done && !terminated_) events.Wait(kIdleWait);
}

bool TApplication::TakeMessage() {
  platform::Message message;
  if (!platform::Get<platform::EventSource>().Poll(message)) return false;
  ProcessMessage(message);
  return true;
}

void TApplication::ProcessMessages() {
  while (!terminated_ && TakeMessage()) {
  }
}

void TApplication::PostQuit() {
  platform::Message quit;
  quit.kind = platform::MessageKind::Quit;
  platform::Get<platform::EventSource>().Post(quit);
}

void TApplication::RegisterWindow(uint32_t window, TWindowHandler handler) { handlers_[window] = std::move(handler); }

void TApplication::UnregisterWindow(uint32_t window) { handlers_.erase(window); }

void TApplication::ProcessMessage(platform::Message& message) {
  if (message.kind == platform::MessageKind::Quit) {
    terminated_ = true;
    return;
  }
  bool handled = false;
  TEvent<platform::Message&, bool&> hook = Events.OnMessage;
  Fire(hook, message, handled);
  if (!handled &&
      (message.kind == platform::MessageKind::KeyDown || message.kind == platform::MessageKind::SysKeyDown)) {
    TEvent<platform::Message&, bool&> shortCut = Events.OnShortCut;
    Fire(shortCut, message, handled);
  }
  if (!handled) Dispatch(message);
}

void TApplication::Dispatch(platform::Message& message) {
  TNotifyEvent notify;
  switch (message.kind) {
    case platform::MessageKind::Activate: notify = Events.OnActivate; break;
    case platform::MessageKind::Deactivate: notify = Events.OnDeactivate; break;
    case platform::MessageKind::Minimize: notify = Events.OnMinimize; break;
    case platform::MessageKind::Restore: notify = Events.OnRestore; break;
    default: break;
  }
  Fire(notify, this);
  auto it = handlers_.find(message.window);
  if (it == handlers_.end()) {
    DefaultWindowProc(message);
    return;
  }
  // A copy: the handler may unregister its window.
  TWindowHandler handler = it->second;
  handler(message);
}

void TApplication::DefaultWindowProc(platform::Message& message) {
  if (message.kind == platform::MessageKind::PowerBroadcast) message.result = platform::pbTrue;
}

void TApplication::HandleException(void* sender, const std::exception& error) {
  TEvent<void*, const std::exception&> handler = Events.OnException;
  if (handler)
    handler(sender, error);
  else
    ShowException(error);
}

void TApplication::ShowException(const std::exception& error) {
  platform::Get<platform::Dialogs>().MessageBox(error.what(), Title, platform::MessageIcon::Error);
}

void TApplication::SetHint(const std::string& text) {
  hint_ = text;
  TNotifyEvent onHint = Events.OnHint;
  Fire(onHint, this);
}

bool TApplication::ShowHint(std::string& text, THintInfo& info) {
  bool canShow = true;
  TEvent<std::string&, bool&, THintInfo&> onShowHint = Events.OnShowHint;
  Fire(onShowHint, text, canShow, info);
  return canShow;
}

void TApplication::Reset() {
  Title.clear();
  Events = TApplicationEvents{};
  ShowMainForm = true;
  SkipTaskBar = false;
  hint_.clear();
  handlers_.clear();
  mainForm_ = nullptr;
  terminated_ = false;
}

}  // namespace velmora
