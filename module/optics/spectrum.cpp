#include "optics/optics.h"
#include "optics/precision.h"

namespace glass {

void spectrum_color(Colour *out, float t) {
  const double u = t;
  double r = 0.0, g = 0.0, b = 0.0;
  // Strict comparisons in this order; NaN fails all three and lands in blue.
  if (t < 0.25f) {
    r = 16.0 * u;
  } else if (t < 0.5f) {
    r = 4.0 + 16.0 * (0.25 - u);
    g = 16.0 * (u - 0.25);
  } else if (t < 0.75f) {
    g = 4.0 + 16.0 * (0.5 - u);
    b = 16.0 * (u - 0.5);
  } else {
    b = 4.0 + 16.0 * (0.75 - u);
  }
  // Weights on light: a sample value far outside 0..1 saturates them.
  out->r = to_single_saturated(r);
  out->g = to_single_saturated(g);
  out->b = to_single_saturated(b);
}

} // namespace glass
