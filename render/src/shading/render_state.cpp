#include "shading/render_state.h"

#include <algorithm>
#include <tbb/blocked_range.h>
#include <tbb/enumerable_thread_specific.h>
#include <tbb/parallel_for.h>
#include <tbb/task_arena.h>

#include "shading/worker_stack.h"

namespace vr {

void init_thread_context(const RenderContext &rc, ThreadContext *tc) {
  tc->rc = &rc;
  // Every trace takes the next slot: reflection and refraction levels, then
  // one gather bounce; a little more for safety.
  // A photon path takes the light's state, then one per hit.
  size_t depth = std::max(static_cast<size_t>(rc.options.reflection_depth_limit) +
                              static_cast<size_t>(rc.options.refraction_depth_limit) + 4,
                          static_cast<size_t>(rc.scene->options.photon_depth) + 2);
  tc->arena.assign(depth, RenderState{});
  tc->rays = tc->estimates = 0;
}

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
  // The thread that enters the arena traces blocks too, so it must have a
  // worker's stack, not the caller's.
  run_on_worker_stack([&] {
    arena.execute([&] {
      tbb::parallel_for(
          tbb::blocked_range<int>(0, blocks, 1),
          [&](const tbb::blocked_range<int> &range) {
            ThreadContext &tc = contexts.local();
            for (int b = range.begin(); b != range.end(); ++b) work(tc, b);
          },
          tbb::simple_partitioner());
    });
  });
  for (const ThreadContext &tc : contexts) gather(tc);
}

} // namespace vr
