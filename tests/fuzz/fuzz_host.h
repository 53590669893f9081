// The fuzz program's renderer: the 25 host operations, answering from the
// input's script of bytes, and checking on every call what the module may ask
// of a renderer. Each operation is defined here as fuzz_op_<name>; the
// small host libraries (op_library.cpp) export them under the renderer's
// names, all of them or some missing, so the module binds to them by name.
#ifndef VITREL_TESTS_FUZZ_FUZZ_HOST_H
#define VITREL_TESTS_FUZZ_FUZZ_HOST_H

#include <cstddef>

#include "fuzz/fuzz_bytes.h"
#include <vitrel/host/ops.h>
#include <vitrel/shader/params.h>

namespace fuzz {

constexpr int kChildren = 4;
// Connected fields evaluate to one of these 16-byte slots of the pool; the
// pool holds enough Tags after every slot for the longest light list.
constexpr int kEvalSlots = 48;
constexpr size_t kEvalPoolBytes = 1024;
constexpr int kMaxLights = 16;
// The host bounds its own sampling loops, as a renderer's sample budget does.
constexpr int kMaxSamplesPerLoop = 40;
constexpr int kMaxCallsPerShade = 20000;

// What the host knows of one shader call and what it saw during it.
struct HostScript {
  Bytes answers;
  HostState *state = nullptr; // the state handed to the shader
  GlassParams *params = nullptr;
  HostState *children[kChildren] = {};
  const unsigned char *eval_pool = nullptr;
  Tag *light_pool = nullptr;

  // The host's own falloff pair, and the pair it handed back to the shader
  // when the shader installed its own.
  double falloff_start = 0.0, falloff_stop = 0.0;
  double handed_start = 0.0, handed_stop = 0.0;
  bool falloff_installed = false;

  // The photon's energy as it arrived, for the store.
  Colour *energy = nullptr;
  Colour arrival = {};

  // Per field (by 4-byte word of the record), the address mi_phen_eval
  // answered last in this call; null where it was not evaluated.
  const void *evaluated[sizeof(GlassParams) / 4] = {};

  // The child the host's last trace left in the state, if it traced.
  HostState *last_child = nullptr;
  bool traced = false;

  // Samples the host grants the sampling loop in progress, drawn when the
  // loop starts (its counter is 0).
  int samples_granted = 0;

  int calls = 0;
  // Set once the host (or the record, or the state) has handed the shader a
  // NaN or an infinity: only before that must the shader's output be finite.
  bool nonfinite = false;
};

// The script of the call in progress (the fuzzer runs one input at a time).
HostScript &script();

// VITREL_FUZZ_TRACE=1 lists what the host is asked and answers, for reading
// a failing input.
bool tracing();
void trace_line(const char *format, ...) __attribute__((format(printf, 1, 2)));

// All four channels finite.
bool finite(const Colour &c);

// Stops the fuzzer with a message on the real standard error.
[[noreturn]] void fail(const char *what);

#define FUZZ_DECLARE_OPERATION(slot, ret, name, params, args) ret fuzz_op_##name params;
extern "C" {
VITREL_HOST_OPERATIONS(FUZZ_DECLARE_OPERATION)
}
#undef FUZZ_DECLARE_OPERATION

} // namespace fuzz

#endif
