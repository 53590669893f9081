// Integer hashing for seeds: every random decision of the renderer is a
// function of the pixel, the pixel sample and the path that led there, never
// of the thread that happens to compute it.
#ifndef VITREL_RENDER_CORE_HASH_H
#define VITREL_RENDER_CORE_HASH_H

#include <cstdint>

namespace vr {

// The splitmix64 finaliser: a bijection with good avalanche.
inline uint64_t mix64(uint64_t x) {
  x ^= x >> 30;
  x *= 0xbf58476d1ce4e5b9ull;
  x ^= x >> 27;
  x *= 0x94d049bb133111ebull;
  x ^= x >> 31;
  return x;
}

inline uint64_t hash_combine(uint64_t seed, uint64_t value) {
  return mix64(seed ^ (value + 0x9e3779b97f4a7c15ull + (seed << 6) + (seed >> 2)));
}

// A uniform double in [0, 1) from 32 random bits.
inline double unit_from_bits(uint32_t bits) { return bits * (1.0 / 4294967296.0); }

} // namespace vr

#endif
