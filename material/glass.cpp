// NOT YET WRITTEN: the glass shading pipeline. Until it lands the material
// body declines every ray and leaves the result untouched.
#include "../shader/dispatch.h"

namespace vt {

int shade_glass(Colour *, HostState *, const GlassParams *) { return 0; }

} // namespace vt
