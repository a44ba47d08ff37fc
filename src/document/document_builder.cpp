#include "shell/kolektor.h"

// The collective order document.
int CKolektor::WypelnijTowaryTzak() { return 0; }

void CKolektor::MergePositions() {}
