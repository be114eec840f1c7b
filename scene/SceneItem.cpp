#include "scene/SceneItem.h"

#include "gl/OpenGL.h"
#include "scene/SceneHost.h"
#include "core/Diagnostics.h"
#include "scene/MainScene.h"
#include "scene/ResourceLoader.h"
#include "scene/SceneList.h"

namespace velmora {

TProcessOptions StrToProcessOptions(std::string_view text) {
  TProcessOptions options = 0;
  if (text.find("Render") != std::string_view::npos) options |= poRender;
  if (text.find("Animation") != std::string_view::npos) options |= poAnimation;
  if (text.find("Events") != std::string_view::npos) options |= poEvents;
  return options;
}

std::string ProcessOptionsToStr(TProcessOptions options) {
  std::string text;
  auto add = [&](TProcessOptions flag, const char* name) {
    if (!(options & flag)) return;
    text += text.empty() ? "[" : ",";
    text += name;
  };
  add(poRender, "Render");
  add(poAnimation, "Animation");
  add(poEvents, "Events");
  if (!text.empty()) text += "]";
  return text;
}

// --- TMainItem --------------------------------------------------------------

TMainItem::~TMainItem() { LeaveOwner(); }

void TMainItem::LeaveOwner() {
  if (!owner_) return;
  TMainList* owner = owner_;
  owner_ = nullptr;
  owner->RemoveItem(this);
}

void TMainItem::SetVisible(bool value) { visible_ = value; }
void TMainItem::ProcessEvents(float) {}
void TMainItem::Animate(float) {}
void TMainItem::BeginRender() {}
void TMainItem::EndRender() {}

void TMainItem::Render() {
  if (!visible_) return;
  BeginRender();
  RenderOpaque();
  if (Alpha) RenderTransparent();
  EndRender();
}

void TMainItem::RenderOpaque() {}
void TMainItem::RenderTransparent() {}

// --- TMainObject ------------------------------------------------------------

// The owner finds the entry by name, so the item leaves while its name is
// still there (TMainItem's destructor would run after the name is gone).
TMainObject::~TMainObject() {
  // Another object made at the same address later must not take its place.
  if (TDiagnostics* sink = Diagnostics()) sink->ForgetPlace(this);
  LeaveOwner();
}

void TMainObject::SetName(const std::string& name) {
  if (name == name_) return;
  if (Owner())
    Owner()->RenameItem(this, name);
  else
    name_ = name;
}

void TMainObject::WriteProperties(TResourceLoader& loader) {
  if (!visible_) loader.WriteBool("Visible", false);
  if (Alpha) loader.WriteBool("Alpha", true);
}

void TMainObject::ReadProperties(TResourceLoader& loader) {
  SetVisible(loader.ReadBool("Visible", visible_));
  Alpha = loader.ReadBool("Alpha", Alpha);
}

// --- TMainSceneObject -------------------------------------------------------

void TMainSceneObject::LoadOptions() {}
void TMainSceneObject::SaveOptions() {}

TSceneHost* TMainSceneObject::Application() const {
  return MainScene() ? MainScene()->Application : nullptr;
}

TCustomOpenGL* TMainSceneObject::OpenGL() const {
  TSceneHost* application = Application();
  return application ? application->OpenGL() : nullptr;
}

}  // namespace velmora
