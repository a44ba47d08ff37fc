#include "shell/import_guard.h"

#include <windows.h>

namespace {

ImportGuard* ChainHead() {
    ImportGuard* head;
    __asm__ volatile("movl %%fs:0, %0" : "=r"(head) : : "memory");
    return head;
}

void SetChainHead(ImportGuard* head) { __asm__ volatile("movl %0, %%fs:0" : : "r"(head) : "memory"); }

EXCEPTION_DISPOSITION __cdecl UnwindImport(EXCEPTION_RECORD* record, void* establisher, CONTEXT*, void*) {
    if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) {
        ImportGuard* guard = static_cast<ImportGuard*>(establisher);
        DestroyKolektor(guard->object, &guard->built);
    }
    return ExceptionContinueSearch;
}

}  // namespace

void EnterImportGuard(ImportGuard* guard, CKolektor* object) {
    guard->handler = reinterpret_cast<void*>(&UnwindImport);
    guard->object = object;
    guard->built = KolektorBuilt::Nothing;
    guard->previous = ChainHead();
    SetChainHead(guard);
}

void LeaveImportGuard(ImportGuard* guard) { SetChainHead(guard->previous); }
