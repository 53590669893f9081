#include "shader/param_eval.h"

#include <cstring>

#include <vitrel/host/ops.h>

namespace glass {

const void *eval_connected_field(HostState *state, const void *field, int32_t interface_offset) {
  // The connection flag lies interface_offset bytes past the field itself; it
  // need not be aligned for an int32_t, so it is copied out bytewise.
  int32_t connected;
  std::memcpy(&connected, static_cast<const char *>(field) + interface_offset, sizeof connected);
  if (connected == 0) return field;

  // A host that cannot evaluate the connection gets the constant in place
  // rather than a null dereference.
  const void *value = mi_phen_eval(state, const_cast<void *>(field));
  return value != nullptr ? value : field;
}

} // namespace glass
