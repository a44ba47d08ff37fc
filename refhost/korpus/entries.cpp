// The host's entries 30005 and 30007, which the plug-in takes by ordinal.
#include <windows.h>
#include <delayimp.h>

#include "host_state.h"
#include "korpus_exports.h"

using namespace korpus;

// ---------------------------------------------------------------------------
// 30005 structured-exception translator
// ---------------------------------------------------------------------------
// The host turns system faults into its own exceptions here. The reference
// host records the fault and lets it go on as it is.
void __cdecl Korpus_TranslateException(unsigned int code, void* exceptionPointers) {
    (void)exceptionPointers;
    Record("exception_translated", {{"code", code}});
}

// ---------------------------------------------------------------------------
// 30007 delay-load notification hook
// ---------------------------------------------------------------------------
// Consulted at each step of resolving a delay-loaded function; 0 asks for the
// default handling. Records the step and the library it is about.
void* __stdcall Korpus_DelayLoadNotify(unsigned int notification, void* delayLoadInfo) {
    const auto* info = static_cast<const DelayLoadInfo*>(delayLoadInfo);
    if (info == nullptr) Violation("DelayLoadNotify", "null delay-load information");
    const char* dll = info != nullptr && info->szDll != nullptr ? info->szDll : "";
    Record("delay_load_notification", {{"notification", notification}, {"dll", dll}});
    return nullptr;
}
