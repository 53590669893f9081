#include "fuzz/guarded_arena.h"

#include <sanitizer/asan_interface.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace fuzz {

namespace {

// Wide enough that a read of any field type past a record lands in it.
constexpr size_t kGap = 32;

size_t round_up(size_t n, size_t to) { return (n + to - 1) / to * to; }

void check(int result, const char *what) {
  if (result != 0) {
    std::perror(what);
    std::abort();
  }
}

} // namespace

GuardedArena::GuardedArena(size_t bytes) {
  const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  size_ = round_up(bytes, page);
  void *map =
      mmap(nullptr, size_ + page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (map == MAP_FAILED) {
    std::perror("vitrel module fuzzer: mmap");
    std::abort();
  }
  base_ = static_cast<unsigned char *>(map);
  check(mprotect(base_ + size_, page, PROT_NONE), "vitrel module fuzzer: guard page");
}

void GuardedArena::reset() {
  unseal();
  ASAN_UNPOISON_MEMORY_REGION(base_, size_);
  std::memset(base_, 0, used_);
  used_ = 0;
}

void *GuardedArena::take(size_t bytes, size_t align) {
  const size_t start = round_up(used_ + kGap, align < 8 ? 8 : align);
  if (start + bytes > size_) {
    std::fputs("vitrel module fuzzer: arena too small\n", stderr);
    std::abort();
  }
  ASAN_POISON_MEMORY_REGION(base_ + used_, start - used_);
  used_ = start + bytes;
  return base_ + start;
}

void GuardedArena::seal() {
  ASAN_POISON_MEMORY_REGION(base_ + used_, size_ - used_);
  check(mprotect(base_, size_, PROT_READ), "vitrel module fuzzer: mprotect");
}

void GuardedArena::unseal() {
  check(mprotect(base_, size_, PROT_READ | PROT_WRITE), "vitrel module fuzzer: mprotect");
}

} // namespace fuzz
