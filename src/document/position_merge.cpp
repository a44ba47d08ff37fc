// Positions with the same goods code become one position carrying the sum of
// their quantities; positions without a code are dropped; the rest is sorted.
#include "document/position_merge.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "common/format.h"
#include "common/texts.h"
#include "document/document_texts.h"
#include "intake/position_record.h"
#include "shell/kolektor.h"

namespace {

constexpr int CodeBytes = sizeof(PositionRecord::code);

bool IsEmpty(const PositionRecord& record) { return record.code[0] == 0; }

// Byte for byte up to and including the terminator; two empty codes are equal.
bool SameCode(const PositionRecord& a, const PositionRecord& b) {
    for (int i = 0; i < CodeBytes; ++i) {
        if (a.code[i] != b.code[i]) return false;
        if (a.code[i] == 0) return true;
    }
    return true;
}

void Clear(PositionRecord& record) { std::memset(&record, 0, sizeof record); }

// Ends a run of records with one code in its last record. The exact sum is
// kept in 64 bits; a sum a 32-bit count of thousandths cannot hold would be a
// wrong quantity in the document, so the code is dropped and the user told.
void FinishRun(PositionRecord& last, int64_t sum) {
    if (IsEmpty(last)) return;
    if (sum < INT32_MIN || sum > INT32_MAX) {
        ShowMessageF(Text::TitleReport, DocumentText::QuantityOutOfRange, MessageFlagsPlain, last.code);
        Clear(last);
        return;
    }
    last.quantity = static_cast<int32_t>(sum);
}

}  // namespace

int ComparePositionCodes(const void* first, const void* second) {
    const auto* a = static_cast<const PositionRecord*>(first);
    const auto* b = static_cast<const PositionRecord*>(second);
    if (IsEmpty(*a) || IsEmpty(*b)) return static_cast<int>(IsEmpty(*a)) - static_cast<int>(IsEmpty(*b));
    for (int i = 0; i < CodeBytes; ++i) {
        const unsigned char x = static_cast<unsigned char>(a->code[i]);
        const unsigned char y = static_cast<unsigned char>(b->code[i]);
        if (x != y) return x < y ? -1 : 1;
        if (x == 0) break;
    }
    return 0;
}

void CKolektor::MergePositions() {
    const int count = positionCount;
    if (count <= 0 || positions == nullptr) return;
    PositionRecord* records = positions;

    std::qsort(records, count, sizeof(PositionRecord), ComparePositionCodes);

    // Each record is compared with its successor; a run ends with its sum in
    // its last record and the records before it cleared.
    int64_t runSum = records[0].quantity;
    for (int i = 0; i + 1 < count; ++i) {
        if (SameCode(records[i], records[i + 1])) {
            runSum += records[i + 1].quantity;
            Clear(records[i]);
        } else {
            FinishRun(records[i], runSum);
            runSum = records[i + 1].quantity;
        }
    }
    FinishRun(records[count - 1], runSum);

    std::qsort(records, count, sizeof(PositionRecord), ComparePositionCodes);

    int merged = 0;
    while (merged < count && !IsEmpty(records[merged])) ++merged;
    positionCount = merged;
}
