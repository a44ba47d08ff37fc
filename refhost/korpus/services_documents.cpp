// Document services: the order header, its lines, saving and closing.
//
// The order header is the current record of table 52 (Tzak). The lines array
// holds pointers to line records of 626 bytes, each made by HostLineFromGoods
// for the goods record HostSeekGoods positioned; saves and closes go into the
// transcript with every line.
#include <algorithm>
#include <cstring>

#include "host/host_records.h"
#include "host_state.h"
#include "korpus_exports.h"

using namespace korpus;

namespace {

constexpr int OrderDocument = 701;
constexpr int OrderLine = 702;
constexpr int LinesCapacity = 4096;
constexpr int DateFieldSize = 9;  // eight characters and the terminator
constexpr int LineGuardSize = 32;
constexpr uint8_t LineGuardByte = 0xB6;
constexpr const char* DefaultDate = "11.12.26";
constexpr const char* DefaultDocumentNumber = "ZAM 1/26";
constexpr size_t DocumentNumberLength = 19;  // the header's text at 2

// The host's own fields of a line record, besides the quantity at 140.
namespace LineField {
constexpr int GoodsId = 0;      // signed 32-bit
constexpr int Warehouse = 4;    // signed 16-bit
constexpr int Code = 6;         // text, 41 bytes
constexpr int Name = 47;        // text, 81 bytes
constexpr int LineType = 144;   // signed 16-bit
}  // namespace LineField

Catalogue& Goods() { return State().catalogue; }

const json& DocumentScenario() {
    static const json none = json::object();
    const json& scenario = State().scenario;
    return scenario.contains("document") ? scenario["document"] : none;
}

// Checks that the plug-in passed the descriptor of the given table.
bool IsTable(const char* service, const void* descriptor, int number) {
    Table* table = TableOf(descriptor, service);
    if (table == nullptr) return false;
    if (table->number == number) return true;
    Violation(service, "descriptor of table " + std::to_string(table->number) + " where table " +
                           std::to_string(number) + " belongs");
    return false;
}

// Writes a field of a table's current record, where the record size the host
// reports has room for it.
template <typename T>
void PutField(Table* table, int offset, T value) {
    if (offset + static_cast<int>(sizeof value) <= table->recordSize) WriteField<T>(table->record.data(), offset, value);
}

uint8_t* RecordBuffer(int number) {
    Table* table = FindTable(number);
    return table != nullptr ? table->record.data() : nullptr;
}

void Expect(const char* service, const char* what, long value, long expected) {
    if (value != expected)
        Violation(service, std::string(what) + " " + std::to_string(value) + " is not " + std::to_string(expected));
}

// True when [field, field + size) lies in a table's record or a live host block.
bool HostMemoryHolds(const void* field, int size) {
    const uint8_t* p = static_cast<const uint8_t*>(field);
    for (auto& [number, table] : State().tables) {
        const uint8_t* start = table->record.data();
        if (p >= start && p + size <= start + std::max(table->recordSize, 0)) return true;
    }
    for (auto& [block, length] : State().blocks) {
        const uint8_t* start = static_cast<const uint8_t*>(block);
        if (p >= start && p + size <= start + length) return true;
    }
    return false;
}

std::string Text(const uint8_t* record, int offset, int room) {
    const char* text = reinterpret_cast<const char*>(record + offset);
    return Utf8FromMazovia(text, strnlen(text, room));
}

// Every line the plug-in saves, as the transcript shows it.
json DescribeLines(int count) {
    json lines = json::array();
    for (int i = 0; i < count; ++i) {
        const uint8_t* record = static_cast<const uint8_t*>(Goods().lines[i]);
        lines.push_back({{"goods_id", ReadField<int32_t>(record, LineField::GoodsId)},
                         {"warehouse", ReadField<int16_t>(record, LineField::Warehouse)},
                         {"quantity", ReadField<int32_t>(record, TzakDokField::Quantity)},
                         {"code", Text(record, LineField::Code, 41)}});
    }
    return lines;
}

bool LineRecordIntact(int i) {
    const uint8_t* guard = Goods().lineRecords[i].get() + RecordSize::TzakDok;
    for (int k = 0; k < LineGuardSize; ++k)
        if (guard[k] != LineGuardByte) return false;
    return true;
}

}  // namespace

// ---------------------------------------------------------------------------
// 30204 HostDateText
// ---------------------------------------------------------------------------
// Writes the date of the scenario ("document": {"date"}), eight characters
// and a terminator, into a field of a host record or block.
void __stdcall Korpus_HostDateText(char* field) {
    Enter("HostDateText");
    if (field == nullptr) {
        Violation("HostDateText", "null field");
        return;
    }
    if (!HostMemoryHolds(field, DateFieldSize)) {
        Violation("HostDateText", "field without room for a date of 8 characters and its terminator");
        return;
    }
    const std::string date = DocumentScenario().value("date", DefaultDate);
    std::memcpy(field, date.c_str(), date.size() + 1);
}

// ---------------------------------------------------------------------------
// 52338 HostDocumentHeader
// ---------------------------------------------------------------------------
// The header dialog. Each run follows the next scripted answer
// ("answers": {"document_header": [...]}): its result and what it leaves in
// k4 at 232 and 962 and in Tzak at 877. Without an answer the user accepts:
// result 0x5001, k4 232 = 0, 962 = 1, Tzak 877 = 1.
int __stdcall Korpus_HostDocumentHeader(int a1, int a2, int column, int width1, int width2, HostTableDescriptor* k4,
                                        int a7, int a8, const char* caption, int a10, int documentType) {
    Enter("HostDocumentHeader");
    const char* service = "HostDocumentHeader";
    if (!IsTable(service, k4, HostTable::K4)) return -1;
    if (caption == nullptr) {
        Violation(service, "null caption");
        return -1;
    }
    Expect(service, "argument 1", a1, 0);
    Expect(service, "argument 2", a2, 0);
    Expect(service, "column", column, 150);
    Expect(service, "width", width1, 164);
    Expect(service, "second width", width2, 164);
    Expect(service, "argument 7", a7, 0);
    Expect(service, "argument 8", a8, 0);
    Expect(service, "argument 10", a10, 0);
    Expect(service, "document type", documentType, OrderDocument);

    const json run = NextAnswer("document_header", json::object(), {{"caption", Utf8FromMazovia(caption)}});
    const int result = run.value("result", 0x5001);
    if (Table* k4Table = FindTable(HostTable::K4)) {
        PutField<int16_t>(k4Table, K4Field::RightLevel, static_cast<int16_t>(run.value("k4_232", 0)));
        PutField<int32_t>(k4Table, K4Field::StoreHeader, run.value("k4_962", 1));
    }
    if (Table* tzak = FindTable(HostTable::Tzak)) PutField<int32_t>(tzak, TzakField::HeaderDone, run.value("tzak_877", 1));
    Record("header_dialog", {{"caption", Utf8FromMazovia(caption)}, {"result", result}});
    return result;
}

// ---------------------------------------------------------------------------
// 52326 HostDocumentInit
// ---------------------------------------------------------------------------
// Prepares a blank header: gives it the next document number at 2 and leaves
// the rest of the record as it is.
int __stdcall Korpus_HostDocumentInit(HostTableDescriptor* table, int documentType, void* record, int mode,
                                      int reserved) {
    Enter("HostDocumentInit");
    const char* service = "HostDocumentInit";
    if (!IsTable(service, table, HostTable::Tzak)) return 0;
    if (record != RecordBuffer(HostTable::Tzak)) {
        Violation(service, "record is not table 52's record buffer");
        return 0;
    }
    Expect(service, "document type", documentType, OrderDocument);
    Expect(service, "mode", mode, 2);
    Expect(service, "reserved argument", reserved, 0);
    const std::string number = MazoviaFromUtf8(DocumentScenario().value("number", DefaultDocumentNumber));
    const size_t length = std::min<size_t>(number.size(), DocumentNumberLength);
    if (FindTable(HostTable::Tzak)->recordSize >= static_cast<int>(TzakField::BlankTest + DocumentNumberLength + 1)) {
        std::memcpy(static_cast<char*>(record) + TzakField::BlankTest, number.c_str(), length);
        static_cast<char*>(record)[TzakField::BlankTest + length] = 0;
    }
    Record("header_initialised", {{"number", Utf8FromMazovia(number.c_str())}});
    return 1;
}

// ---------------------------------------------------------------------------
// 52377 HostDocumentStore
// ---------------------------------------------------------------------------
// Stores the header; the result follows "answers": {"document_store": [...]}
// (default 1, stored).
int __stdcall Korpus_HostDocumentStore(HostTableDescriptor* table, int documentType, void* record, int reserved) {
    Enter("HostDocumentStore");
    const char* service = "HostDocumentStore";
    CheckRecordGuards(service);
    if (!IsTable(service, table, HostTable::Tzak)) return 0;
    if (record != RecordBuffer(HostTable::Tzak)) {
        Violation(service, "record is not table 52's record buffer");
        return 0;
    }
    Expect(service, "document type", documentType, OrderDocument);
    Expect(service, "reserved argument", reserved, 0);
    const int stored = NextAnswer("document_store", 1).get<int>();
    const uint8_t* header = static_cast<const uint8_t*>(record);
    Record("header_stored", {{"stored", stored},
                             {"number", Text(header, TzakField::BlankTest, DocumentNumberLength + 1)},
                             {"note", Text(header, TzakField::Note, 60)},
                             {"date_237", Text(header, TzakField::Date1, DateFieldSize)},
                             {"date_246", Text(header, TzakField::Date2, DateFieldSize)}});
    return stored;
}

// ---------------------------------------------------------------------------
// 51467 HostLineFromGoods
// ---------------------------------------------------------------------------
// Prepares line n for the positioned goods record in table 53's record
// buffer and makes entry n of the lines array point to a line record with
// the same contents.
int __stdcall Korpus_HostLineFromGoods(HostTableDescriptor* lineTable, void* lineBuffer, void** lines, int lineIndex,
                                       int lineType) {
    Enter("HostLineFromGoods");
    const char* service = "HostLineFromGoods";
    Catalogue& goods = Goods();
    if (!IsTable(service, lineTable, HostTable::TzakDok)) return 0;
    Table* table = FindTable(HostTable::TzakDok);
    if (lineBuffer != table->record.data()) {
        Violation(service, "line buffer is not table 53's record buffer");
        return 0;
    }
    if (!goods.linesAllocated || lines != goods.lines.data()) {
        Violation(service, "lines array that HostLinesAlloc did not hand out");
        return 0;
    }
    if (lineIndex < 0 || lineIndex >= LinesCapacity) {
        Violation(service, "line index " + std::to_string(lineIndex) + " outside the lines array");
        return 0;
    }
    Expect(service, "line type", lineType, OrderLine);
    if (goods.positionedGoods < 0) {
        Violation(service, "no goods record positioned by HostSeekGoods");
        return 0;
    }
    const GoodsItem& item = goods.goods[goods.positionedGoods];
    if (item.goodsId != goods.currentGoods || item.warehouse != goods.currentWarehouse) {
        Violation(service, "the positioned goods record is not the one of the current goods and warehouse numbers");
        return 0;
    }
    if (table->recordSize < RecordSize::TzakDok) {
        Violation(service, "table 53 reports records smaller than a line");
        return 0;
    }

    uint8_t* buffer = table->record.data();
    std::memset(buffer, 0, RecordSize::TzakDok);
    WriteField<int32_t>(buffer, LineField::GoodsId, item.goodsId);
    WriteField<int16_t>(buffer, LineField::Warehouse, static_cast<int16_t>(item.warehouse));
    std::strncpy(reinterpret_cast<char*>(buffer + LineField::Code), item.code.c_str(), 40);
    std::strncpy(reinterpret_cast<char*>(buffer + LineField::Name), item.name.c_str(), 80);
    WriteField<int16_t>(buffer, LineField::LineType, static_cast<int16_t>(lineType));

    if (goods.lineRecords.size() <= static_cast<size_t>(lineIndex)) goods.lineRecords.resize(lineIndex + 1);
    auto& line = goods.lineRecords[lineIndex];
    if (!line) {
        line.reset(new uint8_t[RecordSize::TzakDok + LineGuardSize]);
        std::memset(line.get() + RecordSize::TzakDok, LineGuardByte, LineGuardSize);
    }
    std::memcpy(line.get(), buffer, RecordSize::TzakDok);
    goods.lines[lineIndex] = line.get();
    return 1;
}

// ---------------------------------------------------------------------------
// 52470 HostDocumentClose
// ---------------------------------------------------------------------------
// Closes the document with the lines saved last.
int __stdcall Korpus_HostDocumentClose(int documentType, int a2, int a3, int a4, int a5, int a6, int a7, int a8,
                                       int a9, int a10, int32_t headerValue897, int32_t headerValue893) {
    Enter("HostDocumentClose");
    const char* service = "HostDocumentClose";
    CheckRecordGuards(service);
    Expect(service, "document type", documentType, OrderDocument);
    const int middle[] = {a2, a3, a4, a5, a6, a7, a8, a9, a10};
    const int expected[] = {0, 0, 0, 0, 0, 0, 1, 0, 0};
    for (int i = 0; i < 9; ++i) Expect(service, ("argument " + std::to_string(i + 2)).c_str(), middle[i], expected[i]);
    if (!Goods().linesSaved) Violation(service, "document closed before its lines were saved");
    Record("document_closed",
           {{"arguments", {documentType, a2, a3, a4, a5, a6, a7, a8, a9, a10, headerValue897, headerValue893}},
            {"lines", Goods().savedLines}});
    return 1;
}

// ---------------------------------------------------------------------------
// 51562 HostCheckRight
// ---------------------------------------------------------------------------
// The user's right; the answer follows "answers": {"check_right": [...]}
// (default 1, granted).
int __stdcall Korpus_HostCheckRight(int right, int level, int reserved) {
    Enter("HostCheckRight");
    Expect("HostCheckRight", "right", right, 17);
    Expect("HostCheckRight", "level", level, 7);
    Expect("HostCheckRight", "reserved argument", reserved, 0);
    const int granted = NextAnswer("check_right", 1).get<int>();
    Record("right_checked", {{"right", right}, {"level", level}, {"granted", granted}});
    return granted;
}

// ---------------------------------------------------------------------------
// 52109 HostLinesAlloc
// ---------------------------------------------------------------------------
// A fresh lines array of the host's, which stays in place until the next one;
// none when the scenario says so ("document": {"lines_array": false}).
void** __stdcall Korpus_HostLinesAlloc(int documentType, int a2, int a3, int a4) {
    Enter("HostLinesAlloc");
    Expect("HostLinesAlloc", "document type", documentType, OrderDocument);
    Expect("HostLinesAlloc", "argument 2", a2, 0);
    Expect("HostLinesAlloc", "argument 3", a3, 0);
    Expect("HostLinesAlloc", "argument 4", a4, 0);
    Catalogue& goods = Goods();
    goods.lines.assign(LinesCapacity, nullptr);
    goods.lineRecords.clear();
    goods.linesSaved = false;
    goods.savedLines = json::array();
    goods.linesAllocated = DocumentScenario().value("lines_array", true);
    return goods.linesAllocated ? goods.lines.data() : nullptr;
}

// ---------------------------------------------------------------------------
// 52108 HostLinesSave
// ---------------------------------------------------------------------------
// Saves lines 0..count-1 under the document kind; every line goes into the
// transcript.
int __stdcall Korpus_HostLinesSave(int lineCount, int documentType, int lineType, const char* kind, int reserved) {
    Enter("HostLinesSave");
    const char* service = "HostLinesSave";
    CheckRecordGuards(service);
    Catalogue& goods = Goods();
    if (!goods.linesAllocated) {
        Violation(service, "lines saved without a lines array from HostLinesAlloc");
        return 0;
    }
    if (kind == nullptr) {
        Violation(service, "null document kind");
        return 0;
    }
    Expect(service, "document type", documentType, OrderDocument);
    Expect(service, "line type", lineType, OrderLine);
    Expect(service, "reserved argument", reserved, 0);
    if (lineCount < 0 || lineCount > LinesCapacity) {
        Violation(service, "line count " + std::to_string(lineCount) + " outside the lines array");
        return 0;
    }
    for (int i = 0; i < lineCount; ++i) {
        if (static_cast<size_t>(i) >= goods.lineRecords.size() || !goods.lineRecords[i] ||
            goods.lines[i] != goods.lineRecords[i].get()) {
            Violation(service, "line " + std::to_string(i) + " was not made by HostLineFromGoods");
            return 0;
        }
        if (!LineRecordIntact(i)) Violation(service, "line record " + std::to_string(i) + " written past its 626 bytes");
    }
    goods.savedLines = DescribeLines(lineCount);
    goods.linesSaved = true;
    Record("lines_saved", {{"count", lineCount},
                           {"document_type", documentType},
                           {"line_type", lineType},
                           {"kind", Utf8FromMazovia(kind)},
                           {"reserved", reserved},
                           {"lines", goods.savedLines}});
    return 1;
}
