// The world's stored options (TUnderWaterWorld::LoadOptions and
// SaveOptions): plain names in the per-user root. The fish lists'
// visibility is stored under each list's own name.
#pragma once

#include "core/OptionTable.h"

namespace velmora {

inline constexpr TOptionChoice kWaterChoices[] = {{"blue", 0}, {"aquamarine", 1}, {"green", 2}};
inline constexpr TOptionChoice kFishTypeChoices[] = {{"saltwater", 0}, {"freshwater", 1}};
// The words of TFishDirection, as the store and the scene description
// write them; StrToFishDirection reads them.
inline constexpr TOptionChoice kFishDirectionChoices[] = {{"Right", 0}, {"Left", 1}, {"Both", 2}};

inline constexpr TOption kOptEmulateDepth{.Name = "EmulateDepth", .Kind = TOptionKind::Bool, .Default = 1};
inline constexpr TOption kOptUseBackground{.Name = "UseBackground", .Kind = TOptionKind::Bool, .Default = 1};
inline constexpr TOption kOptFishListShown{
    .Name = "", .Kind = TOptionKind::Bool, .Default = 1, .Form = TOptionKey::Ending};
inline constexpr TOption kOptSortAlpha{.Name = "SortAlpha", .Kind = TOptionKind::Bool, .Default = 1};
inline constexpr TOption kOptFishDirection{
    .Name = "FishDirection", .Kind = TOptionKind::Text, .Text = "Both", .Choices = kFishDirectionChoices};
inline constexpr TOption kOptFishTypeIndex{.Name = "FishTypeIndex", .Kind = TOptionKind::Integer, .Default = 0,
                                           .Choices = kFishTypeChoices, .Switch = "fish-type",
                                           .Help = "the fish that swim: sea fish or river fish"};
inline constexpr TOption kOptWaterBackgroundIndex{.Name = "WaterBackgroundIndex", .Kind = TOptionKind::Integer,
                                                  .Default = 0, .Choices = kWaterChoices, .Switch = "water",
                                                  .Help = "the colour of the water"};
inline constexpr TOption kOptFishCount{.Name = "FishCount", .Kind = TOptionKind::Integer, .Default = 20, .Min = 0,
                                       .Max = 100, .Switch = "fish-count", .Help = "how many fish swim"};
inline constexpr TOption kOptBubbleCount{.Name = "BubbleCount", .Kind = TOptionKind::Integer, .Default = 50,
                                         .Min = 0, .Max = 100, .Switch = "bubble-count",
                                         .Help = "how many bubbles rise"};
inline constexpr TOption kOptFlat{.Name = "Flat", .Kind = TOptionKind::Bool, .Default = 1};
inline constexpr TOption kOptUseLights{.Name = "UseLights", .Kind = TOptionKind::Bool, .Default = 1};
inline constexpr TOption kOptUseCaustic{.Name = "UseCaustic", .Kind = TOptionKind::Bool, .Default = 1};
inline constexpr TOption kOptFishCaustic{.Name = "FishCaustic", .Kind = TOptionKind::Bool, .Default = 1};

inline constexpr const TOption* kWorldOptionList[] = {
    &kOptEmulateDepth,  &kOptUseBackground,        &kOptFishListShown, &kOptSortAlpha,
    &kOptFishDirection, &kOptWaterBackgroundIndex, &kOptFishTypeIndex, &kOptFishCount,
    &kOptBubbleCount,   &kOptFlat,                 &kOptUseLights,     &kOptUseCaustic,
    &kOptFishCaustic,
};
inline constexpr TOptionTable kWorldOptions{"world", kWorldOptionList};

}  // namespace velmora
