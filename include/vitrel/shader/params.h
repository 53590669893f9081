/* The parameter record of both glass shaders, `vitrel` and `vitrel_photon`.
 *
 * The renderer lays the values out from the scene's shader declaration, so the
 * field order and widths are a contract: a declaration written for these
 * shaders lists the same fields, with the same types, in the same order. Every
 * field is 4-byte aligned and 4 bytes wide or a multiple of it, so the record
 * has no padding anywhere. `lights` is last; the host lays its further elements
 * right after the record, which is therefore never copied.
 *
 * VITREL_GLASS_PARAMS is the one list of the fields, X(type, name), in
 * declaration order, without the trailing `lights` array, each under its
 * meaning. Colour is four 32-bit floats, Vector three, float a scalar, and
 * int32_t an integer or a boolean (tested for nonzero, or for 1 where said). */
#ifndef VITREL_SHADER_PARAMS_H
#define VITREL_SHADER_PARAMS_H

#include <vitrel/host/state.h>

#define VITREL_GLASS_PARAMS(X)                                                                     \
  /* absorption of the glass body: what a channel keeps over 1 / inside_density */                 \
  X(Colour, inside_color)                                                                          \
  /* absorption of the outside medium, likewise over 1 / outside_density */                        \
  X(Colour, outside_color)                                                                         \
  /* index of refraction of the glass */                                                           \
  X(float, ior)                                                                                    \
  /* index of the outside medium (material: outside_medium 1; photons: nonzero) */                 \
  X(float, outside_ior)                                                                            \
  /* distance scale of the inside absorption */                                                    \
  X(float, inside_density)                                                                         \
  /* distance scale of the outside absorption */                                                   \
  X(float, outside_density)                                                                        \
  /* nonzero: the outside absorbs and (material: 1 only) has its own index */                      \
  X(int32_t, outside_medium)                                                                       \
  /* weight of the highlights, applied times 0.2 */                                                \
  X(float, specular)                                                                               \
  /* exponent of the highlight lobe */                                                             \
  X(float, specular_exponent)                                                                      \
  /* raises the Fresnel reflectance towards 1; 1 or more makes a mirror */                         \
  X(float, reflection_boost)                                                                       \
  /* distance at which traced rays start to fade into the environment */                           \
  X(float, falloff_start)                                                                          \
  /* distance by which traced rays have faded into the environment */                              \
  X(float, falloff_stop)                                                                           \
  /* nonzero: the falloff applies to the rays traced from this hit */                              \
  X(int32_t, falloff)                                                                              \
  /* trace depth from which the renderer picks reflection or refraction */                         \
  X(int32_t, split_depth)                                                                          \
  /* colour of the opaque layer seen from the front */                                             \
  X(Colour, front_color)                                                                           \
  /* colour of the opaque layer seen from the back (inverted_normal 1) */                          \
  X(Colour, back_color)                                                                            \
  /* nonzero: the opaque layer is lit by the lights and the irradiance */                          \
  X(int32_t, illuminate)                                                                           \
  /* multiplier of the indirect irradiance on a lit opaque layer */                                \
  X(Colour, irradiance_color)                                                                      \
  /* share of the opaque layer over the glass, clamped to 0..1 */                                  \
  X(float, opacity)                                                                                \
  /* samples per blurred or dispersive lookup; 0 turns sampling off */                             \
  X(int32_t, samples)                                                                              \
  /* trace depth from which blur and dispersion stop */                                            \
  X(int32_t, blur_depth)                                                                           \
  /* amount of direction jitter: 0 sharp, 2 fully random */                                        \
  X(float, blur)                                                                                   \
  /* spread of the index of refraction across the spectrum */                                      \
  X(float, dispersion)                                                                             \
  /* strength of the spectral colouring of dispersion: 0 none, 1 full */                           \
  X(float, spectrum_weight)                                                                        \
  /* filter of photons the opaque layer scatters diffusely */                                      \
  X(Colour, photon_diffuse_color)                                                                  \
  /* filter of photons the clear glass reflects or refracts */                                     \
  X(Colour, photon_specular_color)                                                                 \
  /* glass index for photons when photon_own_ior is 1 */                                           \
  X(float, photon_ior)                                                                             \
  /* outside index for photons when photon_own_ior is 1 */                                         \
  X(float, photon_outside_ior)                                                                     \
  /* 1: photons use photon_ior and photon_outside_ior */                                           \
  X(int32_t, photon_own_ior)                                                                       \
  /* nonzero: photons are not dispersed */                                                         \
  X(int32_t, photon_dispersion_off)                                                                \
  /* 1: photon directions are not jittered */                                                      \
  X(int32_t, photon_blur_off)                                                                      \
  /* 1: the alpha written is one minus the coverage */                                             \
  X(int32_t, invert_alpha)                                                                         \
  /* on the single-path query: 0 ignore, 2 one plain path, other one path */                       \
  X(int32_t, single_path_mode)                                                                     \
  /* replaces the shading normal; the zero vector keeps the renderer's */                          \
  X(Vector, replacement_normal)                                                                    \
  /* 1: lights is an inclusive list, 2: an exclusive one, other: as given */                       \
  X(int32_t, light_mode)                                                                           \
  /* index in lights of the first light used */                                                    \
  X(int32_t, light_index)                                                                          \
  /* number of lights used */                                                                      \
  X(int32_t, light_count)

#ifdef __cplusplus
extern "C" {
#endif

#define VITREL_PARAM_FIELD(type, name) type name;
typedef struct {
  VITREL_GLASS_PARAMS(VITREL_PARAM_FIELD)
  Tag lights[1]; /* element i of the used list is lights[light_index + i] */
} GlassParams;
#undef VITREL_PARAM_FIELD

#ifdef __cplusplus
}
#endif

/* The fields follow each other without padding, as a declaration lays them
 * out: 7 colours, 1 vector and 29 scalars, then the lights. */
#define VITREL_PARAM_SIZE(type, name) +sizeof(type)
VITREL_LAYOUT_ASSERT(offsetof(GlassParams, lights) == 0 VITREL_GLASS_PARAMS(VITREL_PARAM_SIZE),
                     "GlassParams has no padding before its lights");
#undef VITREL_PARAM_SIZE
VITREL_LAYOUT_ASSERT(offsetof(GlassParams, lights) == 7 * 16 + 1 * 12 + 29 * 4 &&
                         sizeof(GlassParams) == 7 * 16 + 1 * 12 + 29 * 4 + 4,
                     "GlassParams is 240 bytes of fields and its first light");
VITREL_LAYOUT_ASSERT(offsetof(GlassParams, ior) == 32 && offsetof(GlassParams, split_depth) == 76 &&
                         offsetof(GlassParams, opacity) == 132 &&
                         offsetof(GlassParams, photon_diffuse_color) == 156 &&
                         offsetof(GlassParams, replacement_normal) == 216 &&
                         offsetof(GlassParams, light_count) == 236,
                     "GlassParams' fields lie where a declaration in this order puts them");

#endif
