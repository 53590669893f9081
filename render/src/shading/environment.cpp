#include "shading/environment.h"

#include <cmath>

#include "abi/host_values.h"

namespace vr {

namespace {

Colour texel(const Image &img, int x, int y) {
  x = ((x % img.width) + img.width) % img.width; // wraps around in azimuth
  y = std::clamp(y, 0, img.height - 1);
  const float *p = &img.rgba[(static_cast<size_t>(y) * img.width + x) * 4];
  return {p[0], p[1], p[2], p[3]};
}

Colour latlong(const Environment &env, V3 dir) {
  const Image &img = env.image;
  double phi = std::atan2(dir.x, -dir.z) - env.rotation_degrees * kPi / 180;
  double u = phi / (2 * kPi) + 0.5;
  double v = std::acos(std::clamp(dir.y, -1.0, 1.0)) / kPi;
  // Bilinear between texel centres.
  double fx = u * img.width - 0.5, fy = v * img.height - 0.5;
  int x0 = static_cast<int>(std::floor(fx)), y0 = static_cast<int>(std::floor(fy));
  float tx = float(fx - x0), ty = float(fy - y0);
  Colour top = lerp(texel(img, x0, y0), texel(img, x0 + 1, y0), tx);
  Colour bottom = lerp(texel(img, x0, y0 + 1), texel(img, x0 + 1, y0 + 1), tx);
  Colour c = lerp(top, bottom, ty);
  return {c.r * env.intensity, c.g * env.intensity, c.b * env.intensity, 1};
}

} // namespace

Colour environment_colour(const Environment &env, V3 dir) {
  Colour c = env.colour;
  switch (env.kind) {
  case EnvironmentKind::Constant:
    break;
  case EnvironmentKind::Gradient: {
    float y = float(std::clamp(dir.y, -1.0, 1.0));
    c = y >= 0 ? lerp(env.horizon, env.zenith, y) : lerp(env.horizon, env.ground, -y);
    break;
  }
  case EnvironmentKind::Image:
    c = latlong(env, dir);
    break;
  }
  c.a = env.alpha;
  return c;
}

} // namespace vr
