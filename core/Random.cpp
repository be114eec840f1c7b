#include "core/Random.h"

namespace velmora {
namespace {

uint32_t state[4] = {0x9E3779B9u, 0x243F6A88u, 0xB7E15162u, 0x85A308D3u};

uint32_t Rotl(uint32_t x, int k) { return (x << k) | (x >> (32 - k)); }

uint32_t Next() {
  const uint32_t result = Rotl(state[1] * 5, 7) * 9;
  const uint32_t t = state[1] << 9;
  state[2] ^= state[0];
  state[3] ^= state[1];
  state[1] ^= state[2];
  state[0] ^= state[3];
  state[2] ^= t;
  state[3] = Rotl(state[3], 11);
  return result;
}

// splitmix32 spreads one seed over the four words (never all zero).
uint32_t SplitMix(uint32_t& x) {
  uint32_t z = (x += 0x9E3779B9u);
  z = (z ^ (z >> 16)) * 0x85EBCA6Bu;
  z = (z ^ (z >> 13)) * 0xC2B2AE35u;
  return z ^ (z >> 16);
}

}  // namespace

void RandSeed(uint32_t seed) {
  for (uint32_t& word : state) word = SplitMix(seed);
  if ((state[0] | state[1] | state[2] | state[3]) == 0) state[0] = 1;
}

int RandomInt(int n) {
  if (n <= 0) return 0;
  // Multiply-shift keeps the bias below 2^-32 per value.
  return static_cast<int>((static_cast<uint64_t>(Next()) * static_cast<uint64_t>(n)) >> 32);
}

float RandomFloat() {
  // 24 random bits: every value is exact in a float and below 1.
  return static_cast<float>(Next() >> 8) * (1.0f / 16777216.0f);
}

}  // namespace velmora
