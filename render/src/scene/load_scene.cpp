#include "scene/load_scene.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "core/error.h"
#include "geometry/shapes.h"
#include "image/image_io.h"
#include "scene/embedded.h"
#include "scene/glass_material.h"
#include "scene/json_read.h"
#include "scene/light_names.h"
#include "scene/presets.h"
#include "scene/stack_budget.h"
#include "scene/texture_read.h"

namespace vr {

namespace {

struct Context {
  const std::string &folder;
};

std::string resolve(const Context &ctx, const std::string &path) {
  if (path.empty() || path[0] == '/' || ctx.folder.empty()) return path;
  return ctx.folder + "/" + path;
}

bool finite(V3 v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }
bool finite(const Transform &t) {
  for (const auto &row : t.m)
    for (double v : row)
      if (!std::isfinite(v)) return false;
  return true;
}
bool finite(const std::vector<float> &values) {
  return std::all_of(values.begin(), values.end(), [](float v) { return std::isfinite(v); });
}

Camera read_camera(const Node &node) {
  check_object(node, {"position", "target", "up", "fov", "resolution"});
  Camera c;
  if (has(node, "position")) c.position = read_v3(member(node, "position"));
  if (has(node, "target")) c.target = read_v3(member(node, "target"));
  if (has(node, "up")) c.up = read_v3(member(node, "up"));
  if (has(node, "fov")) c.fov_degrees = read_number_in(member(node, "fov"), 0.01, 179);
  if (has(node, "resolution")) {
    Node res = member(node, "resolution");
    if (array_size(res) != 2) fail(res, "[width, height]");
    c.width = read_int_in(element(res, 0), 1, kMaxResolution);
    c.height = read_int_in(element(res, 1), 1, kMaxResolution);
  }
  V3 forward = c.target - c.position;
  if (length(forward) == 0) fail_at(node, "position and target must differ");
  if (!std::isfinite(length(forward)) || !std::isfinite(length(c.up)))
    fail_at(node, "position, target and up must lie within a finite distance");
  if (length(cross(forward, c.up)) < 1e-12 * length(forward) * length(c.up))
    fail_at(node, "up must not be parallel to the viewing direction");
  return c;
}

// A depth option: a whole number from 0 to what a worker's stack holds.
int read_depth(const Node &node, int most) {
  if (node.value.is_number_integer() && node.value.get<long long>() > most)
    fail(node, "at most " + std::to_string(most) + " (" + stack_budget_reason() + ")");
  return read_int_in(node, 0, most);
}

// Reflections and refractions nest in one path, so their limits share the
// stack. The complaint goes to the larger of the two the file sets.
void check_trace_depths(const Node &options, const Options &o) {
  if (o.reflection_depth + o.refraction_depth <= kMaxNestedLevels) return;
  const bool has_reflection = has(options, "reflection_depth");
  const bool blame_reflection = has_reflection && (!has(options, "refraction_depth") ||
                                                   o.reflection_depth > o.refraction_depth);
  const char *other = blame_reflection ? "refraction_depth" : "reflection_depth";
  const int other_depth = blame_reflection ? o.refraction_depth : o.reflection_depth;
  fail(member(options, blame_reflection ? "reflection_depth" : "refraction_depth"),
       "at most " + std::to_string(kMaxNestedLevels - other_depth) + " with " + other + " " +
           std::to_string(other_depth) + " (reflections and refractions nest together, and " +
           stack_budget_reason() + ")");
}

Options read_options(const Node &node) {
  check_object(node, {"samples", "reflection_depth", "refraction_depth", "gather_rays",
                      "caustic_photons", "caustic_neighbours", "caustic_radius", "photon_depth",
                      "passes", "caustic_smoothing"});
  Options o;
  if (has(node, "samples")) o.samples = read_int_in(member(node, "samples"), 1, kMaxSamples);
  if (has(node, "reflection_depth"))
    o.reflection_depth = read_depth(member(node, "reflection_depth"), kMaxNestedLevels);
  if (has(node, "refraction_depth"))
    o.refraction_depth = read_depth(member(node, "refraction_depth"), kMaxNestedLevels);
  check_trace_depths(node, o);
  if (has(node, "gather_rays")) o.gather_rays = read_int_in(member(node, "gather_rays"), 0, 4096);
  if (has(node, "caustic_photons")) {
    Node n = member(node, "caustic_photons");
    long long most = kMaxCausticPhotons;
    if (n.value.is_number_unsigned() &&
        n.value.get<unsigned long long>() > static_cast<unsigned long long>(most))
      fail(n, photon_cap_expected());
    o.caustic_photons = read_int_in(n, 0, most);
  }
  if (has(node, "caustic_neighbours"))
    o.caustic_neighbours =
        read_int_in(member(node, "caustic_neighbours"), 1, kMaxCausticNeighbours);
  if (has(node, "caustic_radius")) {
    Node n = member(node, "caustic_radius");
    o.caustic_radius = read_number(n);
    if (!(o.caustic_radius > 0)) fail(n, "a radius greater than 0");
  }
  // The light's state and every hit up to the last bounce nest.
  if (has(node, "photon_depth"))
    o.photon_depth = read_depth(member(node, "photon_depth"), kMaxNestedLevels - 1);
  if (has(node, "passes")) o.passes = read_int_in(member(node, "passes"), 1, kMaxPasses);
  if (has(node, "caustic_smoothing"))
    o.caustic_smoothing = read_int_in(member(node, "caustic_smoothing"), 0, kMaxCausticNeighbours);
  return o;
}

Environment read_environment(const Node &node, const Context &ctx) {
  if (!node.value.is_object()) fail(node, "an object");
  Node type = member(node, "type");
  std::string kind = read_string(type);
  Environment e;
  if (kind == "constant") {
    check_object(node, {"type", "color", "alpha"});
    e.kind = EnvironmentKind::Constant;
    e.colour = read_colour(member(node, "color"));
  } else if (kind == "gradient") {
    check_object(node, {"type", "zenith", "horizon", "ground", "alpha"});
    e.kind = EnvironmentKind::Gradient;
    e.zenith = read_colour(member(node, "zenith"));
    e.horizon = read_colour(member(node, "horizon"));
    e.ground = has(node, "ground") ? read_colour(member(node, "ground")) : e.horizon;
  } else if (kind == "image") {
    check_object(node, {"type", "file", "intensity", "rotation", "alpha"});
    e.kind = EnvironmentKind::Image;
    Node file = member(node, "file");
    std::string path = resolve(ctx, read_string(file));
    try {
      e.image = read_image(path);
    } catch (const std::exception &ex) {
      fail_at(file, "cannot read the image '" + escape_bytes(path) + "': " + ex.what());
    }
    if (has(node, "intensity"))
      e.intensity = float(read_number_in(member(node, "intensity"), 0, 1e9));
    if (has(node, "rotation")) e.rotation_degrees = read_number(member(node, "rotation"));
  } else {
    fail(type, "\"constant\", \"gradient\" or \"image\"");
  }
  if (has(node, "alpha")) e.alpha = float(read_number_in(member(node, "alpha"), 0, 1));
  return e;
}

// The optional `size` [width, depth] of a rectangle in the xz-plane (area
// lights and quads); both positive. Left as they are when the key is absent.
void read_rectangle_size(const Node &node, double *width, double *depth) {
  if (!has(node, "size")) return;
  Node size = member(node, "size");
  if (array_size(size) != 2) fail(size, "[width, depth]");
  *width = read_number_in(element(size, 0), 1e-9, 1e9);
  *depth = read_number_in(element(size, 1), 1e-9, 1e9);
}

Transform read_transform(const Node &node) {
  check_object(node, {"translate", "rotate", "scale"});
  Transform t;
  if (has(node, "scale")) {
    Node s = member(node, "scale");
    V3 v = s.value.is_number() ? V3{1, 1, 1} * read_number(s) : read_v3(s);
    if (v.x == 0 || v.y == 0 || v.z == 0) fail(s, "a nonzero scale");
    t = scaling(v);
  }
  if (has(node, "rotate")) t = compose(rotation_xyz(read_v3(member(node, "rotate"))), t);
  if (has(node, "translate")) t = compose(translation(read_v3(member(node, "translate"))), t);
  return t;
}

Light read_light(const Node &node, size_t index) {
  if (!node.value.is_object()) fail(node, "an object");
  Light l;
  l.name = has(node, "name") ? read_string(member(node, "name")) : "light" + std::to_string(index);
  Node type = member(node, "type");
  std::string kind = read_string(type);
  Colour colour = has(node, "color") ? read_colour(member(node, "color")) : Colour{1, 1, 1, 1};
  float intensity =
      has(node, "intensity") ? float(read_number_in(member(node, "intensity"), 0, 1e12)) : 1;
  l.colour = {colour.r * intensity, colour.g * intensity, colour.b * intensity, 1};
  if (!std::isfinite(l.colour.r) || !std::isfinite(l.colour.g) || !std::isfinite(l.colour.b))
    fail_at(node, "color times intensity passes the single-precision range");
  if (kind == "point") {
    check_object(node, {"name", "type", "color", "intensity", "position"});
    l.kind = LightKind::Point;
    l.position = read_v3(member(node, "position"));
  } else if (kind == "area") {
    check_object(node,
                 {"name", "type", "color", "intensity", "size", "transform", "samples", "visible"});
    l.kind = LightKind::Area;
    double w = 1, h = 1;
    read_rectangle_size(node, &w, &h);
    Transform t = has(node, "transform") ? read_transform(member(node, "transform")) : Transform{};
    // The unit rectangle lies in the xz-plane and emits downwards (-y).
    l.position = apply_point(t, {0, 0, 0});
    l.edge_u = apply_vector(t, {w, 0, 0});
    l.edge_v = apply_vector(t, {0, 0, h});
    V3 n = cross(l.edge_u, l.edge_v); // -y for the untransformed rectangle
    l.area = length(n);
    l.normal = normalize(n);
    // A scale near the ends of the double range can still make the area
    // overflow or vanish, which leaves the light without a normal.
    if (!finite(l.position) || !(l.area > 0) || !std::isfinite(l.area))
      fail_at(has(node, "transform") ? member(node, "transform") : node,
              "the light's size and transform leave it no finite, nonzero area");
    if (has(node, "samples")) l.samples = read_int_in(member(node, "samples"), 1, 4096);
    if (has(node, "visible")) l.visible = read_bool(member(node, "visible"));
  } else {
    fail(type, "\"point\" or \"area\"");
  }
  return l;
}

Material read_material(const Node &node, const std::vector<Light> &lights) {
  Material m;
  Node type = member(node, "type");
  std::string kind = read_string(type);
  if (kind == "diffuse") {
    check_object(node, {"type", "color"});
    m.kind = MaterialKind::Diffuse;
    if (has(node, "color")) m.diffuse = read_colour_source(member(node, "color"));
  } else if (kind == "glass") {
    m.kind = MaterialKind::Glass;
    m.glass = read_glass_material(node, builtin_presets(), lights);
  } else {
    fail(type, "\"diffuse\" or \"glass\"");
  }
  return m;
}

Object read_object(const Node &node, size_t index, const std::vector<Light> &lights,
                   const Context &ctx) {
  if (!node.value.is_object()) fail(node, "an object");
  Object o;
  o.name = has(node, "name") ? read_string(member(node, "name")) : "object" + std::to_string(index);
  Node shape = member(node, "shape");
  std::string kind = read_string(shape);
  Transform t = has(node, "transform") ? read_transform(member(node, "transform")) : Transform{};
  // The keys every object takes, and the one of its shape.
  auto allow = [&](std::string_view own) {
    check_keys(
        node,
        [&](std::string_view key) {
          return key == own || key == "name" || key == "shape" || key == "transform" ||
                 key == "material" || key == "lights";
        },
        "unknown key for a " + kind);
  };
  if (kind == "sphere") {
    allow("radius");
    o.shape.kind = ShapeKind::Sphere;
    double r = has(node, "radius") ? read_number_in(member(node, "radius"), 1e-9, 1e9) : 1;
    t = compose(t, scaling({r, r, r}));
  } else if (kind == "box") {
    allow("size");
    o.shape.kind = ShapeKind::Box;
    V3 size{1, 1, 1};
    if (has(node, "size")) size = read_v3(member(node, "size"));
    if (!(size.x > 0 && size.y > 0 && size.z > 0))
      fail(member(node, "size"), "three positive sizes");
    o.shape.mesh = box_mesh(size, t);
  } else if (kind == "quad") {
    allow("size");
    o.shape.kind = ShapeKind::Quad;
    double w = 1, d = 1;
    read_rectangle_size(node, &w, &d);
    o.shape.mesh = quad_mesh(w, d, t);
  } else if (kind == "mesh") {
    allow("file");
    o.shape.kind = ShapeKind::Mesh;
    Node file = member(node, "file");
    std::string path = resolve(ctx, read_string(file));
    try {
      o.shape.mesh = load_obj(path, t);
    } catch (const std::exception &ex) {
      fail_at(file, "cannot read the mesh '" + escape_bytes(path) + "': " + ex.what());
    }
  } else {
    fail(shape, "\"sphere\", \"box\", \"quad\" or \"mesh\"");
  }
  o.shape.transform = t;
  // Every scale is nonzero, but their product may still overflow or vanish,
  // and the renderer keeps vertices in single precision.
  if (!invert(t, &o.shape.inverse) || !finite(t) || !finite(o.shape.inverse) ||
      !finite(o.shape.mesh.positions))
    fail_at(has(node, "transform") ? member(node, "transform") : node,
            "the transform takes the shape beyond the range the renderer holds");
  if (has(node, "material")) o.material = read_material(member(node, "material"), lights);
  o.shape.needs_uv = o.material.kind == MaterialKind::Glass ? !o.material.glass.connections.empty()
                                                            : o.material.diffuse.textured;
  if (has(node, "lights")) {
    o.light_links = read_light_names(member(node, "lights"), lights);
  } else {
    for (size_t k = 0; k < lights.size(); ++k) o.light_links.push_back(static_cast<Tag>(k + 1));
  }
  return o;
}

} // namespace

Scene load_scene_text(const std::string &text, const std::string &file, const std::string &folder) {
  Json json = parse_json(text, file);
  Node root{json, "", file};
  check_object(root, {"camera", "options", "environment", "lights", "objects"});
  Context ctx{folder};
  Scene s;
  s.source = file;
  if (has(root, "camera")) s.camera = read_camera(member(root, "camera"));
  if (has(root, "options")) s.options = read_options(member(root, "options"));
  if (has(root, "environment")) s.environment = read_environment(member(root, "environment"), ctx);
  if (has(root, "lights")) {
    Node lights = member(root, "lights");
    size_t n = array_size(lights);
    if (n > static_cast<size_t>(kMaxLights))
      fail(lights, "at most " + std::to_string(kMaxLights) + " lights");
    for (size_t i = 0; i < n; ++i) s.lights.push_back(read_light(element(lights, i), i));
  }
  if (has(root, "objects")) {
    Node objects = member(root, "objects");
    for (size_t i = 0, n = array_size(objects); i < n; ++i)
      s.objects.push_back(read_object(element(objects, i), i, s.lights, ctx));
  }
  return s;
}

Scene load_scene_file(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw InputError(path, "", "cannot open the scene file");
  std::ostringstream text;
  text << in.rdbuf();
  size_t slash = path.find_last_of('/');
  return load_scene_text(text.str(), path, slash == std::string::npos ? "" : path.substr(0, slash));
}

Scene load_default_scene() {
  return load_scene_text(embedded_default_scene(), "(default scene)", "");
}

} // namespace vr
