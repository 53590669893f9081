// A renderer module for the binding tests. The full variant exports all 25
// host operations, each counting its calls and answering something that names
// it; the partial one exports only mi_fresnel_reflection and mi_query, with
// answers of its own, so a test can tell which module a stub is bound to.
#include <cstdarg>
#include <cstring>

#include <vitrel/host/ops.h>

#ifndef BINDING_HOST_FULL
#define BINDING_HOST_FULL 0
#endif

namespace {

// Counted atomically: the tests call the operations from many threads at once.
int calls[VITREL_BINDING_SLOTS];

void count_call(int slot) { __atomic_fetch_add(&calls[slot], 1, __ATOMIC_RELAXED); }
float float_answer = 0.5f;

struct QueryArgs {
  int code;
  HostState *state;
  Tag tag;
  void *result;
  int extra_int;
  double extra_double;
  const char *extra_text;
} last_query;

template <typename R>
struct Answer {
  static R of(int slot) { return static_cast<R>(slot); } // integers: the slot
};
template <>
struct Answer<void> {
  static void of(int) {}
};
template <>
struct Answer<float> {
  static float of(int) { return float_answer; }
};
template <>
struct Answer<void *> {
  static void *of(int slot) { return &calls[slot]; }
};

} // namespace

extern "C" {

int binding_host_calls(int slot) { return calls[slot]; }
void binding_host_set_float(float value) { float_answer = value; }
void binding_host_reset() {
  std::memset(calls, 0, sizeof calls);
  std::memset(&last_query, 0, sizeof last_query);
}
void binding_host_last_query(int *code, HostState **state, Tag *tag, void **result, int *i,
                             double *d, const char **text) {
  *code = last_query.code;
  *state = last_query.state;
  *tag = last_query.tag;
  *result = last_query.result;
  *i = last_query.extra_int;
  *d = last_query.extra_double;
  *text = last_query.extra_text;
}

// Code 7 carries an int, a double and a string after the named arguments.
int mi_query(int code, HostState *state, Tag tag, void *result, ...) {
  count_call(215);
  last_query = {code, state, tag, result, 0, 0.0, nullptr};
  if (code == 7) {
    va_list ap;
    va_start(ap, result);
    last_query.extra_int = va_arg(ap, int);
    last_query.extra_double = va_arg(ap, double);
    last_query.extra_text = va_arg(ap, const char *);
    va_end(ap);
  }
  return BINDING_HOST_FULL ? 215 : 2215;
}

#if BINDING_HOST_FULL
// mi_query is written out above; its generated twin goes under another name.
#define mi_query generated_mi_query
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
#define FULL_HOST_OP(slot, ret, name, params, args)                                                \
  ret name params {                                                                                \
    count_call(slot);                                                                              \
    return Answer<ret>::of(slot);                                                                  \
  }
VITREL_HOST_OPERATIONS(FULL_HOST_OP)
#pragma GCC diagnostic pop
#undef mi_query
#else
float mi_fresnel_reflection(HostState *, float, float) {
  count_call(184);
  return 0.25f;
}
#endif

} // extern "C"
