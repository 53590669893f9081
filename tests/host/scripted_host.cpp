#include "scripted_host.h"

#include "platform.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace testhost {

ScriptedHost &host() {
  static ScriptedHost instance;
  static const bool ready = (instance.reset(), true);
  (void)ready;
  return instance;
}

void ScriptedHost::record(const char *name) {
  std::lock_guard<std::mutex> lock(mutex);
  calls.emplace_back(name);
}

size_t ScriptedHost::count(const std::string &name) {
  return static_cast<size_t>(std::count(calls.begin(), calls.end(), name));
}

void ScriptedHost::reset() {
#define TESTHOST_CLEAR(slot, ret, name, params, args) name = nullptr;
  VITREL_HOST_OPERATIONS(TESTHOST_CLEAR)
#undef TESTHOST_CLEAR
  calls.clear();
  // A connected field without a script evaluates to its own value.
  mi_phen_eval = [](HostState *, void *field) { return field; };
}

namespace {

template <typename R>
R no_answer() {
  return R();
}

template <typename T>
T must_find(void *handle, const char *name) {
  void *symbol = find_symbol(handle, name);
  if (symbol == nullptr) {
    std::fprintf(stderr, "vitrel.so does not export %s\n", name);
    std::abort();
  }
  return reinterpret_cast<T>(symbol);
}

Module load_module() {
  std::string error;
  void *handle = open_module(VITREL_MODULE_PATH, &error);
  if (handle == nullptr) {
    std::fprintf(stderr, "cannot load %s: %s\n", VITREL_MODULE_PATH, error.c_str());
    std::abort();
  }
  Module m;
  m.handle = handle;
  m.version = must_find<decltype(m.version)>(handle, "vitrel_version");
  m.photon_version = must_find<decltype(m.photon_version)>(handle, "vitrel_photon_version");
  m.init = must_find<decltype(m.init)>(handle, "vitrel_init");
  m.photon_init = must_find<decltype(m.photon_init)>(handle, "vitrel_photon_init");
  m.exit = must_find<decltype(m.exit)>(handle, "vitrel_exit");
  m.photon_exit = must_find<decltype(m.photon_exit)>(handle, "vitrel_photon_exit");
  m.shade = must_find<decltype(m.shade)>(handle, "vitrel");
  m.shade_photon = must_find<decltype(m.shade_photon)>(handle, "vitrel_photon");
  m.set_module_handle = must_find<decltype(m.set_module_handle)>(handle, "miSetModuleHandle");
  return m;
}

} // namespace

Module &module() {
  static Module instance = [] {
    Module m = load_module();
    m.set_module_handle(own_handle());
    return m;
  }();
  return instance;
}

void rebind_to_self() { module().set_module_handle(own_handle()); }

ParamBlock::ParamBlock() {
  std::memset(this, 0, sizeof *this);
  params.ior = 1.5f;
  params.outside_ior = 1.0f;
}

int32_t ParamBlock::interface_offset() const {
  return static_cast<int32_t>(reinterpret_cast<const unsigned char *>(flags) -
                              reinterpret_cast<const unsigned char *>(&params));
}

void ParamBlock::connect(const void *field, int32_t flag) {
  unsigned char *at =
      const_cast<unsigned char *>(static_cast<const unsigned char *>(field)) + interface_offset();
  std::memcpy(at, &flag, sizeof flag);
}

HostState camera_ray(HostShader *shader, HostCamera *camera, HostOptions *options) {
  HostState s{};
  s.direction = {0.0f, 0.0f, -1.0f};
  s.normal = {0.0f, 0.0f, 1.0f};
  s.dot_nd = -1.0f;
  s.shader = shader;
  s.camera = camera;
  s.options = options;
  return s;
}

StateBlock::StateBlock() {
  std::memset(this, 0, sizeof *this);
  state = camera_ray(&shader, &camera, &options);
  options.reflection_depth_limit = 6;
  options.refraction_depth_limit = 6;
}

} // namespace testhost

// The host operations, exported by the test program for the module to find.
#define TESTHOST_EXPORT(slot, ret, name, params, args)                                             \
  extern "C" TESTHOST_API ret name params {                                                        \
    testhost::ScriptedHost &h = testhost::host();                                                  \
    h.record(#name);                                                                               \
    if (h.name) return h.name args;                                                                \
    return testhost::no_answer<ret>();                                                             \
  }

VITREL_HOST_OPERATIONS(TESTHOST_EXPORT)
