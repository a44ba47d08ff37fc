#include "shell/host_binding.h"

#include "host/host_services.h"

int BindHostServicesFrom(HMODULE hostModule) {
    int missing = 0;
    for (int i = 0; i < HostServiceCount; ++i) {
        FARPROC entry = GetProcAddress(hostModule, MAKEINTRESOURCEA(HostServiceList[i].ordinal));
        HostServiceTable[i] = reinterpret_cast<void*>(entry);
        if (entry == nullptr) ++missing;
    }
    return missing;
}
