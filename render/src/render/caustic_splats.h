// The photons' splats put into the picture. Without smoothing each splat
// adds its light to the pixel it is seen in: the pixel's caustic is then an
// unbiased estimate of its integral. With smoothing (the scene's
// caustic_smoothing, photons per disc) a splat spreads its light over a disc
// of the image whose size follows the photons seen around it: where few
// photons land (a faint, dispersed caustic) the disc is wide and a pixel
// averages many of them; where many land the disc shrinks inside the pixel
// and the splat is again the pixel's own.
#ifndef VITREL_RENDER_RENDER_CAUSTIC_SPLATS_H
#define VITREL_RENDER_RENDER_CAUSTIC_SPLATS_H

#include <vector>

#include "image/framebuffer.h"
#include "photon/stored_photon.h"

namespace vr {

// The widest disc a splat spreads over, in pixels, and how far around a
// pixel the photons are counted for its density.
constexpr int kSplatMaxRadius = 6;
constexpr int kSplatDensityReach = 2;

// The region whose splats reach the pixels of `image`: with smoothing,
// wider by the widest disc and the density's reach, within the frame.
Region splat_gathering_region(const Region &image, int frame_width, int frame_height,
                              bool smoothing);

// Adds the splats, in their order, to the pixels of fb's region. With
// `photons_per_disc` above 0, the photons per pixel around each splat's
// pixel (counted over the frame's pixels within kSplatDensityReach) set its
// disc: radius^2 = photons_per_disc / (pi density), at most kSplatMaxRadius.
// A disc within half a pixel puts all its light in its own pixel; a wider
// one shares it among the pixels whose centres it covers, weighted by
// 1 - d^2 / radius^2 and normalised over the frame's pixels, so that every
// photon's light is kept whole. `splats` must hold every splat of the
// gathering region of fb's region; a pixel then gets the same sum in every
// crop.
void add_splats(const std::vector<Splat> &splats, double photons_per_disc, Framebuffer *fb);

} // namespace vr

#endif
