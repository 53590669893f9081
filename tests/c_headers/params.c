/* Compiles the header alone as C. */
#include "shader/params.h"

typedef int header_compiles_params;
