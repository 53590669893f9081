// What the test programs need of the platform's loader: one small file per
// platform implements it (platform_posix.cpp, platform_windows.cpp).
#ifndef VITREL_TESTS_PLATFORM_H
#define VITREL_TESTS_PLATFORM_H

#include <cstddef>
#include <string>

// Marks a host operation defined by a test program as exported from it, so the
// module's lookup in the program's own handle finds it.
#if defined(_WIN32)
#define TESTHOST_API __declspec(dllexport)
#else
#define TESTHOST_API __attribute__((visibility("default")))
#endif

namespace testhost {

// Loads a module by path; null with the loader's message in *error on failure.
void *open_module(const char *path, std::string *error);
// An exported symbol of a loaded module, or null.
void *find_symbol(void *module, const char *name);
// The handle of the running program itself, as a renderer hands it over.
void *own_handle();
// An exported symbol anywhere in the process (for checking what the test
// program itself exports).
void *find_in_process(const char *name);

// Runs fn(arg) on a new thread whose stack is `bytes` long (rounded up to
// what the system accepts) and waits for it to end: deep recursion is tested
// against a stack of known size, not whatever the test runner's thread has.
// False, with the reason in *error, when no such thread can be started.
bool run_with_stack(size_t bytes, void (*fn)(void *), void *arg, std::string *error);

} // namespace testhost

#endif
