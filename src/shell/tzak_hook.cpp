#include "shell/tzak_hook.h"

#include "common/texts.h"
#include "host/host_records.h"
#include "host/host_services.h"
#include "shell/import_guard.h"
#include "shell/kolektor.h"

HostTableDescriptor* HookedTzakTable = nullptr;
TableEventHandler SavedTzakHandler = nullptr;
SizeCheck TzakHookSizeCheck = {};

int InstallTzakHook() {
    if (HookedTzakTable != nullptr) return 0;
    HostTableDescriptor* tzak = HostGetTable(HostTable::Tzak);
    if (tzak != nullptr && tzak->recordSize == RecordSize::Tzak) {
        SavedTzakHandler = tzak->eventHandler;
        tzak->eventHandler = &TzakEventHook;
        HookedTzakTable = tzak;
        return 0;
    }
    TzakHookSizeCheck.ExpectedSize = RecordSize::Tzak;
    TzakHookSizeCheck.HostSize = tzak != nullptr ? tzak->recordSize : 0;
    TzakHookSizeCheck.TableName = "Tzak"_mz;
    // The link is left alone: after an earlier refusal the node already stands
    // in the list, and clearing it would cut off the nodes found since.
    // AddSizeMismatch clears it when it appends the node.
    return AddSizeMismatch(&TzakHookSizeCheck);
}

int RemoveTzakHook() {
    if (HookedTzakTable != nullptr) {
        HookedTzakTable->eventHandler = SavedTzakHandler;
        HookedTzakTable = nullptr;
    }
    return 0;
}

namespace {

// The host's own handler gets every event. A descriptor whose slot held no
// handler when the hook went in has nobody to pass the event to: the event
// then counts as handled with result 0, as if the hook were not there.
int ForwardEvent(uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4, uint32_t a5, uint32_t a6, uint32_t a7,
                 uint32_t a8, uint32_t a9, uint32_t a10, uint32_t a11) {
    if (SavedTzakHandler == nullptr) return 0;
    return SavedTzakHandler(a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11);
}

}  // namespace

extern "C" int __attribute__((stdcall)) TzakEventHook(uint32_t eventCode, uint32_t documentType, uint32_t a3,
                                                      uint32_t a4, uint32_t a5, uint32_t a6, uint32_t a7,
                                                      uint32_t a8, uint32_t a9, uint32_t a10, uint32_t a11) {
    if (eventCode != CollectiveOrderEvent || static_cast<uint16_t>(documentType) != OrderDocumentType)
        return ForwardEvent(eventCode, documentType, a3, a4, a5, a6, a7, a8, a9, a10, a11);

    alignas(4) unsigned char storage[sizeof(CKolektor)];
    CKolektor* import = reinterpret_cast<CKolektor*>(storage);
    ImportGuard guard;
    EnterImportGuard(&guard, import);
    ConstructKolektor(import, &guard.built);

    if (import->AskImportDirectory() != 0) {
        const int result =
            ForwardEvent(CollectiveOrderEvent, OrderDocumentType, a3, a4, a5, a6, a7, a8, a9, a10, a11);
        DestroyKolektor(import, &guard.built);
        LeaveImportGuard(&guard);
        return result;
    }
    import->ScanOrderDirectory();
    import->WypelnijTowaryTzak();
    DestroyKolektor(import, &guard.built);
    LeaveImportGuard(&guard);
    return ForwardEvent(eventCode, documentType, a3, a4, a5, a6, a7, a8, a9, a10, a11);
}
