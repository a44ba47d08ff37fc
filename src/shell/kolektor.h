// CKolektor, the import object: one collective import, built in the table
// hook's stack frame for one event and destroyed before the event goes on.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/host_services.h"
#include "host/wdialog_base.h"

struct OrderItem;
struct PositionRecord;

#pragma pack(push, 1)
class CKolektor : public WDialogBase {
public:
    char directory[101];        // the import directory, at most 100 characters
    HostStream openFile;        // the order file being read, 0 when none
    uint8_t hostList[20];       // the host's list object, built in place
    PositionRecord* positions;  // host memory block of records, none at first
    int32_t positionCount;
    int32_t positionCapacity;

    // Import stages, in the order the hook runs them.
    int AskImportDirectory();   // 0: a non-empty directory was accepted; 1: not
    int ScanOrderDirectory();   // 1 in every case
    int WypelnijTowaryTzak();   // builds the collective order document

    // Steps of the stages.
    int ReadOrderSection(OrderItem* item, const char* marker);
    void DodajPozycjeDoDokumentu(const OrderItem* item);
    void MergePositions();
};
#pragma pack(pop)

static_assert(sizeof(CKolektor) == 145);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(CKolektor, directory) == 8);
static_assert(offsetof(CKolektor, openFile) == 109);
static_assert(offsetof(CKolektor, hostList) == 113);
static_assert(offsetof(CKolektor, positions) == 133);
static_assert(offsetof(CKolektor, positionCount) == 137);
static_assert(offsetof(CKolektor, positionCapacity) == 141);
#pragma GCC diagnostic pop

// The class's virtual table in the host's layout: slot 0 the deleting
// destructor, slots 1..34 the host's operations of WDialogBase.
extern const void* const CKolektorVirtualTable[WDialogBaseVirtualSlots];

// How far an import object has been built; the exception path undoes that much.
enum class KolektorBuilt : int { Nothing = 0, Base = 1, Whole = 2 };

// Construction and destruction in place, in the host's order. `built` follows
// each step, so that an exception in the middle knows what to undo.
void ConstructKolektor(CKolektor* self, volatile KolektorBuilt* built);
void DestroyKolektor(CKolektor* self, volatile KolektorBuilt* built);
