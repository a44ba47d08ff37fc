// Binding of the host's numbered services to HostServiceTable.
//
// Every service has four entries, generated from src/host/host_services.def:
//   call entry  "jmp *slot" (src/host/host_services.cpp), what plug-in code calls;
//   lazy entry  the slot's content at load: binds the service, then goes on into
//               the call entry with the caller's arguments untouched;
//   bind entry  saves every register and flag, BindHostService(ordinal, slot),
//               restores them all;
//   test entry  binds through the bind entry; 0 when the slot then holds an
//               entry, -1 when it is empty. The library's runtime runs the test
//               entries of all services at load, in table order
//               (src/shell/dll/load_binding.cpp).
#pragma once

#include <windows.h>

#include <cstdint>

#include "host/host_services.h"

using HostServiceOrdinal = uint16_t;

inline constexpr int FallbackStubCount = 15;

extern "C" {
// Looks the ordinal up in the host module and fills the slot with the host's
// entry, a fallback the user agreed to, or nothing.
void BindHostService(HostServiceOrdinal ordinal, void** slot);
// Shows the missing-entry dialog. 1: the service is to get a fallback; 0: it
// stays unbound (the user chose Abort).
int ReportMissingService(HostServiceOrdinal ordinal);
// Writes the fallback that the ordinal calls for, or nothing, into the slot.
void ChooseFallback(HostServiceOrdinal ordinal, void** slot);

// Set once the user has answered Ignore; further misses are bound silently.
extern bool IgnoreMissingServices;

// Do-nothing entries: entry k removes k 32-bit arguments and returns 0.
extern void* const FallbackStubTable[FallbackStubCount];
}

// Per service, in table order.
using HostServiceTestEntry = int (*)();
extern const HostServiceTestEntry HostServiceTestEntries[HostServiceCount];
extern void* const HostServiceLazyEntries[HostServiceCount];
// Do-nothing stand-ins with the service's own convention and arguments: they
// remove exactly the argument bytes the service's callers pass to the callee
// (none for caller-cleanup services) and return 0, or 0.0 for a double.
extern void* const HostServiceFallbacks[HostServiceCount];
// Bytes of arguments a callee of the service removes from the stack.
extern const int HostServiceCalleeArgumentBytes[HostServiceCount];
// True when the service's result comes back in the FPU register.
extern const bool HostServiceReturnsDouble[HostServiceCount];

// The FallbackStubTable entry an ordinal asks for, or -1 when none:
// ordinal % 100 == 99 gives entry 0; a multiple of 4 up to 56 gives entry r/4.
int FallbackStubIndex(HostServiceOrdinal ordinal);

// For operation-level use: looks every service up by ordinal in hostModule and
// fills its slot, with no dialog and no fallback. Returns the number of
// services the host lacks (their slots stay empty).
int BindHostServicesFrom(HMODULE hostModule);
