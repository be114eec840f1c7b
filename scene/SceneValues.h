// The value syntaxes of scene descriptions, as text: the conversions every
// typed reader and writer of TResourceLoader goes through. "." is the
// decimal separator whatever the locale: nothing here consults the C
// locale (std::from_chars and std::to_chars do the digits).
//
//   integer       decimal with optional sign, or "0x" / "$" and hexadecimal
//                 digits (up to 8, taken as 32 bits); written in decimal
//   float         decimal, optional exponent after "E" or "e"; written with
//                 7 significant digits: fixed notation from 0.00001 up to
//                 seven integer digits, otherwise "d.ddddddE[-]XX" (at least
//                 two exponent digits, "-" only for negative exponents)
//   float colour  up to four floats r,g,b,a, parsed from 1,1,1,1
//   byte colour   up to four integers 0..255, parsed from 255,255,255,255
//   vector        up to three floats x,y,z, parsed from 0,0,0
// The parts of colours and vectors are separated by "," and blanks, may be
// double-quoted, and parts beyond the record's size are ignored.
//
// Errors of the list forms (velmora::Error, message without class):
//   "'<part>' is not a valid floating point value"
//   "'<part>' is not a valid integer value"
//   "<part> is out of range 0..255"
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "gl/Types.h"

namespace velmora {

std::optional<int32_t> SceneStrToInt(std::string_view text);
std::optional<float> SceneStrToFloat(std::string_view text);
std::string SceneFloatToStr(float value);

TGLColor SceneStrToColor(std::string_view text);
TGLColorBytes SceneStrToColorBytes(std::string_view text);
TGLVector SceneStrToVector(std::string_view text);
std::string SceneColorToStr(const TGLColor& color);
std::string SceneColorBytesToStr(const TGLColorBytes& color);
std::string SceneVectorToStr(const TGLVector& vector);

}  // namespace velmora
