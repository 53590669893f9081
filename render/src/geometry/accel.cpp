#include "geometry/accel.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <stdexcept>

namespace vr {

namespace {

void report_embree_error(void *, RTCError code, const char *message) {
  std::fprintf(stderr, "vitrel-render: Embree error %d: %s\n", static_cast<int>(code),
               message ? message : "");
}

RTCScene unit_sphere_scene(RTCDevice device) {
  RTCScene scene = rtcNewScene(device);
  RTCGeometry g = rtcNewGeometry(device, RTC_GEOMETRY_TYPE_SPHERE_POINT);
  float *p = static_cast<float *>(rtcSetNewGeometryBuffer(g, RTC_BUFFER_TYPE_VERTEX, 0,
                                                          RTC_FORMAT_FLOAT4, 4 * sizeof(float), 1));
  p[0] = p[1] = p[2] = 0, p[3] = 1;
  rtcCommitGeometry(g);
  rtcAttachGeometry(scene, g);
  rtcReleaseGeometry(g);
  rtcCommitScene(scene);
  return scene;
}

unsigned attach_mesh(const Accel &accel, const Mesh &mesh) {
  RTCGeometry g = rtcNewGeometry(accel.device, RTC_GEOMETRY_TYPE_TRIANGLE);
  size_t nv = mesh.positions.size() / 3, nt = mesh.indices.size() / 3;
  void *v = rtcSetNewGeometryBuffer(g, RTC_BUFFER_TYPE_VERTEX, 0, RTC_FORMAT_FLOAT3,
                                    3 * sizeof(float), nv);
  std::copy(mesh.positions.begin(), mesh.positions.end(), static_cast<float *>(v));
  void *i = rtcSetNewGeometryBuffer(g, RTC_BUFFER_TYPE_INDEX, 0, RTC_FORMAT_UINT3,
                                    3 * sizeof(uint32_t), nt);
  std::copy(mesh.indices.begin(), mesh.indices.end(), static_cast<uint32_t *>(i));
  rtcCommitGeometry(g);
  unsigned id = rtcAttachGeometry(accel.scene, g);
  rtcReleaseGeometry(g);
  return id;
}

unsigned attach_sphere(const Accel &accel, const Transform &t) {
  RTCGeometry g = rtcNewGeometry(accel.device, RTC_GEOMETRY_TYPE_INSTANCE);
  rtcSetGeometryInstancedScene(g, accel.unit_sphere);
  float m[12];
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 4; ++c) m[r * 4 + c] = static_cast<float>(t.m[r][c]);
  rtcSetGeometryTransform(g, 0, RTC_FORMAT_FLOAT3X4_ROW_MAJOR, m);
  rtcCommitGeometry(g);
  unsigned id = rtcAttachGeometry(accel.scene, g);
  rtcReleaseGeometry(g);
  return id;
}

V3 vertex(const Mesh &m, uint32_t index) {
  const float *p = &m.positions[3 * static_cast<size_t>(index)];
  return {p[0], p[1], p[2]};
}

void fill_mesh_hit(const Shape &o, unsigned prim, double bu, double bv, SurfaceHit *hit) {
  const Mesh &m = o.mesh;
  size_t c = 3 * static_cast<size_t>(prim);
  V3 p0 = vertex(m, m.indices[c]), p1 = vertex(m, m.indices[c + 1]),
     p2 = vertex(m, m.indices[c + 2]);
  double bw = 1 - bu - bv;
  hit->point = p0 * bw + p1 * bu + p2 * bv;
  hit->geo_normal = normalize(cross(p1 - p0, p2 - p0));
  hit->shading_normal = hit->geo_normal;
  if (!m.corner_normals.empty()) {
    V3 n = m.corner_normals[c] * bw + m.corner_normals[c + 1] * bu + m.corner_normals[c + 2] * bv;
    if (length(n) > 1e-12) hit->shading_normal = normalize(n);
  }
  if (!m.corner_uvs.empty()) {
    const float *uv = &m.corner_uvs[2 * c];
    hit->u = uv[0] * bw + uv[2] * bu + uv[4] * bv;
    hit->v = uv[1] * bw + uv[3] * bu + uv[5] * bv;
  } else {
    hit->u = hit->v = 0;
  }
  hit->object_point = apply_point(o.inverse, hit->point);
}

void fill_sphere_hit(const Shape &o, V3 origin, V3 dir, double t, SurfaceHit *hit) {
  // Embree finds the hit in single precision; putting it back on the exact
  // surface keeps thin paths through glass from drifting.
  V3 local = normalize(apply_point(o.inverse, origin + dir * t));
  hit->object_point = local;
  hit->point = apply_point(o.transform, local);
  hit->geo_normal = normalize(apply_normal(o.inverse, local));
  hit->shading_normal = hit->geo_normal;
  if (!o.needs_uv) { // the angles cost more than the rest of the hit
    hit->u = hit->v = 0;
    return;
  }
  hit->u = 0.5 + std::atan2(local.z, local.x) / (2 * kPi);
  hit->v = std::acos(std::clamp(local.y, -1.0, 1.0)) / kPi;
}

// Fills the ray in place: a ray built in a temporary and copied would be
// written field by field and read back in wider words, which stalls on every
// trace.
void set_ray(RTCRay &r, V3 origin, V3 dir, double t_max) {
  r.org_x = float(origin.x), r.org_y = float(origin.y), r.org_z = float(origin.z);
  r.tnear = 0;
  r.dir_x = float(dir.x), r.dir_y = float(dir.y), r.dir_z = float(dir.z);
  r.time = 0;
  r.tfar = t_max >= double(std::numeric_limits<float>::max())
               ? std::numeric_limits<float>::infinity()
               : float(t_max);
  r.mask = 0xffffffffu;
  r.id = 0;
  r.flags = 0;
}

} // namespace

Accel::~Accel() {
  if (scene) rtcReleaseScene(scene);
  if (unit_sphere) rtcReleaseScene(unit_sphere);
  if (device) rtcReleaseDevice(device);
}

void build_accel(const std::vector<const Shape *> &shapes, Accel *accel) {
  accel->shapes = shapes;
  accel->device = rtcNewDevice(nullptr);
  if (!accel->device) throw std::runtime_error("cannot start Embree");
  rtcSetDeviceErrorFunction(accel->device, report_embree_error, nullptr);
  accel->scene = rtcNewScene(accel->device);
  rtcSetSceneBuildQuality(accel->scene, RTC_BUILD_QUALITY_HIGH);
  accel->unit_sphere = unit_sphere_scene(accel->device);
  for (size_t i = 0; i < shapes.size(); ++i) {
    const Shape &o = *shapes[i];
    unsigned id = o.kind == ShapeKind::Sphere ? attach_sphere(*accel, o.transform)
                                              : attach_mesh(*accel, o.mesh);
    if (accel->geometry_object.size() <= id) accel->geometry_object.resize(id + 1, -1);
    accel->geometry_object[id] = static_cast<int>(i);
  }
  rtcCommitScene(accel->scene);
}

bool intersect(const Accel &accel, V3 origin, V3 dir, double t_max, SurfaceHit *hit) {
  RTCIntersectContext context;
  rtcInitIntersectContext(&context);
  RTCRayHit rh;
  set_ray(rh.ray, origin, dir, t_max);
  rh.hit.geomID = RTC_INVALID_GEOMETRY_ID;
  rh.hit.instID[0] = RTC_INVALID_GEOMETRY_ID;
  rtcIntersect1(accel.scene, &context, &rh);
  if (rh.hit.geomID == RTC_INVALID_GEOMETRY_ID) return false;

  bool instanced = rh.hit.instID[0] != RTC_INVALID_GEOMETRY_ID;
  int object = accel.geometry_object[instanced ? rh.hit.instID[0] : rh.hit.geomID];
  const Shape &o = *accel.shapes[object];
  hit->object = object;
  if (o.kind == ShapeKind::Sphere)
    fill_sphere_hit(o, origin, dir, rh.ray.tfar, hit);
  else
    fill_mesh_hit(o, rh.hit.primID, rh.hit.u, rh.hit.v, hit);
  hit->t = length(hit->point - origin);
  return true;
}

bool occluded(const Accel &accel, V3 origin, V3 dir, double t_max) {
  RTCIntersectContext context;
  rtcInitIntersectContext(&context);
  RTCRay ray;
  set_ray(ray, origin, dir, t_max);
  rtcOccluded1(accel.scene, &context, &ray);
  return ray.tfar < 0; // Embree marks an occluded ray with tfar = -inf
}

} // namespace vr
