// What the library's loader glue sets up when the host loads the plug-in.
#pragma once

#include <windows.h>

#include "shell/plugin_module.h"

// The plug-in's own module, kept at attach; PluginModulePath (plugin_module.h)
// is filled from it.
extern HMODULE PluginModule;
// The host's main module KORPUS, found at attach without loading it; 0 when
// the host module is not in the process. Every service is looked up here.
extern HMODULE HostModule;

// KORPUS's entry 30007, the delay-load notification hook, taken at attach.
inline constexpr int HostDelayLoadHookOrdinal = 30007;

// Run on every attach and detach notification, on process attach before the
// runtime's own initialisation. Acts only on process attach; always 1.
BOOL WINAPI OnProcessAttach(HINSTANCE module, DWORD reason, LPVOID reserved);

// Takes the already loaded host module and its delay-load hook, once.
void FindHostModule();
