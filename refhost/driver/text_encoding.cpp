#include "text_encoding.h"

#include "utf8.h"

#include <cstdint>
#include <vector>

#include "common/codepage_mazovia.h"

namespace tool {

namespace {

// Decodes the code points of a UTF-8 text; false when it is not valid UTF-8.
bool DecodeUtf8(const std::string& text, std::vector<unsigned>* codes) {
    for (size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const int extra = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2
                                          : (lead & 0xF8) == 0xF0 ? 3 : -1;
        if (extra < 0) return false;
        unsigned code = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= text.size()) return false;
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        codes->push_back(code);
        i += extra + 1;
    }
    return true;
}

template <typename Lookup>
std::optional<std::string> Encode(const std::string& text, std::string* offending, Lookup lookup) {
    std::vector<unsigned> codes;
    if (!DecodeUtf8(text, &codes)) {
        if (offending != nullptr) *offending = "invalid UTF-8";
        return std::nullopt;
    }
    std::string out;
    for (unsigned code : codes) {
        if (code < 0x80) {
            out += static_cast<char>(code);
            continue;
        }
        const int byte = lookup(code);
        if (byte < 0) {
            if (offending != nullptr) {
                offending->clear();
                AppendUtf8(*offending, code);
            }
            return std::nullopt;
        }
        out += static_cast<char>(byte);
    }
    return out;
}

}  // namespace

std::string Utf8FromMazovia(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) AppendUtf8(out, c < 0x80 ? c : MazoviaUpperHalf[c - 0x80].unicode);
    return out;
}

std::optional<std::string> MazoviaFromUtf8(const std::string& text, std::string* offending) {
    return Encode(text, offending, [](unsigned code) {
        for (int b = 0; b < 128; ++b)
            if (MazoviaUpperHalf[b].unicode == code) return 0x80 + b;
        return -1;
    });
}

int Utf8Width(const std::string& text) {
    int width = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++width;
    return width;
}

}  // namespace tool
