// The rules of the glass that both shaders apply, the material shader to the
// light seen along a ray and the photon shader to the light a photon carries,
// so that caustics agree with the rendered look. Where the two shaders word a
// rule differently, and a renderer could tell, the difference is a named
// argument with its reason beside it.
#ifndef VITREL_MODULE_SHADER_GLASS_RULES_H
#define VITREL_MODULE_SHADER_GLASS_RULES_H

#include <cmath>

#include "optics/optics.h"
#include "optics/precision.h"
#include "shader/param_eval.h"
#include <vitrel/shader/params.h>

namespace glass {

// The two sides of a hit, as the indices of refraction settle them.
struct Sides {
  float glass_index;    // the glass's index as read; dispersion spreads around it
  float outside_index;  // the index of the medium outside the glass
  float ior_in;         // index on the side the ray or photon arrives from
  float ior_out;        // index on the side it goes into
  bool entering;        // it arrives from outside and goes into the glass
  bool outside_absorbs; // the outside medium tints what runs through it (any nonzero kind)
};

// Which kinds of outside medium have an index of their own. The material
// shader gives only kind 1 an index (any other nonzero kind absorbs but
// refracts like vacuum); photons take the outside index for every nonzero
// kind, so the two shaders bend differently through a medium of kind 2.
enum class OutsideIndex { kind_1_only, any_medium };

// Reads the glass index from `glass_field` and, where the outside medium has
// an index, the outside index from `outside_field` (vacuum's 1 otherwise),
// and settles the sides, writing the indices and the refraction volume into
// the state.
inline Sides settle_sides(HostState *state, const float &glass_field, const float &outside_field,
                          int32_t outside_medium, OutsideIndex rule) {
  Sides s{};
  s.glass_index = param(state, glass_field);
  const bool has_index =
      rule == OutsideIndex::kind_1_only ? outside_medium == 1 : outside_medium != 0;
  s.outside_index = has_index ? param(state, outside_field) : 1.0f;
  s.outside_absorbs = outside_medium != 0;
  s.entering =
      set_refraction_indices(state, s.glass_index, s.outside_index, &s.ior_in, &s.ior_out) != 0;
  return s;
}

// The two shaders word the boost's test from opposite ends; they part only
// for a reflectance that is not a number. The material shader mirrors what
// is at or above the headroom and scales the rest, so a NaN stays NaN; the
// photon shader scales what is below it and mirrors the rest, NaN included.
enum class BoostTest { mirror_at_or_above, scale_below };

// The reflection boost stretches the reflectance below the headroom 1 - boost
// over 0..1, and everything at or above it reflects fully, so that glass can
// be made more mirror-like than its index says. No headroom (a boost of 1 or
// more) mirrors every hit, even a reflectance reported below 0, which would
// otherwise be divided by a headroom of 0 or less. Returns the boosted
// reflectance wide; each shader stores it with its own rounding.
inline double boosted_reflectance(float reflectance, double headroom, BoostTest test) {
  const bool scaled =
      test == BoostTest::scale_below ? reflectance < headroom : !(reflectance >= headroom);
  if (!(headroom > 0.0) || !scaled) return 1.0;
  return wide(reflectance) / headroom;
}

// The material shader's coating exists only where the opacity is above 0, so
// a NaN opacity is no coating; the photon shader clamps only what lies
// outside 0..1 and hands a NaN on to the renderer's odds.
enum class NanOpacity { no_layer, kept };

// The share of the opaque layer, clamped to 0..1.
inline float clamp_opacity(float opacity, NanOpacity nan) {
  if (opacity > 1.0f) return 1.0f;
  if (opacity > 0.0f) return opacity;
  if (nan == NanOpacity::kept && std::isnan(opacity)) return opacity;
  return 0.0f;
}

// The coating's colour field for the side the ray or photon sees. Only the
// byte value 1 marks the back side; every other value sees the front.
inline const Colour &coating_field(const HostState &state, const GlassParams &params) {
  return state.inverted_normal == 1 ? params.back_color : params.front_color;
}

// The spectral weight of a dispersive sample blended with white by the
// spectrum weight w: weight × w + white, where white is 1 - w as the shader
// holds it. The material shader keeps 1 - w as a stored single value, formed
// once per lookup; a photon forms it wide.
inline double tint(float spectral_weight, double w, double white) {
  return wide(spectral_weight) * w + white;
}

// The sides of a surface a ray or photon runs on: the one it arrived from,
// and the one it goes into.
enum class Side { incident, transmitted };

// What absorbs on one side: the glass, the outside medium (when it absorbs),
// or nothing.
enum class Medium { glass, outside, clear };

inline Medium medium_on(Side side, bool entering, bool outside_absorbs) {
  // Entering, the incident side is the outside; leaving, it is the glass.
  if ((side == Side::incident) != entering) return Medium::glass;
  return outside_absorbs ? Medium::outside : Medium::clear;
}

// A renderer evaluating connected fields sees the order of the two reads of
// an absorbing medium: the material shader reads the density first, the
// photon shader the colour.
enum class AbsorptionReads { density_first, colour_first };

// Attenuates r, g and b of `colour` in place by the absorption of `medium`
// over `distance`. A clear medium reads nothing and changes nothing.
inline void absorb_through(HostState *state, const GlassParams *params, Medium medium,
                           double distance, AbsorptionReads order, Colour *colour) {
  if (medium == Medium::clear) return;
  const bool glass = medium == Medium::glass;
  const float &density_field = glass ? params->inside_density : params->outside_density;
  const Colour &colour_field = glass ? params->inside_color : params->outside_color;
  float density;
  Colour absorption;
  if (order == AbsorptionReads::density_first) {
    density = param(state, density_field);
    absorption = param(state, colour_field);
  } else {
    absorption = param(state, colour_field);
    density = param(state, density_field);
  }
  absorb_color(colour, absorption, density, distance);
}

} // namespace glass

#endif
