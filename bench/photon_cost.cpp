// Instructions per photon call inside the module, for a photon refracted
// through absorbing glass: plain, and dispersed and blurred.
//
//   photon_cost MODULE SCENARIO CALLS
//
// SCENARIO is `transmit_absorbed` or `transmit_dispersed_blurred`. Run it
// under bench/module_cost.py for the count.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench_host.h"

namespace {

// A photon leaving the glass through its back side: it crossed the glass body
// to get here, so the inside absorption applies over its path.
void leaving_photon(bench::Scene *scene) {
  scene->state.ray_type = VITREL_RAY_PHOTON_TRANSMIT_SPECULAR;
  scene->state.inverted_normal = 1;
  scene->state.hit_distance = 2.0;
}

bool configure(bench::Scene *scene, const char *scenario) {
  leaving_photon(scene);
  bench::answers().scatter_type = VITREL_SCATTER_SPECULAR_TRANSMIT;
  if (std::strcmp(scenario, "transmit_absorbed") == 0) return true;
  if (std::strcmp(scenario, "transmit_dispersed_blurred") == 0) {
    scene->params.samples = 4;
    scene->params.blur = 0.1f;
    scene->params.dispersion = 0.05f;
    return true;
  }
  return false;
}

} // namespace

int main(int argc, char **argv) {
  bench::Scene scene;
  const bench::Run run = bench::start(argc, argv, "CALLS", &scene, configure);
  int emitted = 0;
  for (long i = 0; i < run.n; ++i) {
    // Dispersion tints the energy in place; each photon arrives afresh.
    Colour energy{1.0f, 1.0f, 1.0f, 1.0f};
    emitted += run.module.shade_photon(&energy, &scene.state, &scene.params);
  }
  return emitted == run.n ? 0 : 1;
}
