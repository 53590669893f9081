#include "sobol.h"

#include <array>

#include "../core/hash.h"

namespace vr {

namespace {

// Primitive polynomials and initial direction numbers of Joe and Kuo for the
// dimensions after the first (which is the van der Corput sequence).
struct Polynomial {
  int degree;
  uint32_t coefficients; // the inner coefficients a_1 .. a_{degree-1}, high bit first
  uint32_t m[4];
};
constexpr Polynomial kPolynomials[kSobolDimensions - 1] = {
    {1, 0, {1, 0, 0, 0}},
    {2, 1, {1, 3, 0, 0}},
    {3, 1, {1, 3, 1, 0}},
    {3, 2, {1, 1, 1, 0}},
};

using Matrix = std::array<uint32_t, 32>; // column k: the bits of point 2^k

Matrix direction_numbers(int dimension) {
  Matrix v{};
  if (dimension == 0) {
    for (int k = 0; k < 32; ++k) v[k] = 1u << (31 - k);
    return v;
  }
  const Polynomial &p = kPolynomials[dimension - 1];
  int s = p.degree;
  for (int k = 0; k < s; ++k) v[k] = p.m[k] << (31 - k);
  for (int k = s; k < 32; ++k) {
    uint32_t x = v[k - s] ^ (v[k - s] >> s);
    for (int i = 1; i < s; ++i)
      if ((p.coefficients >> (s - 1 - i)) & 1u) x ^= v[k - i];
    v[k] = x;
  }
  return v;
}

std::array<Matrix, kSobolDimensions> make_matrices() {
  std::array<Matrix, kSobolDimensions> all{};
  for (int d = 0; d < kSobolDimensions; ++d) all[d] = direction_numbers(d);
  return all;
}

const std::array<Matrix, kSobolDimensions> kMatrices = make_matrices();

uint32_t reverse_bits(uint32_t x) {
  x = ((x >> 1) & 0x55555555u) | ((x & 0x55555555u) << 1);
  x = ((x >> 2) & 0x33333333u) | ((x & 0x33333333u) << 2);
  x = ((x >> 4) & 0x0f0f0f0fu) | ((x & 0x0f0f0f0fu) << 4);
  x = ((x >> 8) & 0x00ff00ffu) | ((x & 0x00ff00ffu) << 8);
  return (x >> 16) | (x << 16);
}

} // namespace

uint32_t sobol_bits(uint32_t index, int dimension) {
  const Matrix &v = kMatrices[dimension];
  uint32_t x = 0;
  for (int k = 0; index != 0; ++k, index >>= 1)
    if (index & 1u) x ^= v[k];
  return x;
}

uint32_t owen_scramble(uint32_t bits, uint32_t seed) {
  // Burley's hash-based Owen scrambling: a Laine-Karras permutation on the
  // reversed bits, where each bit is flipped by a hash of the bits above it.
  uint32_t x = reverse_bits(bits);
  x += seed;
  x ^= x * 0x6c50b47cu;
  x ^= x * 0xb82f1e52u;
  x ^= x * 0xc7afe638u;
  x ^= x * 0x8d22f6e6u;
  return reverse_bits(x);
}

double scrambled_sobol(uint32_t index, int dimension, uint64_t seed) {
  uint64_t dim_seed = hash_combine(seed, static_cast<uint64_t>(dimension));
  if (dimension >= kSobolDimensions)
    return unit_from_bits(static_cast<uint32_t>(hash_combine(dim_seed, index)));
  return unit_from_bits(
      owen_scramble(sobol_bits(index, dimension), static_cast<uint32_t>(dim_seed)));
}

} // namespace vr
