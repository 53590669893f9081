// Owen-scrambled Sobol points: the low-discrepancy sequence behind pixel
// samples, light samples, the irradiance gather and the shaders' mi_sample.
#ifndef VITREL_RENDER_SAMPLER_SOBOL_H
#define VITREL_RENDER_SAMPLER_SOBOL_H

#include <cstdint>

namespace vr {

// Dimensions with their own generator matrix; further dimensions of one point
// are independent hashed values.
constexpr int kSobolDimensions = 8;

// Component `dimension` of Sobol point `index`, unscrambled, as 32 bits.
uint32_t sobol_bits(uint32_t index, int dimension);

// Component `dimension` of point `index` of the sequence scrambled by `seed`,
// in [0, 1). Different seeds give statistically independent sequences.
double scrambled_sobol(uint32_t index, int dimension, uint64_t seed);

// The same in two steps, for loops over the points of one sequence: the
// scramble of a dimension (dimension < kSobolDimensions) is hashed from the
// seed once, and scrambled_sobol(index, d, seed) ==
// scrambled_sobol_point(index, d, sobol_scramble(seed, d)).
uint32_t sobol_scramble(uint64_t seed, int dimension);
double scrambled_sobol_point(uint32_t index, int dimension, uint32_t scramble);

} // namespace vr

#endif
