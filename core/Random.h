// The process-wide random numbers of the scene.
//
// Every spawn rule of the scene and the world draws from this one generator
// (bubble columns, fish placement, particle lifetimes), so a test that seeds
// it sees the same scene every run. Main thread only.
//
// A small xorshift generator (xoshiro128**): fast, good enough for pictures,
// and the same sequence on every machine and standard library.
#pragma once

#include <cstdint>

namespace velmora {

// Restarts the sequence; the program seeds it from the clock at start.
void RandSeed(uint32_t seed);
// Uniform integer in 0..n-1; 0 when n <= 0.
int RandomInt(int n);
// Uniform float in [0, 1).
float RandomFloat();

}  // namespace velmora
