// One parsed section of an order file.
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
struct OrderItem {
    char Nazwa[121];   // goods name, at most 120 characters
    char Symbol[17];   // goods code, at most 16 characters
    char Jm[6];        // unit of measure, at most 5 characters
    double Ilosc;      // quantity
    // The quantity as written, after trimming, so that a value that is not a
    // number can be named to the user; set together with IloscGiven.
    char IloscText[256];
    uint8_t IloscGiven;  // 1 when the section had an "Ilosc" line
    char unused[2048 - 121 - 17 - 6 - sizeof(double) - 256 - 1];
};
#pragma pack(pop)

static_assert(sizeof(OrderItem) == 2048);
static_assert(offsetof(OrderItem, Symbol) == 121);
static_assert(offsetof(OrderItem, Jm) == 138);
static_assert(offsetof(OrderItem, Ilosc) == 144);
