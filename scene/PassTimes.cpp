#include "scene/PassTimes.h"

#include <chrono>
#include <cstring>
#include <ctime>

#include "gl/GLEntryPoints.h"

namespace velmora {

namespace {

double WallMs() {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double ThreadMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

void Finish() {
  if (GL.glFinish) GL.glFinish();
}

// prefix + " " + name, cut to fit out.
void JoinName(char (&out)[TPassTimes::kNameSize], const char* prefix, const char* name) {
  std::snprintf(out, sizeof out, "%s%s%s", prefix ? prefix : "", prefix ? " " : "", name ? name : "");
}

}  // namespace

void TPassTimes::StartFrame() {
  Finish();
  ++frames_;
  wallMark_ = WallMs();
  threadMark_ = ThreadMs();
}

TPassTimes::TPass& TPassTimes::Slot(const char* name, const char* prefix) {
  char key[kNameSize];
  JoinName(key, prefix, name);
  for (int i = 0; i < count_; ++i)
    if (std::strcmp(passes_[static_cast<size_t>(i)].Name, key) == 0) return passes_[static_cast<size_t>(i)];
  if (count_ < kMaxPasses - 1 || (count_ == kMaxPasses - 1 && std::strcmp(key, "(others)") == 0)) {
    TPass& pass = passes_[static_cast<size_t>(count_++)];
    std::memcpy(pass.Name, key, sizeof key);
    return pass;
  }
  return Slot("(others)", nullptr);
}

void TPassTimes::Pass(const char* name, const char* prefix) {
  // The thread's time first: waiting for the renderer is not its work.
  const double thread = ThreadMs();
  Finish();
  const double wall = WallMs();
  TPass& pass = Slot(name, prefix);
  pass.WallMs += wall - wallMark_;
  pass.ThreadMs += thread - threadMark_;
  wallMark_ = wall;
  threadMark_ = ThreadMs();
}

void TPassTimes::Report(std::FILE* out) const {
  const double frames = frames_ > 0 ? frames_ : 1;
  for (int i = 0; i < count_; ++i) {
    const TPass& pass = passes_[static_cast<size_t>(i)];
    std::fprintf(out, "pass %s wall_ms=%.3f thread_ms=%.3f\n", pass.Name, pass.WallMs / frames,
                 pass.ThreadMs / frames);
  }
}

}  // namespace velmora
