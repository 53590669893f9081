#include "trace.h"

namespace vt {

void trace_plain(Ray kind, HostState *state, Vector dir, Traced *out) {
  out->distance = 0.0;
  trace_ray(kind, state, &dir, &out->colour, &out->distance);
}

} // namespace vt
