#include "host/binding.h"

#include <cinttypes>
#include <cstdio>

#include <vitrel/host/module_handle.h>

extern "C" {
void *vitrel_dl_table[VITREL_BINDING_SLOTS];
}

namespace {

void *dl_handle;

void report(const char *line) { std::fputs(line, stderr); }

} // namespace

extern "C" int miSetModuleHandle(void *handle) {
  __atomic_store_n(&dl_handle, handle, __ATOMIC_RELEASE);
  for (void *&slot : vitrel_dl_table) __atomic_store_n(&slot, nullptr, __ATOMIC_RELEASE);
  return 0;
}

extern "C" void *vitrel_bind(int slot, const char *name) {
  void *handle = __atomic_load_n(&dl_handle, __ATOMIC_ACQUIRE);
  if (handle == nullptr) report("DYNLOAD: dl_handle null\n");

  int error = 0;
  void *address = glass::platform_lookup(handle, name, &error);
  // Two threads binding the same slot at once store the same address.
  __atomic_store_n(&vitrel_dl_table[slot], address, __ATOMIC_RELEASE);

  if (address == nullptr) {
    // Handles are pointer-sized: print every digit, at least eight.
    char line[256];
    std::snprintf(line, sizeof line, "dlsym failed on \"%s\" (handle: %08" PRIxPTR " error: %d)\n",
                  name, reinterpret_cast<uintptr_t>(handle), error);
    report(line);
  }
  return address;
}
