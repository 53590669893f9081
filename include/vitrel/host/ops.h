/* The 25 operations the glass shaders call back into the renderer.
 *
 * The renderer exports each of them by name from its own module. The shader
 * module links against no renderer library: it reaches each operation through
 * a stub of the same name that looks it up on first use; the renderer names
 * its module to it through miSetModuleHandle (vitrel/host/module_handle.h).
 *
 * VITREL_HOST_OPERATIONS is the one table of these operations. Each row is
 *   X(slot, return type, name, parameter list, argument list)
 * where slot is the operation's fixed place in the module's binding table and
 * the rows stand in the order the binding table stores the names. The
 * declarations below, the module's stubs and the test host are all generated
 * from it. The table is usable from assembly sources too. */
#ifndef VITREL_HOST_OPS_H
#define VITREL_HOST_OPS_H

#define VITREL_HOST_OPERATIONS(X)                                                                  \
  X(40, int, mi_photon_reflection_specular, (Colour * energy, HostState * state, Vector * dir),    \
    (energy, state, dir))                                                                          \
  X(41, int, mi_photon_transmission_specular, (Colour * energy, HostState * state, Vector * dir),  \
    (energy, state, dir))                                                                          \
  X(45, int, mi_photon_reflection_diffuse, (Colour * energy, HostState * state, Vector * dir),     \
    (energy, state, dir))                                                                          \
  X(46, int, mi_photon_transmission_diffuse, (Colour * energy, HostState * state, Vector * dir),   \
    (energy, state, dir))                                                                          \
  X(49, int, mi_choose_simple_scatter_type,                                                        \
    (HostState * state, Colour * diffuse_reflection, Colour * specular_reflection,                 \
     Colour * diffuse_transmission, Colour * specular_transmission),                               \
    (state, diffuse_reflection, specular_reflection, diffuse_transmission, specular_transmission)) \
  X(51, void, mi_reflection_dir_diffuse, (Vector * out, HostState * state), (out, state))          \
  X(54, void, mi_reflection_dir_specular, (Vector * out, HostState * state), (out, state))         \
  X(55, int, mi_transmission_dir_specular,                                                         \
    (Vector * out, HostState * state, float ior_in, float ior_out), (out, state, ior_in, ior_out)) \
  X(56, void, mi_transmission_dir_diffuse, (Vector * out, HostState * state), (out, state))        \
  X(63, int, mi_store_photon, (Colour * energy, HostState * state), (energy, state))               \
  X(65, int, mi_compute_irradiance, (Colour * out, HostState * state), (out, state))               \
  X(72, int, mi_ray_falloff, (HostState * state, double *start, double *stop),                     \
    (state, start, stop))                                                                          \
  X(84, int, mi_trace_reflection, (Colour * out, HostState * state, Vector * dir),                 \
    (out, state, dir))                                                                             \
  X(85, int, mi_trace_refraction, (Colour * out, HostState * state, Vector * dir),                 \
    (out, state, dir))                                                                             \
  X(87, int, mi_trace_environment, (Colour * out, HostState * state, Vector * dir),                \
    (out, state, dir))                                                                             \
  X(93, int, mi_sample, (double *values, int *count, HostState *state, int dimension, int *n),     \
    (values, count, state, dimension, n))                                                          \
  X(102, int, mi_sample_light,                                                                     \
    (Colour * out, Vector * dir, float *dot_nl, HostState *state, Tag light, int *count),          \
    (out, dir, dot_nl, state, light, count))                                                       \
  X(109, int, mi_inclusive_lightlist, (int *n, Tag **list, HostState *state), (n, list, state))    \
  X(110, int, mi_exclusive_lightlist, (int *n, Tag **list, HostState *state), (n, list, state))    \
  X(111, void *, mi_phen_eval, (HostState * state, void *field), (state, field))                   \
  X(184, float, mi_fresnel_reflection, (HostState * state, float ior_in, float ior_out),           \
    (state, ior_in, ior_out))                                                                      \
  X(185, float, mi_phong_specular, (float exponent, HostState *state, Vector *dir),                \
    (exponent, state, dir))                                                                        \
  X(196, void, mi_reflection_dir, (Vector * out, HostState * state), (out, state))                 \
  X(197, int, mi_refraction_dir, (Vector * out, HostState * state, float ior_in, float ior_out),   \
    (out, state, ior_in, ior_out))                                                                 \
  X(215, int, mi_query, (int code, HostState *state, Tag tag, void *result, ...),                  \
    (code, state, tag, result))

/* The renderer numbers its whole operation table 0..574; a slot keeps its
 * number on every host, so the module sizes its table to the renderer's own
 * and fills only the 25 rows above. */
#define VITREL_BINDING_SLOTS 575

#ifndef __ASSEMBLER__

#include <vitrel/host/state.h>

#ifdef __cplusplus
extern "C" {
#endif

/* mi_query code for the renderer's single-path flag (an int written to *result). */
enum { VITREL_QUERY_SINGLE_PATH = 142 };

#define VITREL_DECLARE_OPERATION(slot, ret, name, params, args) ret name params;
VITREL_HOST_OPERATIONS(VITREL_DECLARE_OPERATION)
#undef VITREL_DECLARE_OPERATION

#ifdef __cplusplus
}
#endif

#endif /* __ASSEMBLER__ */

#endif
