// A photon as the caustic map keeps it, and the per-thread store the photon
// pass fills through mi_store_photon and the diffuse photon shader.
#ifndef VITREL_RENDER_PHOTON_STORED_PHOTON_H
#define VITREL_RENDER_PHOTON_STORED_PHOTON_H

#include <cmath>
#include <cstdint>
#include <vector>

#include "abi/host_values.h"
#include "image/framebuffer.h"
#include "scene/scene.h"
#include "shading/render_state.h"

namespace vr {

// 28 bytes: a map of millions of photons is mostly these records. The two
// directions are only ever tested for which side they face, so 8 bits per
// octahedral coordinate (about a degree) is plenty; the position and the
// energy keep single precision.
struct StoredPhoton {
  float position[3];
  float energy[3];    // flux, r g b
  uint16_t direction; // unit direction of travel on arrival
  uint16_t normal;    // the surface's normal on the side the photon arrived from
};

static_assert(sizeof(StoredPhoton) == 28, "a stored photon is 28 bytes");
static_assert(sizeof(StoredPhoton) + sizeof(uint32_t) <= kPhotonMapBytesPerPhoton,
              "the memory budget per photon covers the record and its slot in the map's table");

// A unit vector in 16 bits (octahedral mapping) and back (unit length).
uint16_t encode_direction(V3 unit);
V3 decode_direction(uint16_t code);

// The decoded direction before normalisation (its components' magnitudes
// add up to 1): enough, and cheaper, for a test of which way it faces.
inline V3 octahedral_vector(uint16_t code) {
  double u = (code >> 8) * (2 / 255.0) - 1, v = (code & 0xff) * (2 / 255.0) - 1;
  double au = std::fabs(u), av = std::fabs(v), z = 1 - au - av;
  if (z < 0) return {std::copysign(1 - av, u), std::copysign(1 - au, v), z};
  return {u, v, z};
}

// A photon's light as the camera sees it: where in the frame it is seen (in
// pixels from the frame's top left corner) and the light it adds there,
// integrated over the image plane.
struct Splat {
  float x, y;
  float rgb[3];
};

// The pixels photons are splatted to, and the camera's scale there.
struct SplatTarget {
  Region region;
  double focal = 0; // the pinhole's distance to its image plane, in pixels
};

// The photons stored, and the splats made, while one block of photons was
// traced, in the order they were made.
struct PhotonSink {
  std::vector<StoredPhoton> photons;
  std::vector<Splat> splats;
  const SplatTarget *splat = nullptr; // null: photons are not splatted
  bool keep = true;                   // false: no lookup will read the map, so photons are not kept
};

// Stores the photon with `energy` at the state's hit, arriving along the
// state's direction, into its thread's sink. False outside the photon pass.
bool store_photon(RenderState &s, Colour energy);

} // namespace vr

#endif
