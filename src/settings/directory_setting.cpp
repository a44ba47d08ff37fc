#include "settings/directory_setting.h"

#include "common/format.h"
#include "common/texts.h"
#include "host/host_services.h"
#include "settings/settings_texts.h"
#include "shell/kolektor.h"

namespace {

constexpr int DirectoryLimit = sizeof(CKolektor::directory) - 1;  // 100
// The stored value is read into this buffer, and the escaped directory is
// built in it: at most twice the directory's length and the terminator.
constexpr int ProfileBufferSize = 256;
static_assert(2 * DirectoryLimit + 1 <= ProfileBufferSize);

// Key codes of the host.
constexpr uint16_t KeyF2 = 0x3C00;
constexpr uint16_t KeyF12 = 0x5500;
constexpr uint16_t KeyEscape = 0x001B;

constexpr uint16_t RecordDialog = 0xFFFF;
constexpr uint16_t RecordLabel = 3;
constexpr uint16_t RecordButton = 0;

}  // namespace

// The captions' markup: \x01c centres, \x02 and \x05 begin a highlighted key
// name that the next \x01 ends. All of it is ASCII, the same in every code
// page. The escapes stand alone so that no letter joins a hex escape.
const DirectoryPromptLayout DirectoryPromptTemplate = {
    sizeof(DirectoryPromptLayout) - 4,
    sizeof(DirectoryPromptLayout) - 8,
    4,
    {RecordDialog, DirectoryPromptId, 0, 0, 0, 0, 46, 8, 0},
    "Katalog",
    {RecordLabel, KeyF2, 0, 0, 3, 2, 15, 1, 0},
    "\x02" "F2" "\x01" " Katalog",
    {5, 38, 5, 0x4104, 0x0400, 0, 3, 3, 40, 1, {}, DirectoryLimit, 8, 0, DirectoryLimit, 1, 0},
    {RecordButton, static_cast<uint16_t>(DialogResultOk), 0, KeyF12, 8, 5, 12, 1, 0},
    "\x01" "c" "\x01" "\x05" "F12" "\x01" " OK",
    {RecordButton, static_cast<uint16_t>(DialogResultEscape), 0, KeyEscape, 24, 5, 12, 1, 0},
    "\x01" "c" "\x01" "\x05" "ESC" "\x01" " Anuluj",
};

char* UnescapeProfileText(char* text) {
    char* out = text;
    for (const char* in = text; *in != 0; ++in) {
        if (*in != '\\') {
            *out++ = *in;
            continue;
        }
        ++in;
        if (*in == 0) break;  // a final backslash is dropped
        *out++ = *in == 'n' ? '\n' : *in;
    }
    *out = 0;
    return text;
}

char* EscapeProfileText(char* out, const char* text) {
    char* at = out;
    for (; *text != 0; ++text) {
        switch (*text) {
        case '\n': *at++ = '\\'; *at++ = 'n'; break;
        case '"': *at++ = '\\'; *at++ = '"'; break;
        case '\\': *at++ = '\\'; *at++ = '\\'; break;
        default: *at++ = *text; break;
        }
    }
    *at = 0;
    return out;
}

int CKolektor::AskImportDirectory() {
    char buffer[ProfileBufferSize];
    const int read = AccessProfile(Text::ProfileFile, ProfileRead, Text::ProfileSection, Text::KeyDirectory,
                                   SettingsText::TextFormat, buffer);
    if (!ProfileReadSucceeded(read))
        directory[0] = 0;
    else
        HostCopyText(directory, UnescapeProfileText(buffer), DirectoryLimit);

    const int answer = HostDialogExecute(this, &DirectoryPromptTemplate, DirectoryPromptId, directory, 0);
    if ((answer & 0xFFFF) != DialogResultOk) return 1;
    if (directory[0] == 0) {
        HostMessageBox(Text::TitleWarning, SettingsText::NoDirectory, MessageFlagsPlain);
        return 1;
    }
    AccessProfile(Text::ProfileFile, ProfileWrite, Text::ProfileSection, Text::KeyDirectory,
                  SettingsText::TextFormat, EscapeProfileText(buffer, directory));
    return 0;
}
