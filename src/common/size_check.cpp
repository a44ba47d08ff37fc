#include "common/size_check.h"

SizeCheck* SizeCheckList = nullptr;

int AddSizeMismatch(SizeCheck* node) {
    SizeCheck** tail = &SizeCheckList;
    for (; *tail != nullptr; tail = &(*tail)->NextCheck)
        if (*tail == node) return -1;
    node->NextCheck = nullptr;
    *tail = node;
    return -1;
}

int CountSizeMismatches() {
    int count = 0;
    for (const SizeCheck* node = SizeCheckList; node != nullptr; node = node->NextCheck) ++count;
    return count;
}
