#include "world/WatchClock.h"

#include "app/GLApplication.h"
#include "gl/GLEntryPoints.h"
#include "gl/OpenGL.h"
#include "platform/LocalTime.h"
#include "platform/Service.h"
#include "scene/ResourceLoader.h"
#include "scene/SceneMesh.h"

namespace velmora {

namespace {

// The hand's transparent pass, turned clockwise (as the viewer sees it) by
// degrees.
void DrawHand(TSceneMesh* hand, int degrees) {
  if (!hand) return;
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
  TCustomOpenGL* gl = OpenGL();
  if (gl) gl->SetDepthTest(false);
  BeginRender();
  if (ClockFace) ClockFace->RenderTransparent();
  DrawHand(MinHand, angles.Minute);
  DrawHand(SecHand, angles.Second);
  DrawHand(HourHand, angles.Hour);
  EndRender();
  if (gl) gl->SetDepthTest(true);
}

void TWatchClock::LoadOptions() {
  if (TCustomGLApplication* app = Application()) SetVisible(app->ReadOptionBool("ClockVisible", true));
}

void TWatchClock::SaveOptions() {
  if (TCustomGLApplication* app = Application()) app->WriteOptionBool("ClockVisible", Visible());
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
