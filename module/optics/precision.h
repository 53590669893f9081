// Where the shaders round. Scalars, colour channels and vector components are
// single precision wherever a value is kept; each expression is formed in
// double precision and rounded once, where its value is stored. These words
// mark those places, so that every rounding in the module reads as one.
#ifndef VITREL_MODULE_OPTICS_PRECISION_H
#define VITREL_MODULE_OPTICS_PRECISION_H

#include <cfloat>
#include <cmath>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <vitrel/host/state.h>

namespace glass {

// A single-precision value taken into a wide expression.
inline double wide(float x) { return x; }

// Stores a wide value in single precision, rounded to nearest.
inline float to_single(double x) { return static_cast<float>(x); }

// Stores an amount of light (a colour channel, an energy, a weight on one) in
// single precision. Light is a product of unbounded factors: colours and
// weights the renderer or a connected shader hands over, a channel above 1
// absorbed over a path long enough for the wide exponential itself to
// overflow. Beyond the single-precision range it keeps the largest finite
// value rather than turning infinite, since an infinity becomes NaN at the
// next product with 0 and a renderer handed a number can still clamp it.
// NaN stays NaN. On x86-64 the two limits are one minsd and one maxsd with the
// limit as destination, which hands a NaN operand through; elsewhere the same
// comparisons are written out.
inline float to_single_saturated(double x) {
#if defined(__SSE2__)
  const __m128d v = _mm_set_sd(x);
  const __m128d below = _mm_min_sd(_mm_set_sd(FLT_MAX), v);
  return static_cast<float>(_mm_cvtsd_f64(_mm_max_sd(_mm_set_sd(-FLT_MAX), below)));
#else
  const double below = FLT_MAX < x ? FLT_MAX : x;
  return static_cast<float>(-FLT_MAX > below ? -FLT_MAX : below);
#endif
}

// The correctly rounded square root. The module is built without errno for
// the maths functions (it never reads errno), so this is one sqrtsd, with no
// branch to the C library for a negative argument (which yields NaN).
inline double square_root(double x) { return std::sqrt(x); }

// Stores a ratio that weights light (a refracted share, a single-path
// compensation) in single precision, or 0 where it has no meaning there: a
// division by an index or a share of 0 gives infinity or NaN, and one by a
// value near 0 leaves the single-precision range. The light it would weight is
// then dropped rather than made infinite.
inline float to_single_or_dropped(double ratio) {
  return std::fabs(ratio) <= FLT_MAX ? to_single(ratio) : 0.0f;
}

// The colour channels the shaders work on; the alpha has rules of its own.
constexpr float Colour::*kRgb[] = {&Colour::r, &Colour::g, &Colour::b};

// One channel of a factor: a colour contributes its channel, a scalar itself.
inline double channel(const Colour &factor, float Colour::*c) { return factor.*c; }
inline double channel(double factor, float Colour::*) { return factor; }

// The product of the factors' channel c, formed wide from left to right.
template <typename... Factors>
inline double product(float Colour::*c, const Factors &...factors) {
  return (... * channel(factors, c));
}

// acc.c + f1.c × f2.c × ..., rounded once (saturating: these are light), for
// r, g and b.
template <typename... Factors>
inline void add_product(Colour *acc, const Factors &...factors) {
  for (auto c : kRgb) acc->*c = to_single_saturated(acc->*c + product(c, factors...));
}

// out.c = f1.c × f2.c × ..., rounded once (saturating), for r, g and b; the
// alpha is kept.
template <typename... Factors>
inline void set_product(Colour *out, const Factors &...factors) {
  for (auto c : kRgb) out->*c = to_single_saturated(product(c, factors...));
}

} // namespace glass

#endif
