// The emission of a photon that goes on from the glass: its new energy, the
// photon filter colour of its kind times what arrived times the odds it was
// chosen by, and its new direction, handed to the renderer's photon operation
// of that kind. Specular photons are tinted by the medium they came through,
// may be scattered about their direction by the blur, and a transmitted one
// may be dispersed into one wavelength; the opaque layer's diffuse photons
// take its photon colour alone.
#include <cassert>

#include "optics/optics.h"
#include "photon/photon.h"
#include "shader/param_eval.h"
#include <vitrel/host/ops.h>

namespace glass {

namespace {

// One sample of `dimension` values in 0..1 from the renderer. A renderer that
// writes fewer values than asked leaves the middle of the unit interval: a
// dispersion sample there keeps the index where it is.
struct Sample {
  double u[2]; // the renderer writes `dimension` values here
};

Sample draw_sample(HostState *state, int dimension) {
  assert(dimension >= 1 && dimension <= 2);
  Sample sample{{0.5, 0.5}};
  mi_sample(sample.u, nullptr, state, dimension, nullptr);
  return sample;
}

// The filter times the arriving energy times the chosen colour, per channel.
// The photon keeps the alpha it arrived with: nothing at the glass changes it.
Colour scattered_energy(const Colour &filter, const PhotonHit &hit) {
  Colour energy = *hit.energy;
  for (auto c : kRgb) energy.*c = to_single_saturated(product(c, filter, *hit.energy, hit.chosen));
  return energy;
}

// A specular photon takes on the tint of the medium it crossed to reach the
// hit, over the length of its own path there.
void absorb_filter(Colour *filter, const PhotonHit &hit) {
  const Medium medium = medium_on(Side::incident, hit.sides.entering, hit.sides.outside_absorbs);
  absorb_through(hit.state, hit.params, medium, hit.state->hit_distance,
                 AbsorptionReads::colour_first, filter);
}

// A dispersed photon stands for one wavelength. It bends by that wavelength's
// index on the side it goes into, whichever medium that is, and keeps that
// wavelength's share of its energy: the tint lands on the energy the photon
// arrived with, which the renderer sees after the call. A negative sample
// count leaves blur on but turns dispersion off. Returns the index offset.
float disperse(const PhotonHit &hit, int32_t samples, float dispersion) {
  HostState *state = hit.state;
  if (!(dispersion > 0.0f)) return 0.0f;
  if (param(state, hit.params->photon_dispersion_off) != 0) return 0.0f;
  if (samples < 1) return 0.0f;

  const double u = draw_sample(state, 1).u[0];
  const float offset = to_single_saturated((u - 0.5) * dispersion);
  Colour weight{0.0f, 0.0f, 0.0f, 0.0f};
  spectrum_color(&weight, to_single(u));
  const double w = param(state, hit.params->spectrum_weight);
  for (auto c : kRgb)
    hit.energy->*c = to_single_saturated(hit.energy->*c * tint(weight.*c, w, 1.0 - w));
  return offset;
}

// Frosted glass scatters photons about the mirror and refraction directions
// as it does the rays of the rendered look. Any blur_off other than 1 leaves
// blur on, and only a sample count of 0 turns it off.
struct BlurDraw {
  bool jitter;
  float amount, s1, s2;
};

BlurDraw draw_blur(HostState *state, const GlassParams *params, int32_t samples, float blur) {
  BlurDraw draw{false, blur, 0.0f, 0.0f};
  if (blur == 0.0f) return draw;
  if (param(state, params->photon_blur_off) == 1) return draw;
  if (samples == 0) return draw;

  const Sample sample = draw_sample(state, 2);
  draw.jitter = true;
  draw.s1 = to_single(sample.u[0]);
  draw.s2 = to_single(sample.u[1]);
  return draw;
}

void apply_blur(Vector *direction, const BlurDraw &draw) {
  if (draw.jitter) jitter_direction(direction, direction, draw.amount, draw.s1, draw.s2);
}

Colour diffuse_energy(const PhotonHit &hit) {
  return scattered_energy(param(hit.state, hit.params->photon_diffuse_color), hit);
}

} // namespace

// A photon mirrored by the clear glass: filtered, tinted by the medium it came
// through, and scattered about the mirror direction by the blur.
int emit_specular_reflection(const PhotonHit &hit) {
  HostState *state = hit.state;
  const GlassParams *params = hit.params;
  Colour filter = param(state, params->photon_specular_color);
  const int32_t samples = param(state, params->samples);
  const float blur = param(state, params->blur);

  absorb_filter(&filter, hit);
  Colour energy = scattered_energy(filter, hit);

  const BlurDraw draw = draw_blur(state, params, samples, blur);
  // A renderer that writes no direction lets the photon carry straight on.
  Vector direction = state->direction;
  mi_reflection_dir_specular(&direction, state);
  apply_blur(&direction, draw);
  return mi_photon_reflection_specular(&energy, state, &direction);
}

// A photon refracted through the clear glass: dispersed into one wavelength,
// filtered, tinted by the medium it came through, and scattered about the
// refraction direction by the blur.
int emit_specular_transmission(const PhotonHit &hit) {
  HostState *state = hit.state;
  const GlassParams *params = hit.params;
  Colour filter = param(state, params->photon_specular_color);
  const int32_t samples = param(state, params->samples);
  const float blur = param(state, params->blur);
  const float dispersion = param(state, params->dispersion);

  // The dispersion sample is drawn before the blur sample.
  const float offset = disperse(hit, samples, dispersion);
  absorb_filter(&filter, hit);
  Colour energy = scattered_energy(filter, hit);

  const BlurDraw draw = draw_blur(state, params, samples, blur);
  const float ior_out = to_single(wide(hit.sides.ior_out) + offset);
  // Where the dispersed index reflects totally the renderer may write no
  // direction; the photon then carries straight on.
  Vector direction = state->direction;
  mi_transmission_dir_specular(&direction, state, hit.sides.ior_in, ior_out);
  apply_blur(&direction, draw);
  return mi_photon_transmission_specular(&energy, state, &direction);
}

// The opaque layer is neither blurred, dispersed nor reached through an
// absorbing path. A renderer that writes no direction lets the photon carry
// straight on.
int emit_diffuse_reflection(const PhotonHit &hit) {
  Colour energy = diffuse_energy(hit);
  Vector direction = hit.state->direction;
  mi_reflection_dir_diffuse(&direction, hit.state);
  return mi_photon_reflection_diffuse(&energy, hit.state, &direction);
}

int emit_diffuse_transmission(const PhotonHit &hit) {
  Colour energy = diffuse_energy(hit);
  Vector direction = hit.state->direction;
  mi_transmission_dir_diffuse(&direction, hit.state);
  return mi_photon_transmission_diffuse(&energy, hit.state, &direction);
}

} // namespace glass
