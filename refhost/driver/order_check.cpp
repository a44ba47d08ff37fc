#include "order_check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "paths.h"
#include "system_message_box.h"
#include "text_encoding.h"

namespace fs = std::filesystem;

namespace tool {

namespace {

// What the import reads of one line: the buffer holds 1024 bytes, the
// terminator included.
constexpr size_t LineLimit = 1023;
// Key and value are each taken up to 255 characters before they are trimmed.
constexpr size_t KeyValueLimit = 255;

struct OrderKey {
    const char* name;
    size_t bound;  // 0 for the quantity
};
constexpr OrderKey OrderKeys[] = {{"Nazwa", 120}, {"Symbol", 16}, {"Jm", 5}, {"Ilosc", 0}};

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    return true;
}

bool IsMarker(const std::string& line) { return line.size() >= 4 && EqualIgnoringCase(line.substr(0, 4), "[Poz"); }

bool IsTrimmed(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string Trim(std::string text) {
    size_t end = text.size();
    while (end > 0 && IsTrimmed(text[end - 1])) --end;
    size_t start = 0;
    while (start < end && IsTrimmed(text[start])) ++start;
    return text.substr(start, end - start);
}

// One physical line of the file, and what the import's 1023-character reads
// make of it.
struct PhysicalLine {
    int number = 0;
    std::string text;      // the line as the reader sees it: up to 1023 characters, C text, CR LF reduced
    size_t length = 0;     // characters of the whole line, line end not counted
};

std::vector<PhysicalLine> SplitLines(const std::string& bytes) {
    std::vector<PhysicalLine> lines;
    size_t start = 0;
    int number = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        const bool terminated = end != std::string::npos;
        if (!terminated) end = bytes.size();
        PhysicalLine line;
        line.number = ++number;
        std::string whole = bytes.substr(start, end - start);
        line.length = whole.size();
        if (!whole.empty() && whole.back() == '\r') --line.length;
        // The first read of a line takes at most 1023 characters, its line
        // feed included; the rest of a longer line is drained and never read
        // as a line of its own.
        std::string taken = whole.size() < LineLimit ? whole + (terminated ? "\n" : "") : whole.substr(0, LineLimit);
        taken.resize(std::min(taken.find('\0'), taken.size()));
        if (taken.size() > 1 && taken.compare(taken.size() - 2, 2, "\r\n") == 0) taken.replace(taken.size() - 2, 2, "\n");
        line.text = taken;
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The host's number syntax: blanks, an optional sign, digits with at most one
// decimal point or comma among them (at least one digit), an optional
// exponent. *used is the number of characters that make the number, 0 when
// the text does not begin with one; what follows is ignored by the host.
double HostNumber(const std::string& text, size_t* used) {
    size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
    std::string number;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) number += text[at++];
    int digits = 0;
    bool separator = false;
    for (; at < text.size(); ++at) {
        if (IsDigit(text[at])) {
            number += text[at];
            ++digits;
        } else if ((text[at] == '.' || text[at] == ',') && !separator) {
            number += '.';
            separator = true;
        } else {
            break;
        }
    }
    *used = 0;
    if (digits == 0) return 0.0;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        size_t exponent = at + 1;
        std::string part = "e";
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) part += text[exponent++];
        if (exponent < text.size() && IsDigit(text[exponent])) {
            while (exponent < text.size() && IsDigit(text[exponent])) part += text[exponent++];
            number += part;
            at = exponent;
        }
    }
    *used = at;
    return std::strtod(number.c_str(), nullptr);
}

std::string Shown(const std::string& windows1250) { return "'" + driver::Utf8FromWindows1250(windows1250) + "'"; }

std::string Thousandths(long long value) {
    char text[48];
    const long long whole = value / 1000, part = std::llabs(value % 1000);
    std::snprintf(text, sizeof text, "%s%lld.%03lld", value < 0 && whole == 0 ? "-" : "", whole, part);
    return text;
}

class Checker {
public:
    Checker(const std::string& name, const KnownCodes* codes, FileReading* out)
        : name_(name), codes_(codes), out_(out) {}

    void Run(const std::vector<PhysicalLine>& lines) {
        for (const PhysicalLine& line : lines)
            if (line.length > LineLimit)
                Warn(line.number, "line is " + std::to_string(line.length) +
                                      " characters long; only its first 1023 are read");
        size_t i = 0;
        while (i < lines.size() && !IsMarker(lines[i].text)) ++i;
        if (i == lines.size()) {
            Warn(0, "no \"[Poz\" section: nothing is ordered from this file");
            return;
        }
        int endedAt = 0;
        for (; i < lines.size(); ++i) {
            const PhysicalLine& line = lines[i];
            if (endedAt != 0) {
                if (IsMarker(line.text))
                    Warn(line.number, "section is never read: the reading of the file ended at line " +
                                          std::to_string(endedAt));
                continue;
            }
            if (IsMarker(line.text)) {
                EndSection();
                BeginSection(line.number);
            } else if (!line.text.empty() && line.text[0] == '[') {
                EndSection();
                endedAt = line.number;
                Warn(line.number, Shown(Trim(line.text)) +
                                      " is not a \"[Poz\" marker: it ends the reading of this file");
            } else {
                KeyLine(line);
            }
        }
        EndSection();
    }

private:
    void Warn(int line, const std::string& message) { out_->diagnostics.push_back({name_, line, message}); }

    void BeginSection(int line) {
        inSection_ = true;
        sectionLine_ = line;
        keyCount_ = 0;
        seen_.clear();
        symbol_.clear();
        symbolLine_ = 0;
        thousandths_ = 0;
        quantityRejected_ = false;
        quantityNotes_.clear();
    }

    void EndSection() {
        if (!inSection_) return;
        inSection_ = false;
        out_->diagnostics.insert(out_->diagnostics.end(), quantityNotes_.begin(), quantityNotes_.end());
        quantityNotes_.clear();
        if (symbolLine_ == 0) {
            Warn(sectionLine_, keyCount_ == 0 ? "section has no Symbol and no other key: it is skipped"
                                              : "section has no Symbol: its goods are not ordered");
        } else if (symbol_.empty()) {
            Warn(symbolLine_, "Symbol is empty: the goods of this section are not ordered");
        } else {
            if (seen_.count("Ilosc") == 0)
                Warn(sectionLine_, "section has no Ilosc: " + Shown(symbol_) + " is ordered with quantity 0");
            if (codes_ != nullptr && !codes_->Knows(symbol_))
                Warn(symbolLine_, "code " + Shown(symbol_) + " is not known in any warehouse of the catalogue");
        }
        if (keyCount_ > 0 && !quantityRejected_) out_->positions.push_back({symbol_, thousandths_, sectionLine_, symbolLine_});
    }

    void KeyLine(const PhysicalLine& line) {
        const size_t equals = line.text.find('=');
        if (equals == std::string::npos) {
            if (!Trim(line.text).empty()) Warn(line.number, "line without \"=\" is ignored");
            return;
        }
        const std::string rawKey = line.text.substr(0, equals);
        const std::string key = Trim(rawKey.substr(0, KeyValueLimit));
        const std::string rest = line.text.substr(equals + 1);
        std::string value = Trim(rest.substr(0, KeyValueLimit));
        const size_t feed = value.rfind('\n');
        if (feed != std::string::npos) value.erase(feed);
        const OrderKey* known = nullptr;
        for (const OrderKey& entry : OrderKeys)
            if (EqualIgnoringCase(key, entry.name)) known = &entry;
        if (known == nullptr) {
            Warn(line.number, key.empty() ? "line with an empty key is ignored"
                                          : "unknown key " + Shown(key) + " is ignored");
            return;
        }
        ++keyCount_;
        const std::string name = known->name;
        auto first = seen_.find(name);
        if (first != seen_.end())
            Warn(line.number, "key " + name + " given twice in this section (first on line " +
                                  std::to_string(first->second) + "): this value replaces it");
        seen_[name] = line.number;
        if (known->bound > 0) {
            if (value.size() > known->bound)
                Warn(line.number, name + " " + Shown(value) + " is longer than " + std::to_string(known->bound) +
                                      " characters: it is cut to " + Shown(value.substr(0, known->bound)));
            if (name == "Symbol") {
                symbol_ = value.substr(0, known->bound);
                symbolLine_ = line.number;
            }
            return;
        }
        // Only the quantity can lose anything at the 255-character cut: the
        // other fields have smaller bounds of their own.
        Quantity(line.number, value, Trim(rest) != Trim(rest.substr(0, KeyValueLimit)));
    }

    void Note(int line, const std::string& message) { quantityNotes_.push_back({name_, line, message}); }

    void Quantity(int line, const std::string& value, bool cut) {
        if (cut) Note(line, "Ilosc is longer than 255 characters: only its first 255 are read");
        // Only the section's last quantity counts: what an earlier one would
        // have done is moot.
        quantityNotes_.clear();
        quantityRejected_ = false;
        size_t used = 0;
        const double parsed = HostNumber(value, &used);
        if (used == 0) {
            Note(line, "Ilosc " + Shown(value) + " is not a number: the import skips this section");
            quantityRejected_ = true;
            return;
        }
        const double scaled = parsed * 1000.0;
        if (!(scaled > -2147483649.0 && scaled < 2147483648.0)) {
            Note(line, "Ilosc " + Shown(value) +
                           " is outside what the host can store (-2147483.648 to 2147483.647): the import skips "
                           "this section");
            quantityRejected_ = true;
            return;
        }
        const long long stored = static_cast<long long>(scaled);  // toward zero, as the import stores it
        thousandths_ = stored;
        if (used < value.size()) {
            Note(line, "Ilosc " + Shown(value) + " is not a plain number: only " + Shown(value.substr(0, used)) +
                           " is read, as " + Thousandths(stored));
        } else if (static_cast<double>(stored) != scaled) {
            Note(line, "Ilosc " + Shown(value) + " loses precision: it is stored as " + Thousandths(stored) +
                           " (" + std::to_string(stored) + " thousandths)");
        }
    }

    std::string name_;
    const KnownCodes* codes_;
    FileReading* out_;
    bool inSection_ = false;
    int sectionLine_ = 0;
    int keyCount_ = 0;
    std::map<std::string, int> seen_;
    std::string symbol_;
    int symbolLine_ = 0;
    long long thousandths_ = 0;
    bool quantityRejected_ = false;
    std::vector<Diagnostic> quantityNotes_;
};

std::string FoldedMazovia(const std::string& mazovia) {
    std::string folded = mazovia;
    for (char& c : folded) c = FoldAscii(c);
    return folded;
}

bool ReadBytes(const std::string& path, std::string* bytes) {
    std::ifstream file(PathOf(path), std::ios::binary);
    if (!file) return false;
    std::ostringstream text;
    text << file.rdbuf();
    if (file.bad()) return false;
    *bytes = text.str();
    return true;
}

}  // namespace

std::string MazoviaFromWindows1250(const std::string& bytes) {
    // Each byte of an order file is one character: convert them one by one.
    std::string out;
    for (char byte : bytes) {
        const auto mapped = MazoviaFromUtf8(driver::Utf8FromWindows1250(std::string(1, byte)));
        out += mapped ? *mapped : std::string("?");
    }
    return out;
}

KnownCodes::KnownCodes(const Catalogue& catalogue) {
    for (const CatalogueRow& row : catalogue.rows) {
        const auto mazovia = MazoviaFromUtf8(row.code);
        if (mazovia) folded_.insert(FoldedMazovia(*mazovia));
    }
}

bool KnownCodes::Knows(const std::string& windows1250Code) const {
    return folded_.count(FoldedMazovia(MazoviaFromWindows1250(windows1250Code))) != 0;
}

FileReading CheckOrderBytes(const std::string& bytes, const std::string& name, const KnownCodes* codes) {
    FileReading reading;
    Checker(name, codes, &reading).Run(SplitLines(bytes));
    std::stable_sort(reading.diagnostics.begin(), reading.diagnostics.end(),
                     [](const Diagnostic& a, const Diagnostic& b) { return a.line < b.line; });
    return reading;
}

FileReading CheckOrderFile(const std::string& path, const std::string& archiveDirectory, const KnownCodes* codes) {
    std::string bytes;
    if (!ReadBytes(path, &bytes)) {
        FileReading reading;
        reading.unreadable = true;
        reading.diagnostics.push_back({path, 0, "cannot be read"});
        return reading;
    }
    FileReading reading = CheckOrderBytes(bytes, path, codes);
    std::error_code error;
    std::vector<std::string> archived;
    if (!archiveDirectory.empty() && fs::is_directory(PathOf(archiveDirectory), error)) {
        for (const auto& entry : fs::directory_iterator(PathOf(archiveDirectory), error))
            if (entry.is_regular_file(error) && entry.file_size(error) == bytes.size())
                archived.push_back(Utf8Of(entry.path().filename()));
        std::sort(archived.begin(), archived.end());
    }
    for (const std::string& file : archived) {
        std::string other;
        const std::string otherPath = archiveDirectory + "/" + file;
        if (ReadBytes(otherPath, &other) && other == bytes) {
            reading.diagnostics.insert(reading.diagnostics.begin(),
                                       {path, 0, "same bytes as " + otherPath +
                                                     ", already imported: probably delivered twice"});
            break;
        }
    }
    return reading;
}

std::vector<std::string> OrderFilesOf(const std::string& argument, std::string* archive, bool* readable) {
    std::vector<std::string> files;
    std::error_code error;
    const fs::path path = PathOf(argument);
    *readable = true;
    std::string trimmed = argument;
    while (trimmed.size() > 1 && (trimmed.back() == '/' || trimmed.back() == '\\')) trimmed.pop_back();
    if (fs::is_directory(path, error)) {
        *archive = trimmed + "_arch";
        fs::directory_iterator entries(path, error);
        if (error) {
            *readable = false;
            return files;
        }
        for (const auto& entry : entries)
            if (entry.is_regular_file(error)) files.push_back(trimmed + "/" + Utf8Of(entry.path().filename()));
        std::sort(files.begin(), files.end());
        return files;
    }
    std::string parent = Utf8Of(path.parent_path());
    if (parent.empty()) parent = ".";
    *archive = parent + "_arch";
    files.push_back(argument);
    return files;
}

CheckOutcome CheckTargets(const std::vector<std::string>& targets, const KnownCodes* codes) {
    CheckOutcome outcome;
    bool reported = false, unreadable = false;
    for (const std::string& target : targets) {
        std::string archive;
        bool readable = true;
        const std::vector<std::string> files = OrderFilesOf(target, &archive, &readable);
        if (!readable) {
            outcome.lines.push_back(FormatDiagnostic({target, 0, "cannot be read"}));
            unreadable = true;
        }
        for (const std::string& file : files) {
            const FileReading reading = CheckOrderFile(file, archive, codes);
            for (const Diagnostic& diagnostic : reading.diagnostics) outcome.lines.push_back(FormatDiagnostic(diagnostic));
            reported = reported || !reading.diagnostics.empty();
            unreadable = unreadable || reading.unreadable;
        }
    }
    outcome.exitCode = unreadable ? 2 : reported ? 1 : 0;
    return outcome;
}

std::string FormatDiagnostic(const Diagnostic& diagnostic) {
    const bool error = diagnostic.message == "cannot be read";
    return diagnostic.file + (diagnostic.line > 0 ? ":" + std::to_string(diagnostic.line) : std::string()) +
           (error ? ": error: " : ": warning: ") + diagnostic.message;
}

}  // namespace tool
