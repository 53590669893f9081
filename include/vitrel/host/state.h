/* The renderer's per-ray record as the glass shaders see it.
 *
 * The renderer owns and lays out these records; the module reads the fields
 * declared here and writes only `normal`, `dot_nd`, `ior_in`, `ior_out` and
 * `refraction_volume` of the state it was handed. A host keeps its own per-ray
 * data by embedding HostState as the first member of its own record, and may
 * lay further fields after the ones below in HostShader, HostCamera and
 * HostOptions. Plain C11 and C++17, so that hosts in either include it as it
 * is. */
#ifndef VITREL_HOST_STATE_H
#define VITREL_HOST_STATE_H

#include <stddef.h>
#include <stdint.h>

/* A layout check that stops the build of every user of a header whose record
 * no longer has the layout the other side of the interface was built with. */
#ifdef __cplusplus
#define VITREL_LAYOUT_ASSERT(condition, message) static_assert(condition, message)
#else
#define VITREL_LAYOUT_ASSERT(condition, message) _Static_assert(condition, message)
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct {
  float r, g, b, a; /* linear colour channels and coverage */
} Colour;

typedef struct {
  float x, y, z; /* components in the renderer's world frame */
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

/* Every ray type the interface names, in one numbering: what reached a hit
 * (HostState.ray_type) and, for photons, the fate mi_choose_simple_scatter_type
 * answers, since a photon sent on by a scatter takes the scatter's own number.
 * Types 8 to 15, 18, 19, 23, 24 and 27 are photons (the glass shades the
 * renderer's own photon kinds like any other photon); every other value is a
 * ray the material shader shades, but for the three it declines (4, 5, 16). */
enum VitrelRayType {
  VITREL_RAY_EYE = 0,                       /* from the camera */
  VITREL_RAY_TRANSPARENT = 1,               /* passes straight through a surface */
  VITREL_RAY_REFLECT = 2,                   /* mirrored off a surface */
  VITREL_RAY_REFRACT = 3,                   /* bent through a surface */
  VITREL_RAY_LIGHT = 4,                     /* samples a light: never shaded by the glass */
  VITREL_RAY_SHADOW = 5,                    /* tests a light's visibility: never shaded */
  VITREL_RAY_ENVIRONMENT = 6,               /* looks up the environment */
  VITREL_RAY_PHOTON = 8,                    /* a photon of no more particular kind */
  VITREL_RAY_PHOTON_FROM_LIGHT = 9,         /* a photon leaving a light source */
  VITREL_RAY_PHOTON_REFLECT_SPECULAR = 10,  /* a photon after a mirror reflection */
  VITREL_RAY_PHOTON_REFLECT_GLOSSY = 11,    /* a photon after a glossy reflection */
  VITREL_RAY_PHOTON_REFLECT_DIFFUSE = 12,   /* a photon after a diffuse reflection */
  VITREL_RAY_PHOTON_TRANSMIT_SPECULAR = 13, /* a photon after a sharp transmission */
  VITREL_RAY_PHOTON_TRANSMIT_GLOSSY = 14,   /* a photon after a glossy transmission */
  VITREL_RAY_PHOTON_TRANSMIT_DIFFUSE = 15,  /* a photon after a diffuse transmission */
  VITREL_RAY_GATHER = 16,                   /* gathers irradiance: never shaded */
  VITREL_RAY_PHOTON_HOST_18 = 18,           /* a photon kind of the renderer's own */
  VITREL_RAY_PHOTON_TRANSPARENT = 19,       /* a photon passing straight through a surface */
  VITREL_RAY_PHOTON_HOST_23 = 23,           /* a photon kind of the renderer's own */
  VITREL_RAY_PHOTON_HOST_24 = 24,           /* a photon kind of the renderer's own */
  VITREL_RAY_PHOTON_HOST_27 = 27,           /* a photon kind of the renderer's own */

  VITREL_RAY_PHOTON_FIRST = VITREL_RAY_PHOTON, /* the contiguous photon types 8..15 */
  VITREL_RAY_PHOTON_LAST = VITREL_RAY_PHOTON_TRANSMIT_DIFFUSE,

  /* A photon's fates, as mi_choose_simple_scatter_type answers them. */
  VITREL_SCATTER_ABSORB = VITREL_RAY_PHOTON,
  VITREL_SCATTER_SPECULAR_REFLECT = VITREL_RAY_PHOTON_REFLECT_SPECULAR,
  VITREL_SCATTER_DIFFUSE_REFLECT = VITREL_RAY_PHOTON_REFLECT_DIFFUSE,
  VITREL_SCATTER_SPECULAR_TRANSMIT = VITREL_RAY_PHOTON_TRANSMIT_SPECULAR,
  VITREL_SCATTER_DIFFUSE_TRANSMIT = VITREL_RAY_PHOTON_TRANSMIT_DIFFUSE
};

#ifdef __cplusplus
}
#endif

/* The records as the renderer lays them out. The pointer-sized fields place
 * HostState's later fields, so its offsets are those of 64-bit targets, the
 * only ones the module is built for. */
VITREL_LAYOUT_ASSERT(sizeof(Colour) == 16 && sizeof(Vector) == 12 && sizeof(Tag) == 4,
                     "Colour, Vector and Tag are four, three and one 32-bit words");
VITREL_LAYOUT_ASSERT(offsetof(HostShader, interface_offset) == 0 &&
                         offsetof(HostCamera, camera_volume) == 0 &&
                         offsetof(HostOptions, refraction_depth_limit) == 4,
                     "the host records' leading fields are where hosts put them");
#if UINTPTR_MAX == UINT64_MAX
VITREL_LAYOUT_ASSERT(offsetof(HostState, parent) == 8 && offsetof(HostState, child) == 16 &&
                         offsetof(HostState, hit_distance) == 24 &&
                         offsetof(HostState, inverted_normal) == 32 &&
                         offsetof(HostState, reflection_level) == 36 &&
                         offsetof(HostState, refraction_level) == 40 &&
                         offsetof(HostState, direction) == 44 &&
                         offsetof(HostState, normal) == 56 && offsetof(HostState, dot_nd) == 68 &&
                         offsetof(HostState, ior_in) == 72 && offsetof(HostState, ior_out) == 76 &&
                         offsetof(HostState, volume) == 80 &&
                         offsetof(HostState, refraction_volume) == 84 &&
                         offsetof(HostState, shader) == 88 && offsetof(HostState, camera) == 96 &&
                         offsetof(HostState, options) == 104 && sizeof(HostState) == 112,
                     "HostState has the renderer's 64-bit layout");
#endif

#endif
