/* The whole public interface of the vitrel glass shader module: the
 * renderer's records and ray types, the operations the module calls back,
 * the parameter record and the module's exports. */
#ifndef VITREL_VITREL_H
#define VITREL_VITREL_H

#include <vitrel/host/module_handle.h>
#include <vitrel/host/ops.h>
#include <vitrel/host/state.h>
#include <vitrel/shader/exports.h>
#include <vitrel/shader/params.h>

#endif
