// A progress bar with the time left, on standard error.
#ifndef VITREL_RENDER_RENDER_PROGRESS_H
#define VITREL_RENDER_RENDER_PROGRESS_H

#include <atomic>
#include <chrono>
#include <mutex>

namespace vr {

struct Progress {
  bool enabled = false;
  const char *label = ""; // what is counted: "photons", "image"
  int total = 0;
  std::atomic<int> done{0};
  std::mutex draw;
  std::chrono::steady_clock::time_point start, last;
};

void progress_begin(Progress &p, bool enabled, int total, const char *label);
// Called by any thread when one more unit is finished; redraws at most ten
// times a second.
void progress_step(Progress &p);
void progress_end(Progress &p);

} // namespace vr

#endif
