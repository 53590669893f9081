#include "fuzz/fuzz_host.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>

#include "fuzz/stderr_capture.h"

namespace fuzz {

HostScript &script() {
  static HostScript s;
  return s;
}

void fail(const char *what) {
  report_to_real_stderr("vitrel module fuzzer: ");
  report_to_real_stderr(what);
  report_to_real_stderr("\n");
  std::abort();
}

namespace {

// Every operation is called with the state the shader was handed: the module
// has no other state to pass, and a host would read a wrong one as its own.
} // namespace

bool finite(const Colour &c) {
  return std::isfinite(c.r) && std::isfinite(c.g) && std::isfinite(c.b) && std::isfinite(c.a);
}

bool tracing() {
  static const bool on = std::getenv("VITREL_FUZZ_TRACE") != nullptr;
  return on;
}

void trace_line(const char *format, ...) {
  if (!tracing()) return;
  char line[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  report_to_real_stderr(line);
}

namespace {

HostScript &enter(HostState *state, const char *op = __builtin_FUNCTION()) {
  trace_line("%s\n", op);
  HostScript &s = script();
  if (state != s.state) fail("a host operation was called with a state other than the shader's");
  ++s.calls;
  return s;
}

bool exhausted(const HostScript &s) { return s.calls > kMaxCallsPerShade; }

float answer_scalar(HostScript &s) {
  const float v = s.answers.scalar(&s.nonfinite);
  trace_line("  -> %g\n", v);
  return v;
}
Colour answer_colour(HostScript &s) {
  const Colour c = s.answers.colour(&s.nonfinite);
  trace_line("  -> colour %g %g %g %g\n", c.r, c.g, c.b, c.a);
  return c;
}
Vector answer_vector(HostScript &s) {
  const Vector v = s.answers.vector(&s.nonfinite);
  trace_line("  -> vector %g %g %g\n", v.x, v.y, v.z);
  return v;
}

// A trace: hit or miss, the child it leaves (one of the prepared children,
// whose distances the input chose, or none) and the colour it delivers.
int trace(Colour *out, HostState *state) {
  HostScript &s = enter(state);
  if (out == nullptr) fail("a trace was asked to write through a null colour");
  const uint8_t how = s.answers.byte();
  *out = answer_colour(s);
  const bool hit = (how & 1) != 0 && !exhausted(s);
  const int pick = (how >> 1) % (kChildren + 1);
  state->child = pick < kChildren ? s.children[pick] : nullptr;
  s.last_child = state->child;
  s.traced = true;
  if (hit && state->child != nullptr && !std::isfinite(state->child->hit_distance))
    s.nonfinite = true;
  return hit ? 1 : 0;
}

void direction(Vector *out, HostState *state) {
  HostScript &s = enter(state);
  if (out == nullptr) fail("a direction was asked to be written through a null vector");
  // Sometimes the host leaves the vector as the shader set it up.
  if (s.answers.byte() & 1) *out = answer_vector(s);
}

// One more sample of a host sampling loop while the host grants it. The
// grant is drawn when the loop starts (the counter is 0), so a shader that
// resets its counter mid-loop could loop forever: the call cap stops it.
bool grant_sample(HostScript &s, int count) {
  if (exhausted(s)) fail("the shader did not end a sampling loop the host had ended");
  if (count == 0) {
    const uint8_t b = s.answers.byte();
    s.samples_granted = b >= 250 ? kMaxSamplesPerLoop : b % 9;
  }
  return count < s.samples_granted;
}

int continuation(Colour *energy, HostState *state, Vector *dir) {
  HostScript &s = enter(state);
  if (energy == nullptr || dir == nullptr)
    fail("a photon was sent on with a null energy or direction");
  trace_line("  energy %g %g %g %g\n", energy->r, energy->g, energy->b, energy->a);
  if (!s.nonfinite && !finite(*energy))
    fail("a photon was sent on with an energy that is not finite");
  return s.answers.byte() & 1;
}

} // namespace

extern "C" {

int fuzz_op_mi_photon_reflection_specular(Colour *energy, HostState *state, Vector *dir) {
  return continuation(energy, state, dir);
}
int fuzz_op_mi_photon_transmission_specular(Colour *energy, HostState *state, Vector *dir) {
  return continuation(energy, state, dir);
}
int fuzz_op_mi_photon_reflection_diffuse(Colour *energy, HostState *state, Vector *dir) {
  return continuation(energy, state, dir);
}
int fuzz_op_mi_photon_transmission_diffuse(Colour *energy, HostState *state, Vector *dir) {
  return continuation(energy, state, dir);
}

int fuzz_op_mi_choose_simple_scatter_type(HostState *state, Colour *diffuse_reflection,
                                          Colour *specular_reflection, Colour *diffuse_transmission,
                                          Colour *specular_transmission) {
  HostScript &s = enter(state);
  if (specular_reflection == nullptr || specular_transmission == nullptr)
    fail("the specular scatter colours must always be handed over");
  static const int kTypes[] = {8, 10, 12, 13, 15, 9, 11, 14};
  const uint8_t how = s.answers.byte();
  const int type = (how & 0x80) ? s.answers.integer() : kTypes[how % 8];
  // The host may rewrite the colour of the type it picks.
  Colour *chosen = type == 10   ? specular_reflection
                   : type == 12 ? diffuse_reflection
                   : type == 13 ? specular_transmission
                   : type == 15 ? diffuse_transmission
                                : nullptr;
  if (chosen != nullptr && (how & 0x40)) *chosen = answer_colour(s);
  return type;
}

void fuzz_op_mi_reflection_dir_diffuse(Vector *out, HostState *state) { direction(out, state); }
void fuzz_op_mi_reflection_dir_specular(Vector *out, HostState *state) { direction(out, state); }
int fuzz_op_mi_transmission_dir_specular(Vector *out, HostState *state, float, float) {
  direction(out, state);
  return script().answers.byte() & 1;
}
void fuzz_op_mi_transmission_dir_diffuse(Vector *out, HostState *state) { direction(out, state); }

int fuzz_op_mi_store_photon(Colour *energy, HostState *state) {
  HostScript &s = enter(state);
  // The photon is stored as it arrived, before any tint of its own call.
  if (energy != s.energy || std::memcmp(energy, &s.arrival, sizeof(Colour)) != 0)
    fail("a photon was stored with another energy than the one it arrived with");
  return s.answers.byte() & 1;
}

int fuzz_op_mi_compute_irradiance(Colour *out, HostState *state) {
  HostScript &s = enter(state);
  if (out == nullptr) fail("irradiance asked for through a null colour");
  if (s.answers.byte() & 1) *out = answer_colour(s);
  return s.answers.byte() & 1;
}

// The falloff is a swap: the first call installs the shader's pair and hands
// back the host's, the second must hand exactly that pair back.
int fuzz_op_mi_ray_falloff(HostState *state, double *start, double *stop) {
  HostScript &s = enter(state);
  if (start == nullptr || stop == nullptr) fail("mi_ray_falloff called with a null distance");
  if (!s.falloff_installed) {
    s.handed_start = s.falloff_start;
    s.handed_stop = s.falloff_stop;
  } else if (std::memcmp(start, &s.handed_start, sizeof(double)) != 0 ||
             std::memcmp(stop, &s.handed_stop, sizeof(double)) != 0) {
    fail("the falloff was restored with another pair than the host handed back");
  }
  std::swap(s.falloff_start, *start);
  std::swap(s.falloff_stop, *stop);
  s.falloff_installed = !s.falloff_installed;
  return 1;
}

int fuzz_op_mi_trace_reflection(Colour *out, HostState *state, Vector *) {
  return trace(out, state);
}
int fuzz_op_mi_trace_refraction(Colour *out, HostState *state, Vector *) {
  return trace(out, state);
}
int fuzz_op_mi_trace_environment(Colour *out, HostState *state, Vector *) {
  HostScript &s = enter(state);
  if (out == nullptr) fail("the environment asked for through a null colour");
  *out = answer_colour(s);
  return s.answers.byte() & 1;
}

int fuzz_op_mi_sample(double *values, int *count, HostState *state, int dimension, int *n) {
  HostScript &s = enter(state);
  // The shaders' sample buffers hold three values at most.
  if (dimension < 1 || dimension > 3) fail("mi_sample asked for a dimension outside 1..3");
  if ((count == nullptr) != (n == nullptr)) fail("mi_sample given a counter without a budget");
  if (count != nullptr && !grant_sample(s, *count)) return 0;
  for (int i = 0; i < dimension; ++i) {
    values[i] = s.answers.wide(&s.nonfinite);
    trace_line("  -> sample %g\n", values[i]);
  }
  if (count != nullptr) ++*count;
  return 1;
}

int fuzz_op_mi_sample_light(Colour *out, Vector *dir, float *dot_nl, HostState *state, Tag,
                            int *count) {
  HostScript &s = enter(state);
  if (out == nullptr || dir == nullptr || dot_nl == nullptr || count == nullptr)
    fail("mi_sample_light given a null output");
  if (!grant_sample(s, *count)) return 0;
  *out = answer_colour(s);
  *dir = answer_vector(s);
  *dot_nl = answer_scalar(s);
  ++*count;
  return 1;
}

// The host may replace the list with its own, of 0, negative or many lights.
static int light_list(int *n, Tag **list, HostState *state) {
  HostScript &s = enter(state);
  if (n == nullptr || list == nullptr) fail("a light list operation given a null count or list");
  const uint8_t how = s.answers.byte();
  if (how & 1) {
    static const int kCounts[] = {0, -1, -7, kMaxLights, 1, 3};
    *n = (how & 0x80) ? std::numeric_limits<int>::min() : kCounts[(how >> 1) % 6];
    *list = s.light_pool;
  }
  return (how >> 4) & 1;
}
int fuzz_op_mi_inclusive_lightlist(int *n, Tag **list, HostState *state) {
  return light_list(n, list, state);
}
int fuzz_op_mi_exclusive_lightlist(int *n, Tag **list, HostState *state) {
  return light_list(n, list, state);
}

void *fuzz_op_mi_phen_eval(HostState *state, void *field) {
  HostScript &s = enter(state);
  const auto *base = reinterpret_cast<const unsigned char *>(s.params);
  const auto *at = static_cast<const unsigned char *>(field);
  if (at < base || at >= base + sizeof(GlassParams) || (at - base) % 4 != 0)
    fail("mi_phen_eval asked to evaluate an address that is no field of the record");
  const uint8_t how = s.answers.byte();
  const void *value = nullptr;
  if (how % 8 != 0) {
    const unsigned char *slot = s.eval_pool + 16 * ((how >> 3) % kEvalSlots);
    float words[4];
    std::memcpy(words, slot, sizeof words);
    for (float w : words)
      if (!std::isfinite(w)) s.nonfinite = true;
    value = slot;
  }
  s.evaluated[(at - base) / 4] = value;
  return const_cast<void *>(value);
}

float fuzz_op_mi_fresnel_reflection(HostState *state, float, float) {
  return answer_scalar(enter(state));
}
float fuzz_op_mi_phong_specular(float, HostState *state, Vector *) {
  return answer_scalar(enter(state));
}
void fuzz_op_mi_reflection_dir(Vector *out, HostState *state) { direction(out, state); }
int fuzz_op_mi_refraction_dir(Vector *out, HostState *state, float, float) {
  direction(out, state);
  return script().answers.byte() & 1;
}

int fuzz_op_mi_query(int code, HostState *state, Tag, void *result, ...) {
  HostScript &s = enter(state);
  const uint8_t how = s.answers.byte();
  // The answer may be left unwritten.
  if (code == VITREL_QUERY_SINGLE_PATH && (how & 1)) {
    const int32_t flag = s.answers.integer();
    std::memcpy(result, &flag, sizeof flag);
  }
  return (how >> 1) & 1;
}

} // extern "C"

} // namespace fuzz
