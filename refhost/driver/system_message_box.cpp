#include "system_message_box.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <deque>

namespace driver {

namespace {

std::deque<int> pendingAnswers;
std::vector<SystemMessageBox> shown;

int WINAPI AnsweredMessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
    SystemMessageBox box;
    box.title = Utf8FromWindows1250(caption != nullptr ? caption : "");
    box.text = Utf8FromWindows1250(text != nullptr ? text : "");
    box.flags = type;
    if (!pendingAnswers.empty()) {
        box.answer = pendingAnswers.front();
        pendingAnswers.pop_front();
    } else {
        box.answer = (type & MB_TYPEMASK) == MB_ABORTRETRYIGNORE ? IDABORT : IDOK;
    }
    shown.push_back(box);
    return box.answer;
}

#pragma pack(push, 1)
struct JumpInstruction {
    uint8_t opcode;        // E9: jmp rel32
    int32_t displacement;  // from the end of the instruction
};
#pragma pack(pop)
static_assert(sizeof(JumpInstruction) == 5);

}  // namespace

bool InterceptSystemMessageBox(std::string* error) {
    static bool intercepted = false;
    if (intercepted) return true;
    HMODULE user32 = LoadLibraryA("user32.dll");
    void* entry = user32 != nullptr ? reinterpret_cast<void*>(GetProcAddress(user32, "MessageBoxA")) : nullptr;
    if (entry == nullptr) {
        *error = "user32.dll has no MessageBoxA";
        return false;
    }
    JumpInstruction jump{0xE9, static_cast<int32_t>(reinterpret_cast<intptr_t>(&AnsweredMessageBoxA) -
                                                    (reinterpret_cast<intptr_t>(entry) + 5))};
    DWORD protection = 0;
    if (!VirtualProtect(entry, sizeof jump, PAGE_EXECUTE_READWRITE, &protection)) {
        *error = "cannot make MessageBoxA writable (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    std::memcpy(entry, &jump, sizeof jump);
    DWORD ignored = 0;
    VirtualProtect(entry, sizeof jump, protection, &ignored);
    FlushInstructionCache(GetCurrentProcess(), entry, sizeof jump);
    intercepted = true;
    return true;
}

void AnswerSystemMessageBoxes(const std::vector<int>& answers) {
    pendingAnswers.assign(answers.begin(), answers.end());
    shown.clear();
}

const std::vector<SystemMessageBox>& SystemMessageBoxesShown() { return shown; }

namespace {
struct NamedAnswer {
    const char* name;
    int answer;
};
constexpr NamedAnswer NamedAnswers[] = {{"ok", IDOK},         {"cancel", IDCANCEL}, {"abort", IDABORT},
                                        {"retry", IDRETRY},   {"ignore", IDIGNORE}, {"yes", IDYES},
                                        {"no", IDNO}};
}  // namespace

int SystemMessageBoxAnswer(const nlohmann::json& answer) {
    if (answer.is_number_integer()) return answer.get<int>();
    if (!answer.is_string()) return -1;
    for (const NamedAnswer& named : NamedAnswers)
        if (answer.get<std::string>() == named.name) return named.answer;
    return -1;
}

std::string SystemMessageBoxAnswerName(int answer) {
    for (const NamedAnswer& named : NamedAnswers)
        if (named.answer == answer) return named.name;
    return std::to_string(answer);
}

std::string Utf8FromWindows1250(const std::string& text) {
    if (text.empty()) return text;
    const int wide = MultiByteToWideChar(1250, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring utf16(wide, L'\0');
    MultiByteToWideChar(1250, 0, text.data(), static_cast<int>(text.size()), utf16.data(), wide);
    const int narrow = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string out(narrow, '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, out.data(), narrow, nullptr, nullptr);
    return out;
}

}  // namespace driver
