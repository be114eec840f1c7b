// The runs of the program, one function each: the screen saver in its
// roles, a film and a benchmark (the scene check and the written-out scene
// are in program/SceneCheck.h). Each makes the settings form it needs,
// runs the frames and returns the process's exit code.
#pragma once

#include "program/ProgramOptions.h"

namespace velmora {

class TGLScreenSaver;

// The whole program for each kind of run; each returns the exit code.
// The saver's roles keep to options.FramesPerSecond when it is set.
int RunSaver(const TProgramOptions& options);
// Renders seconds x rate frames in fixed steps into an offscreen window
// and writes them as NAME00001.jpg ..., then prints "frames=N". With a
// seed and a moment, two runs write the same frames: the scene spawns from
// the seed and the clocks show the moment advanced by the film's own time.
// Told to end (SIGTERM) it stops after the frame in hand, says so on
// standard error and returns kExitInterrupted.
int RunFilm(const TProgramOptions& options);
// The exit code of a run ended by SIGTERM before it was done (128 + 15, as
// a shell reports a process the signal ended).
constexpr int kExitInterrupted = 143;
// Renders full screen as fast as the loop goes for the given seconds and
// prints "frames=N seconds=S fps=F ms_per_frame=M cpu_ms_per_frame=C" (C:
// the processor time of all threads per frame).
int RunBench(const TProgramOptions& options);

// For the runs of their own made elsewhere (the scene check): the command
// line cut to the program role, and frames run until OpenGL has started
// (false when it did not within 200 frames or the program ended).
void OwnRunArguments();
bool WaitForOpenGL(TGLScreenSaver& app);

}  // namespace velmora
