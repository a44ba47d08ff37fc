#include <climits>

#include "common/mazovia_text.h"
#include "support/document_fixture.h"

namespace {

struct MergeCase {
    const char* name;
    std::vector<Position> input;
    std::vector<Position> merged;
};

void PrintTo(const MergeCase& c, std::ostream* out) { *out << c.name; }


const std::string NationalZ = "Ż1"_mz;  // 0x80 and above: after every ASCII code

const MergeCase MergeCases[] = {
    {"EmptyArrayStaysEmpty", {}, {}},
    {"SingleRecordStays", {{"A1", 1000}}, {{"A1", 1000}}},
    {"SameCodesAreSummedAndSorted", {{"B2", 2000}, {"A1", 1000}, {"B2", 500}}, {{"A1", 1000}, {"B2", 2500}}},
    {"RunOfThreeEndsInOneSum", {{"A", 1000}, {"A", 2000}, {"A", 3000}}, {{"A", 6000}}},
    {"CaseKeepsCodesApartCapitalsFirst", {{"abc", 1000}, {"ABC", 1000}}, {{"ABC", 1000}, {"abc", 1000}}},
    {"PrefixSortsFirst", {{"ABC", 1}, {"AB", 2}}, {{"AB", 2}, {"ABC", 1}}},
    {"NationalLettersSortAfterAscii", {{NationalZ, 1}, {"z1", 2}, {"Z1", 3}}, {{"Z1", 3}, {"z1", 2}, {NationalZ, 1}}},
    {"OppositeSignsAreSummed", {{"X", 5000}, {"X", -2000}}, {{"X", 3000}}},
    {"ZeroSumKeepsTheRecord", {{"X", 1000}, {"X", -1000}}, {{"X", 0}}},
    {"EmptyCodeIsDropped", {{"", 3000}, {"X", 1000}}, {{"X", 1000}}},
    {"OnlyEmptyCodesLeaveNothing", {{"", 1}, {"", 2}, {"", 3}}, {}},
    // Partial sums beyond 32 bits do not matter while the whole sum fits.
    {"SumInRangeDespiteLargeParts", {{"Q", INT_MAX}, {"Q", 1000}, {"Q", -1000}}, {{"Q", INT_MAX}}},
    {"SumAtTheLowerLimit", {{"Q", INT_MIN + 5}, {"Q", -5}}, {{"Q", INT_MIN}}},
};

}  // namespace

class PositionMerge : public DocumentFixture, public ::testing::WithParamInterface<MergeCase> {};

TEST_P(PositionMerge, LeavesOneSortedRecordPerCode) {
    const MergeCase& c = GetParam();
    Start(json::object(), c.input);
    PositionRecord* block = Kolektor().positions;
    const int capacity = Kolektor().positionCapacity;

    Kolektor().MergePositions();

    EXPECT_EQ(CurrentPositions(), c.merged);
    for (int i = 0; i < Kolektor().positionCount; ++i) {
        EXPECT_EQ(int{PositionAt(i).goodsId}, 0);
        EXPECT_EQ(int{PositionAt(i).warehouse}, 0);
    }
    EXPECT_EQ(static_cast<PositionRecord*>(Kolektor().positions), block);
    EXPECT_EQ(int{Kolektor().positionCapacity}, capacity);
    EXPECT_TRUE(Events("message").empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, PositionMerge, ::testing::ValuesIn(MergeCases),
                         [](const auto& info) { return std::string(info.param.name); });

class PositionMergeOverflow : public DocumentFixture {};

// A quantity the document cannot carry must not turn into some other number:
// the code is left out and the user is told which one.
TEST_F(PositionMergeOverflow, DropsACodeWhoseSumLeavesThe32BitRangeAndNamesIt) {
    Start(json::object(), {{"BIG", INT_MAX}, {"A", 7}, {"BIG", 1}, {"NEG", INT_MIN}, {"NEG", -1}, {"Z", 9}});

    Kolektor().MergePositions();

    EXPECT_EQ(CurrentPositions(), (std::vector<Position>{{"A", 7}, {"Z", 9}}));
    const json messages = Events("message");
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0]["title"], "blokada");
    EXPECT_EQ(messages[0]["text"], "Suma ilości towaru BIG przekracza zakres! Towar pominięty.");
    EXPECT_EQ(messages[0]["flags"], 1);
    EXPECT_EQ(messages[1]["text"], "Suma ilości towaru NEG przekracza zakres! Towar pominięty.");
}
