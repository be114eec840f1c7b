// Starting programs on Linux.
//
// Spawn: posix_spawnp with argv as given (no shell; a bare program name is
// looked up in PATH, a relative path is taken from the own working
// directory, not from the child's), the working directory set in the child,
// default signal handling and an empty signal mask. Failures to start (no
// such program, a bad directory) come back as spawn failures with the
// system's text, never as a child that exits with 127. The priority is set
// on the child after the start as a nice value: Normal 0, High -5, Idle 19,
// RealTime -10; raising it needs privilege, and its refusal is ignored.
// The show command has no counterpart for a Linux process and is dropped.
// Running reaps the child; an ended child reports exit status, or 128 + the
// signal that killed it. A child freed while it still runs is reaped in the
// background, so no zombie stays behind.
//
// ShellOpen: xdg-open FILE in `directory`, not waited for. xdg-open takes no
// parameters for the opened program, so `parameters` are not passed; `show`
// is up to the opened program.
#pragma once

#include <sys/types.h>

#include "platform/Process.h"

namespace platform {

class SdlProcesses : public Processes {
 public:
  std::unique_ptr<ChildProcess> Spawn(const SpawnRequest& request, std::string& error) override;
  bool SetOwnPriority(ProcessPriority priority) override;
  bool ShellOpen(const std::string& file, const std::string& parameters, const std::string& directory,
                 ShowCommand show) override;

  // The nice value of a priority class.
  static int NiceValue(ProcessPriority priority);
};

}  // namespace platform
