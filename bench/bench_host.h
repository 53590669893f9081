// A renderer for the cost benchmarks: every host operation answers at once
// from a plain record of canned answers, so the instructions counted inside
// the module are the module's own.
#ifndef VITREL_BENCH_HOST_H
#define VITREL_BENCH_HOST_H

#include <cstdint>

#include <vitrel/host/ops.h>
#include <vitrel/shader/exports.h>

namespace bench {

struct CannedAnswers {
  int trace_hits = 1;        // traces report a hit
  double hit_distance = 1.0; // child's hit distance after a trace
  Colour trace_colour{0.8f, 0.8f, 0.8f, 1.0f};
  int refraction_ok = 1; // mi_refraction_dir finds a direction
  float fresnel = 0.04f;
  float phong = 0.5f;
  int light_samples = 1; // samples per light
  Colour light_colour{1.0f, 1.0f, 1.0f, 1.0f};
  int samples_granted = -1; // -1: as many as the budget asks
  int scatter_type = VITREL_SCATTER_SPECULAR_TRANSMIT;
  int query_answer = 0;
  // Called by every trace before it answers, with the tracing state: lets a
  // benchmark shade the hit again, as a renderer does.
  void (*on_trace)(HostState *state) = nullptr;
  // The stack pointer at the entry of the latest trace operation: where the
  // module's frames end when it calls into the renderer.
  uintptr_t trace_entry_sp = 0;
};

CannedAnswers &answers();

// The module, loaded and bound to this program's own operations.
struct Module {
  decltype(&vitrel) shade;
  decltype(&vitrel_photon) shade_photon;
};
Module load_module(const char *path);

// A front-side camera hit on glass, depth 0, with a child state for traces.
struct Scene {
  HostState state{};
  HostState child{};
  HostShader shader{};
  HostCamera camera{};
  HostOptions options{};
  GlassParams params{};
  Tag more_lights[7]{};
  Scene();
};

// The command line every benchmark program takes, `PROGRAM MODULE SCENARIO N`:
// configures `scene` for SCENARIO, loads MODULE and answers N. Exits with a
// usage message on anything else.
struct Run {
  Module module;
  long n;
};
Run start(int argc, char **argv, const char *n_name, Scene *scene,
          bool (*configure)(Scene *scene, const char *scenario));

} // namespace bench

#endif
