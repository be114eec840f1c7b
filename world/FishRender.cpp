#include "world/FishRender.h"

#include <algorithm>
#include <cmath>

#include "core/Error.h"
#include "core/Strings.h"
#include "gl/GLEntryPoints.h"
#include "gl/OpenGL.h"
#include "gl/Texture.h"
#include "scene/RenderState.h"
#include "scene/ResourceLoader.h"
#include "scene/SceneTexture.h"
#include "scene/SceneValues.h"
#include "world/Caustics.h"
#include "world/Fishes.h"
#include "world/WorldOptions.h"

namespace velmora {

// The stored option and the scene description write the same words.
static_assert(kFishDirectionChoices[fdRight].Value == fdRight && kFishDirectionChoices[fdLeft].Value == fdLeft &&
              kFishDirectionChoices[fdBoth].Value == fdBoth);

TFishDirection StrToFishDirection(std::string_view text) {
  const TOptionChoice* choice = kOptFishDirection.FindChoice(text);
  return choice ? static_cast<TFishDirection>(choice->Value) : fdBoth;
}

const char* FishDirectionToStr(TFishDirection direction) {
  return kFishDirectionChoices[direction <= fdBoth ? direction : fdBoth].Word;
}

TFishRender::TFishRender() { InitBins(); }

TFishRender::~TFishRender() {
  // The lists go while the slots can still tell their fish.
  Clear();
}

// --- depth slots ------------------------------------------------------------------

void TFishRender::InitBins() {
  if (StepZ == 0) RaiseError("TFishRender", "Init", "StepZ=0!");
  if (!(StepZ > 0)) RaiseError("TFishRender", "Init", "StepZ=" + SceneFloatToStr(StepZ) + " is below 0!");
  const double slots = std::trunc(std::fabs(double(FarZ) - NearZ) / StepZ) + 1;
  if (!(slots <= kMaxDepthSlots))
    RaiseError("TFishRender", "Init",
               Format("StepZ=%s makes %.0f depth slots, more than %d", SceneFloatToStr(StepZ).c_str(), slots,
                      kMaxDepthSlots));
  EmptySlots();
  DepthBins.assign(static_cast<size_t>(slots), TDepthSlot{});
  const double steps = std::clamp(std::nearbyint(double(ZGap) / StepZ), -2.0 * kMaxDepthSlots, 2.0 * kMaxDepthSlots);
  BinRadius = static_cast<int32_t>(steps) / 2 + 1;
}

int TFishRender::BinOf(float z) const {
  const int count = static_cast<int>(DepthBins.size());
  if (count == 0) return -1;
  const double slot = std::fabs(double(z) - NearZ) / StepZ;
  if (!(slot < count - 1)) return count - 1;
  return static_cast<int>(slot);
}

bool TFishRender::PlaceFish(TFish* fish) {
  ReleaseBin(fish);
  const int bin = BinOf(fish->TrackZ);
  if (!CanPlace(bin, fish)) return false;
  DepthBins[static_cast<size_t>(bin)] = {fish, dynamic_cast<TFishes*>(fish->Owner())};
  fish->BinIndex = bin;
  return true;
}

bool TFishRender::CanPlace(int bin, const TSceneParticle* fish) const {
  const int count = static_cast<int>(DepthBins.size());
  if (bin < 0 || bin >= count || DepthBins[static_cast<size_t>(bin)].Fish) return false;
  const int first = std::max(bin - BinRadius, 0), last = std::min(bin + BinRadius, count - 1);
  for (int j = first; j <= last; ++j) {
    const TSceneParticle* other = DepthBins[static_cast<size_t>(j)].Fish;
    if (other && std::fabs(fish->Position.y - other->Position.y) < YGap) return false;
  }
  return true;
}

void TFishRender::ReleaseBin(TSceneParticle* fish) {
  const int bin = fish->BinIndex;
  if (bin >= 0 && bin < static_cast<int>(DepthBins.size()) && DepthBins[static_cast<size_t>(bin)].Fish == fish)
    DepthBins[static_cast<size_t>(bin)] = {};
  fish->BinIndex = -1;
}

void TFishRender::ForgetList(const TMainItem* list) {
  for (TDepthSlot& slot : DepthBins)
    if (slot.List && static_cast<const TMainItem*>(slot.List) == list) slot = {};
}

void TFishRender::EmptySlots() {
  for (TDepthSlot& slot : DepthBins) {
    if (slot.Fish) slot.Fish->BinIndex = -1;
    slot = {};
  }
}

int TFishRender::HeldSlots() const {
  return static_cast<int>(std::count_if(DepthBins.begin(), DepthBins.end(), [](const TDepthSlot& s) { return s.Fish; }));
}

// --- the lists ---------------------------------------------------------------------

void TFishRender::DeleteItems(int n) {
  for (int i = std::max(GetCount() - n, 0); i < GetCount(); ++i) ForgetList(GetItem(i));
  TSceneLayer::DeleteItems(n);
}

void TFishRender::RemoveItem(TMainItem* item) {
  ForgetList(item);
  TSceneLayer::RemoveItem(item);
}

void TFishRender::Clear() {
  EmptySlots();
  TSceneLayer::Clear();
}

// --- frames ------------------------------------------------------------------------

void TFishRender::Animate(float deltaTime) {
  TSceneLayer::Animate(deltaTime);
  const double dt = deltaTime >= 0 && std::isfinite(deltaTime) ? deltaTime : 0.0;
  CausticPhase = AdvanceCausticPhase(CausticPhase, dt);
}

void TFishRender::Render() {
  TSceneLayer::Render();
  // Without a transparent pass (Alpha off) nothing else ends them.
  if (causticsOn_) EndFishCaustics();
}

void TFishRender::RenderOpaque() {
  TCustomOpenGL* gl = OpenGL();
  if (!gl || !gl->Active()) return;
  SetLighting(false);
  BeginFishCaustics();
  TSceneLayer::RenderOpaque();  // every visible list
}

void TFishRender::RenderTransparent() {
  TCustomOpenGL* gl = OpenGL();
  if (!gl || !gl->Active()) return;
  // The fish are always drawn sorted by depth.
  SetLighting(false);
  SortAlpha = true;
  // The lists that are not sorted (plankton, ...) draw their own blended
  // parts, lit.
  SetLighting(true);
  for (int i = 0; i < GetCount(); ++i) {
    TMainItem* child = GetItem(i);
    if (!child->Visible()) continue;
    if (auto* list = dynamic_cast<TFishes*>(child); list && list->FishType == ftFish) continue;
    child->RenderTransparent();
  }
  // The fish, unlit, from the farthest depth slot to the nearest.
  SetLighting(false);
  for (auto slot = DepthBins.rbegin(); slot != DepthBins.rend(); ++slot) {
    TFishes* list = slot->List;
    if (!slot->Fish || !list || !list->Visible() || list->FishType != ftFish || !list->Visual) continue;
    slot->Fish->BeginRender();
    list->Visual->RenderTransparent();
    slot->Fish->EndRender();
  }
  // The caustic light off again for what the scene draws next.
  EndFishCaustics();
}

// --- caustics ----------------------------------------------------------------------

bool TFishRender::CausticsWanted() const {
  TCustomOpenGL* gl = OpenGL();
  return FishCaustic && LightMapTexture && gl && gl->Active() && gl->Textures()->MultitextureEnabled &&
         GL.glActiveTextureARB;
}

void TFishRender::BeginFishCaustics() {
  if (!CausticsWanted()) return;
  // Past the shared cache, which speaks for unit 0: the meshes bind their
  // own pictures there between now and EndFishCaustics.
  BeginCausticPass(*LightMapTexture, kFishCaustics, CausticPhase);
  causticsOn_ = true;
}

void TFishRender::EndFishCaustics() {
  if (!causticsOn_) return;
  causticsOn_ = false;
  if (LightMapTexture) LightMapTexture->DisableOnUnit(1);
  if (GL.glActiveTextureARB) GL.glActiveTextureARB(GL_TEXTURE0_ARB);
}

// --- keys --------------------------------------------------------------------------

void TFishRender::ReadProperties(TResourceLoader& loader) {
  TSceneLayer::ReadProperties(loader);
  StepZ = loader.ReadFloat("StepZ", StepZ);
  SortAlpha = loader.ReadBool("SortAlpha", SortAlpha);
  FishDirection = StrToFishDirection(loader.ReadString("FishDirection", FishDirectionToStr(FishDirection)));
  LightMapTexture = loader.ReadReferenceAs<TSceneTexture>("LightMapTexture", LightMapTexture);
  InitBins();
}

void TFishRender::WriteProperties(TResourceLoader& loader) {
  TSceneLayer::WriteProperties(loader);
  loader.WriteFloat("StepZ", StepZ);
  loader.WriteBool("SortAlpha", SortAlpha);
  loader.WriteString("FishDirection", FishDirectionToStr(FishDirection));
  loader.WriteReference("LightMapTexture", LightMapTexture);
}

}  // namespace velmora
