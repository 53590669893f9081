#include <cstring>
#include <dlfcn.h>
#include <limits.h>
#include <pthread.h>
#include <unistd.h>

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

namespace {

struct ThreadCall {
  void (*fn)(void *);
  void *arg;
};

void *thread_main(void *call) {
  const ThreadCall *c = static_cast<const ThreadCall *>(call);
  c->fn(c->arg);
  return nullptr;
}

} // namespace

bool run_with_stack(size_t bytes, void (*fn)(void *), void *arg, std::string *error) {
  // The size must be a whole number of pages and at least the system's least.
  const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  const size_t least = static_cast<size_t>(PTHREAD_STACK_MIN);
  bytes = (bytes < least ? least : bytes) + page - 1;
  bytes -= bytes % page;
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  int code = pthread_attr_setstacksize(&attr, bytes);
  ThreadCall call{fn, arg};
  pthread_t thread;
  if (code == 0) code = pthread_create(&thread, &attr, thread_main, &call);
  pthread_attr_destroy(&attr);
  if (code != 0) {
    if (error != nullptr)
      *error = "cannot start a thread with a stack of " + std::to_string(bytes) +
               " bytes: " + std::strerror(code);
    return false;
  }
  pthread_join(thread, nullptr);
  return true;
}

} // namespace testhost
