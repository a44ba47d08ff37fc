// The host's dialog class WDialogBase, the embedded list object, and the
// dialog services.
#include <cstring>
#include <set>

#include "dialog_objects.h"
#include "host_state.h"
#include "korpus_exports.h"

using namespace korpus;

namespace {

constexpr uint32_t DialogMagic = 0x4B444C47;
constexpr uint32_t ListMagic = 0x4B4C5354;
constexpr int ListSize = 20;

std::set<const void*>& LiveDialogs() {
    static std::set<const void*> live;
    return live;
}
std::set<const void*>& LiveLists() {
    static std::set<const void*> live;
    return live;
}

WDialogBase* __thiscall HostDialogDeletingDestructor(WDialogBase* self, unsigned) { return self; }

int DialogOperation(int slot, WDialogBase* self) {
    Record("dialog_operation", {{"slot", slot}, {"known_object", LiveDialogs().count(self) == 1}});
    return 0;
}

// The host's own table of the class: its destructor and the 34 operations.
const void* const HostDialogTable[WDialogBaseVirtualSlots] = {
    reinterpret_cast<const void*>(&HostDialogDeletingDestructor),
#define KORPUS_SLOT(n) reinterpret_cast<const void*>(&Korpus_WDialogBaseSlot##n),
    KORPUS_SLOT(01) KORPUS_SLOT(02) KORPUS_SLOT(03) KORPUS_SLOT(04) KORPUS_SLOT(05) KORPUS_SLOT(06)
    KORPUS_SLOT(07) KORPUS_SLOT(08) KORPUS_SLOT(09) KORPUS_SLOT(10) KORPUS_SLOT(11) KORPUS_SLOT(12)
    KORPUS_SLOT(13) KORPUS_SLOT(14) KORPUS_SLOT(15) KORPUS_SLOT(16) KORPUS_SLOT(17) KORPUS_SLOT(18)
    KORPUS_SLOT(19) KORPUS_SLOT(20) KORPUS_SLOT(21) KORPUS_SLOT(22) KORPUS_SLOT(23) KORPUS_SLOT(24)
    KORPUS_SLOT(25) KORPUS_SLOT(26) KORPUS_SLOT(27) KORPUS_SLOT(28) KORPUS_SLOT(29) KORPUS_SLOT(30)
    KORPUS_SLOT(31) KORPUS_SLOT(32) KORPUS_SLOT(33) KORPUS_SLOT(34)
#undef KORPUS_SLOT
};

// Follows a plug-in's call entry ("jmp *[slot]", FF 25 and an absolute
// address) to where it leads.
const void* ResolveEntry(const void* entry) {
    const uint8_t* code = static_cast<const uint8_t*>(entry);
    if (code != nullptr && code[0] == 0xFF && code[1] == 0x25) {
        const void* const* slot;
        std::memcpy(&slot, code + 2, sizeof slot);
        return *slot;
    }
    return entry;
}

}  // namespace

namespace korpus {

bool CheckDialogObject(const char* service, const WDialogBase* dialog) {
    if (dialog == nullptr) {
        Violation(service, "null dialog object");
        return false;
    }
    if (LiveDialogs().count(dialog) == 0) {
        Violation(service, "dialog object was not built by the WDialogBase constructor");
        return false;
    }
    bool fine = true;
    for (int slot = 1; slot < WDialogBaseVirtualSlots; ++slot) {
        if (ResolveEntry(dialog->virtualTable[slot]) != HostDialogTable[slot]) {
            Violation(service, "virtual-table slot " + std::to_string(slot) +
                                   " of the dialog object does not lead to the host's operation");
            fine = false;
        }
    }
    return fine;
}

}  // namespace korpus

// ---------------------------------------------------------------------------
// 20902 WDialogBase constructor
// ---------------------------------------------------------------------------
WDialogBase* __thiscall Korpus_WDialogBaseConstruct(WDialogBase* self) {
    Enter("WDialogBaseConstruct");
    if (self == nullptr) {
        Violation("WDialogBaseConstruct", "null object");
        return self;
    }
    if (LiveDialogs().count(self) != 0) Violation("WDialogBaseConstruct", "object constructed twice");
    self->virtualTable = HostDialogTable;
    self->hostMember = DialogMagic;
    LiveDialogs().insert(self);
    Record("dialog_constructed");
    return self;
}

// ---------------------------------------------------------------------------
// 20903 WDialogBase destructor
// ---------------------------------------------------------------------------
void __thiscall Korpus_WDialogBaseDestruct(WDialogBase* self) {
    Enter("WDialogBaseDestruct");
    if (self == nullptr || LiveDialogs().count(self) == 0) {
        Violation("WDialogBaseDestruct", "object is not a constructed dialog");
        return;
    }
    if (self->hostMember != DialogMagic) Violation("WDialogBaseDestruct", "the host's member was overwritten");
    self->virtualTable = HostDialogTable;
    self->hostMember = 0;
    LiveDialogs().erase(self);
    Record("dialog_destroyed");
}

// ---------------------------------------------------------------------------
// 20937..20967, 24002..24004 the virtual operations of WDialogBase
// ---------------------------------------------------------------------------
// The host reaches these through a dialog's virtual table; the reference host
// records each call.
#define KORPUS_DIALOG_OPERATION(n) \
    int __thiscall Korpus_WDialogBaseSlot##n(WDialogBase* self) { return DialogOperation(1##n - 100, self); }
KORPUS_DIALOG_OPERATION(01) KORPUS_DIALOG_OPERATION(02) KORPUS_DIALOG_OPERATION(03)
KORPUS_DIALOG_OPERATION(04) KORPUS_DIALOG_OPERATION(05) KORPUS_DIALOG_OPERATION(06)
KORPUS_DIALOG_OPERATION(07) KORPUS_DIALOG_OPERATION(08) KORPUS_DIALOG_OPERATION(09)
KORPUS_DIALOG_OPERATION(10) KORPUS_DIALOG_OPERATION(11) KORPUS_DIALOG_OPERATION(12)
KORPUS_DIALOG_OPERATION(13) KORPUS_DIALOG_OPERATION(14) KORPUS_DIALOG_OPERATION(15)
KORPUS_DIALOG_OPERATION(16) KORPUS_DIALOG_OPERATION(17) KORPUS_DIALOG_OPERATION(18)
KORPUS_DIALOG_OPERATION(19) KORPUS_DIALOG_OPERATION(20) KORPUS_DIALOG_OPERATION(21)
KORPUS_DIALOG_OPERATION(22) KORPUS_DIALOG_OPERATION(23) KORPUS_DIALOG_OPERATION(24)
KORPUS_DIALOG_OPERATION(25) KORPUS_DIALOG_OPERATION(26) KORPUS_DIALOG_OPERATION(27)
KORPUS_DIALOG_OPERATION(28) KORPUS_DIALOG_OPERATION(29) KORPUS_DIALOG_OPERATION(30)
KORPUS_DIALOG_OPERATION(31) KORPUS_DIALOG_OPERATION(32) KORPUS_DIALOG_OPERATION(33)
KORPUS_DIALOG_OPERATION(34)
#undef KORPUS_DIALOG_OPERATION

// ---------------------------------------------------------------------------
// 22140 HostListInit
// ---------------------------------------------------------------------------
void __thiscall Korpus_HostListInit(void* list) {
    Enter("HostListInit");
    if (list == nullptr) {
        Violation("HostListInit", "null list object");
        return;
    }
    if (LiveLists().count(list) != 0) Violation("HostListInit", "list object initialised twice");
    std::memset(list, 0, ListSize);
    std::memcpy(list, &ListMagic, sizeof ListMagic);
    LiveLists().insert(list);
    Record("list_initialised");
}

// ---------------------------------------------------------------------------
// 22141 HostListDone
// ---------------------------------------------------------------------------
void __thiscall Korpus_HostListDone(void* list) {
    Enter("HostListDone");
    if (list == nullptr || LiveLists().count(list) == 0) {
        Violation("HostListDone", "object is not an initialised list");
        return;
    }
    uint32_t magic;
    std::memcpy(&magic, list, sizeof magic);
    if (magic != ListMagic) Violation("HostListDone", "the list object was overwritten");
    std::memset(list, 0, ListSize);
    LiveLists().erase(list);
    Record("list_done");
}

// ---------------------------------------------------------------------------
// 24007 HostDialogExecute
// ---------------------------------------------------------------------------
int __cdecl Korpus_HostDialogExecute(WDialogBase* dialog, const void* dialogTemplate, int dialogId, void* data,
                                     int reserved) {
    Enter("HostDialogExecute");
    CheckDialogObject("HostDialogExecute", dialog);
    (void)dialogTemplate, (void)dialogId, (void)data, (void)reserved;
    Unimplemented("HostDialogExecute");
    return DialogResultEscape;
}

namespace korpus {
void ForgetDialogObjects() {
    LiveDialogs().clear();
    LiveLists().clear();
}
int LiveDialogObjects() { return static_cast<int>(LiveDialogs().size() + LiveLists().size()); }
}  // namespace korpus
