// The order-file section reader and the line handling it shares with the scan.
#pragma once

#include <cstdint>

#include "host/host_services.h"

// What ReadOrderSection reports.
enum SectionCode : int {
    SectionBeforeMarker = 0,   // keys read; stopped at the next marker line
    SectionAtEnd = 1,          // keys read; end of file
    EmptyBeforeMarker = 2,     // no key; stopped at the next marker line
    EmptyAtEnd = 3,            // no key; end of file, or a bracketed line that ends the file's reading
    SectionBeforeForeign = 4,  // keys read; stopped at a bracketed line that is not a marker
};

// Line buffer of the reader and the scan: 1023 characters, the line end
// included, and the terminator.
inline constexpr int OrderLineSize = 1024;
// Key and value buffers of SplitKeyValue.
inline constexpr int KeyValueSize = 256;

// Kinds of OrderKeyTable entries: the field a key fills.
enum OrderKeyKind : int32_t { KeyEndOfTable = 0, KeyNazwa = 1, KeySymbol = 2, KeyJm = 3, KeyIlosc = 4 };

#pragma pack(push, 1)
struct OrderKey {
    char name[25];  // NUL-padded
    int32_t kind;
};
#pragma pack(pop)
static_assert(sizeof(OrderKey) == 29);

// The keys the reader knows, ending at the first entry of kind 0.
extern const OrderKey OrderKeyTable[5];

// Reads one physical line into line (OrderLineSize bytes): false at the end
// of the file or on a read error. A line longer than the buffer keeps its
// first 1023 characters; the rest of it is read and dropped, so it never
// comes back as a line of its own. A final CR LF is reduced to LF.
bool ReadOrderLine(char* line, HostStream stream);

// True when text begins with prefix, ignoring the case of ASCII letters.
bool StartsWithIgnoringCase(const char* text, const char* prefix);

// Splits line at its first "=" into the trimmed key and value (each of size
// bytes with the terminator); the value loses its line end. Without "=" both
// stay empty. The "=" in line is overwritten with the terminator.
void SplitKeyValue(char* value, char* line, char* key, int size);
