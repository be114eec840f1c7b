// Caustic light: the moving pattern that light through waves throws on
// what lies under the water. A light map on texture unit 1, modulating
// what unit 0 draws, with its coordinates generated from the object's own
// coordinates (object-linear) and shifted by a phase that runs with time.
// The water's bottom and background and the fish use it, each with planes
// of its own scale.
//
// Lifecycle: AdvanceCausticPhase once a frame per owner of a phase;
// BeginCausticPass(map, planes, phase) -> the geometry drawn (its own texture on
// unit 0) -> EndCausticPass(map). The map is bound past the shared texture
// cache (which speaks for unit 0); both leave unit 0 selected. Callers check
// first that multitexturing is there (glActiveTextureARB).
#pragma once

#include "gl/OpenGL.h"

namespace velmora {

class TSceneTexture;

// Every offset a phase drives (the s and t shifts of each kind below, and
// the water's light shafts' 0.15 and 0.25) is a whole number of texture
// repeats after this much phase: wrapping the phase there moves no pattern.
constexpr double kCausticPeriod = 20;
// Phase per second.
constexpr double kCausticSpeed = 0.4;

// The generation planes: s and t as x, y, z weights of the object's
// coordinates, each shifted by its factor times the phase.
struct TCausticPlanes {
  GLfloat s[3];
  GLfloat t[3];
  double sShift, tShift;
};

// The water's bottom and background: large, slow cells.
inline constexpr TCausticPlanes kWaterCaustics{{0.0004f, 0, 0}, {0, 0.0002f, -0.0004f}, 0.5, 0.25};
// The fish: finer cells running faster along them.
inline constexpr TCausticPlanes kFishCaustics{{0.001f, 0, 0}, {0, 0.0002f, 0.00001f}, 1.5, 0.25};

// phase + kCausticSpeed x deltaTime brought into 0 .. kCausticPeriod (a
// float just under the period that rounds up to it counts as 0).
float AdvanceCausticPhase(float phase, double deltaTime);

void BeginCausticPass(TSceneTexture& map, const TCausticPlanes& planes, double phase);
void EndCausticPass(TSceneTexture& map);

}  // namespace velmora
