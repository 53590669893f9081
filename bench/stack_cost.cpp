// Stack used per level of glass-in-glass recursion: every trace shades its hit
// with `vitrel` again, on the same thread, as a renderer does. The program
// prints how far the stack moves from one level to the next, and how much of
// that lies in the module: from the renderer's call of `vitrel` to the
// module's call of the renderer's trace. Renderer threads often run with small
// stacks, so this bounds how deep glass may nest. x86-64 only.
//
//   stack_cost MODULE SCENARIO DEPTH
//
// SCENARIO is `clear_glass` (plain reflection and refraction), `frosted`
// (blurred refraction) or `dispersive` (blurred and dispersed refraction).
// Each level refracts only (no reflection, one sample), so the tree is a chain.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench_host.h"

namespace {

bench::Module module;
GlassParams *shared_params;
int max_depth;
uintptr_t frame_at[64];
uintptr_t call_sp_at[64];  // stack pointer as the host calls the shader
uintptr_t entry_sp_at[64]; // stack pointer as the module calls the host's trace
HostState states[66];

void shade_child(HostState *parent) {
  const int level = parent->reflection_level + parent->refraction_level + 1;
  volatile char marker = 0;
  frame_at[level] = reinterpret_cast<uintptr_t>(&marker);
  entry_sp_at[level] = bench::answers().trace_entry_sp;
  if (level >= max_depth) return;
  HostState *child = &states[level];
  *child = *parent;
  child->parent = parent;
  child->child = &states[level + 1];
  child->refraction_level = parent->refraction_level + 1;
  child->ray_type = VITREL_RAY_REFRACT;
  Colour result{};
  uintptr_t sp;
  asm volatile("mov %%rsp, %0" : "=r"(sp));
  call_sp_at[level] = sp;
  module.shade(&result, child, shared_params);
}

bool configure(bench::Scene *scene, const char *scenario) {
  bench::answers().fresnel = 0.0f;
  scene->params.samples = 1;
  if (std::strcmp(scenario, "clear_glass") == 0) return true;
  if (std::strcmp(scenario, "frosted") == 0) {
    scene->params.blur = 0.3f;
    return true;
  }
  if (std::strcmp(scenario, "dispersive") == 0) {
    scene->params.blur = 0.3f;
    scene->params.dispersion = 0.05f;
    return true;
  }
  return false;
}

} // namespace

int main(int argc, char **argv) {
  bench::Scene scene;
  const bench::Run run = bench::start(argc, argv, "DEPTH", &scene, configure);
  max_depth = static_cast<int>(run.n);
  if (max_depth < 3 || max_depth > 60) {
    std::fprintf(stderr, "DEPTH must be 3 to 60\n");
    return 2;
  }
  scene.options.reflection_depth_limit = scene.options.refraction_depth_limit = 64;
  scene.params.split_depth = scene.params.blur_depth = 64;
  module = run.module;
  shared_params = &scene.params;
  bench::answers().on_trace = shade_child;
  Colour result{};
  module.shade(&result, &scene.state, &scene.params);
  const uintptr_t per_level = (frame_at[1] - frame_at[max_depth - 1]) / (max_depth - 2);
  const uintptr_t in_module = call_sp_at[1] - entry_sp_at[2];
  std::printf("%s: %ju bytes of stack per level of recursion, %ju of them in the module\n", argv[2],
              static_cast<uintmax_t>(per_level), static_cast<uintmax_t>(in_module));
  return 0;
}
