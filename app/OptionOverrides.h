// Option values given on the command line for one run.
//
// A screen-saver daemon starts its modules with switches chosen in its own
// settings program ("-water green -fish-count 30"). Those switches replace
// the stored settings of the same name for this run only: the option store
// of the application object (TCustomApplicationPro::ReadOption*) asks this
// table first, and a write of a name in the table changes the table, never
// the store. Whatever reads the options later - the world, the clocks, the
// sounds, the dialogs - gets the run's values without knowing.
//
// Lifecycle: empty at program start -> filled from the command line by
// TakeOptionSwitches in main -> read (and written) by the option store for
// the whole run -> gone with the process. Tests fill and Clear it.
//
// Entries are plain option names ("FishCount") or name endings ("Played":
// every sound's "<sound name>Played" option, whose names come from the
// scene). An exact name wins over an ending.
//
// The switches are made from the options that have one in the owners'
// tables (app/OptionOwners.h, core/OptionTable.h); today they and the
// options they set are:
//
//   -water blue|aquamarine|green      "WaterBackgroundIndex" 0, 1, 2
//   -fish-type saltwater|freshwater   "FishTypeIndex" 0, 1
//   -fish-count N (0..100)            "FishCount"
//   -bubble-count N (0..100)          "BubbleCount"
//   -clock / -no-clock                "ClockVisible"; -no-clock also "Clock Mode" 0
//   -sound / -no-sound                every "... Active" (a sound list's device,
//                                     "Sounds Active") and every "...Played"
//   -fps / -no-fps                    "FPS"
//
// Each may also be written with two dashes. Values are case-insensitive.
// Errors (all raised as velmora::Error):
//   "TOptionOverrides.Parse error: <switch> needs a value"
//   "TOptionOverrides.Parse error: <switch> needs one of <names>, not \"<text>\""
//   "TOptionOverrides.Parse error: <switch> needs a whole number 0..100, not \"<text>\""
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace velmora {

class TOptionOverrides {
 public:
  // Sets (or replaces) the value of one option name.
  void Set(const std::string& name, const std::string& value);
  // Sets the value of every option whose name ends with `ending`.
  void SetEnding(const std::string& ending, const std::string& value);
  // Forgets one option name (its stored value counts again).
  void Remove(const std::string& name);
  // The run's value of an option, if the table names it.
  std::optional<std::string> Find(const std::string& name) const;
  bool Empty() const { return names_.empty() && endings_.empty(); }
  void Clear();

  const std::map<std::string, std::string>& Names() const { return names_; }

 private:
  std::map<std::string, std::string> names_;
  std::vector<std::pair<std::string, std::string>> endings_;
};

// One switch of the table above, for --help and the manual page.
struct TOptionSwitch {
  std::string Usage;        // "-water blue|aquamarine|green"
  std::string Description;  // what it shows
};
const std::vector<TOptionSwitch>& OptionSwitches();

// Takes the switches above out of argv (argument 0 stays) and returns the
// table they make; the rest of argv is left in order for the other parsers.
// A later switch of the same option wins. Raises on a missing or bad value.
TOptionOverrides TakeOptionSwitches(std::vector<std::string>& argv);

}  // namespace velmora
