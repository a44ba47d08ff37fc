// The system message box, taken over in the driver's own process.
//
// The plug-in shows its missing-entry dialog with user32's MessageBoxA while
// it is being loaded. The driver patches the entry of MessageBoxA before it
// loads the plug-in, so that a scenario answers the box and the run records
// what it said instead of waiting for a person.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace driver {

struct SystemMessageBox {
    std::string title;  // UTF-8, from the Windows code page 1250
    std::string text;
    unsigned flags = 0;
    int answer = 0;     // IDABORT, IDRETRY, IDIGNORE, ...
};

// Redirects MessageBoxA for the rest of the process. False, with the reason,
// when its entry cannot be patched.
bool InterceptSystemMessageBox(std::string* error);

// Answers for the next boxes, in order; when they run out, a box with Abort
// is answered Abort and any other box OK.
void AnswerSystemMessageBoxes(const std::vector<int>& answers);
// The boxes shown since the last AnswerSystemMessageBoxes.
const std::vector<SystemMessageBox>& SystemMessageBoxesShown();

// An answer as a scenario writes it: "abort", "retry", "ignore", "ok",
// "cancel", "yes", "no", or the dialog result's number. -1 when unknown.
int SystemMessageBoxAnswer(const nlohmann::json& answer);
// The answer's name for reports ("abort"), or its number as text.
std::string SystemMessageBoxAnswerName(int answer);

// Windows code page 1250 to UTF-8.
std::string Utf8FromWindows1250(const std::string& text);

}  // namespace driver
