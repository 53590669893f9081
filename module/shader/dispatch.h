// The two shader bodies, entered from the exports after the ray-type dispatch.
#ifndef VITREL_MODULE_SHADER_DISPATCH_H
#define VITREL_MODULE_SHADER_DISPATCH_H

#include <vitrel/shader/params.h>

namespace glass {

// The material body: the colour of the glass seen along a ray that is neither
// a photon nor one of the declined types. Returns 0 only at the depth limit.
int shade_glass(Colour *result, HostState *state, const GlassParams *params);

// The photon body: the fate of a photon hitting the glass.
int shade_photon(Colour *energy, HostState *state, const GlassParams *params);

} // namespace glass

#endif
