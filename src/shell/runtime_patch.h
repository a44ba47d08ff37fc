// Redirection of two routines of the runtime linked into the plug-in.
//
// A routine's entry is rewritten into a relative jump to a hook. Where the
// entry was the hot-patch prologue, the overwritten bytes move into a
// trampoline slot that then serves as the routine's unpatched entry.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/file_information.h"
#include "runtime/float_to_decimal.h"

// jmp rel32, the instruction every patch writes.
#pragma pack(push, 1)
struct RelativeJump {
    uint8_t opcode;        // E9: jmp rel32
    int32_t displacement;  // destination minus the end of this instruction
};
#pragma pack(pop)
static_assert(sizeof(RelativeJump) == 5);

// One slot of a trampoline store: a complete substitute entry of a patched
// routine, with its claim word.
struct TrampolineSlot {
    uint8_t prologue[5];  // the routine's own first five bytes
    RelativeJump resume;  // on to the routine, 5 bytes after its start
    uint8_t unused[2];
    uint32_t claim;       // TrampolineSlotFree or TrampolineSlotTaken
};
static_assert(sizeof(TrampolineSlot) == 16);
static_assert(offsetof(TrampolineSlot, resume) == 5);
static_assert(offsetof(TrampolineSlot, claim) == 12);

inline constexpr int TrampolineSlotCount = 2;
inline constexpr uint32_t TrampolineSlotFree = 0;
inline constexpr uint32_t TrampolineSlotTaken = 0xFFFFFFFF;

extern "C" {
// The plug-in's trampoline store: a page-aligned section of its own, 32 bytes
// of zeros at load, readable and executable, never writable except while a
// patch fills a slot.
extern TrampolineSlot TrampolinePage[TrampolineSlotCount];
}

// Ways to the unpatched routines: the routines' entries until patched, then
// what PatchCodeEntry leaves there.
extern FloatToDecimalRoutine UnpatchedFloatToDecimal;
extern FileInfoByHandleRoutine UnpatchedFileInfoByHandle;

// Redirects the entry of the routine at target to hook. *unpatched receives
// the way to the routine's old behaviour before the entry changes. Non-zero on
// success; 0 when nothing was changed (neither form, no free slot, a
// protection that could not be changed, an entry that jumps to hook already).
int PatchCodeEntry(void* target, void** unpatched, const void* hook);
// The same with a trampoline store of the caller's, laid out and protected
// like TrampolinePage.
int PatchCodeEntryUsing(TrampolineSlot* store, void* target, void** unpatched, const void* hook);

// A slot of TrampolinePage that is now the caller's, or null when all are
// taken. The claim writes the store: only while the store is writable, as
// PatchCodeEntry makes it for the claim.
TrampolineSlot* ClaimTrampolineSlot();
TrampolineSlot* ClaimTrampolineSlotOf(TrampolineSlot* store);

// Stands in front of FloatToDecimal: a value equal to zero goes on as +0.0.
int PositiveZeroHook(double value, int mode, int digitCount, int* decimalPoint, char* digits);

// The two patches of the attach step; a failed patch leaves its routine as built.
void PatchRuntimeRoutines();
