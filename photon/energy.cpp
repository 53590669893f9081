#include "photon.h"

namespace vt {

// The photon keeps the alpha it arrived with: nothing at the glass changes it.
Colour scattered_energy(const Colour &filter, const Colour &energy, const Colour &chosen) {
  return Colour{to_single(static_cast<double>(filter.r) * energy.r * chosen.r),
                to_single(static_cast<double>(filter.g) * energy.g * chosen.g),
                to_single(static_cast<double>(filter.b) * energy.b * chosen.b), energy.a};
}

} // namespace vt
