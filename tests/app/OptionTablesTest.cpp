// The owners' option tables, and the daemon's settings page
// (data/desktop/velmora.xml) checked against them: every choice and slider
// of the page is an option's switch with the same choices, range and
// default, and every switch of the tables is on the page.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/OptionOwners.h"
#include "core/OptionTable.h"

using namespace velmora;

namespace {

struct TElement {
  std::string Tag;  // "select", "/select", "option", "number", ...
  std::map<std::string, std::string> Attributes;
};

// The page's elements in order (comments left out).
std::vector<TElement> ReadElements(const std::string& page) {
  const std::string text = std::regex_replace(page, std::regex("<!--[^]*?-->"), "");
  static const std::regex element(R"(<\s*(/?[\w-]+)([^>]*)>)"), attribute(R"(([\w-]+)\s*=\s*"([^"]*)\")");
  std::vector<TElement> elements;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), element); it != std::sregex_iterator(); ++it) {
    TElement e{(*it)[1], {}};
    const std::string attributes = (*it)[2];
    for (auto a = std::sregex_iterator(attributes.begin(), attributes.end(), attribute); a != std::sregex_iterator(); ++a)
      e.Attributes[(*a)[1]] = (*a)[2];
    elements.push_back(std::move(e));
  }
  return elements;
}

// The options of a switch in the owners' order; the first makes it.
std::vector<const TOption*> SwitchOptions(const std::string& word) {
  std::vector<const TOption*> options;
  for (const TOptionTable* owner : OptionOwners())
    for (const TOption* option : owner->Options)
      if (option->Switch && word == option->Switch) options.push_back(option);
  return options;
}

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

// What the page gets wrong against the tables, one line each; none for a
// page that agrees.
std::vector<std::string> PageProblems(const std::string& page) {
  std::vector<std::string> problems;
  std::set<std::string> offered;
  const std::vector<TElement> elements = ReadElements(page);
  for (size_t i = 0; i < elements.size(); ++i) {
    const TElement& e = elements[i];
    if (e.Tag == "number") {
      const std::vector<std::string> arg = Words(e.Attributes.count("arg") ? e.Attributes.at("arg") : "");
      if (arg.size() != 2 || arg[0].size() < 2 || arg[0][0] != '-' || arg[1] != "%") {
        problems.push_back("a slider without \"-switch %\"");
        continue;
      }
      const std::string word = arg[0].substr(1);
      const std::vector<const TOption*> options = SwitchOptions(word);
      if (options.empty()) {
        problems.push_back("-" + word + ": no option has this switch");
        continue;
      }
      const TOption& o = *options.front();
      if (o.Kind != TOptionKind::Integer || !o.Choices.empty() || !o.HasRange()) {
        problems.push_back("-" + word + ": a slider for an option that is no number in a range");
        continue;
      }
      auto same = [&](const char* name, int32_t value) {
        auto it = e.Attributes.find(name);
        if (it == e.Attributes.end() || it->second != std::to_string(value))
          problems.push_back("-" + word + ": " + name + " is \"" +
                             (it == e.Attributes.end() ? std::string("(none)") : it->second) + "\", not " +
                             std::to_string(value));
      };
      same("low", o.Min);
      same("high", o.Max);
      same("default", o.Default);
      offered.insert(word);
    } else if (e.Tag == "select") {
      // The first entry passes nothing (the stored value holds); the others
      // each pass one value of one switch.
      std::string word;
      std::set<std::string> values;
      size_t entries = 0;
      for (++i; i < elements.size() && elements[i].Tag != "/select"; ++i) {
        if (elements[i].Tag != "option") continue;
        auto set = elements[i].Attributes.find("arg-set");
        if (entries++ == 0) {
          if (set != elements[i].Attributes.end()) problems.push_back("a choice whose first entry passes a switch");
          continue;
        }
        if (set == elements[i].Attributes.end()) {
          problems.push_back("a choice with a second entry that passes nothing");
          continue;
        }
        const std::vector<std::string> arg = Words(set->second);
        if (arg.empty() || arg.size() > 2 || arg[0].size() < 2 || arg[0][0] != '-') {
          problems.push_back("\"" + set->second + "\" is no switch");
          continue;
        }
        std::string w = arg[0].substr(1);
        if (arg.size() == 1) {
          // A boolean: "-X" or "-no-X".
          values.insert(w.rfind("no-", 0) == 0 ? "off" : "on");
          if (w.rfind("no-", 0) == 0) w = w.substr(3);
        } else {
          values.insert(arg[1]);
        }
        if (!word.empty() && w != word) problems.push_back("one choice passes both -" + word + " and -" + w);
        word = w;
      }
      if (word.empty()) continue;
      const std::vector<const TOption*> options = SwitchOptions(word);
      if (options.empty()) {
        problems.push_back("-" + word + ": no option has this switch");
        continue;
      }
      const TOption& o = *options.front();
      std::set<std::string> expected;
      if (o.Kind == TOptionKind::Bool)
        expected = {"on", "off"};
      else
        for (const std::string& w : o.ChoiceWords()) expected.insert(w);
      if (values != expected) {
        std::string got, want;
        for (const std::string& v : values) got += " " + v;
        for (const std::string& v : expected) want += " " + v;
        problems.push_back("-" + word + ": the page offers" + got + ", the option has" + want);
      }
      offered.insert(word);
    }
  }
  for (const TOptionTable* owner : OptionOwners())
    for (const TOption* option : owner->Options)
      if (option->Switch && !offered.count(option->Switch))
        problems.push_back("-" + std::string(option->Switch) + " (" + owner->Owner + " option \"" + option->Name +
                           "\") is not on the page");
  return problems;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

}  // namespace

TEST(DaemonPage, AgreesWithTheOptionTables) {
  const std::string page = ReadFile(VELMORA_DAEMON_PAGE);
  ASSERT_NE(page.find("<screensaver"), std::string::npos) << VELMORA_DAEMON_PAGE;
  const std::vector<std::string> problems = PageProblems(page);
  std::string all;
  for (const std::string& p : problems) all += p + "\n";
  EXPECT_TRUE(problems.empty()) << all;
}

TEST(DaemonPage, APageThatDisagreesIsFound) {
  const std::string page = ReadFile(VELMORA_DAEMON_PAGE);
  ASSERT_TRUE(PageProblems(page).empty());
  // Another default, another end of a range.
  EXPECT_EQ(PageProblems(Replaced(page, "default=\"20\"", "default=\"25\"")),
            std::vector<std::string>{"-fish-count: default is \"25\", not 20"});
  EXPECT_EQ(PageProblems(Replaced(page, "high=\"100\" default=\"50\"", "high=\"50\" default=\"50\"")),
            std::vector<std::string>{"-bubble-count: high is \"50\", not 100"});
  // A choice missing, a word the switch does not take, a switch that is no
  // option's.
  const std::string green = R"(<option id="water-green" _label="Green water" arg-set="-water green"/>)";
  EXPECT_EQ(PageProblems(Replaced(page, green, "")),
            std::vector<std::string>{"-water: the page offers aquamarine blue, the option has aquamarine blue green"});
  EXPECT_EQ(PageProblems(Replaced(page, "arg-set=\"-water green\"", "arg-set=\"-water Green\"")),
            std::vector<std::string>{
                "-water: the page offers Green aquamarine blue, the option has aquamarine blue green"});
  EXPECT_EQ(PageProblems(Replaced(page, "arg=\"-fish-count %\"", "arg=\"-fish-number %\"")),
            (std::vector<std::string>{"-fish-number: no option has this switch",
                                      "-fish-count (world option \"FishCount\") is not on the page"}));
  // A boolean offered only one way.
  EXPECT_EQ(PageProblems(Replaced(page, R"(arg-set="-no-fps")", "")).size(), 2u);
}

TEST(OptionTables, EachOptionIsDeclaredSoundly) {
  std::set<std::pair<std::string, TOptionKey>> keys;
  for (const TOptionTable* owner : OptionOwners()) {
    for (const TOption* o : owner->Options) {
      const std::string what = std::string(owner->Owner) + " option \"" + o->Name + "\"";
      // One declaration per stored key across the owners.
      EXPECT_TRUE(keys.insert({o->Name, o->Form}).second) << what << " is declared twice";
      if (o->Kind == TOptionKind::Bool && !o->FromObject) {
        EXPECT_TRUE(o->Default == 0 || o->Default == 1) << what;
      }
      if (o->Kind == TOptionKind::Integer && !o->FromObject) {
        if (o->HasRange()) {
          EXPECT_TRUE(o->Default >= o->Min && o->Default <= o->Max) << what;
        }
        if (!o->Choices.empty()) {
          EXPECT_NE(o->ChoiceOf(o->Default), nullptr) << what;
        }
      }
      if (o->Kind == TOptionKind::Text && !o->FromObject && !o->Choices.empty()) {
        EXPECT_NE(o->FindChoice(o->Text), nullptr) << what;
      }
      for (const TOptionChoice& c : o->Choices) {
        if (o->HasRange()) {
          EXPECT_TRUE(c.Value >= o->Min && c.Value <= o->Max) << what << " " << c.Word;
        }
        EXPECT_EQ(o->ChoiceOf(c.Value), &c) << what << ": two choices stand for " << c.Value;
      }
      if (!o->Switch) continue;
      // A switch's first option says what it does and what it takes.
      const std::vector<const TOption*> options = SwitchOptions(o->Switch);
      if (options.front() != o) continue;
      EXPECT_TRUE(o->Help && *o->Help) << what;
      if (o->Kind == TOptionKind::Integer) {
        EXPECT_TRUE(!o->Choices.empty() || o->HasRange()) << what;
      }
      if (o->Kind == TOptionKind::Text) {
        EXPECT_FALSE(o->Choices.empty()) << what;
      }
    }
  }
}

TEST(OptionTables, KeysChoicesAndDefaultsReadAsStored) {
  const TOptionTable* world = nullptr;
  for (const TOptionTable* owner : OptionOwners())
    if (std::string(owner->Owner) == "world") world = owner;
  ASSERT_NE(world, nullptr);
  const TOption* count = world->Find("FishCount");
  ASSERT_NE(count, nullptr);
  EXPECT_EQ(count->Key("ignored"), "FishCount");
  EXPECT_EQ(count->DefaultText(), "20");
  const TOption* water = world->Find("WaterBackgroundIndex");
  ASSERT_NE(water, nullptr);
  EXPECT_EQ(water->ChoiceList(), "blue, aquamarine or green");
  EXPECT_EQ(water->FindChoice("green"), &water->Choices[2]);
  EXPECT_EQ(water->FindChoice("Green"), nullptr);
  EXPECT_EQ(water->FindChoice("Green", true), &water->Choices[2]);
  EXPECT_EQ(water->FindChoice("gree", true), nullptr);
  const TOption* direction = world->Find("FishDirection");
  ASSERT_NE(direction, nullptr);
  EXPECT_EQ(direction->DefaultText(), "Both");
  // A fish list's visibility is stored under the list's own name.
  const TOption* shown = world->Find("");
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(shown->Key("Angelfish"), "Angelfish");
  EXPECT_EQ(shown->DefaultText(), "-1");
  EXPECT_EQ(world->Find("Fishcount"), nullptr);
}
