#include "shading/surface_optics.h"

#include <algorithm>
#include <cmath>

namespace vr {

V3 reflect(V3 d, V3 n) { return d - n * (2 * dot(d, n)); }

bool refract(V3 d, V3 n, double n1, double n2, V3 *out) {
  if (dot(d, n) > 0) n = -n; // work with the normal on the incident side
  double eta = n1 / n2;
  double cos_i = std::min(1.0, -dot(d, n));
  double sin2_t = eta * eta * std::max(0.0, 1 - cos_i * cos_i);
  if (!(sin2_t < 1)) return false;
  double cos_t = std::sqrt(1 - sin2_t);
  *out = normalize(d * eta + n * (eta * cos_i - cos_t));
  return true;
}

double fresnel_dielectric(double cos_i, double n1, double n2) {
  cos_i = std::clamp(std::fabs(cos_i), 0.0, 1.0);
  double eta = n1 / n2;
  double sin2_t = eta * eta * (1 - cos_i * cos_i);
  if (!(sin2_t < 1)) return 1;
  double cos_t = std::sqrt(1 - sin2_t);
  double rs = (n1 * cos_i - n2 * cos_t) / (n1 * cos_i + n2 * cos_t);
  double rp = (n2 * cos_i - n1 * cos_t) / (n2 * cos_i + n1 * cos_t);
  return std::clamp((rs * rs + rp * rp) / 2, 0.0, 1.0);
}

namespace {

// c^e. Highlight exponents are whole numbers almost always; for those,
// squaring is several times cheaper than pow and as accurate as a highlight
// needs (a few units in the last place).
double power(double c, double e) {
  if (!(e <= 1024) || e != std::floor(e)) return std::pow(c, e);
  double result = 1;
  for (auto n = static_cast<unsigned>(e); n != 0; n >>= 1, c *= c)
    if (n & 1u) result *= c;
  return result;
}

} // namespace

double phong_lobe(double exponent, V3 mirror, V3 dir) {
  // One root for both lengths.
  double c = dot(mirror, dir) / std::sqrt(dot(mirror, mirror) * dot(dir, dir));
  if (!(c > 0)) return 0;
  double e = std::max(0.0, exponent);
  return (e + 2) / (2 * kPi) * power(c, e);
}

V3 cosine_hemisphere(double u1, double u2) {
  double r = std::sqrt(u1), phi = 2 * kPi * u2;
  return {r * std::cos(phi), r * std::sin(phi), std::sqrt(std::max(0.0, 1 - u1))};
}

} // namespace vr
