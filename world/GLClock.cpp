#include "world/GLClock.h"

#include <cmath>
#include <exception>

#include "scene/DefViewport.h"
#include "scene/SceneHost.h"
#include "core/Error.h"
#include "platform/Service.h"
#include "scene/ResourceLoader.h"
#include "scene/SceneMeshList.h"
#include "scene/SceneSprite.h"
#include "scene/SceneValues.h"
#include "scene/SpriteList.h"
#include "scene/VisualObject.h"
#include "world/ClockOptions.h"

namespace velmora {

namespace {

// Room for any text of the clock; longer ones are not of the forms it shows.
constexpr size_t kTextSize = 32;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// text has digits at each of the (0-based) positions.
bool DigitsAt(std::string_view text, std::initializer_list<size_t> positions) {
  for (size_t i : positions)
    if (i >= text.size() || !IsDigit(text[i])) return false;
  return true;
}

// One printable ASCII character that is not a digit.
bool IsSingleSign(std::string_view text) {
  return text.size() == 1 && text[0] >= ' ' && text[0] <= '~' && !IsDigit(text[0]);
}

constexpr std::string_view kDaySprites[7] = {"sun", "mon", "tue", "wed", "thu", "fri", "sat"};

}  // namespace

void TGLClock::SetMode(int32_t mode) {
  if (mode == mode_) return;
  mode_ = mode;
  SetVisible(mode >= 1);
}

// --- per frame ---------------------------------------------------------------------

void TGLClock::Animate(float deltaTime) {
  if (!(deltaTime > 0) || !std::isfinite(deltaTime)) return;
  BlinkTime += deltaTime;
  if (BlinkTime < 1.0f) return;
  BlinkTime = 0;
  if (!Objects) return;
  if (TMainObject* colon = Objects->FindItem("time3")) colon->SetVisible(!colon->Visible());
}

void TGLClock::Render() {
  TMainSceneObject::Render();
  ApplyColor();
  UpdateDisplay();
  if (!Objects) return;
  Objects->SetVisible(Visible());
  Objects->Render();
}

void TGLClock::ApplyColor() {
  if (!Sprites) return;
  for (int i = 0, n = Sprites->GetCount(); i < n; ++i)
    if (auto* sprite = dynamic_cast<TSceneSprite*>(Sprites->GetItem(i))) sprite->Color = Color;
}

void TGLClock::UpdateDisplay() {
  now_ = platform::Get<platform::LocalTime>().Now();
  UpdateTime();
  UpdateWeekday();
  UpdateDate();
}

void TGLClock::UpdateTime() {
  platform::LocalTime& local = platform::Get<platform::LocalTime>();
  char text[kTextSize];
  size_t length = 0;
  if (mode_ == 2) {
    // "a" or "p" by the hour, then the 12-hour time. The locale's own
    // marker ("%p") is no guide: it is in the locale's script in most of
    // them ("午前", "πμ"), and where it is in Latin letters its first one
    // need not be a or p, nor tell the two apart (Albanian "PD" is the
    // morning).
    text[0] = now_.hour < 12 ? 'a' : 'p';
    length = local.Format(now_, "%I:%M", text + 1, sizeof text - 1);
    if (length > 0) ++length;
  } else {
    length = local.Format(now_, "%H:%M", text, sizeof text);
  }
  const std::string_view shown(text, length);
  if (shown == TimeText) return;
  if (mode_ == 2) {
    if (length != 6 || (text[0] != 'a' && text[0] != 'p') || !DigitsAt(shown, {1, 2, 4, 5})) return;
  } else if (length != 5 || !DigitsAt(shown, {0, 1, 3, 4})) {
    return;
  }
  TimeText.assign(shown);
  if (mode_ == 2) {
    ShowObject("time6", text[0] == 'a');
    ShowObject("time7", text[0] == 'p');
    ShowObject("time1", text[1] != '0');
    ShowSprite("time1", shown.substr(1, 1));
    ShowSprite("time2", shown.substr(2, 1));
    ShowSprite("time4", shown.substr(4, 1));
    ShowSprite("time5", shown.substr(5, 1));
  } else {
    ShowObject("time6", false);
    ShowObject("time7", false);
    ShowObject("time1", text[0] != '0');
    ShowSprite("time1", shown.substr(0, 1));
    ShowSprite("time2", shown.substr(1, 1));
    ShowSprite("time4", shown.substr(3, 1));
    ShowSprite("time5", shown.substr(4, 1));
  }
}

void TGLClock::UpdateWeekday() {
  platform::LocalTime& local = platform::Get<platform::LocalTime>();
  char text[kTextSize];
  const std::string_view day(text, local.Format(now_, "%a", text, sizeof text));
  if (day == DayText) return;
  int index = -1;
  for (int i = 0; i < 7 && index < 0; ++i)
    if (local.ShortDayName(i) == day) index = i;
  if (index < 0 || day.empty()) return;
  DayText.assign(day);
  ShowSprite("day", kDaySprites[index]);
}

void TGLClock::UpdateDate() {
  platform::LocalTime& local = platform::Get<platform::LocalTime>();
  // Month, the separator, day. The display shows its own separator sprite,
  // so a locale's separator only counts when it is a single sign; one in
  // another script or of several characters ("年", "년 ", ". ") gives way to
  // "/", and the date is shown all the same.
  char text[kTextSize];
  size_t length = local.Format(now_, "%m", text, sizeof text);
  std::string_view separator = local.DateSeparator();
  if (!IsSingleSign(separator)) separator = "/";
  if (length == 0 || length + separator.size() + 1 >= sizeof text) return;
  separator.copy(text + length, separator.size());
  length += separator.size();
  const size_t day = local.Format(now_, "%d", text + length, sizeof text - length);
  if (day == 0) return;
  length += day;
  const std::string_view date(text, length);
  if (date == DateText || length != 5 || !DigitsAt(date, {0, 1, 3, 4})) return;
  DateText.assign(date);
  ShowSprite("month1", date.substr(0, 1));
  ShowSprite("month2", date.substr(1, 1));
  ShowSprite("month4", date.substr(3, 1));
  ShowSprite("month5", date.substr(4, 1));
}

void TGLClock::ShowSprite(std::string_view objectName, std::string_view spriteName) {
  if (!Objects) return;
  auto* object = dynamic_cast<TMainVisualObject*>(Objects->FindItem(objectName));
  if (!object) return;
  object->Visual = Sprites ? Sprites->FindItem(spriteName) : nullptr;
}

void TGLClock::ShowObject(std::string_view objectName, bool visible) {
  if (!Objects) return;
  if (TMainObject* object = Objects->FindItem(objectName)) object->SetVisible(visible);
}

// --- keys and options --------------------------------------------------------------

void TGLClock::ReadProperties(TResourceLoader& loader) {
  TMainSceneObject::ReadProperties(loader);
  Sprites = loader.ReadReferenceAs<TSceneMeshList>("Sprites", Sprites);
  Objects = loader.ReadReferenceAs<TMainSpriteList>("Objects", Objects);
  Color = loader.ReadColorBytes("Color", Color);
  SetMode(loader.ReadInteger("Mode", 0));
}

void TGLClock::WriteProperties(TResourceLoader& loader) {
  TMainSceneObject::WriteProperties(loader);
  loader.WriteReference("Sprites", Sprites);
  loader.WriteReference("Objects", Objects);
  loader.WriteColorBytes("Color", Color);
  loader.WriteInteger("Mode", mode_);
}

void TGLClock::LoadOptions() {
  TSceneHost* app = Application();
  if (!app) return;
  const int32_t mode = app->ReadOptionInteger(kOptClockMode.Key(), mode_);
  if (kOptClockMode.ChoiceOf(mode))
    SetMode(mode);
  else
    app->Warn("TGLClock", "LoadOptions",
              "Clock Mode " + std::to_string(mode) + " is not 0, 1 or 2; the mode stays " + std::to_string(mode_));
  const std::string current = SceneColorBytesToStr(Color);
  const std::string text = app->ReadOptionString(kOptClockColor.Key(), current);
  try {
    Color = SceneStrToColorBytes(text);
  } catch (const std::exception& e) {
    app->Warn("TGLClock", "LoadOptions",
              "Clock Color \"" + text + "\" is not a colour: " + e.what() + "; the colour stays " + current);
  }
}

void TGLClock::SaveOptions() {
  TSceneHost* app = Application();
  if (!app) return;
  app->WriteOptionInteger(kOptClockMode.Key(), mode_);
  app->WriteOptionString(kOptClockColor.Key(), SceneColorBytesToStr(Color));
}

}  // namespace velmora
