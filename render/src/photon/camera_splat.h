// Caustics on diffuse surfaces in the camera's direct view, traced from the
// lights: each photon that lands on such a surface adds its reflected light
// straight to the pixel it is seen in, rather than waiting for a pixel
// sample to look it up.
#ifndef VITREL_RENDER_PHOTON_CAMERA_SPLAT_H
#define VITREL_RENDER_PHOTON_CAMERA_SPLAT_H

#include "photon/stored_photon.h"
#include "shading/render_state.h"

namespace vr {

// The pinhole's distance to its image plane in pixels, for rc's camera.
double camera_focal_pixels(const RenderContext &rc);

// Splats the photon of flux `energy` that has just landed on the diffuse
// state s into its thread's sink, when the camera sees s's point directly
// from the side the photon arrived on within the sink's region: the pixel
// gets albedo / pi * flux * |dp/dA|, the integral over the pixel of the
// radiance the photon's flux reflects toward the eye. Glass in between
// hides the point: the camera then sees the glass, whose own rays find this
// caustic in the photon map.
void splat_to_camera(RenderState &s, Colour energy);

} // namespace vr

#endif
