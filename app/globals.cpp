// Process-wide objects. They are constructed in the order of their
// definitions here and destroyed in reverse order at process exit.
#include "host/host_registry.h"

CHostRegistry g_hostRegistry;
