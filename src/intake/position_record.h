// One ordered goods item, as the directory scan gathers it.
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
struct PositionRecord {
    char code[41];        // goods code, at most 40 characters (16 taken from an order file)
    int32_t quantity;     // thousandths of the unit
    int16_t goodsId;      // 0 while not identified
    uint16_t warehouse;   // 0..99, where the code was identified
};
#pragma pack(pop)

static_assert(sizeof(PositionRecord) == 49);
static_assert(offsetof(PositionRecord, quantity) == 41);
static_assert(offsetof(PositionRecord, goodsId) == 45);
static_assert(offsetof(PositionRecord, warehouse) == 47);
