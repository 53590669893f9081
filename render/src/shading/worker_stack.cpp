#include "shading/worker_stack.h"

#include <cstring>
#include <exception>
#include <pthread.h>
#include <stdexcept>
#include <string>
#include <tbb/global_control.h>

#include "scene/stack_budget.h"

namespace vr {

namespace {

// oneTBB sizes a worker's stack when it starts the worker, from the largest
// size asked for by then, and keeps its workers for the life of the process.
// So the size is asked for here, as the program starts and before anything
// (Embree's first BVH build) starts them, and stays asked for until it ends.
const tbb::global_control worker_stack_size(tbb::global_control::thread_stack_size,
                                            kWorkerStackBytes);

struct Call {
  const std::function<void()> *fn;
  std::exception_ptr error;
};

void *run(void *arg) {
  Call *call = static_cast<Call *>(arg);
  try {
    (*call->fn)();
  } catch (...) {
    call->error = std::current_exception();
  }
  return nullptr;
}

} // namespace

void run_on_worker_stack(const std::function<void()> &fn) {
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  int code = pthread_attr_setstacksize(&attr, kWorkerStackBytes);
  Call call{&fn, nullptr};
  pthread_t thread;
  if (code == 0) code = pthread_create(&thread, &attr, run, &call);
  pthread_attr_destroy(&attr);
  if (code != 0)
    throw std::runtime_error("cannot start a thread with a stack of " +
                             std::to_string(kWorkerStackBytes >> 20) +
                             " MiB: " + std::strerror(code));
  pthread_join(thread, nullptr);
  if (call.error) std::rethrow_exception(call.error);
}

} // namespace vr
