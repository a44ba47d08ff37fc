#include "shell/plugin_attach.h"

#include <delayimp.h>

#include "shell/runtime_patch.h"

HMODULE PluginModule = nullptr;
HMODULE HostModule = nullptr;

namespace {
// The hook until attach: default handling of every delay-load step.
FARPROC WINAPI NoDelayLoadNotification(unsigned, PDelayLoadInfo) { return nullptr; }
}  // namespace

// Consulted by the runtime's delay-load helper at each step of resolving a
// function of the compatibility library.
PfnDliHook __pfnDliNotifyHook2 = &NoDelayLoadNotification;

void FindHostModule() {
    if (HostModule != nullptr) return;
    // Only a host that has loaded itself counts: the plug-in never loads it.
    HMODULE host = GetModuleHandleA("KORPUS");
    if (host == nullptr) return;
    HostModule = host;
    // An empty lookup leaves no hook: delay-loaded functions resolve the default way.
    __pfnDliNotifyHook2 = reinterpret_cast<PfnDliHook>(
        reinterpret_cast<void*>(GetProcAddress(host, MAKEINTRESOURCEA(HostDelayLoadHookOrdinal))));
}

BOOL WINAPI OnProcessAttach(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    PluginModule = module;
    const DWORD length = GetModuleFileNameA(module, PluginModulePath, PluginModulePathSize);
    // A path of 300 bytes or more comes back cut and, on older systems,
    // without its terminator.
    if (length == 0) PluginModulePath[0] = 0;
    PluginModulePath[PluginModulePathSize - 1] = 0;
    FindHostModule();
    PatchRuntimeRoutines();
    return TRUE;
}
