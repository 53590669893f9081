// Transforms, shapes and the Embree scene.
#include <cmath>
#include <fstream>
#include <gtest/gtest.h>

#include "geometry/accel.h"
#include "geometry/shapes.h"
#include "scene/load_scene.h"
#include "test_scenes.h"

namespace vr {
namespace {

void expect_near(V3 a, V3 b, double tol = 1e-9) {
  EXPECT_NEAR(a.x, b.x, tol);
  EXPECT_NEAR(a.y, b.y, tol);
  EXPECT_NEAR(a.z, b.z, tol);
}

TEST(Transforms, ComposeInvertAndNormals) {
  Transform t =
      compose(translation({1, 2, 3}), compose(rotation_xyz({30, 45, 60}), scaling({2, 0.5, 3})));
  Transform inv;
  ASSERT_TRUE(invert(t, &inv));
  V3 p{0.3, -1.2, 2.5};
  expect_near(apply_point(inv, apply_point(t, p)), p);
  expect_near(apply_point(t, apply_point(inv, p)), p);
  expect_near(apply_point(translation({1, 2, 3}), {0, 0, 0}), {1, 2, 3});
  expect_near(apply_vector(rotation_xyz({0, 0, 90}), {1, 0, 0}), {0, 1, 0});
  expect_near(apply_vector(rotation_xyz({90, 0, 0}), {0, 1, 0}), {0, 0, 1});
  // A normal stays perpendicular to every tangent after any transform.
  V3 n{0, 0, 1}, tangent{1, 1, 0};
  EXPECT_NEAR(dot(apply_normal(inv, n), apply_vector(t, tangent)), 0, 1e-12);
  EXPECT_FALSE(invert(scaling({1, 0, 1}), &inv));
}

// Every triangle's winding normal points away from the shape's centre.
void expect_outward(const Mesh &m, V3 centre) {
  for (size_t i = 0; i < m.indices.size(); i += 3) {
    auto at = [&](size_t k) {
      const float *p = &m.positions[3 * m.indices[i + k]];
      return V3{p[0], p[1], p[2]};
    };
    V3 n = cross(at(1) - at(0), at(2) - at(0));
    EXPECT_GT(dot(n, (at(0) + at(1) + at(2)) * (1.0 / 3) - centre), 0) << "triangle " << i / 3;
  }
}

TEST(Shapes, BoxesAndQuadsFaceOutwards) {
  Mesh box = box_mesh({1, 2, 3}, translation({5, 0, 0}));
  EXPECT_EQ(box.indices.size(), 36u);
  expect_outward(box, {5, 0, 0});
  Mesh quad = quad_mesh(2, 4, Transform{});
  ASSERT_EQ(quad.indices.size(), 6u);
  expect_outward(quad, {0, -1, 0}); // faces +y
  EXPECT_EQ(quad.corner_uvs.size(), 12u);
}

TEST(Shapes, ObjMeshesKeepNormalsAndUvs) {
  Mesh m = load_obj(VR_TEST_DATA "/tetra.obj", translation({0, 0, 10}));
  EXPECT_EQ(m.indices.size(), 12u);
  EXPECT_EQ(m.corner_normals.size(), 12u);
  EXPECT_EQ(m.corner_uvs.size(), 24u);
  expect_outward(m, {0.25, 0.25, 10.25});
  EXPECT_FLOAT_EQ(m.positions[2], 10.0f);
  EXPECT_THROW(load_obj(VR_TEST_DATA "/missing.obj", Transform{}), std::runtime_error);
}

// Only regular files are read as meshes, and the material libraries an OBJ
// names are never opened (the renderer uses no OBJ materials): a device or a
// pipe would be read without end.
TEST(Shapes, ObjMeshesAreRegularFilesWhoseMaterialsAreNotRead) {
  auto error = [](const std::string &path) {
    try {
      load_obj(path, Transform{});
    } catch (const std::runtime_error &e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  EXPECT_EQ(error("/dev/null"), "not a regular file");
  EXPECT_EQ(error(VR_TEST_DATA), "not a regular file");
  EXPECT_EQ(error(VR_TEST_DATA "/missing.obj"), "cannot open the file");
  std::string path = test::temp_path("with_library.obj");
  std::ofstream(path) << "mtllib /dev/zero\nusemtl glass\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
  EXPECT_EQ(load_obj(path, Transform{}).indices.size(), 3u);
}

// A face that names a vertex, normal or uv past the file's lists is refused
// with the numbers, instead of reading past them.
TEST(Shapes, ObjFacesReferringPastTheirListsAreRefused) {
  auto error = [](const std::string &obj) {
    std::string path = test::temp_path("faces.obj");
    std::ofstream(path) << "v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nvt 0 0\n" << obj;
    try {
      load_obj(path, Transform{});
    } catch (const std::runtime_error &e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  EXPECT_EQ(error("f 1 2 4\n"), "a face refers to vertex 4, but the file has 3");
  EXPECT_EQ(error("f 1//1 2//2 3//1\n"), "a face refers to normal 2, but the file has 1");
  EXPECT_EQ(error("f 1/1 2/1 3/3\n"), "a face refers to texture coordinate 3, but the file has 1");
  EXPECT_EQ(error("f 1/1/1 2/1/1 3/1/1\n"), "no error");
}

// The OBJ parser's exponents overflow a signed int from ten digits on; such
// numbers are refused before it reads them, nine digits still parse (and are
// then refused as infinite, or read as zero).
TEST(Shapes, ObjExponentsOfTenDigitsAreRefusedBeforeParsing) {
  auto error = [](const std::string &obj) {
    std::string path = test::temp_path("exponent.obj");
    std::ofstream(path) << obj;
    try {
      load_obj(path, Transform{});
    } catch (const std::runtime_error &e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  const std::string face = "v 0 0 0\nv 1 0 0\nf 1 2 3\n";
  EXPECT_EQ(error("v 0 1 0\nv -1e2147483648 0 0\n" + face),
            "line 2: a number whose exponent has more than 9 digits");
  EXPECT_EQ(error("v 0 1 0\nvt 0 2.E+1000000000\n" + face),
            "line 2: a number whose exponent has more than 9 digits");
  EXPECT_EQ(error("v 0 1 0\nv 0 0 1e999999999\n" + face), "vertex 2 is not finite");
  EXPECT_EQ(error("v 0 1e-000000000999999999 0\n" + face), "no error");
  EXPECT_EQ(error("# e1234567890 is a name, not an exponent\nv 0 1 0\n" + face), "no error");
}

// Skin weights are not read: the parser would convert a joint number of
// 1e308 to int (undefined behaviour) and stops at a negative one; the rest of
// the file loads.
TEST(Shapes, ObjSkinWeightsAreNotRead) {
  std::string path = test::temp_path("weights.obj");
  std::ofstream(path) << "v 0 0 0\nv 1 0 0\n  vw 1e308 0 1.0\nvw\t-1 2 0.5\nv 0 1 0\nf 1 2 3\n";
  Mesh m = load_obj(path, Transform{});
  EXPECT_EQ(m.positions.size(), 9u);
  EXPECT_EQ(m.indices, (std::vector<uint32_t>{0, 1, 2}));
}

TEST(Accel, SpheresUnderAnyTransformHitAndShadeExactly) {
  // An ellipsoid: the unit sphere scaled (2, 1, 1) and moved to x = 3.
  auto t = test::make_scene(R"({"objects": [{"shape": "sphere", "radius": 1,
      "transform": {"scale": [2, 1, 1], "translate": [3, 0, 0]}}]})");
  SurfaceHit hit;
  ASSERT_TRUE(intersect(t->accel, {10, 0, 0}, {-1, 0, 0}, 1e30, &hit));
  EXPECT_NEAR(hit.t, 5, 1e-5); // the surface at x = 5
  expect_near(hit.geo_normal, {1, 0, 0}, 1e-6);
  // At 45 degrees in the local frame the normal of x^2 / 4 + y^2 = 1 leans to y.
  double s = std::sqrt(0.5);
  ASSERT_TRUE(intersect(t->accel, {3 + 2 * s, 10, 0}, {0, -1, 0}, 1e30, &hit));
  expect_near(hit.point, {3 + 2 * s, s, 0}, 1e-5);
  expect_near(hit.geo_normal, normalize({s, 2 * s, 0}), 1e-5); // the gradient (x / 2, 2 y)
  // From inside, the far side.
  ASSERT_TRUE(intersect(t->accel, {3, 0, 0}, {0, 0, 1}, 1e30, &hit));
  EXPECT_NEAR(hit.t, 1, 1e-5);
  EXPECT_FALSE(intersect(t->accel, {3, 0, 0}, {0, 0, 1}, 0.5, &hit)); // beyond t_max
  EXPECT_TRUE(occluded(t->accel, {10, 0, 0}, {-1, 0, 0}, 100));
  EXPECT_FALSE(occluded(t->accel, {10, 0, 0}, {-1, 0, 0}, 4.9));
}

TEST(Accel, MeshHitsInterpolateUvsAndNormals) {
  auto t = test::make_scene(R"({"objects": [
      {"shape": "quad", "size": [2, 2], "transform": {"translate": [0, -1, 0]}},
      {"shape": "box", "size": [1, 1, 1], "transform": {"translate": [0, 3, 0]}},
      {"shape": "mesh", "file": "tetra.obj", "transform": {"translate": [10, 0, 0]}}]})");
  SurfaceHit hit;
  ASSERT_TRUE(intersect(t->accel, {0.5, 0, -0.5}, {0, -1, 0}, 1e30, &hit));
  EXPECT_EQ(hit.object, 0);
  EXPECT_NEAR(hit.u, 0.75, 1e-6); // u runs along +x, v along -z
  EXPECT_NEAR(hit.v, 0.75, 1e-6);
  ASSERT_TRUE(intersect(t->accel, {0, 0, 0}, {0, 1, 0}, 1e30, &hit));
  EXPECT_EQ(hit.object, 1);
  EXPECT_NEAR(hit.t, 2.5, 1e-6);
  expect_near(hit.geo_normal, {0, -1, 0}, 1e-6);
  // The tetrahedron's slanted face: smooth normals blend the corners' ones.
  ASSERT_TRUE(intersect(t->accel, {10 + 0.3, 0.3, 5}, {0, 0, -1}, 1e30, &hit));
  EXPECT_EQ(hit.object, 2);
  expect_near(hit.geo_normal, normalize({1, 1, 1}), 1e-6);
  EXPECT_GT(hit.shading_normal.x, 0);
  EXPECT_NEAR(length(hit.shading_normal), 1, 1e-9);
}

} // namespace
} // namespace vr
