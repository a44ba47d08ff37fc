// Memory services. Blocks carry a header and guard bytes, so that a foreign
// pointer, a double release and a write past the end show as violations.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "host_state.h"
#include "korpus_exports.h"

using namespace korpus;

namespace {

constexpr uint32_t BlockMagic = 0x4B4D454D;
constexpr int HeaderSize = 16;
constexpr int TrailerSize = 16;
constexpr uint8_t TrailerByte = 0x5A;

bool Refused(long size) {
    HostState& s = State();
    const int number = ++s.allocations;
    const bool refuse = (s.refuseNthAllocation != 0 && number == s.refuseNthAllocation) ||
                        (s.refuseAllocationAtLeast != 0 && size >= s.refuseAllocationAtLeast);
    if (refuse) Record("allocation_refused", {{"size", size}, {"allocation", number}});
    return refuse;
}

void* NewBlock(size_t size) {
    char* raw = static_cast<char*>(std::malloc(HeaderSize + size + TrailerSize));
    if (raw == nullptr) return nullptr;
    std::memset(raw, 0, HeaderSize);
    std::memcpy(raw, &BlockMagic, 4);
    std::memcpy(raw + 4, &size, 4);
    // Fresh host memory is not cleared: fill it so that reliance on zeros shows.
    std::memset(raw + HeaderSize, 0xCD, size);
    std::memset(raw + HeaderSize + size, TrailerByte, TrailerSize);
    State().blocks[raw + HeaderSize] = size;
    return raw + HeaderSize;
}

// Checks a block the plug-in hands back; false (with a violation) when it is not ours.
bool CheckBlock(const char* service, void* block) {
    auto found = State().blocks.find(block);
    if (found == State().blocks.end()) {
        Violation(service, "pointer is not a live host memory block");
        return false;
    }
    const uint8_t* trailer = static_cast<uint8_t*>(block) + found->second;
    for (int i = 0; i < TrailerSize; ++i) {
        if (trailer[i] != TrailerByte) {
            Violation(service, "memory block of " + std::to_string(found->second) +
                                   " bytes written past its end");
            break;
        }
    }
    return true;
}

void DropBlock(void* block) {
    State().blocks.erase(block);
    std::free(static_cast<char*>(block) - HeaderSize);
}

}  // namespace

void korpus::ReleaseAllBlocks() {
    while (!State().blocks.empty()) DropBlock(const_cast<void*>(State().blocks.begin()->first));
}

// ---------------------------------------------------------------------------
// 21287 HostFree
// ---------------------------------------------------------------------------
void __cdecl Korpus_HostFree(void* block) {
    Enter("HostFree");
    if (block == nullptr) return;
    if (CheckBlock("HostFree", block)) DropBlock(block);
}

// ---------------------------------------------------------------------------
// 21284 HostAlloc
// ---------------------------------------------------------------------------
void* __cdecl Korpus_HostAlloc(int size) {
    Enter("HostAlloc");
    if (size <= 0) {
        Violation("HostAlloc", "size " + std::to_string(size) + " is not positive");
        return nullptr;
    }
    if (Refused(size)) return nullptr;
    return NewBlock(static_cast<size_t>(size));
}

// ---------------------------------------------------------------------------
// 21281 HostRealloc
// ---------------------------------------------------------------------------
int __stdcall Korpus_HostRealloc(void** block, int size) {
    Enter("HostRealloc");
    if (block == nullptr) {
        Violation("HostRealloc", "null address of the block pointer");
        return 0;
    }
    if (size <= 0) {
        Violation("HostRealloc", "size " + std::to_string(size) + " is not positive");
        return 0;
    }
    if (*block != nullptr && !CheckBlock("HostRealloc", *block)) return 0;
    if (Refused(size)) return 0;  // the old block stays intact
    void* grown = NewBlock(static_cast<size_t>(size));
    if (*block != nullptr) {
        const size_t old = State().blocks[*block];
        std::memcpy(grown, *block, old < static_cast<size_t>(size) ? old : size);
        DropBlock(*block);
    }
    *block = grown;
    return 1;
}

// ---------------------------------------------------------------------------
// 34704 HostFatalError
// ---------------------------------------------------------------------------
void __stdcall Korpus_HostFatalError(int code) {
    Enter("HostFatalError");
    Record("fatal_error", {{"code", code}});
    // The host does not return: it ends the process as its fatal path does.
    ExitProcess(3);
}
