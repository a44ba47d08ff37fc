// The reference host's directory search and text services, as the intake
// relies on them.
#include <cmath>
#include <cstring>

#include "host/host_records.h"
#include "support/host_fixture.h"
#include "support/intake_support.h"

namespace fs = std::filesystem;

namespace {

class HostSearch : public HostFixture {};

TEST_F(HostSearch, DeliversPlainFilesInNameOrderAndRefusesARecordAfterClose) {
    ScratchDirectory scratch("search_tmp");
    for (const char* name : {"b.txt", "A.txt", "c"}) WriteBytes(scratch.path() / name, "x");
    fs::create_directories(scratch.path() / "katalog");
    uint8_t record[FindData::Size];
    std::vector<std::string> names;
    for (int result = HostFindFirst("search_tmp\\*.*", record, 0); result == 0; result = HostFindNext(record))
        names.push_back(reinterpret_cast<const char*>(record) + FindData::Name);
    EXPECT_EQ(names, (std::vector<std::string>{"A.txt", "b.txt", "c"}));
    EXPECT_EQ(HostFindClose(record), 0);
    EXPECT_EQ(KorpusViolationCount(), 0);

    expectViolations_ = true;
    EXPECT_NE(HostFindNext(record), 0);
    EXPECT_EQ(KorpusViolationCount(), 1);
    EXPECT_NE(HostFindFirst("search_tmp\\*.nic", record, 0), 0);
    HostFindClose(record);  // no search stays open without an entry
    EXPECT_EQ(KorpusViolationCount(), 2);
}

class HostText : public HostFixture {};

TEST_F(HostText, TextToDoubleReadsTheHostsNumberSyntaxOnly) {
    struct Number { const char* text; double value; };
    const Number cases[] = {
        {"250", 250.0},   {"2,5", 2.5},      {" \t-1.5e2 szt", -150.0}, {"+.5", 0.5},  {"1e", 1.0},
        {"1e+", 1.0},     {"7.", 7.0},       {"abc", 0.0},              {"", 0.0},     {"inf", 0.0},
        {"nan", 0.0},     {"0x10", 0.0},     {"-", 0.0},                {"1,5,7", 1.5}, {"\n5", 0.0},
    };
    for (const Number& test : cases) {
        SCOPED_TRACE(test.text);
        EXPECT_EQ(HostTextToDouble(test.text), test.value);
    }
    EXPECT_TRUE(std::isinf(HostTextToDouble("1e999")));
    EXPECT_LT(HostTextToDouble("-1e999"), 0.0);
}

TEST_F(HostText, TrimRemovesBlanksTabsAndLineEndsAtBothEnds) {
    char text[] = " \t\r\n a b \r\n\t ";
    EXPECT_STREQ(HostTrim(text), "a b");
    char keeps[] = "\x0B" "v\x0C";
    EXPECT_STREQ(HostTrim(keeps), "\x0B" "v\x0C");
}

}  // namespace
