// Where the shaders round. Scalars, colour channels and vector components are
// single precision wherever a value is kept; each expression is formed in
// double precision and rounded once, where its value is stored. These words
// mark those places, so that every rounding in the module reads as one.
#ifndef VITREL_OPTICS_PRECISION_H
#define VITREL_OPTICS_PRECISION_H

#include <cfloat>

#include "host/state.h"

namespace glass {

// A single-precision value taken into a wide expression.
inline double wide(float x) { return x; }

// Stores a wide value in single precision, rounded to nearest. A value
// beyond the single-precision range (a product of unbounded colours and
// weights, a channel above 1 absorbed over a path long enough for the wide
// exponential itself to overflow) keeps the largest finite value rather than
// turning infinite: an infinity would become NaN at the next product with 0
// or difference with itself, and a renderer handed a number can still clamp
// it. NaN stays NaN.
inline float to_single(double x) {
  if (x > FLT_MAX) return FLT_MAX;
  if (x < -FLT_MAX) return -FLT_MAX;
  return static_cast<float>(x);
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

// acc.c + f1.c × f2.c × ..., rounded once, for r, g and b.
template <typename... Factors>
inline void add_product(Colour *acc, const Factors &...factors) {
  for (auto c : kRgb) acc->*c = to_single(acc->*c + product(c, factors...));
}

// out.c = f1.c × f2.c × ..., rounded once, for r, g and b; the alpha is kept.
template <typename... Factors>
inline void set_product(Colour *out, const Factors &...factors) {
  for (auto c : kRgb) out->*c = to_single(product(c, factors...));
}

} // namespace glass

#endif
