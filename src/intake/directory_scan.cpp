#include "intake/order_item.h"
#include "shell/kolektor.h"

// The directory scan.
int CKolektor::ScanOrderDirectory() { return 1; }

void CKolektor::DodajPozycjeDoDokumentu(const OrderItem*) {}
