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

namespace {

struct ThreadCall {
  void (*fn)(void *);
  void *arg;
};

DWORD WINAPI thread_main(LPVOID call) {
  const ThreadCall *c = static_cast<const ThreadCall *>(call);
  c->fn(c->arg);
  return 0;
}

} // namespace

bool run_with_stack(size_t bytes, void (*fn)(void *), void *arg, std::string *error) {
  // The size is the stack's reservation: the whole of it may be used, pages
  // being committed as the stack grows into them.
  ThreadCall call{fn, arg};
  HANDLE thread =
      CreateThread(nullptr, bytes, thread_main, &call, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (thread == nullptr) {
    if (error != nullptr)
      *error = "CreateThread with a stack of " + std::to_string(bytes) +
               " bytes failed with error " + std::to_string(GetLastError());
    return false;
  }
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  return true;
}

} // namespace testhost
