// Loading the shader module as a production renderer does: dlopen, hand it
// the renderer's own handle, check the interface version, and run each
// shader's init and exit once around the render.
#ifndef VITREL_RENDER_MODULE_MODULE_H
#define VITREL_RENDER_MODULE_MODULE_H

#include <string>
#include <vector>

#include "shader/exports.h"

namespace vr {

struct ShaderModule {
  void *handle = nullptr;
  std::string path;
  int (*version)(void) = nullptr;
  int (*photon_version)(void) = nullptr;
  int (*init)(HostState *, GlassParams *, int *) = nullptr;
  int (*photon_init)(HostState *, GlassParams *, int *) = nullptr;
  void (*exit)(HostState *, GlassParams *) = nullptr;
  void (*photon_exit)(HostState *, GlassParams *) = nullptr;
  int (*shade)(Colour *, HostState *, GlassParams *) = nullptr;
  int (*shade_photon)(Colour *, HostState *, GlassParams *) = nullptr;
  int (*set_module_handle)(void *) = nullptr;
};

constexpr int kInterfaceVersion = 1;

// Opens the module, finds its nine exports, checks both shaders answer
// version 1 and names the renderer's own module to it. Throws ModuleError
// naming the file and what is wrong.
ShaderModule load_module(const std::string &path);

// vitrel.so in the folder of the running executable.
std::string default_module_path();

// Which shaders asked for per-instance init calls, so that their exits match.
struct ShaderSession {
  bool material_instances = false, photon_instances = false;
};

// Shader-wide init of both shaders with a null parameter record, then, for a
// shader that asks for it, one init per parameter record.
ShaderSession start_shaders(const ShaderModule &m, HostState *state,
                            const std::vector<GlassParams *> &instances);
// Per-instance exits where inits were made, then each shader-wide exit once.
void end_shaders(const ShaderModule &m, const ShaderSession &session, HostState *state,
                 const std::vector<GlassParams *> &instances);

} // namespace vr

#endif
