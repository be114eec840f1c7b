// The generator's own random numbers.
//
// Every asset seeds its own generator from its name, so an asset does not
// change when another one is added or drawn in a different order, and the
// same sources give the same bytes on every run (no clock, no library
// generator whose sequence could differ between standard libraries).
//
//   TGenRandom rng("caustback.jpg");   // seeded from the name
//   double x = rng.Float();            // uniform in [0, 1)
//
// The core is xoshiro256** seeded through SplitMix64 from an FNV-1a hash.
#pragma once

#include <cstdint>
#include <string_view>

namespace velmora::gen {

// FNV-1a, 64 bits: the seed of a name, and the hash of noise lattices.
std::uint64_t HashName(std::string_view name);
// A well-mixed 32-bit hash of lattice coordinates and a seed.
std::uint32_t HashCell(std::int32_t x, std::int32_t y, std::uint32_t seed);

class TGenRandom {
 public:
  explicit TGenRandom(std::string_view seedName);
  explicit TGenRandom(std::uint64_t seed);

  std::uint64_t Next();
  // Uniform in [0, 1), 53 bits.
  double Float();
  // Uniform in [lo, hi).
  double Range(double lo, double hi) { return lo + (hi - lo) * Float(); }
  // Uniform integer in 0..n-1 (0 when n <= 0).
  int Int(int n);
  // Standard normal (Box-Muller, one value per call).
  double Gauss();

 private:
  std::uint64_t s_[4];
};

}  // namespace velmora::gen
