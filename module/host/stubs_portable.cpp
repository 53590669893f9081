// Host operation stubs for targets without an assembly trampoline. They bind
// and forward like the x86-64 stubs, but as ordinary calls: mi_query forwards
// its four named arguments only, which is all that query code 142 passes.
#include "host/binding.h"

namespace {

template <typename R>
R no_result() {
  return R();
}

} // namespace

#define VITREL_PORTABLE_STUB(slot, ret, name, params, args)                                        \
  extern "C" VITREL_HIDDEN ret name params {                                                       \
    using Operation = ret(*) params;                                                               \
    void *address = __atomic_load_n(&vitrel_dl_table[slot], __ATOMIC_ACQUIRE);                     \
    if (address == nullptr) address = vitrel_bind(slot, #name);                                    \
    if (address == nullptr) return no_result<ret>();                                               \
    return reinterpret_cast<Operation>(address) args;                                              \
  }
VITREL_HOST_OPERATIONS(VITREL_PORTABLE_STUB)
#undef VITREL_PORTABLE_STUB
