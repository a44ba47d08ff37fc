// The library's entry point: the attach routine first, then the runtime's
// own start-up, which binds the host services and calls DllMain.
#include <windows.h>

#include "shell/dll/load_binding.h"
#include "shell/plugin_attach.h"

extern "C" BOOL WINAPI DllMainCRTStartup(HANDLE module, DWORD reason, LPVOID reserved);

// Linked as the image's entry point (-e): runs on every notification, ahead of
// the runtime, which has not yet run any of its initialisers here.
extern "C" BOOL WINAPI ZbieraczLoaderEntry(HINSTANCE module, DWORD reason, LPVOID reserved) {
    OnProcessAttach(module, reason, reserved);
    return DllMainCRTStartup(module, reason, reserved);
}

// Called by the runtime after its initialisers: a service that could not be
// bound fails the attach. The plug-in has no other attach or detach work.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH && HostBindingRefused) return FALSE;
    return TRUE;
}
