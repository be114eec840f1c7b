// A sink for the problems of a scene that do not stop it from loading: a
// file the data lacks, a reference that finds nothing, a picture that had
// to be fitted, a sound that had to be converted. The scene check
// (velmora --check) turns it on; otherwise it is off, and every report
// costs one test of a null pointer.
//
// Lifecycle:
//
//   off -> TDiagnosticsScope made: the sink in force -> the loader tells
//   it where each object is described (SetPlace); the classes mark the
//   key they work on (TDiagnosticPlace) and report (Diagnose); every file
//   name asked for is noted (NoteFileUsed) -> the check reads Problems,
//   UsedFiles and ThrowPlace -> scope ends: off again.
//
// Places: an object's place is the file and the section that describe it
// (and, for objects made from a file of another kind, key names of that
// file for the keys the object reads: a 3DM material's "DiffuseMap" for a
// texture's "TextureName"). A TDiagnosticPlace names an object (or a file
// and section directly) and a key for as long as it lives; a report made
// meanwhile, at any layer, is filed under the innermost place. When an
// exception passes a place on its way out, the first such place is kept
// as ThrowPlace, so that an error raised deep inside (a file that cannot
// be opened) can be shown where the description asked for the file.
//
// Reports are kept once: the same level, place and reason again adds
// nothing. Files are the names as the pack knows them (without folder).
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora {

enum class TDiagnosticLevel { dlError, dlWarning };

// Where in the data something is: all parts may be empty.
struct TDiagnosticWhere {
  std::string File;
  std::string Section;
  std::string Key;
};

struct TDiagnostic {
  TDiagnosticLevel Level = TDiagnosticLevel::dlError;
  TDiagnosticWhere Where;
  std::string Reason;
};

class TDiagnostics {
 public:
  // The place of object: the description file (its name without folder is
  // kept) and section. keyNames renames keys for objects described by a
  // file that names them otherwise.
  void SetPlace(const void* object, std::string_view file, std::string section,
                std::vector<std::pair<std::string, std::string>> keyNames = {});
  // Forgets the place of a freed object.
  void ForgetPlace(const void* object);
  // The place of object with key (renamed as its place says); File and
  // Section empty for an object without place.
  TDiagnosticWhere PlaceOf(const void* object, std::string_view key) const;

  // At the innermost place (nowhere when none is active).
  void Report(TDiagnosticLevel level, std::string reason);
  void Report(TDiagnosticLevel level, TDiagnosticWhere where, std::string reason);
  bool HasPlace() const { return !places_.empty(); }
  TDiagnosticWhere CurrentPlace() const;

  // Notes a file name that something asked for (folders are dropped,
  // letter case is ignored).
  void NoteFileUsed(std::string_view fileName);
  bool FileUsed(std::string_view fileName) const;

  const std::vector<TDiagnostic>& Problems() const { return problems_; }
  int Count(TDiagnosticLevel level) const;

  // The first place an exception passed since the last ClearThrowPlace.
  bool HasThrowPlace() const { return hasThrowPlace_; }
  const TDiagnosticWhere& ThrowPlace() const { return throwPlace_; }
  void ClearThrowPlace();

 private:
  friend class TDiagnosticPlace;
  struct TPlace {
    std::string File, Section;
    std::vector<std::pair<std::string, std::string>> KeyNames;
  };
  struct TActive {
    const void* Object;
    TDiagnosticWhere Where;  // used when Object is nullptr
    std::string Key;
  };
  TDiagnosticWhere Resolve(const TActive& active) const;

  std::map<const void*, TPlace> objectPlaces_;
  std::vector<TActive> places_;
  std::vector<TDiagnostic> problems_;
  std::set<std::string> usedFiles_;
  bool hasThrowPlace_ = false;
  TDiagnosticWhere throwPlace_;
};

// The sink in force, or nullptr (the default).
TDiagnostics* Diagnostics();

// Puts a sink in force for its lifetime (the one before comes back after).
class TDiagnosticsScope {
 public:
  explicit TDiagnosticsScope(TDiagnostics& sink);
  ~TDiagnosticsScope();
  TDiagnosticsScope(const TDiagnosticsScope&) = delete;
  TDiagnosticsScope& operator=(const TDiagnosticsScope&) = delete;

 private:
  TDiagnostics* previous_;
};

// Marks, while it lives, the key of an object (or of a file and section)
// that the code works on. Does nothing while no sink is in force.
class TDiagnosticPlace {
 public:
  TDiagnosticPlace(const void* object, std::string_view key);
  TDiagnosticPlace(TDiagnosticWhere where);
  ~TDiagnosticPlace();
  TDiagnosticPlace(const TDiagnosticPlace&) = delete;
  TDiagnosticPlace& operator=(const TDiagnosticPlace&) = delete;

 private:
  TDiagnostics* sink_;
  int exceptions_ = 0;
};

// Reports at the innermost place when a sink is in force.
inline void Diagnose(TDiagnosticLevel level, std::string reason) {
  if (TDiagnostics* sink = Diagnostics()) sink->Report(level, std::move(reason));
}
inline void NoteFileUsed(std::string_view fileName) {
  if (TDiagnostics* sink = Diagnostics()) sink->NoteFileUsed(fileName);
}

}  // namespace velmora
