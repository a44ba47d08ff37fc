// Host state and table services.
#include <algorithm>
#include <cstring>

#include "host/host_records.h"
#include "host_state.h"
#include "korpus_exports.h"

using namespace korpus;

namespace {

constexpr uint32_t ScanMagic = 0x4E414353;  // at the start of a scan state the host filled
constexpr uint32_t KeyMagic = 0x5359454B;   // at the start of a key buffer the host prepared
constexpr int GoodsKey = 4;                 // k9 by warehouse
constexpr int CodesScan = 154;              // table 117, whole
constexpr int ScanEnd = -1;                 // what HostScanNext gives after the last record

// What HostSetScanKey leaves in the key buffer: 14 of its 80 bytes.
#pragma pack(push, 1)
struct KeyImage {
    uint32_t magic;
    int32_t keyNumber;
    int32_t table;
    int16_t warehouse;
};
#pragma pack(pop)
static_assert(sizeof(KeyImage) <= ScanState::KeyBufferSize);

Catalogue& Goods() { return State().catalogue; }

// Writes a text field into a record, cut to the room the field has and the
// record size the host reports.
void PutText(Table* table, int offset, const std::string& text, int room) {
    const int limit = std::min(room, table->recordSize - offset);
    if (limit <= 0) return;
    const int length = std::min(static_cast<int>(text.size()), limit - 1);
    std::memcpy(table->record.data() + offset, text.data(), length);
    table->record[offset + length] = 0;
}

void Put16(Table* table, int offset, int value) {
    if (offset + 2 <= table->recordSize) WriteField<int16_t>(table->record.data(), offset, static_cast<int16_t>(value));
}

void ClearRecord(Table* table) {
    if (table->recordSize > 0) std::memset(table->record.data(), 0, table->recordSize);
}

// Delivers one catalogue item as the current record of its table.
void Deliver(const GoodsItem& item) {
    if (item.inK9) {
        Table* k9 = FindTable(HostTable::K9);
        if (k9 == nullptr) return;
        ClearRecord(k9);
        PutText(k9, K9Field::Name, item.name, K9Field::Code - K9Field::Name);
        PutText(k9, K9Field::Code, item.code, 61);
        Put16(k9, K9Field::GoodsId, item.goodsId);
    } else {
        Table* codes = FindTable(HostTable::GoodsCodes);
        if (codes == nullptr) return;
        ClearRecord(codes);
        PutText(codes, GoodsCodeField::Code, item.code, GoodsCodeField::Warehouse);
        Put16(codes, GoodsCodeField::Warehouse, item.warehouse);
        Put16(codes, GoodsCodeField::GoodsId, item.goodsId);
    }
}

// The scripted failure of a scan of this table and warehouse, or null.
const json* ScriptedFailure(int table, int warehouse) {
    const json& rules = State().scenario.value("scan_failures", json::array());
    const char* name = table == HostTable::K9 ? "k9" : "117";
    for (const json& rule : rules) {
        if (rule.value("table", "") != name) continue;
        if (rule.contains("warehouse") && rule["warehouse"].get<int>() != warehouse) continue;
        return &rule;
    }
    return nullptr;
}

// The record count the scan state reports: the real one unless the scenario says otherwise.
int32_t ReportedCount(int table, size_t real) {
    const json& counts = State().scenario.value("scan_reported_count", json::object());
    const char* name = table == HostTable::K9 ? "k9" : "117";
    return counts.contains(name) ? counts[name].get<int32_t>() : static_cast<int32_t>(real);
}

// The scan behind a state area the plug-in passes, or null with a violation.
Scan* OpenScanOf(const char* service, void* scanState) {
    if (scanState == nullptr) {
        Violation(service, "null scan state");
        return nullptr;
    }
    auto found = Goods().scans.find(scanState);
    if (found == Goods().scans.end()) {
        Violation(service, "scan state that no HostScanFirst filled");
        return nullptr;
    }
    if (!found->second.open) {
        Violation(service, "scan state used after HostScanClose");
        return nullptr;
    }
    return &found->second;
}

}  // namespace

// ---------------------------------------------------------------------------
// 51594 HostApiLevel
// ---------------------------------------------------------------------------
int __stdcall Korpus_HostApiLevel() {
    Enter("HostApiLevel");
    return State().apiLevel;
}

// ---------------------------------------------------------------------------
// 52256 HostGetTable
// ---------------------------------------------------------------------------
HostTableDescriptor* __stdcall Korpus_HostGetTable(int tableNumber) {
    Enter("HostGetTable");
    Table* table = FindTable(tableNumber);
    Record("get_table", {{"table", tableNumber}, {"present", table != nullptr}});
    return table != nullptr ? &table->descriptor : nullptr;
}

// ---------------------------------------------------------------------------
// 52465 HostUseTable
// ---------------------------------------------------------------------------
int __stdcall Korpus_HostUseTable(HostTableDescriptor* descriptor, int mode) {
    Enter("HostUseTable");
    if (TableOf(descriptor, "HostUseTable") == nullptr) return 0;
    if (mode != HostUseTableMode) Violation("HostUseTable", "mode " + std::to_string(mode) + " is not 255");
    return 1;
}

// ---------------------------------------------------------------------------
// 52265 HostWarehouseNo
// ---------------------------------------------------------------------------
int16_t* __stdcall Korpus_HostWarehouseNo() {
    Enter("HostWarehouseNo");
    return &Goods().currentWarehouse;
}

// ---------------------------------------------------------------------------
// 52266 HostGoodsNo
// ---------------------------------------------------------------------------
int32_t* __stdcall Korpus_HostGoodsNo() {
    Enter("HostGoodsNo");
    return &Goods().currentGoods;
}

// ---------------------------------------------------------------------------
// 52460 HostUserBreak
// ---------------------------------------------------------------------------
// The user presses break when the scenario says ("user_break": [N, ...]):
// the Nth call reports it (1), every other call reports none (0). A break is
// reported once; asking again finds the key released.
int __stdcall Korpus_HostUserBreak() {
    const int call = Enter("HostUserBreak");
    // A scripted break, or one that the person at the host asks for.
    const bool pressed =
        State().userBreakCalls.count(call) != 0 || NextAnswer("user_break", 0, json::object()).get<int>() != 0;
    if (pressed) Record("user_break", {{"call", call}});
    return pressed ? 1 : 0;
}

// ---------------------------------------------------------------------------
// 51425 HostSetScanKey
// ---------------------------------------------------------------------------
// Prepares the key buffer for a scan of k9 by key 4, the goods of the
// current warehouse. *table holds the table's descriptor.
int __stdcall Korpus_HostSetScanKey(int keyNumber, HostTableDescriptor** table, void* keyBuffer, int reserved) {
    Enter("HostSetScanKey");
    if (table == nullptr) {
        Violation("HostSetScanKey", "null address of the descriptor variable");
        return 0;
    }
    Table* scanned = TableOf(*table, "HostSetScanKey");
    if (scanned == nullptr) return 0;
    if (scanned->number != HostTable::K9 || keyNumber != GoodsKey) {
        Violation("HostSetScanKey", "key " + std::to_string(keyNumber) + " of table " +
                                        std::to_string(scanned->number) + " is not key 4 of table 49");
        return 0;
    }
    if (keyBuffer == nullptr) {
        Violation("HostSetScanKey", "null key buffer");
        return 0;
    }
    if (reserved != 0) Violation("HostSetScanKey", "reserved argument " + std::to_string(reserved) + " is not 0");
    const KeyImage key = {KeyMagic, keyNumber, scanned->number, Goods().currentWarehouse};
    std::memcpy(keyBuffer, &key, sizeof key);
    return 1;
}

// ---------------------------------------------------------------------------
// 52278 HostScanFirst
// ---------------------------------------------------------------------------
// Two scans are known: k9 by a key buffer prepared for key 4 (the goods of
// the warehouse in the key), and table 117 whole (no descriptor, number 154,
// no key buffer). The state area receives the record count at byte 116.
int __stdcall Korpus_HostScanFirst(void* scanState, HostTableDescriptor* table, int keyNumber, void* keyBuffer,
                                   int a5, int a6) {
    Enter("HostScanFirst");
    if (scanState == nullptr) {
        Violation("HostScanFirst", "null scan state");
        return 0;
    }
    if (a5 != 0 || a6 != 0) Violation("HostScanFirst", "trailing arguments are not 0");
    Scan& scan = Goods().scans[scanState];
    if (scan.open) Violation("HostScanFirst", "scan state reused while its scan is open");
    // Whatever happens now, the plug-in closes the state.
    scan = Scan{};
    scan.open = true;

    int warehouse = Goods().currentWarehouse;
    if (table != nullptr) {
        Table* scanned = TableOf(table, "HostScanFirst");
        if (scanned == nullptr) return 0;
        KeyImage key{};
        if (keyBuffer != nullptr) std::memcpy(&key, keyBuffer, sizeof key);
        if (scanned->number != HostTable::K9 || keyNumber != GoodsKey || key.magic != KeyMagic ||
            key.keyNumber != GoodsKey || key.table != HostTable::K9) {
            Violation("HostScanFirst", "table " + std::to_string(scanned->number) + " by key " +
                                           std::to_string(keyNumber) +
                                           " without a key buffer that HostSetScanKey prepared for it");
            return 0;
        }
        scan.table = HostTable::K9;
        warehouse = key.warehouse;
    } else if (keyNumber == CodesScan && keyBuffer == nullptr) {
        if (FindTable(HostTable::GoodsCodes) == nullptr) return 0;
        scan.table = HostTable::GoodsCodes;
    } else {
        Violation("HostScanFirst", "no descriptor, but not the whole scan of table 117 (154, no key buffer)");
        return 0;
    }

    const json* failure = ScriptedFailure(scan.table, warehouse);
    if (failure != nullptr && !failure->contains("after")) return 0;
    if (failure != nullptr) scan.breakAfter = (*failure)["after"].get<int>();

    const bool k9 = scan.table == HostTable::K9;
    for (size_t i = 0; i < Goods().goods.size(); ++i) {
        const GoodsItem& item = Goods().goods[i];
        if (item.inK9 == k9 && (!k9 || item.warehouse == warehouse)) scan.records.push_back(i);
    }
    uint8_t* state = static_cast<uint8_t*>(scanState);
    std::memset(state, 0, ScanState::Size);
    std::memcpy(state, &ScanMagic, sizeof ScanMagic);
    WriteField<int32_t>(state, ScanState::RecordCount, ReportedCount(scan.table, scan.records.size()));
    return 1;
}

// ---------------------------------------------------------------------------
// 52279 HostScanNext
// ---------------------------------------------------------------------------
// 1 with the next record in the table's record buffer, 0 when the scan
// breaks off, ScanEnd after the last record.
int __stdcall Korpus_HostScanNext(void* scanState) {
    Enter("HostScanNext");
    Scan* scan = OpenScanOf("HostScanNext", scanState);
    if (scan == nullptr) return 0;
    uint32_t magic = 0;
    std::memcpy(&magic, scanState, sizeof magic);
    if (magic != ScanMagic || scan->table == 0) {
        Violation("HostScanNext", "scan state that HostScanFirst did not fill, or overwritten since");
        return 0;
    }
    if (scan->breakAfter >= 0 && scan->next >= static_cast<size_t>(scan->breakAfter)) return 0;
    if (scan->next >= scan->records.size()) return ScanEnd;
    Deliver(Goods().goods[scan->records[scan->next++]]);
    return 1;
}

// ---------------------------------------------------------------------------
// 52281 HostScanClose
// ---------------------------------------------------------------------------
int __stdcall Korpus_HostScanClose(void* scanState) {
    Enter("HostScanClose");
    Scan* scan = OpenScanOf("HostScanClose", scanState);
    if (scan == nullptr) return 0;
    scan->open = false;
    return 1;
}

// ---------------------------------------------------------------------------
// 52412 HostSeekGoods
// ---------------------------------------------------------------------------
// Positions the k9 record of the current goods and warehouse numbers in the
// table's record buffer; 0 when the catalogue has none.
int __stdcall Korpus_HostSeekGoods(int mode, int reserved) {
    Enter("HostSeekGoods");
    if (mode != -1 || reserved != 0)
        Violation("HostSeekGoods", "arguments " + std::to_string(mode) + ", " + std::to_string(reserved) +
                                       " are not -1, 0");
    Catalogue& goods = Goods();
    goods.positionedGoods = -1;
    for (size_t i = 0; i < goods.goods.size(); ++i) {
        const GoodsItem& item = goods.goods[i];
        if (item.inK9 && item.goodsId == goods.currentGoods && item.warehouse == goods.currentWarehouse) {
            Deliver(item);
            goods.positionedGoods = static_cast<int>(i);
            return 1;
        }
    }
    return 0;
}

// ---------------------------------------------------------------------------
// 38417 HostSpare
// ---------------------------------------------------------------------------
// Bound by the plug-in like every service; nothing calls it.
int __stdcall Korpus_HostSpare() {
    Enter("HostSpare");
    Violation("HostSpare", "the plug-in is not expected to call this service");
    return 0;
}
