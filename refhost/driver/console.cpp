#include "console.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <io.h>

namespace tool {

namespace {
std::string Utf8FromWide(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    return out;
}
}  // namespace

void PrepareConsole() {
    SetConsoleOutputCP(CP_UTF8);
    SetConsoleCP(CP_UTF8);
}

bool ColourWanted() {
    const char* none = std::getenv("NO_COLOR");
    if (none != nullptr && *none != 0) return false;
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0 || _isatty(_fileno(stdout)) != 0;
}

std::vector<std::string> Utf8Arguments(int count) {
    int all = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &all);
    std::vector<std::string> arguments;
    for (int i = all > count ? all - count : 0; i < all; ++i) arguments.push_back(Utf8FromWide(wide[i]));
    LocalFree(wide);
    return arguments;
}

namespace {
// A console takes wide text (its code page may not be UTF-8); files and pipes
// take the UTF-8 bytes as they are.
void Write(FILE* stream, DWORD handle, const std::string& text) {
    HANDLE console = GetStdHandle(handle);
    DWORD mode = 0;
    if (GetConsoleMode(console, &mode)) {
        std::fflush(stream);
        SetConsoleMode(console, mode | ENABLE_PROCESSED_OUTPUT | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
        const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
        std::wstring wide(size, L'\0');
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
        DWORD written = 0;
        WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}
}  // namespace

void Print(const std::string& text) { Write(stdout, STD_OUTPUT_HANDLE, text); }

void PrintError(const std::string& text) { Write(stderr, STD_ERROR_HANDLE, text); }

}  // namespace tool
