// The host's dialog base class, as far as a derived object needs to know it.
//
// The host is built with the platform's native C++ compiler: the virtual-table
// pointer comes first, slot 0 is the scalar deleting destructor (thiscall, one
// flag argument, returns the object). The cross compiler lays out its own
// virtual tables differently, so derived classes carry an explicit table.
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
struct WDialogBase {
    const void* const* virtualTable;
    uint32_t hostMember;  // the host's; never touched by the plug-in
};
#pragma pack(pop)

static_assert(sizeof(WDialogBase) == 8);

// Slot 0 plus the 34 virtual operations of the host class.
inline constexpr int WDialogBaseVirtualSlots = 35;
