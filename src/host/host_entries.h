// Entries of the host's main module beside its numbered services.
#pragma once

#include <windows.h>

extern "C" {
// Entry 30005: turns a system (structured) exception into the host's own.
// Imported by ordinal when the library is loaded (host_entries.def).
__declspec(dllimport) void __cdecl HostExceptionTranslator(unsigned int code, EXCEPTION_POINTERS* pointers);
}

using SeTranslator = void(__cdecl*)(unsigned int code, EXCEPTION_POINTERS* pointers);

// The runtime (msvcrt.dll) exports its per-thread translator setter under its
// C++ name.
inline constexpr const char* SetSeTranslatorName = "?_set_se_translator@@YAP6AXIPAU_EXCEPTION_POINTERS@@@ZP6AXI0@Z@Z";
