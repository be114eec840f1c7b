// A fish environment: a layer of fish lists (Fishes.h) that keeps its fish
// apart in depth and height, draws their blended parts back to front and
// lays an animated caustic light map over them. A scene declares them
// directly under its root; the world shows one ("SaltWater" or
// "FreshWater") and copies the user's choices into it.
//
// Lifecycle:
//
//   made (the depth slots for the default step) -> keys read -> InitBins
//   (slots for StepZ) -> children (the fish lists) loaded -> every frame:
//   Animate (the lists move and respawn their fish, which take and give up
//   slots; the caustic phase grows) and, while visible, Render -> freed:
//   the slots are emptied before the lists go.
//
// Depth slots: the binned range from NearZ (0) to FarZ (-10000) is cut
// into trunc(|FarZ - NearZ| / StepZ) + 1 slots (1001 for the default step
// of 10); a fish takes the slot of the depth its path starts at (BinOf),
// at most one fish per slot. A fish may take a free slot only when every
// fish within BinRadius slots on either side (round(ZGap / StepZ) div 2 +
// 1, 18 by default: about 180 units) differs from it in height by YGap
// (800) or more (CanPlace). Each slot remembers its fish and the fish's
// list, so that a list that goes can empty its slots without touching its
// freed fish.
//
// Drawing (Render, while visible):
//   opaque       lighting off; the caustics on (below); every visible
//                list's opaque pass, in list order
//   transparent  (when Alpha) SortAlpha := true; lighting on: every
//                visible list that is not of type "Fish" draws its own
//                blended pass; lighting off: the slots from the farthest to
//                the nearest, each fish of a visible "Fish" list drawing
//                its mesh's blended parts with its transform; caustics off
//   then         caustics still on (a layer without a transparent pass)
//                are switched off as well, so they never reach what the
//                scene draws next
// Fish of other types sit in slots as well but drew their blended parts
// with their list already, so the sorted walk leaves them out.
//
// Caustics (BeginFishCaustics, only with FishCaustic, a LightMapTexture
// and multitexturing): the map on texture unit 1 (made there on first
// use, modulating unit 0), object-linear texture generation with the
// planes S = (0.001, 0, 0, 1.5 x CausticPhase) and T = (0, 0.0002,
// 0.00001, 0.25 x CausticPhase). The map is bound past the shared texture
// cache, which speaks for unit 0 where the meshes bind their own pictures:
// through the cache it would be taken for unit 0's texture. Unit 0 is left
// active. CausticPhase grows by 0.4 per second and is kept within 0 .. 20,
// where both planes' offsets are whole texture repeats.
//
// Keys (besides those of TSceneLayer), read after the resource keys:
//   StepZ=<float>                  default current (10); above 0
//   SortAlpha=<boolean>            default current
//   FishDirection=Right|Left|Both  any other text: Both
//   LightMapTexture=<path>         a scene texture
// Written back in that order.
//
// Errors (the loader adds the file and section):
//   "TFishRender.Init error: StepZ=0!"
//   "TFishRender.Init error: StepZ=<v> is below 0!"
//   "TFishRender.Init error: StepZ=<v> makes <n> depth slots, more than 1048576"
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "scene/Resource.h"

namespace velmora {

class TFish;
class TFishes;
class TSceneParticle;
class TSceneTexture;

// Which way the fish swim.
enum TFishDirection : uint8_t {
  fdRight = 0,
  fdLeft = 1,
  fdBoth = 2,
};

// "Right", "Left"; any other text fdBoth. The one reader of these words:
// the world's stored "FishDirection" and the scene description both use it.
TFishDirection StrToFishDirection(std::string_view text);
const char* FishDirectionToStr(TFishDirection direction);

// The most depth slots a render makes.
constexpr int kMaxDepthSlots = 1 << 20;
// What a render starts with; a list outside a render spawns with these.
constexpr float kDefaultZGap = 350;
constexpr float kDefaultNearBandEnd = 2400;
constexpr float kDefaultFarBandStart = 6000;
constexpr float kDefaultMidBandStart = 4200;

class TFishRender : public TSceneLayer {
 public:
  // One depth slot: the fish holding it and that fish's list.
  struct TDepthSlot {
    TSceneParticle* Fish = nullptr;
    TFishes* List = nullptr;
  };

  // Slots for the default step.
  TFishRender();
  // Empties the slots, then frees the lists.
  ~TFishRender() override;

  const char* ClassName() const override { return "TFishRender"; }

  // One slot per StepZ of depth, nearest first.
  std::vector<TDepthSlot> DepthBins;
  float FarZ = -10000;
  float NearZ = 0;
  // Neighbour slots examined on each side.
  int32_t BinRadius = 0;
  float StepZ = 10;
  // Fish within ZGap in depth keep YGap apart in height.
  float ZGap = kDefaultZGap;
  float YGap = 800;
  // Back-to-front drawing; every transparent pass sets it.
  bool SortAlpha = false;
  TFishDirection FishDirection = fdRight;
  // Laid over the fish; not owned.
  TSceneTexture* LightMapTexture = nullptr;
  float CausticPhase = 0;
  // Set by the world.
  bool FishCaustic = true;
  // The depth bands of the paths (Fishes.h).
  float NearBandEnd = kDefaultNearBandEnd;
  float FarBandStart = kDefaultFarBandStart;
  float MidBandStart = kDefaultMidBandStart;

  // The slots for StepZ (see above); every fish that held one gives it up.
  void InitBins();
  // The slot of depth z: trunc(|z - NearZ| / StepZ), at most the last.
  int BinOf(float z) const;
  // Gives up the fish's slot, then takes the one of its TrackZ when
  // CanPlace allows; false when refused. The fish's list is its Owner.
  bool PlaceFish(TFish* fish);
  bool CanPlace(int bin, const TSceneParticle* fish) const;
  // The fish gives up its slot (BinIndex -1).
  void ReleaseBin(TSceneParticle* fish);
  // Every slot held by a fish of list is emptied; the fish are not touched
  // (they may be gone already).
  void ForgetList(const TMainItem* list);
  // How many slots hold a fish.
  int HeldSlots() const;

  // The lists, then CausticPhase += 0.4 x DeltaTime.
  void Animate(float deltaTime) override;
  void Render() override;
  void RenderOpaque() override;
  void RenderTransparent() override;
  void ReadProperties(TResourceLoader& loader) override;
  void WriteProperties(TResourceLoader& loader) override;
  // Lists that go give up their fish's slots first.
  void DeleteItems(int n) override;
  void RemoveItem(TMainItem* item) override;
  void Clear() override;

  void BeginFishCaustics();
  void EndFishCaustics();
  // BeginFishCaustics switched them on and EndFishCaustics has not yet
  // switched them off.
  bool CausticsOn() const { return causticsOn_; }

 private:
  bool CausticsWanted() const;
  // Every slot emptied, their fish told.
  void EmptySlots();

  bool causticsOn_ = false;
};

}  // namespace velmora
