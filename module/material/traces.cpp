// Tracing the secondary rays: one plain ray, or for frosted and dispersive
// glass as many rays as the renderer's sampler grants, averaged. Blur jitters
// each sample's direction; dispersion gives each refracted sample an index of
// its own across the spectrum and tints it with that part of the spectrum.
#include <cassert>
#if defined(__SSE2__)
#include <xmmintrin.h>
#endif

#include "material/glass.h"
#include "optics/optics.h"
#include "shader/param_eval.h"
#include <vitrel/host/ops.h>

namespace glass {

namespace {

// Traces one ray along `dir`; a ray that hits nothing sees the environment
// instead, from no known distance. Adds the length of a ray that hit to
// `distance_sum`.
VITREL_NO_FRAME void trace_ray(TraceKind kind, HostState *state, Vector *dir, Colour *colour,
                               double *distance_sum) {
  *colour = Colour{};
  const int hit = kind == TraceKind::reflection ? mi_trace_reflection(colour, state, dir)
                                                : mi_trace_refraction(colour, state, dir);
  if (hit) {
    // The renderer names the traced ray's state in `child` until the next
    // trace, which may already run inside the shading of this one's hit.
    if (state->child != nullptr) *distance_sum += state->child->hit_distance;
    return;
  }
  *colour = Colour{};
  mi_trace_environment(colour, state, dir);
}

// The renderer's sampler state for one sampled lookup.
struct Sampler {
  double values[3]; // the renderer writes `dimension` values here
  int counter;      // advanced by the renderer: the number of samples taken
  int budget;
};

bool next_sample(HostState *state, int dimension, Sampler *sampler) {
  assert(dimension >= 1 && dimension <= 3);
  return mi_sample(sampler->values, &sampler->counter, state, dimension, &sampler->budget) != 0;
}

// The sums build up in `out` itself.
void start_sums(Traced *out) {
  out->colour = Colour{};
  out->distance = 0.0;
}

// Each channel's sum is a single-precision addition. One packed addition
// makes the three of them at once; the alpha lane rides along, unused.
void add_sample(Traced *out, const Colour &colour) {
#if defined(__SSE2__)
  _mm_storeu_ps(&out->colour.r, _mm_add_ps(_mm_loadu_ps(&out->colour.r), _mm_loadu_ps(&colour.r)));
#else
  for (auto c : kRgb) out->colour.*c += colour.*c;
#endif
}

void add_tinted_sample(Traced *out, float w, float white, double u, const Colour &colour) {
  Colour weight{};
  spectrum_color(&weight, to_single(u));
  for (auto c : kRgb)
    out->colour.*c = to_single_saturated(out->colour.*c + tint(weight.*c, w, white) * colour.*c);
}

// The average over the samples taken. A lookup the renderer granted no
// sample sees along the unsampled direction instead of dividing by 0.
void average(HostState *state, const Sampler &sampler, TraceKind kind, const Vector &dir,
             Traced *out) {
  if (sampler.counter <= 0) {
    trace_plain(kind, state, dir, out);
    return;
  }
  const double f = 1.0 / sampler.counter;
  out->distance *= f;
  set_product(&out->colour, out->colour, f);
}

// The direction of one dispersive sample for the sample value u. The sampled
// index sits on the glass side of the surface, so u = 0.5 gives the glass's
// own index; where that index reflects totally, the sample is a mirror one.
TraceKind refract_at_sampled_index(HostState *state, const Sides &s, float dispersion, double u,
                                   Vector *dir) {
  const float index = to_single((u - 0.5) * dispersion + s.glass_index);
  const float ior_in = s.entering ? s.outside_index : index;
  const float ior_out = s.entering ? index : s.outside_index;
  *dir = Vector{};
  if (mi_refraction_dir(dir, state, ior_in, ior_out)) return TraceKind::refraction;
  *dir = Vector{};
  mi_reflection_dir(dir, state);
  return TraceKind::reflection;
}

} // namespace

void trace_plain(TraceKind kind, HostState *state, Vector dir, Traced *out) {
  out->distance = 0.0;
  trace_ray(kind, state, &dir, &out->colour, &out->distance);
}

// Every sample jitters the same direction.
void trace_blurred(TraceKind kind, HostState *state, Vector base, float amount, int32_t samples,
                   Traced *out) {
  Sampler sampler{{0.0, 0.0, 0.0}, 0, samples};
  start_sums(out);
  while (next_sample(state, 2, &sampler)) {
    Vector dir;
    jitter_direction(&dir, &base, amount, to_single(sampler.values[0]),
                     to_single(sampler.values[1]));
    Colour colour;
    trace_ray(kind, state, &dir, &colour, &out->distance);
    add_sample(out, colour);
  }
  average(state, sampler, kind, base, out);
}

// Dispersion alone draws one value per sample (the index); with blur it
// draws three, the first two for the jitter and the third for the index.
void trace_dispersed(HostState *state, const GlassParams *params, const FresnelSplit &split,
                     const PathInputs &path, bool with_blur, Traced *out) {
  const float w = param(state, params->spectrum_weight);
  // The white share is kept as a stored single value, formed once.
  const float white = to_single(1.0 - w);
  const int dimension = with_blur ? 3 : 1;
  Sampler sampler{{0.0, 0.0, 0.0}, 0, path.samples};
  start_sums(out);
  while (next_sample(state, dimension, &sampler)) {
    const double u = sampler.values[dimension - 1];
    Vector dir;
    const TraceKind kind =
        refract_at_sampled_index(state, split.sides, path.dispersion_amount, u, &dir);
    if (with_blur)
      jitter_direction(&dir, &dir, path.blur_amount, to_single(sampler.values[0]),
                       to_single(sampler.values[1]));
    Colour colour;
    trace_ray(kind, state, &dir, &colour, &out->distance);
    add_tinted_sample(out, w, white, u, colour);
  }
  average(state, sampler, TraceKind::refraction, split.refraction_dir, out);
}

} // namespace glass
