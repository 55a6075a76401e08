// The library's version, from the project's.
#include "polylsq/polylsq.h"

extern "C" const char* polylsq_version(void) { return POLYLSQ_VERSION; }
