// Feeds arbitrary text to the scene-description loader as the description
// of a whole scene: every registered class (the world's too) can be
// created and read its keys, lists recurse, references resolve; the tree
// then runs one frame (no rendering context), is written back and freed.
// Nested descriptions (SourceName) are asked of the asset reader pointed
// at the program's resources, which hold none here.
#include <cstddef>
#include <cstdint>
#include <span>

#include "assets/ResourceReader.h"
#include "assets/Stream.h"
#include "core/Error.h"
#include "scene/MainScene.h"
#include "scene/ResourceLoader.h"
#include "scene/SceneClasses.h"
#include "world/WorldClasses.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velmora;
  static const bool ready = [] {
    RegisterSceneClasses();
    RegisterWorldClasses();
    ResourceReader().Source = TResourceSource::rsResources;
    return true;
  }();
  (void)ready;
  TCustomMemoryStream stream(std::span<const std::uint8_t>(data, size));
  TMainScene scene;
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
  scene.Process(0.02f);
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
