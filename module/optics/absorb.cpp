#include <cmath>
#include <cstdint>
#include <cstring>

#include "optics/optics.h"
#include "optics/precision.h"

namespace glass {

namespace {

// Absorption coefficient of one channel per unit of distance.
double absorption_coefficient(float c, float density) {
  uint32_t bits;
  std::memcpy(&bits, &c, sizeof bits);
  // Exactly 1.0 absorbs nothing whatever the density, even an infinite or NaN
  // one, so it is told apart by its bit pattern before any arithmetic.
  if (bits == 0x3F800000u) return 0.0;
  // Zero absorbs everything: a huge coefficient independent of the density.
  // A negative or NaN channel has no logarithm; it is treated the same way,
  // as a channel that lets nothing through, rather than poisoning the colour.
  if (!(c > 0.0f)) return wide(1e36f);
  return -std::log(wide(c)) * density;
}

float absorb_channel(float x, float c, float density, float distance) {
  const double k = absorption_coefficient(c, density);
  // k == 0 must leave x alone even at an infinite distance (0 * inf is NaN),
  // and x == 0 must stay 0 even where the factor overflows.
  if (k == 0.0 || x == 0.0f) return x;
  // A channel above 1 grows with distance.
  return to_single_saturated(wide(x) * std::exp(-k * distance));
}

} // namespace

void absorb_color(Colour *colour, const Colour &absorption, float density, double distance) {
  // The distance enters the law as a single-precision value.
  const float d = to_single(distance);
  colour->r = absorb_channel(colour->r, absorption.r, density, d);
  colour->g = absorb_channel(colour->g, absorption.g, density, d);
  colour->b = absorb_channel(colour->b, absorption.b, density, d);
}

} // namespace glass
