// The clocks: the hands' turns at given times and how the analogue clock
// draws them; the digital clock's texts in both modes, the date and the
// weekday in other locales and in the system's own ones, markers and date
// separators the sprites cannot show, texts not of the expected forms, the blink,
// the tint read back by pixels, options and keys.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <tuple>
#include <utility>

#include "platform/Service.h"
#include "platform/fake/FakeLocalTime.h"
#include "platform/sdl/PosixLocalTime.h"
#include "scene/SceneMeshList.h"
#include "scene/SceneSprite.h"
#include "scene/SpriteList.h"
#include "tests/world/ClockTestSupport.h"
#include "tests/world/WorldTestSupport.h"
#include "world/GLClock.h"
#include "world/WatchClock.h"

namespace worldtest {
namespace {

using ::testing::HasSubstr;

TEST(WatchClockHands, TurnsAtGivenTimes) {
  const TWatchClock::THandAngles a = TWatchClock::HandAngles(12, 40, 15);
  EXPECT_EQ(a.Minute, 240);
  EXPECT_EQ(a.Second, -90);
  EXPECT_EQ(a.Hour, -72);
  // Three o'clock points the hour hand where it rests; the second hand
  // rests at 30 seconds.
  EXPECT_EQ(TWatchClock::HandAngles(15, 0, 30).Hour, 0);
  EXPECT_EQ(TWatchClock::HandAngles(15, 0, 30).Second, 0);
  EXPECT_EQ(TWatchClock::HandAngles(0, 0, 0).Hour, -90);
  EXPECT_EQ(TWatchClock::HandAngles(21, 5, 0).Hour, 180);
  // The hour hand moves in steps of 6 degrees every 12 minutes.
  EXPECT_EQ(TWatchClock::HandAngles(12, 11, 59).Hour, -90);
  EXPECT_EQ(TWatchClock::HandAngles(12, 12, 0).Hour, -84);
  EXPECT_EQ(TWatchClock::HandAngles(12, 59, 0).Hour, -66);
}

class Clocks : public scenetest::DrawingTest {
 protected:
  void SetUp() override {
    DrawingTest::SetUp();
    files.Write("skin.bmp", SkinBmp());
    TTestHand::Order().clear();
  }

  // A scene with the skin, the sprite material, the clock's resource and
  // a digital clock with the given keys.
  TGLClock& LoadDigital(const std::string& clockKeys) {
    Load("[MainScene]\nCount=4\n"
         "[MainScene1]\nType=TSceneTextureList\nName=Textures\nPath=%PATH%\nColorBit=32bit\nCount=1\n" +
         ClockTextureSection(1) + "[MainScene2]\nType=TSceneMaterialList\nName=Materials\nCount=1\n" +
         ClockMaterialSection(1) + "[MainScene3]\nType=TResource\nName=ClockResource\nCount=2\n" +
         ClockResourceSections("Textures/skin.bmp") +
         "[MainScene4]\nType=TGLClock\nName=GLClock\nProcessOptions=[Render,Animation]\nAlpha=1\n"
         "Sprites=ClockResource/Sprites\nObjects=ClockResource/Objects\n" +
         clockKeys);
    return *Find<TGLClock>("GLClock");
  }

  // The name of the sprite the object shows, "" for none.
  std::string Shows(const std::string& object) {
    auto* placed = Find<TMainVisualObject>("ClockResource/Objects/" + object);
    auto* sprite = placed ? dynamic_cast<TMainObject*>(placed->Visual) : nullptr;
    return sprite ? sprite->Name() : "";
  }
  bool Visible(const std::string& object) { return Find<TMainObject>("ClockResource/Objects/" + object)->Visible(); }
  std::string Time() { return Shows("time1") + Shows("time2") + ":" + Shows("time4") + Shows("time5"); }
  std::string Date() { return Shows("month1") + Shows("month2") + "/" + Shows("month4") + Shows("month5"); }

  // One frame of the scene on a cleared 64 x 64 view.
  void Frame(float deltaTime = 0.02f) {
    StartFrame();
    scene_->Process(deltaTime);
  }
  // The skin cell drawn at (x, y) (-1 for none).
  int CellAt(int x, int y) { return CellOfRed(PixelAt(x, y)[0]); }

  platform::FakeLocalTime time{9, 5};
  platform::ScopedService<platform::LocalTime> timeService{&time};
};

TEST_F(Clocks, TwentyFourHoursWithoutALeadingZero) {
  TGLClock& clock = LoadDigital("Mode=1\n");
  EXPECT_TRUE(clock.Visible());
  clock.UpdateDisplay();
  EXPECT_EQ(clock.TimeText, "09:05");
  EXPECT_FALSE(Visible("time1"));
  EXPECT_EQ(Time(), "09:05");  // time1 shows the zero, hidden
  EXPECT_FALSE(Visible("time6"));
  EXPECT_FALSE(Visible("time7"));
  EXPECT_EQ(clock.DateText, "05/08");
  EXPECT_EQ(Date(), "05/08");
  EXPECT_EQ(Shows("month3"), ":");  // the separator object is never changed
  EXPECT_EQ(clock.DayText, "Wed");
  EXPECT_EQ(Shows("day"), "wed");

  time.SetTime(21, 5);
  clock.UpdateDisplay();
  EXPECT_EQ(clock.TimeText, "21:05");
  EXPECT_TRUE(Visible("time1"));
  EXPECT_EQ(Time(), "21:05");
}

TEST_F(Clocks, TwelveHoursWithTheMarker) {
  time.SetTime(21, 5);
  TGLClock& clock = LoadDigital("Mode=2\n");
  clock.UpdateDisplay();
  EXPECT_EQ(clock.TimeText, "p09:05");
  EXPECT_TRUE(Visible("time7"));
  EXPECT_FALSE(Visible("time6"));
  EXPECT_FALSE(Visible("time1"));
  EXPECT_EQ(Time(), "09:05");

  time.SetTime(10, 30);
  clock.UpdateDisplay();
  EXPECT_EQ(clock.TimeText, "a10:30");
  EXPECT_TRUE(Visible("time6"));
  EXPECT_FALSE(Visible("time7"));
  EXPECT_TRUE(Visible("time1"));
  EXPECT_EQ(Time(), "10:30");

  time.SetTime(0, 15);  // midnight is 12 am
  clock.UpdateDisplay();
  EXPECT_EQ(clock.TimeText, "a12:15");
  EXPECT_EQ(Time(), "12:15");

  // Back to 24 hours: the markers go.
  clock.SetMode(1);
  clock.UpdateDisplay();
  EXPECT_EQ(clock.TimeText, "00:15");
  EXPECT_FALSE(Visible("time6"));
  EXPECT_FALSE(Visible("time1"));
}

TEST_F(Clocks, TheMarkerComesFromTheHourWhateverTheLocaleWrites) {
  time.am = "a.m.";
  time.pm = "p.m.";
  time.SetTime(13, 45);
  TGLClock& clock = LoadDigital("Mode=2\n");
  clock.UpdateDisplay();
  EXPECT_EQ(clock.TimeText, "p01:45");
  // Markers the am and pm sprites cannot show: none at all, the locale's
  // own script (Japanese), Latin letters whose first one is not a or p or
  // says the opposite (Albanian "PD" is the morning, "MD" the afternoon).
  const std::pair<const char*, const char*> markers[] = {
      {"", ""}, {"\xE5\x8D\x88\xE5\x89\x8D", "\xE5\x8D\x88\xE5\xBE\x8C"}, {"PD", "MD"}};
  for (const auto& [am, pm] : markers) {
    SCOPED_TRACE(am);
    time.am = am;
    time.pm = pm;
    time.SetTime(11, 59);
    clock.UpdateDisplay();
    EXPECT_EQ(clock.TimeText, "a11:59");
    EXPECT_TRUE(Visible("time6"));
    EXPECT_FALSE(Visible("time7"));
    EXPECT_EQ(Time(), "11:59");
    time.SetTime(15, 21);
    clock.UpdateDisplay();
    EXPECT_EQ(clock.TimeText, "p03:21");
    EXPECT_FALSE(Visible("time6"));
    EXPECT_TRUE(Visible("time7"));
    EXPECT_FALSE(Visible("time1"));
    EXPECT_EQ(Time(), "03:21");
  }
}

TEST_F(Clocks, ADateSeparatorTheSpritesCannotShowGivesWayToTheirOwn) {
  TGLClock& clock = LoadDigital("Mode=1\n");
  clock.UpdateDisplay();
  ASSERT_EQ(clock.DateText, "05/08");
  // Chinese and Japanese "年", Korean "년 ", Hungarian ". ": the date is
  // shown all the same.
  const char* separators[] = {"\xE5\xB9\xB4", "\xEB\x85\x84 ", ". ", "", "7"};
  int day = 10;
  for (const char* separator : separators) {
    SCOPED_TRACE(separator);
    time.dateSeparator = separator;
    time.SetDate(2026, 12, day, 3);
    clock.UpdateDisplay();
    EXPECT_EQ(clock.DateText, "12/" + std::to_string(day));
    EXPECT_EQ(Date(), "12/" + std::to_string(day));
    ++day;
  }
  // A one-character separator of another kind is the locale's.
  time.dateSeparator = "-";
  time.SetDate(2024, 11, 23, 6);
  clock.UpdateDisplay();
  EXPECT_EQ(clock.DateText, "11-23");
  EXPECT_EQ(Date(), "11/23");
  EXPECT_EQ(Shows("month3"), ":");  // the separator object stays as it is
}

TEST_F(Clocks, TextsNotOfTheExpectedFormLeaveTheDisplayAsItIs) {
  TGLClock& clock = LoadDigital("Mode=2\n");
  clock.UpdateDisplay();
  ASSERT_EQ(clock.TimeText, "a09:05");
  ASSERT_EQ(clock.DateText, "05/08");
  // A formatter that drops the leading zero, one with digits of another
  // script for the month.
  time.texts["%I:%M"] = "9:47";
  time.texts["%m"] = "\xD9\xA1\xD9\xA1";
  time.SetTime(9, 47);
  time.SetDate(2024, 11, 23, 6);
  clock.UpdateDisplay();
  EXPECT_EQ(clock.TimeText, "a09:05");
  EXPECT_EQ(Time(), "09:05");
  EXPECT_EQ(clock.DateText, "05/08");
  EXPECT_EQ(Date(), "05/08");
  EXPECT_EQ(Shows("day"), "sat");  // the weekday is well-formed
  time.texts.clear();
  clock.UpdateDisplay();
  EXPECT_EQ(clock.TimeText, "a09:47");
  EXPECT_EQ(clock.DateText, "11/23");
}

// The system's own locales (the package locales-all), each read through a
// locale object of its own: the process's locale is not changed.
class LocaleClock : public platform::PosixLocalTime {
 public:
  explicit LocaleClock(const char* name) : PosixLocalTime(name) {}
  platform::LocalDateTime Now() override { return now; }
  platform::LocalDateTime now{2026, 12, 9, 3, 21, 40, 3};  // a Wednesday
};

TEST_F(Clocks, EveryLocaleShowsTheSameDigitsMarkerAndDate) {
  const char* locales[] = {"en_US.UTF-8", "ja_JP.UTF-8", "ko_KR.UTF-8", "zh_CN.UTF-8", "el_GR.UTF-8",
                           "ar_EG.UTF-8", "hi_IN.UTF-8", "sq_AL.UTF-8", "hu_HU.UTF-8", "de_DE.UTF-8"};
  for (const char* name : locales) {
    SCOPED_TRACE(name);
    LocaleClock local(name);
    ASSERT_TRUE(local.LocaleFound()) << "the system lacks the locale (package locales-all)";
    platform::ScopedService<platform::LocalTime> service(&local);
    TGLClock& clock = LoadDigital("Mode=2\n");
    clock.UpdateDisplay();
    EXPECT_EQ(clock.TimeText, "a03:21");
    EXPECT_FALSE(Visible("time1"));
    EXPECT_EQ(Time(), "03:21");
    EXPECT_TRUE(Visible("time6"));
    EXPECT_FALSE(Visible("time7"));
    EXPECT_EQ(Date(), "12/09");
    EXPECT_EQ(Shows("day"), "wed");
    // The next minute, in the afternoon; and the 24-hour display.
    local.now.hour = 15;
    local.now.minute = 22;
    clock.UpdateDisplay();
    EXPECT_EQ(Time(), "03:22");
    EXPECT_FALSE(Visible("time6"));
    EXPECT_TRUE(Visible("time7"));
    clock.SetMode(1);
    clock.UpdateDisplay();
    EXPECT_EQ(Time(), "15:22");
    EXPECT_TRUE(Visible("time1"));
    EXPECT_FALSE(Visible("time7"));
  }
}

TEST_F(Clocks, WeekdaysByTheLocalesNames) {
  time.dayNames = {"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"};
  TGLClock& clock = LoadDigital("Mode=1\n");
  const char* sprites[] = {"sun", "mon", "tue", "wed", "thu", "fri", "sat"};
  for (int day = 0; day < 7; ++day) {
    time.now.weekday = day;
    clock.UpdateDisplay();
    EXPECT_EQ(clock.DayText, time.dayNames[size_t(day)]);
    EXPECT_EQ(Shows("day"), sprites[day]) << day;
  }
}

TEST_F(Clocks, ObjectsChangeOnlyWhenATextChanges) {
  TGLClock& clock = LoadDigital("Mode=1\n");
  clock.UpdateDisplay();
  auto* tens = Find<TMainVisualObject>("ClockResource/Objects/time4");
  auto* day = Find<TMainVisualObject>("ClockResource/Objects/day");
  auto* month = Find<TMainVisualObject>("ClockResource/Objects/month5");
  tens->Visual = day->Visual = month->Visual = nullptr;
  time.SetTime(9, 5, 59);  // the same minute
  clock.UpdateDisplay();
  EXPECT_EQ(tens->Visual, nullptr);
  EXPECT_EQ(day->Visual, nullptr);
  EXPECT_EQ(month->Visual, nullptr);
  time.SetTime(9, 6);
  clock.UpdateDisplay();
  EXPECT_EQ(Shows("time4"), "0");
  EXPECT_EQ(Shows("time5"), "6");
  EXPECT_EQ(day->Visual, nullptr);  // the day has not changed
  EXPECT_EQ(month->Visual, nullptr);
}

TEST_F(Clocks, AFrameReadsTheTimeOnceAndDrawsTheDigitsInTheTint) {
  time.SetTime(21, 5);
  TGLClock& clock = LoadDigital("Mode=2\nColor=255,128,0,255\n");
  const int readings = time.readings;
  Frame();
  EXPECT_EQ(time.readings, readings + 1);
  EXPECT_EQ(CellAt(4, 4), -1);   // time1: a hidden leading zero
  EXPECT_EQ(CellAt(12, 4), 9);   // time2
  EXPECT_EQ(CellAt(20, 4), 19);  // time3, the colon
  EXPECT_EQ(CellAt(28, 4), 0);
  EXPECT_EQ(CellAt(36, 4), 5);
  EXPECT_EQ(CellAt(44, 4), -1);  // am hidden
  EXPECT_EQ(CellAt(52, 4), 18);  // pm
  EXPECT_EQ(CellAt(4, 20), 0);
  EXPECT_EQ(CellAt(12, 20), 5);
  EXPECT_EQ(CellAt(20, 20), 19);  // month3 as described
  EXPECT_EQ(CellAt(28, 20), 0);
  EXPECT_EQ(CellAt(36, 20), 8);
  EXPECT_EQ(CellAt(4, 36), 13);  // wed
  // The tint on every sprite: green halved, blue gone.
  const std::vector<int> digit = PixelAt(12, 4);
  EXPECT_NEAR(digit[1], SkinColour(9).g * 128 / 255, 3);
  EXPECT_EQ(digit[2], 0);
  for (TMainItem* item : {clock.Sprites->FindItem("sat"), clock.Sprites->FindItem(":")})
    EXPECT_EQ(dynamic_cast<TSceneSprite*>(item)->Color, (TGLColorBytes{255, 128, 0, 255}));
  EXPECT_EQ(GL.glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Clocks, AHiddenClockKeepsItsTextsUpToDate) {
  TGLClock& clock = LoadDigital("Mode=0\n");
  EXPECT_FALSE(clock.Visible());
  Frame();
  EXPECT_FALSE(clock.Objects->Visible());
  EXPECT_EQ(CellAt(12, 4), -1);
  EXPECT_EQ(clock.TimeText, "09:05");
  time.SetTime(10, 10);
  Frame();
  EXPECT_EQ(clock.TimeText, "10:10");
  // Shown again, the current time at once.
  clock.SetMode(1);
  EXPECT_TRUE(clock.Visible());
  Frame();
  EXPECT_TRUE(clock.Objects->Visible());
  EXPECT_EQ(CellAt(4, 4), 1);
  EXPECT_EQ(CellAt(12, 4), 0);
  EXPECT_EQ(CellAt(28, 4), 1);
  EXPECT_EQ(CellAt(36, 4), 0);
}

TEST_F(Clocks, TheColonBlinksOncePerSecondOfAnimation) {
  TGLClock& clock = LoadDigital("Mode=1\n");
  TMainObject* colon = Find<TMainObject>("ClockResource/Objects/time3");
  ASSERT_TRUE(colon->Visible());
  clock.Animate(0.4f);
  clock.Animate(0.4f);
  EXPECT_TRUE(colon->Visible());
  EXPECT_FLOAT_EQ(clock.BlinkTime, 0.8f);
  clock.Animate(0.4f);
  EXPECT_FALSE(colon->Visible());
  EXPECT_EQ(clock.BlinkTime, 0.0f);
  // The wall clock's seconds do not matter; a long step toggles once.
  time.SetTime(9, 5, 30);
  clock.Animate(0.5f);
  EXPECT_FALSE(colon->Visible());
  clock.Animate(5.0f);
  EXPECT_TRUE(colon->Visible());
  EXPECT_EQ(clock.BlinkTime, 0.0f);
  // Steps that are no time at all.
  clock.Animate(std::numeric_limits<float>::quiet_NaN());
  clock.Animate(-3.0f);
  clock.Animate(std::numeric_limits<float>::infinity());
  EXPECT_EQ(clock.BlinkTime, 0.0f);
  EXPECT_TRUE(colon->Visible());
}

TEST_F(Clocks, OptionsOfTheDigitalClock) {
  TGLClock& clock = LoadDigital("Mode=1\nColor=65,170,255,255\n");
  scene_->Application = &App();
  App().WriteOptionInteger("Clock Mode", 2);
  App().WriteOptionString("Clock Color", "10,20,30");
  clock.LoadOptions();
  EXPECT_EQ(clock.Mode(), 2);
  EXPECT_EQ(clock.Color, (TGLColorBytes{10, 20, 30, 255}));
  clock.SetMode(0);
  EXPECT_FALSE(clock.Visible());
  clock.Color = {1, 2, 3, 4};
  clock.SaveOptions();
  EXPECT_EQ(App().ReadOptionString("Clock Mode", ""), "0");
  EXPECT_EQ(App().ReadOptionString("Clock Color", ""), "1,2,3,4");
  // A damaged settings file: a broken colour or a mode the clock does not
  // have leaves the current one, with a warning naming it.
  App().WriteOptionInteger("Clock Mode", 1);
  App().WriteOptionString("Clock Color", "blue");
  testing::internal::CaptureStderr();
  clock.LoadOptions();
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "velmora: warning: TGLClock.LoadOptions: Clock Color \"blue\" is not a colour: 'blue' is not a valid "
            "integer value; the colour stays 1,2,3,4\n");
  EXPECT_EQ(clock.Mode(), 1);
  EXPECT_EQ(clock.Color, (TGLColorBytes{1, 2, 3, 4}));
  // The same problem is said once a run, however often it is read.
  std::string all;
  for (const char* mode : {"7", "-1", "two"}) {
    App().WriteOptionString("Clock Mode", mode);
    App().WriteOptionString("Clock Color", "1,2,300");
    testing::internal::CaptureStderr();
    clock.LoadOptions();
    const std::string warnings = testing::internal::GetCapturedStderr();
    all += warnings;
    EXPECT_NE(warnings.find(std::string(mode) == "two" ? "option \"Clock Mode\" is 'two'"
                                                       : "Clock Mode " + std::string(mode) + " is not 0, 1 or 2; the "
                                                                                             "mode stays 1"),
              std::string::npos)
        << warnings;
    EXPECT_EQ(clock.Mode(), 1) << mode;
    EXPECT_TRUE(clock.Visible()) << mode;
    EXPECT_EQ(clock.Color, (TGLColorBytes{1, 2, 3, 4})) << mode;
  }
  const std::string colour = "Clock Color \"1,2,300\" is not a colour: 300 is out of range 0..255";
  const size_t first = all.find(colour);
  EXPECT_NE(first, std::string::npos) << all;
  EXPECT_EQ(all.find(colour, first + 1), std::string::npos) << "said more than once:\n" << all;
}

TEST_F(Clocks, KeysOfTheDigitalClockReadBack) {
  TGLClock& clock = LoadDigital("Color=65,170\n");
  EXPECT_EQ(clock.Mode(), 0);  // without the key
  EXPECT_FALSE(clock.Visible());
  EXPECT_EQ(clock.Color, (TGLColorBytes{65, 170, 255, 255}));
  EXPECT_EQ(clock.Sprites, scene_->FindObject("ClockResource/Sprites"));
  EXPECT_EQ(clock.Objects, scene_->FindObject("ClockResource/Objects"));
  clock.SetMode(2);
  scene_->SourceName = "saved.gsc";
  scene_->Save();
  const std::string saved = files.Read("saved.gsc");
  EXPECT_THAT(saved, HasSubstr("Type=TGLClock\r\nName=GLClock\r\nProcessOptions=[Render,Animation]\r\nAlpha=1\r\n"
                               "Sprites=ClockResource/Sprites\r\nObjects=ClockResource/Objects\r\n"
                               "Color=65,170,255,255\r\nMode=2\r\n"));
  Load(saved);
  EXPECT_EQ(Find<TGLClock>("GLClock")->Mode(), 2);
  EXPECT_EQ(Find<TGLClock>("GLClock")->Color, (TGLColorBytes{65, 170, 255, 255}));
  // A bad colour is a load error naming the key.
  EXPECT_THAT(Message([&] { LoadDigital("Color=65,lots\n"); }), HasSubstr("key Color"));
}

// --- the analogue clock ------------------------------------------------------------

class WatchClocks : public Clocks {
 protected:
  TWatchClock& LoadWatch(const std::string& keys) {
    Load("[MainScene]\nCount=2\n"
         "[MainScene1]\nType=TSceneMeshList\nName=Meshes\nCount=4\n"
         "[Meshes1]\nType=TTestHand\nName=Face\n[Meshes2]\nType=TTestHand\nName=Hour\n"
         "[Meshes3]\nType=TTestHand\nName=Min\n[Meshes4]\nType=TTestHand\nName=Sec\n"
         "[MainScene2]\nType=TWatchClock\nName=Clock\nProcessOptions=[Render,Animation]\nAlpha=1\n" +
         keys);
    return *Find<TWatchClock>("Clock");
  }
  TTestHand& Hand(const std::string& name) { return *Find<TTestHand>("Meshes/" + name); }
};

TEST_F(WatchClocks, HandsTurnClockwiseAboutTheViewAxis) {
  time.SetTime(12, 40, 15);
  TWatchClock& clock =
      LoadWatch("VisualOptions=[Position]\nPosition=10,20,-30\n"
                "ClockFace=Meshes/Face\nHourHand=Meshes/Hour\nMinHand=Meshes/Min\nSecHand=Meshes/Sec\n");
  StartFrame();
  // Face, minute, second, hour; each hand turned by minus its angle about
  // +z (clockwise as the viewer sees it), all at the clock's place, depth
  // tested, each pulled nearer than the part drawn before it.
  GL.glDisable(GL_DEPTH_TEST);
  EXPECT_EQ(TTestHand::Order(), (std::vector<std::string>{}));
  clock.Render();
  EXPECT_EQ(TTestHand::Order(), (std::vector<std::string>{"Face", "Min", "Sec", "Hour"}));
  const std::tuple<const char*, float, float> turns[] = {
      {"Face", 0, 0}, {"Min", 120, -4}, {"Sec", 90, -8}, {"Hour", 72, -12}};
  for (const auto& [name, turn, offset] : turns) {
    SCOPED_TRACE(name);
    ASSERT_EQ(Hand(name).Passes.size(), 1u);
    const TTestHand::Pass& pass = Hand(name).Passes[0];
    EXPECT_NEAR(pass.turn, turn, 1e-3);
    EXPECT_FLOAT_EQ(pass.x, 10);
    EXPECT_FLOAT_EQ(pass.y, 20);
    EXPECT_FLOAT_EQ(pass.z, -30);
    EXPECT_TRUE(pass.depthTest);
    EXPECT_FLOAT_EQ(pass.offsetUnits, offset);
    // The opaque pass draws every part once, unturned.
    EXPECT_EQ(Hand(name).OpaquePasses, 1);
  }
  // Left on for what the scene draws next, without the offset.
  EXPECT_TRUE(GL.glIsEnabled(GL_DEPTH_TEST));
  EXPECT_FALSE(GL.glIsEnabled(GL_POLYGON_OFFSET_FILL));
  std::array<float, 16> m{};
  GL.glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
  EXPECT_EQ(m[12], 0.0f);  // the matrix restored

  // Six minutes later the hour hand has not moved, at twelve it has.
  time.SetTime(12, 47, 0);
  clock.RenderTransparent();
  EXPECT_NEAR(Hand("Hour").Passes.back().turn, 72, 1e-3);
  EXPECT_NEAR(Hand("Min").Passes.back().turn, 78, 1e-3);  // -282 about +z
  time.SetTime(12, 48, 0);
  clock.RenderTransparent();
  EXPECT_NEAR(Hand("Hour").Passes.back().turn, 66, 1e-3);
}

TEST_F(WatchClocks, MissingPartsAreLeftOut) {
  TWatchClock& clock = LoadWatch("VisualOptions=[Position]\nMinHand=Meshes/Min\nSecHand=Meshes/Nothing\n");
  EXPECT_EQ(clock.ClockFace, nullptr);
  EXPECT_EQ(clock.SecHand, nullptr);
  StartFrame();
  clock.Render();
  EXPECT_EQ(TTestHand::Order(), (std::vector<std::string>{"Min"}));
  EXPECT_EQ(GL.glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(WatchClocks, VisibilityOptionAndKeys) {
  TWatchClock& clock = LoadWatch("Position=0,0,-2900\nAngles=4,-10,0\nClockFace=Meshes/Face\nHourHand=Meshes/Hour\n"
                                 "MinHand=Meshes/Min\nSecHand=Meshes/Sec\n");
  scene_->Application = &App();
  clock.LoadOptions();
  EXPECT_TRUE(clock.Visible());  // default
  App().WriteOptionBool("ClockVisible", false);
  clock.LoadOptions();
  EXPECT_FALSE(clock.Visible());
  clock.SetVisible(true);
  clock.SaveOptions();
  EXPECT_TRUE(App().ReadOptionBool("ClockVisible", false));

  scene_->SourceName = "saved.gsc";
  scene_->Save();
  const std::string saved = files.Read("saved.gsc");
  EXPECT_THAT(saved, HasSubstr("ClockFace=Meshes/Face\r\nHourHand=Meshes/Hour\r\nMinHand=Meshes/Min\r\n"
                               "SecHand=Meshes/Sec\r\n"));
  Load(saved);
  TWatchClock* again = Find<TWatchClock>("Clock");
  EXPECT_EQ(again->HourHand, scene_->FindObject("Meshes/Hour"));
  EXPECT_EQ(again->Position.z, -2900);
  EXPECT_EQ(again->Angles.y, -10);
}

}  // namespace
}  // namespace worldtest
