// Calls an entry the way a compiled caller would and reports what the callee
// did to the caller's stack and registers.
#pragma once

#include <cstdint>

struct ProbeOutcome {
    int bytesLeft;                // argument bytes still on the stack after the call
    uint32_t eax;                 // the result register
    uint32_t ebx, esi, edi, ebp;  // registers a callee must preserve, after the call
};

// What the probe puts in the registers a callee must preserve, and in EAX.
inline constexpr uint32_t ProbeEbx = 0x0B0B0B0B, ProbeEsi = 0x05050505, ProbeEdi = 0x0D0D0D0D,
                          ProbeEbp = 0x0E0E0E0E, ProbeGarbage = 0x5A5A5A5A;

// Pushes argumentBytes of zeros, puts objectPointer in ECX (for thiscall) and
// garbage in EAX, and calls entry.
extern "C" void ProbeCall(void* entry, int argumentBytes, void* objectPointer, ProbeOutcome* outcome);
