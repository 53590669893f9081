#include "ball_lens_reference.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace ball_lens {

namespace {

constexpr double kPi = 3.14159265358979323846;

struct P2 { // a point or direction in the plane through the axis: (across, up)
  double u, y;
};

struct P3 {
  double x, y, z;
};

P3 sub(P3 a, P3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double dot3(P3 a, P3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
P3 scale(P3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
P3 add(P3 a, P3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
P3 unit(P3 a) { return scale(a, 1 / std::sqrt(dot3(a, a))); }
P3 cross(P3 a, P3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// Unpolarised reflectance of a dielectric interface, from the Fresnel
// equations; 1 past the critical angle.
double reflectance(double cos_i, double n1, double n2) {
  double sin2_t = (n1 / n2) * (n1 / n2) * (1 - cos_i * cos_i);
  if (sin2_t >= 1) return 1;
  double cos_t = std::sqrt(1 - sin2_t);
  double rs = (n1 * cos_i - n2 * cos_t) / (n1 * cos_i + n2 * cos_t);
  double rp = (n1 * cos_t - n2 * cos_i) / (n1 * cos_t + n2 * cos_i);
  return 0.5 * (rs * rs + rp * rp);
}

struct Fan {
  const Setup &s;
  std::vector<Ring> *rings;
  double cone_flux;

  // The ray from o along unit d, with weight w per channel, after `events`
  // scatterings at the glass; inside: whether it travels in the glass.
  void follow(P2 o, P2 d, const double w[3], bool inside, int events) {
    if (std::max({w[0], w[1], w[2]}) < 1e-12) return;
    // Meets the circle of the sphere: |o + t d - c|^2 = R^2.
    P2 oc{o.u, o.y - s.centre};
    double b = oc.u * d.u + oc.y * d.y, c = oc.u * oc.u + oc.y * oc.y - s.radius * s.radius;
    double disc = b * b - c;
    double t = -1;
    if (disc > 0) {
      double root = std::sqrt(disc);
      t = inside ? -b + root : -b - root;
      if (!inside && t < 1e-9) t = -1;
    }
    if (t < 0) { // leaves the glass for good: lands on the floor, or flies off
      if (!inside && events > 0 && d.y < 0) {
        double land = std::fabs(o.u - o.y / d.y * d.u);
        rings->push_back({land, {w[0] * cone_flux, w[1] * cone_flux, w[2] * cone_flux}});
      }
      return;
    }
    double next[3] = {w[0], w[1], w[2]};
    if (inside)
      for (int k = 0; k < 3; ++k) next[k] *= std::pow(s.inside_color[k], s.inside_density * t);
    // A scattering at the glass beyond the photon depth does not happen.
    if (events + 1 > s.photon_depth) return;
    P2 p{o.u + t * d.u, o.y + t * d.y};
    P2 n{p.u / s.radius, (p.y - s.centre) / s.radius}; // outward
    if (inside) n = {-n.u, -n.y};                      // against the ray
    double cos_i = -(d.u * n.u + d.y * n.y);
    double n1 = inside ? s.ior : 1, n2 = inside ? 1 : s.ior;
    double r = reflectance(cos_i, n1, n2);
    P2 refl{d.u + 2 * cos_i * n.u, d.y + 2 * cos_i * n.y};
    double wr[3] = {next[0] * r, next[1] * r, next[2] * r};
    follow(p, refl, wr, inside, events + 1);
    if (r >= 1) return;
    double eta = n1 / n2, cos_t = std::sqrt(1 - eta * eta * (1 - cos_i * cos_i));
    P2 refr{eta * d.u + (eta * cos_i - cos_t) * n.u, eta * d.y + (eta * cos_i - cos_t) * n.y};
    double len = std::hypot(refr.u, refr.y);
    refr = {refr.u / len, refr.y / len};
    double wt[3] = {next[0] * (1 - r), next[1] * (1 - r), next[2] * (1 - r)};
    follow(p, refr, wt, !inside, events + 1);
  }
};

struct Camera {
  P3 eye, forward, right, up; // right and up scaled to the image plane at unit distance
  double focal;               // in pixels
  int width, height;
};

Camera camera_of(const Setup &s) {
  Camera c;
  c.eye = {s.eye[0], s.eye[1], s.eye[2]};
  c.forward = unit(sub({s.target[0], s.target[1], s.target[2]}, c.eye));
  P3 right = unit(cross(c.forward, {0, 1, 0}));
  P3 up = cross(right, c.forward);
  double h = std::tan(s.fov * kPi / 360);
  c.right = scale(right, h * s.width / s.height);
  c.up = scale(up, h);
  c.focal = 0.5 * s.height / h;
  c.width = s.width, c.height = s.height;
  return c;
}

// Whether the segment from `from` to the eye, or the ray from the eye along
// `dir` up to distance `reach`, passes through the sphere.
bool meets_sphere(const Setup &s, P3 origin, P3 dir, double reach) {
  P3 oc = sub(origin, {0, s.centre, 0});
  double b = dot3(oc, dir), c = dot3(oc, oc) - s.radius * s.radius;
  double disc = b * b - c;
  if (disc <= 0) return false;
  double root = std::sqrt(disc);
  double t0 = -b - root, t1 = -b + root;
  return t1 > 0 && t0 < reach;
}

// The camera ray through image point (px, py), unit.
P3 ray_through(const Camera &c, double px, double py) {
  double ndc_x = 2 * px / c.width - 1, ndc_y = 1 - 2 * py / c.height;
  return unit(add(c.forward, add(scale(c.right, ndc_x), scale(c.up, ndc_y))));
}

} // namespace

std::string scene_json(const Setup &s, long long photons, int passes, int samples) {
  char text[2048];
  std::snprintf(text, sizeof text,
                R"({"camera": {"position": [%.17g, %.17g, %.17g], "target": [%.17g, %.17g, %.17g],
                     "fov": %.17g, "resolution": [%d, %d]},
          "options": {"samples": %d, "gather_rays": 0, "caustic_photons": %lld, "passes": %d,
                      "photon_depth": %d},
          "environment": {"type": "constant", "color": [0, 0, 0]},
          "lights": [{"type": "point", "position": [0, %.17g, 0], "intensity": %.17g}],
          "objects": [{"shape": "quad", "size": [40, 40],
                       "material": {"type": "diffuse", "color": [%.17g, %.17g, %.17g]}},
                      {"shape": "sphere", "radius": %.17g,
                       "transform": {"translate": [0, %.17g, 0]},
                       "material": {"type": "glass", "preset": "clear", "ior": %.17g,
                                    "inside_color": [%.17g, %.17g, %.17g],
                                    "inside_density": %.17g}}]})",
                s.eye[0], s.eye[1], s.eye[2], s.target[0], s.target[1], s.target[2], s.fov, s.width,
                s.height, samples, photons, passes, s.photon_depth, s.light_height, s.intensity,
                s.albedo, s.albedo, s.albedo, s.radius, s.centre, s.ior, s.inside_color[0],
                s.inside_color[1], s.inside_color[2], s.inside_density);
  return text;
}

std::vector<Ring> trace_fan(const Setup &s, int cones) {
  std::vector<Ring> rings;
  double above = s.light_height - s.centre;
  double cos_max = std::sqrt(1 - (s.radius / above) * (s.radius / above));
  // Toward the rim the rays graze the sphere and their landing moves fast
  // with the angle, so the cones are narrower there: cone i spans the share
  // w(i / cones) .. w((i + 1) / cones) of the solid angle, w(u) = 1 - (1 - u)^2,
  // and carries that share of the flux.
  double whole = s.intensity * 2 * kPi * (1 - cos_max);
  auto w = [&](int i) {
    double v = 1 - double(i) / cones;
    return 1 - v * v;
  };
  const double one[3] = {1, 1, 1};
  for (int i = 0; i < cones; ++i) {
    double w0 = w(i), w1 = w(i + 1);
    Fan fan{s, &rings, whole * (w1 - w0)};
    double cos_t = 1 - 0.5 * (w0 + w1) * (1 - cos_max);
    double sin_t = std::sqrt(1 - cos_t * cos_t);
    fan.follow({0, s.light_height}, {sin_t, -cos_t}, one, false, 0);
  }
  return rings;
}

void total_flux(const std::vector<Ring> &rings, double out[3]) {
  annulus_flux(rings, 0, HUGE_VAL, out);
}

void annulus_flux(const std::vector<Ring> &rings, double r0, double r1, double out[3]) {
  out[0] = out[1] = out[2] = 0;
  for (const Ring &r : rings)
    if (r.radius >= r0 && r.radius < r1)
      for (int k = 0; k < 3; ++k) out[k] += r.flux[k];
}

std::vector<double> pixel_integrals(const Setup &s, const std::vector<Ring> &rings, int azimuths) {
  Camera cam = camera_of(s);
  std::vector<double> image(size_t(s.width) * s.height * 3, 0.0);
  const double half = 0.05; // half the spread square's side, in pixels
  const double golden = 0.6180339887498949;
  for (size_t j = 0; j < rings.size(); ++j) {
    const Ring &ring = rings[j];
    double offset = std::fmod(j * golden, 1.0);
    for (int k = 0; k < azimuths; ++k) {
      double phi = 2 * kPi * (k + offset) / azimuths;
      P3 point{ring.radius * std::cos(phi), 0, ring.radius * std::sin(phi)};
      P3 v = sub(point, cam.eye);
      double z = dot3(v, cam.forward);
      if (z <= 0) continue;
      double d = std::sqrt(dot3(v, v));
      if (meets_sphere(s, cam.eye, scale(v, 1 / d), d)) continue;
      double ndc_x = dot3(v, cam.right) / (z * dot3(cam.right, cam.right));
      double ndc_y = dot3(v, cam.up) / (z * dot3(cam.up, cam.up));
      double px = (ndc_x + 1) * 0.5 * s.width, py = (1 - ndc_y) * 0.5 * s.height;
      // Image-plane area per floor area: f^2 cos / d^2 over cos^3 off the axis.
      double cos_floor = cam.eye.y / d;
      double per_area = cam.focal * cam.focal * cos_floor * d / (z * z * z);
      double share = s.albedo / kPi * per_area / azimuths / (4 * half * half);
      for (int y = int(std::floor(py - half)); y <= int(std::floor(py + half)); ++y) {
        if (y < 0 || y >= s.height) continue;
        double oy = std::min(py + half, y + 1.0) - std::max(py - half, double(y));
        for (int x = int(std::floor(px - half)); x <= int(std::floor(px + half)); ++x) {
          if (x < 0 || x >= s.width) continue;
          double ox = std::min(px + half, x + 1.0) - std::max(px - half, double(x));
          double *p = &image[(size_t(y) * s.width + x) * 3];
          for (int c = 0; c < 3; ++c) p[c] += ring.flux[c] * share * ox * oy;
        }
      }
    }
  }
  return image;
}

bool sees_floor(const Setup &s, int x, int y) {
  Camera cam = camera_of(s);
  const double at[5][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}, {0.5, 0.5}};
  for (const auto &a : at) {
    P3 dir = ray_through(cam, x + a[0], y + a[1]);
    if (!(dir.y < 0)) return false;
    double reach = -cam.eye.y / dir.y;
    if (meets_sphere(s, cam.eye, dir, reach)) return false;
  }
  return true;
}

bool pixel_floor_point(const Setup &s, int x, int y, double *fx, double *fz) {
  Camera cam = camera_of(s);
  P3 dir = ray_through(cam, x + 0.5, y + 0.5);
  if (!(dir.y < 0)) return false;
  double t = -cam.eye.y / dir.y;
  *fx = cam.eye.x + t * dir.x, *fz = cam.eye.z + t * dir.z;
  return true;
}

double open_irradiance(const Setup &s, double x, double z) {
  double d2 = x * x + z * z + s.light_height * s.light_height;
  return s.intensity * s.light_height / (d2 * std::sqrt(d2));
}

} // namespace ball_lens
