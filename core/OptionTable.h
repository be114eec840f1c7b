// The options an owner keeps in the settings store, each declared once:
// the key it is stored under, its kind, its default, its range or choices
// and, when it has one, the switch that sets it for one run.
//
// Every owner of stored settings (the application, the scene, the world,
// the clocks) declares its options as constants of this type in a header
// of its own and lists them in one TOptionTable. Its LoadOptions and
// SaveOptions read and write the keys through them, the dialogs take their
// limits from them, and the one-run switches (app/OptionOverrides) and the
// daemon's settings page are made from the options that have a switch.
// Nothing registers itself: app/OptionOwners.h lists the tables.
//
// Keys: a whole key ("FishCount"), or the ending of a key per object of
// the scene (Form Ending: "<object name>Played", "<list name>
// Quality"; an empty ending is the object's name itself). Key() makes the
// key text as the store holds it.
//
// Defaults: Default (booleans 0/1, integers) or Text (text options); an
// option whose default is the value its object already holds (read from
// the scene description, or set before) has FromObject set, and its
// owner passes that value as the default.
//
// Switches: "-<Switch>" (also with two dashes) sets the option for one
// run. A boolean's switch comes as "-X" and "-no-X"; an integer with
// choices takes one of their words ("-water aquamarine"); an integer
// with a range takes a whole number in it ("-fish-count 30"). Several
// options may share a switch: the first of them in the owners' order makes
// it and gives its usage; a boolean among the others follows it (on/off),
// an integer with choices among them takes its first choice with "-no-X"
// and keeps its stored value with "-X" ("-no-clock" also sets "Clock
// Mode" to "None").
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

enum class TOptionKind : uint8_t { Bool, Integer, Text };

// How the stored key is made of the option's Name.
enum class TOptionKey : uint8_t {
  Whole,   // the key is Name
  Ending,  // the key is an object's name followed by Name
};

// One value an option may take: the word the switch, the daemon's page and
// (text options) the store use for it, and the integer it stands for.
struct TOptionChoice {
  const char* Word;
  int32_t Value;
};

struct TOption {
  const char* Name;
  TOptionKind Kind;
  // The default of a boolean (0 or 1) or an integer option.
  int32_t Default = 0;
  // The default of a text option.
  const char* Text = "";
  // The default is the value the object already holds.
  bool FromObject = false;
  // The range of an integer option; Min > Max: any integer.
  int32_t Min = 0;
  int32_t Max = -1;
  std::span<const TOptionChoice> Choices = {};
  TOptionKey Form = TOptionKey::Whole;
  // The one-run switch without its dash, nullptr when there is none.
  const char* Switch = nullptr;
  // What the switch does, for --help (the first option of a switch; a
  // range is added: "how many fish swim, 0 to 100").
  const char* Help = nullptr;

  bool HasRange() const { return Min <= Max; }
  bool BoolDefault() const { return Default != 0; }
  // The key of this option for the object named `object` (Ending keys);
  // Whole keys are Name whatever the object.
  std::string Key(std::string_view object = {}) const;
  // The choice whose word is `word` (exactly, or ignoring case), nullptr
  // when none is.
  const TOptionChoice* FindChoice(std::string_view word, bool ignoreCase = false) const;
  // The choice that stands for `value`, nullptr when none does.
  const TOptionChoice* ChoiceOf(int32_t value) const;
  // The choices' words: "blue, aquamarine or green".
  std::string ChoiceList() const;
  // The choices' words in order, as a drop-down list shows them.
  std::vector<std::string> ChoiceWords() const;
  // The default as the store writes it: "-1"/"0" for booleans, the number,
  // the text.
  std::string DefaultText() const;
};

// One owner's options; --help lists their switches in this order.
struct TOptionTable {
  const char* Owner;
  std::span<const TOption* const> Options;

  // The option stored under `name` (Whole keys) or ending in it (Ending
  // keys, compared as the ending itself), nullptr when none is.
  const TOption* Find(std::string_view name) const;
};

}  // namespace velmora
