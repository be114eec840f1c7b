// Feeds arbitrary text to the scene-description loader as the description
// of a whole scene: every registered class can be created and read its
// keys, lists recurse, references resolve; the tree then runs one frame
// (no rendering context), is written back and freed. Nested descriptions
// (SourceName) and sounds are asked of the asset reader pointed at the
// program's resources, which hold none here. Sound lists set up the
// process-wide sound device; it is made afresh for every input, so that no
// state carries over from one to the next. The scene has an application
// object (its rendering context made but never activated), so that classes
// that build geometry while they read, like the water, build it in client
// memory. Half of the inputs run with a diagnostics sink in force.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include <stdlib.h>
#include <unistd.h>

#include "app/GLApplication.h"
#include "assets/ResourceReader.h"
#include "assets/Stream.h"
#include "assets/WinSoundDevice.h"
#include "core/Diagnostics.h"
#include "core/Error.h"
#include "scene/MainScene.h"
#include "scene/ResourceLoader.h"
#include "scene/SceneClasses.h"
#include "program/SceneCheck.h"
#include "world/WorldClasses.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velmora;
  static TCustomGLApplication* const application = [] {
    // Saving a tree may write the files of nested resources; they go to a
    // private folder, never into the folder the fuzzer was started in.
    char folder[] = "/tmp/velmora-fuzz-scene-XXXXXX";
    if (mkdtemp(folder) == nullptr || chdir(folder) != 0) abort();
    RegisterSceneClasses();
    RegisterWorldClasses();
    ResourceReader().Source = TResourceSource::rsResources;
    return new TCustomGLApplication(nullptr);
  }();
  TCustomMemoryStream stream(std::span<const std::uint8_t>(data, size));
  // Inputs of odd length load with a diagnostics sink in force, as the
  // scene check loads, and end with the check's reading of every picture
  // and mesh.
  TDiagnostics diagnostics;
  std::optional<TDiagnosticsScope> inForce;
  if (size % 2 != 0) inForce.emplace(diagnostics);
  TSoundDeviceScope soundDevice;
  TMainScene scene;
  scene.Application = application;
  scene.SourceFlags = sfArchive;
  TResourceLoader loader;
  loader.MainScene = &scene;
  loader.Section = scene.Name();
  loader.OpenLines(ReadLines(stream));
  try {
    loader.ReadObjectProperties(&scene);
    loader.LoadChildren(&scene);
  } catch (const Error&) {
    // A bad description stops the load; what was made stays in the tree.
  }
  // One frame without a rendering context: every per-frame walk of what was
  // made, drawables that show each other included, must end.
  try {
    scene.Process(0.02f);
  } catch (const Error&) {
    // Drawing may fail with an error of its own (a sprite without texture, a texture
    // that cannot be made without a context); the tree stays whole.
  }
  if (inForce) CheckSceneFiles(scene);
  TResourceLoader writer;
  writer.MainScene = &scene;
  writer.Section = scene.Name();
  writer.CreateNew();
  try {
    writer.WriteHeader(&scene);
    scene.WriteProperties(writer);
    writer.SaveChildren(&scene);
  } catch (const Error&) {
  }
  volatile std::size_t sink = writer.Ini()->ToLines().size();
  (void)sink;
  return 0;
}
