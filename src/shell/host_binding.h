// Binding of the host's numbered services to HostServiceTable.
#pragma once

#include <windows.h>

// Looks every service up by ordinal in the host module and fills its slot.
// Returns the number of services the host lacks (their slots stay empty).
int BindHostServicesFrom(HMODULE hostModule);
