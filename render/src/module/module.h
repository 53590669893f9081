// Loading the shader module as a production renderer does: dlopen, hand it
// the renderer's own handle, check the interface version, and run each
// shader's init and exit once around the render.
#ifndef VITREL_RENDER_MODULE_MODULE_H
#define VITREL_RENDER_MODULE_MODULE_H

#include <string>
#include <vector>

#include <vitrel/shader/exports.h>

namespace vr {

// The module's nine exports, typed as the public header declares them.
struct ShaderModule {
  void *handle = nullptr;
  std::string path;
  decltype(&vitrel_version) version = nullptr;
  decltype(&vitrel_photon_version) photon_version = nullptr;
  decltype(&vitrel_init) init = nullptr;
  decltype(&vitrel_photon_init) photon_init = nullptr;
  decltype(&vitrel_exit) exit = nullptr;
  decltype(&vitrel_photon_exit) photon_exit = nullptr;
  decltype(&vitrel) shade = nullptr;
  decltype(&vitrel_photon) shade_photon = nullptr;
  decltype(&miSetModuleHandle) set_module_handle = nullptr;
};

// Opens the module, finds its nine exports, checks both shaders answer
// VITREL_INTERFACE_VERSION and names the renderer's own module to it. Throws
// ModuleError naming the file and what is wrong.
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
