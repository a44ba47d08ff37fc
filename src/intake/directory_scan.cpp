#include "intake/directory_scan.h"

#include <direct.h>

#include <cstdio>
#include <cstring>

#include "common/format.h"
#include "common/texts.h"
#include "host/host_records.h"
#include "intake/intake_texts.h"
#include "intake/order_item.h"
#include "intake/order_reader.h"
#include "intake/position_record.h"
#include "shell/kolektor.h"

namespace {

// Path buffers. The pattern and the archive paths fit every directory and
// every entry name; the order file's path does not, and is checked.
constexpr int PatternSize = 120;
constexpr int OrderPathSize = 256;
constexpr int ArchivePathSize = 512;
constexpr int DirectoryLimit = sizeof(CKolektor::directory) - 1;  // 100
constexpr int EntryNameRoom = FindData::Size - FindData::Name;    // 260, the terminator included
constexpr int ArchiveSuffixLength = 5;                            // "_arch"
static_assert(DirectoryLimit + 4 + 1 <= PatternSize, "\"%s\\*.*\" fits");
static_assert(DirectoryLimit + ArchiveSuffixLength + 1 + (EntryNameRoom - 1) + 1 <= ArchivePathSize,
              "the archive directory, \"\\\" and the longest entry name fit");

constexpr int ShareDenyNone = 0x40;  // the host's sharing argument of HostOpenFile
constexpr int OpenReserved = 0;
constexpr int OpenOptions = -1;

constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Whether a quantity text begins with a number: a sign, then a digit or a
// decimal separator followed by a digit. The host reads what follows.
bool BeginsWithNumber(const char* text) {
    while (*text == ' ' || *text == '\t') ++text;
    if (*text == '+' || *text == '-') ++text;
    if (IsDigit(*text)) return true;
    return (*text == '.' || *text == ',') && IsDigit(text[1]);
}

HostStream OpenHostFile(const char* path, const char* mode) {
    return HostOpenFile(path, mode, ShareDenyNone, OpenReserved, OpenOptions);
}

}  // namespace

bool QuantityInThousandths(const OrderItem& item, int32_t* thousandths) {
    if (item.IloscGiven && !BeginsWithNumber(item.IloscText)) return false;
    const double scaled = item.Ilosc * 1000.0;
    // Truncation toward zero keeps a value strictly inside (-2^31 - 1, 2^31);
    // NaN fails both comparisons.
    if (!(scaled > -2147483649.0 && scaled < 2147483648.0)) return false;
    *thousandths = static_cast<int32_t>(scaled);
    return true;
}

int CopyFileBlocks(HostStream destination, long destinationOffset, HostStream source, long sourceOffset,
                   long length) {
    long block = length < CopyBlockLimit ? length : CopyBlockLimit;
    void* buffer = nullptr;
    if (length > 0) {
        while ((buffer = HostAlloc(static_cast<int>(block))) == nullptr) {
            block -= CopyBlockStep;
            if (block <= 0) return -1;
        }
    }
    const bool positioned = destinationOffset >= 0;
    bool failed = false;
    do {
        if (HostSeekFile(source, sourceOffset, 0) != 0) { failed = true; break; }
        if (length > 0 && HostReadFile(buffer, static_cast<int>(block), 1, source) == 0) { failed = true; break; }
        if (positioned && HostSeekFile(destination, destinationOffset, 0) != 0) { failed = true; break; }
        if (length == 0) return 0;
        if (HostWriteFile(buffer, static_cast<int>(block), 1, destination) == 0) { failed = true; break; }
        length -= block;
        sourceOffset += block;
        destinationOffset += block;
        if (length < block) block = length;
    } while (length > 0);
    HostFree(buffer);
    return failed ? -1 : 0;
}

void CKolektor::DodajPozycjeDoDokumentu(const OrderItem* item) {
    PositionRecord record;
    std::memset(&record, 0, sizeof record);
    HostCopyText(record.code, item->Symbol, sizeof record.code - 1);
    int32_t thousandths = 0;
    // The scan has told the user about a quantity that is not a count.
    if (!QuantityInThousandths(*item, &thousandths)) return;
    record.quantity = thousandths;

    if (positionCount == positionCapacity) {
        constexpr int32_t LargestCapacity = 0x7FFFFFFF / static_cast<int32_t>(sizeof(PositionRecord));
        const bool representable = positionCapacity <= LargestCapacity - PositionGrowth;
        // The block pointer sits unaligned in the packed object; the host
        // takes its address as a plain pointer to a pointer.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
        void** block = reinterpret_cast<void**>(reinterpret_cast<char*>(this) + offsetof(CKolektor, positions));
#pragma GCC diagnostic pop
        if (!representable ||
            HostRealloc(block, (positionCapacity + PositionGrowth) * static_cast<int>(sizeof(PositionRecord))) == 0) {
            HostMessageBox(Text::TitleError, IntakeText::PositionsFull, MessageFlagsPlain);
            return;
        }
        positionCapacity += PositionGrowth;
    }
    std::memcpy(reinterpret_cast<char*>(positions) + positionCount * sizeof(PositionRecord), &record, sizeof record);
    ++positionCount;
}

namespace {

// Copies the order file into the archive directory. True only when the copy
// was written whole and both files closed without error; otherwise the user
// has been warned and the order file must stay where it is.
bool ArchiveOrderFile(const char* directory, const char* orderPath, const char* entryName) {
    char archivePath[ArchivePathSize];
    FormatText(archivePath, IntakeText::ArchiveDirectory, directory);
    _mkdir(archivePath);  // an existing archive directory is simply used
    std::strcat(archivePath, IntakeText::PathSeparator);
    std::strcat(archivePath, entryName);

    bool copied = false;
    HostStream source = OpenHostFile(orderPath, IntakeText::ModeRead);
    if (source != nullptr) {
        HostStream target = OpenHostFile(archivePath, IntakeText::ModeWrite);
        if (target == nullptr) {
            HostCloseFile(source);
        } else {
            const long length = HostFileLength(_fileno(source));
            // A length the host cannot tell is no empty file: copying nothing
            // and then deleting the original would lose it.
            int copyResult = length < 0 ? -1 : 0;
            if (length > 0) copyResult = CopyFileBlocks(target, 0, source, 0, length);
            const int targetClosed = HostCloseFile(target);
            const int sourceClosed = HostCloseFile(source);
            copied = copyResult == 0 && targetClosed == 0 && sourceClosed == 0;
        }
    }
    if (!copied) ShowMessageF(Text::TitleWarning, IntakeText::ArchiveFailed, MessageFlagsPlain, orderPath);
    return copied;
}

// Reads the sections of the import's open order file into positions.
void ReadOrderFile(CKolektor* import, const char* orderPath) {
    HostStream& openFile = import->openFile;
    // Skip everything before the first marker line, bracketed lines included.
    char line[OrderLineSize];
    for (;;) {
        const long lineStart = HostTellFile(openFile);
        if (!ReadOrderLine(line, openFile)) return;
        if (StartsWithIgnoringCase(line, IntakeText::SectionMarker)) {
            HostSeekFile(openFile, lineStart, 0);
            break;
        }
    }

    OrderItem item;
    for (;;) {
        if (HostUserBreak() != 0) return;
        const int code = import->ReadOrderSection(&item, IntakeText::SectionMarker);
        if (code == SectionBeforeMarker || code == SectionAtEnd || code == SectionBeforeForeign) {
            int32_t thousandths = 0;
            if (QuantityInThousandths(item, &thousandths))
                import->DodajPozycjeDoDokumentu(&item);
            else
                ShowMessageF(Text::TitleWarning, IntakeText::QuantityRejected, MessageFlagsPlain, orderPath,
                             item.Symbol, item.IloscText);
        }
        if (code != SectionBeforeMarker && code != EmptyBeforeMarker) return;
    }
}

}  // namespace

int CKolektor::ScanOrderDirectory() {
    char pattern[PatternSize];
    uint8_t findData[FindData::Size];
    openFile = nullptr;  // none is open, also when the directory has no entry
    FormatText(pattern, IntakeText::SearchPattern, directory);
    if (HostFindFirst(pattern, findData, 0) != 0) return 1;

    do {
        const char* entryName = reinterpret_cast<const char*>(findData) + FindData::Name;
        const size_t nameLength = strnlen(entryName, EntryNameRoom);
        const size_t directoryLength = std::strlen(directory);
        if (nameLength == EntryNameRoom || directoryLength + 1 + nameLength + 1 > OrderPathSize) {
            // Not read, not archived, not removed: nothing is done with a file
            // that cannot be named in full.
            ShowMessageF(Text::TitleWarning, IntakeText::PathTooLong, MessageFlagsPlain, directory, entryName);
            continue;
        }
        char orderPath[OrderPathSize];
        FormatText(orderPath, IntakeText::OrderFilePath, directory, entryName);

        openFile = nullptr;
        openFile = OpenHostFile(orderPath, IntakeText::ModeRead);
        const bool opened = openFile != nullptr;
        if (!opened) {
            ShowMessageF(Text::TitleEmpty, IntakeText::OpenFailed, MessageFlagsPlain, orderPath);
        } else {
            ReadOrderFile(this, orderPath);
            HostCloseFile(openFile);
            openFile = nullptr;
        }

        // A file that did not open has given no positions: it stays for the
        // next import, as does every file without a whole archive copy.
        const bool archived = ArchiveOrderFile(directory, orderPath, entryName);
        if (opened && archived && std::remove(orderPath) != 0)
            ShowMessageF(Text::TitleWarning, IntakeText::RemoveFailed, MessageFlagsPlain, orderPath);
    } while (HostFindNext(findData) == 0);

    HostFindClose(findData);
    return 1;
}

