// An object's surface as the ray tracer needs it: what kind of shape, where
// it stands, and its triangles.
#ifndef VITREL_RENDER_GEOMETRY_SHAPE_H
#define VITREL_RENDER_GEOMETRY_SHAPE_H

#include <cstdint>
#include <vector>

#include "core/transform.h"
#include "core/vec.h"

namespace vr {

enum class ShapeKind { Sphere, Box, Quad, Mesh };

// Triangles in world space. Corner arrays hold three entries per triangle
// and are empty when the source had none.
struct Mesh {
  std::vector<float> positions; // x, y, z per vertex
  std::vector<uint32_t> indices;
  std::vector<V3> corner_normals;
  std::vector<float> corner_uvs; // u, v per corner
};

struct Shape {
  ShapeKind kind = ShapeKind::Sphere;
  Transform transform, inverse;
  Mesh mesh;             // box, quad and mesh shapes; spheres are the unit sphere under `transform`
  bool needs_uv = false; // some texture reads the surface's (u, v)
};

} // namespace vr

#endif
