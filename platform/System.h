// Process-level services: keeping the machine awake, the single-instance
// lock, paths of the program and of the system.
#pragma once

#include <memory>
#include <string>

namespace platform {

// Held while the program runs; released (also by a crash) when freed.
class InstanceLock {
 public:
  virtual ~InstanceLock() = default;
};

class System {
 public:
  virtual ~System() = default;

  // Tells the platform whether the display and the system must stay awake
  // (the desktop's own screen saver and display sleep are inhibited while
  // `display` is true).
  virtual void SetExecutionState(bool display, bool system) = 0;

  // Takes the named single-instance lock. `alreadyRunning` is set when
  // another live process holds it; the returned object may then be empty.
  virtual std::unique_ptr<InstanceLock> CreateInstanceLock(const std::string& name, bool& alreadyRunning) = 0;
  // Asks the live holder of the named lock to bring its window to the
  // front; false when the platform cannot or the holder cannot be reached.
  virtual bool RaiseInstance(const std::string& name) {
    (void)name;
    return false;
  }
  // True once for every such request that reached this process (a lock
  // holder), polled between frames.
  virtual bool TakeRaiseRequest() { return false; }

  // The full path of the running program file.
  virtual std::string ExecutablePath() = 0;
  // The long form of a path (links and relative parts resolved); the path
  // itself when it cannot be resolved.
  virtual std::string LongPath(const std::string& path) = 0;
  // The platform's system directory and system root, without trailing "/"
  // (on Linux "/usr/lib" and "/", the root being the one path that is all
  // "/").
  virtual std::string SystemDirectory() = 0;
  virtual std::string SystemRootDirectory() = 0;
  // The environment, or an empty text when the variable is not set.
  virtual std::string Environment(const std::string& name) = 0;
};

}  // namespace platform
