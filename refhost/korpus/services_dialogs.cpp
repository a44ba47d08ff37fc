// The host's dialog class WDialogBase, the embedded list object, and the
// dialog services.
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "dialog_objects.h"
#include "host_state.h"
#include "korpus_exports.h"

using namespace korpus;

namespace {

constexpr uint32_t DialogMagic = 0x4B444C47;
constexpr uint32_t ListMagic = 0x4B4C5354;
constexpr int ListSize = 20;

std::set<const void*>& LiveDialogs() {
    static std::set<const void*> live;
    return live;
}
std::set<const void*>& LiveLists() {
    static std::set<const void*> live;
    return live;
}

WDialogBase* __thiscall HostDialogDeletingDestructor(WDialogBase* self, unsigned) { return self; }

int DialogOperation(int slot, WDialogBase* self) {
    Record("dialog_operation", {{"slot", slot}, {"known_object", LiveDialogs().count(self) == 1}});
    return 0;
}

// The host's own table of the class: its destructor and the 34 operations.
const void* const HostDialogTable[WDialogBaseVirtualSlots] = {
    reinterpret_cast<const void*>(&HostDialogDeletingDestructor),
#define KORPUS_SLOT(n) reinterpret_cast<const void*>(&Korpus_WDialogBaseSlot##n),
    KORPUS_SLOT(01) KORPUS_SLOT(02) KORPUS_SLOT(03) KORPUS_SLOT(04) KORPUS_SLOT(05) KORPUS_SLOT(06)
    KORPUS_SLOT(07) KORPUS_SLOT(08) KORPUS_SLOT(09) KORPUS_SLOT(10) KORPUS_SLOT(11) KORPUS_SLOT(12)
    KORPUS_SLOT(13) KORPUS_SLOT(14) KORPUS_SLOT(15) KORPUS_SLOT(16) KORPUS_SLOT(17) KORPUS_SLOT(18)
    KORPUS_SLOT(19) KORPUS_SLOT(20) KORPUS_SLOT(21) KORPUS_SLOT(22) KORPUS_SLOT(23) KORPUS_SLOT(24)
    KORPUS_SLOT(25) KORPUS_SLOT(26) KORPUS_SLOT(27) KORPUS_SLOT(28) KORPUS_SLOT(29) KORPUS_SLOT(30)
    KORPUS_SLOT(31) KORPUS_SLOT(32) KORPUS_SLOT(33) KORPUS_SLOT(34)
#undef KORPUS_SLOT
};

// Follows a plug-in's call entry ("jmp *[slot]", FF 25 and an absolute
// address) to where it leads.
const void* ResolveEntry(const void* entry) {
    const uint8_t* code = static_cast<const uint8_t*>(entry);
    if (code != nullptr && code[0] == 0xFF && code[1] == 0x25) {
        const void* const* slot;
        std::memcpy(&slot, code + 2, sizeof slot);
        return *slot;
    }
    return entry;
}

}  // namespace

namespace korpus {

bool CheckDialogObject(const char* service, const WDialogBase* dialog) {
    if (dialog == nullptr) {
        Violation(service, "null dialog object");
        return false;
    }
    if (LiveDialogs().count(dialog) == 0) {
        Violation(service, "dialog object was not built by the WDialogBase constructor");
        return false;
    }
    bool fine = true;
    for (int slot = 1; slot < WDialogBaseVirtualSlots; ++slot) {
        if (ResolveEntry(dialog->virtualTable[slot]) != HostDialogTable[slot]) {
            Violation(service, "virtual-table slot " + std::to_string(slot) +
                                   " of the dialog object does not lead to the host's operation");
            fine = false;
        }
    }
    return fine;
}

}  // namespace korpus

// ---------------------------------------------------------------------------
// 20902 WDialogBase constructor
// ---------------------------------------------------------------------------
WDialogBase* __thiscall Korpus_WDialogBaseConstruct(WDialogBase* self) {
    Enter("WDialogBaseConstruct");
    if (self == nullptr) {
        Violation("WDialogBaseConstruct", "null object");
        return self;
    }
    if (LiveDialogs().count(self) != 0) Violation("WDialogBaseConstruct", "object constructed twice");
    self->virtualTable = HostDialogTable;
    self->hostMember = DialogMagic;
    LiveDialogs().insert(self);
    Record("dialog_constructed");
    return self;
}

// ---------------------------------------------------------------------------
// 20903 WDialogBase destructor
// ---------------------------------------------------------------------------
void __thiscall Korpus_WDialogBaseDestruct(WDialogBase* self) {
    Enter("WDialogBaseDestruct");
    if (self == nullptr || LiveDialogs().count(self) == 0) {
        Violation("WDialogBaseDestruct", "object is not a constructed dialog");
        return;
    }
    if (self->hostMember != DialogMagic) Violation("WDialogBaseDestruct", "the host's member was overwritten");
    self->virtualTable = HostDialogTable;
    self->hostMember = 0;
    LiveDialogs().erase(self);
    Record("dialog_destroyed");
}

// ---------------------------------------------------------------------------
// 20937..20967, 24002..24004 the virtual operations of WDialogBase
// ---------------------------------------------------------------------------
// The host reaches these through a dialog's virtual table; the reference host
// records each call.
#define KORPUS_DIALOG_OPERATION(n) \
    int __thiscall Korpus_WDialogBaseSlot##n(WDialogBase* self) { return DialogOperation(1##n - 100, self); }
KORPUS_DIALOG_OPERATION(01) KORPUS_DIALOG_OPERATION(02) KORPUS_DIALOG_OPERATION(03)
KORPUS_DIALOG_OPERATION(04) KORPUS_DIALOG_OPERATION(05) KORPUS_DIALOG_OPERATION(06)
KORPUS_DIALOG_OPERATION(07) KORPUS_DIALOG_OPERATION(08) KORPUS_DIALOG_OPERATION(09)
KORPUS_DIALOG_OPERATION(10) KORPUS_DIALOG_OPERATION(11) KORPUS_DIALOG_OPERATION(12)
KORPUS_DIALOG_OPERATION(13) KORPUS_DIALOG_OPERATION(14) KORPUS_DIALOG_OPERATION(15)
KORPUS_DIALOG_OPERATION(16) KORPUS_DIALOG_OPERATION(17) KORPUS_DIALOG_OPERATION(18)
KORPUS_DIALOG_OPERATION(19) KORPUS_DIALOG_OPERATION(20) KORPUS_DIALOG_OPERATION(21)
KORPUS_DIALOG_OPERATION(22) KORPUS_DIALOG_OPERATION(23) KORPUS_DIALOG_OPERATION(24)
KORPUS_DIALOG_OPERATION(25) KORPUS_DIALOG_OPERATION(26) KORPUS_DIALOG_OPERATION(27)
KORPUS_DIALOG_OPERATION(28) KORPUS_DIALOG_OPERATION(29) KORPUS_DIALOG_OPERATION(30)
KORPUS_DIALOG_OPERATION(31) KORPUS_DIALOG_OPERATION(32) KORPUS_DIALOG_OPERATION(33)
KORPUS_DIALOG_OPERATION(34)
#undef KORPUS_DIALOG_OPERATION

// ---------------------------------------------------------------------------
// 22140 HostListInit
// ---------------------------------------------------------------------------
void __thiscall Korpus_HostListInit(void* list) {
    Enter("HostListInit");
    if (list == nullptr) {
        Violation("HostListInit", "null list object");
        return;
    }
    if (LiveLists().count(list) != 0) Violation("HostListInit", "list object initialised twice");
    std::memset(list, 0, ListSize);
    std::memcpy(list, &ListMagic, sizeof ListMagic);
    LiveLists().insert(list);
    Record("list_initialised");
}

// ---------------------------------------------------------------------------
// 22141 HostListDone
// ---------------------------------------------------------------------------
void __thiscall Korpus_HostListDone(void* list) {
    Enter("HostListDone");
    if (list == nullptr || LiveLists().count(list) == 0) {
        Violation("HostListDone", "object is not an initialised list");
        return;
    }
    uint32_t magic;
    std::memcpy(&magic, list, sizeof magic);
    if (magic != ListMagic) Violation("HostListDone", "the list object was overwritten");
    std::memset(list, 0, ListSize);
    LiveLists().erase(list);
    Record("list_done");
}

// ---------------------------------------------------------------------------
// 24007 HostDialogExecute
// ---------------------------------------------------------------------------
namespace {

// Record kinds of the host's dialog template.
constexpr uint16_t TemplateDialog = 0xFFFF;
constexpr uint16_t TemplateLabel = 3;
constexpr uint16_t TemplateButton = 0;
constexpr uint16_t TemplateInputField = 5;
constexpr size_t RecordHeadSize = 20;
constexpr size_t InputFieldSize = 43;
constexpr size_t TemplateLimit = 4096;  // no dialog of the host comes near it

// Key codes of the host, by the names scenarios use.
const std::map<std::string, uint16_t> KeyCodes = {{"F2", 0x3C00}, {"F12", 0x5500}, {"ESC", 0x001B}};

std::string KeyName(uint16_t code) {
    for (auto& [name, value] : KeyCodes)
        if (value == code) return name;
    return code == 0 ? "" : std::to_string(code);
}

// Reads the template's little-endian fields and texts within its length.
struct TemplateReader {
    const uint8_t* bytes;
    size_t size;
    size_t at = 0;
    std::string fault;

    bool Have(size_t n, const char* what) {
        if (!fault.empty()) return false;
        if (at + n <= size) return true;
        fault = std::string(what) + " runs past the template's end at byte " + std::to_string(at);
        return false;
    }
    uint16_t U16(const char* what) {
        if (!Have(2, what)) return 0;
        const uint16_t v = static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
        at += 2;
        return v;
    }
    uint32_t U32(const char* what) {
        if (!Have(4, what)) return 0;
        uint32_t v;
        std::memcpy(&v, bytes + at, 4);
        at += 4;
        return v;
    }
    std::string Text(const char* what) {
        if (!fault.empty()) return {};
        const void* end = std::memchr(bytes + at, 0, size - at);
        if (end == nullptr) {
            fault = std::string(what) + " at byte " + std::to_string(at) + " is not terminated inside the template";
            return {};
        }
        std::string text(reinterpret_cast<const char*>(bytes + at));
        at += text.size() + 1;
        return text;
    }
};

struct Control {
    json shown;
    uint16_t id = 0, key = 0;
    bool button = false, field = false;
    int limit = 0;
};

// One record head; a fault when its reserved fields are not 0.
json ReadHead(TemplateReader& in, uint16_t* id, uint16_t* key) {
    const size_t start = in.at;
    in.U16("record kind");
    *id = in.U16("record id");
    const uint16_t reserved = in.U16("reserved field");
    *key = in.U16("key code");
    json geometry = {{"column", in.U16("column")}, {"row", in.U16("row")}, {"width", in.U16("width")},
                     {"height", in.U16("height")}};
    const uint32_t reserved2 = in.U32("reserved field");
    if (in.fault.empty() && (reserved != 0 || reserved2 != 0))
        in.fault = "reserved fields of the record at byte " + std::to_string(start) + " are not 0";
    return geometry;
}

// Builds the dialog from its template; a fault text when it is malformed.
std::string BuildDialog(const void* dialogTemplate, int dialogId, json* dialogOut, std::vector<Control>* controls) {
    const uint8_t* bytes = static_cast<const uint8_t*>(dialogTemplate);
    uint32_t after;
    std::memcpy(&after, bytes, 4);
    if (after < 4 || after > TemplateLimit)
        return "template length " + std::to_string(after) + " is not between 4 and " + std::to_string(TemplateLimit);
    TemplateReader in{bytes, after + 4u, 4, {}};
    const uint16_t afterCount = in.U16("second length");
    if (afterCount != after - 4)
        return "second length " + std::to_string(afterCount) + " does not equal the first less 4 (" +
               std::to_string(after - 4) + ")";
    const uint16_t count = in.U16("control count");
    if (in.U16("dialog record kind") != TemplateDialog) return "the first record is not the dialog's (kind 0xFFFF)";
    in.at -= 2;
    uint16_t id = 0, key = 0;
    json dialog = ReadHead(in, &id, &key);
    dialog["title"] = Utf8FromMazovia(in.Text("dialog title").c_str());
    if (!in.fault.empty()) return in.fault;
    if (id != dialogId) return "dialog id " + std::to_string(id) + " in the template is not the id passed, " + std::to_string(dialogId);
    const int width = dialog["width"], height = dialog["height"];

    for (int i = 0; i < count && in.fault.empty(); ++i) {
        if (!in.Have(2, "control record")) break;
        const uint16_t kind = static_cast<uint16_t>(in.bytes[in.at] | in.bytes[in.at + 1] << 8);
        Control control;
        if (kind == TemplateLabel || kind == TemplateButton) {
            control.shown = ReadHead(in, &control.id, &control.key);
            control.shown["kind"] = kind == TemplateLabel ? "label" : "button";
            control.shown["text"] = Utf8FromMazovia(in.Text("caption").c_str());
            if (kind == TemplateButton) control.shown["id"] = control.id;
            control.shown["key"] = KeyName(kind == TemplateLabel ? control.id : control.key);
            control.button = kind == TemplateButton;
        } else if (kind == TemplateInputField) {
            if (!in.Have(InputFieldSize, "input-field record")) break;
            const size_t start = in.at;
            in.at = start + 12;
            control.shown = {{"kind", "field"}, {"column", in.U16("column")}, {"row", in.U16("row")},
                             {"width", in.U16("width")}, {"height", in.U16("height")}};
            in.at = start + 32;
            control.limit = in.U16("text limit");
            in.at = start + InputFieldSize;
            if (control.limit == 0) in.fault = "input field at byte " + std::to_string(start) + " has a text limit of 0";
            control.shown["limit"] = control.limit;
            control.field = true;
        } else {
            in.fault = "record kind " + std::to_string(kind) + " at byte " + std::to_string(in.at) + " is unknown";
            break;
        }
        if (!in.fault.empty()) break;
        const int right = control.shown["column"].get<int>() + control.shown["width"].get<int>();
        const int bottom = control.shown["row"].get<int>() + control.shown["height"].get<int>();
        if (right > width || bottom > height)
            return "control " + std::to_string(i + 1) + " lies outside the dialog of " + std::to_string(width) + " by " +
                   std::to_string(height);
        controls->push_back(std::move(control));
    }
    if (!in.fault.empty()) return in.fault;
    if (in.at != in.size)
        return std::to_string(in.size - in.at) + " bytes follow the last of the " + std::to_string(count) + " controls";
    *dialogOut = std::move(dialog);
    return {};
}

}  // namespace

// ---------------------------------------------------------------------------
// 24007 HostDialogExecute
// ---------------------------------------------------------------------------
// Builds the dialog from the template, shows the data block in its input
// field and closes it as the scenario answers ("answers": {"dialog": [...]}):
// {"key": "F12", "text": "..."} types the text into the field (cut to the
// field's limit) and presses the button with that key; {"key": "ESC"} presses
// that one; {"result": N} closes the dialog some other way with result N.
// Without an answer the user presses ESC. The result is the closing
// button's id. A malformed template is a contract violation; nothing is shown.
int __cdecl Korpus_HostDialogExecute(WDialogBase* dialog, const void* dialogTemplate, int dialogId, void* data,
                                     int reserved) {
    Enter("HostDialogExecute");
    CheckDialogObject("HostDialogExecute", dialog);
    if (dialogTemplate == nullptr) {
        Violation("HostDialogExecute", "null template");
        return DialogResultEscape;
    }
    if (reserved != 0) Violation("HostDialogExecute", "last argument " + std::to_string(reserved) + " is not 0");
    json shown;
    std::vector<Control> controls;
    const std::string fault = BuildDialog(dialogTemplate, dialogId, &shown, &controls);
    if (!fault.empty()) {
        Violation("HostDialogExecute", "malformed template: " + fault);
        return DialogResultEscape;
    }
    Control* field = nullptr;
    for (Control& control : controls)
        if (control.field) field = &control;
    char* text = static_cast<char*>(data);
    if (field != nullptr) {
        if (text == nullptr) {
            Violation("HostDialogExecute", "null data block for the input field");
            return DialogResultEscape;
        }
        if (std::memchr(text, 0, field->limit + 1) == nullptr) {
            Violation("HostDialogExecute", "data block is not a terminated text of at most " +
                                               std::to_string(field->limit) + " characters");
            return DialogResultEscape;
        }
        field->shown["text"] = Utf8FromMazovia(text);
    }

    json onScreen = shown;
    onScreen["id"] = dialogId;
    onScreen["controls"] = json::array();
    for (const Control& control : controls) onScreen["controls"].push_back(control.shown);
    const json answer = NextAnswer("dialog", json{{"key", "ESC"}}, onScreen);
    int result = DialogResultEscape;
    if (answer.contains("result")) {
        result = answer["result"].get<int>();
    } else {
        const std::string keyName = answer.value("key", "ESC");
        const auto code = KeyCodes.find(keyName);
        bool pressed = false;
        for (const Control& control : controls) {
            if (control.button && code != KeyCodes.end() && control.key == code->second) {
                result = control.id;
                pressed = true;
            }
        }
        if (!pressed) Violation("HostDialogExecute", "scenario presses " + keyName + ", which no button of the dialog has");
    }
    if (answer.contains("text") && field != nullptr) {
        std::string typed = MazoviaFromUtf8(answer["text"].get<std::string>());
        if (typed.size() > static_cast<size_t>(field->limit)) typed.resize(field->limit);
        std::memcpy(text, typed.c_str(), typed.size() + 1);
    }

    json drawn = json::array();
    for (const Control& control : controls) drawn.push_back(control.shown);
    shown["id"] = dialogId;
    shown["controls"] = drawn;
    shown["result"] = result;
    if (field != nullptr) shown["field_after"] = Utf8FromMazovia(text);
    Record("dialog", shown);
    return result;
}

namespace korpus {
void ForgetDialogObjects() {
    LiveDialogs().clear();
    LiveLists().clear();
}
int LiveDialogObjects() { return static_cast<int>(LiveDialogs().size() + LiveLists().size()); }
}  // namespace korpus
