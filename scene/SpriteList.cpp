#include "scene/SpriteList.h"

#include <cmath>

#include "core/Error.h"
#include "gl/GLEntryPoints.h"
#include "gl/SavedMatrix.h"
#include "scene/ResourceLoader.h"

namespace velmora {

namespace {

void Switch(GLenum capability, bool on) {
  if (on)
    GL.glEnable(capability);
  else
    GL.glDisable(capability);
}

// A view size from the description: above 0, or brought to 1 with a
// warning; not a number keeps the current size.
float ReadViewSize(TResourceLoader& loader, const char* key, float current) {
  const float value = loader.ReadFloat(key, current);
  if (std::isnan(value)) return current;
  if (value > 0) return value;
  loader.NoteAdjustedValue(key, std::string(key) + " " + loader.ReadString(key, "") +
                                    " is not above 0, so it makes no projection; 1 is used");
  return 1;
}

}  // namespace

void TMainSpriteList::Render() {
  if (!GL.glPushMatrix) {  // no OpenGL library: the children only
    TSceneLayer::Render();
    return;
  }
  Switch(GL_LIGHTING, Lighting);
  GL.glDisable(GL_CULL_FACE);
  GL.glDisable(GL_DEPTH_TEST);
  GL.glDisable(GL_FOG);

  // Saved on the stacks while they have room, else in memory: lists
  // nested in lists go deeper than the two projection entries OpenGL
  // promises.
  TSavedMatrix projection, modelView;
  projection.Save(GL_PROJECTION);
  GL.glLoadIdentity();
  if (ViewWidth > 0 && ViewHeight > 0 && std::isfinite(ViewWidth) && std::isfinite(ViewHeight))
    GL.glOrtho(0, ViewWidth, 0, ViewHeight, -100, 100);
  modelView.Save(GL_MODELVIEW);
  GL.glLoadIdentity();
  if (std::isfinite(Position.x) && std::isfinite(Position.y)) GL.glTranslatef(Position.x, Position.y, 0);

  TSceneLayer::Render();

  projection.Restore();
  modelView.Restore();
  GL.glEnable(GL_DEPTH_TEST);
  GL.glEnable(GL_CULL_FACE);
}

void TMainSpriteList::ReadProperties(TResourceLoader& loader) {
  TSceneLayer::ReadProperties(loader);
  Position = loader.ReadVector("Position", Position);
  ViewWidth = ReadViewSize(loader, "ViewWidth", ViewWidth);
  ViewHeight = ReadViewSize(loader, "ViewHeight", ViewHeight);
  Lighting = loader.ReadBool("Lighting", Lighting);
}

void TMainSpriteList::WriteProperties(TResourceLoader& loader) {
  TSceneLayer::WriteProperties(loader);
  loader.WriteVector("Position", Position);
  loader.WriteFloat("ViewWidth", ViewWidth);
  loader.WriteFloat("ViewHeight", ViewHeight);
  loader.WriteBool("Lighting", Lighting);
}

}  // namespace velmora
