// Sampling and Russian roulette.
#include "ops/export.h"
#include "sampler/path_sampling.h"
#include "shading/scatter.h"

using namespace vr;

VR_HOST_OPERATION int mi_sample(double *values, int *count, HostState *state, int dimension,
                                int *n) {
  return sample_protocol(render_state(state)->path, values, count, dimension, n) ? 1 : 0;
}

VR_HOST_OPERATION int mi_choose_simple_scatter_type(HostState *state, Colour *diffuse_reflection,
                                                    Colour *specular_reflection,
                                                    Colour *diffuse_transmission,
                                                    Colour *specular_transmission) {
  return choose_scatter(draw_uniform(render_state(state)->path), diffuse_reflection,
                        specular_reflection, diffuse_transmission, specular_transmission);
}
