// Host state and table services.
#include "host/host_records.h"
#include "host_state.h"
#include "korpus_exports.h"

using namespace korpus;

namespace {
int16_t CurrentWarehouse = 0;
int32_t CurrentGoods = 0;
}  // namespace

// ---------------------------------------------------------------------------
// 51594 HostApiLevel
// ---------------------------------------------------------------------------
int __stdcall Korpus_HostApiLevel() {
    Enter("HostApiLevel");
    return State().apiLevel;
}

// ---------------------------------------------------------------------------
// 52256 HostGetTable
// ---------------------------------------------------------------------------
HostTableDescriptor* __stdcall Korpus_HostGetTable(int tableNumber) {
    Enter("HostGetTable");
    Table* table = FindTable(tableNumber);
    Record("get_table", {{"table", tableNumber}, {"present", table != nullptr}});
    return table != nullptr ? &table->descriptor : nullptr;
}

// ---------------------------------------------------------------------------
// 52465 HostUseTable
// ---------------------------------------------------------------------------
int __stdcall Korpus_HostUseTable(HostTableDescriptor* descriptor, int mode) {
    Enter("HostUseTable");
    if (TableOf(descriptor, "HostUseTable") == nullptr) return 0;
    if (mode != HostUseTableMode) Violation("HostUseTable", "mode " + std::to_string(mode) + " is not 255");
    return 1;
}

// ---------------------------------------------------------------------------
// 52265 HostWarehouseNo
// ---------------------------------------------------------------------------
int16_t* __stdcall Korpus_HostWarehouseNo() {
    Enter("HostWarehouseNo");
    return &CurrentWarehouse;
}

// ---------------------------------------------------------------------------
// 52266 HostGoodsNo
// ---------------------------------------------------------------------------
int32_t* __stdcall Korpus_HostGoodsNo() {
    Enter("HostGoodsNo");
    return &CurrentGoods;
}

// ---------------------------------------------------------------------------
// 52460 HostUserBreak
// ---------------------------------------------------------------------------
// The user presses break when the scenario says ("user_break": [N, ...]):
// the Nth call reports it (1), every other call reports none (0). A break is
// reported once; asking again finds the key released.
int __stdcall Korpus_HostUserBreak() {
    const int call = Enter("HostUserBreak");
    const bool pressed = State().userBreakCalls.count(call) != 0;
    if (pressed) Record("user_break", {{"call", call}});
    return pressed ? 1 : 0;
}

// ---------------------------------------------------------------------------
// 51425 HostSetScanKey
// ---------------------------------------------------------------------------
int __stdcall Korpus_HostSetScanKey(int keyNumber, HostTableDescriptor** table, void* keyBuffer, int reserved) {
    Enter("HostSetScanKey");
    (void)keyNumber, (void)table, (void)keyBuffer, (void)reserved;
    Unimplemented("HostSetScanKey");
    return 0;
}

// ---------------------------------------------------------------------------
// 52278 HostScanFirst
// ---------------------------------------------------------------------------
int __stdcall Korpus_HostScanFirst(void* scanState, HostTableDescriptor* table, int keyNumber, void* keyBuffer,
                                   int a5, int a6) {
    Enter("HostScanFirst");
    (void)scanState, (void)table, (void)keyNumber, (void)keyBuffer, (void)a5, (void)a6;
    Unimplemented("HostScanFirst");
    return 0;
}

// ---------------------------------------------------------------------------
// 52279 HostScanNext
// ---------------------------------------------------------------------------
int __stdcall Korpus_HostScanNext(void* scanState) {
    Enter("HostScanNext");
    (void)scanState;
    Unimplemented("HostScanNext");
    return 0;
}

// ---------------------------------------------------------------------------
// 52281 HostScanClose
// ---------------------------------------------------------------------------
int __stdcall Korpus_HostScanClose(void* scanState) {
    Enter("HostScanClose");
    (void)scanState;
    Unimplemented("HostScanClose");
    return 0;
}

// ---------------------------------------------------------------------------
// 52412 HostSeekGoods
// ---------------------------------------------------------------------------
int __stdcall Korpus_HostSeekGoods(int mode, int reserved) {
    Enter("HostSeekGoods");
    (void)mode, (void)reserved;
    Unimplemented("HostSeekGoods");
    return 0;
}

// ---------------------------------------------------------------------------
// 38417 HostSpare
// ---------------------------------------------------------------------------
// Bound by the plug-in like every service; nothing calls it.
int __stdcall Korpus_HostSpare() {
    Enter("HostSpare");
    Violation("HostSpare", "the plug-in is not expected to call this service");
    return 0;
}
