// Every read of a GlassParams field goes through here, so that any field may
// be driven by another shader instead of the constant in the record.
#ifndef VITREL_MODULE_SHADER_PARAM_EVAL_H
#define VITREL_MODULE_SHADER_PARAM_EVAL_H

#include <vitrel/shader/params.h>

namespace glass {

// Address at which the current value of the field at `field` is to be read,
// for a shader instance with connections (`interface_offset` nonzero).
const void *eval_connected_field(HostState *state, const void *field, int32_t interface_offset);

// Address at which the current value of the field at `field` is to be read.
// Evaluated anew on every call: a field read twice costs two evaluations, and
// the host's `interface_offset` is read each time. Most instances connect
// nothing, so that case is decided here, inline, at every read.
inline const void *eval_field(HostState *state, const void *field) {
  // A host without a shader record has no connections to report.
  const HostShader *shader = state->shader;
  if (shader == nullptr || shader->interface_offset == 0) return field;
  return eval_connected_field(state, field, shader->interface_offset);
}

// Typed read of one field as a whole (Colour and Vector in one evaluation).
template <typename T>
inline const T &param(HostState *state, const T &field) {
  return *static_cast<const T *>(eval_field(state, &field));
}

} // namespace glass

#endif
