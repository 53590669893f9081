#include <dlfcn.h>

#include "platform.h"

namespace testhost {

void *open_module(const char *path, std::string *error) {
  void *handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr && error != nullptr) *error = dlerror();
  return handle;
}

void *find_symbol(void *module, const char *name) { return dlsym(module, name); }

void *own_handle() { return dlopen(nullptr, RTLD_NOW); }

void *find_in_process(const char *name) { return dlsym(RTLD_DEFAULT, name); }

} // namespace testhost
