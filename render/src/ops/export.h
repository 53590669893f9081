// The renderer exports the module's host operations from its executable;
// everything else of the renderer stays hidden.
#ifndef VITREL_RENDER_OPS_EXPORT_H
#define VITREL_RENDER_OPS_EXPORT_H

#include "host/ops.h"
#include "shading/render_state.h"

#define VR_HOST_OPERATION extern "C" __attribute__((visibility("default")))

#endif
