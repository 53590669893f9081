// Random numbers along a path. Each state owns a seed derived from its
// parent's, so every number depends only on the pixel, the pixel sample and
// the sequence of traces that led to the state.
#ifndef VITREL_RENDER_SAMPLER_PATH_SAMPLING_H
#define VITREL_RENDER_SAMPLER_PATH_SAMPLING_H

#include "shading/state.h"

namespace vr {

// The mi_sample protocol. With a counter: *count is 0 on the first call of a
// loop; each call that returns true writes point *count of a fresh
// Owen-scrambled Sobol sequence of `dimension` values and advances *count,
// until the budget *n (at least 1) is spent. Without a counter: one
// independent point, true.
bool sample_protocol(RenderState &s, double *values, int *count, int dimension, const int *n);

// A fresh seed for a stratified set of samples (a light loop, a gather).
uint64_t draw_seed(RenderState &s);
// One independent uniform number in [0, 1).
double draw_uniform(RenderState &s);
// The seed of a child state traced from s.
uint64_t child_seed(RenderState &s);

} // namespace vr

#endif
