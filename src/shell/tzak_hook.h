// The hook on the Tzak table's event handler.
#pragma once

#include <cstdint>

#include "common/size_check.h"
#include "host/host_table.h"

inline constexpr uint32_t CollectiveOrderEvent = 236;
inline constexpr uint16_t OrderDocumentType = 701;

// The descriptor whose handler slot holds the hook, or none: the sign that
// the hook is installed.
extern HostTableDescriptor* HookedTzakTable;
// What the slot held before installation; kept after removal.
extern TableEventHandler SavedTzakHandler;
// The node that a refused installation adds to SizeCheckList.
extern SizeCheck TzakHookSizeCheck;

// 0 when the hook is installed by this call or was already; -1 when refused.
int InstallTzakHook();
// Puts the saved handler back if the hook is installed. 0 in every case.
int RemoveTzakHook();

// The hook itself: sees every Tzak event before the host's own handler.
extern "C" int __attribute__((stdcall)) TzakEventHook(uint32_t eventCode, uint32_t documentType, uint32_t a3,
                                                      uint32_t a4, uint32_t a5, uint32_t a6, uint32_t a7,
                                                      uint32_t a8, uint32_t a9, uint32_t a10, uint32_t a11);
