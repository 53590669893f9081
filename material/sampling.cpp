// Frosted and dispersive glass: as many rays as the renderer's sampler grants,
// averaged. Blur jitters each sample's direction; dispersion gives each
// refracted sample an index of its own across the spectrum and tints it with
// that part of the spectrum.
#include "../host/ops.h"
#include "../optics/optics.h"
#include "../shader/param_eval.h"
#include "glass.h"
#include "trace.h"

namespace vt {

namespace {

// The renderer's sampler state for one sampled lookup.
struct Sampler {
  double values[3];
  int counter; // advanced by the renderer: the number of samples taken
  int budget;
};

bool next_sample(HostState *state, int dimension, Sampler *sampler) {
  return mi_sample(sampler->values, &sampler->counter, state, dimension, &sampler->budget) != 0;
}

// The sums build up in `out` itself.
void start_sums(Traced *out) {
  out->colour = Colour{};
  out->distance = 0.0;
}

void add_sample(Traced *out, const Colour &colour) {
  for (auto c : kRgb) out->colour.*c += colour.*c;
}

// The spectral tint of a dispersive sample, blended with white by w.
struct SpectralBlend {
  float w, one_minus_w;
};

void add_tinted_sample(Traced *out, const SpectralBlend &blend, double u, const Colour &colour) {
  Colour tint{};
  spectrum_color(&tint, static_cast<float>(u));
  for (auto c : kRgb)
    out->colour.*c = static_cast<float>(
        out->colour.*c + (static_cast<double>(tint.*c) * blend.w + blend.one_minus_w) * colour.*c);
}

// The average over the samples taken. A lookup the renderer granted no
// sample sees along the unsampled direction instead of dividing by 0.
void average(HostState *state, const Sampler &sampler, Ray kind, const Vector &dir, Traced *out) {
  if (sampler.counter <= 0) {
    trace_plain(kind, state, dir, out);
    return;
  }
  const double f = 1.0 / sampler.counter;
  out->distance *= f;
  for (auto c : kRgb) out->colour.*c = static_cast<float>(out->colour.*c * f);
}

// The direction of one dispersive sample for the sample value u. The sampled
// index sits on the glass side of the surface, so u = 0.5 gives the glass's
// own index; where that index reflects totally, the sample is a mirror one.
Ray refract_at_sampled_index(HostState *state, const Surface &s, float dispersion, double u,
                             Vector *dir) {
  const float index = static_cast<float>((u - 0.5) * dispersion + s.ior);
  const float ior_in = s.entering ? s.outside_index : index;
  const float ior_out = s.entering ? index : s.outside_index;
  *dir = Vector{};
  if (mi_refraction_dir(dir, state, ior_in, ior_out)) return Ray::refraction;
  *dir = Vector{};
  mi_reflection_dir(dir, state);
  return Ray::reflection;
}

} // namespace

// Every sample jitters the same direction.
void trace_blurred(Ray kind, HostState *state, Vector base, float amount, int32_t samples,
                   Traced *out) {
  Sampler sampler{{0.0, 0.0, 0.0}, 0, samples};
  start_sums(out);
  while (next_sample(state, 2, &sampler)) {
    Vector dir;
    jitter_direction(&dir, &base, amount, static_cast<float>(sampler.values[0]),
                     static_cast<float>(sampler.values[1]));
    Colour colour;
    trace_ray(kind, state, &dir, &colour, &out->distance);
    add_sample(out, colour);
  }
  average(state, sampler, kind, base, out);
}

// Dispersion alone draws one value per sample (the index); with blur it
// draws three, the first two for the jitter and the third for the index.
void trace_dispersed(HostState *state, const GlassParams *params, const Surface &s,
                     const PathInputs &path, bool with_blur, Traced *out) {
  const float w = param(state, params->spectrum_weight);
  const SpectralBlend blend{w, static_cast<float>(1.0 - w)};
  const int dimension = with_blur ? 3 : 1;
  Sampler sampler{{0.0, 0.0, 0.0}, 0, path.samples};
  start_sums(out);
  while (next_sample(state, dimension, &sampler)) {
    const double u = sampler.values[dimension - 1];
    Vector dir;
    const Ray kind = refract_at_sampled_index(state, s, path.dispersion_amount, u, &dir);
    if (with_blur)
      jitter_direction(&dir, &dir, path.blur_amount, static_cast<float>(sampler.values[0]),
                       static_cast<float>(sampler.values[1]));
    Colour colour;
    trace_ray(kind, state, &dir, &colour, &out->distance);
    add_tinted_sample(out, blend, u, colour);
  }
  average(state, sampler, Ray::refraction, s.refraction_dir, out);
}

} // namespace vt
