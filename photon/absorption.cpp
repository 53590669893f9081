#include "../optics/optics.h"
#include "../shader/param_eval.h"
#include "photon.h"

namespace vt {

// A specular photon takes on the tint of the medium it crossed to reach the
// hit, over the length of its own path there.
void absorb_filter(Colour *filter, const PhotonHit &hit) {
  HostState *state = hit.state;
  const GlassParams *params = hit.params;
  Colour colour;
  float density;
  if (hit.sides.entering == 0) {
    // It arrived from inside the glass.
    colour = param(state, params->inside_color);
    density = param(state, params->inside_density);
  } else if (hit.outside_medium != 0) {
    colour = param(state, params->outside_color);
    density = param(state, params->outside_density);
  } else {
    return; // it arrived through vacuum
  }
  absorb_color(filter, colour, density, state->hit_distance);
}

} // namespace vt
