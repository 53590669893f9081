// The scene as the renderer holds it after loading: plain records, every
// value validated, every file read.
#ifndef VITREL_RENDER_SCENE_SCENE_H
#define VITREL_RENDER_SCENE_SCENE_H

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "core/transform.h"
#include "core/vec.h"
#include "geometry/shape.h"
#include "image/image.h"
#include <vitrel/shader/params.h>

namespace vr {

// The most lights a scene may declare; per-ray light lists live in fixed
// buffers of this size.
constexpr int kMaxLights = 64;

enum class TextureKind { Checker, Noise };

// A checker (over the surface's uv) or a noise (over the object's own space)
// between two end values. Numbers are held in every channel of a Colour.
struct Texture {
  TextureKind kind = TextureKind::Checker;
  Colour a{}, b{};
  double scale = 1;
  int octaves = 1;
};

// A colour that is either constant or a texture.
struct ColourSource {
  Colour constant{1, 1, 1, 1};
  bool textured = false;
  Texture texture;
};

enum class FieldType { Colour, Scalar, Integer, Vector };

// A glass parameter driven by a texture through the connection flags.
struct ParamConnection {
  size_t offset = 0; // of the field within GlassParams
  FieldType type = FieldType::Scalar;
  Texture texture;
};

struct GlassMaterial {
  // The record as the module reads it: GlassParams, then the further lights,
  // then, when a field is connected, a mirror of 32-bit connection flags that
  // starts interface_offset bytes after the record.
  std::vector<uint32_t> block;
  int32_t interface_offset = 0;
  std::vector<ParamConnection> connections;
};

enum class MaterialKind { Diffuse, Glass };

struct Material {
  MaterialKind kind = MaterialKind::Diffuse;
  // An object with no material, or a diffuse one with no colour, is this grey.
  ColourSource diffuse{{0.8f, 0.8f, 0.8f, 1}, false, {}};
  GlassMaterial glass;
};

struct Object {
  std::string name;
  Shape shape;
  Material material;
  std::vector<Tag> light_links; // the lights that illuminate this object
};

enum class LightKind { Point, Area };

struct Light {
  std::string name;
  LightKind kind = LightKind::Point;
  Colour colour{1, 1, 1, 1}; // point: radiant intensity; area: emitted radiance
  V3 position;               // point: the light; area: the centre
  V3 edge_u, edge_v, normal; // area: the two edges and the emitting side
  double area = 0;
  int samples = 1;
  bool visible = true; // an area light is seen by camera, reflection and refraction rays
};

enum class EnvironmentKind { Constant, Gradient, Image };

struct Environment {
  EnvironmentKind kind = EnvironmentKind::Constant;
  Colour colour{0, 0, 0, 1};
  Colour zenith{}, horizon{}, ground{};
  Image image;
  double rotation_degrees = 0;
  float intensity = 1;
  float alpha = 1;
};

// Limits of the image and of its samples, for scene files and the command line.
constexpr int kMaxResolution = 16384; // pixels, in each direction
constexpr int kMaxSamples = 65536;    // per pixel

struct Camera {
  V3 position{0, 0, 5}, target{0, 0, 0}, up{0, 1, 0};
  double fov_degrees = 40; // vertical
  int width = 640, height = 360;
};

// A pass's photon memory per stored photon (its record and its slot in the
// map's table while the map is built, rounded up), and the most a scene may
// make a pass take: caustic_photons is refused above kMaxCausticPhotons,
// budgeting one stored photon per photon sent.
constexpr long long kPhotonMapBytesPerPhoton = 48;
constexpr long long kPhotonMapByteLimit = 4LL << 30;
constexpr long long kMaxCausticPhotons = kPhotonMapByteLimit / kPhotonMapBytesPerPhoton;

// What a refused photon count was expected to be, with the reason.
inline std::string photon_cap_expected() {
  return "at most " + std::to_string(kMaxCausticPhotons) + " photons (the photon map takes " +
         std::to_string(kPhotonMapBytesPerPhoton) + " bytes a photon and at most " +
         std::to_string(kPhotonMapByteLimit >> 30) + " GiB)";
}
constexpr int kMaxCausticNeighbours = 1024;

struct Options {
  int samples = 16; // per pixel
  int reflection_depth = 4, refraction_depth = 8;
  int gather_rays = 0; // per irradiance lookup; 0 turns the gather off
  // Caustics: photons the lights send toward the glass (0 turns caustics
  // off), photons per density estimate, the largest lookup radius (0: one
  // worked out from the photon count and the glass's size when the photon
  // pass starts) and the most scattering events of one photon.
  int caustic_photons = 250000;
  int caustic_neighbours = 64;
  double caustic_radius = 0;
  int photon_depth = 10;
  // Progressive passes: each traces caustic_photons fresh photons and renders
  // its share of the samples, with a caustic radius that shrinks from pass to
  // pass.
  int passes = 1;
  // Photons per smoothing disc of the caustics splatted onto the camera's
  // view; 0: none, every pixel gets the exact integral of its own photons.
  int caustic_smoothing = 0;
};
constexpr int kMaxPasses = 1 << 20;

struct Scene {
  std::string source; // file name, or "(default scene)"
  Camera camera;
  Options options;
  Environment environment;
  std::vector<Light> lights;
  std::vector<Object> objects;
};

// The objects' surfaces in object order, as the ray tracer takes them.
inline std::vector<const Shape *> shapes_of(const Scene &scene) {
  std::vector<const Shape *> shapes;
  for (const Object &o : scene.objects) shapes.push_back(&o.shape);
  return shapes;
}

// Light tags are 1-based indices into Scene::lights; 0 is no light.
inline const Light *light_of(const Scene &scene, Tag tag) {
  return tag >= 1 && tag <= scene.lights.size() ? &scene.lights[tag - 1] : nullptr;
}

// Whether the light at `light` in Scene::lights illuminates object o.
inline bool lit_by(const Object &o, int light) {
  const Tag tag = static_cast<Tag>(light + 1);
  return std::find(o.light_links.begin(), o.light_links.end(), tag) != o.light_links.end();
}

} // namespace vr

#endif
