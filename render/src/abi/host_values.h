// The module's value records, Vector and Colour, as the renderer computes
// with them. The records hold single precision; the renderer works in double
// and rounds only where it writes into a HostState or a Colour.
#ifndef VITREL_RENDER_ABI_HOST_VALUES_H
#define VITREL_RENDER_ABI_HOST_VALUES_H

#include "core/vec.h"
#include <vitrel/host/state.h>

namespace vr {

inline V3 to_v3(const Vector &v) { return {v.x, v.y, v.z}; }
inline Vector to_vector(V3 v) {
  return {static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)};
}

// The renderer's radiance values are the module's Colour record.
inline Colour rgba(float r, float g, float b, float a = 1) { return {r, g, b, a}; }
inline Colour operator+(Colour a, Colour b) { return {a.r + b.r, a.g + b.g, a.b + b.b, a.a + b.a}; }
inline Colour operator*(Colour a, float s) { return {a.r * s, a.g * s, a.b * s, a.a * s}; }
// Channel product of r, g, b; the alpha of `a` is kept.
inline Colour tint(Colour a, Colour b) { return {a.r * b.r, a.g * b.g, a.b * b.b, a.a}; }
inline Colour lerp(Colour a, Colour b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
          a.a + (b.a - a.a) * t};
}
inline float average_rgb(Colour c) { return (c.r + c.g + c.b) / 3; }

} // namespace vr

#endif
