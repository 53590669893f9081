// NOT YET WRITTEN: photon scattering. Until it lands the photon body emits
// and stores nothing and leaves the energy untouched.
#include "../shader/dispatch.h"

namespace vt {

int shade_photon(Colour *, HostState *, const GlassParams *) { return 0; }

} // namespace vt
