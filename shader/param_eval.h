// Every read of a GlassParams field goes through here, so that any field may
// be driven by another shader instead of the constant in the record.
#ifndef VITREL_SHADER_PARAM_EVAL_H
#define VITREL_SHADER_PARAM_EVAL_H

#include "params.h"

namespace vt {

// Address at which the current value of the field at `field` is to be read.
// Evaluated anew on every call: a field read twice costs two evaluations, and
// the host's `interface_offset` is read each time.
const void *eval_field(HostState *state, const void *field);

// Typed read of one field as a whole (Colour and Vector in one evaluation).
template <typename T>
inline const T &param(HostState *state, const T &field) {
  return *static_cast<const T *>(eval_field(state, &field));
}

} // namespace vt

#endif
