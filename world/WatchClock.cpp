#include "world/WatchClock.h"

#include "scene/DefViewport.h"
#include "scene/SceneHost.h"
#include "gl/GLEntryPoints.h"
#include "gl/OpenGL.h"
#include "platform/LocalTime.h"
#include "platform/Service.h"
#include "scene/ResourceLoader.h"
#include "scene/SceneMesh.h"
#include "world/ClockOptions.h"

namespace velmora {

namespace {

// Depth units each hand is pulled toward the viewer beyond the one drawn
// before it (the face counts as the first).
constexpr GLfloat kHandOffsetUnits = 4;

// The hand's transparent pass, turned clockwise (as the viewer sees it) by
// degrees, its depth pulled toward the viewer by `offset` units.
void DrawHand(TSceneMesh* hand, int degrees, GLfloat offset) {
  if (!hand) return;
  if (GL.glPolygonOffset) GL.glPolygonOffset(0, -offset);
  GL.glPushMatrix();
  GL.glRotatef(static_cast<GLfloat>(degrees), 0, 0, -1);
  hand->RenderTransparent();
  GL.glPopMatrix();
}

}  // namespace

TWatchClock::THandAngles TWatchClock::HandAngles(int hour, int minute, int second) {
  THandAngles a;
  a.Minute = minute * 6;
  a.Second = second * 6 - 180;
  a.Hour = ((hour * 30) % 360) - 90 + (minute / 12) * 6;
  return a;
}

void TWatchClock::Render() {
  if (!Visible()) return;
  RenderOpaque();
  if (Alpha) RenderTransparent();
}

void TWatchClock::RenderOpaque() {
  TMainVisualObject::RenderOpaque();
  BeginRender();
  for (TSceneMesh* part : {ClockFace, HourHand, MinHand, SecHand})
    if (part) part->RenderOpaque();
  EndRender();
}

void TWatchClock::RenderTransparent() {
  TMainVisualObject::RenderTransparent();
  const platform::LocalDateTime now = platform::Get<platform::LocalTime>().Now();
  const THandAngles angles = HandAngles(now.hour, now.minute, now.second);
  if (!GL.glPushMatrix) return;  // no OpenGL library
  // Depth-tested, so that fish in front of the clock stay in front; each
  // hand is offset toward the viewer a little more than the part drawn
  // before it, so hands lying on the face still show in the drawing order.
  if (TCustomOpenGL* gl = OpenGL()) gl->SetDepthTest(true);
  BeginRender();
  if (ClockFace) ClockFace->RenderTransparent();
  GL.glEnable(GL_POLYGON_OFFSET_FILL);
  DrawHand(MinHand, angles.Minute, kHandOffsetUnits);
  DrawHand(SecHand, angles.Second, 2 * kHandOffsetUnits);
  DrawHand(HourHand, angles.Hour, 3 * kHandOffsetUnits);
  if (GL.glPolygonOffset) GL.glPolygonOffset(0, 0);
  GL.glDisable(GL_POLYGON_OFFSET_FILL);
  EndRender();
}

void TWatchClock::LoadOptions() {
  if (TSceneHost* app = Application())
    SetVisible(app->ReadOptionBool(kOptClockVisible.Key(), kOptClockVisible.BoolDefault()));
}

void TWatchClock::SaveOptions() {
  if (TSceneHost* app = Application()) app->WriteOptionBool(kOptClockVisible.Key(), Visible());
}

void TWatchClock::ReadProperties(TResourceLoader& loader) {
  TMainVisualObject::ReadProperties(loader);
  ClockFace = loader.ReadReferenceAs<TSceneMesh>("ClockFace", ClockFace);
  HourHand = loader.ReadReferenceAs<TSceneMesh>("HourHand", HourHand);
  MinHand = loader.ReadReferenceAs<TSceneMesh>("MinHand", MinHand);
  SecHand = loader.ReadReferenceAs<TSceneMesh>("SecHand", SecHand);
}

void TWatchClock::WriteProperties(TResourceLoader& loader) {
  TMainVisualObject::WriteProperties(loader);
  // An unset mesh is written empty and reads back as none.
  loader.WriteReference("ClockFace", ClockFace);
  loader.WriteReference("HourHand", HourHand);
  loader.WriteReference("MinHand", MinHand);
  loader.WriteReference("SecHand", SecHand);
}

}  // namespace velmora
