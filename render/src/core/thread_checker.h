// Orderings that ThreadSanitizer cannot see for itself. oneTBB's scheduler
// is a library built without the checker: the ordering its parallel loop
// guarantees (what the caller did before the loop happens before every task,
// and every task happens before the loop returns) passes through atomics the
// checker never observes, so without these marks every hand-over of data to a
// worker and back would read as a race. The marks state that contract and no
// more; in any other build they are empty.
#ifndef VITREL_RENDER_CORE_THREAD_CHECKER_H
#define VITREL_RENDER_CORE_THREAD_CHECKER_H

// The build defines VITREL_TSAN, not the compiler flag: the file that runs
// the loop is itself compiled without the checker.
#ifdef VITREL_TSAN
#define VR_THREAD_CHECKER 1
#endif

#ifdef VR_THREAD_CHECKER
#include <sanitizer/tsan_interface.h>
#endif

namespace vr {

// What this thread did so far happens before anything done after a later
// thread_acquire(mark) on any thread.
inline void thread_release([[maybe_unused]] void *mark) {
#ifdef VR_THREAD_CHECKER
  __tsan_release(mark);
#endif
}

inline void thread_acquire([[maybe_unused]] void *mark) {
#ifdef VR_THREAD_CHECKER
  __tsan_acquire(mark);
#endif
}

} // namespace vr

#endif
