// One parsed section of an order file.
#pragma once

#include <cstddef>

#pragma pack(push, 1)
struct OrderItem {
    char Nazwa[121];   // goods name, at most 120 characters
    char Symbol[17];   // goods code, at most 16 characters
    char Jm[6];        // unit of measure, at most 5 characters
    double Ilosc;      // quantity
    char unused[2048 - 121 - 17 - 6 - sizeof(double)];
};
#pragma pack(pop)

static_assert(sizeof(OrderItem) == 2048);
static_assert(offsetof(OrderItem, Ilosc) == 144);
