#include "runtime/print_format.h"

#include <cstdint>
#include <cstring>

#include "runtime/float_to_decimal.h"

namespace {

struct Output {
    char* at;
    int count = 0;
    void Put(char c) { at[count++] = c; }
    void Put(const char* text, int length) {
        std::memcpy(at + count, text, length);
        count += length;
    }
    void Repeat(char c, int times) {
        for (int i = 0; i < times; ++i) Put(c);
    }
};

struct Directive {
    bool left = false, plus = false, space = false, alternate = false, zero = false;
    int width = 0;
    int precision = -1;  // -1: none given
    char size = 0;       // 'H' hh, 'h', 'l', 'q' 64-bit, 'L' long double
    char conversion = 0;
};

// sign or prefix, then body, padded to the width: zeros between the prefix
// and the body when zero padding applies, spaces otherwise.
void Emit(Output& out, const Directive& d, const char* prefix, const char* body, int bodyLength,
          bool zeroPadding) {
    const int prefixLength = static_cast<int>(std::strlen(prefix));
    const int padding = d.width > prefixLength + bodyLength ? d.width - prefixLength - bodyLength : 0;
    if (!d.left && !zeroPadding) out.Repeat(' ', padding);
    out.Put(prefix, prefixLength);
    if (!d.left && zeroPadding) out.Repeat('0', padding);
    out.Put(body, bodyLength);
    if (d.left) out.Repeat(' ', padding);
}

const char* SignOf(const Directive& d, bool negative) {
    return negative ? "-" : d.plus ? "+" : d.space ? " " : "";
}

void EmitInteger(Output& out, const Directive& d, uint64_t magnitude, bool negative) {
    const unsigned base = d.conversion == 'o' ? 8 : (d.conversion == 'x' || d.conversion == 'X') ? 16 : 10;
    const char* alphabet = d.conversion == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
    char reversed[24];
    int length = 0;
    for (uint64_t rest = magnitude; rest != 0; rest /= base) reversed[length++] = alphabet[rest % base];
    const int minimum = d.precision < 0 ? 1 : d.precision;
    char body[24 + 512];
    int bodyLength = 0;
    const int zeros = minimum > length ? (minimum - length < 512 ? minimum - length : 511) : 0;
    for (int i = 0; i < zeros; ++i) body[bodyLength++] = '0';
    if (d.alternate && base == 8 && zeros == 0 && (length == 0 || reversed[length - 1] != '0'))
        body[bodyLength++] = '0';
    while (length > 0) body[bodyLength++] = reversed[--length];
    const char* prefix = SignOf(d, negative);
    if (base == 16 && d.alternate && magnitude != 0) prefix = d.conversion == 'X' ? "0X" : "0x";
    else if (base != 10 || d.conversion == 'u') prefix = "";  // signs belong to %d and %i
    Emit(out, d, prefix, body, bodyLength, d.zero && d.precision < 0);
}

// Digit k of a FloatToDecimal string (0 is the first), '0' beyond its ends.
char DigitAt(const char* digits, int length, int k) { return k >= 0 && k < length ? digits[k] : '0'; }

void EmitFloat(Output& out, const Directive& d, double value) {
    const bool upper = d.conversion == 'F' || d.conversion == 'E' || d.conversion == 'G';
    const char kind = static_cast<char>(d.conversion | 0x20);  // f, e or g
    int precision = d.precision < 0 ? 6 : d.precision;
    if (kind == 'g' && precision == 0) precision = 1;
    const int wanted = kind == 'e' ? precision + 1 : precision;
    char digits[DecimalDigitsCapacity];
    int point = 0;
    const bool negative =
        FloatToDecimal(value, kind == 'f' ? DigitsAfterPoint : SignificantDigits, wanted, &point, digits) != 0;
    const char* sign = SignOf(d, negative);
    if (point == DecimalPointOfInfOrNaN) {
        const char* word = digits[0] == 'i' ? (upper ? "INF" : "inf") : (upper ? "NAN" : "nan");
        Emit(out, d, sign, word, 3, false);
        return;
    }
    const int length = static_cast<int>(std::strlen(digits));
    const int exponent = length == 0 ? 0 : point - 1;  // of the first significant digit

    bool exponential = kind == 'e';
    int fraction = precision;  // digits after the point
    if (kind == 'g') {
        exponential = !(exponent >= -4 && exponent < precision);
        fraction = exponential ? precision - 1 : precision - 1 - exponent;
    }
    // Every digit that can be non-zero fits the body: at most 309 before the
    // point and MaxFractionDigits after it. The rest of a longer fraction is
    // zeros, written as a count.
    char body[320 + MaxFractionDigits + 8];
    int n = 0;
    const int firstFractionDigit = exponential ? 1 : point;
    if (exponential) body[n++] = length == 0 ? '0' : digits[0];
    else if (length == 0 || point <= 0) body[n++] = '0';
    else
        for (int k = 0; k < point; ++k) body[n++] = DigitAt(digits, length, k);
    if (fraction > 0 || d.alternate) body[n++] = '.';
    const int written = fraction < MaxFractionDigits ? fraction : MaxFractionDigits;
    for (int k = 0; k < written; ++k) body[n++] = DigitAt(digits, length, firstFractionDigit + k);
    int zeros = fraction - written;
    if (kind == 'g' && !d.alternate && std::memchr(body, '.', n) != nullptr) {
        // %g drops the zeros at the end of the fraction, and a bare point.
        zeros = 0;
        while (body[n - 1] == '0') --n;
        if (body[n - 1] == '.') --n;
    }
    char suffix[8];
    int suffixLength = 0;
    if (exponential) {
        suffix[suffixLength++] = upper ? 'E' : 'e';
        suffix[suffixLength++] = exponent < 0 ? '-' : '+';
        const int magnitude = exponent < 0 ? -exponent : exponent;
        if (magnitude >= 100) suffix[suffixLength++] = static_cast<char>('0' + magnitude / 100);
        suffix[suffixLength++] = static_cast<char>('0' + magnitude / 10 % 10);
        suffix[suffixLength++] = static_cast<char>('0' + magnitude % 10);
    }
    const int signLength = static_cast<int>(std::strlen(sign));
    const int total = signLength + n + zeros + suffixLength;
    const int padding = d.width > total ? d.width - total : 0;
    if (!d.left && !d.zero) out.Repeat(' ', padding);
    out.Put(sign, signLength);
    if (!d.left && d.zero) out.Repeat('0', padding);
    out.Put(body, n);
    out.Repeat('0', zeros);
    out.Put(suffix, suffixLength);
    if (d.left) out.Repeat(' ', padding);
}

}  // namespace

int PrintFormatV(char* buffer, const char* format, va_list values) {
    Output out{buffer};
    for (const char* at = format; *at != 0; ++at) {
        if (*at != '%') {
            out.Put(*at);
            continue;
        }
        Directive d;
        for (++at;; ++at) {
            if (*at == '-') d.left = true;
            else if (*at == '+') d.plus = true;
            else if (*at == ' ') d.space = true;
            else if (*at == '#') d.alternate = true;
            else if (*at == '0') d.zero = true;
            else break;
        }
        if (*at == '*') {
            d.width = va_arg(values, int);
            if (d.width < 0) {
                d.left = true;
                d.width = -d.width;
            }
            ++at;
        } else {
            for (; *at >= '0' && *at <= '9'; ++at) d.width = d.width * 10 + (*at - '0');
        }
        if (*at == '.') {
            ++at;
            d.precision = 0;
            if (*at == '*') {
                d.precision = va_arg(values, int);
                if (d.precision < 0) d.precision = -1;
                ++at;
            } else {
                for (; *at >= '0' && *at <= '9'; ++at) d.precision = d.precision * 10 + (*at - '0');
            }
        }
        if (at[0] == 'h' && at[1] == 'h') d.size = 'H', at += 2;
        else if (at[0] == 'l' && at[1] == 'l') d.size = 'q', at += 2;
        else if (at[0] == 'I' && at[1] == '6' && at[2] == '4') d.size = 'q', at += 3;
        else if (at[0] == 'I' && at[1] == '3' && at[2] == '2') d.size = 'l', at += 3;
        else if (*at == 'h' || *at == 'l' || *at == 'L') d.size = *at++;
        else if (*at == 'j') d.size = 'q', ++at;
        else if (*at == 'z' || *at == 't' || *at == 'I') d.size = 'l', ++at;
        d.conversion = *at;
        if (d.left) d.zero = false;
        // Wide characters and texts (%lc, %ls) are no texts of the host's.
        if (d.size == 'l' && (d.conversion == 'c' || d.conversion == 's')) d.conversion = 0;

        switch (d.conversion) {
            case 'd':
            case 'i': {
                int64_t value = d.size == 'q' ? va_arg(values, long long) : va_arg(values, int);
                if (d.size == 'h') value = static_cast<short>(value);
                else if (d.size == 'H') value = static_cast<signed char>(value);
                const uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : value;
                EmitInteger(out, d, magnitude, value < 0);
                break;
            }
            case 'u':
            case 'o':
            case 'x':
            case 'X': {
                uint64_t value = d.size == 'q' ? va_arg(values, unsigned long long) : va_arg(values, unsigned);
                if (d.size == 'h') value = static_cast<unsigned short>(value);
                else if (d.size == 'H') value = static_cast<unsigned char>(value);
                EmitInteger(out, d, value, false);
                break;
            }
            case 'p': {
                Directive hex = d;
                hex.conversion = 'X';
                hex.precision = 8;
                hex.alternate = false;
                EmitInteger(out, hex, reinterpret_cast<uintptr_t>(va_arg(values, void*)), false);
                break;
            }
            case 'c': {
                const char c = static_cast<char>(va_arg(values, int));
                Emit(out, d, "", &c, 1, false);
                break;
            }
            case 's': {
                const char* text = va_arg(values, const char*);
                if (text == nullptr) text = "(null)";
                int length = 0;
                while ((d.precision < 0 || length < d.precision) && text[length] != 0) ++length;
                Emit(out, d, "", text, length, false);
                break;
            }
            case 'n':
                *va_arg(values, int*) = out.count;
                break;
            case '%':
                out.Put('%');
                break;
            case 'f':
            case 'F':
            case 'e':
            case 'E':
            case 'g':
            case 'G': {
                const double value = d.size == 'L' ? static_cast<double>(va_arg(values, long double))
                                                   : va_arg(values, double);
                EmitFloat(out, d, value);
                break;
            }
            default:
                buffer[out.count] = 0;
                return -1;
        }
    }
    buffer[out.count] = 0;
    return out.count;
}
