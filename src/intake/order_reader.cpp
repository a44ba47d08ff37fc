#include "intake/order_reader.h"

#include <cstring>

#include "intake/order_item.h"
#include "shell/kolektor.h"

const OrderKey OrderKeyTable[5] = {
    {"Nazwa", KeyNazwa},
    {"Symbol", KeySymbol},
    {"Jm", KeyJm},
    {"Ilosc", KeyIlosc},
    {"", KeyEndOfTable},
};

namespace {

constexpr char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Bounds of the item's text fields, in characters.
constexpr int NazwaLimit = sizeof(OrderItem::Nazwa) - 1;
constexpr int SymbolLimit = sizeof(OrderItem::Symbol) - 1;
constexpr int JmLimit = sizeof(OrderItem::Jm) - 1;
static_assert(NazwaLimit == 120 && SymbolLimit == 16 && JmLimit == 5);
static_assert(sizeof(OrderItem::IloscText) >= KeyValueSize, "the whole value fits the quantity's text");

void FillField(OrderItem* item, int32_t kind, const char* value) {
    switch (kind) {
    case KeyNazwa: HostCopyText(item->Nazwa, value, NazwaLimit); break;
    case KeySymbol: HostCopyText(item->Symbol, value, SymbolLimit); break;
    case KeyJm: HostCopyText(item->Jm, value, JmLimit); break;
    case KeyIlosc:
        item->Ilosc = HostTextToDouble(value);
        std::memcpy(item->IloscText, value, std::strlen(value) + 1);
        item->IloscGiven = 1;
        break;
    default: break;
    }
}

}  // namespace

bool StartsWithIgnoringCase(const char* text, const char* prefix) {
    for (; *prefix != 0; ++text, ++prefix)
        if (FoldAscii(*text) != FoldAscii(*prefix)) return false;  // also stops at the end of text
    return true;
}

bool ReadOrderLine(char* line, HostStream stream) {
    if (HostReadLine(line, OrderLineSize, stream) == nullptr) return false;
    size_t length = std::strlen(line);
    if (length == OrderLineSize - 1 && line[length - 1] != '\n') {
        // The buffer filled before the line ended: the rest of this line is
        // not a line of its own. Read it away up to and including its LF.
        char rest[OrderLineSize];
        bool first = true;
        while (HostReadLine(rest, OrderLineSize, stream) != nullptr) {
            const size_t restLength = std::strlen(rest);
            // A CR LF split between the two reads is still the line's end.
            if (first && restLength == 1 && rest[0] == '\n' && line[length - 1] == '\r') line[length - 1] = '\n';
            first = false;
            if (restLength > 0 && rest[restLength - 1] == '\n') break;
        }
    }
    if (length > 1 && line[length - 2] == '\r' && line[length - 1] == '\n') {
        line[length - 2] = '\n';
        line[length - 1] = 0;
    }
    return true;
}

void SplitKeyValue(char* value, char* line, char* key, int size) {
    value[0] = 0;
    key[0] = 0;
    char* equals = std::strchr(line, '=');
    if (equals == nullptr) return;
    *equals = 0;
    HostCopyText(key, line, size - 1);
    HostTrim(key);
    HostCopyText(value, equals + 1, size - 1);
    HostTrim(value);
    char* lineFeed = std::strrchr(value, '\n');
    if (lineFeed != nullptr) *lineFeed = 0;
}

int CKolektor::ReadOrderSection(OrderItem* item, const char* marker) {
    std::memset(item, 0, sizeof *item);
    bool inSection = false;
    int keyCount = 0;
    char line[OrderLineSize];
    char key[KeyValueSize];
    char value[KeyValueSize];

    for (;;) {
        const long lineStart = HostTellFile(openFile);
        if (!ReadOrderLine(line, openFile)) return keyCount > 0 ? SectionAtEnd : EmptyAtEnd;

        if (StartsWithIgnoringCase(line, marker)) {
            if (inSection) {
                HostSeekFile(openFile, lineStart, 0);
                return keyCount > 0 ? SectionBeforeMarker : EmptyBeforeMarker;
            }
            inSection = true;
        } else if (line[0] == '[') {
            // Another kind of section ends the reading of the file. Without a
            // key read, EmptyAtEnd tells the scan to stop here as well, rather
            // than to call again and meet this same line for ever.
            HostSeekFile(openFile, lineStart, 0);
            return keyCount > 0 ? SectionBeforeForeign : EmptyAtEnd;
        } else if (!inSection) {
            continue;
        }

        HostConvertText(line, line, CodePageWindows, CodePageMazovia);
        SplitKeyValue(value, line, key, KeyValueSize);
        for (const OrderKey* entry = OrderKeyTable; entry->kind != KeyEndOfTable; ++entry) {
            if (HostCompareText(key, entry->name) == 0) {
                ++keyCount;
                FillField(item, entry->kind, value);
            }
        }
    }
}
