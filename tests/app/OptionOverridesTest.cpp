#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ApplicationPro.h"
#include "app/Form.h"
#include "app/OptionOverrides.h"
#include "app/Toolkit.h"
#include "core/Error.h"
#include "tests/app/ShellTestSupport.h"

using namespace velmora;
using platform::SettingsRoot;

namespace {

const std::string kKey = "Software\\Ostrevin\\Velmora 1";

TOptionOverrides Take(std::vector<std::string>& argv) { return TakeOptionSwitches(argv); }

std::string ParseError(std::vector<std::string> argv) {
  try {
    TakeOptionSwitches(argv);
  } catch (const Error& e) {
    return e.what();
  }
  return "accepted";
}

}  // namespace

TEST(OptionSwitches, EachSwitchSetsItsOptionAndTheRestStaysInOrder) {
  std::vector<std::string> argv = {"velmora",     "-root",    "-water", "Aquamarine", "--fish-type", "freshwater",
                                   "-fish-count", "35",       "/s",     "-bubble-count", "0",        "-no-clock",
                                   "-sound",      "--fps",    "extra"};
  TOptionOverrides t = Take(argv);
  EXPECT_EQ(argv, (std::vector<std::string>{"velmora", "-root", "/s", "extra"}));
  EXPECT_EQ(t.Find("WaterBackgroundIndex"), "1");
  EXPECT_EQ(t.Find("FishTypeIndex"), "1");
  EXPECT_EQ(t.Find("FishCount"), "35");
  EXPECT_EQ(t.Find("BubbleCount"), "0");
  EXPECT_EQ(t.Find("ClockVisible"), "0");
  EXPECT_EQ(t.Find("Clock Mode"), "0");
  EXPECT_EQ(t.Find("Sounds Active"), "-1");
  EXPECT_EQ(t.Find("Bubbles Sound - 1Played"), "-1");
  EXPECT_EQ(t.Find("FPS"), "-1");
  // Names the switches do not touch stay with the store.
  EXPECT_FALSE(t.Find("UseLights"));
  EXPECT_FALSE(t.Find("Bubbles Sound - 1Volume"));
  EXPECT_FALSE(t.Find("Clock Color"));

  std::vector<std::string> none = {"velmora", "/p", "1234"};
  EXPECT_TRUE(Take(none).Empty());
  EXPECT_EQ(none.size(), 3u);
}

TEST(OptionSwitches, TheLastSwitchOfAnOptionWins) {
  std::vector<std::string> argv = {"velmora", "-water", "green", "-water", "blue", "-no-clock", "-clock",
                                   "-sound",  "-no-sound", "-fps", "-no-fps"};
  TOptionOverrides t = Take(argv);
  EXPECT_EQ(t.Find("WaterBackgroundIndex"), "0");
  EXPECT_EQ(t.Find("ClockVisible"), "-1");
  // -clock leaves the digital clock's stored mode in force again.
  EXPECT_FALSE(t.Find("Clock Mode"));
  EXPECT_EQ(t.Find("Sounds Active"), "0");
  EXPECT_EQ(t.Find("Ambient Played"), "0");
  EXPECT_EQ(t.Find("FPS"), "0");
}

TEST(OptionSwitches, BadValuesAreRefusedWithTheirReason) {
  EXPECT_EQ(ParseError({"velmora", "-water", "purple"}),
            "TOptionOverrides.Parse error: -water needs one of blue, aquamarine or green, not \"purple\"");
  EXPECT_EQ(ParseError({"velmora", "-fish-type", "pond"}),
            "TOptionOverrides.Parse error: -fish-type needs one of saltwater or freshwater, not \"pond\"");
  EXPECT_EQ(ParseError({"velmora", "-fish-count", "101"}),
            "TOptionOverrides.Parse error: -fish-count needs a whole number 0..100, not \"101\"");
  EXPECT_EQ(ParseError({"velmora", "--bubble-count", "-1"}),
            "TOptionOverrides.Parse error: --bubble-count needs a whole number 0..100, not \"-1\"");
  EXPECT_EQ(ParseError({"velmora", "-bubble-count", "ten"}),
            "TOptionOverrides.Parse error: -bubble-count needs a whole number 0..100, not \"ten\"");
  EXPECT_EQ(ParseError({"velmora", "-fish-count"}), "TOptionOverrides.Parse error: -fish-count needs a value");
  EXPECT_EQ(ParseError({"velmora", "-root", "-water"}), "TOptionOverrides.Parse error: -water needs a value");
  EXPECT_EQ(ParseError({"velmora", "-scale", "60"}),
            "TOptionOverrides.Parse error: -scale needs one of 100, 75 or 50, not \"60\"");
  EXPECT_EQ(ParseError({"velmora", "-scale"}), "TOptionOverrides.Parse error: -scale needs a value");
  // Every switch has a line of help.
  EXPECT_EQ(OptionSwitches().size(), 8u);
}

TEST(OptionSwitches, ScaleSetsTheRenderScaleForThisRun) {
  for (const char* value : {"100", "75", "50"}) {
    std::vector<std::string> argv = {"velmora", "-s", "--scale", value};
    TOptionOverrides t = Take(argv);
    EXPECT_EQ(argv, (std::vector<std::string>{"velmora", "-s"}));
    EXPECT_EQ(t.Find("RenderScale"), value);
  }
}

TEST(OptionOverridesTable, ExactNamesWinOverEndings) {
  TOptionOverrides t;
  EXPECT_TRUE(t.Empty());
  t.SetEnding("Played", "0");
  t.Set("Rain Played", "-1");
  EXPECT_EQ(t.Find("Rain Played"), "-1");
  EXPECT_EQ(t.Find("Bubbles Played"), "0");
  EXPECT_FALSE(t.Find("Played Volume"));
  EXPECT_FALSE(t.Find("layed"));
  t.SetEnding("Played", "-1");  // replaces, does not add
  EXPECT_EQ(t.Find("Bubbles Played"), "-1");
  t.Remove("Rain Played");
  EXPECT_EQ(t.Find("Rain Played"), "-1");  // now from the ending
  t.Clear();
  EXPECT_TRUE(t.Empty());
  EXPECT_FALSE(t.Find("Bubbles Played"));
}

// The option store of the application object with the table in force.
class OptionStoreOverrideTest : public ::testing::Test, protected shelltest::PlatformFakes {
 protected:
  OptionStoreOverrideTest() { clock.Set(1000); }

  void SetUp() override {
    Application().Reset();
    TCustomApplicationPro::OptionOverrides().Clear();
    app = new TCustomApplicationPro(&form);
    app->Title = "Velmora";
    app->Company = "Ostrevin";
    TComponent::BeginLoadingAll(&form);
    TComponent::EndLoadingAll(&form);
    // The scene's and the world's options: plain names, per-user root.
    app->NamesScrambled = false;
    app->SetUseLocalMachine(false);
  }
  void TearDown() override {
    TCustomApplicationPro::OptionOverrides().Clear();
    Application().Reset();
  }

  void Switches(std::vector<std::string> argv) { TCustomApplicationPro::OptionOverrides() = TakeOptionSwitches(argv); }
  std::optional<std::string> Stored(const std::string& name) { return store.Value(SettingsRoot::CurrentUser, kKey, name); }

  TForm form{nullptr};
  TCustomApplicationPro* app = nullptr;
};

TEST_F(OptionStoreOverrideTest, SwitchesAnswerBeforeTheStoreAndKeepItClosed) {
  store.SetValue(SettingsRoot::CurrentUser, kKey, "FishCount", "20");
  store.SetValue(SettingsRoot::CurrentUser, kKey, "WaterBackgroundIndex", "2");
  store.SetValue(SettingsRoot::CurrentUser, kKey, "FPS", "0");
  store.SetValue(SettingsRoot::CurrentUser, kKey, "UseLights", "0");
  store.SetValue(SettingsRoot::CurrentUser, kKey, "Bubbles Sound - 1Played", "-1");
  Switches({"velmora", "-root", "-fish-count", "7", "-water", "blue", "-fps", "-no-sound"});
  const size_t opensBefore = store.Opens().size();
  EXPECT_EQ(app->ReadOptionInteger("FishCount", 20), 7);
  EXPECT_EQ(app->ReadOptionInteger("WaterBackgroundIndex", 0), 0);
  EXPECT_TRUE(app->ReadOptionBool("FPS", false));
  EXPECT_FALSE(app->ReadOptionBool("Bubbles Sound - 1Played", true));
  EXPECT_FALSE(app->ReadOptionBool("Sounds Active", true));
  EXPECT_EQ(app->ReadOptionString("FishCount", ""), "7");
  EXPECT_EQ(store.Opens().size(), opensBefore) << "the store is not asked for a switched option";
  // Everything else still comes from the store.
  EXPECT_FALSE(app->ReadOptionBool("UseLights", true));
  EXPECT_EQ(app->ReadOptionInteger("BubbleCount", 50), 50);

  // The application's own options (complemented names, machine-wide root)
  // are looked up by their plain name too.
  app->NamesScrambled = true;
  app->SetUseLocalMachine(true);
  EXPECT_EQ(app->ReadOptionInteger("FishCount", 0), 7);
}

TEST_F(OptionStoreOverrideTest, WritingASwitchedOptionLeavesTheStoredValue) {
  store.SetValue(SettingsRoot::CurrentUser, kKey, "FishCount", "20");
  Switches({"velmora", "-fish-count", "7", "-no-sound"});
  const int writesBefore = store.Writes();
  // What the world and the sounds write back when the settings are saved.
  app->WriteOptionInteger("FishCount", 9);
  app->WriteOptionBool("Bubbles Sound - 2Played", true);
  app->WriteOptionBool("Sounds Active", true);
  EXPECT_EQ(store.Writes(), writesBefore);
  EXPECT_EQ(Stored("FishCount"), "20");
  EXPECT_FALSE(Stored("Bubbles Sound - 2Played"));
  EXPECT_FALSE(Stored("Sounds Active"));
  // The run sees what it wrote last; the other sounds keep the switch.
  EXPECT_EQ(app->ReadOptionInteger("FishCount", 0), 9);
  EXPECT_TRUE(app->ReadOptionBool("Bubbles Sound - 2Played", false));
  EXPECT_FALSE(app->ReadOptionBool("Bubbles Sound - 1Played", true));

  // Options without a switch are written as always.
  app->WriteOptionInteger("BubbleCount", 30);
  EXPECT_EQ(Stored("BubbleCount"), "30");
  EXPECT_EQ(store.Writes(), writesBefore + 1);

  // The next run without switches finds the user's own settings.
  TCustomApplicationPro::OptionOverrides().Clear();
  EXPECT_EQ(app->ReadOptionInteger("FishCount", 0), 20);
  EXPECT_TRUE(app->ReadOptionBool("Bubbles Sound - 2Played", true));
}

TEST_F(OptionStoreOverrideTest, SwitchesHoldEvenWhenTheStoredValueIsBroken) {
  // A stored text that is no number gives the default with a warning; the
  // switch replaces it without one.
  store.SetValue(SettingsRoot::CurrentUser, kKey, "BubbleCount", "many");
  testing::internal::CaptureStderr();
  EXPECT_EQ(app->ReadOptionInteger("BubbleCount", 50), 50);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("\"BubbleCount\" is 'many'"), std::string::npos);
  Switches({"velmora", "-bubble-count", "12"});
  testing::internal::CaptureStderr();
  EXPECT_EQ(app->ReadOptionInteger("BubbleCount", 50), 12);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}
