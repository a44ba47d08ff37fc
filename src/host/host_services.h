// Declarations of the host's numbered services.
//
// Every call of a service goes through its call entry: one indirect jump
// through the service's slot in HostServiceTable. The list itself is in
// host_services.def; the slots are bound at load (src/shell/host_binding.h).
#pragma once

#include <cstdarg>
#include <cstdint>
#include <cstdio>

#include "host/host_table.h"
#include "host/wdialog_base.h"

// A C runtime file stream handed out by HostOpenFile.
using HostStream = FILE*;

#define ZB_CC_stdcall __attribute__((stdcall))
#define ZB_CC_cdecl __attribute__((cdecl))
#define ZB_CC_thiscall __attribute__((thiscall))

enum class HostCallConvention : uint8_t { Stdcall, Cdecl, Thiscall };
#define ZB_CONVENTION_stdcall HostCallConvention::Stdcall
#define ZB_CONVENTION_cdecl HostCallConvention::Cdecl
#define ZB_CONVENTION_thiscall HostCallConvention::Thiscall

// Index of each service in HostServiceTable.
enum class HostService : int {
#define ZB_HOST_SERVICE(index, name, ordinal, conv, ret, params) name = index,
#include "host/host_services.def"
#undef ZB_HOST_SERVICE
};

inline constexpr int HostServiceCount = 86;

struct HostServiceInfo {
    const char* name;
    uint16_t ordinal;
    HostCallConvention convention;
};

// The list in table order, for binding and for reports.
extern const HostServiceInfo HostServiceList[HostServiceCount];

extern "C" {
// One slot per service; every call entry jumps through its slot.
extern void* HostServiceTable[HostServiceCount];

// The call entries. Their assembler names are fixed so that the entries can
// be generated in assembly whatever the convention decorates.
#define ZB_HOST_SERVICE(index, name, ordinal, conv, ret, params) \
    ret ZB_CC_##conv name params __asm__("_zbcall_" #name);
#include "host/host_services.def"
#undef ZB_HOST_SERVICE
}

// Constants of the message and profile services.
inline constexpr int MessageFlagsPlain = 1;
inline constexpr int MessageFlagsRefusal = 0xC001;
inline constexpr int DialogResultOk = 0x5001;      // key F12
inline constexpr int DialogResultEscape = 0x5002;  // key ESC
inline constexpr int ProfileRead = 8;
inline constexpr int ProfileWrite = 9;
inline constexpr int CodePageMazovia = 1;
inline constexpr int CodePageWindows = 3;
