// libFuzzer target: the glass module through its real boundary. The module
// (built with the same sanitizers and coverage) is loaded with dlopen and
// bound to one of the fuzz program's host libraries; each input becomes a
// parameter record, a state with its ancestors and a script of host answers,
// and both exports shade it. What must hold on every input is checked here and
// in the host's operations, and stops the fuzzer when it fails.
#include <dlfcn.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_case.h"
#include "fuzz/fuzz_host.h"
#include "fuzz/guarded_arena.h"
#include "fuzz/stderr_capture.h"
#include "host/ray_sets.h"
#include "host_libraries.h"
#include <vitrel/shader/exports.h>

namespace fuzz {

namespace {

using Shade = decltype(&vitrel);

struct Program {
  Shade material = nullptr; // the export vitrel
  Shade photon = nullptr;   // the export vitrel_photon
  decltype(&miSetModuleHandle) set_module_handle = nullptr;
  // The host libraries; the last choice is the null handle.
  std::vector<void *> hosts;
  GuardedArena arena{64 * 1024};
};

Program *program;

void *open_or_die(const char *path) {
  void *handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    std::fprintf(stderr, "vitrel module fuzzer: %s\n", dlerror());
    std::abort();
  }
  return handle;
}

void *symbol_or_die(void *module, const char *name) {
  void *address = dlsym(module, name);
  if (address == nullptr) {
    std::fprintf(stderr, "vitrel module fuzzer: the module lacks %s\n", name);
    std::abort();
  }
  return address;
}

void check_diagnostics(const std::string &text) {
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find('\n', start);
    if (end == std::string::npos) fail("the module left an unfinished line on standard error");
    if (!is_diagnostic_line(text.substr(start, end - start + 1))) {
      report_to_real_stderr(text.c_str());
      fail("the module wrote something other than its diagnostics to standard error");
    }
    start = end + 1;
  }
}

bool same_bits(const void *a, const void *b, size_t n) { return std::memcmp(a, b, n) == 0; }

// Of its own state the material shader may write the normal, dot_nd, both
// indices and the refraction volume, the photon shader only the latter three;
// `child` is the host's, set by its traces.
void check_state(const HostState &before, const HostState &after, bool photon_body,
                 HostState *expected_child) {
#define FUZZ_SAME(field)                                                                           \
  if (!same_bits(&before.field, &after.field, sizeof before.field))                                \
    fail("the shader changed the state's " #field);
  FUZZ_SAME(ray_type)
  FUZZ_SAME(parent)
  FUZZ_SAME(hit_distance)
  FUZZ_SAME(inverted_normal)
  FUZZ_SAME(reflection_level)
  FUZZ_SAME(refraction_level)
  FUZZ_SAME(direction)
  FUZZ_SAME(volume)
  FUZZ_SAME(shader)
  FUZZ_SAME(camera)
  FUZZ_SAME(options)
  if (photon_body) {
    FUZZ_SAME(normal)
    FUZZ_SAME(dot_nd)
  }
#undef FUZZ_SAME
  if (after.child != expected_child) fail("the shader changed the state's child");
}

// The value a field had for the shader: in place, or what the host's
// evaluation answered in this call.
template <typename T>
T value_as_read(const HostScript &s, const HostState &state, const T &field) {
  const auto *at = reinterpret_cast<const unsigned char *>(&field);
  const void *from = at;
  if (state.shader != nullptr && state.shader->interface_offset != 0) {
    int32_t flag;
    std::memcpy(&flag, at + state.shader->interface_offset, sizeof flag);
    const size_t word =
        static_cast<size_t>(at - reinterpret_cast<const unsigned char *>(s.params)) / 4;
    if (flag != 0 && s.evaluated[word] != nullptr) from = s.evaluated[word];
  }
  T v;
  std::memcpy(&v, from, sizeof v);
  return v;
}

// The alpha a completed material call writes: the layer's coverage, or its
// complement under invert_alpha; 0 or 1 without a layer.
float expected_alpha(const HostScript &s, const HostState &state) {
  const float opacity = value_as_read(s, state, s.params->opacity);
  const bool invert = value_as_read(s, state, s.params->invert_alpha) == 1;
  float coverage = 0.0f;
  if (opacity > 1.0f)
    coverage = 1.0f;
  else if (opacity > 0.0f)
    coverage = opacity;
  if (coverage > 0.0f) return invert ? static_cast<float>(1.0 - coverage) : coverage;
  return invert ? 1.0f : 0.0f;
}

void check_material(const FuzzCase &c, const HostScript &s, int answer, const Colour &result,
                    const HostState &after) {
  const HostState &before = c.state;
  const bool declined = glass::in_set(glass::kUnshadedRays, before.ray_type) ||
                        (before.options != nullptr &&
                         (before.reflection_level >= before.options->reflection_depth_limit ||
                          before.refraction_level >= before.options->refraction_depth_limit));
  if (declined) {
    if (answer != 0) fail("a declined ray did not answer 0");
    if (!same_bits(&result, &c.result, sizeof result)) fail("a declined ray changed the result");
    if (s.calls != 0) fail("a declined ray called the host");
    if (!same_bits(&before, &after, sizeof before)) fail("a declined ray changed the state");
    return;
  }
  if (answer != 1) fail("a shaded ray did not answer 1");
  const float alpha = expected_alpha(s, before);
  if (!same_bits(&result.a, &alpha, sizeof alpha)) fail("the alpha is not the one its rules give");
  if (!s.nonfinite && !finite(result))
    fail("finite parameters and host answers gave a result that is not finite");
}

void check_photon(const FuzzCase &c, const HostScript &s, const Colour &energy) {
  if (!same_bits(&energy.a, &c.energy.a, sizeof energy.a)) fail("the photon's alpha changed");
  if (!s.nonfinite && !finite(energy))
    fail("finite parameters and host answers left an energy that is not finite");
}

void trace_field(const char *name, float v) { trace_line("  %s %g\n", name, v); }
void trace_field(const char *name, int32_t v) { trace_line("  %s %d\n", name, v); }
void trace_field(const char *name, const Colour &v) {
  trace_line("  %s %g %g %g %g\n", name, v.r, v.g, v.b, v.a);
}
void trace_field(const char *name, const Vector &v) {
  trace_line("  %s %g %g %g\n", name, v.x, v.y, v.z);
}

void trace_case(const FuzzCase &c) {
  const HostState &s = c.state;
  trace_line("host %d, ray type %d, inverted %d, levels %d %d, hit distance %g, shader %s, "
             "offset %d\n",
             c.handle_choice, s.ray_type, s.inverted_normal, s.reflection_level, s.refraction_level,
             s.hit_distance, s.shader ? "yes" : "no", s.shader ? s.shader->interface_offset : 0);
#define FUZZ_TRACE_FIELD(type, name) trace_field(#name, c.params->name);
  VITREL_GLASS_PARAMS(FUZZ_TRACE_FIELD)
#undef FUZZ_TRACE_FIELD
  trace_field("energy", c.energy);
}

// One export on the case; `in` continues the script from where it stands.
void shade(Shade export_fn, const FuzzCase &c, Bytes &in) {
  HostState state = c.state;
  const bool photon_body = glass::in_set(glass::kPhotonRays, state.ray_type);
  Colour colour = photon_body ? c.energy : c.result;

  HostScript &s = script();
  s = HostScript{};
  s.answers = in;
  s.state = &state;
  s.params = c.params;
  std::memcpy(s.children, c.children, sizeof s.children);
  s.eval_pool = c.eval_pool;
  s.light_pool = c.light_pool;
  s.falloff_start = c.falloff_start;
  s.falloff_stop = c.falloff_stop;
  s.energy = &colour;
  s.arrival = colour;
  s.nonfinite = c.nonfinite || (photon_body && c.energy_nonfinite);

  if (tracing()) trace_case(c);
  program->arena.seal();
  begin_capture();
  const int answer = export_fn(&colour, &state, c.params);
  const std::string diagnostics = end_capture();
  program->arena.unseal();
  in = s.answers;

  check_diagnostics(diagnostics);
  if (s.falloff_installed) fail("the shader installed a falloff and did not restore it");
  check_state(c.state, state, photon_body, s.traced ? s.last_child : c.state.child);
  if (photon_body)
    check_photon(c, s, colour);
  else
    check_material(c, s, answer, colour, state);
}

} // namespace

} // namespace fuzz

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  using namespace fuzz;
  program = new Program;
  void *module = open_or_die(VITREL_MODULE_PATH);
  program->material = reinterpret_cast<Shade>(symbol_or_die(module, "vitrel"));
  program->photon = reinterpret_cast<Shade>(symbol_or_die(module, "vitrel_photon"));
  program->set_module_handle =
      reinterpret_cast<decltype(&miSetModuleHandle)>(symbol_or_die(module, "miSetModuleHandle"));
  for (const char *path : kHostLibraries) program->hosts.push_back(open_or_die(path));
  program->hosts.push_back(nullptr);
  setup_stderr_capture();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  using namespace fuzz;
  Bytes in(data, size);
  program->arena.reset();
  const FuzzCase c = read_case(in, program->arena, static_cast<int>(program->hosts.size()));
  // Every input binds afresh, so lookups (and their failures) happen in it.
  program->set_module_handle(program->hosts[c.handle_choice]);
  shade(program->material, c, in);
  shade(program->photon, c, in);
  return 0;
}
