// Reads order files the way the plug-in's import reads them and says, line by
// line, what will go wrong: sections that give no goods, keys that are not
// read, values that are cut, quantities that change, sections never reached.
//
// The reading follows the import step by step: lines taken 1023 characters at
// a time, CR LF reduced to LF, everything before the first "[Poz" line
// skipped, a section ending at the next line that begins with "[", the
// reading of the file ending at a bracketed line other than a marker, key and
// value split at the first "=", cut to 255 characters and trimmed, then cut
// to the field's bound.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "goods_catalogue.h"

namespace tool {

struct Diagnostic {
    std::string file;     // as named on the command line
    int line = 0;         // from 1; 0 for the file as a whole
    std::string message;  // UTF-8
};

// One position the import takes from a section.
struct PredictedPosition {
    std::string code;     // Windows-1250 bytes, as the file holds them, cut to 16
    long long thousandths = 0;
    int line = 0;         // the section's marker line
    int symbolLine = 0;   // the line of the Symbol that counts, 0 when none
};

struct FileReading {
    std::vector<Diagnostic> diagnostics;
    std::vector<PredictedPosition> positions;  // every position, empty codes included
    bool unreadable = false;
};

// Codes of a catalogue, in the form in which the goods index compares them:
// host code page, ASCII letters folded to small.
class KnownCodes {
public:
    explicit KnownCodes(const Catalogue& catalogue);
    bool Knows(const std::string& windows1250Code) const;

private:
    std::set<std::string> folded_;
};

// Checks the bytes of one order file. `archiveFiles` are the paths of the
// files already archived, whose bytes a second delivery would repeat; `codes`
// may be null.
FileReading CheckOrderBytes(const std::string& bytes, const std::string& name, const KnownCodes* codes);
// Reads and checks one file, and compares it with the archive directory.
FileReading CheckOrderFile(const std::string& path, const std::string& archiveDirectory, const KnownCodes* codes);

// The files a command-line argument names: a directory gives its plain
// files, sorted by name; a file gives itself. *archive is DIR + "_arch" for a
// directory and the file's directory + "_arch" for a file.
std::vector<std::string> OrderFilesOf(const std::string& argument, std::string* archive, bool* readable);

// What `check` prints for its arguments, and its exit code: 0 when nothing is
// to report, 1 when something is, 2 when a file cannot be read.
struct CheckOutcome {
    std::vector<std::string> lines;
    int exitCode = 0;
};
CheckOutcome CheckTargets(const std::vector<std::string>& targets, const KnownCodes* codes);

// "file:line: warning: message", as compilers print them.
std::string FormatDiagnostic(const Diagnostic& diagnostic);

// Host code page of a Windows-1250 text, as the reader converts it; characters
// that the host's code page lacks become '?'.
std::string MazoviaFromWindows1250(const std::string& bytes);

}  // namespace tool
