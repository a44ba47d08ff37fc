// The terminal the driver talks to: UTF-8 output, colour only on a terminal,
// arguments in UTF-8.
#pragma once

#include <string>
#include <vector>

namespace tool {

// Makes the console take UTF-8. Call once before printing.
void PrepareConsole();
// True when standard output is a terminal and NO_COLOR is not set.
bool ColourWanted();
// The last `count` arguments of the program, in UTF-8 (main's argv holds
// them in the ANSI code page, which loses Polish letters in file names).
std::vector<std::string> Utf8Arguments(int count);
// Prints UTF-8 text to standard output or standard error as it stands.
void Print(const std::string& text);
void PrintError(const std::string& text);

}  // namespace tool
