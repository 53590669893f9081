#include "render/progress.h"

#include <cstdio>
#include <string>

namespace vr {

namespace {

std::string clock_text(double seconds) {
  long s = static_cast<long>(seconds + 0.5);
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%ld:%02ld", s / 60, s % 60);
  return buffer;
}

void draw(Progress &p, int done, bool final) {
  using namespace std::chrono;
  double elapsed = duration<double>(steady_clock::now() - p.start).count();
  double fraction = p.total > 0 ? double(done) / p.total : 1;
  const int width = 30;
  int filled = static_cast<int>(fraction * width);
  std::string bar(static_cast<size_t>(filled), '#');
  bar.append(static_cast<size_t>(width - filled), '-');
  std::string eta = final      ? clock_text(elapsed) + " total"
                    : done > 0 ? clock_text(elapsed / fraction - elapsed) + " left"
                               : "--:-- left";
  std::fprintf(stderr, "\r%-7s [%s] %3d%%  %s   %s", p.label, bar.c_str(),
               static_cast<int>(fraction * 100), eta.c_str(), final ? "\n" : "");
  std::fflush(stderr);
}

} // namespace

void progress_begin(Progress &p, bool enabled, int total, const char *label) {
  p.enabled = enabled;
  p.label = label;
  p.total = total;
  p.done = 0;
  p.start = p.last = std::chrono::steady_clock::now();
  if (enabled) draw(p, 0, false);
}

void progress_step(Progress &p) {
  int done = ++p.done;
  if (!p.enabled) return;
  std::unique_lock<std::mutex> lock(p.draw, std::try_to_lock);
  if (!lock) return;
  auto now = std::chrono::steady_clock::now();
  if (now - p.last < std::chrono::milliseconds(100)) return;
  p.last = now;
  draw(p, done, false);
}

void progress_end(Progress &p) {
  if (!p.enabled) return;
  std::lock_guard<std::mutex> lock(p.draw);
  draw(p, p.done, true);
}

} // namespace vr
