#include "module/module.h"

#include <dlfcn.h>
#include <unistd.h>

#include "core/error.h"

namespace vr {

namespace {

template <typename F>
void find_export(ShaderModule &m, const char *name, F *out) {
  dlerror();
  void *symbol = dlsym(m.handle, name);
  if (symbol == nullptr)
    throw ModuleError("shader module '" + m.path + "' does not export '" + name +
                      "'; it is not a vitrel module, or it is incomplete");
  *out = reinterpret_cast<F>(symbol);
}

void check_version(const ShaderModule &m, const char *name, int answer) {
  if (answer != VITREL_INTERFACE_VERSION)
    throw ModuleError("shader module '" + m.path + "': " + name + " answers " +
                      std::to_string(answer) + ", but this renderer speaks interface version " +
                      std::to_string(VITREL_INTERFACE_VERSION));
}

} // namespace

ShaderModule load_module(const std::string &path) {
  ShaderModule m;
  m.path = path;
  if (access(path.c_str(), F_OK) != 0)
    throw ModuleError("shader module '" + path +
                      "' not found (build it, or name it with --module)");
  m.handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (m.handle == nullptr) {
    const char *why = dlerror();
    throw ModuleError("cannot load shader module '" + path + "': " + (why ? why : "unknown error"));
  }
  find_export(m, "vitrel_version", &m.version);
  find_export(m, "vitrel_photon_version", &m.photon_version);
  find_export(m, "vitrel_init", &m.init);
  find_export(m, "vitrel_photon_init", &m.photon_init);
  find_export(m, "vitrel_exit", &m.exit);
  find_export(m, "vitrel_photon_exit", &m.photon_exit);
  find_export(m, "vitrel", &m.shade);
  find_export(m, "vitrel_photon", &m.shade_photon);
  find_export(m, "miSetModuleHandle", &m.set_module_handle);
  check_version(m, "vitrel_version", m.version());
  check_version(m, "vitrel_photon_version", m.photon_version());

  // The module looks every host operation up by name in the module it is
  // handed: ours is the executable, which exports them.
  void *self = dlopen(nullptr, RTLD_NOW);
  m.set_module_handle(self);
  return m;
}

std::string default_module_path() {
  char buffer[4096];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return "vitrel.so";
  std::string exe(buffer, static_cast<size_t>(n));
  return exe.substr(0, exe.find_last_of('/') + 1) + "vitrel.so";
}

ShaderSession start_shaders(const ShaderModule &m, HostState *state,
                            const std::vector<GlassParams *> &instances) {
  ShaderSession session;
  int request = 1;
  m.init(state, nullptr, &request);
  session.material_instances = request != 0;
  request = 1;
  m.photon_init(state, nullptr, &request);
  session.photon_instances = request != 0;
  for (GlassParams *p : instances) {
    int ignored = 0;
    if (session.material_instances) m.init(state, p, &ignored);
    if (session.photon_instances) m.photon_init(state, p, &ignored);
  }
  return session;
}

void end_shaders(const ShaderModule &m, const ShaderSession &session, HostState *state,
                 const std::vector<GlassParams *> &instances) {
  for (GlassParams *p : instances) {
    if (session.material_instances) m.exit(state, p);
    if (session.photon_instances) m.photon_exit(state, p);
  }
  m.exit(state, nullptr);
  m.photon_exit(state, nullptr);
}

} // namespace vr
