// Bubbles: a particle list whose particles rise from the sea bottom through
// the visible part of the water, each in one of twelve loose columns and
// twelve depth layers, and start again at the bottom when they reach the
// top of the picture.
//
// The list adds the spawn rule (InitParticle) and switches lighting on
// around its drawing; ageing, moving, respawning and the count are the
// particle list's (scene/Particles.h). Every bubble draws the list's Visual
// (in the program's scene a small translucent square mesh). The world finds
// the list by its name "Bubbles" and sets the count from the user's option.
//
// Lifecycle:
//
//   made by the loader ("Type=TBubbles") -> keys read: ParticleCount
//   bubbles made, not placed yet -> the world sets the count -> next
//   Animate: each new bubble spawns (InitParticle) and, being fresh, is
//   moved to a random point of its first rise -> each frame it rises by
//   Velocity x DeltaTime -> past its LifeTime it spawns again at the
//   bottom -> a lower count frees the newest bubbles at once, a higher one
//   adds bubbles that spawn on the next frame -> freed with the list.
//
// Spawn (InitParticle), where Step() is one of the levels k/12 (k random in
// 0..11) jittered by up to +-0.01 (RandomStep):
//   aspect      16/9 with the viewport's wide-screen flag, else the
//               window's width / height
//   z           -(Step() x (MaxZ - MinZ) + MinZ): from MinZ to 11/12 of the
//               way to MaxZ in front of the viewer
//   y           BottomY
//   halfHeight  tan(FOV / 2) x -z, half the picture's height at z
//   halfWidth   halfHeight x aspect + 100
//   x           (Step() + 1/24) x 2 halfWidth - halfWidth: twelve columns,
//               each in the middle of its twelfth of the spawn width, the
//               outermost at -+11/12 halfWidth; the margin brings them
//               close to both edges of the picture (inside it by
//               halfHeight x aspect / 12 - 92 units: about 36 at 1500
//               units away in a 4:3 view at 75 degrees, about 114 at
//               2400). Centred, the columns leave no side of the picture
//               without bubbles (from the left edge, the twelve would end
//               at 5/6 of the width, the first of them out of sight).
//   Velocity    (0, speed, 0), speed := random x (MaxSpeed - MinSpeed) +
//               MinSpeed; Angles and AngularVelocity 0; Age 0
//   LifeTime    |(|BottomY| + min(halfHeight, UpY)) / speed|: the bubble
//               rises to the top edge of the picture at its distance, or to
//               UpY when that is lower (for BottomY below 0)
// The window's aspect is read at every spawn, so a new window shape shows
// as the bubbles start again.
//
// Numbers that would not be finite:
//   - a speed of 0 or below cannot give a lifetime: a description must give
//     MinSpeed and MaxSpeed above 0 (else a load error), and a speed set in
//     code that draws below kLeastBubbleSpeed rises at that speed;
//   - a window without area (height or width 0) counts as 4:3, a field of
//     view outside 0..180 degrees as 75, and a bubble in no scene with an
//     application as both, like the default viewport;
//   - the spawn is worked out in double precision and every result kept
//     within the float range, whatever the keys' magnitudes.
// Time steps are the particle list's: 0 moves nothing; a step of several
// seconds ends the life of every bubble it carries past its lifetime, and
// those start again at the bottom, so a bubble never leaves its column.
//
// Keys (besides those of TSceneParticleList: Visual, Gravity,
// EnableGravity, ParticleCount), each a float, default the current value
// (0 when made), read and written in this order:
//   MaxZ MinZ UpY BottomY MaxSpeed MinSpeed MaxCount
// MaxCount is only kept: the count is not clamped to it.
//
// Errors (the loader adds the file and section):
//   "TBubbles.ReadProperties error: MinSpeed <v> is not above 0 (file F, section [S], key MinSpeed)"
//   "TBubbles.ReadProperties error: MaxSpeed <v> is not above 0 (file F, section [S], key MaxSpeed)"
//   and those of TSceneParticleList.
#pragma once

#include "scene/Particles.h"

namespace velmora {

// The slowest a bubble rises, in units per second, when the speeds set in
// code would give less.
constexpr float kLeastBubbleSpeed = 1.0f;

class TBubbles : public TSceneParticleList {
 public:
  const char* ClassName() const override { return "TBubbles"; }

  // Farthest and nearest spawn distance in front of the viewer.
  float MaxZ = 0;
  float MinZ = 0;
  // The highest a bubble rises to, and the height it starts from.
  float UpY = 0;
  float BottomY = 0;
  // Rising speeds, units per second.
  float MaxSpeed = 0;
  float MinSpeed = 0;
  // Read and written back only.
  float MaxCount = 0;

  // A new life at the bottom of one of the columns (see above).
  void InitParticle(TSceneParticle* particle) override;
  // Lighting on (through the scene's render state), then the list's pass.
  void RenderOpaque() override;
  void RenderTransparent() override;
  void ReadProperties(TResourceLoader& loader) override;
  void WriteProperties(TResourceLoader& loader) override;

 private:
  // One of twelve levels k/12, k in 0..11, jittered by up to +-0.01.
  static double RandomStep();
  // Field of view in degrees and width / height of the picture bubbles
  // spawn for.
  void View(double& fov, double& aspect) const;
};

}  // namespace velmora
