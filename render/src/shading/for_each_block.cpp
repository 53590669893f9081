// The one place the renderer hands work to oneTBB's scheduler.
//
// The thread checker's build compiles this file without instrumentation, so
// that TBB's inline code is as opaque to it as the library itself, and marks
// here what the loop guarantees instead; see core/thread_checker.h.
#include <tbb/blocked_range.h>
#include <tbb/enumerable_thread_specific.h>
#include <tbb/parallel_for.h>
#include <tbb/task_arena.h>

#include "core/thread_checker.h"
#include "shading/render_state.h"
#include "shading/worker_stack.h"

namespace vr {

int worker_threads(int threads) {
  return threads > 0 ? threads : tbb::this_task_arena::max_concurrency();
}

void for_each_block(const RenderContext &rc, int threads, int blocks,
                    const std::function<void(ThreadContext &, int)> &work,
                    const std::function<void(const ThreadContext &)> &gather) {
  tbb::task_arena arena(worker_threads(threads));
  tbb::enumerable_thread_specific<ThreadContext> contexts([&] {
    ThreadContext tc;
    init_thread_context(rc, &tc);
    return tc;
  });
  // Two separate marks, so that the checker learns only the fork and the
  // join, never an order between two tasks that TBB does not promise.
  char fork = 0, join = 0;
  thread_release(&fork);
  // The thread that enters the arena traces blocks too, so it must have a
  // worker's stack, not the caller's.
  run_on_worker_stack([&] {
    arena.execute([&] {
      tbb::parallel_for(
          tbb::blocked_range<int>(0, blocks, 1),
          [&](const tbb::blocked_range<int> &range) {
            thread_acquire(&fork);
            ThreadContext &tc = contexts.local();
            for (int b = range.begin(); b != range.end(); ++b) work(tc, b);
            thread_release(&join);
          },
          tbb::simple_partitioner());
    });
  });
  thread_acquire(&join);
  for (const ThreadContext &tc : contexts) gather(tc);
}

} // namespace vr
