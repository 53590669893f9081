// Memory the module may only read. Every record the fuzzer hands the module
// for reading (the parameter record with its lights and connection flags, the
// ancestors, the shader, camera and options records, the values connected
// fields evaluate to, the host's light lists) is laid out here. During a
// shader call the whole arena is read-only, so a stray write faults at once;
// between the records lie poisoned gaps, so a read past a record is reported
// by AddressSanitizer, and a guard page follows the last one.
#ifndef VITREL_TESTS_FUZZ_GUARDED_ARENA_H
#define VITREL_TESTS_FUZZ_GUARDED_ARENA_H

#include <cstddef>

namespace fuzz {

class GuardedArena {
public:
  explicit GuardedArena(size_t bytes);
  GuardedArena(const GuardedArena &) = delete;
  GuardedArena &operator=(const GuardedArena &) = delete;

  // Writable, empty, nothing poisoned.
  void reset();
  // Zeroed room for `bytes`, aligned to `align`, after a poisoned gap.
  void *take(size_t bytes, size_t align);
  template <typename T>
  T *take() {
    return static_cast<T *>(take(sizeof(T), alignof(T)));
  }
  // Read-only for the call, and writable again after it.
  void seal();
  void unseal();

private:
  unsigned char *base_;
  size_t size_;
  size_t used_ = 0;
};

} // namespace fuzz

#endif
