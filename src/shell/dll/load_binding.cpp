// The test entries of all services run as initialisers of the runtime, in
// table order, while the library is being loaded.
//
// The runtime's DLL start-up runs the table between __xi_a (.CRT$XIA) and
// __xi_z (.CRT$XIZ) with _initterm, after the attach routine and before any
// entry can be called. _initterm ignores what an initialiser returns, so each
// initialiser here carries its test entry's result: the first -1 stops every
// later service from being bound, and DllMain then refuses the attach, which
// makes the runtime fail the load (LoadLibrary gives ERROR_DLL_INIT_FAILED).
//
// This runs before any C++ constructor of the library: everything the binding
// and the missing-entry dialog touch is constant-initialised data.
#include "shell/dll/load_binding.h"

#include <array>
#include <utility>

#include <windows.h>

#include "shell/host_binding.h"
#include "shell/plugin_attach.h"
#include "shell/plugin_entries.h"

bool HostBindingRefused = false;

namespace {

using RuntimeInitialiser = void (*)();

// Entry 30005 is imported when the library is loaded, so that a host without
// it cannot load the plug-in. Some loaders (Wine's) put a stub of their own in
// place of a missing import and load anyway; the plug-in then refuses the load
// itself, before any service is bound or reported.
void RefuseHostWithoutImportedEntries() {
    if (HostModule != nullptr && GetProcAddress(HostModule, MAKEINTRESOURCEA(HostExceptionTranslatorOrdinal)) == nullptr)
        HostBindingRefused = true;
}

template <int Index>
void BindAtLoad() {
    if (HostBindingRefused) return;
    if (HostServiceTestEntries[Index]() != 0) HostBindingRefused = true;
}

template <int... Index>
constexpr std::array<RuntimeInitialiser, sizeof...(Index)> InitialisersFor(std::integer_sequence<int, Index...>) {
    return {&BindAtLoad<Index>...};
}

}  // namespace

// After the runtime's own initialisers (.CRT$XIA...), before its end marker:
// first the imported entries, then the services in table order.
__attribute__((section(".CRT$XIT"), used)) RuntimeInitialiser HostEntriesInitialiser = &RefuseHostWithoutImportedEntries;
__attribute__((section(".CRT$XIU"), used)) std::array<RuntimeInitialiser, HostServiceCount> HostServiceInitialisers =
    InitialisersFor(std::make_integer_sequence<int, HostServiceCount>{});
