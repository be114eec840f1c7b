#include "world/UnderWaterWorld.h"

#include <algorithm>
#include <string>

#include "core/Error.h"
#include "scene/MainScene.h"
#include "scene/Particles.h"
#include "scene/SceneHost.h"
#include "world/FishRender.h"
#include "world/Fishes.h"
#include "world/UnderWater.h"
#include "world/WorldOptions.h"

namespace velmora {

namespace {

// The fish environments the world knows, in the order it shows them.
constexpr const char* kFishEnvironments[] = {"SaltWater", "FreshWater"};

[[noreturn]] void IndexError(const char* operation, int32_t index) {
  RaiseError("TUnderWaterWorld", operation, "List index out of bounds (" + std::to_string(index) + ")");
}

void Warn(TSceneHost& app, const std::string& text) { app.Warn("TUnderWaterWorld", "LoadOptions", text); }

// A stored index that names one of `count` things (`what`): one outside
// 0..count - 1 is brought to the nearest, with a warning. Without any of
// them the stored value stands (the setters then have nothing to show).
int32_t StoredIndex(TSceneHost& app, const TOption& option, size_t count, const char* what) {
  const std::string name = option.Key();
  const int32_t stored = app.ReadOptionInteger(name, option.Default);
  if (count == 0) return stored;
  const int32_t last = int32_t(count) - 1, index = std::clamp(stored, 0, last);
  if (index != stored)
    Warn(app, name + " " + std::to_string(stored) + " names no " + what + " (0.." + std::to_string(last) + "); " +
         std::to_string(index) + " is used");
  return index;
}

// A stored count brought into the option's range, with a warning.
int32_t StoredCount(TSceneHost& app, const TOption& option) {
  const std::string name = option.Key();
  const int32_t stored = app.ReadOptionInteger(name, option.Default),
                count = std::clamp(stored, option.Min, option.Max);
  if (count != stored)
    Warn(app, name + " " + std::to_string(stored) + " is outside " + std::to_string(option.Min) + ".." +
         std::to_string(option.Max) + "; " + std::to_string(count) + " is used");
  return count;
}

bool ReadBool(TSceneHost& app, const TOption& option, std::string_view object = {}) {
  return app.ReadOptionBool(option.Key(object), option.BoolDefault());
}

}  // namespace

uint8_t TUnderWaterWorld::StrToFishDirection(const std::string& text) { return velmora::StrToFishDirection(text); }

const char* TUnderWaterWorld::FishDirectionToStr(uint8_t direction) {
  return velmora::FishDirectionToStr(static_cast<TFishDirection>(direction));
}

TSceneHost& TUnderWaterWorld::PlainOptions() const {
  FApp->UsePlainOptions();
  return *FApp;
}

// --- scene objects -------------------------------------------------------------------

void TUnderWaterWorld::Init() {
  if (!FScene) RaiseError("TUnderWaterWorld", "Init", "FScene=NIL");
  if (!FApp) RaiseError("TUnderWaterWorld", "Init", "FApp=NIL");
  FishEnvironments.clear();
  for (const char* name : kFishEnvironments)
    if (auto* environment = dynamic_cast<TFishRender*>(FScene->FindItem(name)))
      FishEnvironments.emplace_back(name, environment);
  Waters.clear();
  for (TMainItem* item : FScene->AllObjects())
    if (auto* water = dynamic_cast<TUnderWater*>(item)) Waters.emplace_back(water->Name(), water);
  fishTypeIndex_ = -1;
  waterBackgroundIndex_ = -1;
  fishCount_ = -1;
  fishDirectionApplied_ = false;
}

TUnderWater* TUnderWaterWorld::VisibleWater(const char* operation) const {
  if (Waters.empty()) return nullptr;
  if (waterBackgroundIndex_ < 0 || size_t(waterBackgroundIndex_) >= Waters.size())
    IndexError(operation, waterBackgroundIndex_);
  return Waters[size_t(waterBackgroundIndex_)].second;
}

// --- options -------------------------------------------------------------------------

void TUnderWaterWorld::LoadOptions() {
  Init();
  TSceneHost& app = PlainOptions();
  EmulateDepth = ReadBool(app, kOptEmulateDepth);
  Flat = kOptFlat.BoolDefault();
  UseBackground = ReadBool(app, kOptUseBackground);
  for (TMainObject* list : FishLists()) list->SetVisible(ReadBool(app, kOptFishListShown, list->Name()));
  SetSortAlpha(kOptSortAlpha.BoolDefault());
  const std::string direction = app.ReadOptionString(kOptFishDirection.Key(), kOptFishDirection.Text);
  if (!kOptFishDirection.FindChoice(direction))
    Warn(app, std::string(kOptFishDirection.Name) + " \"" + direction + "\" is not " + kOptFishDirection.ChoiceList() + "; " +
         kOptFishDirection.Text + " is used");
  SetFishDirection(StrToFishDirection(direction));
  SetFishTypeIndex(StoredIndex(app, kOptFishTypeIndex, FishEnvironments.size(), "fish environment"));
  SetWaterBackgroundIndex(StoredIndex(app, kOptWaterBackgroundIndex, Waters.size(), "water"));
  SetFishCount(StoredCount(app, kOptFishCount));
  SetBubbleCount(StoredCount(app, kOptBubbleCount));
  const bool lights = ReadBool(app, kOptUseLights), caustic = ReadBool(app, kOptUseCaustic);
  // A scene without water keeps them for the next save and shows them
  // nowhere.
  SetUseLights(lights);
  SetUseCaustic(caustic);
  SetFishCaustic(ReadBool(app, kOptFishCaustic));
}

void TUnderWaterWorld::SaveOptions() {
  TSceneHost& app = PlainOptions();
  for (TMainObject* list : FishLists()) app.WriteOptionBool(kOptFishListShown.Key(list->Name()), list->Visible());
  app.WriteOptionBool(kOptSortAlpha.Key(), sortAlpha_);
  app.WriteOptionString(kOptFishDirection.Key(), FishDirectionToStr(fishDirection_));
  app.WriteOptionInteger(kOptFishTypeIndex.Key(), fishTypeIndex_);
  app.WriteOptionInteger(kOptWaterBackgroundIndex.Key(), waterBackgroundIndex_);
  app.WriteOptionInteger(kOptFishCount.Key(), fishCount_);
  app.WriteOptionInteger(kOptBubbleCount.Key(), GetBubbleCount());
  app.WriteOptionBool(kOptEmulateDepth.Key(), EmulateDepth);
  app.WriteOptionBool(kOptFlat.Key(), Flat);
  app.WriteOptionBool(kOptUseLights.Key(), useLights_);
  app.WriteOptionBool(kOptUseBackground.Key(), UseBackground);
  app.WriteOptionBool(kOptUseCaustic.Key(), useCaustic_);
  app.WriteOptionBool(kOptFishCaustic.Key(), fishCaustic_);
}

// --- waters --------------------------------------------------------------------------

void TUnderWaterWorld::SetWaterBackgroundIndex(int32_t index) {
  if (index == waterBackgroundIndex_) return;
  waterBackgroundIndex_ = index;
  for (size_t j = 0; j < Waters.size(); ++j) {
    TUnderWater* water = Waters[j].second;
    water->SetVisible(int32_t(j) == index);
    water->EmulateDepth = EmulateDepth;
    water->Flat = Flat;
    water->UseLights = useLights_;
    water->UseBackground = UseBackground;
    water->UseCaustic = useCaustic_;
    water->BackgroundMode = backgroundMode_;
  }
}

void TUnderWaterWorld::SetUseLights(bool value) {
  useLights_ = value;
  if (TUnderWater* water = VisibleWater("SetUseLights")) water->UseLights = value;
}

void TUnderWaterWorld::SetUseCaustic(bool value) {
  useCaustic_ = value;
  if (TUnderWater* water = VisibleWater("SetUseCaustic")) water->UseCaustic = value;
}

void TUnderWaterWorld::SetBackgroundMode(int32_t mode) {
  if (mode == backgroundMode_) return;
  backgroundMode_ = mode;
  if (TUnderWater* water = VisibleWater("SetBackgroundMode")) water->BackgroundMode = mode;
}

std::vector<TMainObject*> TUnderWaterWorld::FishLists() const {
  std::vector<TMainObject*> lists;
  for (const auto& [name, environment] : FishEnvironments)
    for (int i = 0; i < environment->GetCount(); ++i)
      if (auto* list = dynamic_cast<TMainObject*>(environment->GetItem(i))) lists.push_back(list);
  return lists;
}

// --- fish ----------------------------------------------------------------------------

void TUnderWaterWorld::SetFishTypeIndex(int32_t index) {
  if (index == fishTypeIndex_) return;
  fishTypeIndex_ = index;
  if (index < 0) return;
  const int32_t last = int32_t(FishEnvironments.size()) - 1;
  if (index > last) index = last;
  FishTypes.clear();
  for (size_t j = 0; j < FishEnvironments.size(); ++j) {
    TFishRender* environment = FishEnvironments[j].second;
    const bool shown = int32_t(j) == index;
    environment->SetVisible(shown);
    if (!shown) continue;
    for (int i = 0; i < environment->GetCount(); ++i)
      if (auto* list = dynamic_cast<TMainObject*>(environment->GetItem(i))) FishTypes.push_back(list->Name());
  }
}

void TUnderWaterWorld::SetSortAlpha(bool value) {
  if (value == sortAlpha_) return;
  sortAlpha_ = value;
  for (const auto& [name, environment] : FishEnvironments) environment->SortAlpha = value;
}

void TUnderWaterWorld::SetFishDirection(uint8_t direction) {
  if (direction == fishDirection_ && fishDirectionApplied_) return;
  fishDirection_ = direction;
  fishDirectionApplied_ = true;
  for (const auto& [name, environment] : FishEnvironments)
    environment->FishDirection = static_cast<TFishDirection>(direction <= 2 ? direction : 2);
}

void TUnderWaterWorld::SetFishCaustic(bool value) {
  fishCaustic_ = value;
  for (const auto& [name, environment] : FishEnvironments) environment->FishCaustic = value;
}

void TUnderWaterWorld::SetFishCount(int32_t count) {
  if (count == fishCount_) return;
  fishCount_ = count;
  for (const auto& [name, environment] : FishEnvironments) DistributeFish(count, environment);
}

void TUnderWaterWorld::DistributeFish(int32_t count, TFishRender* environment) {
  if (!environment) return;
  auto fishList = [](TMainItem* item) -> TFishes* {
    auto* list = dynamic_cast<TFishes*>(item);
    return list && list->Visible() ? list : nullptr;
  };
  int32_t lists = 0;
  for (int i = 0; i < environment->GetCount(); ++i)
    if (TFishes* list = fishList(environment->GetItem(i)); list && list->FishType == ftFish) ++lists;
  const int32_t each = lists > 0 ? count / lists : 0;
  int32_t extra = lists > 0 ? count % lists : 0;
  for (int i = 0; i < environment->GetCount(); ++i) {
    TFishes* list = fishList(environment->GetItem(i));
    if (!list) continue;
    if (list->FishType != ftFish) {
      list->SetParticleCount(list->MaxCount);
    } else if (extra > 0) {
      list->SetParticleCount(each + 1);
      --extra;
    } else {
      list->SetParticleCount(each);
    }
  }
}

// --- bubbles -------------------------------------------------------------------------

void TUnderWaterWorld::SetBubbleCount(int32_t count) {
  if (!FScene) return;
  if (auto* bubbles = dynamic_cast<TSceneParticleList*>(FScene->FindItem("Bubbles"))) bubbles->SetParticleCount(count);
}

int32_t TUnderWaterWorld::GetBubbleCount() const {
  if (!FScene) return 0;
  auto* bubbles = dynamic_cast<TSceneParticleList*>(FScene->FindItem("Bubbles"));
  return bubbles ? bubbles->ParticleCount() : 0;
}

}  // namespace velmora
