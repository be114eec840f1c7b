// Text in the scene: a single line (TSceneString) or several lines one
// below the other with one of them highlighted by a pulsing colour
// (TSceneText), drawn with a TSceneFont in its screen-space projection.
//
// The pen position (X, Y) is the lower-left corner of the first character
// cell, in the font's view units (y grows upward). Text is drawn in the
// transparent pass: the classes are made visible and with Alpha set. A text
// without a Font draws nothing; the font is referred to, never owned.
//
// Lifecycle:
//
//   made -> keys read (Font resolved by path) -> every frame: Animate (the
//   pulse of TSceneText, for objects with the Animation option) and
//   RenderTransparent (BeginDraw, DrawText per line, EndDraw of the font)
//   -> freed with its list.
//
// TSceneText: the lines run downward from Y, one FontCellSize apart (the
// cell size times ScaleY, rounded, for a Scaled font); a pen position
// beyond the 32-bit range stops at its end. Line StringIndex is
// drawn in the pulsed StringColor, the others in Color; -1 highlights
// none. Animate adds the elapsed seconds to Phase and keeps its fractional
// part, so the pulse repeats once a second: each of r, g, b of StringColor
// is shown as c x (0.8 + 0.4 x Phase) while Phase < 0.5, else
// c x (1 - 0.4 x (Phase - 0.5)), rounded; alpha stays.
//
// Keys (besides those of TMainObject; each defaults to the current value):
//   Color=<byte colour>  X=<n>  Y=<n>  Font=<path of a TSceneFont>
//   Enable3D=<boolean>   (kept and written, no effect)
//   TSceneString:  Text=<text>
//   TSceneText:    StringColor=<byte colour>  StringIndex=<n>
//                  Text<i>=<text> (i = 1, 2, ...): the lines, read while
//                  present; a present but empty value is one blank
// Written back: every key; "Text" only when not empty; lines as Text1 ..
// TextN.
//
// Errors: none of their own; the font's (SceneFont.h) when it builds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "gl/Types.h"
#include "scene/SceneItem.h"

namespace velmora {

class TSceneFont;

class TSceneBaseText : public TMainSceneObject {
 public:
  TSceneBaseText();

  const char* ClassName() const override { return "TSceneBaseText"; }

  int32_t X = 0;
  int32_t Y = 0;
  TGLColorBytes Color{255, 255, 255, 255};
  // Not owned.
  TSceneFont* Font = nullptr;
  bool Enable3D = false;

  void SetPosition(int32_t x, int32_t y);

  void ReadProperties(TResourceLoader& loader) override;
  void WriteProperties(TResourceLoader& loader) override;
};

class TSceneString : public TSceneBaseText {
 public:
  const char* ClassName() const override { return "TSceneString"; }

  std::string Text;

  void RenderTransparent() override;
  void ReadProperties(TResourceLoader& loader) override;
  void WriteProperties(TResourceLoader& loader) override;
};

class TSceneText : public TSceneBaseText {
 public:
  TSceneText();

  const char* ClassName() const override { return "TSceneText"; }

  std::vector<std::string> Lines;
  // The highlighted line; -1 for none.
  int32_t StringIndex = -1;
  TGLColorBytes StringColor;
  // In [0, 1): where the pulse stands.
  float Phase = 0;

  // StringColor as the pulse shows it now.
  TGLColorBytes PulsedColor() const;
  // The distance between lines: FontCellSize, times ScaleY and rounded for
  // a Scaled font (0 when that is not a number).
  static double LineStep(const TSceneFont& font);
  // The pen's y for line `line` (0 first): y - line x step, brought into
  // the range of 32 bits rather than overflowing.
  static int32_t LineY(int32_t y, double step, size_t line);

  void Animate(float deltaTime) override;
  void RenderTransparent() override;
  void ReadProperties(TResourceLoader& loader) override;
  void WriteProperties(TResourceLoader& loader) override;
};

}  // namespace velmora
