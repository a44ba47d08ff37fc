// The settings service: INI files in the host's directory.
//
// Values are stored as given, one "key=value" line each, and read back
// whole; the host neither quotes nor trims them.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "host/host_services.h"
#include "host_state.h"
#include "korpus_exports.h"

using namespace korpus;

namespace {


std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool IsSection(const std::string& line, const std::string& section) {
    return line.size() >= 2 && line.front() == '[' && line.back() == ']' &&
           _stricmp(line.substr(1, line.size() - 2).c_str(), section.c_str()) == 0;
}

bool KeyOf(const std::string& line, const std::string& key, std::string* value) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos || _stricmp(line.substr(0, eq).c_str(), key.c_str()) != 0) return false;
    if (value != nullptr) *value = line.substr(eq + 1);
    return true;
}

bool Lookup(const std::string& path, const std::string& section, const std::string& key, std::string* value) {
    bool inSection = false;
    for (const std::string& line : ReadLines(path)) {
        if (!line.empty() && line.front() == '[') inSection = IsSection(line, section);
        else if (inSection && KeyOf(line, key, value)) return true;
    }
    return false;
}

bool Store(const std::string& path, const std::string& section, const std::string& key, const std::string& value) {
    std::vector<std::string> lines = ReadLines(path);
    const std::string entry = key + "=" + value;
    int sectionAt = -1;
    bool stored = false;
    for (size_t i = 0; i < lines.size() && !stored; ++i) {
        if (!lines[i].empty() && lines[i].front() == '[') {
            if (sectionAt >= 0) {  // end of our section: add the key there
                lines.insert(lines.begin() + i, entry);
                stored = true;
            } else if (IsSection(lines[i], section)) {
                sectionAt = static_cast<int>(i);
            }
        } else if (sectionAt >= 0 && KeyOf(lines[i], key, nullptr)) {
            lines[i] = entry;
            stored = true;
        }
    }
    if (!stored) {
        if (sectionAt < 0) lines.push_back("[" + section + "]");
        lines.push_back(entry);
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (const std::string& line : lines) out << line << "\r\n";
    return static_cast<bool>(out);
}

}  // namespace

// ---------------------------------------------------------------------------
// 41399 HostProfileV
// ---------------------------------------------------------------------------
// Read (mode 8): the value is scanned with the format into the addresses of
// the argument list; a format of exactly "%s" takes the whole value, cut to
// 255 characters. Result 0 when read, 1 when the file, the section or the key
// is missing or the value does not fit the format.
// Write (mode 9): the value is formatted from the argument list and stored.
int __cdecl Korpus_HostProfileV(const char* file, int mode, const char* section, const char* key,
                                const char* format, va_list values) {
    Enter("HostProfileV");
    if (file == nullptr || section == nullptr || key == nullptr || format == nullptr) {
        Violation("HostProfileV", "null file, section, key or format");
        return 1;
    }
    if (std::string(file).find_first_of("\\/:") != std::string::npos)
        Violation("HostProfileV", "file name with a directory: the host decides where INI files live");
    const std::string path = State().hostDir + "\\" + file;
    if (mode == ProfileRead) {
        std::string value;
        const bool found = Lookup(path, section, key, &value);
        int result = 1;
        if (found && std::string(format) == "%s") {
            char* out = va_arg(values, char*);
            if (value.size() > 255) value.resize(255);
            std::memcpy(out, value.c_str(), value.size() + 1);
            result = 0;
        } else if (found) {
            result = std::vsscanf(value.c_str(), format, values) >= 1 ? 0 : 1;
        }
        Record("profile_read", {{"file", Utf8FromMazovia(file)},
                                {"section", Utf8FromMazovia(section)},
                                {"key", Utf8FromMazovia(key)},
                                {"found", found},
                                {"result", result}});
        return result;
    }
    if (mode == ProfileWrite) {
        char buffer[1024];
        std::vsnprintf(buffer, sizeof buffer, format, values);
        const bool ok = Store(path, section, key, buffer);
        Record("profile_write", {{"file", Utf8FromMazovia(file)},
                                 {"section", Utf8FromMazovia(section)},
                                 {"key", Utf8FromMazovia(key)},
                                 {"value", Utf8FromMazovia(buffer)}});
        return ok ? 0 : 1;
    }
    Violation("HostProfileV", "mode " + std::to_string(mode) + " is neither 8 (read) nor 9 (write)");
    return 1;
}
