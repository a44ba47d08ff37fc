// The sorted code index of one warehouse's goods, for finding the goods id
// of an ordered code by binary search.
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
struct GoodsIndexEntry {
    char code[26];    // at most 25 characters, terminated
    int16_t goodsId;  // the host's goods number
    uint8_t source;   // GoodsSourceK9 or GoodsSourceCodes
};
#pragma pack(pop)

static_assert(sizeof(GoodsIndexEntry) == 29);
static_assert(offsetof(GoodsIndexEntry, goodsId) == 26);
static_assert(offsetof(GoodsIndexEntry, source) == 28);

inline constexpr uint8_t GoodsSourceK9 = 0;     // the code came from the goods table k9
inline constexpr uint8_t GoodsSourceCodes = 1;  // the code came from table 117
inline constexpr int GoodsCodeMaxLength = sizeof(GoodsIndexEntry::code) - 1;

struct GoodsIndex {
    int32_t count;              // entries in use
    int32_t capacity;           // entries allocated
    GoodsIndexEntry** entries;  // capacity pointers; 0..count-1 in index order after a build
    GoodsIndexEntry* block;     // all entries back to back, or none when allocated one by one
};

// The one index of the plug-in, rebuilt for every warehouse the builder visits.
extern GoodsIndex WarehouseGoodsIndex;

// Part of every capacity. Raised when a build finds the index full and never
// lowered while the plug-in stays loaded.
extern int32_t GoodsIndexReserve;

// Allocates base + reserve + 50 cleared entries, releasing what the index held.
// False, with the index released, when the host refuses the array of entry
// pointers or the capacity cannot be allocated at all.
bool AllocateGoodsIndex(int32_t base, int32_t reserve, GoodsIndex* index);

// Releases whatever the index holds and sets its fields to 0.
void ReleaseGoodsIndex(GoodsIndex* index);

// Loads the codes of one warehouse from tables k9 and 117 and sorts them.
// Non-zero on success (the index allocated, possibly empty), 0 on failure
// (the index released). The host's current warehouse number is restored.
int BuildGoodsIndex(int warehouse, GoodsIndex* index);

// Position of an entry whose code equals code in index order, or -1.
int FindGoodsCode(const char* code, GoodsIndex* index);

// The index order of two entry pointers (GoodsIndexEntry* const*), for a sort:
// byte by byte, ASCII capitals folded to small letters.
int CompareIndexCodes(const void* first, const void* second);
