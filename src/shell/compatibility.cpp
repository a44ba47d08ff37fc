#include "shell/compatibility.h"

#include <cstring>
#include <string>

#include "common/format.h"
#include "common/size_check.h"
#include "common/texts.h"
#include "host/host_records.h"
#include "host/host_services.h"
#include "shell/compatibility_texts.h"
#include "shell/plugin_module.h"

namespace {

struct CheckedTable {
    int number;
    const char* name;
    uint32_t expectedSize;
};

// In the order in which they are checked and reported.
constexpr CheckedTable CheckedTables[] = {
    {HostTable::Tzak, "Tzak"_mz, RecordSize::Tzak},
    {HostTable::TzakDok, "Tzak_dok"_mz, RecordSize::TzakDok},
    {HostTable::K4, "k4"_mz, RecordSize::K4},
    {HostTable::K9, "k9"_mz, RecordSize::K9},
};
constexpr int CheckedTableCount = sizeof CheckedTables / sizeof CheckedTables[0];

// One node per checked table; they live as long as the library.
SizeCheck TableChecks[CheckedTableCount];

constexpr std::size_t ReportSize = 3072;
constexpr std::size_t NumberSize = 104;

constexpr std::size_t Length(const char* text) { return std::char_traits<char>::length(text); }
// The worst case: every table of CheckedTables and the Tzak hook's node, each
// with a name of at most 8 characters and sizes of 10 digits and sign, and a
// module path of PluginModulePathSize - 1 characters.
constexpr std::size_t LongestRow = Length(Text::SizeReportRow) - 6 + 8 + 10 + 11;
static_assert(Length(Text::SizeReportHead) - 2 + Length(Text::DisplayName) + (CheckedTableCount + 1) * LongestRow +
                      Length(Text::SizeReportTail) - 2 + PluginModulePathSize - 1 + 1 <=
                  ReportSize,
              "the report buffer holds the longest report");
static_assert(Length(Text::DisplayName) < 64, "the display name fits its buffer");
static_assert(NumberSize >= 12, "the number buffer holds every 32-bit number");

bool IsListed(const SizeCheck* node) {
    for (const SizeCheck* at = SizeCheckList; at != nullptr; at = at->NextCheck)
        if (at == node) return true;
    return false;
}

// The module's file name: the path after its last backslash, or all of it.
// The copy is bounded and terminated even if the path was cut at attach.
void ModuleFileName(char (&name)[PluginModulePathSize]) {
    const std::size_t length = strnlen(PluginModulePath, PluginModulePathSize - 1);
    std::size_t start = length;
    while (start > 0 && PluginModulePath[start - 1] != '\\') --start;
    std::memcpy(name, PluginModulePath + start, length - start);
    name[length - start] = 0;
}

}  // namespace

int CheckHostCompatibility() {
    if (HostApiLevel() != RequiredApiLevel) return -1;
    return CheckTableSizes() == 0 ? 0 : -1;
}

int CheckTableSizes() {
    for (int i = 0; i < CheckedTableCount; ++i) {
        const HostTableDescriptor* descriptor = HostGetTable(CheckedTables[i].number);
        SizeCheck& node = TableChecks[i];
        node.ExpectedSize = CheckedTables[i].expectedSize;
        node.HostSize = descriptor != nullptr ? descriptor->recordSize : 0;
        node.TableName = CheckedTables[i].name;
        // A node that an earlier handshake listed keeps its link: clearing it
        // would cut off every node behind it, the Tzak hook's included.
        if (!IsListed(&node)) node.NextCheck = nullptr;
        CheckRecordSize(&node);
    }
    return CountSizeMismatches();
}

int CheckRecordSize(SizeCheck* node) {
    if (node->ExpectedSize == static_cast<uint32_t>(node->HostSize)) return 0;
    return AddSizeMismatch(node);
}

void ShowCompatibilityReport() {
    char displayName[64];
    CopyDisplayName(displayName);
    if (SizeCheckList == nullptr) {
        HostMessageBoxF(Text::TitleRefusal, Text::VersionMismatch, MessageFlagsRefusal, displayName, displayName);
        return;
    }
    char report[ReportSize];
    int length = FormatText(report, Text::SizeReportHead, displayName);
    for (const SizeCheck* node = SizeCheckList; node != nullptr; node = node->NextCheck) {
        char hostSize[NumberSize];
        if (node->HostSize == 0) std::strcpy(hostSize, Text::TableMissing);
        else FormatText(hostSize, "%d", static_cast<int>(node->HostSize));
        length += FormatText(report + length, Text::SizeReportRow, node->TableName,
                             static_cast<unsigned>(node->ExpectedSize), hostSize);
    }
    char fileName[PluginModulePathSize];
    ModuleFileName(fileName);
    FormatText(report + length, Text::SizeReportTail, fileName);
    HostMessageBox(Text::TitleRefusal, report, MessageFlagsRefusal);
}
