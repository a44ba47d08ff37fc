// Message services. Each records what the person at the host saw and answers
// from the scenario ("answers": {"message": [...]}); the default answer is 1.
#include <cstdarg>
#include <cstdio>

#include "host_state.h"
#include "korpus_exports.h"

using namespace korpus;

namespace {

bool Readable(const char* service, const char* what, const char* text) {
    if (text != nullptr) return true;
    Violation(service, std::string("null ") + what);
    return false;
}

int ShowMessage(const char* service, const char* title, const std::string& text, int flags) {
    const int answer =
        NextAnswer("message", 1,
                   {{"title", Utf8FromMazovia(title)}, {"text", Utf8FromMazovia(text.c_str(), text.size())}, {"flags", flags}})
            .get<int>();
    Record("message", {{"service", service},
                       {"title", Utf8FromMazovia(title)},
                       {"text", Utf8FromMazovia(text.c_str(), text.size())},
                       {"flags", flags},
                       {"answer", answer}});
    return answer;
}

std::string Formatted(const char* format, va_list values) {
    va_list copy;
    va_copy(copy, values);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(length > 0 ? length : 0, '\0');
    if (length > 0) std::vsnprintf(text.data(), length + 1, format, values);
    return text;
}

}  // namespace

// ---------------------------------------------------------------------------
// 52028 HostMessageBox
// ---------------------------------------------------------------------------
int __stdcall Korpus_HostMessageBox(const char* title, const char* text, int flags) {
    Enter("HostMessageBox");
    if (!Readable("HostMessageBox", "title", title) || !Readable("HostMessageBox", "text", text)) return 0;
    return ShowMessage("HostMessageBox", title, text, flags);
}

// ---------------------------------------------------------------------------
// 52029 HostMessageBoxF
// ---------------------------------------------------------------------------
int __cdecl Korpus_HostMessageBoxF(const char* title, const char* format, int flags, ...) {
    Enter("HostMessageBoxF");
    if (!Readable("HostMessageBoxF", "title", title) || !Readable("HostMessageBoxF", "format", format))
        return 0;
    va_list values;
    va_start(values, flags);
    const std::string text = Formatted(format, values);
    va_end(values);
    return ShowMessage("HostMessageBoxF", title, text, flags);
}

// ---------------------------------------------------------------------------
// 35804 HostMessageV
// ---------------------------------------------------------------------------
int __stdcall Korpus_HostMessageV(int owner, const char* title, const char* format, int flags,
                                  va_list values) {
    Enter("HostMessageV");
    if (owner != 0) Violation("HostMessageV", "owner " + std::to_string(owner) + " is not 0");
    if (!Readable("HostMessageV", "title", title) || !Readable("HostMessageV", "format", format)) return 0;
    return ShowMessage("HostMessageV", title, Formatted(format, values), flags);
}

// ---------------------------------------------------------------------------
// 52030 HostPluginMessage
// ---------------------------------------------------------------------------
int __stdcall Korpus_HostPluginMessage(const char* text) {
    Enter("HostPluginMessage");
    if (!Readable("HostPluginMessage", "text", text)) return 0;
    return ShowMessage("HostPluginMessage", "", text, 0);
}

// ---------------------------------------------------------------------------
// 52023 HostRunStdDialog
// ---------------------------------------------------------------------------
// The standard dialog shows the text and leaves the flag the scenario gives
// ("answers": {"std_dialog_flag": [...]}); without an answer the flag stays.
int __cdecl Korpus_HostRunStdDialog(int dialogNumber, int16_t* flag, int reserved, const char* text) {
    Enter("HostRunStdDialog");
    if (flag == nullptr) {
        Violation("HostRunStdDialog", "null flag address");
        return 0;
    }
    if (!Readable("HostRunStdDialog", "text", text)) return 0;
    const int before = *flag;
    const json answer = NextAnswer("std_dialog_flag", nullptr);
    if (!answer.is_null()) *flag = static_cast<int16_t>(answer.get<int>());
    Record("std_dialog", {{"number", dialogNumber},
                          {"reserved", reserved},
                          {"text", Utf8FromMazovia(text)},
                          {"flag_before", before},
                          {"flag_after", static_cast<int>(*flag)}});
    return 0x5001;
}
