// The root of the scene tree.
//
// The scene owns its direct children like every resource and keeps them,
// besides the name index, in AllObjects in the order they were added (the
// order of the scene description); a removed child leaves a null slot
// there, so SceneIndex values never shift. Each child joins the processing
// lists its ProcessOptions name when it is added: EventsList, AnimationList
// and RenderList, walked in the order of adding. The scene's own walks
// (GetItem) follow AllObjects too, so the scene renders in file order while
// every list below it renders in name order.
//
// Lifecycle:
//
//   made -> Application, Path, SourceName, SourceFlags set -> Load (clears,
//   then builds the tree from the description) -> objects made in code
//   added with AddObject -> every frame Process(DeltaTime): ProcessEvents,
//   Animate, Render -> LoadOptions / SaveOptions with the user's settings
//   -> freed: every child freed once, then the processing lists.
//
// Render: when visible, back-face culling on, the texture and material
// caches reset and blending switched off (RenderState.h; a context made
// since the last frame starts with blending off whatever the cache
// remembers), then Render of each member of RenderList (each checks its
// own Visible). Invisible objects keep animating.
//
// Options (declared in scene/SceneOptions.h; the application's option
// store): "FPS" (boolean, default false)
// passes to SetShowFPS before the children's options.
//
// The FPS display: SetShowFPS(true) makes, once, the font "FpsFont" (the
// default sans face, bold, softened, cell 32, the characters blank, 0..9,
// f, p and s, drawn in a fixed 1024 x 768 view) and the string "FpsStr"
// at 16, 732 of that view (the top-left corner), added to the scene with
// the Render option; SetShowFPS shows or hides the string and, when shown
// with an application, puts its current rate in and connects the display
// (ConnectFPSDisplay). SetFPSText(N) makes the shown string "N fps".
// Loading the scene again frees both; the scene forgets them and the next
// SetShowFPS(true) makes them anew. ConnectFPSDisplay hooks SetFPSText to
// the host's frame rate (TSceneHost::AddFPSListener), once per host:
//
//   scene made, Application set -> SetShowFPS(true) (or ConnectFPSDisplay)
//   -> every new frame rate: the event's earlier handler, then
//   SetFPSText(FPS) -> scene freed: the hook stays in the event but does
//   nothing more.
//
// Errors: "TMainScene.GetItem error: List index out of bounds (<index>)";
// those of TMainObjectList.AddItem and of loading (ResourceLoader.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "scene/Resource.h"

namespace velmora {

class TPassTimes;
class TSceneFont;
class TSceneString;

class TMainScene : public TResource {
 public:
  TMainScene();
  ~TMainScene() override;

  const char* ClassName() const override { return "TMainScene"; }

  TMainItemList* EventsList() const { return eventsList_.get(); }
  TMainItemList* AnimationList() const { return animationList_.get(); }
  TMainItemList* RenderList() const { return renderList_.get(); }
  // The direct children in the order they were added; null where a child
  // was removed.
  const std::vector<TMainItem*>& AllObjects() const { return allObjects_; }

  // Not owned; set by the creator before loading. Gives the rendering
  // context, the viewport and the option store.
  TSceneHost* Application = nullptr;
  // The FPS display's font and string, made by SetShowFPS(true) and added
  // to the scene; forgotten when the scene frees them.
  TSceneFont* FpsFont = nullptr;
  TSceneString* FpsStr = nullptr;
  // sfDisk, sfArchive or both.
  uint8_t SourceFlags = sfDisk;

  bool ShowFPS() const { return showFPS_; }
  // Stores the flag; true makes the display when there is none and
  // connects it to the application; shows or hides the string.
  void SetShowFPS(bool value);
  // The shown string becomes "<N> fps"; nothing while it is hidden.
  void SetFPSText(int framesPerSecond);
  // From now on every new frame rate of Application reaches SetFPSText
  // (after the listeners the host had); nothing without a host or when
  // already connected to it.
  void ConnectFPSDisplay();

  // The frame: ProcessEvents, Animate and Render of the processing lists.
  void Process(float deltaTime);
  // Not owned; nullptr (the default) for no timing. While set, every frame
  // is timed object by object (the water layer by layer too).
  void SetPassTimes(TPassTimes* times) { passTimes_ = times; }
  TPassTimes* PassTimes() const { return passTimes_; }
  // Stores options in the item's ProcessOptions, then AddItem.
  TMainItem* AddObject(TMainItem* item, TProcessOptions options);
  // SetVisible of the object at path; nothing when the path finds nothing.
  void SetObjectVisible(std::string_view path, bool value);
  // Path lookup from the scene.
  TMainObject* FindObject(std::string_view path) const { return velmora::FindObject(this, path); }
  // The application's rendering context, or nullptr.
  TCustomOpenGL* OpenGL() const;

  void ProcessEvents(float deltaTime) override;
  void Animate(float deltaTime) override;
  void Render() override;
  TMainItem* GetItem(int index) const override;
  int GetCount() const override;
  void Delete(int index) override;
  TMainItem* AddItem(TMainItem* item) override;
  void RemoveItem(TMainItem* item) override;
  void Clear() override;
  void LoadOptions() override;
  void SaveOptions() override;

 private:
  // Takes item out of AllObjects and every processing list.
  void Detach(TMainItem* item);

  std::unique_ptr<TMainItemList> eventsList_;
  std::unique_ptr<TMainItemList> animationList_;
  std::unique_ptr<TMainItemList> renderList_;
  std::vector<TMainItem*> allObjects_;
  int holes_ = 0;  // null slots in allObjects_
  TPassTimes* passTimes_ = nullptr;
  // Makes FpsFont (when missing) and FpsStr.
  void MakeFPSDisplay();

  bool showFPS_ = false;
  // Shared with the application's FPS handler; points back here while the
  // scene lives.
  std::shared_ptr<TMainScene*> fpsLink_;
  // The application whose event carries the hook.
  TSceneHost* fpsApplication_ = nullptr;
};

}  // namespace velmora
