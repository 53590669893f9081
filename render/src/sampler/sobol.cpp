#include "sampler/sobol.h"

#include <array>
#include <cassert>

#include "core/hash.h"

namespace vr {

namespace {

// Primitive polynomials and initial direction numbers of Joe and Kuo for the
// dimensions after the first (which is the van der Corput sequence).
struct Polynomial {
  int degree;
  uint32_t coefficients; // the inner coefficients a_1 .. a_{degree-1}, high bit first
  uint32_t m[5];
};
constexpr Polynomial kPolynomials[kSobolDimensions - 1] = {
    {1, 0, {1, 0, 0, 0, 0}},  {2, 1, {1, 3, 0, 0, 0}}, {3, 1, {1, 3, 1, 0, 0}},
    {3, 2, {1, 1, 1, 0, 0}},  {4, 1, {1, 1, 3, 3, 0}}, {4, 4, {1, 3, 5, 13, 0}},
    {5, 2, {1, 1, 5, 5, 17}},
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

uint32_t reverse_bits(uint32_t x) {
  x = ((x >> 1) & 0x55555555u) | ((x & 0x55555555u) << 1);
  x = ((x >> 2) & 0x33333333u) | ((x & 0x33333333u) << 2);
  x = ((x >> 4) & 0x0f0f0f0fu) | ((x & 0x0f0f0f0fu) << 4);
  return __builtin_bswap32(x);
}

uint32_t multiply(const Matrix &v, uint32_t index) {
  uint32_t x = 0;
  for (int k = 0; index != 0; ++k, index >>= 1)
    if (index & 1u) x ^= v[k];
  return x;
}

// A point's reversed bits come from four tables, one for each byte of its
// index (the product with the reversed matrix is the XOR of the bytes'
// products), not from a bit loop whose branches follow the index: the
// photons' indices run to millions, and the pixel, light and gather loops
// ask for the first points over and over.
using ByteProducts = std::array<std::array<uint32_t, 256>, 4>;

// The matrices as they are, and the byte tables of their bit-reversed
// columns, which is the order the scrambling works in.
struct Matrices {
  std::array<Matrix, kSobolDimensions> plain;
  std::array<ByteProducts, kSobolDimensions> reversed_bytes;
};

Matrices make_matrices() {
  Matrices all{};
  for (int d = 0; d < kSobolDimensions; ++d) {
    all.plain[d] = direction_numbers(d);
    Matrix reversed;
    for (int k = 0; k < 32; ++k) reversed[k] = reverse_bits(all.plain[d][k]);
    for (int byte = 0; byte < 4; ++byte)
      for (uint32_t b = 0; b < 256; ++b)
        all.reversed_bytes[d][byte][b] = multiply(reversed, b << (8 * byte));
  }
  return all;
}

const Matrices kMatrices = make_matrices();

// Burley's hash-based Owen scrambling works on reversed bits: a Laine-Karras
// permutation, in which each bit is flipped by a hash of the bits below it.
uint32_t laine_karras(uint32_t x, uint32_t seed) {
  x += seed;
  x ^= x * 0x6c50b47cu;
  x ^= x * 0xb82f1e52u;
  x ^= x * 0xc7afe638u;
  x ^= x * 0x8d22f6e6u;
  return x;
}

} // namespace

uint32_t sobol_bits(uint32_t index, int dimension) {
  assert(dimension >= 0 && dimension < kSobolDimensions);
  return multiply(kMatrices.plain[dimension], index);
}

namespace {

uint64_t dimension_seed(uint64_t seed, int dimension) {
  return mix64(seed + 0x9e3779b97f4a7c15ull * static_cast<uint64_t>(dimension + 1));
}

} // namespace

double scrambled_sobol(uint32_t index, int dimension, uint64_t seed) {
  uint64_t dim_seed = dimension_seed(seed, dimension);
  if (dimension >= kSobolDimensions)
    return unit_from_bits(static_cast<uint32_t>(hash_combine(dim_seed, index)));
  return scrambled_sobol_point(index, dimension, static_cast<uint32_t>(dim_seed));
}

uint32_t sobol_scramble(uint64_t seed, int dimension) {
  return static_cast<uint32_t>(dimension_seed(seed, dimension));
}

double scrambled_sobol_point(uint32_t index, int dimension, uint32_t scramble) {
  // Only the dimensions with a generator matrix have a table row; callers
  // past them go through scrambled_sobol, which hashes instead.
  assert(dimension >= 0 && dimension < kSobolDimensions);
  const ByteProducts &t = kMatrices.reversed_bytes[dimension];
  uint32_t reversed = t[0][index & 0xff] ^ t[1][(index >> 8) & 0xff] ^ t[2][(index >> 16) & 0xff] ^
                      t[3][index >> 24];
  return unit_from_bits(reverse_bits(laine_karras(reversed, scramble)));
}

} // namespace vr
