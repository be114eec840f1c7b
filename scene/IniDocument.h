// A scene description parsed into sections of key lines.
//
// Text format (one statement per line; lines end with CR LF, LF or CR,
// already split when they reach Parse):
//   - leading and trailing blanks of every line are ignored; blank lines
//     and lines whose first character is ";" are skipped
//   - "[" name "]" opens a section; the name is trimmed
//   - key "=" value sets a key of the current section; blanks around "="
//     are ignored, the value is everything after the first "="
//   - lines before the first section and lines without "=" are ignored
// Section names and keys match without regard to case; where a section
// name or a key within a section occurs twice, the first one counts.
//
// Written (ToLines): each section as "[" name "]", its key lines
// "key=value", then an empty line.
//
// Finding a section or a key takes the same time however many there are,
// so that a description is read in time that grows with its length.
//
// Lifecycle: made empty -> Parse (or written to key by key) -> read by the
// loader -> ToLines when it is saved. It holds only what the text holds.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace velmora {

class TIniDocument {
 public:
  struct TKeyLine {
    std::string key;
    std::string value;
  };
  // keys keeps the order of the text (for writing it back); byKey finds a
  // key without going through them. Both change only through Parse and
  // WriteValue.
  struct TSection {
    std::string name;
    std::vector<TKeyLine> keys;
    // Lower-cased key -> position of its first occurrence in keys.
    std::unordered_map<std::string, size_t> byKey;
  };

  // Adds the sections and keys of lines to the document.
  void Parse(const std::vector<std::string>& lines);
  std::vector<std::string> ToLines() const;

  // The first section of that name, or nullptr.
  const TSection* FindSection(std::string_view name) const;
  // The value of the first occurrence of key in the first section named
  // section; false when either is missing.
  bool ReadValue(std::string_view section, std::string_view key, std::string& value) const;
  // Replaces the value of the key's first occurrence, or appends the key
  // (and the section when it is new).
  void WriteValue(std::string_view section, std::string_view key, std::string_view value);

  int SectionCount() const { return static_cast<int>(sections_.size()); }
  const std::vector<TSection>& Sections() const { return sections_; }

 private:
  TSection& AddSection(std::string_view name);
  static void AddKey(TSection& section, std::string key, std::string value);
  TSection* FindWritable(std::string_view name);

  std::vector<TSection> sections_;
  // Lower-cased name -> position of the first section of that name.
  std::unordered_map<std::string, size_t> byName_;
};

}  // namespace velmora
