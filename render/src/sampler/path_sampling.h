// Random numbers along a path. Each state owns a seed derived from its
// parent's, so every number depends only on the pixel, the pixel sample and
// the sequence of traces that led to the state.
#ifndef VITREL_RENDER_SAMPLER_PATH_SAMPLING_H
#define VITREL_RENDER_SAMPLER_PATH_SAMPLING_H

#include <cstdint>

namespace vr {

// The random state a path carries at one hit: its seed, the draws taken from
// it so far and the mi_sample loop in progress.
struct PathSeed {
  uint64_t seed;
  uint32_t draws;
  uint32_t loop_stream;
};

// The mi_sample protocol. With a counter: *count is 0 on the first call of a
// loop; each call that returns true writes point *count of a fresh
// Owen-scrambled Sobol sequence of `dimension` values and advances *count,
// until the budget *n (at least 1) is spent. Without a counter: one
// independent point, true.
bool sample_protocol(PathSeed &s, double *values, int *count, int dimension, const int *n);

// A fresh seed for a stratified set of samples (a light loop, a gather).
uint64_t draw_seed(PathSeed &s);
// One independent uniform number in [0, 1).
double draw_uniform(PathSeed &s);
// The seed of a child path traced from s.
uint64_t child_seed(PathSeed &s);

} // namespace vr

#endif
