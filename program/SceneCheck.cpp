#include "program/SceneCheck.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/ScreenSaver.h"
#include "app/SettingsForm.h"
#include "app/Toolkit.h"
#include "assets/Bitmap.h"
#include "assets/ResourceReader.h"
#include "core/Error.h"
#include "core/Event.h"
#include "core/Strings.h"
#include "platform/Service.h"
#include "platform/Window.h"
#include "program/Runs.h"
#include "scene/FileNames.h"
#include "scene/MainScene.h"
#include "scene/Particles.h"
#include "scene/ResourceLoader.h"
#include "scene/SceneMesh.h"
#include "scene/SceneSound.h"
#include "scene/SceneTexture.h"
#include "world/FormWorld.h"

namespace velmora {

namespace {

// Every object below list, depth first, parents before their children.
void ForEachObject(const TMainList& list, const std::function<void(TMainObject&)>& visit) {
  for (int i = 0; i < list.GetCount(); ++i) {
    auto* object = dynamic_cast<TMainObject*>(list.GetItem(i));
    if (!object) continue;
    visit(*object);
    if (auto* child = dynamic_cast<TMainList*>(object)) ForEachObject(*child, visit);
  }
}

bool SamePlace(const TDiagnosticWhere& a, const TDiagnosticWhere& b) {
  return a.File == b.File && a.Section == b.Section && a.Key == b.Key;
}

// Runs step; an error is reported and gives false.
template <class F>
bool Attempt(TDiagnostics& sink, F step) {
  sink.ClearThrowPlace();
  try {
    step();
    return true;
  } catch (const std::exception& error) {
    ReportError(sink, error);
    return false;
  }
}

// No sound device is opened: SDL plays into nothing. Set before SDL's
// sound starts, which is when the first sound plays.
void UseSilentSound() { setenv("SDL_AUDIODRIVER", "dummy", 1); }

}  // namespace

// --- reports ------------------------------------------------------------------

void ReportError(TDiagnostics& sink, const std::exception& error) {
  if (const auto* load = dynamic_cast<const TLoadError*>(&error)) {
    sink.Report(TDiagnosticLevel::dlError, load->Where, load->Reason);
    return;
  }
  sink.Report(TDiagnosticLevel::dlError, sink.HasThrowPlace() ? sink.ThrowPlace() : TDiagnosticWhere{},
              error.what());
}

std::vector<TDiagnostic> ProblemsToShow(const TDiagnostics& sink) {
  std::vector<TDiagnostic> shown;
  for (const TDiagnostic& problem : sink.Problems()) {
    bool superseded = false;
    if (problem.Level == TDiagnosticLevel::dlWarning)
      for (const TDiagnostic& other : sink.Problems())
        if (other.Level == TDiagnosticLevel::dlError && SamePlace(other.Where, problem.Where)) superseded = true;
    if (!superseded) shown.push_back(problem);
  }
  return shown;
}

std::string DiagnosticLine(const TDiagnostic& problem) {
  std::string line = problem.Level == TDiagnosticLevel::dlError ? "error: " : "warning: ";
  const TDiagnosticWhere& where = problem.Where;
  std::string place = where.File;
  if (!where.Section.empty()) place += (place.empty() ? "[" : " [") + where.Section + "]";
  if (!where.Key.empty()) place += (place.empty() ? "" : " ") + where.Key;
  if (!place.empty()) line += place + ": ";
  return line + problem.Reason;
}

TSceneCounts CountScene(const TMainScene& scene) {
  TSceneCounts counts;
  std::function<void(const TMainList&)> count = [&](const TMainList& list) {
    for (int i = 0; i < list.GetCount(); ++i) {
      auto* object = dynamic_cast<TMainObject*>(list.GetItem(i));
      if (!object) continue;
      ++counts.Objects;
      if (dynamic_cast<TSceneTexture*>(object)) ++counts.Textures;
      if (dynamic_cast<TSceneMesh*>(object)) ++counts.Meshes;
      if (dynamic_cast<TSceneSound*>(object)) ++counts.Sounds;
      // Particles come and go with the options and the frames.
      auto* child = dynamic_cast<TMainList*>(object);
      if (child && !dynamic_cast<TSceneParticleList*>(object)) count(*child);
    }
  };
  count(scene);
  return counts;
}

// --- the files the scene may read -------------------------------------------------

void CheckSceneFiles(TMainScene& scene) {
  TDiagnostics* sink = Diagnostics();
  if (!sink) return;
  std::vector<TSceneTexture*> textures;
  std::vector<TSceneMesh*> meshes;
  ForEachObject(scene, [&](TMainObject& object) {
    if (auto* texture = dynamic_cast<TSceneTexture*>(&object)) textures.push_back(texture);
    if (auto* mesh = dynamic_cast<TSceneMesh*>(&object)) meshes.push_back(mesh);
  });
  // Meshes first: they make the textures of their materials.
  for (TSceneMesh* mesh : meshes) Attempt(*sink, [&] { mesh->LoadMesh(); });
  ForEachObject(scene, [&](TMainObject& object) {
    auto* texture = dynamic_cast<TSceneTexture*>(&object);
    if (texture && std::find(textures.begin(), textures.end(), texture) == textures.end()) textures.push_back(texture);
  });
  for (TSceneTexture* texture : textures) {
    auto read = [&](const std::string& name, const char* key) {
      // A picture whose loading failed already is not reported twice.
      const TDiagnosticWhere where = sink->PlaceOf(texture, key);
      const std::string file = ResourceFileName(name);
      for (const TDiagnostic& known : sink->Problems())
        if (known.Level == TDiagnosticLevel::dlError && SamePlace(known.Where, where) &&
            known.Reason.find(file) != std::string::npos)
          return;
      Attempt(*sink, [&] {
        TDiagnosticPlace place(texture, key);
        texture->LoadBitmap(CombinePath(texture->Path, name));
      });
    };
    if (!texture->FileList().empty()) {
      // Each entry, as SetFileIndex would pick it.
      for (const std::string& entry : texture->FileList()) read(entry, "FileListName");
      continue;
    }
    read(texture->TextureName, "TextureName");
    if (texture->Format == tfAlpha && !SameText(texture->AlphaName, texture->TextureName))
      read(texture->AlphaName, "AlphaName");
  }
}

std::vector<std::string> PackFileNames() {
  std::vector<std::string> names;
  TResourceFileReader& reader = ResourceReader();
  if (!reader.DataFolder.empty()) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(reader.DataFolder, ec))
      if (entry.is_regular_file(ec)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  if (!reader.Archive()) reader.LoadArchive();
  if (TResourceFileArchive* archive = reader.Archive())
    for (int i = 0; i < archive->Count(); ++i) names.push_back(archive->Entries(i).Name);
  return names;
}

// --- the runs -------------------------------------------------------------------

int RunCheck(const TProgramOptions& options) {
  UseSilentSound();
  TDiagnostics sink;
  TDiagnosticsScope inForce(sink);
  platform::Get<platform::Windows>().UseOffscreen(false);
  OwnRunArguments();
  TSceneCounts counts;
  bool loaded = false, rendered = false;
  {
    TFormSettings form(true);
    TGLScreenSaver& app = *form.GLScreenSaver();
    form.GLWindow()->SetBounds(0, 0, 320, 240);
    form.Show();
    auto* world = dynamic_cast<TFormWorld*>(form.Scene());
    loaded = Attempt(sink, [&] {
      if (!WaitForOpenGL(app)) RaiseError("TGLScreenSaver", "Check", "OpenGL could not be started");
    });
    // A load that failed leaves the objects made so far in place.
    loaded = loaded && world && world->Scene && world->World;
    if (loaded)
      rendered = Attempt(sink, [&] {
        for (int frame = 0; frame < kCheckFrames; ++frame) {
          Fire(app.OnUpdate, kCheckStep);
          app.RenderScene(app.DeviceContext(), kCheckStep);
        }
      });
    if (world && world->Scene) {
      CheckSceneFiles(*world->Scene);
      counts = CountScene(*world->Scene);
    }
    // Only a scene read to its end tells which files nothing needs.
    if (loaded)
      for (const std::string& name : PackFileNames())
        if (!sink.FileUsed(name))
          sink.Report(TDiagnosticLevel::dlWarning, TDiagnosticWhere{name, "", ""},
                      "the pack holds this file, but the scene never reads it");
  }
  const std::vector<TDiagnostic> problems = ProblemsToShow(sink);
  int errors = 0;
  for (const TDiagnostic& problem : problems) {
    std::printf("%s\n", DiagnosticLine(problem).c_str());
    // With --strict a warning fails the check as an error does.
    if (problem.Level == TDiagnosticLevel::dlError || options.Strict) ++errors;
  }
  std::printf("objects=%d textures=%d meshes=%d sounds=%d problems=%d\n", counts.Objects, counts.Textures,
              counts.Meshes, counts.Sounds, static_cast<int>(problems.size()));
  std::fflush(stdout);
  return loaded && rendered && errors == 0 ? 0 : 1;
}

void SaveSceneTree(TMainScene& scene, const std::string& fileName, const std::string& programPath) {
  ForEachObject(scene, [](TMainObject& object) {
    if (auto* resource = dynamic_cast<TResource*>(&object)) resource->SourceName.clear();
  });
  if (scene.Path == programPath) scene.Path = ".\\";
  // A name without folder would be combined with the scene's Path.
  scene.SourceName = ExtractFileDir(fileName).empty() ? "./" + fileName : fileName;
  scene.SourceFlags = sfDisk;
  TResourceFileReader& reader = ResourceReader();
  const std::string folder = reader.DataFolder;
  reader.DataFolder.clear();
  try {
    scene.Save();
  } catch (...) {
    reader.DataFolder = folder;
    throw;
  }
  reader.DataFolder = folder;
}

int RunSaveScene(const TProgramOptions& options) {
  UseSilentSound();
  // The application gives the scene its rendering context (made, not
  // started: as at the saver's start, the objects only prepare their
  // OpenGL objects); its form is never shown and runs no frame.
  platform::Get<platform::Windows>().UseOffscreen(false);
  OwnRunArguments();
  TFormSettings form(true);
  std::unique_ptr<TMainScene> scene = MakeCarriedScene(&form);
  const std::string programPath = scene->Path;
  scene->Load();
  if (scene->GetCount() == 0)
    RaiseError("TFormWorld", "Start",
               std::string("The scene ") + kSceneFileName + " holds nothing (is it missing from the data?)");
  SaveSceneTree(*scene, options.SceneFile, programPath);
  return 0;
}

}  // namespace velmora
