#include "runtime/float_to_decimal.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace {

// Room for to_chars: sign, 309 integer digits, point, the fraction digits and
// an exponent.
constexpr int ConversionRoom = 1 + 309 + 1 + MaxFractionDigits + 16;

int Clamp(int count, int low, int high) { return count < low ? low : count > high ? high : count; }

// Keeps digits[first, last) without trailing zeros; returns its length.
int TrimmedCopy(char* digits, const char* first, const char* last) {
    while (last > first && last[-1] == '0') --last;
    const int length = static_cast<int>(last - first);
    std::memcpy(digits, first, length);
    digits[length] = 0;
    return length;
}

}  // namespace

int FloatToDecimal(double value, int mode, int digitCount, int* decimalPoint, char* digits) {
    const int negative = std::signbit(value) ? 1 : 0;
    if (std::isinf(value) || std::isnan(value)) {
        std::memcpy(digits, std::isinf(value) ? "inf" : "nan", 4);
        *decimalPoint = DecimalPointOfInfOrNaN;
        return negative;
    }
    const double magnitude = std::fabs(value);
    char text[ConversionRoom];
    char collected[ConversionRoom];
    int count = 0;
    int point = 0;

    if (mode == DigitsAfterPoint) {
        // "iii.fff": every digit in order, the point after the integer part.
        const std::to_chars_result done =
            std::to_chars(text, text + sizeof text, magnitude, std::chars_format::fixed,
                          Clamp(digitCount, 0, MaxFractionDigits));
        for (const char* at = text; at < done.ptr; ++at) {
            if (*at == '.') point = count;
            else collected[count++] = *at;
        }
        if (std::memchr(text, '.', done.ptr - text) == nullptr) point = count;
    } else {
        // "d.ddde+XX": the first digit stands before the point.
        const std::to_chars_result done =
            std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific,
                          Clamp(digitCount, 1, MaxSignificantDigits) - 1);
        const char* at = text;
        for (; at < done.ptr && *at != 'e'; ++at)
            if (*at != '.') collected[count++] = *at;
        int exponent = 0;
        std::from_chars(at + 1 + (at[1] == '+' ? 1 : 0), done.ptr, exponent);
        point = exponent + 1;
    }

    int lead = 0;
    while (lead < count && collected[lead] == '0') ++lead;
    if (TrimmedCopy(digits, collected + lead, collected + count) == 0) point = 1;
    else point -= lead;
    *decimalPoint = point;
    return negative;
}
