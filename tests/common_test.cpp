#include <cstring>

#include "common/format.h"
#include "common/size_check.h"
#include "common/texts.h"
#include "support/host_fixture.h"

TEST(FormatText, ReturnsTheLengthWrittenWithoutTheTerminator) {
    struct Case {
        const char* expected;
        int length;
        std::string (*run)(int*);
    };
    const Case cases[] = {
        {"", 0, [](int* n) { char b[8]; *n = FormatText(b, "%s", ""); return std::string(b); }},
        {"42", 2, [](int* n) { char b[8]; *n = FormatText(b, "%d", 42); return std::string(b); }},
        {"-7|Tzak|  3", 11, [](int* n) { char b[32]; *n = FormatText(b, "%d|%s|%3d", -7, "Tzak", 3); return std::string(b); }},
        {"100%", 4, [](int* n) { char b[8]; *n = FormatText(b, "%d%%", 100); return std::string(b); }},
        {"2.50", 4, [](int* n) { char b[8]; *n = FormatText(b, "%.2f", 2.5); return std::string(b); }},
    };
    for (const Case& c : cases) {
        int length = -2;
        EXPECT_EQ(c.run(&length), c.expected);
        EXPECT_EQ(length, c.length) << c.expected;
    }
}

TEST(FormatText, PassesTheHostsCodePageThrough) {
    char buffer[32];
    EXPECT_EQ(FormatText(buffer, "%s!", "Błąd"_mz), 5);
    EXPECT_STREQ(buffer, "\x42\x92\x86\x64!");
}

TEST(CopyDisplayName, WritesTheNameWithItsTerminator) {
    char record[16];
    std::memset(record, 'x', sizeof record);
    CopyDisplayName(record);
    EXPECT_STREQ(record, "Scalacz");
    EXPECT_EQ(record[8], 'x') << "nothing is written after the terminator";
}

class SizeMismatchList : public ::testing::Test {
protected:
    void SetUp() override { saved_ = SizeCheckList, SizeCheckList = nullptr; }
    void TearDown() override { SizeCheckList = saved_; }
    std::vector<SizeCheck*> Listed() const {
        std::vector<SizeCheck*> out;
        for (SizeCheck* node = SizeCheckList; node != nullptr; node = node->NextCheck) out.push_back(node);
        return out;
    }
    SizeCheck* saved_ = nullptr;
    SizeCheck a{901, 900, "Tzak", nullptr}, b{626, 630, "Tzak_dok", nullptr}, c{966, 0, "k4", nullptr};
};

TEST_F(SizeMismatchList, AppendsAtTheTailAndNeverTwice) {
    EXPECT_EQ(CountSizeMismatches(), 0);
    EXPECT_EQ(AddSizeMismatch(&a), -1);
    EXPECT_EQ(AddSizeMismatch(&a), -1) << "the only node again";
    EXPECT_EQ(Listed(), (std::vector<SizeCheck*>{&a}));
    AddSizeMismatch(&b);
    AddSizeMismatch(&c);
    for (SizeCheck* again : {&a, &b, &c}) EXPECT_EQ(AddSizeMismatch(again), -1);
    EXPECT_EQ(Listed(), (std::vector<SizeCheck*>{&a, &b, &c})) << "first, middle and last node added again";
    EXPECT_EQ(CountSizeMismatches(), 3);
}

TEST_F(SizeMismatchList, ANewNodeWithAStaleLinkDoesNotDragOthersIn) {
    SizeCheck stale{1024, 1000, "k9", &a};
    AddSizeMismatch(&b);
    AddSizeMismatch(&stale);
    EXPECT_EQ(Listed(), (std::vector<SizeCheck*>{&b, &stale}));
}
