/* Compiles the header alone as C. */
#include "host/ops.h"

typedef int header_compiles_ops;
