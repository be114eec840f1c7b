// The process launcher: starts another program or opens a document,
// optionally waiting for the started program to end while the own user
// interface keeps being served.
//
// No shell is involved: the command line is split into the program and its
// parameters (see SetCommandLine), and the parameters into arguments at
// blanks, double quotes grouping (and removed).
#pragma once

#include <string>
#include <vector>

#include "app/Component.h"

namespace velmora {

enum class TExecMode { emAuto, emProcess, emShell };
enum class TExecPriority { epNormal, epHigh, epIdle, epRealTime };
enum class TExecWindowStyle { ewShow, ewHide, ewMaximize, ewMinimize };

class TExecutePro : public TComponent {
 public:
  explicit TExecutePro(TComponent* owner);

  const std::string& CommandLine() const { return commandLine_; }
  // Stores and splits the text; starts nothing.
  //
  // When DefaultDirectory is empty it becomes the directory of the program
  // (up to and including its last "/" or "\"). The program part ends at the
  // leftmost blank after the last "." of its file name, or, for a name
  // without a ".", at the first blank of the name; a name that begins with
  // its only "." has no parameters. Only delimiters before the first blank
  // that opens an absolute path, a switch or a quoted text (a blank
  // followed by "/", "\", a drive "X:" or a double quote) belong to the
  // program, so "/s", "C:\file" or "\"a.txt\"" among the parameters do
  // not. A program given in double quotes ends at the closing quote.
  void SetCommandLine(const std::string& text);

  std::string DefaultDirectory;
  TExecWindowStyle WindowStyle = TExecWindowStyle::ewMinimize;
  TExecPriority Priority = TExecPriority::epNormal;
  TExecMode Mode = TExecMode::emAuto;
  bool Wait = true;

  const std::string& ProgramName() const { return programName_; }
  const std::string& Parameters() const { return parameters_; }

  // Sets the command line, then starts according to Mode: a process
  // (emAuto: for a program file, i.e. a name ending in ".exe" or without
  // any extension) or the desktop's "open". False when a process could not
  // be started (the error has been shown).
  bool Execute(const std::string& commandLine);

  // The exit code of the last process waited for to its end; -1 when it was
  // not waited for, or its state could not be read.
  int ExitCode() const { return exitCode_; }

  // Parameters split into arguments: blanks separate, double quotes group.
  static std::vector<std::string> SplitArguments(const std::string& parameters);

  // The name is a program file rather than a document.
  static bool IsProgramFile(const std::string& programName);

 private:
  bool ProcessExecute();
  void ShellExecute();

  std::string commandLine_;
  std::string programName_;
  std::string parameters_;
  int exitCode_ = -1;
};

}  // namespace velmora
