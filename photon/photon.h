// The photon body's working records and steps. A photon hitting the glass is
// split into four scatter colours, perhaps stored, handed to the renderer's
// choice of scatter type and, when it goes on, given its new energy and
// direction by the emission step of that type.
#ifndef VITREL_PHOTON_PHOTON_H
#define VITREL_PHOTON_PHOTON_H

#include <cfloat>

#include "../shader/params.h"

namespace vt {

// Values are worked out wide and kept in single precision. A product of two
// unbounded operands (a bright filter times a bright photon) may not fit a
// float; it keeps the largest finite value rather than turning infinite.
inline float to_single(double x) {
  if (x > FLT_MAX) return FLT_MAX;
  if (x < -FLT_MAX) return -FLT_MAX;
  return static_cast<float>(x);
}

// The two sides of the hit.
struct PhotonSides {
  int entering; // 1: the photon arrived on the front side and goes into the glass
  float ior_in, ior_out;
};

// The odds by which the renderer chooses the photon's fate.
struct ScatterColours {
  Colour diffuse_reflection, specular_reflection, diffuse_transmission, specular_transmission;
  bool has_layer; // false: no opaque layer, the diffuse colours go over as null
};

// What the emission step of a photon that goes on works from.
struct PhotonHit {
  Colour *energy; // the arriving energy; only dispersion writes it
  HostState *state;
  const GlassParams *params;
  Colour chosen; // the scatter colour of the chosen type, as the renderer left it
  int32_t outside_medium;
  PhotonSides sides;
};

// The decision.
float read_opacity(HostState *state, const GlassParams *params);
PhotonSides settle_photon_indices(HostState *state, const GlassParams *params,
                                  int32_t outside_medium);
float boost_reflectance(HostState *state, const GlassParams *params, float reflectance);
ScatterColours split_energy(HostState *state, const GlassParams *params, float opacity,
                            float reflectance);
void store_where_diffuse(Colour *energy, HostState *state, const ScatterColours &colours);

// The emission step of each scatter type that goes on.
int emit_specular_reflection(const PhotonHit &hit);
int emit_specular_transmission(const PhotonHit &hit);
int emit_diffuse_reflection(const PhotonHit &hit);
int emit_diffuse_transmission(const PhotonHit &hit);

// The filter times the arriving energy times the chosen colour, per channel;
// the alpha is the arriving energy's.
Colour scattered_energy(const Colour &filter, const Colour &energy, const Colour &chosen);

// Attenuates the specular filter by the medium the photon arrived through.
void absorb_filter(Colour *filter, const PhotonHit &hit);

// Spreads the transmitted-side index and tints the arriving energy by the
// spectral weight of one sample. Returns the offset of the index.
float disperse(const PhotonHit &hit, int32_t samples, float dispersion);

// Whether the specular direction is jittered, and by which sample.
struct BlurDraw {
  bool jitter;
  float amount, s1, s2;
};
BlurDraw draw_blur(HostState *state, const GlassParams *params, int32_t samples, float blur);
void apply_blur(Vector *direction, const BlurDraw &draw);

// One sample of `dimension` values (1 or 2) in 0..1 from the renderer.
struct Sample {
  double u[2];
};
Sample draw_sample(HostState *state, int dimension);

} // namespace vt

#endif
