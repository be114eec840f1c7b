// The world: the user's choices for the loaded underwater scene, and the
// pushing of each choice into the scene objects it concerns. A plain
// object, not part of the scene; it finds the waters, the fish
// environments and the bubbles in the scene by name or class and never
// frees them.
//
// Lifecycle:
//
//   made with the application (the option store) and the scene -> Init
//   (done by LoadOptions: the waters and the fish environments collected,
//   the indexes and the counts made to apply again) -> LoadOptions (every
//   choice read and applied) -> setters as the user changes the settings
//   -> SaveOptions when the user accepts them -> freed before the scene.
//
// What the scene must hold: waters are direct children of class
// TUnderWater (in the scene's order); the fish environments are the
// direct children named "SaltWater" and "FreshWater" (TFishRender, in that
// order, each when present); the bubbles the direct child "Bubbles" (a
// particle list). Missing fish environments or bubbles are no error: the
// setters for them then do nothing.
//
// Options (declared in world/WorldOptions.h; the application's option
// store, plain names in the per-user root: reading and writing switch
// NamesScrambled and UseLocalMachine off), read in this order by
// LoadOptions:
//   "EmulateDepth"   boolean, default true        fog layers instead of fog
//   (Flat := true)                                flat sea bottom
//   "UseBackground"  boolean, default true        the waters' background
//   <list name>      boolean, default true        each list of each fish
//                                                 environment shown
//   (SortAlpha := true)
//   "FishDirection"  "Right", "Left", other: "Both" (default "Both")
//   "FishTypeIndex"  integer, default 0           the visible environment
//   "WaterBackgroundIndex" integer, default 0     the visible water
//   "FishCount"      integer 0..100, default 20   fish over the visible
//                                                 fish lists
//   "BubbleCount"    integer 0..100, default 50
//   "UseLights"      boolean, default true        the visible water's rays
//   "UseCaustic"     boolean, default true        its caustics
//   "FishCaustic"    boolean, default true        caustics on the fish
// A damaged settings file never stops the program: a stored index that
// names no environment or water is brought to the nearest one, a count
// outside 0..100 into that range, each with a warning on standard error
// ("velmora: warning: TUnderWaterWorld.LoadOptions: WaterBackgroundIndex 7
// names no water (0..2); 2 is used"), and a text that is no boolean or
// integer gives the default (the option store's warning). The stored value
// stays until the options are saved. In a scene without waters the light
// and caustic flags are only kept.
// The per-water flags reach the waters only through
// SetWaterBackgroundIndex, and the light and caustic flags only the visible
// water, so visibility comes before the flags. SaveOptions writes every
// list's visibility, then "SortAlpha", "FishDirection", "FishTypeIndex",
// "WaterBackgroundIndex", "FishCount", "BubbleCount", "EmulateDepth",
// "Flat", "UseLights", "UseBackground", "UseCaustic", "FishCaustic".
//
// Fish distribution (DistributeFish): n fish over the k visible lists of
// type "Fish" of an environment, q = n div k each and the first n mod k
// one more (20 over three lists: 7, 7, 6); visible lists of other types
// get their MaxCount; hidden lists keep their count.
//
// Init makes the next SetFishTypeIndex, SetWaterBackgroundIndex,
// SetFishCount and SetFishDirection apply whatever the value, so that a
// stored choice that happens to equal the world's starting value (no fish,
// "Right") still reaches the scene, whose description may say otherwise.
//
// Errors:
//   "TUnderWaterWorld.Init error: FScene=NIL"
//   "TUnderWaterWorld.Init error: FApp=NIL"
//   "TUnderWaterWorld.<SetUseLights|SetUseCaustic|SetBackgroundMode> error:
//    List index out of bounds (<WaterBackgroundIndex>)" when that index names
//    no water of a scene that has waters. A scene without any water keeps
//    the three values and shows them nowhere: the rest of it is drawn.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace velmora {

class TFishRender;
class TMainObject;
class TMainScene;
class TSceneHost;
class TUnderWater;

class TUnderWaterWorld {
 public:
  TUnderWaterWorld() = default;
  TUnderWaterWorld(TSceneHost* app, TMainScene* scene) : FApp(app), FScene(scene) {}
  TUnderWaterWorld(const TUnderWaterWorld&) = delete;
  TUnderWaterWorld& operator=(const TUnderWaterWorld&) = delete;

  // Not owned; set by the creator.
  TSceneHost* FApp = nullptr;
  TMainScene* FScene = nullptr;
  // The scene's objects under their names (the lists are the world's, the
  // objects the scene's).
  std::vector<std::pair<std::string, TUnderWater*>> Waters;
  std::vector<std::pair<std::string, TFishRender*>> FishEnvironments;
  // The names of the lists in the visible fish environment.
  std::vector<std::string> FishTypes;

  // Copied into the waters by SetWaterBackgroundIndex.
  bool EmulateDepth = false;
  bool UseBackground = false;
  bool Flat = false;

  int32_t FishTypeIndex() const { return fishTypeIndex_; }
  int32_t WaterBackgroundIndex() const { return waterBackgroundIndex_; }
  int32_t FishCount() const { return fishCount_; }
  bool SortAlpha() const { return sortAlpha_; }
  // 0 "Right", 1 "Left", 2 "Both".
  uint8_t FishDirection() const { return fishDirection_; }
  bool UseCaustic() const { return useCaustic_; }
  bool UseLights() const { return useLights_; }
  bool FishCaustic() const { return fishCaustic_; }
  int32_t BackgroundMode() const { return backgroundMode_; }

  // Collects waters and fish environments (see above). Raises without a
  // scene or an application.
  void Init();
  void LoadOptions();
  void SaveOptions();

  // A new index: every water shown (only the one at index) or hidden and
  // given EmulateDepth, Flat, UseLights, UseBackground, UseCaustic and
  // BackgroundMode.
  void SetWaterBackgroundIndex(int32_t index);
  // Stored, and set in the visible water only.
  void SetUseLights(bool value);
  void SetUseCaustic(bool value);
  // A new mode (1 one screen, 2 spanning the monitors) set in the visible
  // water.
  void SetBackgroundMode(int32_t mode);
  // A new index: nothing more below 0; beyond the last environment the
  // last one; that environment shown, the others hidden, FishTypes its
  // lists' names.
  void SetFishTypeIndex(int32_t index);
  // A new value set in every fish environment.
  void SetSortAlpha(bool value);
  void SetFishDirection(uint8_t direction);
  // Stored and set in every fish environment.
  void SetFishCaustic(bool value);
  // A new count distributed in every fish environment.
  void SetFishCount(int32_t count);
  // The particle count of "Bubbles"; nothing / 0 without it.
  void SetBubbleCount(int32_t count);
  int32_t GetBubbleCount() const;

  static void DistributeFish(int32_t count, TFishRender* environment);

  // "Right" 0, "Left" 1, any other text 2; and back ("Both" for 2 and any
  // other value): StrToFishDirection and FishDirectionToStr of
  // world/FishRender.h.
  static uint8_t StrToFishDirection(const std::string& text);
  static const char* FishDirectionToStr(uint8_t direction);

 private:
  // The water at WaterBackgroundIndex; nullptr in a scene without water;
  // raises the list-index error naming operation when the index names none
  // of the waters.
  TUnderWater* VisibleWater(const char* operation) const;
  // The lists of every fish environment, environment by environment.
  std::vector<TMainObject*> FishLists() const;
  // The host's option store with plain names in the per-user root.
  TSceneHost& PlainOptions() const;

  int32_t fishTypeIndex_ = 0;
  int32_t waterBackgroundIndex_ = 0;
  int32_t fishCount_ = 0;
  bool sortAlpha_ = false;
  uint8_t fishDirection_ = 0;
  // False until the first SetFishDirection after Init.
  bool fishDirectionApplied_ = false;
  bool useCaustic_ = false;
  bool useLights_ = false;
  bool fishCaustic_ = false;
  int32_t backgroundMode_ = 0;
};

}  // namespace velmora
