/* The module's nine exported entry points. A renderer finds them by name
 * (dlsym / GetProcAddress) after loading the module; everything else in the
 * module is hidden. */
#ifndef VITREL_SHADER_EXPORTS_H
#define VITREL_SHADER_EXPORTS_H

#include "host/state.h"
#include "shader/params.h"

#if defined(_WIN32)
#define VITREL_EXPORT __declspec(dllexport)
#else
#define VITREL_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

VITREL_EXPORT int vitrel_version(void);
VITREL_EXPORT int vitrel_photon_version(void);
VITREL_EXPORT int vitrel_init(HostState *state, GlassParams *params, int *instance_request);
VITREL_EXPORT int vitrel_photon_init(HostState *state, GlassParams *params, int *instance_request);
VITREL_EXPORT void vitrel_exit(HostState *state, GlassParams *params);
VITREL_EXPORT void vitrel_photon_exit(HostState *state, GlassParams *params);
VITREL_EXPORT int vitrel(Colour *result, HostState *state, GlassParams *params);
VITREL_EXPORT int vitrel_photon(Colour *energy, HostState *state, GlassParams *params);

/* Names the renderer's own module, in which every host operation is looked up
 * on first use. Forgets all bindings made so far; returns 0. */
VITREL_EXPORT int miSetModuleHandle(void *handle);

#ifdef __cplusplus
}
#endif

#endif
