#include "scene_check.h"

#include <cmath>
#include <cstring>

#include "scene/glass_material.h"

namespace vr::fuzz {

namespace {

bool finite(V3 v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }
bool finite(const Colour &c) {
  return std::isfinite(c.r) && std::isfinite(c.g) && std::isfinite(c.b) && std::isfinite(c.a);
}
bool finite(const Transform &t) {
  for (const auto &row : t.m)
    for (double v : row)
      if (!std::isfinite(v)) return false;
  return true;
}

std::string texture_fault(const Texture &t) {
  if (!finite(t.a) || !finite(t.b)) return "a texture value is not finite";
  if (!(t.scale > 0) || !std::isfinite(t.scale)) return "a texture scale is not positive";
  if (t.octaves < 1 || t.octaves > 8) return "a texture's octaves out of range";
  return "";
}

std::string mesh_fault(const Mesh &m) {
  if (m.positions.size() % 3 != 0) return "mesh positions are not whole vertices";
  for (float p : m.positions)
    if (!std::isfinite(p)) return "a mesh position is not finite";
  if (m.indices.empty() || m.indices.size() % 3 != 0) return "mesh indices are not whole triangles";
  for (uint32_t i : m.indices)
    if (i >= m.positions.size() / 3) return "a mesh index beyond its vertices";
  if (!m.corner_normals.empty() && m.corner_normals.size() != m.indices.size())
    return "mesh corner normals do not match the corners";
  for (V3 n : m.corner_normals)
    if (!finite(n)) return "a mesh normal is not finite";
  if (!m.corner_uvs.empty() && m.corner_uvs.size() != 2 * m.indices.size())
    return "mesh corner uvs do not match the corners";
  for (float uv : m.corner_uvs)
    if (!std::isfinite(uv)) return "a mesh uv is not finite";
  return "";
}

std::string glass_fault(const GlassMaterial &g, size_t light_count) {
  if (g.block.size() * 4 < sizeof(GlassParams)) return "the glass record is short";
  GlassParams p;
  std::memcpy(&p, g.block.data(), sizeof p);
  if (p.light_index < 0 || p.light_count < 0) return "a negative light index or count";
  size_t listed = (g.block.size() * 4 - (g.connections.empty() ? 0 : g.block.size() * 2) -
                   sizeof(GlassParams)) /
                      sizeof(Tag) +
                  1;
  if (size_t(p.light_index) + size_t(p.light_count) > listed)
    return "the glass's lights run past its list";
  const Tag *tags = reinterpret_cast<const Tag *>(g.block.data() + sizeof(GlassParams) / 4 - 1);
  for (size_t i = size_t(p.light_index); i < size_t(p.light_index) + size_t(p.light_count); ++i)
    if (tags[i] < 1 || tags[i] > light_count) return "a glass light that is not a scene light";
  if (g.connections.empty() != (g.interface_offset == 0)) return "connections without flags";
  for (const ParamConnection &c : g.connections) {
    if (c.offset % 4 != 0 || c.offset >= sizeof(GlassParams)) return "a connection off the record";
    if (size_t(g.interface_offset) + c.offset >= g.block.size() * 4 ||
        g.block[(size_t(g.interface_offset) + c.offset) / 4] != 1)
      return "a connection without its flag";
    std::string t = texture_fault(c.texture);
    if (!t.empty()) return t;
  }
  return "";
}

std::string object_fault(const Object &o, size_t light_count) {
  if (!finite(o.shape.transform) || !finite(o.shape.inverse))
    return "an object's transform or its inverse is not finite";
  if (o.shape.kind != ShapeKind::Sphere) {
    std::string m = mesh_fault(o.shape.mesh);
    if (!m.empty()) return m;
  }
  if (o.light_links.size() > size_t(kMaxLights)) return "too many light links";
  for (Tag t : o.light_links)
    if (t < 1 || t > light_count) return "a light link that is not a scene light";
  if (o.material.kind == MaterialKind::Glass) return glass_fault(o.material.glass, light_count);
  if (!finite(o.material.diffuse.constant)) return "a diffuse colour is not finite";
  return o.material.diffuse.textured ? texture_fault(o.material.diffuse.texture) : "";
}

std::string light_fault(const Light &l) {
  if (!finite(l.colour)) return "a light's colour is not finite";
  if (!finite(l.position)) return "a light's position is not finite";
  if (l.kind == LightKind::Area) {
    if (!finite(l.edge_u) || !finite(l.edge_v)) return "an area light's edges are not finite";
    if (!(l.area > 0) || !std::isfinite(l.area)) return "an area light without a finite area";
    if (std::fabs(length(l.normal) - 1) > 1e-6)
      return "an area light's normal is not a unit vector";
  }
  if (l.samples < 1) return "a light without samples";
  return "";
}

} // namespace

std::string scene_fault(const Scene &s) {
  const Camera &c = s.camera;
  if (c.width < 1 || c.height < 1 || c.width > kMaxResolution || c.height > kMaxResolution)
    return "the resolution is out of range";
  if (!finite(c.position) || !finite(c.target) || !finite(c.up) || !std::isfinite(c.fov_degrees))
    return "the camera is not finite";
  const Options &o = s.options;
  if (o.samples < 1 || o.samples > kMaxSamples) return "samples out of range";
  if (o.caustic_photons < 0 || o.caustic_photons > kMaxCausticPhotons)
    return "caustic photons out of range";
  if (!std::isfinite(o.caustic_radius) || o.caustic_radius < 0) return "a bad caustic radius";
  if (o.passes < 1 || o.passes > kMaxPasses) return "passes out of range";
  if (o.caustic_smoothing < 0 || o.caustic_smoothing > kMaxCausticNeighbours)
    return "caustic smoothing out of range";

  const Environment &e = s.environment;
  if (!finite(e.colour) || !finite(e.zenith) || !finite(e.horizon) || !finite(e.ground) ||
      !std::isfinite(e.intensity) || !std::isfinite(e.alpha) || !std::isfinite(e.rotation_degrees))
    return "the environment is not finite";
  if (e.kind == EnvironmentKind::Image) {
    const Image &im = e.image;
    if (im.width < 1 || im.height < 1 || im.width > kMaxImageSide || im.height > kMaxImageSide ||
        double(im.width) * im.height > double(kMaxImagePixels))
      return "the environment image's size is out of range";
    if (im.rgba.size() != size_t(im.width) * size_t(im.height) * 4)
      return "the environment image's pixels do not match its size";
    for (float v : im.rgba)
      if (!std::isfinite(v)) return "an environment pixel is not finite";
  }

  if (s.lights.size() > size_t(kMaxLights)) return "too many lights";
  for (const Light &l : s.lights) {
    std::string f = light_fault(l);
    if (!f.empty()) return f;
  }
  for (const Object &ob : s.objects) {
    std::string f = object_fault(ob, s.lights.size());
    if (!f.empty()) return f;
  }
  return "";
}

} // namespace vr::fuzz
