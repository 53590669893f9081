// Run-time binding of the host operations. The module links against no
// renderer library: each operation is reached through a hidden stub of its own
// name (generated from VITREL_HOST_OPERATIONS) that looks the operation up by
// name in the renderer's module on first use and from then on jumps straight
// to it.
#ifndef VITREL_MODULE_HOST_BINDING_H
#define VITREL_MODULE_HOST_BINDING_H

#include <vitrel/host/ops.h>

#if defined(_WIN32)
#define VITREL_HIDDEN
#else
#define VITREL_HIDDEN __attribute__((visibility("hidden")))
#endif

extern "C" {

// One slot per operation: null, or the bound address. Read by the stubs with
// one pointer-sized load and written with one pointer-sized store, no lock.
VITREL_HIDDEN extern void *vitrel_dl_table[VITREL_BINDING_SLOTS];

// The slow path of a stub: reports a missing handle, looks `name` up, stores
// the result (null or not) in the slot, reports a failed lookup, and returns
// the address, or null when the operation cannot be had.
VITREL_HIDDEN void *vitrel_bind(int slot, const char *name);
}

namespace glass {

// The loader's side of a lookup; one implementation per platform.
// Returns the address of `name` in `handle`, or null with the loader's error
// code in *error. A null handle is a module with no symbols.
void *platform_lookup(void *handle, const char *name, int *error);

} // namespace glass

#endif
