// The virtual-key codes a Message carries in `key` for KeyDown, KeyUp and
// the SysKey messages: the classic numbering the program is written
// against. Letters and digits are their upper-case characters ('A' 65,
// '0' 48); the keys below have no character of their own. Each backend
// translates its key symbols into these; the handlers compare against them.
#pragma once

#include <cstdint>

namespace platform {

enum VirtualKey : int32_t {
  vkBack = 8, vkTab = 9, vkClear = 12, vkReturn = 13, vkShift = 16, vkControl = 17, vkMenu = 18,
  vkPause = 19, vkCapital = 20, vkEscape = 27, vkSpace = 32, vkPrior = 33, vkNext = 34, vkEnd = 35,
  vkHome = 36, vkLeft = 37, vkUp = 38, vkRight = 39, vkDown = 40, vkSelect = 41, vkExecute = 43,
  vkSnapshot = 44, vkInsert = 45, vkDelete = 46, vkHelp = 47, vkLWin = 91, vkRWin = 92, vkApps = 93,
  vkSleep = 95, vkNumpad0 = 96, vkMultiply = 106, vkAdd = 107, vkSeparator = 108, vkSubtract = 109,
  vkDecimal = 110, vkDivide = 111, vkF1 = 112, vkF10 = 121, vkF13 = 124, vkNumLock = 144, vkScroll = 145,
  vkLShift = 160, vkRShift = 161, vkLControl = 162, vkRControl = 163, vkLMenu = 164, vkRMenu = 165,
  vkOem1 = 186, vkOemPlus = 187, vkOemComma = 188, vkOemMinus = 189, vkOemPeriod = 190, vkOem2 = 191,
  vkOem3 = 192, vkOem4 = 219, vkOem5 = 220, vkOem6 = 221, vkOem7 = 222, vkOem102 = 226,
};

}  // namespace platform
