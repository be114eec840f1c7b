// Reading and writing scene descriptions.
//
// A description is a text file of sections (IniDocument.h gives the line
// format). Each section describes one object: "Type" (a registered class
// name, SceneClasses.h), "Name", "ProcessOptions" and the keys of its
// class. A list names its children by "Count" (and presizes itself by
// "Capacity"); child i of the list named L lives in the section L + i
// (1-based: "MainScene1", "Textures3"). A child resource with "SourceName"
// takes its children from that file, where its own section is its name;
// without one its children follow in the same file.
//
// Lifecycle of a loader: made -> Open (read the file) or CreateNew (an
// empty document to write) -> Section set, keys read or written, objects
// created -> Close (a written document is saved) or freed. A loader lives
// for one Load, Save or LoadChildren walk. Objects are created, added and
// read one at a time, depth first, so a reference finds only objects that
// come earlier in the walk.
//
// Where the lines come from: Source lsDisk reads FileName from disk ("\"
// read as "/"; an empty FileName gives no document); lsArchive asks the
// process-wide ResourceReader (a missing entry gives an empty document).
// With Encoded every byte of every line is inverted (XOR 255) on reading
// and on writing; line ends stay as they are. Written files are plain text
// with CR LF line ends.
//
// The typed readers take a key and a default and return the default when
// the key is missing (SceneValues.h gives the syntaxes):
//   ReadBool       an integer, nonzero = true; not an integer: the default
//   ReadInteger    not an integer: the default
//   ReadFloat      not a number: the default
//   ReadString     present but empty reads as " " (present differs from
//                  absent; so a class writes an empty string by leaving
//                  its key out)
//   ReadColor, ReadColorBytes, ReadVector   a bad part raises
//   ReadReference  a non-empty path replaces the reference with what the
//                  scene finds there (nullptr when nothing)
//   ReadFileName   a non-empty name is combined with the directory
// Writers: booleans "1"/"0", integers in decimal, floats with 7 digits,
// references as paths from the scene, file names without their directory
// when it is the given one.
//
// With a diagnostics sink in force (core/Diagnostics.h; off by default)
// the loader also gives every object it creates its place (file and
// section), reports a reference whose path finds nothing, or finds an
// object the key cannot use, as a warning at its key, reports a
// description named by "SourceName" that the archive lacks, and adds to an
// error raised inside an object the key the object was working on.
//
// A value outside what the program can use (a shininess above 128, a spot
// cutoff of 120) is brought to the nearest one it can use by the class that
// reads it, with a warning (NoteAdjustedValue); limits that protect memory
// (counts of objects, groups, particles) stay errors.
//
// Errors name the file, the section and the key, after the message:
//   "TResourceLoader.CreateObject error: Unknown Object Type! for <S> (file F, section [S], key Type)"
//   "TResourceLoader.CreateObject error: Empty Object Name! for <S> (...)"
//   "TResourceLoader.CreateObject error: Object not created! for <S> Type: <T> Name: <N> (...)"
//   "TResourceLoader.ReadColor error: '<part>' is not a valid floating point value (...)"
//     (likewise ReadVector; ReadColorBytes: "'<part>' is not a valid integer value",
//     "<part> is out of range 0..255")
//   "TResourceLoader.LoadChildren error: Lists nested too deeply (...)"
//   "TResourceLoader.Write error: No document to write to"
//   any other error raised while an object reads its keys, followed by
//     " (file F, section [S])"
//   a file that cannot be opened: "TFileStream.Create error: Cannot open file <F>"
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/Diagnostics.h"
#include "core/Error.h"
#include "gl/Types.h"
#include "scene/IniDocument.h"
#include "scene/SceneItem.h"

namespace velmora {

class TMainList;
class TMainScene;

// An error that already names where in a description it happened: the
// message ends with the context; Where holds its parts and Reason the
// message without them.
class TLoadError : public Error {
 public:
  TLoadError(const std::string& message, TDiagnosticWhere where, std::string reason)
      : Error(message), Where(std::move(where)), Reason(std::move(reason)) {}

  TDiagnosticWhere Where;
  std::string Reason;
};

class TResourceLoader {
 public:
  enum : uint8_t { lsDisk = 0, lsArchive = 1 };

  TResourceLoader() = default;
  // Closes; an error while writing is dropped here (call Close to see it).
  ~TResourceLoader();
  TResourceLoader(const TResourceLoader&) = delete;
  TResourceLoader& operator=(const TResourceLoader&) = delete;

  // The document; nullptr while none is open.
  TIniDocument* Ini() const { return ini_.get(); }
  // Every reader and writer works on this section.
  std::string Section;
  std::string FileName;
  uint8_t Source = lsDisk;
  // A document being written: Close saves it.
  bool Modified() const { return modified_; }
  // References are resolved from it; not owned.
  TMainScene* MainScene = nullptr;
  bool Encoded = false;

  // Closes any document, then reads FileName from the Source.
  void Open();
  // Closes any document, then parses lines (inverted first when Encoded).
  void OpenLines(std::vector<std::string> lines);
  // Closes any document and starts an empty one to write.
  void CreateNew();
  // Saves a modified document, then lets go of it.
  void Close();
  // Writes the document to FileName (nothing without both).
  void Flush();

  bool ValueExists(std::string_view key) const;
  bool ReadBool(std::string_view key, bool defaultValue) const;
  int32_t ReadInteger(std::string_view key, int32_t defaultValue) const;
  float ReadFloat(std::string_view key, float defaultValue) const;
  std::string ReadString(std::string_view key, const std::string& defaultValue) const;
  TGLColor ReadColor(std::string_view key, const TGLColor& defaultValue) const;
  TGLColorBytes ReadColorBytes(std::string_view key, const TGLColorBytes& defaultValue) const;
  TGLVector ReadVector(std::string_view key, const TGLVector& defaultValue) const;
  TMainObject* ReadReference(std::string_view key, TMainObject* current) const;
  // ReadReference for a reference of class T: an object of another class
  // found at the path gives nullptr.
  template <class T>
  T* ReadReferenceAs(std::string_view key, T* current) const {
    std::string path;
    if (!Lookup(key, path) || path.empty()) return current;
    TMainObject* found = ReadReference(key, nullptr);
    T* typed = dynamic_cast<T*>(found);
    if (found && !typed) NoteUnusableReference(key, found);
    return typed;
  }
  std::string ReadFileName(std::string_view key, std::string_view directory, const std::string& defaultValue) const;

  void WriteBool(std::string_view key, bool value);
  void WriteInteger(std::string_view key, int32_t value);
  void WriteFloat(std::string_view key, float value);
  void WriteString(std::string_view key, std::string_view value);
  void WriteColor(std::string_view key, const TGLColor& value);
  void WriteColorBytes(std::string_view key, const TGLColorBytes& value);
  void WriteVector(std::string_view key, const TGLVector& value);
  void WriteReference(std::string_view key, const TMainItem* object);
  void WriteFileName(std::string_view key, std::string_view directory, const std::string& value);

  // The object the current section describes, named and with its
  // ProcessOptions read; in no list yet.
  std::unique_ptr<TMainObject> CreateObject();
  // Creates, adds and reads the children of list (the current section is
  // the list's). A child whose name the list already has is freed unread.
  void LoadChildren(TMainList* list);
  // Writes the children of list in the order they were entered (for a
  // named list not its name order), so that a child that refers to a
  // sibling follows it again when the file is read.
  void SaveChildren(TMainList* list);
  // "Type", "Name" and (when not empty) "ProcessOptions".
  void WriteHeader(const TMainObject* object);
  // object->ReadProperties(*this); an error that does not name its place
  // yet gets the file and section added.
  void ReadObjectProperties(TMainObject* object);

  // "file F, section [S], key K" for the current section (without the
  // parts that are empty).
  std::string Context(std::string_view key) const;
  // Raises TLoadError "TResourceLoader.<operation> error: <text> (<context>)".
  [[noreturn]] void RaiseLoadError(std::string_view operation, std::string_view text, std::string_view key) const;
  // A value of key that the program cannot use as the description gives
  // it, brought to the nearest one it can (reason says both): a warning at
  // the key with a diagnostics sink in force, otherwise a line on standard
  // error, once per run for the same reason and place.
  void NoteAdjustedValue(std::string_view key, const std::string& reason) const;
  // Raises TLoadError "<className>.<operation> error: <text> (<context>)":
  // for the classes that check their own keys.
  [[noreturn]] void RaiseKeyError(std::string_view className, std::string_view operation, std::string_view text,
                                  std::string_view key) const;

 private:
  bool Lookup(std::string_view key, std::string& value) const;
  // Diagnostics: a reference that finds an object of a class the key
  // cannot use.
  void NoteUnusableReference(std::string_view key, const TMainObject* found) const;
  void Write(std::string_view key, std::string_view value);
  // Runs action; an error that does not name its place yet gets it.
  template <class F>
  void WithContext(std::string_view key, F action);

  std::unique_ptr<TIniDocument> ini_;
  bool modified_ = false;
};

}  // namespace velmora
