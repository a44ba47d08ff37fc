#include "shell/runtime_patch.h"

#include <windows.h>

#include <cstring>

namespace {

// The entry of a routine built for hot patching.
constexpr uint8_t HotPatchPrologue[5] = {
    0x8B, 0xFF,  // mov edi, edi: does nothing, there to be overwritten
    0x55,        // push ebp
    0x8B, 0xEC,  // mov ebp, esp
};
constexpr uint8_t RelativeJumpOpcode = 0xE9;
constexpr size_t PatchSize = sizeof(RelativeJump);
constexpr size_t TrampolineStoreSize = sizeof(TrampolineSlot) * TrampolineSlotCount;
static_assert(sizeof HotPatchPrologue == PatchSize);

// Makes a range writable and executable for as long as it lives, and puts the
// old protection back when it goes, on every path.
class WritableCode {
public:
    WritableCode(void* address, size_t size) : address_(address), size_(size) {
        changed_ = VirtualProtect(address_, size_, PAGE_EXECUTE_READWRITE, &old_) != 0;
    }
    ~WritableCode() {
        if (!changed_) return;
        DWORD ignored;
        VirtualProtect(address_, size_, old_, &ignored);
    }
    WritableCode(const WritableCode&) = delete;
    WritableCode& operator=(const WritableCode&) = delete;
    bool Changed() const { return changed_; }
    void Flush(const void* at, size_t size) const { FlushInstructionCache(GetCurrentProcess(), at, size); }

private:
    void* address_;
    size_t size_;
    DWORD old_ = 0;
    bool changed_ = false;
};

// The jump's displacement from the end of a 5-byte jump at `from` to `to`;
// wraps modulo 2^32, so every address is in reach.
int32_t DisplacementTo(const void* from, const void* to) {
    return static_cast<int32_t>(reinterpret_cast<uintptr_t>(to) - reinterpret_cast<uintptr_t>(from) - PatchSize);
}

void* DestinationOf(const RelativeJump& jump) {
    return reinterpret_cast<void*>(reinterpret_cast<uintptr_t>(&jump) + PatchSize +
                                   static_cast<uint32_t>(jump.displacement));
}

// First form: the entry already jumps; retarget the jump, the old
// destination becomes the way to the unpatched behaviour.
int RetargetJump(RelativeJump* entry, void** unpatched, const void* hook) {
    // A second patch with the same hook would make the hook its own way to the
    // unpatched routine, and every call would recurse until the stack ends.
    if (DestinationOf(*entry) == hook) return 0;
    WritableCode target(entry, PatchSize);
    if (!target.Changed()) return 0;
    *unpatched = DestinationOf(*entry);
    entry->displacement = DisplacementTo(entry, hook);
    target.Flush(entry, PatchSize);
    return 1;
}

// Second form: the entry is the hot-patch prologue. It moves into a slot
// that jumps back behind it, and the entry becomes a jump to the hook.
int PatchHotPatchPrologue(TrampolineSlot* store, uint8_t* entry, void** unpatched, const void* hook) {
    WritableCode target(entry, PatchSize);
    if (!target.Changed()) return 0;
    WritableCode page(store, TrampolineStoreSize);
    if (!page.Changed()) return 0;
    TrampolineSlot* slot = ClaimTrampolineSlotOf(store);
    if (slot == nullptr) return 0;

    std::memcpy(slot->prologue, entry, PatchSize);
    slot->resume.opcode = RelativeJumpOpcode;
    slot->resume.displacement = DisplacementTo(&slot->resume, entry + PatchSize);
    page.Flush(slot, offsetof(TrampolineSlot, unused));
    *unpatched = slot;

    RelativeJump redirect{RelativeJumpOpcode, DisplacementTo(entry, hook)};
    std::memcpy(entry, &redirect, PatchSize);
    target.Flush(entry, PatchSize);
    return 1;  // the page's protection goes back first, then the target's
}

}  // namespace

// The store lives in a section of its own so that only these 32 bytes, and
// no code, change protection while a slot is filled.
__asm__(".section .tramp,\"xr\"\n"
        "\t.balign 4096\n"
        "\t.globl _TrampolinePage\n"
        "_TrampolinePage:\n"
        "\t.fill 32,1,0\n"
        "\t.text\n");

FloatToDecimalRoutine UnpatchedFloatToDecimal = FloatToDecimal;
FileInfoByHandleRoutine UnpatchedFileInfoByHandle = RuntimeGetFileInformationByHandleEx;

TrampolineSlot* ClaimTrampolineSlotOf(TrampolineSlot* store) {
    for (int i = 0; i < TrampolineSlotCount; ++i) {
        auto* claim = reinterpret_cast<volatile LONG*>(&store[i].claim);
        if (InterlockedCompareExchange(claim, static_cast<LONG>(TrampolineSlotTaken),
                                       static_cast<LONG>(TrampolineSlotFree)) ==
            static_cast<LONG>(TrampolineSlotFree))
            return &store[i];
    }
    return nullptr;
}

TrampolineSlot* ClaimTrampolineSlot() { return ClaimTrampolineSlotOf(TrampolinePage); }

int PatchCodeEntryUsing(TrampolineSlot* store, void* target, void** unpatched, const void* hook) {
    auto* entry = static_cast<uint8_t*>(target);
    if (entry[0] == RelativeJumpOpcode) return RetargetJump(reinterpret_cast<RelativeJump*>(entry), unpatched, hook);
    if (std::memcmp(entry, HotPatchPrologue, PatchSize) == 0)
        return PatchHotPatchPrologue(store, entry, unpatched, hook);
    return 0;
}

int PatchCodeEntry(void* target, void** unpatched, const void* hook) {
    return PatchCodeEntryUsing(TrampolinePage, target, unpatched, hook);
}

int PositiveZeroHook(double value, int mode, int digitCount, int* decimalPoint, char* digits) {
    if (value == 0.0) value = 0.0;  // -0.0 == 0.0 holds; a NaN never equals
    return UnpatchedFloatToDecimal(value, mode, digitCount, decimalPoint, digits);
}

// The compatibility library's function, reached through the delay-load
// import table: this stub's only instruction jumps through the import slot,
// which loads ZGODA32 on the first call. It is declared here without
// dllimport on purpose; a dllimport declaration leaves that slot empty.
extern "C" BOOL WINAPI ZgodaGetFileInformationByHandleEx(HANDLE file, FILE_INFO_BY_HANDLE_CLASS infoClass,
                                                       LPVOID info, DWORD infoSize)
    __asm__("_GetFileInformationByHandleEx@16");

void PatchRuntimeRoutines() {
    PatchCodeEntry(reinterpret_cast<void*>(FloatToDecimal), reinterpret_cast<void**>(&UnpatchedFloatToDecimal),
                   reinterpret_cast<const void*>(PositiveZeroHook));
    PatchCodeEntry(reinterpret_cast<void*>(RuntimeGetFileInformationByHandleEx),
                   reinterpret_cast<void**>(&UnpatchedFileInfoByHandle),
                   reinterpret_cast<const void*>(ZgodaGetFileInformationByHandleEx));
}
