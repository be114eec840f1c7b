// The two runs for people who make scene packs: "velmora --check" tells
// whether the scene loads and what is wrong with it, "velmora
// --save-scene OUT.gsc" writes the scene back as the loader understood it.
//
// RunCheck, in this order:
//
//   SDL's dummy sound output (no sound device is opened) -> a diagnostics
//   sink in force (core/Diagnostics.h) -> the settings form made for a run
//   of its own on an offscreen 320 x 240 window -> frames until OpenGL
//   runs: the first one loads the scene exactly as the saver does at start
//   (TFormWorld::Start: scene, world, stored options read, none written)
//   -> kCheckFrames frames in steps of kCheckStep seconds -> every picture
//   each texture may show (all entries of its file list) and every mesh
//   read, also those no frame drew -> when the scene loaded, every file of
//   the pack that nothing asked for -> one line per problem on standard
//   output, then the summary:
//
//     error: FILE [SECTION] KEY: REASON
//     warning: FILE [SECTION] KEY: REASON
//     objects=N textures=N meshes=N sounds=N problems=N
//
//   FILE is the name as the pack knows it (no folder), SECTION the section
//   that describes the object (for a texture made from a 3DM material:
//   "Material NAME" of the .3dm file), KEY the key that named what failed;
//   parts that are not known are left out. problems counts the lines
//   above it, errors and warnings. A warning at a key that also has an
//   error is left out.
//
//   Errors: a load or a frame that failed (its error, placed where the
//   description named what failed), a file the data lacks, a picture that
//   is not .bmp or .jpg. Warnings (the scene loads, but probably not as
//   meant): a reference whose path finds nothing or finds an object of a
//   class the key cannot use, a picture fitted to powers of two, a sound
//   decoded or converted to the device's format, a file of the pack that
//   nothing reads.
//
//   Exit code: 0 when the scene loaded and rendered with no error (warnings
//   do not count; with --strict they count as errors), 1 otherwise.
//
// RunSaveScene: the scene made as the saver makes it (MakeCarriedScene, on
// the application of a settings form that is never shown: the scene has
// its rendering context, but no frame runs and no option is read, so the
// values are those the description gave) and loaded; then SaveSceneTree.
// Exit code 0; errors pass out to the caller.
#pragma once

#include <string>
#include <vector>

#include "program/ProgramOptions.h"
#include "core/Diagnostics.h"

namespace velmora {

class TMainScene;

constexpr int kCheckFrames = 5;
constexpr float kCheckStep = 1.0f / 25.0f;

int RunCheck(const TProgramOptions& options);
int RunSaveScene(const TProgramOptions& options);

struct TSceneCounts {
  int Objects = 0;   // every object below the scene root, particles not
                     // counted (a particle list counts as one)
  int Textures = 0;  // TSceneTexture
  int Meshes = 0;    // TSceneMesh and the classes made from it (sprites)
  int Sounds = 0;    // TSceneSound
};
TSceneCounts CountScene(const TMainScene& scene);

// "error: FILE [SECTION] KEY: REASON" (or "warning: ...").
std::string DiagnosticLine(const TDiagnostic& problem);
// The problems to show: those of sink, less the warnings at a key that has
// an error.
std::vector<TDiagnostic> ProblemsToShow(const TDiagnostics& sink);

// Reports error into sink: a TLoadError at its own place, any other at the
// sink's ThrowPlace (nowhere without one).
void ReportError(TDiagnostics& sink, const std::exception& error);

// Reads every picture each texture of scene may show and builds every mesh
// not built yet, reporting into the sink in force what fails.
void CheckSceneFiles(TMainScene& scene);
// The files of the pack in force: the data folder's files, or the entries
// of the archive the asset reader reads.
std::vector<std::string> PackFileNames();

// Writes the whole tree of scene to fileName through the loader's Save:
// resources that came from files of their own are written in this one
// (their children after them), and the scene's Path is left out when it
// is programPath (the directory the program gave it, not a value of the
// description). The asset reader's data folder does not redirect the file.
void SaveSceneTree(TMainScene& scene, const std::string& fileName, const std::string& programPath);

}  // namespace velmora
