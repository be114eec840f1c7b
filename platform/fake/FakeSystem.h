// Process-level services with scripted answers: execution-state requests are
// recorded, "another copy is running" is settable per lock name, and the
// paths and the environment are plain tables.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/System.h"

namespace platform {

class FakeSystem : public System {
 public:
  struct ExecutionState {
    bool display;
    bool system;
  };

  FakeSystem();

  void SetExecutionState(bool display, bool system) override;
  // Already running when the name is in `otherInstances` or a lock of this
  // fake with that name is still alive; in both cases nullptr is returned.
  std::unique_ptr<InstanceLock> CreateInstanceLock(const std::string& name, bool& alreadyRunning) override;
  std::string ExecutablePath() override { return executablePath; }
  // The entry of `longPaths` for the path, else the path itself.
  std::string LongPath(const std::string& path) override;
  std::string SystemDirectory() override { return systemDirectory; }
  std::string SystemRootDirectory() override { return systemRootDirectory; }
  std::string Environment(const std::string& name) override;
  // Recorded in raiseRequests; answers `canRaise`.
  bool RaiseInstance(const std::string& name) override {
    raiseRequests.push_back(name);
    return canRaise;
  }
  // Takes one of `pendingRaises`.
  bool TakeRaiseRequest() override {
    if (pendingRaises == 0) return false;
    --pendingRaises;
    return true;
  }

  // True while a lock of this name taken through this fake is alive.
  bool LockHeld(const std::string& name) const;

  std::string executablePath = "/opt/velmora/velmora";
  std::map<std::string, std::string> longPaths;
  std::string systemDirectory = "/usr/lib";
  std::string systemRootDirectory = "/";
  std::map<std::string, std::string> environment;
  std::set<std::string> otherInstances;  // lock names held by "another process"

  std::vector<ExecutionState> executionStates;
  std::vector<std::string> lockRequests;
  std::vector<std::string> raiseRequests;
  bool canRaise = true;
  int pendingRaises = 0;

 private:
  // Shared with the lock objects, so a lock freed after the fake is harmless.
  std::shared_ptr<std::multiset<std::string>> held_;
};

}  // namespace platform
