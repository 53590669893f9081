// The renderer exports the module's host operations from its executable;
// everything else of the renderer stays hidden.
#ifndef VITREL_RENDER_OPS_EXPORT_H
#define VITREL_RENDER_OPS_EXPORT_H

#include "shading/render_state.h"
#include <vitrel/host/ops.h>

#define VR_HOST_OPERATION extern "C" __attribute__((visibility("default")))

#endif
