// Record-size checks of host tables, and the list of those that differ.
#pragma once

#include <cstdint>

struct SizeCheck {
    uint32_t ExpectedSize;  // the size the plug-in was built for
    int32_t HostSize;       // the host's size; 0 when the host lacks the table
    const char* TableName;
    SizeCheck* NextCheck;
};

// The nodes whose sizes differ, in the order found. Nodes live in static
// storage and are never freed; the list is never emptied.
extern SizeCheck* SizeCheckList;

// Appends node at the tail unless that very node is already in the list.
// Returns -1 either way.
int AddSizeMismatch(SizeCheck* node);

// Number of nodes in the list.
int CountSizeMismatches();
