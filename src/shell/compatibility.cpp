#include "shell/compatibility.h"

#include "common/size_check.h"
#include "host/host_services.h"

int CheckHostCompatibility() { return HostApiLevel() == RequiredApiLevel ? 0 : -1; }

int CheckTableSizes() { return CountSizeMismatches(); }

void ShowCompatibilityReport() {}
