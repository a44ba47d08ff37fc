// The directory scan's steps that stand on their own.
#pragma once

#include <cstdint>

#include "host/host_services.h"

struct OrderItem;

// The archive copy's largest block, and the step by which it settles for a
// smaller one when the host has no memory for it.
inline constexpr long CopyBlockLimit = 262144;
inline constexpr int CopyBlockStep = 512;

// Copies length bytes (0 allowed) from source at sourceOffset to destination
// at destinationOffset; a negative destinationOffset writes at the
// destination's current position. 0 on success, -1 on failure.
int CopyFileBlocks(HostStream destination, long destinationOffset, HostStream source, long sourceOffset,
                   long length);

// The item's quantity in thousandths, truncated toward zero. False when the
// section's "Ilosc" is not a number (no digit where the number should begin)
// or when the count does not fit a signed 32-bit integer (infinity included).
bool QuantityInThousandths(const OrderItem& item, int32_t* thousandths);

// Positions are stored one after the other and the block grows by this many.
inline constexpr int PositionGrowth = 100;
