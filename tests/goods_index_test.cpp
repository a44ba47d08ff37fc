#include "document/goods_index.h"

#include <cstring>

#include "common/mazovia_text.h"
#include "host/host_services.h"
#include "support/document_fixture.h"

namespace {

// n catalogue records of one table for one warehouse, codes C0000, C0001, ...
json ManyRecords(bool k9, int warehouse, int n, int firstId) {
    json goods = json::array();
    for (int i = 0; i < n; ++i) {
        char code[16];
        std::snprintf(code, sizeof code, "C%04d", i);
        goods.push_back(k9 ? K9(warehouse, firstId + i, code)
                           : Codes(warehouse, firstId + i, code));
    }
    return goods;
}

json Joined(json a, const json& b) {
    for (const json& x : b) a.push_back(x);
    return a;
}

std::vector<std::string> IndexCodes(const GoodsIndex& index) {
    std::vector<std::string> codes;
    for (int i = 0; i < index.count; ++i) codes.push_back(index.entries[i]->code);
    return codes;
}

}  // namespace

class GoodsIndexBuild : public DocumentFixture {
protected:
    GoodsIndex& Index() { return WarehouseGoodsIndex; }
    int Build(int warehouse) { return BuildGoodsIndex(warehouse, &Index()); }
    void ExpectReleased() {
        EXPECT_EQ(Index().count, 0);
        EXPECT_EQ(Index().capacity, 0);
        EXPECT_EQ(Index().entries, nullptr);
        EXPECT_EQ(Index().block, nullptr);
    }
};

struct CapacityCase {
    const char* name;
    json scenario;
    int capacity;
    int count;
    int reserveAfter;
};

void PrintTo(const CapacityCase& c, std::ostream* out) { *out << c.name; }

class GoodsIndexCapacity : public GoodsIndexBuild, public ::testing::WithParamInterface<CapacityCase> {};

TEST_P(GoodsIndexCapacity, SizesTheIndexFromTheScanCountsAndTheReserve) {
    const CapacityCase& c = GetParam();
    Start(c.scenario);
    ASSERT_NE(Build(0), 0);
    EXPECT_EQ(Index().capacity, c.capacity);
    EXPECT_EQ(Index().count, c.count);
    EXPECT_NE(Index().block, nullptr);
    EXPECT_EQ(GoodsIndexReserve, c.reserveAfter);
    ReleaseGoodsIndex(&Index());
    EXPECT_EQ(KorpusLiveBlocks(), 0);
}

const CapacityCase CapacityCases[] = {
    {"EmptyWarehouse", {{"goods", json::array()}}, 2050, 0, 1000},
    {"OnlyTable117", {{"goods", {Codes(0, 4, "X")}}}, 2050, 1, 1000},
    {"FirstScanReports300",
     {{"goods", {K9(0, 1, "A"), K9(1, 2, "B")}},
      {"scan_reported_count", {{"k9", 300}}}},
     1350, 1, 1000},
    // 10 k9 records give 1060 entries; table 117 fills them at its 1051st
    // record; its scan reports 5000, so the reserve becomes 5500.
    {"SecondPassOverflows",
     {{"goods", Joined(ManyRecords(true, 0, 10, 1), ManyRecords(false, 0, 1100, 100))},
      {"scan_reported_count", {{"117", 5000}}}},
     5560, 1110, 5500},
    // The host delivers 1100 k9 records but reports 10: the first pass would
    // run past 1060 entries; it starts again with a reserve grown to 2000.
    {"FirstPassGetsMoreThanReported",
     {{"goods", ManyRecords(true, 0, 1100, 1)}, {"scan_reported_count", {{"k9", 10}}}}, 2060, 1100, 2000},
};

INSTANTIATE_TEST_SUITE_P(Cases, GoodsIndexCapacity, ::testing::ValuesIn(CapacityCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(GoodsIndexBuild, KeepsARaisedReserveForTheNextWarehouse) {
    Start({{"goods", Joined(ManyRecords(true, 0, 10, 1), ManyRecords(false, 0, 1100, 100))},
           {"scan_reported_count", {{"117", 5000}}}});
    ASSERT_NE(Build(0), 0);
    ASSERT_EQ(GoodsIndexReserve, 5500);
    ASSERT_NE(Build(1), 0);  // warehouse 1 has nothing: 1000 + 5500 + 50
    EXPECT_EQ(Index().capacity, 6550);
    EXPECT_EQ(Index().count, 0);
    ReleaseGoodsIndex(&Index());
}

// Which records are taken, how codes are cut, and how the search folds case.
TEST_F(GoodsIndexBuild, TakesTheQualifyingRecordsAndFindsCodesIgnoringAsciiCase) {
    const std::string longCode = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123";  // 30 characters
    Start({{"goods",
            {K9(2, 11, "ABC"), K9(2, 0, "NOID"), K9(2, 12, "", "Tylko nazwa"), K9(2, 13, "", ""),
             K9(3, 14, "OTHER"), K9(2, 15, "ŻABA"), K9(2, 16, longCode), K9(2, 17, "a_b"),
             Codes(2, 21, "abc"), Codes(3, 22, "ELSEWHERE"), Codes(2, 0, "NOID117"), Codes(2, 23, ""),
             Codes(2, 24, "Dup")}}});
    *HostWarehouseNo() = 9;
    ASSERT_NE(Build(2), 0);
    EXPECT_EQ(*HostWarehouseNo(), 9);

    // Sorted with capitals folded; the underscore before letters; the empty code first.
    const std::vector<std::string> expected = {"", "a_b", "ABC", "abc", longCode.substr(0, 25), "Dup", "ŻABA"_mz};
    std::vector<std::string> codes = IndexCodes(Index());
    ASSERT_EQ(codes.size(), expected.size());
    // ABC and abc are equal in index order: either may come first.
    if (codes[2] == "abc") std::swap(codes[2], codes[3]);
    EXPECT_EQ(codes, expected);
    for (int i = 0; i < Index().count; ++i) {
        const GoodsIndexEntry& e = *Index().entries[i];
        EXPECT_EQ(e.source, e.goodsId >= 20 ? GoodsSourceCodes : GoodsSourceK9) << e.code;
    }

    struct Search {
        std::string code;
        std::vector<int> goodsIds;  // any of these; none: not found
    };
    const Search searches[] = {
        {"abc", {11, 21}},          {"aBc", {11, 21}},     {"DUP", {24}},
        {"a_B", {17}},              {"ŻABA"_mz, {15}},     {"żaba"_mz, {}},
        {longCode.substr(0, 25), {16}}, {longCode, {}},    {"OTHER", {}},
        {"ELSEWHERE", {}},          {"NOID", {}},          {"AB", {}},
    };
    for (const Search& s : searches) {
        const int p = FindGoodsCode(s.code.c_str(), &Index());
        if (s.goodsIds.empty()) {
            EXPECT_EQ(p, -1) << s.code;
        } else {
            ASSERT_GE(p, 0) << s.code;
            const int found = Index().entries[p]->goodsId;  // a copy: the entry is packed
            EXPECT_NE(std::find(s.goodsIds.begin(), s.goodsIds.end(), found), s.goodsIds.end()) << s.code;
        }
    }
    ReleaseGoodsIndex(&Index());
}

TEST_F(GoodsIndexBuild, AllocatesEntriesOneByOneWhenTheBlockIsRefused) {
    // The block of 1051 * 29 bytes is refused; the array of 1051 pointers is not.
    Start({{"goods", {K9(0, 1, "B"), Codes(0, 2, "A")}}, {"memory", {{"refuse_at_least", 1051 * 29}}}});
    ASSERT_NE(Build(0), 0);
    EXPECT_EQ(Index().block, nullptr);
    EXPECT_EQ(Index().capacity, 1 + 1000 + 50);
    EXPECT_EQ(KorpusLiveBlocks(), 1 + 1051);
    EXPECT_EQ(IndexCodes(Index()), (std::vector<std::string>{"A", "B"}));
    for (int i = 0; i < Index().capacity; ++i) ASSERT_NE(Index().entries[i], nullptr);
    const GoodsIndexEntry spare = *Index().entries[Index().capacity - 1];
    EXPECT_EQ(spare.code[0], 0);
    EXPECT_EQ(int{spare.goodsId}, 0);
    EXPECT_EQ(FindGoodsCode("b", &Index()), 1);
    ReleaseGoodsIndex(&Index());
    ExpectReleased();
    EXPECT_EQ(KorpusLiveBlocks(), 0);
}

struct FailureCase {
    const char* name;
    json scenario;
};

void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.name; }

class GoodsIndexFailure : public GoodsIndexBuild, public ::testing::WithParamInterface<FailureCase> {};

// Every failure leaves the index released and the warehouse number as it was,
// without a message of the build's own.
TEST_P(GoodsIndexFailure, ReleasesTheIndexAndRestoresTheWarehouse) {
    json scenario = GetParam().scenario;
    scenario["goods"] = {K9(3, 1, "A"), K9(3, 2, "B"), Codes(3, 3, "C"), Codes(3, 4, "D")};
    Start(scenario);
    *HostWarehouseNo() = 7;
    EXPECT_EQ(Build(3), 0);
    ExpectReleased();
    EXPECT_EQ(*HostWarehouseNo(), 7);
    EXPECT_EQ(KorpusLiveBlocks(), 0);
    EXPECT_TRUE(Events("message").empty());
}

const FailureCase FailureCases[] = {
    {"GoodsScanDoesNotStart", {{"scan_failures", {{{"table", "k9"}, {"warehouse", 3}}}}}},
    {"GoodsScanBreaksOff", {{"scan_failures", {{{"table", "k9"}, {"after", 1}}}}}},
    {"CodesScanDoesNotStart", {{"scan_failures", {{{"table", "117"}, {"warehouse", 3}}}}}},
    {"CodesScanBreaksOff", {{"scan_failures", {{{"table", "117"}, {"after", 1}}}}}},
    {"PointerArrayRefused", {{"memory", {{"refuse_nth", 1}}}}},
    {"CapacityBeyondWhatCanBeAllocated", {{"scan_reported_count", {{"k9", 0x7FFFFFF0}}}}},
};

INSTANTIATE_TEST_SUITE_P(Cases, GoodsIndexFailure, ::testing::ValuesIn(FailureCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(GoodsIndexBuild, ReportsAMissingGoodsTable) {
    for (const char* missing : {"49", "117"}) {
        Start({{"tables", {{missing, nullptr}}}});
        *HostWarehouseNo() = 4;
        EXPECT_EQ(Build(0), 0) << missing;
        EXPECT_EQ(*HostWarehouseNo(), 4);
        ExpectReleased();
        const json messages = Events("message");
        ASSERT_EQ(messages.size(), 1u) << missing;
        EXPECT_EQ(messages[0]["service"], "HostMessageBox");
        EXPECT_EQ(messages[0]["title"], "Błąd");
        EXPECT_EQ(messages[0]["text"], "Błąd operacji dyskowej!");
        EXPECT_EQ(messages[0]["flags"], 1);
    }
    Start({{"tables", {{"49", nullptr}}}});
    GoodsIndex one = {};
    ASSERT_TRUE(AllocateGoodsIndex(0, 0, &one));
    std::strcpy(one.entries[0]->code, "A");
    one.count = 1;
    EXPECT_EQ(FindGoodsCode("A", &one), -1);
    ASSERT_EQ(Events("message").size(), 1u);
    EXPECT_EQ(Events("message")[0]["text"], "Błąd operacji dyskowej!");
    ReleaseGoodsIndex(&one);
}

// The stepping of the search reaches every entry, for every count, also
// among equal codes.
TEST_F(GoodsIndexBuild, SearchFindsEveryCodeForEveryCount) {
    std::vector<GoodsIndexEntry> entries(64);
    std::vector<GoodsIndexEntry*> pointers(64);
    for (int n = 1; n <= 64; ++n) {
        for (int i = 0; i < n; ++i) {
            entries[i] = GoodsIndexEntry{};
            // Pairs of equal codes in index order: k00 K00 k01 K01 ...
            std::snprintf(entries[i].code, sizeof entries[i].code, "%c%02d", i % 2 ? 'K' : 'k', i / 2);
            entries[i].goodsId = static_cast<int16_t>(i / 2 + 1);
            pointers[i] = &entries[i];
        }
        GoodsIndex index = {n, n, pointers.data(), nullptr};
        for (int i = 0; i < n; ++i) {
            const int p = FindGoodsCode(entries[i].code, &index);
            ASSERT_GE(p, 0) << "n=" << n << " code " << entries[i].code;
            const int found = index.entries[p]->goodsId;
            EXPECT_EQ(found, i / 2 + 1);
        }
        EXPECT_EQ(FindGoodsCode("k99", &index), -1);
        EXPECT_EQ(FindGoodsCode("a", &index), -1);
    }
}
