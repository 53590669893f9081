// The scripted test host. The test program itself exports the 25 host
// operations (generated from the module's own table), loads vitrel.so as a
// renderer does and hands it the program's own handle. Each test scripts the
// operations it cares about with a handler and reads back the calls in order.
#ifndef VITREL_TESTS_SCRIPTED_HOST_H
#define VITREL_TESTS_SCRIPTED_HOST_H

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include <vitrel/host/ops.h>
#include <vitrel/shader/exports.h>
#include <vitrel/shader/params.h>

namespace testhost {

// std::function of an operation's signature; a variadic operation is scripted
// with its named parameters only.
template <typename F>
struct HandlerOf;
template <typename R, typename... A>
struct HandlerOf<R(A...)> {
  using type = std::function<R(A...)>;
};
template <typename R, typename... A>
struct HandlerOf<R(A..., ...)> {
  using type = std::function<R(A...)>;
};

struct ScriptedHost {
  // One handler per operation, named after it. An unset handler makes the
  // operation do nothing and answer 0 (null, 0.0), except mi_phen_eval, which
  // answers the field's own address.
#define TESTHOST_HANDLER(slot, ret, name, params, args) HandlerOf<ret params>::type name;
  VITREL_HOST_OPERATIONS(TESTHOST_HANDLER)
#undef TESTHOST_HANDLER

  // Names of the operations called, in order.
  std::vector<std::string> calls;
  std::mutex mutex;

  void record(const char *name);
  size_t count(const std::string &name);
  void reset();
};

ScriptedHost &host();

// The module under test, loaded once per process, with the test program's
// own handle set as the renderer's module.
struct Module {
  void *handle;
  decltype(&vitrel_version) version;
  decltype(&vitrel_photon_version) photon_version;
  decltype(&vitrel_init) init;
  decltype(&vitrel_photon_init) photon_init;
  decltype(&vitrel_exit) exit;
  decltype(&vitrel_photon_exit) photon_exit;
  decltype(&vitrel) shade;
  decltype(&vitrel_photon) shade_photon;
  decltype(&miSetModuleHandle) set_module_handle;
};

Module &module();

// Hands the module the test program's own handle again, which forgets every
// binding it has made.
void rebind_to_self();

// A parameter record as a host lays it out: the record, room for further
// lights after it, and a mirror of connection flags at `interface_offset`.
struct ParamBlock {
  GlassParams params;
  Tag more_lights[15];
  // Flags live at the same offset from every field; the mirror is as large as
  // the record and its trailing lights.
  alignas(4) unsigned char flags[sizeof(GlassParams) + sizeof(Tag) * 15];

  ParamBlock();
  int32_t interface_offset() const;
  // Marks the field at `field` (an address inside params) as connected.
  void connect(const void *field, int32_t flag = 1);
  Tag *lights() { return params.lights; }
};

// A camera ray's state on the front side, depth 0: unit direction (0, 0, -1)
// and normal (0, 0, 1), with the records given.
HostState camera_ray(HostShader *shader, HostCamera *camera, HostOptions *options);

// A camera-ray state on the front side, depth 0, with its own shader, camera
// and options records, unit direction (0, 0, -1) and normal (0, 0, 1).
struct StateBlock {
  HostState state;
  HostShader shader;
  HostCamera camera;
  HostOptions options;

  StateBlock();
  StateBlock(const StateBlock &) = delete;
  StateBlock &operator=(const StateBlock &) = delete;
  void connect_interface(const ParamBlock &block) {
    shader.interface_offset = block.interface_offset();
  }
};

} // namespace testhost

#endif
