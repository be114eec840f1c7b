// The analogue clock: a placed visual object that draws a clock face mesh
// and turns three hand meshes by the local time.
//
// Lifecycle:
//
//   made by the loader -> keys read (the meshes found by path, not owned)
//   -> options: "ClockVisible" shows or hides it -> every frame, while
//   visible, RenderOpaque (face and hands as they stand, for their opaque
//   parts) and RenderTransparent (the local time read, the hands turned)
//   -> freed with the scene.
//
// The hands rest pointing at 12 (minute), 6 (second) and 3 (hour) and are
// turned clockwise as the viewer sees them, about (0, 0, -1), in whole
// degrees:
//   minute  minute x 6
//   second  second x 6 - 180
//   hour    ((hour x 30) mod 360) - 90 + (minute div 12) x 6
// so the hour hand moves in steps of 6 degrees every 12 minutes. The
// transparent pass draws the face, then the minute, second and hour hands,
// with the depth test on, so that fish swimming in front of the clock (the
// scene draws them before it) are never painted over. The hands lie on the
// face: each is drawn with a polygon offset pulling it 4 depth units
// nearer than the part drawn before it (minute 4, second 8, hour 12), so
// hands modelled in the face's plane neither fight it for depth nor hide
// one another out of the drawing order. The program's meshes also stand
// the hands clear of the face (ClockFace.3dm up to z = 42; minute,
// second, hour at z = 48, 52, 56), so the order holds at any depth
// precision. The depth test is left on for what the scene draws next.
//
// Keys (besides those of TMainVisualObject), each an object path, default
// the current mesh, written in the same order:
//   ClockFace= HourHand= MinHand= SecHand=
// A path that finds no mesh leaves that part out.
//
// The clock stands directly in the scene, which draws it through Render:
// the passes are drawn there without the extra transform around the whole
// that a plain visual object's Render adds, so the clock stands at its
// Position, turned by its Angles, once.
//
// Options (declared in world/ClockOptions.h; the application's option
// store, plain name, per-user root):
//   "ClockVisible"  boolean, default true: the clock is shown
#pragma once

#include "scene/VisualObject.h"

namespace velmora {

class TSceneMesh;

class TWatchClock : public TMainVisualObject {
 public:
  const char* ClassName() const override { return "TWatchClock"; }

  // Not owned; each may be nullptr.
  TSceneMesh* SecHand = nullptr;
  TSceneMesh* HourHand = nullptr;
  TSceneMesh* ClockFace = nullptr;
  TSceneMesh* MinHand = nullptr;

  // The hands' turns in degrees at a time of day.
  struct THandAngles {
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
  };
  static THandAngles HandAngles(int hour, int minute, int second);

  // When visible: RenderOpaque, then RenderTransparent when Alpha; each
  // applies the clock's transform once.
  void Render() override;
  void RenderOpaque() override;
  void RenderTransparent() override;
  void LoadOptions() override;
  void SaveOptions() override;
  void ReadProperties(TResourceLoader& loader) override;
  void WriteProperties(TResourceLoader& loader) override;
};

}  // namespace velmora
