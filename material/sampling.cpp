// Frosted and dispersive glass: as many rays as the renderer's sampler grants,
// averaged. Blur jitters each sample's direction; dispersion gives each
// refracted sample an index of its own across the spectrum and tints it with
// that part of the spectrum.
#include "../host/ops.h"
#include "../optics/optics.h"
#include "../shader/param_eval.h"
#include "glass.h"

namespace vt {

namespace {

// One sampled lookup: the renderer's sampler state and the running sums.
struct SampleLoop {
  double values[3];
  int counter; // advanced by the renderer: the number of samples taken
  int budget;
  Colour sum; // r, g, b
  double distance;
};

SampleLoop start_loop(int32_t samples) {
  return SampleLoop{{0.0, 0.0, 0.0}, 0, samples, Colour{}, 0.0};
}

bool next_sample(HostState *state, int dimension, SampleLoop *loop) {
  return mi_sample(loop->values, &loop->counter, state, dimension, &loop->budget) != 0;
}

void add_sample(SampleLoop *loop, const Colour &colour) {
  for (auto c : kRgb) loop->sum.*c += colour.*c;
}

// The spectral tint of a dispersive sample, blended with white by w.
struct SpectralBlend {
  float w, one_minus_w;
};

void add_tinted_sample(SampleLoop *loop, const SpectralBlend &blend, double u,
                       const Colour &colour) {
  Colour tint{};
  spectrum_color(&tint, static_cast<float>(u));
  for (auto c : kRgb)
    loop->sum.*c = static_cast<float>(
        loop->sum.*c + (static_cast<double>(tint.*c) * blend.w + blend.one_minus_w) * colour.*c);
}

// The average over the samples taken. A lookup that took none, because
// neither amount is positive or the renderer granted no sample, sees along
// the unsampled direction instead of dividing by 0.
Traced finish(HostState *state, const SampleLoop &loop, Ray kind, const Vector &dir) {
  if (loop.counter <= 0) return trace_plain(kind, state, dir);
  const double f = 1.0 / loop.counter;
  Traced traced{Colour{}, loop.distance * f};
  for (auto c : kRgb) traced.colour.*c = static_cast<float>(loop.sum.*c * f);
  return traced;
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

// Dispersion alone draws one value per sample (the index); with blur it
// draws three, the first two for the jitter and the third for the index.
void disperse(HostState *state, const GlassParams *params, const Surface &s, const PathInputs &path,
              bool blurred, SampleLoop *loop) {
  const float w = param(state, params->spectrum_weight);
  const SpectralBlend blend{w, static_cast<float>(1.0 - w)};
  const int dimension = blurred ? 3 : 1;
  while (next_sample(state, dimension, loop)) {
    const double u = loop->values[dimension - 1];
    Vector dir;
    const Ray kind = refract_at_sampled_index(state, s, path.dispersion_amount, u, &dir);
    if (blurred)
      jitter_direction(&dir, &dir, path.blur_amount, static_cast<float>(loop->values[0]),
                       static_cast<float>(loop->values[1]));
    Colour colour;
    trace_ray(kind, state, &dir, &colour, &loop->distance);
    add_tinted_sample(loop, blend, u, colour);
  }
}

// Every sample jitters the same direction.
void blur(Ray kind, HostState *state, const Vector &base, float amount, SampleLoop *loop) {
  while (next_sample(state, 2, loop)) {
    Vector dir;
    jitter_direction(&dir, &base, amount, static_cast<float>(loop->values[0]),
                     static_cast<float>(loop->values[1]));
    Colour colour;
    trace_ray(kind, state, &dir, &colour, &loop->distance);
    add_sample(loop, colour);
  }
}

} // namespace

Traced trace_blurred_reflection(HostState *state, const PathInputs &path) {
  SampleLoop loop = start_loop(path.samples);
  Vector mirror{};
  mi_reflection_dir(&mirror, state);
  blur(Ray::reflection, state, mirror, path.blur_amount, &loop);
  return finish(state, loop, Ray::reflection, mirror);
}

// Positive amounts only: a negative or NaN amount switches its effect off
// here, while the reflection still blurs with it.
Traced trace_sampled_refraction(HostState *state, const GlassParams *params, const Surface &s,
                                const PathInputs &path) {
  SampleLoop loop = start_loop(path.samples);
  const bool blurred = path.blur_amount > 0.0f;
  if (path.dispersion_amount > 0.0f)
    disperse(state, params, s, path, blurred, &loop);
  else if (blurred)
    blur(Ray::refraction, state, s.refraction_dir, path.blur_amount, &loop);
  return finish(state, loop, Ray::refraction, s.refraction_dir);
}

} // namespace vt
