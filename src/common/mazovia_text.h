// Texts in the host's code page, written as readable UTF-8 literals.
//
// "Błąd"_mz is the Mazovia byte string of the literal, converted at compile
// time. A character outside the code page does not compile.
#pragma once

#include <array>
#include <cstddef>

#include "common/codepage_mazovia.h"

namespace mazovia_detail {

template <std::size_t N>
struct Utf8Literal {
    char bytes[N];
    consteval Utf8Literal(const char (&text)[N]) {
        for (std::size_t i = 0; i < N; ++i) bytes[i] = text[i];
    }
};

// Decodes one UTF-8 sequence at text[i]; advances i.
consteval unsigned DecodeUtf8(const char* text, std::size_t& i) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) { ++i; return lead; }
    int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    if (extra < 0) throw "invalid UTF-8 in a host text";
    unsigned code = lead & (0x3F >> extra);
    ++i;
    for (int k = 0; k < extra; ++k, ++i) {
        const unsigned char next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0) != 0x80) throw "invalid UTF-8 in a host text";
        code = (code << 6) | (next & 0x3F);
    }
    return code;
}

consteval char ToMazoviaByte(unsigned code) {
    if (code < 0x80) return static_cast<char>(code);
    for (int b = 0; b < 128; ++b)
        if (MazoviaUpperHalf[b].unicode == code) return static_cast<char>(0x80 + b);
    throw "character not in the host's code page";
}

template <Utf8Literal S>
consteval std::size_t MazoviaLength() {
    std::size_t n = 0;
    for (std::size_t i = 0; i + 1 < sizeof S.bytes;) { DecodeUtf8(S.bytes, i); ++n; }
    return n;
}

template <Utf8Literal S>
consteval auto ToMazovia() {
    std::array<char, MazoviaLength<S>() + 1> out{};
    std::size_t n = 0;
    for (std::size_t i = 0; i + 1 < sizeof S.bytes;) out[n++] = ToMazoviaByte(DecodeUtf8(S.bytes, i));
    out[n] = 0;
    return out;
}

template <Utf8Literal S>
inline constexpr auto Converted = ToMazovia<S>();

}  // namespace mazovia_detail

// The converted text, with its terminator, in static storage.
template <mazovia_detail::Utf8Literal S>
constexpr const char* operator""_mz() {
    return mazovia_detail::Converted<S>.data();
}

// Length of a converted text without its terminator, for buffer proofs.
template <mazovia_detail::Utf8Literal S>
inline constexpr std::size_t MazoviaTextLength = mazovia_detail::Converted<S>.size() - 1;
