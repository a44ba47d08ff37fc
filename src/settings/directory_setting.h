// The import directory: its INI key, the escaping of INI texts and the
// dialog template of the directory prompt.
#pragma once

#include <cstddef>
#include <cstdint>

// Decodes an escaped INI text in place (it can only get shorter); returns text.
char* UnescapeProfileText(char* text);
// Writes the escaped form of text, terminator included, into out, which has
// room for twice the length of text plus one; returns out.
char* EscapeProfileText(char* out, const char* text);

// The dialog id of the directory prompt, in the template and in the call.
inline constexpr uint16_t DirectoryPromptId = 20065;

#pragma pack(push, 1)
// The head of every record of the host's dialog template but the input field's.
struct DialogRecordHead {
    uint16_t kind;       // 0xFFFF the dialog, 3 a label, 0 a button
    uint16_t id;         // dialog id, label key or closing control id
    uint16_t reserved;   // 0
    uint16_t keyCode;    // the host's key code, 0 for none
    uint16_t column;
    uint16_t row;
    uint16_t width;
    uint16_t height;
    uint32_t reserved2;  // 0
};
static_assert(sizeof(DialogRecordHead) == 20);

// The input-field record. Its values are the host's; only the position, the
// size and the text limit mean something to the plug-in.
struct DialogInputField {
    uint16_t hostKind;      // 5
    uint16_t host1;         // 38
    uint16_t host2;         // 5
    uint16_t host3;         // 0x4104
    uint16_t host4;         // 0x0400
    uint16_t host5;         // 0
    uint16_t column;
    uint16_t row;
    uint16_t width;
    uint16_t height;
    uint8_t host6[12];      // all zero
    uint16_t textLimit;     // the directory's limit of 100 characters
    uint16_t host7;         // 8
    uint16_t host8;         // 0
    uint16_t textLimit2;    // the directory's limit again
    uint16_t host9;         // 1
    uint8_t host10;         // 0
};
static_assert(sizeof(DialogInputField) == 43);

// The directory prompt, 46 by 8: "F2 Katalog" over a one-line input field,
// and the buttons OK (F12) and Anuluj (ESC) below.
struct DirectoryPromptLayout {
    uint32_t bytesAfterTotal;    // bytes after this field: 176
    uint16_t bytesAfterCount;    // bytes after the next field: 172
    uint16_t controlCount;       // control records after the dialog record: 4
    DialogRecordHead dialog;
    char title[8];               // "Katalog"
    DialogRecordHead label;
    char labelCaption[13];       // F2 highlighted, then " Katalog"
    DialogInputField field;
    DialogRecordHead okButton;
    char okCaption[12];          // centred, F12 highlighted, " OK"
    DialogRecordHead cancelButton;
    char cancelCaption[16];      // centred, ESC highlighted, " Anuluj"
};
#pragma pack(pop)

static_assert(sizeof(DirectoryPromptLayout) == 180);
static_assert(offsetof(DirectoryPromptLayout, dialog) == 8);
static_assert(offsetof(DirectoryPromptLayout, title) == 28);
static_assert(offsetof(DirectoryPromptLayout, label) == 36);
static_assert(offsetof(DirectoryPromptLayout, labelCaption) == 56);
static_assert(offsetof(DirectoryPromptLayout, field) == 69);
static_assert(offsetof(DirectoryPromptLayout, field) + offsetof(DialogInputField, textLimit) == 101);
static_assert(offsetof(DirectoryPromptLayout, okButton) == 112);
static_assert(offsetof(DirectoryPromptLayout, okCaption) == 132);
static_assert(offsetof(DirectoryPromptLayout, cancelButton) == 144);
static_assert(offsetof(DirectoryPromptLayout, cancelCaption) == 164);

extern const DirectoryPromptLayout DirectoryPromptTemplate;
