// Text services of the host. Texts are in code page 1 (Mazovia) unless a
// conversion says otherwise.
#include <cstdlib>
#include <cstring>

#include "host_state.h"
#include "korpus_exports.h"

using namespace korpus;

namespace {
// Blanks that the host's trim removes: space, tab, CR and LF.
bool IsTrimmed(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

// ---------------------------------------------------------------------------
// 52158 HostConvertText
// ---------------------------------------------------------------------------
char* __stdcall Korpus_HostConvertText(char* destination, const char* source, int fromCodePage, int toCodePage) {
    Enter("HostConvertText");
    if (destination == nullptr || source == nullptr) {
        Violation("HostConvertText", "null text");
        return destination;
    }
    const bool known = (fromCodePage == 1 || fromCodePage == 3) && (toCodePage == 1 || toCodePage == 3);
    if (!known) {
        Violation("HostConvertText", "code pages " + std::to_string(fromCodePage) + " to " +
                                         std::to_string(toCodePage) + " are not 1 and 3");
        return destination;
    }
    const size_t length = std::strlen(source);
    if (destination != source) std::memmove(destination, source, length + 1);
    if (fromCodePage == toCodePage) return destination;
    for (size_t i = 0; i < length; ++i)
        destination[i] = fromCodePage == 1 ? MazoviaToWindows(destination[i]) : WindowsToMazovia(destination[i]);
    return destination;
}

// ---------------------------------------------------------------------------
// 52187 HostTextToDouble
// ---------------------------------------------------------------------------
// The host's number syntax, and nothing more:
//   blanks (spaces and tabs) first;
//   an optional sign, "+" or "-";
//   digits, with at most one decimal separator, a point or a comma, among or
//   after them; at least one digit in all;
//   an optional exponent: "e" or "E", an optional sign and at least one digit
//   (without a digit the "e" is not part of the number).
// What follows the number is ignored. A text that does not begin with a
// number in this form gives 0.0 (so do "inf", "nan", "0x10" apart from its
// leading 0, and an empty text). A number beyond the range of a double gives
// an infinity of its sign; one too small gives 0.
double __stdcall Korpus_HostTextToDouble(const char* text) {
    Enter("HostTextToDouble");
    if (text == nullptr) {
        Violation("HostTextToDouble", "null text");
        return 0.0;
    }
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    const char* at = text;
    while (*at == ' ' || *at == '\t') ++at;
    std::string number;  // the number in the C runtime's own syntax
    if (*at == '+' || *at == '-') number += *at++;
    int digits = 0;
    bool separator = false;
    for (;; ++at) {
        if (digit(*at)) {
            number += *at;
            ++digits;
        } else if ((*at == '.' || *at == ',') && !separator) {
            number += '.';
            separator = true;
        } else {
            break;
        }
    }
    if (digits == 0) return 0.0;
    if (*at == 'e' || *at == 'E') {
        const char* exponent = at + 1;
        std::string part = "e";
        if (*exponent == '+' || *exponent == '-') part += *exponent++;
        if (digit(*exponent)) {
            while (digit(*exponent)) part += *exponent++;
            number += part;
        }
    }
    return std::strtod(number.c_str(), nullptr);
}

// ---------------------------------------------------------------------------
// 52133 HostTrim
// ---------------------------------------------------------------------------
// Removes leading and trailing spaces (0x20), tabs (0x09), CRs (0x0D) and
// LFs (0x0A), in place; every other character stays, other control
// characters included.
char* __stdcall Korpus_HostTrim(char* text) {
    Enter("HostTrim");
    if (text == nullptr) {
        Violation("HostTrim", "null text");
        return text;
    }
    size_t length = std::strlen(text);
    while (length > 0 && IsTrimmed(text[length - 1])) text[--length] = 0;
    size_t start = 0;
    while (start < length && IsTrimmed(text[start])) ++start;
    if (start > 0) std::memmove(text, text + start, length - start + 1);
    return text;
}

// ---------------------------------------------------------------------------
// 52161 HostCopyText
// ---------------------------------------------------------------------------
// Copies at most maxCharacters characters and always terminates.
char* __stdcall Korpus_HostCopyText(char* destination, const char* source, int maxCharacters) {
    Enter("HostCopyText");
    if (destination == nullptr || source == nullptr) {
        Violation("HostCopyText", "null text");
        return destination;
    }
    if (maxCharacters < 0) {
        Violation("HostCopyText", "negative limit " + std::to_string(maxCharacters));
        return destination;
    }
    size_t length = std::strlen(source);
    if (length > static_cast<size_t>(maxCharacters)) length = maxCharacters;
    std::memmove(destination, source, length);
    destination[length] = 0;
    return destination;
}

// ---------------------------------------------------------------------------
// 52164 HostCompareText
// ---------------------------------------------------------------------------
// 0 when equal; the host ignores the case of ASCII letters.
int __stdcall Korpus_HostCompareText(const char* a, const char* b) {
    Enter("HostCompareText");
    if (a == nullptr || b == nullptr) {
        Violation("HostCompareText", "null text");
        return 1;
    }
    for (;; ++a, ++b) {
        const unsigned char x = FoldAscii(*a), y = FoldAscii(*b);
        if (x != y) return x < y ? -1 : 1;
        if (x == 0) return 0;
    }
}
