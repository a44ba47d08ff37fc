// The plug-in's own formatter behind FormatText, checked against the
// cross compiler's C99 printf (__mingw_sprintf), which is exact.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "common/format.h"

namespace {

template <typename... Values>
void ExpectLikeC99(const char* format, Values... values) {
    char ours[4096];
    char reference[4096];
    const int length = FormatText(ours, format, values...);
    const int expected = __mingw_sprintf(reference, format, values...);
    EXPECT_STREQ(ours, reference) << format;
    EXPECT_EQ(length, expected) << format;
}

TEST(FormatText, IntegersTextsAndCharactersAsC99) {
    ExpectLikeC99("%d|%i|%u|%x|%X|%o", -42, 17, 4000000000u, 0xBEEFu, 0xBEEFu, 8u);
    ExpectLikeC99("[%5d][%-5d][%05d][%+d][% d][%.3d][%5.3d][%.0d]", 42, 42, -42, 7, 7, 5, -5, 0);
    ExpectLikeC99("[%#x][%#X][%#o][%#x][%#o]", 255u, 255u, 8u, 0u, 0u);
    ExpectLikeC99("[%*d][%-*d][%.*d]", 6, 1, 6, 2, 4, 3);
    ExpectLikeC99("%d %d", std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    ExpectLikeC99("%lld %llu %llx", -9000000000000000000LL, 18000000000000000000ULL, 0x123456789ABCULL);
    ExpectLikeC99("%hd %hu %hhd %hhu %ld %lu", 70000, 70000, 300, 300, -5L, 5UL);
    ExpectLikeC99("[%s][%10s][%-10s][%.2s][%c][%3c]%%", "Tzak", "k9", "k4", "Tzak_dok", 'Z', 'x');
}

TEST(FormatText, FloatsAsC99) {
    const double values[] = {0.0,     1.0,       -1.5,   0.1,     2.5,    3.5,     1.005,  0.125,
                             123.456, 999999.5,  1e-5,   0.0001,  1e21,   1e300,   -2e-300,
                             1.0 / 3, 6.02214076e23, std::numeric_limits<double>::max(),
                             std::numeric_limits<double>::min(), std::numeric_limits<double>::denorm_min()};
    const char* formats[] = {"%f",    "%e",     "%g",   "%.0f", "%.0e", "%.0g", "%#.0f", "%#g",  "%.3f",
                             "%.12e", "%.17g",  "%10.2f", "%-12.3e|", "%012.4f", "%+g", "% .1f", "%E", "%G",
                             "%.30f", "%.40e"};
    for (const char* format : formats)
        for (double value : values) ExpectLikeC99(format, value);
}

TEST(FormatText, LongFractionsAndWideFieldsArePadded) {
    ExpectLikeC99("%.1100f", 1.0 / 3);
    ExpectLikeC99("%.800e", std::numeric_limits<double>::denorm_min());
    ExpectLikeC99("%400.3f|", 2.0);
}

TEST(FormatText, UnknownConversionGivesMinusOneAndATerminatedText) {
    // Not literals: the compiler would object to them.
    for (const char* format : {"ab%qcd", "ab%lsx", "ab%"}) {
        char text[32];
        std::memset(text, 'z', sizeof text);
        EXPECT_EQ(FormatText(text, format, L"w"), -1) << format;
        EXPECT_STREQ(text, "ab") << format;
    }
}

}  // namespace
