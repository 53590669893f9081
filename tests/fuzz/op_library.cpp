// A renderer's module as the glass module sees it: the 25 operations under
// their renderer names, each passing straight on to the fuzz program's own.
// The fuzz build links this file into several host libraries, whose version
// scripts export all of the names, none, or all but one range of slots, so
// that the module's lookups by name fail where an input asks for it.
#include "fuzz/fuzz_host.h"

#define FUZZ_FORWARD_OPERATION(slot, ret, name, params, args)                                      \
  extern "C" __attribute__((visibility("default"))) ret name params {                              \
    return fuzz::fuzz_op_##name args;                                                              \
  }
VITREL_HOST_OPERATIONS(FUZZ_FORWARD_OPERATION)
#undef FUZZ_FORWARD_OPERATION
