#include "tools/gen/GenRandom.h"

#include <cmath>

namespace velmora::gen {

namespace {

std::uint64_t SplitMix(std::uint64_t& x) {
  std::uint64_t z = (x += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

std::uint64_t Rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

}  // namespace

std::uint64_t HashName(std::string_view name) {
  std::uint64_t h = 0xCBF29CE484222325ull;
  for (unsigned char c : name) {
    h ^= c;
    h *= 0x100000001B3ull;
  }
  return h;
}

std::uint32_t HashCell(std::int32_t x, std::int32_t y, std::uint32_t seed) {
  std::uint32_t h = seed * 0x9E3779B1u;
  h ^= static_cast<std::uint32_t>(x) * 0x85EBCA77u;
  h = (h << 13) | (h >> 19);
  h ^= static_cast<std::uint32_t>(y) * 0xC2B2AE3Du;
  h ^= h >> 16;
  h *= 0x7FEB352Du;
  h ^= h >> 15;
  h *= 0x846CA68Bu;
  h ^= h >> 16;
  return h;
}

TGenRandom::TGenRandom(std::string_view seedName) : TGenRandom(HashName(seedName)) {}

TGenRandom::TGenRandom(std::uint64_t seed) {
  for (auto& s : s_) s = SplitMix(seed);
}

std::uint64_t TGenRandom::Next() {
  const std::uint64_t result = Rotl(s_[1] * 5, 7) * 9;
  const std::uint64_t t = s_[1] << 17;
  s_[2] ^= s_[0];
  s_[3] ^= s_[1];
  s_[1] ^= s_[2];
  s_[0] ^= s_[3];
  s_[2] ^= t;
  s_[3] = Rotl(s_[3], 45);
  return result;
}

double TGenRandom::Float() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

int TGenRandom::Int(int n) {
  if (n <= 0) return 0;
  return static_cast<int>(Float() * n);
}

double TGenRandom::Gauss() {
  double u = Float();
  double v = Float();
  if (u < 1e-300) u = 1e-300;
  return std::sqrt(-2.0 * std::log(u)) * std::cos(6.283185307179586 * v);
}

}  // namespace velmora::gen
