// Instructions per material-shader call inside the module, for a camera ray
// on glass that absorbs on both sides:
//
//   material_cost MODULE SCENARIO CALLS
//
// SCENARIO is one of
//   clear_glass           both rays traced, each absorbed on its own side;
//   opaque_layer          the same under a coating of opacity 0.5, lit by one
//                         light and by irradiance;
//   frosted_refraction    refraction alone, blurred over 16 samples;
//   frosted_refraction_1  the same over 1 sample, so that the difference to
//                         the 16-sample call is 15 samples' worth.
// Run it under bench/module_cost.py for the count.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench_host.h"

namespace {

void clear_glass(bench::Scene *scene) {
  scene->params.outside_medium = 1; // absorbs outside too
  scene->params.specular = 1.0f;
  scene->params.specular_exponent = 20.0f;
}

void opaque_layer(bench::Scene *scene) {
  clear_glass(scene);
  scene->params.opacity = 0.5f;
  scene->params.illuminate = 1;
  scene->params.front_color = {0.6f, 0.5f, 0.4f, 1.0f};
  scene->params.irradiance_color = {1.0f, 1.0f, 1.0f, 1.0f};
  scene->params.light_count = 1;
  scene->params.lights[0] = 1;
}

void frosted_refraction(bench::Scene *scene, int samples) {
  clear_glass(scene);
  bench::answers().fresnel = 0.0f; // nothing reflected: the refraction alone
  scene->params.blur = 0.3f;
  scene->params.samples = samples;
}

bool configure(bench::Scene *scene, const char *scenario) {
  if (std::strcmp(scenario, "clear_glass") == 0)
    clear_glass(scene);
  else if (std::strcmp(scenario, "opaque_layer") == 0)
    opaque_layer(scene);
  else if (std::strcmp(scenario, "frosted_refraction") == 0)
    frosted_refraction(scene, 16);
  else if (std::strcmp(scenario, "frosted_refraction_1") == 0)
    frosted_refraction(scene, 1);
  else
    return false;
  return true;
}

} // namespace

int main(int argc, char **argv) {
  bench::Scene scene;
  const bench::Run run = bench::start(argc, argv, "CALLS", &scene, configure);
  long shaded = 0;
  for (long i = 0; i < run.n; ++i) {
    Colour result{0.0f, 0.0f, 0.0f, 0.0f};
    shaded += run.module.shade(&result, &scene.state, &scene.params);
  }
  return shaded == run.n ? 0 : 1;
}
