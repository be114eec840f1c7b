// The nodes of the scene tree.
//
// TMainItem is every node: it can be shown or hidden, may have a blended
// (transparent) pass, knows the scene root it belongs to and the list that
// holds it, and receives the per-frame calls. TMainObject adds the name by
// which paths find it and the reading and writing of its keys in a scene
// description. TMainSceneObject adds the processing options that decide
// which per-frame list of the scene root it joins, and the hooks for the
// user's options.
//
// Lifecycle:
//
//   made (by the class registry or in code) -> added to a list (AddItem
//   sets MainScene, a resource list also sets Owner) -> keys read
//   (ReadProperties) -> per frame: ProcessEvents, Animate, Render ->
//   freed by its list (Clear, DeleteItems), or on its own: then it takes
//   itself out of its owner's list first.
//
// Render runs BeginRender, RenderOpaque, RenderTransparent (only when
// Alpha is set) and EndRender, and only while Visible. Visibility never
// stops ProcessEvents or Animate.
//
// Keys read by every object (see ResourceLoader.h for the value syntaxes):
//   Visible=<boolean>   default: the current value
//   Alpha=<boolean>     default: the current value
// Written back: "Visible" only when false, "Alpha" only when true.
//
// Processing options, text form: reading looks for the substrings
// "Render", "Animation" and "Events" (case-sensitive) anywhere in the
// value; writing gives "[Render]", "[Render,Animation]", ... in that
// member order, or nothing for the empty set.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

class TSceneHost;
class TCustomOpenGL;
class TMainList;
class TMainScene;
class TResourceLoader;

// Which per-frame list of the scene root an object directly under the root
// joins: a set of these flags.
using TProcessOptions = uint8_t;
enum : TProcessOptions {
  poRender = 1,
  poAnimation = 2,
  poEvents = 4,
};

TProcessOptions StrToProcessOptions(std::string_view text);
std::string ProcessOptionsToStr(TProcessOptions options);

class TMainItem {
 public:
  TMainItem() = default;
  // Leaves the owner's list when it still has an owner.
  virtual ~TMainItem();
  TMainItem(const TMainItem&) = delete;
  TMainItem& operator=(const TMainItem&) = delete;

  // The registered type name of the class ("Type=" of a description).
  virtual const char* ClassName() const { return "TMainItem"; }

  bool Visible() const { return visible_; }
  // True: Render also draws the transparent pass.
  bool Alpha = false;
  // The root of the tree the item is in; set by the list it is added to.
  TMainScene* MainScene() const { return mainScene_; }
  void SetMainScene(TMainScene* scene) { mainScene_ = scene; }
  // The resource list that holds (and frees) the item; not owned.
  TMainList* Owner() const { return owner_; }
  void SetOwner(TMainList* owner) { owner_ = owner; }

  // The per-frame operations, in their slot order.
  virtual void SetVisible(bool value);
  virtual void ProcessEvents(float deltaTime);
  virtual void Animate(float deltaTime);
  virtual void BeginRender();
  virtual void EndRender();
  virtual void Render();
  virtual void RenderOpaque();
  virtual void RenderTransparent();

 protected:
  // Takes the item out of its owner's list (once). Destructors call it
  // while the item can still be found there by its name.
  void LeaveOwner();

  bool visible_ = true;

 private:
  TMainScene* mainScene_ = nullptr;
  TMainList* owner_ = nullptr;
};

class TMainObject : public TMainItem {
 public:
  TMainObject() = default;
  ~TMainObject() override;

  const char* ClassName() const override { return "TMainObject"; }

  // Unique within one list of named objects; any character but "/".
  const std::string& Name() const { return name_; }
  // With an owner the owner renames the entry (and refuses a name that is
  // taken); without one the name is just stored.
  void SetName(const std::string& name);

  virtual void WriteProperties(TResourceLoader& loader);
  virtual void ReadProperties(TResourceLoader& loader);

 private:
  friend class TMainObjectList;
  std::string name_;
};

class TMainSceneObject : public TMainObject {
 public:
  const char* ClassName() const override { return "TMainSceneObject"; }

  // Read once, when the object is added directly to the scene.
  TProcessOptions ProcessOptions = 0;
  // False: Load and Save of a resource do nothing.
  bool Loadable = true;
  // The slot in the scene's AllObjects; -1 outside the scene's own list.
  int32_t SceneIndex = -1;

  // The user's options in the application's option store; empty here.
  virtual void LoadOptions();
  virtual void SaveOptions();

  // The application and rendering context of the scene the object is in;
  // nullptr when it is in no scene or the scene has no application.
  TSceneHost* Application() const;
  TCustomOpenGL* OpenGL() const;
};

}  // namespace velmora
