// The photon body's working records and its two halves: the decision, which
// splits a photon hitting the glass into four scatter colours, perhaps stores
// it, and hands it to the renderer's choice of scatter type
// (photon/shade_photon.cpp); and the emission of a photon that goes on, with
// its new energy and direction (photon/emit.cpp).
#ifndef VITREL_MODULE_PHOTON_PHOTON_H
#define VITREL_MODULE_PHOTON_PHOTON_H

#include "shader/glass_rules.h"

namespace glass {

// The odds by which the renderer chooses the photon's fate.
struct ScatterColours {
  Colour diffuse_reflection, specular_reflection, diffuse_transmission, specular_transmission;
  bool has_layer; // false: no opaque layer, the diffuse colours go over as null
};

// What the emission of a photon that goes on works from.
struct PhotonHit {
  Colour *energy; // the arriving energy; only dispersion writes it
  HostState *state;
  const GlassParams *params;
  Colour chosen; // the scatter colour of the chosen type, as the renderer left it
  Sides sides;
};

// The emission of each scatter type that goes on; each returns the answer of
// the renderer's photon operation that carries the photon on.
int emit_specular_reflection(const PhotonHit &hit);
int emit_specular_transmission(const PhotonHit &hit);
int emit_diffuse_reflection(const PhotonHit &hit);
int emit_diffuse_transmission(const PhotonHit &hit);

} // namespace glass

#endif
