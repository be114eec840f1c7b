// Starting programs without starting anything: spawn requests are recorded
// and each one is answered by the next scripted child (running for a number
// of polls, then ending with an exit code) or a scripted failure.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/Process.h"

namespace platform {

class FakeProcesses : public Processes {
 public:
  struct ChildScript {
    int runningPolls = 0;    // Running answers true this many times...
    int exitCode = 0;        // ...then false with this code
    bool unreadable = false; // the state cannot be read: false with -1 at once
    std::string spawnError;  // not empty: the spawn fails with this text
  };

  // What became of one spawned child.
  struct Child {
    int polls = 0;       // calls of Running
    bool freed = false;  // the program let go of its ChildProcess
  };

  struct ShellOpenRequest {
    std::string file;
    std::string parameters;
    std::string directory;
    ShowCommand show;
  };

  // Without a script left, a spawn gives a child that has already ended
  // with exit code 0.
  void Script(const ChildScript& script) { scripts_.push_back(script); }
  void ScriptFailure(const std::string& error) {
    ChildScript s;
    s.spawnError = error;
    scripts_.push_back(s);
  }

  std::unique_ptr<ChildProcess> Spawn(const SpawnRequest& request, std::string& error) override;
  bool SetOwnPriority(ProcessPriority priority) override;
  bool ShellOpen(const std::string& file, const std::string& parameters, const std::string& directory,
                 ShowCommand show) override;

  bool setOwnPriorityResult = true;
  bool shellOpenResult = true;

  std::vector<SpawnRequest> spawns;                 // every request, failed ones included
  std::vector<std::shared_ptr<Child>> children;     // one per successful spawn
  std::vector<ProcessPriority> ownPriorities;
  std::vector<ShellOpenRequest> shellOpens;

 private:
  std::deque<ChildScript> scripts_;
};

}  // namespace platform
