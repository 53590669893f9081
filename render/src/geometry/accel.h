// The scene's surfaces in an Embree 3 BVH: meshes in world space, spheres as
// instances of one unit sphere. Answers nearest hits and occlusion.
#ifndef VITREL_RENDER_GEOMETRY_ACCEL_H
#define VITREL_RENDER_GEOMETRY_ACCEL_H

#include <embree3/rtcore.h>
#include <vector>

#include "geometry/shape.h"

namespace vr {

struct SurfaceHit {
  double t = 0;
  int object = -1;   // index of the shape hit, in the order given to build_accel
  V3 point;          // world
  V3 geo_normal;     // unit, outward (the side the surface was wound or built to face)
  V3 shading_normal; // unit, outward
  double u = 0, v = 0;
  V3 object_point; // the hit in the object's own space, for solid textures
};

struct Accel {
  RTCDevice device = nullptr;
  RTCScene scene = nullptr;
  RTCScene unit_sphere = nullptr;
  std::vector<int> geometry_object;  // Embree geometry id -> shape index
  std::vector<const Shape *> shapes; // as given to build_accel

  Accel() = default;
  Accel(const Accel &) = delete;
  Accel &operator=(const Accel &) = delete;
  ~Accel();
};

// Builds the BVH of the shapes, which must outlive it.
void build_accel(const std::vector<const Shape *> &shapes, Accel *accel);

// Nearest surface along origin + t * dir (dir unit) with 0 < t < t_max. A hit
// writes every field of *hit, so the caller need not clear it.
bool intersect(const Accel &accel, V3 origin, V3 dir, double t_max, SurfaceHit *hit);
// Whether any surface lies along the segment 0 < t < t_max.
bool occluded(const Accel &accel, V3 origin, V3 dir, double t_max);

} // namespace vr

#endif
