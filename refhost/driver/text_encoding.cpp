#include "text_encoding.h"

#include <cstdint>
#include <vector>

#include "common/codepage_mazovia.h"

namespace tool {

namespace {

// Windows-1250, bytes 0x80 to 0xFF; 0 where the code page defines nothing.
constexpr uint16_t Windows1250UpperHalf[128] = {
    0x20AC, 0,      0x201A, 0,      0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0,      0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,  // 88
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0,      0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,  // 98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,  // A0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,  // A8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,  // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,  // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,  // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,  // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,  // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,  // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,  // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,  // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,  // F8
};

void AppendUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

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

std::string Utf8FromWindows1250(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        const unsigned code = c < 0x80 ? c : Windows1250UpperHalf[c - 0x80];
        AppendUtf8(out, code != 0 ? code : 0xFFFD);
    }
    return out;
}

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

std::optional<std::string> Windows1250FromUtf8(const std::string& text, std::string* offending) {
    return Encode(text, offending, [](unsigned code) {
        for (int b = 0; b < 128; ++b)
            if (Windows1250UpperHalf[b] == code) return 0x80 + b;
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
