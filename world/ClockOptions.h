// The clocks' stored options: the watch clock's visibility (TWatchClock)
// and the digital clock's mode and colour (TGLClock). Plain names in the
// per-user root.
#pragma once

#include "core/OptionTable.h"

namespace velmora {

// The digital clock's modes, in the order of its drop-down list.
inline constexpr TOptionChoice kClockModeChoices[] = {{"None", 0}, {"24-Hour", 1}, {"12-Hour", 2}};

inline constexpr TOption kOptClockVisible{.Name = "ClockVisible", .Kind = TOptionKind::Bool, .Default = 1,
                                          .Switch = "clock", .Help = "show or hide the clocks"};
// "-no-clock" hides the digital clock too ("None"); "-clock" leaves its
// stored mode.
inline constexpr TOption kOptClockMode{.Name = "Clock Mode", .Kind = TOptionKind::Integer, .FromObject = true,
                                       .Min = 0, .Max = 2, .Choices = kClockModeChoices, .Switch = "clock"};
// "R,G,B,A" (SceneColorBytesToStr).
inline constexpr TOption kOptClockColor{.Name = "Clock Color", .Kind = TOptionKind::Text, .FromObject = true};

inline constexpr const TOption* kClockOptionList[] = {&kOptClockVisible, &kOptClockMode, &kOptClockColor};
inline constexpr TOptionTable kClockOptions{"clock", kClockOptionList};

}  // namespace velmora
