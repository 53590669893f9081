/* The module's nine exported entry points. A renderer finds them by name
 * (dlsym / GetProcAddress) after loading the module; everything else in the
 * module is hidden. For each shader NAME (vitrel, vitrel_photon) the renderer
 * calls NAME_version once, NAME_init once before rendering, NAME for every
 * hit and NAME_exit once after rendering. */
#ifndef VITREL_SHADER_EXPORTS_H
#define VITREL_SHADER_EXPORTS_H

#include <vitrel/host/module_handle.h>
#include <vitrel/host/state.h>
#include <vitrel/shader/params.h>

/* What both version exports answer; a renderer refuses a module that answers
 * anything else. */
#define VITREL_INTERFACE_VERSION 1

#ifdef __cplusplus
extern "C" {
#endif

/* The entry points' types, one per kind, for a renderer that finds the exports
 * by name (in C++, decltype(&vitrel) is the same type); miSetModuleHandle's is
 * VitrelSetModuleHandleFunction. */
typedef int VitrelVersionFunction(void);
typedef int VitrelInitFunction(HostState *state, GlassParams *params, int *instance_request);
typedef void VitrelExitFunction(HostState *state, GlassParams *params);
typedef int VitrelShaderFunction(Colour *result, HostState *state, GlassParams *params);

/* Answer VITREL_INTERFACE_VERSION. */
VITREL_EXPORT VitrelVersionFunction vitrel_version;
VITREL_EXPORT VitrelVersionFunction vitrel_photon_version;
/* Shader-wide (params null): set *instance_request to 0, asking for no
 * per-instance calls. Per instance: do nothing. Return 1. */
VITREL_EXPORT VitrelInitFunction vitrel_init;
VITREL_EXPORT VitrelInitFunction vitrel_photon_init;
/* Do nothing: the module holds nothing to release. */
VITREL_EXPORT VitrelExitFunction vitrel_exit;
VITREL_EXPORT VitrelExitFunction vitrel_photon_exit;
/* The shaders. Either accepts any ray: photon types run the photon shader,
 * every other type the material shader. `vitrel` writes the colour seen along
 * the ray to *result and returns 1, or returns 0 and writes nothing for a ray
 * it declines (light, shadow and gather rays, and rays at the depth limits).
 * `vitrel_photon` settles the fate of the photon carrying *energy: it returns
 * 1 for a photon it absorbs, the renderer's answer for one it sends on through
 * a photon operation, and 0 otherwise. */
VITREL_EXPORT VitrelShaderFunction vitrel;
VITREL_EXPORT VitrelShaderFunction vitrel_photon;

#ifdef __cplusplus
}
#endif

#endif
