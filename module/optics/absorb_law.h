// Beer's law on all the lanes of a lane set at once (optics/lanes.h): the
// rule of absorb_color for each colour channel, written once for every width.
#ifndef VITREL_OPTICS_ABSORB_LAW_H
#define VITREL_OPTICS_ABSORB_LAW_H

#include "optics/exp_log.h"

namespace glass {

// Each lane of x times e^(-k d), with k the absorption coefficient of the
// matching lane of c for the density, as a double still to be stored in
// single precision.
template <class L>
typename L::V absorbed_lanes(typename L::V x, typename L::V c, double density, double distance) {
  using V = typename L::V;
  const V zero = L::splat(0.0);
  // Exactly 1.0 absorbs nothing whatever the density, even an infinite or NaN
  // one, so it is told apart before any arithmetic (1.0f has one bit pattern,
  // and equality with 1.0 tests it).
  const V clear = L::equal(c, L::splat(1.0));
  // Glass that absorbs nothing in any channel is the common case: it costs
  // no logarithm and no exponential.
  if (L::mask_bits(clear) == L::kAllLanes) return x;
  // Zero absorbs everything: a huge coefficient independent of the density.
  // A negative or NaN channel has no logarithm; it is treated the same way,
  // as a channel that lets nothing through, rather than poisoning the colour.
  const V opaque = L::not_greater(c, zero);
  const V log = log_lanes<L>(L::select(opaque, L::splat(1.0), c));
  const V coefficient = L::negated(log) * L::broadcast(density);
  const V k = L::select(clear, zero, L::select(opaque, L::splat(1e36f), coefficient));

  const V factor = exp_lanes<L>(L::negated(k) * L::broadcast(distance));
  // k == 0 must leave x alone even at an infinite distance (0 * inf is NaN),
  // and x == 0 must stay 0 even where the factor overflows. A channel above
  // 1 grows with distance.
  const V kept = L::either(L::equal(k, zero), L::equal(x, zero));
  return L::select(kept, x, L::saturated(x * factor));
}

} // namespace glass

#endif
