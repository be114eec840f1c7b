#include "scene/VisualObject.h"

#include <cmath>
#include <unordered_set>
#include <vector>

#include "core/Error.h"
#include "gl/GLEntryPoints.h"
#include "scene/ResourceLoader.h"

namespace velmora {

namespace {

// The depth of visuals drawing visuals on the way down from the scene.
int g_visualNesting = 0;

class TVisualNesting {
 public:
  TVisualNesting() { ++g_visualNesting; }
  ~TVisualNesting() { --g_visualNesting; }
  TVisualNesting(const TVisualNesting&) = delete;
  TVisualNesting& operator=(const TVisualNesting&) = delete;
  bool Allowed() const { return g_visualNesting <= kMaxVisualNesting; }
};

bool IsFinite(const TGLVector& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// "Visual" of a visual object or list: the current value without a path,
// none when the path finds nothing, and never a drawable that would draw
// self inside itself.
TMainItem* ReadVisual(TResourceLoader& loader, const TMainObject& self, TMainItem* current) {
  TMainObject* currentObject = dynamic_cast<TMainObject*>(current);
  TMainObject* found = loader.ReadReference("Visual", currentObject);
  if (found == currentObject) return current;
  if (found && DrawsItem(found, &self))
    loader.RaiseKeyError(self.ClassName(), "ReadProperties",
                         "Visual " + loader.ReadString("Visual", "") + " would draw " + self.Name() + " inside itself",
                         "Visual");
  return found;
}

}  // namespace

TVisualOptions StrToVisualOptions(std::string_view text) {
  TVisualOptions options = 0;
  if (text.find("Position") != std::string_view::npos) options |= voPosition;
  if (text.find("Rotation") != std::string_view::npos) options |= voRotation;
  if (text.find("Scale") != std::string_view::npos) options |= voScale;
  return options;
}

std::string VisualOptionsToStr(TVisualOptions options) {
  std::string text = "[";
  auto add = [&](TVisualOptions flag, const char* name) {
    if (!(options & flag)) return;
    if (text.size() > 1) text += ",";
    text += name;
  };
  add(voPosition, "Position");
  add(voRotation, "Rotation");
  add(voScale, "Scale");
  return text + "]";
}

bool DrawsItem(const TMainItem* drawable, const TMainItem* item) {
  std::vector<const TMainItem*> pending{drawable};
  std::unordered_set<const TMainItem*> seen;
  while (!pending.empty()) {
    const TMainItem* node = pending.back();
    pending.pop_back();
    if (!node || !seen.insert(node).second) continue;
    if (node == item) return true;
    if (auto* object = dynamic_cast<const TMainVisualObject*>(node)) pending.push_back(object->Visual);
    if (auto* objects = dynamic_cast<const TMainVisualObjectList*>(node)) pending.push_back(objects->Visual);
    if (auto* list = dynamic_cast<const TMainList*>(node))
      for (int i = 0; i < list->GetCount(); ++i) pending.push_back(list->GetItem(i));
  }
  return false;
}

// --- TMainVisualObject ------------------------------------------------------

void TMainVisualObject::Animate(float deltaTime) {
  if (!Visual) return;
  TVisualNesting nesting;
  if (nesting.Allowed()) Visual->Animate(deltaTime);
}

void TMainVisualObject::BeginRender() {
  if (VisualOptions == 0 || !GL.glPushMatrix) return;
  GL.glPushMatrix();
  ++saved_;
  const bool position = VisualOptions & voPosition, rotation = VisualOptions & voRotation,
             scale = VisualOptions & voScale;
  if ((position && !IsFinite(Position)) || (rotation && !IsFinite(Angles)) || (scale && !IsFinite(Scale))) {
    GL.glScalef(0, 0, 0);
    return;
  }
  if (position) GL.glTranslatef(Position.x, Position.y, Position.z);
  if (rotation) {
    GL.glRotatef(Angles.y, 0, 1, 0);
    GL.glRotatef(Angles.x, 1, 0, 0);
    GL.glRotatef(Angles.z, 0, 0, 1);
  }
  if (scale) GL.glScalef(Scale.x, Scale.y, Scale.z);
}

void TMainVisualObject::EndRender() {
  if (saved_ == 0) return;
  --saved_;
  GL.glPopMatrix();
}

void TMainVisualObject::RenderOpaque() {
  if (!Visual) return;
  TVisualNesting nesting;
  if (!nesting.Allowed()) return;
  BeginRender();
  Visual->RenderOpaque();
  EndRender();
}

void TMainVisualObject::RenderTransparent() {
  if (!Visual) return;
  TVisualNesting nesting;
  if (!nesting.Allowed()) return;
  BeginRender();
  Visual->RenderTransparent();
  EndRender();
}

void TMainVisualObject::ReadProperties(TResourceLoader& loader) {
  TMainSceneObject::ReadProperties(loader);
  VisualOptions = StrToVisualOptions(loader.ReadString("VisualOptions", "[Position,Rotation]"));
  Position = loader.ReadVector("Position", Position);
  Scale = loader.ReadVector("Scale", Scale);
  Angles = loader.ReadVector("Angles", Angles);
  Visual = ReadVisual(loader, *this, Visual);
}

void TMainVisualObject::WriteProperties(TResourceLoader& loader) {
  TMainSceneObject::WriteProperties(loader);
  loader.WriteString("VisualOptions", VisualOptionsToStr(VisualOptions));
  loader.WriteVector("Position", Position);
  loader.WriteVector("Scale", Scale);
  loader.WriteVector("Angles", Angles);
  if (Visual) loader.WriteReference("Visual", Visual);
}

// --- TMainVisualObjectList --------------------------------------------------

TMainVisualObjectList::TMainVisualObjectList() { visible_ = true; }

void TMainVisualObjectList::Animate(float deltaTime) {
  if (!Visual || GetCount() == 0) return;
  TVisualNesting nesting;
  if (nesting.Allowed()) Visual->Animate(deltaTime);
}

void TMainVisualObjectList::Render() {
  Alpha = Visual && Visual->Alpha;
  if (!visible_) return;
  BeginRender();
  RenderOpaque();
  if (Alpha) RenderTransparent();
  EndRender();
}

void TMainVisualObjectList::RenderOpaque() {
  if (!Visual) return;
  TVisualNesting nesting;
  if (!nesting.Allowed()) return;
  for (int i = 0; i < GetCount(); ++i) {
    TMainItem* child = GetItem(i);
    child->BeginRender();
    Visual->RenderOpaque();
    child->EndRender();
  }
}

void TMainVisualObjectList::RenderTransparent() {
  if (!Visual || !Visual->Alpha) return;
  TVisualNesting nesting;
  if (!nesting.Allowed()) return;
  for (int i = 0; i < GetCount(); ++i) {
    TMainItem* child = GetItem(i);
    child->BeginRender();
    Visual->RenderTransparent();
    child->EndRender();
  }
}

void TMainVisualObjectList::ReadProperties(TResourceLoader& loader) {
  TResource::ReadProperties(loader);
  Visual = ReadVisual(loader, *this, Visual);
}

void TMainVisualObjectList::WriteProperties(TResourceLoader& loader) {
  TResource::WriteProperties(loader);
  if (Visual) loader.WriteReference("Visual", Visual);
}

void TMainVisualObjectList::SetSorted(bool value) { SetNameOrder(value); }

}  // namespace velmora
