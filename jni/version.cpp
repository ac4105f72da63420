// The library's version, compiled in from the generated header so that a
// loaded library can tell which release it is.
#include "makebin_version.h"

// Exported whatever the library's default symbol visibility is.
extern "C" __attribute__((visibility("default"))) const char* makebin_version(void) {
    return MAKEBIN_VERSION;
}
