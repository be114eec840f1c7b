// The frame timed pass by pass (velmora --bench --pass-times): what each
// object of the scene, and each layer of the water, costs on the renderer.
//
// A software renderer sorts a pass's triangles on the program's thread and
// fills pixels on threads of its own only when the frame is flushed, so a
// pass's cost is hidden in the frame's end. Timing makes the renderer finish
// every pass where it ends (glFinish), so each pass is charged its own
// filling, and also reads the processor time the program's thread spent
// on it (state, vertices, triangle set-up). The waiting changes the frame's
// total a little: a diagnosis, not a frame rate.
//
// Lifecycle: made by the benchmark and handed to the scene (TMainScene::
// SetPassTimes), which then, every frame:
//   StartFrame -> Pass(name) after each object's and each water layer's
//   drawing -> ... ; the benchmark prints Report at its end.
// Names are kept in fixed slots (kMaxPasses of kNameSize - 1 characters,
// longer names cut), so a steady frame allocates nothing; a name beyond the
// last slot goes to the slot "(others)". Without a loaded OpenGL library
// the timer only counts.
#pragma once

#include <array>
#include <cstdio>

namespace velmora {

class TPassTimes {
 public:
  static constexpr int kMaxPasses = 32;
  static constexpr int kNameSize = 48;

  struct TPass {
    char Name[kNameSize] = {};
    double WallMs = 0;    // every frame's wall time of the pass, summed
    double ThreadMs = 0;  // the program thread's processor time, summed
  };

  // A new frame: the renderer finishes what went before, the clocks start.
  void StartFrame();
  // The pass just drawn (prefix and name joined by a space when there is a
  // prefix) gets the time since the last mark.
  void Pass(const char* name, const char* prefix = nullptr);

  int Frames() const { return frames_; }
  int Count() const { return count_; }
  const TPass& Item(int index) const { return passes_[static_cast<size_t>(index)]; }
  // One line per pass in the order first seen: "pass NAME wall_ms=W
  // thread_ms=T", each a mean per frame.
  void Report(std::FILE* out) const;

 private:
  TPass& Slot(const char* name, const char* prefix);

  std::array<TPass, kMaxPasses> passes_;
  int count_ = 0;
  int frames_ = 0;
  double wallMark_ = 0, threadMark_ = 0;
};

}  // namespace velmora
