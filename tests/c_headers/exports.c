/* Compiles the header alone as C. */
#include "shader/exports.h"

typedef int header_compiles_exports;
