// The scene side of the settings form: what the form shows and draws.
//
// The settings form (the application's main form) hands each of its
// application events to the scene side it made: Start when the scene and
// the world are to be built and the options loaded, LoadOptions and
// SaveOptions, StartOpenGL, Render every frame, FPSChanged after the frame
// rate went to the title, Stop when world and scene are to be freed. A
// scene side with a settings dialog draws it in an open ImGui frame after
// the scene. The world's scene side is world/FormWorld.h.
//
// Lifecycle: made by the form, freed by it before the form's components,
// so it never outlives the rendering context.
//
// Errors: Start and the option handlers raise what loading the scene and
// the options raises; the form reports it.
#pragma once

#include <string>

namespace velmora {

class TDialogGui;
class TPassTimes;

// The scene side of the settings form: one handler per application event
// the form answers (see above).
class TFormScene {
 public:
  virtual ~TFormScene() = default;
  virtual void Start() = 0;
  virtual void Stop() = 0;
  virtual void LoadOptions() = 0;
  virtual void SaveOptions() = 0;
  virtual void StartOpenGL() = 0;
  virtual void Render(float deltaTime) = 0;
  virtual void FPSChanged() = 0;

  // The settings dialog of a scene side that has one: its controls filled
  // from the scene, drawn in an open ImGui frame, and "Cancel" (the window
  // manager's close button).
  virtual bool HasDialog() const { return false; }
  virtual void FillControls() {}
  virtual void DrawDialog(TDialogGui& gui) { (void)gui; }
  virtual void CancelDialog() {}
  // A benchmark's part of the frame left out from now on (a name the scene
  // side knows); false for a name it does not know.
  virtual bool LeaveOut(const std::string& part) {
    (void)part;
    return false;
  }
  // A benchmark's timing of every frame pass by pass (nullptr: none); false
  // for a scene side without a scene.
  virtual bool TimePasses(TPassTimes* times) {
    (void)times;
    return false;
  }
};

}  // namespace velmora
