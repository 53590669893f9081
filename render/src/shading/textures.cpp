#include "shading/textures.h"

#include <cmath>
#include <cstdint>

#include "abi/host_values.h"
#include "core/hash.h"

namespace vr {

namespace {

double fade(double t) { return t * t * t * (t * (t * 6 - 15) + 10); }

// One of the twelve edge gradients of a cube, chosen by hashing the lattice point.
double lattice_gradient(int64_t x, int64_t y, int64_t z, V3 d) {
  uint64_t h = hash_combine(hash_combine(mix64(static_cast<uint64_t>(x)), static_cast<uint64_t>(y)),
                            static_cast<uint64_t>(z)) %
               12;
  static const int g[12][3] = {{1, 1, 0}, {-1, 1, 0}, {1, -1, 0}, {-1, -1, 0},
                               {1, 0, 1}, {-1, 0, 1}, {1, 0, -1}, {-1, 0, -1},
                               {0, 1, 1}, {0, -1, 1}, {0, 1, -1}, {0, -1, -1}};
  return g[h][0] * d.x + g[h][1] * d.y + g[h][2] * d.z;
}

double mix(double a, double b, double t) { return a + (b - a) * t; }

} // namespace

double gradient_noise(V3 p) {
  double fx = std::floor(p.x), fy = std::floor(p.y), fz = std::floor(p.z);
  int64_t x = static_cast<int64_t>(fx), y = static_cast<int64_t>(fy), z = static_cast<int64_t>(fz);
  V3 d{p.x - fx, p.y - fy, p.z - fz};
  double corner[8];
  for (int i = 0; i < 8; ++i) {
    int dx = i & 1, dy = (i >> 1) & 1, dz = (i >> 2) & 1;
    corner[i] = lattice_gradient(x + dx, y + dy, z + dz, {d.x - dx, d.y - dy, d.z - dz});
  }
  double u = fade(d.x), v = fade(d.y), w = fade(d.z);
  double x00 = mix(corner[0], corner[1], u), x10 = mix(corner[2], corner[3], u);
  double x01 = mix(corner[4], corner[5], u), x11 = mix(corner[6], corner[7], u);
  return std::clamp(mix(mix(x00, x10, v), mix(x01, x11, v), w), -1.0, 1.0);
}

double fractal_noise(V3 p, int octaves) {
  double sum = 0, amplitude = 0.5, norm = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += amplitude * gradient_noise(p);
    norm += amplitude;
    p = p * 2.0;
    amplitude *= 0.5;
  }
  return std::clamp(0.5 + 0.5 * sum / norm, 0.0, 1.0);
}

Colour eval_texture(const Texture &t, double u, double v, V3 object_point) {
  if (t.kind == TextureKind::Checker) {
    int64_t cu = static_cast<int64_t>(std::floor(u * t.scale));
    int64_t cv = static_cast<int64_t>(std::floor(v * t.scale));
    return ((cu + cv) & 1) == 0 ? t.a : t.b;
  }
  return lerp(t.a, t.b, float(fractal_noise(object_point * t.scale, t.octaves)));
}

} // namespace vr
