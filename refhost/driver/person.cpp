#include "person.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <iostream>

#include "console.h"
#include "host_render.h"
#include "korpus_control.h"

namespace tool {

namespace {

using json = nlohmann::json;

// Set by Ctrl+C; taken by the next poll of the host's break service.
volatile LONG BreakPressed = 0;

BOOL WINAPI OnControlKey(DWORD type) {
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;
    InterlockedExchange(&BreakPressed, 1);
    return TRUE;
}

void __cdecl WatchEntry(const char* eventJson, void* context) {
    const json event = json::parse(eventJson, nullptr, false);
    if (!event.is_discarded()) static_cast<Person*>(context)->Watch(event);
}

int __cdecl AnswerEntry(const char* kind, const char* shownJson, char* answer, int capacity, void* context) {
    const json shown = json::parse(shownJson, nullptr, false);
    const std::string text = static_cast<Person*>(context)->Answer(kind, shown.is_discarded() ? json() : shown);
    if (text.empty() || static_cast<int>(text.size()) >= capacity) return 0;
    std::memcpy(answer, text.c_str(), text.size() + 1);
    return static_cast<int>(text.size());
}

bool ConsoleInput(HANDLE input) {
    DWORD mode = 0;
    return GetConsoleMode(input, &mode) != 0 && GetFileType(input) == FILE_TYPE_CHAR;
}

std::string Utf8Of(wchar_t c) {
    char out[8] = {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, &c, 1, out, sizeof out, nullptr, nullptr);
    return std::string(out, n > 0 ? n : 0);
}

void DropLastCharacter(std::string* text) {
    while (!text->empty() && (static_cast<unsigned char>(text->back()) & 0xC0) == 0x80) text->pop_back();
    if (!text->empty()) text->pop_back();
}

json FieldOf(const json& dialog) {
    for (const json& control : dialog.value("controls", json::array()))
        if (control.value("kind", "") == "field") return control;
    return json();
}

}  // namespace

Person::Person(bool interactive, bool colour) : interactive_(interactive), colour_(colour) {
    DWORD mode = 0;
    progressOnTerminal_ = GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
    if (interactive_) SetConsoleCtrlHandler(&OnControlKey, TRUE);
}

Person::~Person() {
    ClearProgress();
    if (host_ != nullptr) {
        auto watch = reinterpret_cast<decltype(&KorpusWatch)>(
            reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(host_), "KorpusWatch")));
        if (watch != nullptr) watch(nullptr, nullptr, nullptr);
        FreeLibrary(static_cast<HMODULE>(host_));
    }
    if (interactive_) SetConsoleCtrlHandler(&OnControlKey, FALSE);
}

bool Person::Attend(const std::string& hostPath) {
    HMODULE host = LoadLibraryA(hostPath.c_str());
    if (host == nullptr) return false;
    auto watch = reinterpret_cast<decltype(&KorpusWatch)>(reinterpret_cast<void*>(GetProcAddress(host, "KorpusWatch")));
    if (watch == nullptr) {
        FreeLibrary(host);
        return false;
    }
    host_ = host;
    watch(&WatchEntry, interactive_ ? &AnswerEntry : nullptr, this);
    return true;
}

void Person::Watch(const json& event) {
    const std::string kind = event.value("event", "");
    if (kind == "call") {
        const std::string service = event.value("service", "");
        if (service == "HostFindFirst" || service == "HostFindNext") {
            ++files_;
        } else if (service == "HostUserBreak") {
            // The plug-in asks before every section it reads.
            ++sections_;
            ShowProgress();
        }
        return;
    }
    if (!interactive_) return;
    // Messages are drawn when they are answered; what else the host shows
    // appears as it happens.
    if (kind == "violation") {
        ClearProgress();
        PrintError("CONTRACT VIOLATION in " + event.value("service", std::string()) + ": " +
                   event.value("what", std::string()) + "\n");
    } else if (kind == "user_break") {
        ClearProgress();
        Print("[break]\n");
    } else if (kind == "std_dialog") {
        // The host's standard dialog (the first-run notice) answers itself.
        ClearProgress();
        Print(RenderMessageBox("", event.value("text", std::string()), colour_) + "\n");
    }
}

std::string Person::Answer(const std::string& kind, const json& shown) {
    ClearProgress();
    std::string typed;
    if (kind == "user_break") return InterlockedExchange(&BreakPressed, 0) != 0 ? "1" : "0";
    if (kind == "message") {
        Print(RenderMessageBox(shown.value("title", std::string()), shown.value("text", std::string()), colour_) +
              "Enter: OK\n");
        ReadKey(&typed, false);
        return "1";
    }
    if (kind == "document_header") {
        Print("[the host's header dialog \"" + shown.value("caption", std::string()) +
              "\": Enter accepts the header, ESC cancels]\n");
        return ReadKey(&typed, false) == Key::Accept ? json{{"result", 0x5001}}.dump()
                                                      : json{{"result", -1}}.dump();
    }
    if (kind == "dialog") {
        Print(RenderDialog(shown, colour_));
        const json field = FieldOf(shown);
        typed = field.is_null() ? std::string() : field.value("text", std::string());
        if (!field.is_null()) Print("Type to change the field; Enter or F12: OK, ESC: Anuluj\n");
        if (ReadKey(&typed, !field.is_null()) == Key::Cancel) return json{{"key", "ESC"}}.dump();
        json answer = {{"key", "F12"}};
        if (!field.is_null()) answer["text"] = typed;
        return answer.dump();
    }
    return "";
}

Person::Key Person::ReadKey(std::string* typed, bool editable) {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    if (!ConsoleInput(input)) {
        std::string line;
        if (!std::getline(std::cin, line)) return Key::Cancel;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line == "ESC" || line == "\x1b") return Key::Cancel;
        if (editable && !line.empty()) *typed = line;
        return Key::Accept;
    }
    DWORD mode = 0;
    GetConsoleMode(input, &mode);
    SetConsoleMode(input, mode & ~(ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT));
    auto echo = [&] {
        if (editable) Print("\r> " + *typed + "\x1b[K");
    };
    echo();
    Key key = Key::Cancel;
    for (;;) {
        INPUT_RECORD record;
        DWORD read = 0;
        if (!ReadConsoleInputW(input, &record, 1, &read) || read == 0) break;
        if (record.EventType != KEY_EVENT || !record.Event.KeyEvent.bKeyDown) continue;
        const WORD code = record.Event.KeyEvent.wVirtualKeyCode;
        const wchar_t c = record.Event.KeyEvent.uChar.UnicodeChar;
        if (code == VK_RETURN || code == VK_F12) {
            key = Key::Accept;
            break;
        }
        if (code == VK_ESCAPE) break;
        if (!editable) continue;
        if (code == VK_BACK) {
            DropLastCharacter(typed);
        } else if (c >= 0x20) {
            *typed += Utf8Of(c);
        }
        echo();
    }
    SetConsoleMode(input, mode);
    Print("\n");
    return key;
}

void Person::ShowProgress() {
    if (!progressOnTerminal_) return;
    PrintError("\r  reading order files: file " + std::to_string(files_) + ", " + std::to_string(sections_) +
               " section" + (sections_ == 1 ? "" : "s") + "\x1b[K");
    progressShown_ = true;
}

void Person::ClearProgress() {
    if (!progressShown_) return;
    PrintError("\r\x1b[K");
    progressShown_ = false;
}

}  // namespace tool
