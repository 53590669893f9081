// Glass parameters connected to textures: the renderer's side of mi_phen_eval.
#ifndef VITREL_RENDER_SHADING_CONNECTIONS_H
#define VITREL_RENDER_SHADING_CONNECTIONS_H

#include "shading/render_state.h"

namespace vr {

// The address of the evaluated value of the parameter field at `field` for
// the state's hit: the connected texture's value, written into the state's
// own value storage at the field's offset, so that it stays valid while the
// shader holds it. A field that is not connected gives its own address.
void *evaluate_field(RenderState &s, void *field);

} // namespace vr

#endif
