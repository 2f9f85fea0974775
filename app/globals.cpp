// Process-wide objects. They are constructed in the order of their
// definitions here and destroyed in reverse order at process exit.
#include "app/wizard_app.h"
#include "host/host_registry.h"

CWizardApp theApp;
CHostRegistry g_hostRegistry;
