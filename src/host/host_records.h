// Byte offsets of the host record fields that the plug-in reads or writes, and
// the record sizes it was built for. Both the plug-in and the reference host
// take them from here.
#pragma once

#include <cstdint>

namespace RecordSize {
inline constexpr int Tzak = 901;
inline constexpr int TzakDok = 626;
inline constexpr int K4 = 966;
inline constexpr int K9 = 1024;
}  // namespace RecordSize

// Tzak: the order document header.
namespace TzakField {
inline constexpr int BlankTest = 2;      // text; first byte 0 means a blank record
inline constexpr int Date1 = 237;        // date text
inline constexpr int Date2 = 246;        // date text
inline constexpr int Note = 399;         // note text
inline constexpr int HeaderDone = 877;   // 32-bit; non-zero ends the header step
inline constexpr int CloseLast = 893;    // 32-bit; last argument of HostDocumentClose
inline constexpr int CloseSecondLast = 897;  // 32-bit; second-to-last argument
}  // namespace TzakField

// Tzak_dok: one document line.
namespace TzakDokField {
inline constexpr int Quantity = 140;     // signed 32-bit, thousandths
}  // namespace TzakDokField

// k4, read after the header dialog.
namespace K4Field {
inline constexpr int RightLevel = 232;   // signed 16-bit
inline constexpr int StoreHeader = 962;  // 32-bit
}  // namespace K4Field

// k9: goods of a warehouse.
namespace K9Field {
inline constexpr int Name = 2;           // text, first byte tested
inline constexpr int Code = 123;         // goods code text
inline constexpr int GoodsId = 1022;     // signed 16-bit
}  // namespace K9Field

// Table 117: further codes of goods in a warehouse.
namespace GoodsCodeField {
inline constexpr int Code = 0;           // text
inline constexpr int Warehouse = 140;    // signed 16-bit
inline constexpr int GoodsId = 142;      // signed 16-bit
inline constexpr int RecordSize = 144;   // what the plug-in reads of a record
}  // namespace GoodsCodeField

// The scan state that HostScanFirst fills.
namespace ScanState {
inline constexpr int Size = 188;
inline constexpr int RecordCount = 116;  // signed 32-bit
inline constexpr int KeyBufferSize = 80;
}  // namespace ScanState

// The directory-search record that HostFindFirst and HostFindNext fill.
namespace FindData {
inline constexpr int Size = 288;
inline constexpr int Name = 28;          // terminated text of up to 260 bytes
}  // namespace FindData

// Reads and writes of unaligned record fields.
template <typename T>
inline T ReadField(const void* record, int offset) {
    T value;
    __builtin_memcpy(&value, static_cast<const char*>(record) + offset, sizeof value);
    return value;
}

template <typename T>
inline void WriteField(void* record, int offset, T value) {
    __builtin_memcpy(static_cast<char*>(record) + offset, &value, sizeof value);
}

inline char* FieldText(void* record, int offset) { return static_cast<char*>(record) + offset; }
