#include "scene/MainScene.h"

#include <algorithm>

#include "gl/OpenGL.h"
#include "scene/SceneHost.h"
#include "core/Error.h"
#include "core/Strings.h"
#include "scene/PassTimes.h"
#include "scene/RenderState.h"
#include "scene/SceneFont.h"
#include "scene/SceneOptions.h"
#include "scene/SceneText.h"

namespace velmora {

namespace {

std::unique_ptr<TMainItemList> ProcessingList(TMainScene* scene) {
  auto list = std::make_unique<TMainItemList>();
  list->OwnsItems = false;
  list->SetMainScene(scene);
  return list;
}

}  // namespace

TMainScene::TMainScene()
    : eventsList_(ProcessingList(this)), animationList_(ProcessingList(this)), renderList_(ProcessingList(this)) {
  SetName("MainScene");
  visible_ = true;
  Alpha = true;
  SetMainScene(this);
  renderList_->Alpha = true;
}

// The children go while the processing lists are still there; TResource's
// destructor then finds nothing left.
TMainScene::~TMainScene() {
  if (fpsLink_) *fpsLink_ = nullptr;
  TMainScene::Clear();
}

// --- the frame --------------------------------------------------------------

void TMainScene::Process(float deltaTime) {
  ProcessEvents(deltaTime);
  Animate(deltaTime);
  Render();
}

void TMainScene::ProcessEvents(float deltaTime) { eventsList_->ProcessEvents(deltaTime); }

void TMainScene::Animate(float deltaTime) { animationList_->Animate(deltaTime); }

void TMainScene::Render() {
  if (!visible_) return;
  if (TCustomOpenGL* gl = OpenGL()) gl->SetCullFace(true);
  ResetSceneRenderCaches();
  SetBlending(false);
  TMainItemList& list = *renderList_;
  TPassTimes* times = passTimes_;
  if (times) times->StartFrame();
  for (int i = 0; i < list.GetCount(); ++i) {
    TMainItem* item = list.GetItem(i);
    item->Render();
    if (!times) continue;
    const auto* object = dynamic_cast<const TMainObject*>(item);
    times->Pass(object ? object->Name().c_str() : item->ClassName());
  }
}

TCustomOpenGL* TMainScene::OpenGL() const { return Application ? Application->OpenGL() : nullptr; }

// --- children ---------------------------------------------------------------

TMainItem* TMainScene::GetItem(int index) const {
  if (index < 0 || index >= GetCount())
    RaiseError("TMainScene", "GetItem", "List index out of bounds (" + std::to_string(index) + ")");
  if (holes_ == 0) return allObjects_[static_cast<size_t>(index)];
  // Removed children leave null slots: the index counts live children only.
  for (TMainItem* item : allObjects_)
    if (item && index-- == 0) return item;
  return nullptr;
}

int TMainScene::GetCount() const { return static_cast<int>(allObjects_.size()) - holes_; }

void TMainScene::Delete(int index) {
  TMainItem* item = GetItem(index);
  TMainObjectList::RemoveItem(item);
  Detach(item);
}

TMainItem* TMainScene::AddItem(TMainItem* item) {
  TResource::AddItem(item);
  if (!Contains(item)) return item;
  auto* object = dynamic_cast<TMainSceneObject*>(item);
  if (object) object->SceneIndex = static_cast<int32_t>(allObjects_.size());
  allObjects_.push_back(item);
  const TProcessOptions options = object ? object->ProcessOptions : 0;
  if (options & poRender) renderList_->AddItem(item);
  if (options & poAnimation) animationList_->AddItem(item);
  if (options & poEvents) eventsList_->AddItem(item);
  return item;
}

TMainItem* TMainScene::AddObject(TMainItem* item, TProcessOptions options) {
  if (auto* object = dynamic_cast<TMainSceneObject*>(item)) object->ProcessOptions = options;
  return AddItem(item);
}

void TMainScene::RemoveItem(TMainItem* item) {
  TMainObjectList::RemoveItem(item);
  Detach(item);
}

void TMainScene::Detach(TMainItem* item) {
  auto slot = std::find(allObjects_.rbegin(), allObjects_.rend(), item);
  if (slot != allObjects_.rend()) {
    *slot = nullptr;
    ++holes_;
  }
  // Every processing list, whatever the options say now: options changed
  // after adding must not leave a freed object in a list.
  renderList_->RemoveItem(item);
  animationList_->RemoveItem(item);
  eventsList_->RemoveItem(item);
  if (item == FpsFont) {
    FpsFont = nullptr;
    if (FpsStr && FpsStr->Font == item) FpsStr->Font = nullptr;
  }
  if (item == FpsStr) FpsStr = nullptr;
}

void TMainScene::Clear() {
  // Every child once, the last added first, after every list has let go.
  std::vector<TMainItem*> children;
  children.reserve(allObjects_.size());
  for (TMainItem* item : allObjects_)
    if (item) children.push_back(item);
  TMainObjectList::ClearList();
  eventsList_->ClearList();
  animationList_->ClearList();
  renderList_->ClearList();
  allObjects_.clear();
  holes_ = 0;
  FpsFont = nullptr;
  FpsStr = nullptr;
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    (*it)->SetOwner(nullptr);
    delete *it;
  }
}

void TMainScene::SetObjectVisible(std::string_view path, bool value) {
  if (TMainObject* object = FindObject(path)) object->SetVisible(value);
}

// --- options and the FPS display ----------------------------------------------

void TMainScene::SetShowFPS(bool value) {
  showFPS_ = value;
  if (value && !FpsStr) MakeFPSDisplay();
  if (!FpsStr) return;
  FpsStr->SetVisible(value);
  if (!value || !Application) return;
  ConnectFPSDisplay();
  // The application reports a rate only when it changes: a display shown
  // again must not keep the rate of the last time it was visible.
  SetFPSText(Application->FPS());
}

void TMainScene::MakeFPSDisplay() {
  if (!FpsFont) {
    auto font = std::make_unique<TSceneFont>();
    font->SetName("FpsFont");
    font->FontOptions |= foSoften | foFixedView;
    font->ClearChars();
    font->AddString(" fps0123456789");
    font->FontCellSize = 32;
    font->ViewWidth = 1024;
    font->ViewHeight = 768;
    AddObject(font.get(), 0);
    // A description may have taken the name: then there is no display.
    if (!Contains(font.get())) return;
    FpsFont = font.release();
  }
  auto text = std::make_unique<TSceneString>();
  text->SetName("FpsStr");
  text->Font = FpsFont;
  text->SetVisible(false);
  text->SetPosition(16, 732);
  AddObject(text.get(), poRender);
  if (Contains(text.get())) FpsStr = text.release();
}

void TMainScene::SetFPSText(int framesPerSecond) {
  if (FpsStr && FpsStr->Visible()) FpsStr->Text = Format("%d fps", framesPerSecond);
}

void TMainScene::ConnectFPSDisplay() {
  if (!Application || Application == fpsApplication_) return;
  fpsApplication_ = Application;
  if (!fpsLink_) fpsLink_ = std::make_shared<TMainScene*>(this);
  Application->AddFPSListener([link = fpsLink_](int framesPerSecond) {
    if (TMainScene* scene = *link) scene->SetFPSText(framesPerSecond);
  });
}

void TMainScene::LoadOptions() {
  if (Application) SetShowFPS(Application->ReadOptionBool(kOptFPS.Key(), kOptFPS.BoolDefault()));
  TResource::LoadOptions();
}

void TMainScene::SaveOptions() {
  if (Application) Application->WriteOptionBool(kOptFPS.Key(), showFPS_);
  TResource::SaveOptions();
}

}  // namespace velmora
