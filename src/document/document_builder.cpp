// The collective order document: the header of the current Tzak record is
// marked and dated, the merged positions are identified warehouse by
// warehouse, the user completes the header, and one line per identified
// position is created, saved as ".PZK" and the document closed.
#include <cstring>

#include "common/format.h"
#include "common/texts.h"
#include "document/document_texts.h"
#include "document/goods_index.h"
#include "host/host_records.h"
#include "host/host_services.h"
#include "intake/position_record.h"
#include "shell/kolektor.h"

namespace {

constexpr int OrderDocument = 701;
constexpr int OrderLine = 702;
constexpr int WarehouseCount = 100;  // warehouses 0..99, the lowest that knows a code wins
constexpr int HeaderInitMode = 2;

// Arguments of the host's header dialog.
constexpr int HeaderColumn = 150;
constexpr int HeaderWidth = 164;
// The right that decides whether a header may be stored from a high k4 level.
constexpr int StoreRight = 17;
constexpr int StoreRightLevel = 7;
constexpr int16_t RightCheckedFromLevel = 5;
// How the host positions the goods record of the current numbers.
constexpr int SeekCurrentGoods = -1;
constexpr int DocumentCloseFlag = 1;

char* RecordOf(HostTableDescriptor* table) { return static_cast<char*>(table->recordBuffer); }

void PrepareHeader(HostTableDescriptor* headerTable, char* header) {
    std::memcpy(header + TzakField::Note, DocumentText::HeaderNote, DocumentText::HeaderNoteSize);
    if (header[TzakField::BlankTest] == 0)
        HostDocumentInit(headerTable, OrderDocument, header, HeaderInitMode, 0);
    HostDateText(header + TzakField::Date1);
    HostDateText(header + TzakField::Date2);
}

// Identifies the positions in warehouses 0..99 while some are left; returns
// how many were identified.
int IdentifyPositions(PositionRecord* positions, int count) {
    int identified = 0;
    for (int warehouse = 0; warehouse < WarehouseCount && identified < count; ++warehouse) {
        if (BuildGoodsIndex(warehouse, &WarehouseGoodsIndex) == 0) {
            ShowMessageF(Text::TitleReport, DocumentText::WarehouseNotIndexed, MessageFlagsPlain, warehouse);
            continue;
        }
        for (int i = 0; i < count; ++i) {
            PositionRecord& position = positions[i];
            if (position.code[0] == 0 || position.goodsId != 0) continue;
            const int found = FindGoodsCode(position.code, &WarehouseGoodsIndex);
            if (found < 0) continue;
            position.goodsId = WarehouseGoodsIndex.entries[found]->goodsId;
            position.warehouse = static_cast<uint16_t>(warehouse);
            ++identified;
        }
    }
    if (WarehouseGoodsIndex.entries != nullptr) ReleaseGoodsIndex(&WarehouseGoodsIndex);
    return identified;
}

// The header dialog, shown until the header is done or stored. False when
// the user cancelled it.
bool CompleteHeader(HostTableDescriptor* headerTable, HostTableDescriptor* k4Table, char* header, const char* k4) {
    if (ReadField<int32_t>(header, TzakField::HeaderDone) != 0) return true;
    for (;;) {
        const int result = HostDocumentHeader(0, 0, HeaderColumn, HeaderWidth, HeaderWidth, k4Table, 0, 0,
                                              DocumentText::HeaderDialogCaption, 0, OrderDocument);
        if (result < 0) return false;
        if (ReadField<int32_t>(k4, K4Field::StoreHeader) != 0) {
            if (ReadField<int16_t>(k4, K4Field::RightLevel) >= RightCheckedFromLevel &&
                HostCheckRight(StoreRight, StoreRightLevel, 0) == 0)
                return true;
            if (HostDocumentStore(headerTable, OrderDocument, header, 0) != 0) return true;
        }
        if (ReadField<int32_t>(header, TzakField::HeaderDone) != 0) return true;
    }
}

// One line per identified position whose goods record the host finds.
int CreateLines(HostTableDescriptor* lineTable, char* lineBuffer, void** lines, const PositionRecord* positions,
                int count) {
    int32_t* currentGoods = HostGoodsNo();
    int16_t* currentWarehouse = HostWarehouseNo();
    int n = 0;
    for (int i = 0; i < count; ++i) {
        const PositionRecord& position = positions[i];
        if (position.goodsId == 0) continue;
        *currentGoods = position.goodsId;
        *currentWarehouse = static_cast<int16_t>(position.warehouse);
        if (HostSeekGoods(SeekCurrentGoods, 0) == 0) continue;
        HostLineFromGoods(lineTable, lineBuffer, lines, n, OrderLine);
        if (lines[n] == nullptr) continue;  // the host made no line record: nothing to fill
        std::memcpy(lines[n], lineBuffer, RecordSize::TzakDok);
        WriteField<int32_t>(lines[n], TzakDokField::Quantity, position.quantity);
        ++n;
    }
    return n;
}

}  // namespace

// 1 when the document was created and closed, 0 otherwise.
int CKolektor::WypelnijTowaryTzak() {
    HostTableDescriptor* lineTable = HostGetTable(HostTable::TzakDok);
    HostTableDescriptor* headerTable = HostGetTable(HostTable::Tzak);
    HostTableDescriptor* k4Table = HostGetTable(HostTable::K4);
    if (lineTable == nullptr || headerTable == nullptr || k4Table == nullptr) {
        HostMessageBox(Text::TitleError, DocumentText::BuilderTableMissing, MessageFlagsPlain);
        return 0;
    }
    HostUseTable(lineTable, HostUseTableMode);
    HostUseTable(headerTable, HostUseTableMode);
    HostUseTable(k4Table, HostUseTableMode);
    char* lineBuffer = RecordOf(lineTable);
    char* header = RecordOf(headerTable);
    const char* k4 = RecordOf(k4Table);

    void** lines = HostLinesAlloc(OrderDocument, 0, 0, 0);
    if (lines == nullptr) return 0;

    PrepareHeader(headerTable, header);

    MergePositions();
    const int count = positionCount;
    const int identified = IdentifyPositions(positions, count);

    if (identified < count) {
        ShowMessageF(Text::TitleReport, DocumentText::IdentifiedCount, MessageFlagsPlain, identified, count);
        if (identified == 0) {
            HostMessageBox(Text::TitleReport, DocumentText::DocumentNotCreated, MessageFlagsPlain);
            HostLinesSave(0, OrderDocument, OrderLine, DocumentText::LinesKind, 0);
            return 0;
        }
    }

    if (!CompleteHeader(headerTable, k4Table, header, k4)) return 0;

    const int n = CreateLines(lineTable, lineBuffer, lines, positions, count);
    HostLinesSave(n, OrderDocument, OrderLine, DocumentText::LinesKind, 0);
    HostDocumentClose(OrderDocument, 0, 0, 0, 0, 0, 0, DocumentCloseFlag, 0, 0,
                      ReadField<int32_t>(header, TzakField::CloseSecondLast),
                      ReadField<int32_t>(header, TzakField::CloseLast));
    return 1;
}
