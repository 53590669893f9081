// The stacks of the threads that trace: oneTBB's workers and the thread that
// hands them the work get kWorkerStackBytes (scene/stack_budget.h), whatever
// stack the program's own threads were given.
#ifndef VITREL_RENDER_SHADING_WORKER_STACK_H
#define VITREL_RENDER_SHADING_WORKER_STACK_H

#include <functional>

namespace vr {

// Runs fn on a new thread with a stack of kWorkerStackBytes and waits for it;
// an exception fn throws is thrown again here.
void run_on_worker_stack(const std::function<void()> &fn);

} // namespace vr

#endif
