#include "core/Diagnostics.h"

#include <algorithm>
#include <exception>

#include "core/Strings.h"

namespace velmora {

namespace {

TDiagnostics* g_sink = nullptr;

// The name without folder: packs are flat, and the check shows names as
// the pack knows them.
std::string PackName(std::string_view fileName) {
  const size_t cut = fileName.find_last_of("/\\:");
  return std::string(cut == std::string_view::npos ? fileName : fileName.substr(cut + 1));
}

bool SameWhere(const TDiagnosticWhere& a, const TDiagnosticWhere& b) {
  return a.File == b.File && a.Section == b.Section && a.Key == b.Key;
}

}  // namespace

TDiagnostics* Diagnostics() { return g_sink; }

TDiagnosticsScope::TDiagnosticsScope(TDiagnostics& sink) : previous_(g_sink) { g_sink = &sink; }

TDiagnosticsScope::~TDiagnosticsScope() { g_sink = previous_; }

// --- places -------------------------------------------------------------------

void TDiagnostics::SetPlace(const void* object, std::string_view file, std::string section,
                            std::vector<std::pair<std::string, std::string>> keyNames) {
  objectPlaces_[object] = TPlace{PackName(file), std::move(section), std::move(keyNames)};
}

void TDiagnostics::ForgetPlace(const void* object) { objectPlaces_.erase(object); }

TDiagnosticWhere TDiagnostics::PlaceOf(const void* object, std::string_view key) const {
  TDiagnosticWhere where;
  where.Key = std::string(key);
  auto found = objectPlaces_.find(object);
  if (found == objectPlaces_.end()) return where;
  where.File = found->second.File;
  where.Section = found->second.Section;
  for (const auto& [from, to] : found->second.KeyNames)
    if (SameText(from, key)) where.Key = to;
  return where;
}

TDiagnosticWhere TDiagnostics::Resolve(const TActive& active) const {
  return active.Object ? PlaceOf(active.Object, active.Key) : active.Where;
}

TDiagnosticWhere TDiagnostics::CurrentPlace() const {
  // The innermost place that knows its file; a key of an inner place
  // without one still names what was worked on.
  for (auto it = places_.rbegin(); it != places_.rend(); ++it) {
    TDiagnosticWhere where = Resolve(*it);
    if (!where.File.empty() || !where.Section.empty()) return where;
  }
  return places_.empty() ? TDiagnosticWhere{} : Resolve(places_.back());
}

TDiagnosticPlace::TDiagnosticPlace(const void* object, std::string_view key) : sink_(g_sink) {
  if (!sink_) return;
  sink_->places_.push_back(TDiagnostics::TActive{object, {}, std::string(key)});
  exceptions_ = std::uncaught_exceptions();
}

TDiagnosticPlace::TDiagnosticPlace(TDiagnosticWhere where) : sink_(g_sink) {
  if (!sink_) return;
  where.File = PackName(where.File);
  std::string key = where.Key;
  sink_->places_.push_back(TDiagnostics::TActive{nullptr, std::move(where), std::move(key)});
  exceptions_ = std::uncaught_exceptions();
}

TDiagnosticPlace::~TDiagnosticPlace() {
  if (!sink_ || sink_->places_.empty()) return;
  if (std::uncaught_exceptions() > exceptions_ && !sink_->hasThrowPlace_) {
    const TDiagnosticWhere where = sink_->CurrentPlace();
    if (!where.File.empty() || !where.Section.empty()) {
      sink_->throwPlace_ = where;
      sink_->hasThrowPlace_ = true;
    }
  }
  sink_->places_.pop_back();
}

void TDiagnostics::ClearThrowPlace() {
  hasThrowPlace_ = false;
  throwPlace_ = TDiagnosticWhere{};
}

// --- reports ------------------------------------------------------------------

void TDiagnostics::Report(TDiagnosticLevel level, std::string reason) {
  Report(level, CurrentPlace(), std::move(reason));
}

void TDiagnostics::Report(TDiagnosticLevel level, TDiagnosticWhere where, std::string reason) {
  where.File = PackName(where.File);
  for (const TDiagnostic& known : problems_)
    if (known.Level == level && SameWhere(known.Where, where) && known.Reason == reason) return;
  problems_.push_back(TDiagnostic{level, std::move(where), std::move(reason)});
}

int TDiagnostics::Count(TDiagnosticLevel level) const {
  return static_cast<int>(
      std::count_if(problems_.begin(), problems_.end(), [level](const TDiagnostic& d) { return d.Level == level; }));
}

// --- files --------------------------------------------------------------------

void TDiagnostics::NoteFileUsed(std::string_view fileName) {
  const std::string name = LowerCase(PackName(fileName));
  if (!name.empty()) usedFiles_.insert(name);
}

bool TDiagnostics::FileUsed(std::string_view fileName) const {
  return usedFiles_.count(LowerCase(PackName(fileName))) != 0;
}

}  // namespace velmora
