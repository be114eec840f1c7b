// Starting other programs and opening documents.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace platform {

enum class ProcessPriority { Normal, High, Idle, RealTime };
enum class ShowCommand { Show, Hide, Maximize, Minimize };

class ChildProcess {
 public:
  virtual ~ChildProcess() = default;
  // True while the process runs; when it has ended, false with its exit code
  // (128 + the signal for a process killed by a signal), on every later call
  // too. False with exitCode -1 when its state cannot be read.
  virtual bool Running(int& exitCode) = 0;
};

struct SpawnRequest {
  std::vector<std::string> argv;  // argv[0] is the program; no shell is involved
  std::string directory;          // working directory; empty = the current one
  ProcessPriority priority = ProcessPriority::Normal;
  ShowCommand show = ShowCommand::Show;
};

class Processes {
 public:
  virtual ~Processes() = default;

  // Starts a process. On failure returns nullptr and sets `error` to the
  // system's message for the failure.
  virtual std::unique_ptr<ChildProcess> Spawn(const SpawnRequest& request, std::string& error) = 0;

  // The scheduling priority of the own process.
  virtual bool SetOwnPriority(ProcessPriority priority) = 0;

  // The desktop's "open" for a document, a folder or a URL (xdg-open).
  // Nothing is waited for; false when it could not even be started.
  virtual bool ShellOpen(const std::string& file, const std::string& parameters, const std::string& directory,
                         ShowCommand show) = 0;
};

}  // namespace platform
