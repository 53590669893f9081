#include "photon/stored_photon.h"

#include <cmath>

namespace vr {

namespace {

double sign_of(double v) { return v < 0 ? -1.0 : 1.0; }

uint16_t quantize(double v) { // -1..1 to 0..255
  return static_cast<uint16_t>(std::lround((std::clamp(v, -1.0, 1.0) * 0.5 + 0.5) * 255));
}

} // namespace

uint16_t encode_direction(V3 d) {
  double l1 = std::fabs(d.x) + std::fabs(d.y) + std::fabs(d.z);
  if (!(l1 > 0)) return encode_direction({0, 0, 1});
  double u = d.x / l1, v = d.y / l1;
  if (d.z < 0) { // fold the lower half over the diagonals
    double fu = (1 - std::fabs(v)) * sign_of(u), fv = (1 - std::fabs(u)) * sign_of(v);
    u = fu, v = fv;
  }
  return static_cast<uint16_t>(quantize(u) << 8 | quantize(v));
}

V3 decode_direction(uint16_t code) { return normalize(octahedral_vector(code)); }

bool store_photon(RenderState &s, Colour energy) {
  PhotonSink *sink = s.thread->photons;
  if (sink == nullptr) return false;
  if (!sink->keep) return true;
  StoredPhoton p;
  p.position[0] = float(s.point.x), p.position[1] = float(s.point.y),
  p.position[2] = float(s.point.z);
  p.energy[0] = energy.r, p.energy[1] = energy.g, p.energy[2] = energy.b;
  p.direction = encode_direction(to_v3(s.host.direction));
  p.normal = encode_direction(s.geo_normal);
  sink->photons.push_back(p);
  return true;
}

} // namespace vr
