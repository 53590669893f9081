#include "photon/camera_splat.h"

#include <algorithm>
#include <cmath>

#include "shading/diffuse.h"
#include "shading/tracer.h"

namespace vr {

double camera_focal_pixels(const RenderContext &rc) {
  // rc.up is the image plane's half height at unit distance, which spans
  // half the frame's rows.
  return 0.5 * rc.scene->camera.height / length(rc.up);
}

namespace {

// Where the camera sees `point`: its pixel coordinates in the full frame and
// |dp/dA|, the image-plane area in square pixels per unit of surface area at
// a surface whose normal is `normal` (unit, any side). False behind the
// camera or for a surface seen edge-on.
struct CameraProjection {
  double x, y;
  double pixels_per_area;
};
bool project_to_camera(const RenderContext &rc, double focal, V3 point, V3 normal,
                       CameraProjection *out) {
  V3 v = point - rc.eye;
  double z = dot(v, rc.forward);
  if (!(z > 0)) return false;
  double d = length(v);
  double cos_x = std::fabs(dot(normal, v)) / d;
  if (!(cos_x > 0)) return false;
  // The camera ray through image-plane point (ndc_x, ndc_y) runs along
  // forward + right ndc_x + up ndc_y, with right and up scaled to the plane.
  double ndc_x = dot(v, rc.right) / (z * dot(rc.right, rc.right));
  double ndc_y = dot(v, rc.up) / (z * dot(rc.up, rc.up));
  const Camera &c = rc.scene->camera;
  out->x = (ndc_x + 1) * 0.5 * c.width;
  out->y = (1 - ndc_y) * 0.5 * c.height;
  // Solid angle per area cos_x / d^2, image-plane area per solid angle
  // f^2 / cos^3 of the angle off the axis, which is z / d.
  out->pixels_per_area = focal * focal * cos_x * d / (z * z * z);
  return true;
}

} // namespace

void splat_to_camera(RenderState &s, Colour energy) {
  PhotonSink *sink = s.thread->photons;
  if (sink == nullptr || sink->splat == nullptr) return;
  const RenderContext &rc = *s.thread->rc;
  const SplatTarget &target = *sink->splat;
  // Seen from the side the photon arrived on: geo_normal faces its ray.
  V3 to_eye = rc.eye - s.point;
  if (!(dot(to_eye, s.geo_normal) > 0)) return;
  CameraProjection p;
  if (!project_to_camera(rc, target.focal, s.point, s.geo_normal, &p)) return;
  const Region &r = target.region;
  if (!(p.x >= r.x0 && p.x < r.x1 && p.y >= r.y0 && p.y < r.y1)) return;
  double distance = length(to_eye);
  V3 dir = to_eye * (1 / distance);
  V3 origin = ray_origin(s, dir);
  ++s.thread->rays;
  if (visible_light_blocks(rc, origin, dir, distance) ||
      occluded(*rc.accel, origin, dir, length(rc.eye - origin)))
    return;
  Colour albedo = diffuse_albedo(s);
  double scale = p.pixels_per_area / kPi;
  Splat splat;
  // Rounding to single precision must not move a splat out of the region.
  splat.x = std::min(static_cast<float>(p.x), std::nextafter(static_cast<float>(r.x1), 0.0f));
  splat.y = std::min(static_cast<float>(p.y), std::nextafter(static_cast<float>(r.y1), 0.0f));
  splat.rgb[0] = static_cast<float>(albedo.r * energy.r * scale);
  splat.rgb[1] = static_cast<float>(albedo.g * energy.g * scale);
  splat.rgb[2] = static_cast<float>(albedo.b * energy.b * scale);
  sink->splats.push_back(splat);
}

} // namespace vr
