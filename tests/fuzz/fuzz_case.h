// One fuzz input read as a renderer's situation: the parameter record with
// its lights and connection flags, the state of the hit with its ancestors and
// records, the children a trace may leave, the values connected fields and
// the host's light lists answer with, and the host's falloff. The rest of the
// input is the script of host answers.
#ifndef VITREL_TESTS_FUZZ_FUZZ_CASE_H
#define VITREL_TESTS_FUZZ_FUZZ_CASE_H

#include "fuzz/fuzz_bytes.h"
#include "fuzz/fuzz_host.h"
#include "fuzz/guarded_arena.h"
#include <vitrel/shader/params.h>

namespace fuzz {

constexpr int kMaxAncestors = 8;

struct FuzzCase {
  int handle_choice = 0;
  GlassParams *params = nullptr;
  HostState state = {}; // the state each shader call starts from
  HostState *children[kChildren] = {};
  const unsigned char *eval_pool = nullptr;
  Tag *light_pool = nullptr;
  Colour result = {}; // the result colour before the material call
  Colour energy = {}; // the photon's energy before the photon call
  double falloff_start = 0.0, falloff_stop = 0.0;
  // The record or the state holds a NaN or an infinity.
  bool nonfinite = false;
  // The photon's energy does.
  bool energy_nonfinite = false;
};

// Reads the situation from the front of `in`, laying every read-only record
// out in `arena`; `in` is left at the host's script.
FuzzCase read_case(Bytes &in, GuardedArena &arena, int handle_choices);

// Writes the bytes read_case reads for a plain situation: the record and the
// state given, a camera and options record, the parents given by ray type
// (each running the same shader), no connections and no further lights,
// children at `child_distance`, connected values of 1.0 and the photon energy
// given. The host's script follows.
void write_case(Writer &out, const GlassParams &params, const HostState &state,
                const int *parent_types, int parents, double child_distance, Colour energy);

} // namespace fuzz

#endif
