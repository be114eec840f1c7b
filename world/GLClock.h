// The digital clock: a sprite display of the time, the date and the
// weekday. It shows nothing of its own; it points the placed objects of a
// sprite list at digit, weekday and am/pm sprites, blinks the colon, tints
// every sprite with one colour and draws the list.
//
// Lifecycle:
//
//   made by the loader (Mode -1) -> keys read (Sprites, Objects, Color,
//   Mode through SetMode, so the first mode always sets the visibility)
//   -> options: "Clock Mode", "Clock Color" -> every frame: Animate (the
//   colon's blink), Render (texts brought up to date, the list drawn) ->
//   freed with the scene; the lists are the scene's.
//
// Modes: 0 hidden, 1 24-hour, 2 12-hour with an am/pm marker (any other
// value above 0 shows the 24-hour display). A hidden clock keeps its texts
// up to date, so showing it shows the current time at once.
//
// The texts, from the local time and the locale (platform/LocalTime.h),
// formatted once a frame into buffers of the clock and compared with the
// texts shown; the objects change only when a text changes:
//   time   "%H:%M" ("09:05"); in mode 2 "a" before noon and "p" from
//          noon, then "%I:%M" ("p09:05"), in every locale (the locale's
//          "%p" text is not used: the am and pm sprites cannot show it)
//   date   "%m", the locale's date separator, "%d" ("05/08"); a separator
//          that is not one printable ASCII sign ("年", "년 ", ". ") is
//          replaced by "/", so the date shows in every locale
//   day    "%a", one of the locale's seven short weekday names
// A text not of that form - five characters with digits at 1, 2, 4 and 5
// (time, date); six with "a" or "p" first and digits at 2, 3, 5, 6 (time
// in mode 2); not a weekday name - leaves the display as it is.
//
// Objects the display sets in Objects (the sprite of the same name from
// Sprites becomes the object's Visual):
//   time1 time2 time4 time5       hour and minute digits; time1 hidden
//                                 for a leading zero
//   time3                         the colon, shown and hidden in turn
//                                 once per second of animation time
//   time6 time7                   am and pm markers (mode 2 only)
//   month1 month2 month4 month5   month and day digits (month3, the
//                                 separator, stays as it is)
//   day                           "sun" .. "sat"
// Sprites it names: "0" .. "9" and "sun" .. "sat".
//
// Keys (besides those of TMainObject):
//   Sprites=<path>   the sprites (a TSceneMeshList); default current
//   Objects=<path>   the placed objects (a TMainSpriteList); default current
//   Color=<byte colour>   the tint, parsed from 255,255,255,255
//   Mode=<integer>   default 0
// Written back in the same order.
//
// Options (declared in world/ClockOptions.h; the application's option
// store, plain names, per-user root):
//   "Clock Mode"   integer, default the current mode
//   "Clock Color"  "R,G,B,A", default the current colour
// A stored mode other than 0, 1 or 2, or a colour that does not parse,
// leaves the current one, with a warning on standard error
//   "velmora: warning: TGLClock.LoadOptions: Clock Mode <m> is not 0, 1 or 2;
//    the mode stays <current>"
//   "velmora: warning: TGLClock.LoadOptions: Clock Color \"<text>\" is not a
//    colour: <reason>; the colour stays <R,G,B,A>"
// so that a damaged settings file never stops the program.
//
// Errors: those of the loader for a bad Color key.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "gl/Types.h"
#include "platform/LocalTime.h"
#include "scene/SceneItem.h"

namespace velmora {

class TMainSpriteList;
class TSceneMeshList;

class TGLClock : public TMainSceneObject {
 public:
  const char* ClassName() const override { return "TGLClock"; }

  // The texts shown now.
  std::string TimeText;
  std::string DateText;
  std::string DayText;
  // Not owned.
  TMainSpriteList* Objects = nullptr;
  TSceneMeshList* Sprites = nullptr;
  // Seconds of animation since the colon last changed.
  float BlinkTime = 0;
  TGLColorBytes Color{255, 255, 255, 255};

  int32_t Mode() const { return mode_; }
  // A new mode is stored and shows the clock (above 0) or hides it.
  void SetMode(int32_t mode);

  // The colon's blink. A time step that is negative or not a number counts
  // as 0.
  void Animate(float deltaTime) override;
  // The base pass, then, visible or not: ApplyColor, UpdateDisplay, the
  // list's visibility made the clock's, and the list drawn.
  void Render() override;
  void LoadOptions() override;
  void SaveOptions() override;
  void ReadProperties(TResourceLoader& loader) override;
  void WriteProperties(TResourceLoader& loader) override;

  // The object named objectName in Objects shows the sprite named
  // spriteName in Sprites (nothing when Sprites has none of that name).
  void ShowSprite(std::string_view objectName, std::string_view spriteName);
  // Every sprite of Sprites is tinted with Color.
  void ApplyColor();
  // The local time read once, then UpdateTime, UpdateWeekday, UpdateDate.
  void UpdateDisplay();
  // Each formats its text for the time UpdateDisplay read and shows it when
  // it is new and well-formed.
  void UpdateTime();
  void UpdateWeekday();
  void UpdateDate();

 private:
  void ShowObject(std::string_view objectName, bool visible);

  int32_t mode_ = -1;
  platform::LocalDateTime now_;
};

}  // namespace velmora
