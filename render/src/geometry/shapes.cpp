#include "geometry/shapes.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <tiny_obj_loader.h>

namespace vr {

namespace {

void add_vertex(Mesh &m, const Transform &t, V3 p) {
  V3 w = apply_point(t, p);
  m.positions.insert(m.positions.end(),
                     {static_cast<float>(w.x), static_cast<float>(w.y), static_cast<float>(w.z)});
}

// Two triangles over the corners a, b, c, d (counter-clockwise seen from
// outside), with uvs running over the face.
void add_face(Mesh &m, const Transform &t, V3 a, V3 b, V3 c, V3 d) {
  uint32_t base = static_cast<uint32_t>(m.positions.size() / 3);
  for (V3 p : {a, b, c, d}) add_vertex(m, t, p);
  m.indices.insert(m.indices.end(), {base, base + 1, base + 2, base, base + 2, base + 3});
  m.corner_uvs.insert(m.corner_uvs.end(), {0, 0, 1, 0, 1, 1, 0, 0, 1, 1, 0, 1});
}

// A face's index into a list of `count` entries; -1 is "none given",
// allowed where `optional`.
void check_index(int index, size_t count, const char *what, bool optional) {
  if (optional && index == -1) return;
  if (index < 0 || static_cast<size_t>(index) >= count)
    throw std::runtime_error(std::string("a face refers to ") + what + " " +
                             std::to_string(static_cast<long long>(index) + 1) +
                             ", but the file has " + std::to_string(count));
}

// Skin weights ("vw" lines) are of no use to the renderer, and the parser
// converts their joint numbers to int unchecked (undefined behaviour for a
// joint of 1e308): each such line becomes a comment, keeping line numbers.
void comment_out_skin_weights(std::string *text) {
  for (size_t line = 0; line < text->size(); line = text->find('\n', line) + 1) {
    size_t at = text->find_first_not_of(" \t", line);
    if (at != std::string::npos && text->compare(at, 2, "vw") == 0 && at + 2 < text->size() &&
        ((*text)[at + 2] == ' ' || (*text)[at + 2] == '\t'))
      (*text)[at] = '#';
    if (text->find('\n', line) == std::string::npos) break;
  }
}

// tinyobjloader's number parser overflows a signed int on an exponent of
// ten digits or more (undefined behaviour in the library). Such a number is
// infinite or zero in single precision anyway, so it is refused before the
// parser sees it: at most 9 digits after the leading zeros.
void check_exponents(const std::string &text) {
  for (size_t i = 1; i < text.size(); ++i) {
    if ((text[i] != 'e' && text[i] != 'E') ||
        !(std::isdigit(static_cast<unsigned char>(text[i - 1])) || text[i - 1] == '.'))
      continue;
    size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    while (j < text.size() && text[j] == '0') ++j;
    size_t digits = 0;
    while (j + digits < text.size() && std::isdigit(static_cast<unsigned char>(text[j + digits])))
      ++digits;
    if (digits > 9) {
      long long line = 1 + std::count(text.begin(), text.begin() + static_cast<long>(i), '\n');
      throw std::runtime_error("line " + std::to_string(line) +
                               ": a number whose exponent has more than 9 digits");
    }
  }
}

void check_finite(const std::vector<float> &values, const char *what, size_t per_entry) {
  for (size_t i = 0; i < values.size(); ++i)
    if (!std::isfinite(values[i]))
      throw std::runtime_error(std::string(what) + " " + std::to_string(i / per_entry + 1) +
                               " is not finite");
}

} // namespace

Mesh box_mesh(V3 size, const Transform &to_world) {
  Mesh m;
  V3 h = size * 0.5;
  // Each face as (centre axis, sign): corners built from the two other axes.
  for (int axis = 0; axis < 3; ++axis)
    for (double sign : {-1.0, 1.0}) {
      int u = (axis + 1) % 3, v = (axis + 2) % 3;
      auto corner = [&](double su, double sv) {
        double c[3];
        c[axis] = sign * component(h, axis);
        c[u] = su * component(h, u);
        c[v] = sv * component(h, v);
        return V3{c[0], c[1], c[2]};
      };
      // (u, v, axis) is right-handed, so this order faces +axis; flip for -axis.
      if (sign > 0)
        add_face(m, to_world, corner(-1, -1), corner(1, -1), corner(1, 1), corner(-1, 1));
      else
        add_face(m, to_world, corner(-1, -1), corner(-1, 1), corner(1, 1), corner(1, -1));
    }
  return m;
}

Mesh quad_mesh(double size_x, double size_z, const Transform &to_world) {
  Mesh m;
  double x = size_x / 2, z = size_z / 2;
  // Counter-clockwise seen from +y: the uv runs along +x and -z.
  add_face(m, to_world, {-x, 0, z}, {x, 0, z}, {x, 0, -z}, {-x, 0, -z});
  return m;
}

Mesh load_obj(const std::string &path, const Transform &to_world) {
  // A device or a pipe named as a mesh would be read without end.
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) throw std::runtime_error("cannot open the file");
  if (!S_ISREG(st.st_mode)) throw std::runtime_error("not a regular file");
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot open the file");
  std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  comment_out_skin_weights(&text);
  check_exponents(text);
  std::istringstream in(text);
  // Without a material reader the parser opens no file the OBJ names
  // (mtllib): the renderer uses no OBJ materials.
  tinyobj::attrib_t attrib;
  std::vector<tinyobj::shape_t> shapes;
  std::vector<tinyobj::material_t> materials;
  std::string warnings, why;
  if (!tinyobj::LoadObj(&attrib, &shapes, &materials, &warnings, &why, &in, nullptr,
                        /*triangulate=*/true, /*default_vcols_fallback=*/false)) {
    while (!why.empty() && (why.back() == '\n' || why.back() == '\r')) why.pop_back();
    throw std::runtime_error(why.empty() ? "cannot read the file" : why);
  }
  // Numbers past the single-precision range are infinite once parsed.
  check_finite(attrib.vertices, "vertex", 3);
  check_finite(attrib.normals, "normal", 3);
  check_finite(attrib.texcoords, "texture coordinate", 2);
  Mesh m;
  for (size_t i = 0; i + 2 < attrib.vertices.size(); i += 3)
    add_vertex(m, to_world, {attrib.vertices[i], attrib.vertices[i + 1], attrib.vertices[i + 2]});

  Transform inverse;
  invert(to_world, &inverse);
  bool normals = !attrib.normals.empty(), uvs = !attrib.texcoords.empty();
  const size_t vertex_count = attrib.vertices.size() / 3, normal_count = attrib.normals.size() / 3,
               uv_count = attrib.texcoords.size() / 2;
  for (const tinyobj::shape_t &shape : shapes)
    for (const tinyobj::index_t &idx : shape.mesh.indices) {
      // The parser passes on whatever numbers the faces hold; one past the
      // lists would read outside them here and in the ray tracer.
      check_index(idx.vertex_index, vertex_count, "vertex", false);
      check_index(idx.normal_index, normal_count, "normal", true);
      check_index(idx.texcoord_index, uv_count, "texture coordinate", true);
      m.indices.push_back(static_cast<uint32_t>(idx.vertex_index));
      if (normals) {
        V3 n{};
        if (idx.normal_index >= 0) {
          const float *p = &attrib.normals[3 * static_cast<size_t>(idx.normal_index)];
          n = normalize(apply_normal(inverse, {p[0], p[1], p[2]}));
        }
        m.corner_normals.push_back(n);
      }
      if (uvs) {
        const float *p = idx.texcoord_index >= 0
                             ? &attrib.texcoords[2 * static_cast<size_t>(idx.texcoord_index)]
                             : nullptr;
        m.corner_uvs.push_back(p ? p[0] : 0);
        m.corner_uvs.push_back(p ? p[1] : 0);
      }
    }
  if (m.indices.empty()) throw std::runtime_error("the file holds no faces");
  return m;
}

} // namespace vr
