/* The renderer's per-ray record as the glass shaders see it.
 *
 * The renderer owns and lays out these records; the module reads the fields
 * declared here and writes only `normal`, `dot_nd`, `ior_in`, `ior_out` and
 * `refraction_volume` of the state it was handed. A host keeps its own per-ray
 * data by embedding HostState as the first member of its own record, and may
 * lay further fields after the ones below in HostShader, HostCamera and
 * HostOptions. Plain C so that hosts in C or C++ include it as it is. */
#ifndef VITREL_HOST_STATE_H
#define VITREL_HOST_STATE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct {
  float r, g, b, a;
} Colour;

typedef struct {
  float x, y, z;
} Vector;

/* A renderer handle naming a scene element (a light, a volume shader); 0 is none. */
typedef uint32_t Tag;

typedef struct {
  /* Byte distance from a parameter field to its 32-bit connection flag; 0 when
   * no parameter of this shader instance is connected to another shader. */
  int32_t interface_offset;
} HostShader;

typedef struct {
  Tag camera_volume;
} HostCamera;

typedef struct {
  int32_t reflection_depth_limit, refraction_depth_limit;
} HostOptions;

typedef struct HostState HostState;
struct HostState {
  int32_t ray_type;
  HostState *parent; /* null at the root of the ray tree */
  HostState *child;  /* the last ray traced from here; may be null */
  double hit_distance;
  uint8_t inverted_normal; /* nonzero: the back side was hit */
  int32_t reflection_level, refraction_level;
  Vector direction; /* incident, unit length */
  Vector normal;
  float dot_nd;
  float ior_in, ior_out;
  Tag volume, refraction_volume;
  HostShader *shader;
  HostCamera *camera;
  HostOptions *options;
};

/* Ray types the shaders treat by value. 8 to 15, 18, 19, 23, 24 and 27 are
 * photon types; 4, 5 and 16 are never shaded by the glass. */
enum VitrelRayType {
  VITREL_RAY_TRANSPARENT = 1,
  VITREL_RAY_REFRACT = 3,
  VITREL_RAY_UNSHADED_4 = 4,
  VITREL_RAY_UNSHADED_5 = 5,
  VITREL_RAY_UNSHADED_16 = 16,
  VITREL_RAY_PHOTON_FIRST = 8,
  VITREL_RAY_PHOTON_FROM_LIGHT = 9,
  VITREL_RAY_PHOTON_TRANSMIT_SPECULAR = 13,
  VITREL_RAY_PHOTON_TRANSMIT_14 = 14,
  VITREL_RAY_PHOTON_TRANSMIT_DIFFUSE = 15,
  VITREL_RAY_PHOTON_LAST = 15,
  VITREL_RAY_PHOTON_18 = 18,
  VITREL_RAY_PHOTON_TRANSPARENT = 19,
  VITREL_RAY_PHOTON_23 = 23,
  VITREL_RAY_PHOTON_24 = 24,
  VITREL_RAY_PHOTON_27 = 27
};

/* What mi_choose_simple_scatter_type answers. */
enum VitrelScatterType {
  VITREL_SCATTER_ABSORB = 8,
  VITREL_SCATTER_SPECULAR_REFLECT = 10,
  VITREL_SCATTER_DIFFUSE_REFLECT = 12,
  VITREL_SCATTER_SPECULAR_TRANSMIT = 13,
  VITREL_SCATTER_DIFFUSE_TRANSMIT = 15
};

/* mi_query code for the renderer's single-path flag (an int written to *result). */
enum { VITREL_QUERY_SINGLE_PATH = 142 };

#ifdef __cplusplus
}
#endif

#endif
