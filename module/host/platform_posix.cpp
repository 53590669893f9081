#include <dlfcn.h>

#include "host/binding.h"

namespace glass {

// dlsym reports no numeric error; failures print the number Windows loaders
// use for a name a module does not export, so logs read the same everywhere.
constexpr int kProcNotFound = 127;

void *platform_lookup(void *handle, const char *name, int *error) {
  // glibc reads a null handle as RTLD_DEFAULT, a search of the whole process
  // that would find the module's own stubs or any library's symbol; a null
  // handle names no module, so it finds nothing.
  if (handle == nullptr) {
    *error = kProcNotFound;
    return nullptr;
  }
  void *address = dlsym(handle, name);
  if (address == nullptr) {
    // Leave no pending dlerror() behind for the host to trip over.
    dlerror();
    *error = kProcNotFound;
  }
  return address;
}

} // namespace glass
