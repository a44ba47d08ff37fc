#include "host/host_services.h"

// The table order must match the indices in the list.
namespace {
constexpr int ListedIndices[] = {
#define ZB_HOST_SERVICE(index, name, ordinal, conv, ret, params) index,
#include "host/host_services.def"
#undef ZB_HOST_SERVICE
};
constexpr bool IndicesRunInTableOrder() {
    for (int i = 0; i < static_cast<int>(sizeof ListedIndices / sizeof ListedIndices[0]); ++i)
        if (ListedIndices[i] != i) return false;
    return sizeof ListedIndices / sizeof ListedIndices[0] == HostServiceCount;
}
static_assert(IndicesRunInTableOrder(), "host_services.def: indices must be 0..85 in row order");
}  // namespace

const HostServiceInfo HostServiceList[HostServiceCount] = {
#define ZB_HOST_SERVICE(index, name, ordinal, conv, ret, params) \
    {#name, ordinal, ZB_CONVENTION_##conv},
#include "host/host_services.def"
#undef ZB_HOST_SERVICE
};

// The call entries: "jmp *HostServiceTable[index]", the bytes FF 25 and the
// slot's absolute address. The caller's arguments and registers pass untouched.
#define ZB_HOST_SERVICE(index, name, ordinal, conv, ret, params) \
    __asm__(".globl _zbcall_" #name "\n"                          \
            "\t.balign 8\n"                                       \
            "_zbcall_" #name ":\n"                                \
            "\tjmp *_HostServiceTable+" #index "*4\n");
__asm__("\t.text\n");
#include "host/host_services.def"
#undef ZB_HOST_SERVICE

// HostServiceTable itself, with the lazy entries it holds at load, belongs to
// the binding (src/shell/host_binding.cpp).
