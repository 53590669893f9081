#include <windows.h>

#include "host/binding.h"

namespace glass {

// The loader's own answer, null handle included: GetProcAddress decides what
// a null module means, and GetLastError says why a name was not found
// (ERROR_PROC_NOT_FOUND, 127, for a name the module does not export).
void *platform_lookup(void *handle, const char *name, int *error) {
  FARPROC address = GetProcAddress(static_cast<HMODULE>(handle), name);
  if (address == nullptr) *error = static_cast<int>(GetLastError());
  return reinterpret_cast<void *>(address);
}

} // namespace glass
