// Process-level services on Linux.
//
// - SetExecutionState: `display` inhibits the desktop's screen saver and
//   display sleep through SDL (SDL_DisableScreenSaver / SDL_EnableScreenSaver;
//   before SDL's video is up, the hint that SDL applies when it starts).
//   `system` is recorded only: SDL offers no way to keep the machine out of
//   suspend. Unlike SDL's own default, the screen saver is allowed until
//   `display` is asked for (an SDL_VIDEO_ALLOW_SCREENSAVER set in the
//   environment wins).
// - CreateInstanceLock: an advisory flock on "<name>.lock" in
//   $XDG_RUNTIME_DIR, else in "velmora-<uid>" (made with mode 0700) in
//   $TMPDIR, else in /tmp; read when the lock is taken. The folder must be
//   a real folder (no link) of this user's own that no other user may write
//   into, and the lock file this user's: otherwise a warning goes to
//   standard error and the program runs without the lock, so a file of
//   another account never decides. The kernel drops the lock when the
//   holder ends, crashed or not, so a dead copy never blocks the next
//   start. When the lock file cannot be made at all, nothing is locked and
//   the program runs (alreadyRunning false). The holder writes its process
//   id into the file.
// - RaiseInstance: SIGUSR1 to the process id in the lock file, when that
//   process runs this same program file; a holder counts the signals it
//   gets (TakeRaiseRequest) while it holds a lock.
// - ExecutablePath: /proc/self/exe. LongPath: realpath.
// - SystemDirectory: "/usr/lib"; SystemRootDirectory: "/" (the root itself,
//   the only answer that ends in "/").
// - Environment: getenv.
#pragma once

#include <string>

#include "platform/System.h"

namespace platform {

class SdlSystem : public System {
 public:
  SdlSystem();  // lets the desktop's screen saver run until told otherwise

  void SetExecutionState(bool display, bool system) override;
  std::unique_ptr<InstanceLock> CreateInstanceLock(const std::string& name, bool& alreadyRunning) override;
  bool RaiseInstance(const std::string& name) override;
  bool TakeRaiseRequest() override;
  std::string ExecutablePath() override;
  std::string LongPath(const std::string& path) override;
  std::string SystemDirectory() override { return "/usr/lib"; }
  std::string SystemRootDirectory() override { return "/"; }
  std::string Environment(const std::string& name) override;

  // The last request, for reporting.
  bool DisplayRequired() const { return display_; }
  bool SystemRequired() const { return system_; }

  // The folder of the lock files and the file CreateInstanceLock locks
  // for `name` (paths only; nothing is made or checked).
  static std::string LockFolder();
  static std::string LockFilePath(const std::string& name);
  // Why `folder` may not hold the locks (a link, not a folder, another
  // user's, writable by others); empty when it may.
  static std::string LockFolderProblem(const std::string& folder);

 private:
  bool display_ = false;
  bool system_ = false;
};

}  // namespace platform
