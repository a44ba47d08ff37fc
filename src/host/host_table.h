// The host's descriptor of one table, as HostGetTable hands it out.
//
// The descriptor belongs to the host and stays valid while the plug-in is
// loaded. The plug-in relies on three of its fields only; everything else is
// the host's and is never touched.
#pragma once

#include <cstddef>
#include <cstdint>

// The host's table event handler: eleven 32-bit arguments, callee cleanup.
// The first is the event code, the second the document type (low 16 bits count).
using TableEventHandler = int(__attribute__((stdcall)) *)(uint32_t eventCode, uint32_t documentType,
                                                         uint32_t a3, uint32_t a4, uint32_t a5,
                                                         uint32_t a6, uint32_t a7, uint32_t a8,
                                                         uint32_t a9, uint32_t a10, uint32_t a11);

#pragma pack(push, 1)
struct HostTableDescriptor {
    uint8_t hostHead[6];
    int16_t recordSize;           // signed, widened with its sign where compared
    void* recordBuffer;           // the current record: scans, seeks and documents deliver here
    uint8_t hostMiddle[92];
    TableEventHandler eventHandler;
};
#pragma pack(pop)

static_assert(offsetof(HostTableDescriptor, recordSize) == 6);
static_assert(offsetof(HostTableDescriptor, recordBuffer) == 8);
static_assert(offsetof(HostTableDescriptor, eventHandler) == 104);
static_assert(sizeof(HostTableDescriptor) == 108);

// Host tables by number.
namespace HostTable {
inline constexpr int Tzak = 52;       // order headers
inline constexpr int TzakDok = 53;    // order lines
inline constexpr int K4 = 35;
inline constexpr int K9 = 49;         // goods
inline constexpr int GoodsCodes = 117;  // further codes of goods per warehouse
}  // namespace HostTable

// Mode passed to HostUseTable before a table's record buffer is used.
inline constexpr int HostUseTableMode = 255;
