#include "sampler/path_sampling.h"

#include "core/hash.h"
#include "sampler/sobol.h"

namespace vr {

uint64_t draw_seed(PathSeed &s) { return hash_combine(s.seed, ++s.draws); }

double draw_uniform(PathSeed &s) {
  return unit_from_bits(static_cast<uint32_t>(draw_seed(s) >> 32));
}

uint64_t child_seed(PathSeed &s) { return draw_seed(s); }

bool sample_protocol(PathSeed &s, double *values, int *count, int dimension, const int *n) {
  if (dimension < 1 || values == nullptr) return false;
  if (count == nullptr) {
    uint64_t seed = draw_seed(s);
    for (int d = 0; d < dimension; ++d) values[d] = scrambled_sobol(0, d, seed);
    return true;
  }
  // A budget below one still yields one sample: the caller averages over the
  // count and must never divide by zero.
  int budget = n != nullptr && *n > 1 ? *n : 1;
  if (*count < 0 || *count >= budget) return false;
  if (*count == 0) s.loop_stream = ++s.draws;
  uint64_t seed = hash_combine(s.seed, s.loop_stream);
  for (int d = 0; d < dimension; ++d)
    values[d] = scrambled_sobol(static_cast<uint32_t>(*count), d, seed);
  ++*count;
  return true;
}

} // namespace vr
