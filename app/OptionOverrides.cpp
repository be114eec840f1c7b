#include "app/OptionOverrides.h"

#include <array>

#include "core/Error.h"
#include "core/Strings.h"

namespace velmora {

void TOptionOverrides::Set(const std::string& name, const std::string& value) { names_[name] = value; }

void TOptionOverrides::SetEnding(const std::string& ending, const std::string& value) {
  for (auto& entry : endings_) {
    if (entry.first == ending) {
      entry.second = value;
      return;
    }
  }
  endings_.emplace_back(ending, value);
}

void TOptionOverrides::Remove(const std::string& name) { names_.erase(name); }

std::optional<std::string> TOptionOverrides::Find(const std::string& name) const {
  auto it = names_.find(name);
  if (it != names_.end()) return it->second;
  for (const auto& [ending, value] : endings_) {
    if (name.size() >= ending.size() && name.compare(name.size() - ending.size(), ending.size(), ending) == 0)
      return value;
  }
  return std::nullopt;
}

void TOptionOverrides::Clear() {
  names_.clear();
  endings_.clear();
}

namespace {

// The option names the switches set: the world's, the clocks', the scene's
// and the sound list's (the shipped list is named "Sounds").
const char* const kOptWater = "WaterBackgroundIndex";
const char* const kOptFishType = "FishTypeIndex";
const char* const kOptFishCount = "FishCount";
const char* const kOptBubbleCount = "BubbleCount";
const char* const kOptClockVisible = "ClockVisible";
const char* const kOptClockMode = "Clock Mode";
const char* const kOptSoundActive = "Sounds Active";
const char* const kOptSoundPlayedEnding = "Played";
const char* const kOptFPS = "FPS";
const char* const kOptRenderScale = "RenderScale";

// The booleans as the option store writes them.
const char* const kTrue = "-1";
const char* const kFalse = "0";

constexpr int kMaxCount = 100;

[[noreturn]] void Bad(const std::string& text) { RaiseError("TOptionOverrides", "Parse", text); }

// The index of `text` among `names` (case-insensitive).
int Choice(const std::string& option, const std::string& text, std::initializer_list<const char*> names) {
  int index = 0;
  std::string list;
  for (const char* name : names) {
    if (SameText(text, name)) return index;
    list += (index == 0 ? "" : index + 1 == int(names.size()) ? " or " : ", ") + std::string(name);
    ++index;
  }
  Bad(option + " needs one of " + list + ", not \"" + text + "\"");
}

int Count(const std::string& option, const std::string& text) {
  std::optional<int64_t> n = ParseInt(text);
  if (!n || *n < 0 || *n > kMaxCount) Bad(Format("%s needs a whole number 0..%d, not \"%s\"", option.c_str(), kMaxCount,
                                                 text.c_str()));
  return int(*n);
}

}  // namespace

const std::vector<TOptionSwitch>& OptionSwitches() {
  static const std::vector<TOptionSwitch> switches = {
      {"-water blue|aquamarine|green", "the colour of the water"},
      {"-fish-type saltwater|freshwater", "the fish that swim: sea fish or river fish"},
      {"-fish-count N", "how many fish swim, 0 to 100"},
      {"-bubble-count N", "how many bubbles rise, 0 to 100"},
      {"-clock, -no-clock", "show or hide the clocks"},
      {"-sound, -no-sound", "play the water sounds or stay silent"},
      {"-fps, -no-fps", "show or hide the frame rate"},
      {"-scale 100|75|50", "draw the scene at that percentage of the window's pixels"},
  };
  return switches;
}

TOptionOverrides TakeOptionSwitches(std::vector<std::string>& argv) {
  TOptionOverrides table;
  std::vector<std::string> rest;
  if (!argv.empty()) rest.push_back(argv[0]);
  for (size_t i = 1; i < argv.size(); ++i) {
    const std::string& a = argv[i];
    // One or two dashes, as the daemon's modules take them.
    std::string name = a.size() > 2 && a[0] == '-' && a[1] == '-' ? a.substr(1) : a;
    auto value = [&]() -> const std::string& {
      if (i + 1 >= argv.size()) Bad(a + " needs a value");
      return argv[++i];
    };
    if (name == "-water") {
      table.Set(kOptWater, std::to_string(Choice(a, value(), {"blue", "aquamarine", "green"})));
    } else if (name == "-fish-type") {
      table.Set(kOptFishType, std::to_string(Choice(a, value(), {"saltwater", "freshwater"})));
    } else if (name == "-fish-count") {
      table.Set(kOptFishCount, std::to_string(Count(a, value())));
    } else if (name == "-bubble-count") {
      table.Set(kOptBubbleCount, std::to_string(Count(a, value())));
    } else if (name == "-clock") {
      table.Set(kOptClockVisible, kTrue);
      // The digital clock keeps its stored mode.
      table.Remove(kOptClockMode);
    } else if (name == "-no-clock") {
      table.Set(kOptClockVisible, kFalse);
      table.Set(kOptClockMode, "0");
    } else if (name == "-sound" || name == "-no-sound") {
      const char* on = name == "-sound" ? kTrue : kFalse;
      table.Set(kOptSoundActive, on);
      table.SetEnding(kOptSoundPlayedEnding, on);
    } else if (name == "-fps" || name == "-no-fps") {
      table.Set(kOptFPS, name == "-fps" ? kTrue : kFalse);
    } else if (name == "-scale") {
      const std::string& v = value();
      if (v != "100" && v != "75" && v != "50") Bad(a + " needs 100, 75 or 50, not \"" + v + "\"");
      table.Set(kOptRenderScale, v);
    } else {
      rest.push_back(a);
    }
  }
  argv = std::move(rest);
  return table;
}

}  // namespace velmora
