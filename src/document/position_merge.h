// Merging of the import's positions by goods code.
#pragma once

// The code order of two PositionRecord entries, for a sort: empty codes last,
// otherwise byte by byte as unsigned values, case counting.
int ComparePositionCodes(const void* first, const void* second);
