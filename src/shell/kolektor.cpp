#include "shell/kolektor.h"

#include <new>

extern "C" CKolektor* __attribute__((thiscall)) CKolektorDeletingDestructor(CKolektor* self, unsigned flags);

const void* const CKolektorVirtualTable[WDialogBaseVirtualSlots] = {
    reinterpret_cast<const void*>(&CKolektorDeletingDestructor),
    reinterpret_cast<const void*>(&WDialogBaseSlot01), reinterpret_cast<const void*>(&WDialogBaseSlot02),
    reinterpret_cast<const void*>(&WDialogBaseSlot03), reinterpret_cast<const void*>(&WDialogBaseSlot04),
    reinterpret_cast<const void*>(&WDialogBaseSlot05), reinterpret_cast<const void*>(&WDialogBaseSlot06),
    reinterpret_cast<const void*>(&WDialogBaseSlot07), reinterpret_cast<const void*>(&WDialogBaseSlot08),
    reinterpret_cast<const void*>(&WDialogBaseSlot09), reinterpret_cast<const void*>(&WDialogBaseSlot10),
    reinterpret_cast<const void*>(&WDialogBaseSlot11), reinterpret_cast<const void*>(&WDialogBaseSlot12),
    reinterpret_cast<const void*>(&WDialogBaseSlot13), reinterpret_cast<const void*>(&WDialogBaseSlot14),
    reinterpret_cast<const void*>(&WDialogBaseSlot15), reinterpret_cast<const void*>(&WDialogBaseSlot16),
    reinterpret_cast<const void*>(&WDialogBaseSlot17), reinterpret_cast<const void*>(&WDialogBaseSlot18),
    reinterpret_cast<const void*>(&WDialogBaseSlot19), reinterpret_cast<const void*>(&WDialogBaseSlot20),
    reinterpret_cast<const void*>(&WDialogBaseSlot21), reinterpret_cast<const void*>(&WDialogBaseSlot22),
    reinterpret_cast<const void*>(&WDialogBaseSlot23), reinterpret_cast<const void*>(&WDialogBaseSlot24),
    reinterpret_cast<const void*>(&WDialogBaseSlot25), reinterpret_cast<const void*>(&WDialogBaseSlot26),
    reinterpret_cast<const void*>(&WDialogBaseSlot27), reinterpret_cast<const void*>(&WDialogBaseSlot28),
    reinterpret_cast<const void*>(&WDialogBaseSlot29), reinterpret_cast<const void*>(&WDialogBaseSlot30),
    reinterpret_cast<const void*>(&WDialogBaseSlot31), reinterpret_cast<const void*>(&WDialogBaseSlot32),
    reinterpret_cast<const void*>(&WDialogBaseSlot33), reinterpret_cast<const void*>(&WDialogBaseSlot34),
};

void ConstructKolektor(CKolektor* self, volatile KolektorBuilt* built) {
    WDialogBaseConstruct(self);
    self->virtualTable = CKolektorVirtualTable;
    *built = KolektorBuilt::Base;
    HostListInit(self->hostList);
    *built = KolektorBuilt::Whole;
    self->positions = nullptr;
    self->positionCount = 0;
    self->positionCapacity = 0;
}

namespace {
void ReleasePositions(CKolektor* self) {
    if (self->positions != nullptr) HostFree(self->positions);
    self->positions = nullptr;
    self->positionCount = 0;
    self->positionCapacity = 0;
}
}  // namespace

void DestroyKolektor(CKolektor* self, volatile KolektorBuilt* built) {
    const KolektorBuilt stage = *built;
    // From here on the exception path has nothing left to undo: a fault inside
    // the teardown must not run it twice.
    *built = KolektorBuilt::Nothing;
    self->virtualTable = CKolektorVirtualTable;
    if (stage == KolektorBuilt::Whole) {
        ReleasePositions(self);
        HostListDone(self->hostList);
    }
    if (stage != KolektorBuilt::Nothing) WDialogBaseDestruct(self);
}

extern "C" CKolektor* __attribute__((thiscall)) CKolektorDeletingDestructor(CKolektor* self, unsigned flags) {
    KolektorBuilt built = KolektorBuilt::Whole;
    DestroyKolektor(self, &built);
    if (flags & 1) ::operator delete(static_cast<void*>(self));
    return self;
}
