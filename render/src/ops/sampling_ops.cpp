// Sampling and Russian roulette.
#include "ops/export.h"
#include "sampler/path_sampling.h"
#include "shading/scatter.h"

using namespace vr;

VR_HOST_OPERATION int mi_sample(double *values, int *count, HostState *state, int dimension,
                                int *n) {
  RenderState &s = *render_state(state);
  const PhotonStrata &strata = s.thread->strata;
  // A photon's one-off sample (its wavelength, its blur) takes its
  // stratified numbers while it has enough.
  if (count == nullptr && values != nullptr && dimension >= 1 &&
      strata.count - strata.next >= dimension) {
    for (int d = 0; d < dimension; ++d) values[d] = decision_uniform(s);
    return 1;
  }
  return sample_protocol(s.path, values, count, dimension, n) ? 1 : 0;
}

VR_HOST_OPERATION int mi_choose_simple_scatter_type(HostState *state, Colour *diffuse_reflection,
                                                    Colour *specular_reflection,
                                                    Colour *diffuse_transmission,
                                                    Colour *specular_transmission) {
  return choose_scatter(decision_uniform(*render_state(state)), diffuse_reflection,
                        specular_reflection, diffuse_transmission, specular_transmission);
}
