#include <windows.h>

#include "platform.h"

namespace testhost {

void *open_module(const char *path, std::string *error) {
  HMODULE handle = LoadLibraryA(path);
  if (handle == nullptr && error != nullptr)
    *error = "LoadLibrary failed with error " + std::to_string(GetLastError());
  return reinterpret_cast<void *>(handle);
}

void *find_symbol(void *module, const char *name) {
  return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void *own_handle() { return reinterpret_cast<void *>(GetModuleHandleA(nullptr)); }

// The test program exports the host operations from its own image.
void *find_in_process(const char *name) { return find_symbol(own_handle(), name); }

} // namespace testhost
