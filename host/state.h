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
  int32_t interface_offset; /* byte distance from a parameter field to its 32-bit connection
                               flag; 0: no parameter of this shader instance is connected */
} HostShader;

typedef struct {
  Tag camera_volume; /* volume shader of the medium the camera sits in; 0: none */
} HostCamera;

typedef struct {
  int32_t reflection_depth_limit; /* a state whose reflection_level reaches this is not shaded */
  int32_t refraction_depth_limit; /* a state whose refraction_level reaches this is not shaded */
} HostOptions;

typedef struct HostState HostState;
struct HostState {
  int32_t ray_type;         /* kind of ray or photon that reached this hit (VitrelRayType) */
  HostState *parent;        /* state of the ray that spawned this one; null at the root */
  HostState *child;         /* state of the last ray traced from here; may be null */
  double hit_distance;      /* length of the ray from its origin to this hit */
  uint8_t inverted_normal;  /* nonzero: the ray hit the back side of the surface */
  int32_t reflection_level; /* reflections on the way from the camera (or light) to here */
  int32_t refraction_level; /* refractions on the way from the camera (or light) to here */
  Vector direction;         /* incident direction, unit length, pointing into the surface */
  Vector normal;            /* shading normal, unit length, facing the incident ray */
  float dot_nd;             /* direction . normal: negative while the normal faces the ray */
  float ior_in;             /* index of refraction on the incident side */
  float ior_out;            /* index of refraction on the transmitted side */
  Tag volume;               /* volume shader of the medium the ray travelled through */
  Tag refraction_volume;    /* volume shader handed to a ray refracted from this hit */
  HostShader *shader;       /* record of the shader instance running on this hit */
  HostCamera *camera;       /* the render's camera record */
  HostOptions *options;     /* the render's options record */
};

/* Ray types the shaders tell apart by value (HostState.ray_type). Types 8 to
 * 15, 18, 19, 23, 24 and 27 are photons; a photon state sent on by a scatter
 * takes the scatter's own number (VitrelScatterType). */
enum VitrelRayType {
  VITREL_RAY_TRANSPARENT = 1,               /* passes straight through a surface */
  VITREL_RAY_REFRACT = 3,                   /* bent through a surface */
  VITREL_RAY_LIGHT = 4,                     /* samples a light: never shaded by the glass */
  VITREL_RAY_SHADOW = 5,                    /* tests a light's visibility: never shaded */
  VITREL_RAY_GATHER = 16,                   /* gathers irradiance: never shaded */
  VITREL_RAY_PHOTON_FIRST = 8,              /* first of the contiguous photon types */
  VITREL_RAY_PHOTON_FROM_LIGHT = 9,         /* a photon leaving a light source */
  VITREL_RAY_PHOTON_REFLECT_SPECULAR = 10,  /* a photon after a mirror reflection */
  VITREL_RAY_PHOTON_REFLECT_GLOSSY = 11,    /* a photon after a glossy reflection */
  VITREL_RAY_PHOTON_REFLECT_DIFFUSE = 12,   /* a photon after a diffuse reflection */
  VITREL_RAY_PHOTON_TRANSMIT_SPECULAR = 13, /* a photon after a sharp transmission */
  VITREL_RAY_PHOTON_TRANSMIT_GLOSSY = 14,   /* a photon after a glossy transmission */
  VITREL_RAY_PHOTON_TRANSMIT_DIFFUSE = 15,  /* a photon after a diffuse transmission */
  VITREL_RAY_PHOTON_LAST = 15,              /* last of the contiguous photon types */
  VITREL_RAY_PHOTON_TRANSPARENT = 19        /* a photon passing straight through a surface */
};

/* What mi_choose_simple_scatter_type answers: a photon's fate at a hit. */
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
