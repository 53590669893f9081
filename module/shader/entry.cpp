// The eight shader exports and the ray-type dispatch in front of both bodies:
// photons always reach the photon body and every other ray the material body,
// whichever of the two exports the renderer called.
#include "host/ray_sets.h"
#include "shader/dispatch.h"
#include <vitrel/shader/exports.h>

namespace {

int init_shader(int *instance_request, const GlassParams *params) {
  // The shader-wide call (no parameters) declines per-instance init calls:
  // there is nothing to set up per instance.
  if (params == nullptr && instance_request != nullptr) *instance_request = 0;
  return 1;
}

// A renderer that passes no state, result or parameters gets nothing shaded
// rather than a crash in the middle of a render.
bool usable(const Colour *colour, const HostState *state, const GlassParams *params) {
  return colour != nullptr && state != nullptr && params != nullptr;
}

int shade_material_ray(Colour *result, HostState *state, GlassParams *params) {
  if (glass::in_set(glass::kUnshadedRays, state->ray_type)) return 0;
  return glass::shade_glass(result, state, params);
}

} // namespace

extern "C" {

int vitrel_version(void) { return VITREL_INTERFACE_VERSION; }
int vitrel_photon_version(void) { return VITREL_INTERFACE_VERSION; }

int vitrel_init(HostState *, GlassParams *params, int *instance_request) {
  return init_shader(instance_request, params);
}
int vitrel_photon_init(HostState *, GlassParams *params, int *instance_request) {
  return init_shader(instance_request, params);
}

void vitrel_exit(HostState *, GlassParams *) {}
void vitrel_photon_exit(HostState *, GlassParams *) {}

int vitrel(Colour *result, HostState *state, GlassParams *params) {
  if (!usable(result, state, params)) return 0;
  if (glass::in_set(glass::kPhotonRays, state->ray_type))
    return glass::shade_photon(result, state, params);
  return shade_material_ray(result, state, params);
}

int vitrel_photon(Colour *energy, HostState *state, GlassParams *params) {
  if (!usable(energy, state, params)) return 0;
  if (!glass::in_set(glass::kPhotonRays, state->ray_type))
    return shade_material_ray(energy, state, params);
  return glass::shade_photon(energy, state, params);
}

} // extern "C"
