#include "app/ExecutePro.h"

#include "app/Toolkit.h"
#include "core/Error.h"
#include "core/Strings.h"
#include "platform/Clock.h"
#include "platform/Process.h"
#include "platform/Service.h"

namespace velmora {

namespace {

bool IsDelimiter(char c) { return c == '/' || c == '\\'; }

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Where the parameters can begin at the latest: the first blank followed by
// an absolute path, a switch or a quoted text.
std::size_t ParameterLimit(const std::string& text) {
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != ' ') continue;
    char next = text[i + 1];
    if (IsDelimiter(next) || next == '"') return i;
    if (i + 2 < text.size() && IsLetter(next) && text[i + 2] == ':') return i;
  }
  return text.size();
}

std::size_t DirectoryEnd(const std::string& text, std::size_t limit) {
  for (std::size_t i = limit; i > 0; --i)
    if (IsDelimiter(text[i - 1])) return i;
  return 0;
}

platform::ShowCommand ShowCommandOf(TExecWindowStyle style) {
  switch (style) {
    case TExecWindowStyle::ewHide: return platform::ShowCommand::Hide;
    case TExecWindowStyle::ewMaximize: return platform::ShowCommand::Maximize;
    case TExecWindowStyle::ewMinimize: return platform::ShowCommand::Minimize;
    case TExecWindowStyle::ewShow: break;
  }
  return platform::ShowCommand::Show;
}

platform::ProcessPriority PriorityOf(TExecPriority priority) {
  switch (priority) {
    case TExecPriority::epHigh: return platform::ProcessPriority::High;
    case TExecPriority::epIdle: return platform::ProcessPriority::Idle;
    case TExecPriority::epRealTime: return platform::ProcessPriority::RealTime;
    case TExecPriority::epNormal: break;
  }
  return platform::ProcessPriority::Normal;
}

}  // namespace

TExecutePro::TExecutePro(TComponent* owner) : TComponent(owner) {}

void TExecutePro::SetCommandLine(const std::string& text) {
  commandLine_ = text;
  std::size_t dirEnd = 0;
  if (!text.empty() && text[0] == '"') {
    std::size_t close = text.find('"', 1);
    programName_ = text.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    std::size_t rest = close == std::string::npos ? text.size() : close + 1;
    while (rest < text.size() && text[rest] == ' ') ++rest;
    parameters_ = text.substr(rest);
    dirEnd = DirectoryEnd(programName_, programName_.size());
    if (DefaultDirectory.empty()) DefaultDirectory = programName_.substr(0, dirEnd);
    return;
  }

  std::size_t limit = ParameterLimit(text);
  dirEnd = DirectoryEnd(text, limit);
  if (DefaultDirectory.empty()) DefaultDirectory = text.substr(0, dirEnd);
  const std::string name = text.substr(dirEnd, limit - dirEnd);

  std::size_t programEnd = std::string::npos;  // within name; npos = the whole name
  std::size_t dot = name.rfind('.');
  if (dot == std::string::npos) {
    programEnd = name.find(' ');
  } else if (dot > 0) {
    programEnd = name.find(' ', dot);
  }
  if (programEnd == std::string::npos) {
    programName_ = text.substr(0, limit);
    parameters_ = limit < text.size() ? text.substr(limit + 1) : std::string();
  } else {
    programName_ = text.substr(0, dirEnd + programEnd);
    parameters_ = text.substr(dirEnd + programEnd + 1);
  }
}

std::vector<std::string> TExecutePro::SplitArguments(const std::string& parameters) {
  std::vector<std::string> arguments;
  std::string current;
  bool inToken = false;
  bool quoted = false;
  for (char c : parameters) {
    if (c == '"') {
      quoted = !quoted;
      inToken = true;  // "" is an empty argument
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (inToken) arguments.push_back(current);
      current.clear();
      inToken = false;
    } else {
      current += c;
      inToken = true;
    }
  }
  if (inToken) arguments.push_back(current);
  return arguments;
}

bool TExecutePro::IsProgramFile(const std::string& programName) {
  if (LowerCase(programName).find(".exe") != std::string::npos) return true;
  // Program files carry no extension here.
  std::size_t dirEnd = DirectoryEnd(programName, programName.size());
  return !programName.empty() && dirEnd < programName.size() &&
         programName.find('.', dirEnd) == std::string::npos;
}

bool TExecutePro::Execute(const std::string& commandLine) {
  SetCommandLine(commandLine);
  switch (Mode) {
    case TExecMode::emProcess: return ProcessExecute();
    case TExecMode::emShell: ShellExecute(); return true;
    case TExecMode::emAuto: break;
  }
  if (IsProgramFile(programName_)) return ProcessExecute();
  ShellExecute();
  return true;
}

bool TExecutePro::ProcessExecute() {
  exitCode_ = -1;
  platform::SpawnRequest request;
  request.argv.push_back(programName_);
  for (std::string& argument : SplitArguments(parameters_)) request.argv.push_back(std::move(argument));
  request.directory = DefaultDirectory;
  request.priority = PriorityOf(Priority);
  request.show = ShowCommandOf(WindowStyle);

  std::string error;
  std::unique_ptr<platform::ChildProcess> child = platform::Get<platform::Processes>().Spawn(request, error);
  if (!child) {
    if (error.size() > 512) error.resize(512);
    Application().ShowException(Error("TExecutePro.ProcessExecute error:  CommandLine: " + commandLine_ +
                                      " DefaultDirectory: " + DefaultDirectory + " Message: " + error));
    return false;
  }
  // The own windows stay served while the child runs; terminating the
  // application ends the wait, not the child.
  while (Wait) {
    int code = -1;
    if (!child->Running(code)) {
      exitCode_ = code;
      break;
    }
    if (Application().Terminated()) break;
    Application().ProcessMessages();
    platform::Get<platform::Clock>().Sleep(100);
  }
  return true;
}

void TExecutePro::ShellExecute() {
  bool program = IsProgramFile(programName_);
  platform::Get<platform::Processes>().ShellOpen(programName_, program ? parameters_ : std::string(), DefaultDirectory,
                                                 program ? ShowCommandOf(WindowStyle) : platform::ShowCommand::Hide);
}

}  // namespace velmora
