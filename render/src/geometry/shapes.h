// Triangle meshes of the renderer's shapes, in world space.
#ifndef VITREL_RENDER_GEOMETRY_SHAPES_H
#define VITREL_RENDER_GEOMETRY_SHAPES_H

#include <string>

#include "geometry/shape.h"

namespace vr {

// A box of the given size centred on the origin, faces wound outwards.
Mesh box_mesh(V3 size, const Transform &to_world);
// A rectangle size_x by size_z in the xz-plane, centred, facing +y.
Mesh quad_mesh(double size_x, double size_z, const Transform &to_world);
// Triangles of a Wavefront OBJ file (faces triangulated, normals and uvs
// kept when present). Throws std::runtime_error with the reason on failure.
Mesh load_obj(const std::string &path, const Transform &to_world);

} // namespace vr

#endif
