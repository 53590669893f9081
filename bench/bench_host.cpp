#include "bench_host.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

namespace bench {

CannedAnswers &answers() {
  static CannedAnswers a;
  return a;
}

Module load_module(const char *path) {
  void *handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    std::fprintf(stderr, "cannot load %s: %s\n", path, dlerror());
    std::exit(2);
  }
  auto set_handle =
      reinterpret_cast<decltype(&miSetModuleHandle)>(dlsym(handle, "miSetModuleHandle"));
  set_handle(dlopen(nullptr, RTLD_NOW));
  Module m;
  m.shade = reinterpret_cast<decltype(m.shade)>(dlsym(handle, "vitrel"));
  m.shade_photon = reinterpret_cast<decltype(m.shade_photon)>(dlsym(handle, "vitrel_photon"));
  return m;
}

Run start(int argc, char **argv, const char *n_name, Scene *scene,
          bool (*configure)(Scene *scene, const char *scenario)) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s MODULE SCENARIO %s\n", argv[0], n_name);
    std::exit(2);
  }
  if (!configure(scene, argv[2])) {
    std::fprintf(stderr, "unknown scenario %s\n", argv[2]);
    std::exit(2);
  }
  return Run{load_module(argv[1]), std::atol(argv[3])};
}

Scene::Scene() {
  state.direction = {0.0f, 0.0f, -1.0f};
  state.normal = {0.0f, 0.0f, 1.0f};
  state.dot_nd = -1.0f;
  state.shader = &shader;
  state.camera = &camera;
  state.options = &options;
  state.child = &child;
  state.volume = 1;
  options.reflection_depth_limit = 8;
  options.refraction_depth_limit = 8;
  params.ior = 1.5f;
  params.outside_ior = 1.0f;
  params.inside_color = {0.9f, 0.8f, 0.7f, 1.0f};
  params.outside_color = {0.95f, 0.95f, 0.95f, 1.0f};
  params.inside_density = 1.0f;
  params.outside_density = 1.0f;
  params.split_depth = 8;
  params.blur_depth = 8;
  params.photon_specular_color = {1.0f, 1.0f, 1.0f, 1.0f};
  params.photon_diffuse_color = {1.0f, 1.0f, 1.0f, 1.0f};
  params.spectrum_weight = 1.0f;
}

} // namespace bench

using bench::answers;

// The host operations, exported for the module's lookup.
#define BENCH_EXPORT extern "C" __attribute__((visibility("default")))

BENCH_EXPORT void *mi_phen_eval(HostState *, void *field) { return field; }

static int trace(Colour *out, HostState *state) {
  if (answers().on_trace != nullptr) answers().on_trace(state);
  *out = answers().trace_colour;
  if (state->child != nullptr) state->child->hit_distance = answers().hit_distance;
  return answers().trace_hits;
}
// With a frame pointer, the frame address lies one slot below the return
// address, which the caller's call instruction left at the stack pointer.
#define BENCH_RECORD_ENTRY_SP()                                                                    \
  answers().trace_entry_sp = reinterpret_cast<uintptr_t>(__builtin_frame_address(0)) + 8
BENCH_EXPORT int mi_trace_reflection(Colour *out, HostState *state, Vector *) {
  BENCH_RECORD_ENTRY_SP();
  return trace(out, state);
}
BENCH_EXPORT int mi_trace_refraction(Colour *out, HostState *state, Vector *) {
  BENCH_RECORD_ENTRY_SP();
  return trace(out, state);
}
BENCH_EXPORT int mi_trace_environment(Colour *out, HostState *, Vector *) {
  *out = answers().trace_colour;
  return 1;
}
BENCH_EXPORT void mi_reflection_dir(Vector *out, HostState *state) {
  *out = {state->direction.x, state->direction.y, -state->direction.z};
}
BENCH_EXPORT int mi_refraction_dir(Vector *out, HostState *state, float, float) {
  *out = state->direction;
  return answers().refraction_ok;
}
BENCH_EXPORT float mi_fresnel_reflection(HostState *, float, float) { return answers().fresnel; }
BENCH_EXPORT float mi_phong_specular(float, HostState *, Vector *) { return answers().phong; }
BENCH_EXPORT int mi_sample_light(Colour *out, Vector *dir, float *dot_nl, HostState *, Tag,
                                 int *count) {
  if (*count >= answers().light_samples) return 0;
  ++*count;
  *out = answers().light_colour;
  *dir = {0.0f, 0.0f, 1.0f};
  *dot_nl = 1.0f;
  return 1;
}
BENCH_EXPORT int mi_inclusive_lightlist(int *, Tag **, HostState *) { return 1; }
BENCH_EXPORT int mi_exclusive_lightlist(int *, Tag **, HostState *) { return 1; }
BENCH_EXPORT int mi_compute_irradiance(Colour *out, HostState *) {
  *out = {0.1f, 0.1f, 0.1f, 1.0f};
  return 1;
}
BENCH_EXPORT int mi_sample(double *values, int *count, HostState *, int dimension, int *n) {
  static const double fixed[3] = {0.3, 0.6, 0.45};
  for (int i = 0; i < dimension; ++i) values[i] = fixed[i];
  if (count == nullptr) return 1;
  const int budget = answers().samples_granted >= 0 ? answers().samples_granted : (n ? *n : 1);
  if (*count >= budget) return 0;
  ++*count;
  return 1;
}
BENCH_EXPORT int mi_ray_falloff(HostState *, double *, double *) { return 1; }
BENCH_EXPORT int mi_query(int, HostState *, Tag, void *result, ...) {
  if (result != nullptr) *static_cast<int *>(result) = answers().query_answer;
  return 1;
}
BENCH_EXPORT int mi_choose_simple_scatter_type(HostState *, Colour *, Colour *, Colour *,
                                               Colour *) {
  return answers().scatter_type;
}
BENCH_EXPORT void mi_reflection_dir_specular(Vector *out, HostState *state) {
  mi_reflection_dir(out, state);
}
BENCH_EXPORT void mi_reflection_dir_diffuse(Vector *out, HostState *) { *out = {0.0f, 0.0f, 1.0f}; }
BENCH_EXPORT int mi_transmission_dir_specular(Vector *out, HostState *state, float, float) {
  *out = state->direction;
  return 1;
}
BENCH_EXPORT void mi_transmission_dir_diffuse(Vector *out, HostState *) {
  *out = {0.0f, 0.0f, -1.0f};
}
BENCH_EXPORT int mi_photon_reflection_specular(Colour *, HostState *, Vector *) { return 1; }
BENCH_EXPORT int mi_photon_reflection_diffuse(Colour *, HostState *, Vector *) { return 1; }
BENCH_EXPORT int mi_photon_transmission_specular(Colour *, HostState *, Vector *) { return 1; }
BENCH_EXPORT int mi_photon_transmission_diffuse(Colour *, HostState *, Vector *) { return 1; }
BENCH_EXPORT int mi_store_photon(Colour *, HostState *) { return 1; }
