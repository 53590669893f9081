/* How the renderer names its own module to the shader module: the binding
 * layer's one export. The module links against no renderer library; it looks
 * each host operation (vitrel/host/ops.h) up by name, on first use, in the
 * module named here. */
#ifndef VITREL_HOST_MODULE_HANDLE_H
#define VITREL_HOST_MODULE_HANDLE_H

/* Marks the module's exported entry points; everything else in it is hidden. */
#if defined(_WIN32)
#define VITREL_EXPORT __declspec(dllexport)
#else
#define VITREL_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef int VitrelSetModuleHandleFunction(void *handle);

/* Names the renderer's own module (dlopen(NULL) / GetModuleHandle(NULL) for
 * the main program), in which every host operation is looked up on first use.
 * Forgets all bindings made so far; returns 0. */
VITREL_EXPORT VitrelSetModuleHandleFunction miSetModuleHandle;

#ifdef __cplusplus
}
#endif

#endif
