// The goods index of one warehouse: the codes of the goods table k9, read by
// key 4 for the current warehouse, and of table 117, read whole and filtered
// by warehouse, sorted without regard to the case of ASCII letters.
#include "document/goods_index.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "common/texts.h"
#include "document/document_texts.h"
#include "host/host_records.h"
#include "host/host_services.h"

GoodsIndex WarehouseGoodsIndex = {};
int32_t GoodsIndexReserve = 1000;

namespace {

constexpr int CapacitySlack = 50;           // added to every capacity
constexpr int32_t CodesPassBase = 1000;     // base when table 117 allocates the index
constexpr int32_t OverflowMargin = 500;     // added to a scan's count after an overflow
constexpr int EntryAllocationFatal = 1175;  // the host's fatal code for a lost entry
constexpr int GoodsScanKey = 4;             // k9 by warehouse
constexpr int CodesScanNumber = 154;        // table 117, whole
constexpr int ScanDeliveredRecord = 1;
constexpr int ScanFailed = 0;

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

int CompareFolded(const char* a, const char* b) {
    for (;; ++a, ++b) {
        const unsigned char x = static_cast<unsigned char>(FoldAscii(*a));
        const unsigned char y = static_cast<unsigned char>(FoldAscii(*b));
        if (x != y) return x < y ? -1 : 1;
        if (x == 0) return 0;
    }
}

// Host codes longer than an entry holds are cut to its 25 characters.
void CopyCode(char* destination, const char* source) {
    int i = 0;
    for (; i < GoodsCodeMaxLength && source[i] != 0; ++i) destination[i] = source[i];
    destination[i] = 0;
}

void TakeEntry(GoodsIndex* index, const char* code, int16_t goodsId, uint8_t source) {
    GoodsIndexEntry* entry = index->entries[index->count];
    CopyCode(entry->code, code);
    entry->goodsId = goodsId;
    entry->source = source;
    ++index->count;
}

int32_t ReportedRecordCount(const uint8_t* scanState) {
    return ReadField<int32_t>(scanState, ScanState::RecordCount);
}

// After an overflow the reserve covers every record the overflowing scan
// reports. A host that delivers more than it reports would get no larger
// index from that, so the reserve then grows by itself: every new attempt is
// larger than the last, and one that cannot be allocated ends the build.
void RaiseReserve(int32_t reportedCount) {
    int64_t raised = int64_t{reportedCount} + OverflowMargin;
    if (raised <= GoodsIndexReserve) raised = int64_t{GoodsIndexReserve} + std::max(GoodsIndexReserve, OverflowMargin);
    GoodsIndexReserve = static_cast<int32_t>(std::min<int64_t>(raised, INT32_MAX));
}

enum class Pass { Done, Failed, Overflow };

struct ScanAreas {
    uint8_t state[ScanState::Size];
    uint8_t key[ScanState::KeyBufferSize];
};

// First pass: the goods table k9 by key 4, which the host restricts to the
// current warehouse. The capacity covers what the scan reports; a host that
// delivers more still never gets an entry written past the capacity.
Pass ScanGoodsTable(HostTableDescriptor* goodsTable, GoodsIndex* index, ScanAreas* areas) {
    const void* record = goodsTable->recordBuffer;
    HostSetScanKey(GoodsScanKey, &goodsTable, areas->key, 0);
    int r = HostScanFirst(areas->state, goodsTable, GoodsScanKey, areas->key, 0, 0);
    Pass outcome = Pass::Done;
    if (r != ScanFailed) {
        while ((r = HostScanNext(areas->state)) == ScanDeliveredRecord) {
            const int16_t goodsId = ReadField<int16_t>(record, K9Field::GoodsId);
            const char* code = static_cast<const char*>(record) + K9Field::Code;
            const char* name = static_cast<const char*>(record) + K9Field::Name;
            if (goodsId == 0 || (code[0] == 0 && name[0] == 0)) continue;
            if (index->entries == nullptr &&
                !AllocateGoodsIndex(ReportedRecordCount(areas->state), GoodsIndexReserve, index)) {
                outcome = Pass::Failed;
                break;
            }
            if (index->count >= index->capacity) {
                RaiseReserve(ReportedRecordCount(areas->state));
                outcome = Pass::Overflow;
                break;
            }
            TakeEntry(index, code, goodsId, GoodsSourceK9);
        }
    }
    HostScanClose(areas->state);
    if (r == ScanFailed) return Pass::Failed;
    return outcome;
}

// Second pass: table 117 whole, its records of the current warehouse.
Pass ScanCodesTable(const void* record, GoodsIndex* index, ScanAreas* areas, int* endValue) {
    int r = HostScanFirst(areas->state, nullptr, CodesScanNumber, nullptr, 0, 0);
    Pass outcome = Pass::Done;
    if (r != ScanFailed) {
        while ((r = HostScanNext(areas->state)) == ScanDeliveredRecord) {
            const char* code = static_cast<const char*>(record) + GoodsCodeField::Code;
            const int16_t goodsId = ReadField<int16_t>(record, GoodsCodeField::GoodsId);
            if (goodsId == 0 || code[0] == 0) continue;
            if (ReadField<int16_t>(record, GoodsCodeField::Warehouse) != *HostWarehouseNo()) continue;
            if (index->entries == nullptr && !AllocateGoodsIndex(CodesPassBase, GoodsIndexReserve, index)) {
                outcome = Pass::Failed;
                break;
            }
            if (index->count >= index->capacity) {
                RaiseReserve(ReportedRecordCount(areas->state));
                outcome = Pass::Overflow;
                break;
            }
            TakeEntry(index, code, goodsId, GoodsSourceCodes);
        }
    }
    HostScanClose(areas->state);
    *endValue = r;
    if (r == ScanFailed) return Pass::Failed;
    return outcome;
}

// The table's descriptor, ready for use, or none after the disk-error message.
HostTableDescriptor* UseTable(int number) {
    HostTableDescriptor* table = HostGetTable(number);
    if (table == nullptr) {
        HostMessageBox(Text::TitleError, DocumentText::TableMissing, MessageFlagsPlain);
        return nullptr;
    }
    HostUseTable(table, HostUseTableMode);
    return table;
}

}  // namespace

int CompareIndexCodes(const void* first, const void* second) {
    const GoodsIndexEntry* a = *static_cast<GoodsIndexEntry* const*>(first);
    const GoodsIndexEntry* b = *static_cast<GoodsIndexEntry* const*>(second);
    return CompareFolded(a->code, b->code);
}

void ReleaseGoodsIndex(GoodsIndex* index) {
    if (index->block != nullptr) {
        HostFree(index->block);
    } else if (index->entries != nullptr) {
        for (int32_t i = 0; i < index->capacity; ++i)
            if (index->entries[i] != nullptr) HostFree(index->entries[i]);
    }
    if (index->entries != nullptr) HostFree(index->entries);
    *index = GoodsIndex{};
}

bool AllocateGoodsIndex(int32_t base, int32_t reserve, GoodsIndex* index) {
    if (index->entries != nullptr) ReleaseGoodsIndex(index);
    const int64_t capacity = int64_t{base} + reserve + CapacitySlack;
    // The host's sizes are 32-bit: a capacity whose entries cannot be counted
    // in one allocation cannot be had.
    if (capacity < 1 || capacity * int64_t{sizeof(GoodsIndexEntry)} > INT32_MAX) return false;
    const int32_t n = static_cast<int32_t>(capacity);

    auto** entries = static_cast<GoodsIndexEntry**>(HostAlloc(n * static_cast<int>(sizeof(GoodsIndexEntry*))));
    if (entries == nullptr) return false;
    // Host memory comes uncleared; a release after a lost entry skips what is none.
    std::memset(entries, 0, n * sizeof(GoodsIndexEntry*));
    index->entries = entries;
    index->capacity = n;
    index->count = 0;

    auto* block = static_cast<GoodsIndexEntry*>(HostAlloc(n * static_cast<int>(sizeof(GoodsIndexEntry))));
    if (block != nullptr) {
        std::memset(block, 0, n * sizeof(GoodsIndexEntry));
        index->block = block;
        for (int32_t i = 0; i < n; ++i) entries[i] = block + i;
        return true;
    }
    for (int32_t i = 0; i < n; ++i) {
        auto* entry = static_cast<GoodsIndexEntry*>(HostAlloc(sizeof(GoodsIndexEntry)));
        if (entry == nullptr) {
            HostFatalError(EntryAllocationFatal);
            // The host does not come back from a fatal error; should it, the
            // index is not left half made.
            ReleaseGoodsIndex(index);
            return false;
        }
        std::memset(entry, 0, sizeof *entry);
        entries[i] = entry;
    }
    return true;
}

int BuildGoodsIndex(int warehouse, GoodsIndex* index) {
    int16_t* currentWarehouse = HostWarehouseNo();
    const int16_t savedWarehouse = *currentWarehouse;

    HostTableDescriptor* goodsTable = UseTable(HostTable::K9);
    if (goodsTable == nullptr) return 0;
    HostTableDescriptor* codesTable = UseTable(HostTable::GoodsCodes);
    if (codesTable == nullptr) return 0;
    const void* codesRecord = codesTable->recordBuffer;

    ScanAreas areas = {};
    int result = 0;
    for (;;) {
        ReleaseGoodsIndex(index);
        *currentWarehouse = static_cast<int16_t>(warehouse);

        const Pass first = ScanGoodsTable(goodsTable, index, &areas);
        if (first == Pass::Overflow) continue;
        if (first == Pass::Failed) break;

        int endValue = 0;
        const Pass second = ScanCodesTable(codesRecord, index, &areas, &endValue);
        if (second == Pass::Overflow) continue;
        if (second == Pass::Failed) break;

        // A successful build always leaves an allocated index, even an empty one.
        if (index->entries == nullptr && !AllocateGoodsIndex(CodesPassBase, GoodsIndexReserve, index)) break;
        if (index->count > 1)
            std::qsort(index->entries, index->count, sizeof(GoodsIndexEntry*), CompareIndexCodes);
        result = endValue;
        break;
    }
    if (result == 0) ReleaseGoodsIndex(index);
    *currentWarehouse = savedWarehouse;
    return result;
}

int FindGoodsCode(const char* code, GoodsIndex* index) {
    HostTableDescriptor* goodsTable = UseTable(HostTable::K9);
    if (goodsTable == nullptr) return -1;
    const int n = index->count;
    if (n <= 0) return -1;
    int p = n / 2;
    int s = n / 2;
    for (;;) {
        const int order = CompareFolded(code, index->entries[p]->code);
        if (order == 0) return p;
        if (order > 0) {
            p += (s + 1) / 2;
            if (p > n - 1) p = n - 1;
        } else {
            p -= (s + 1) / 2;
            if (p < 0) p = 0;
        }
        if (s == 0) return -1;
        s /= 2;
    }
}
