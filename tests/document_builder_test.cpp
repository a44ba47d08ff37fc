#include <cstring>

#include "document/goods_index.h"
#include "host/host_records.h"
#include "host/host_services.h"
#include "support/document_fixture.h"

namespace {

char* TzakRecord() { return static_cast<char*>(static_cast<HostTableDescriptor*>(KorpusTable(52))->recordBuffer); }

json Line(int goodsId, int warehouse, int quantity, const std::string& code) {
    return {{"goods_id", goodsId}, {"warehouse", warehouse}, {"quantity", quantity}, {"code", code}};
}

}  // namespace

class DocumentBuilder : public DocumentFixture {
protected:
    int Build() { return Kolektor().WypelnijTowaryTzak(); }
    // The transcript's event kinds of interest, in order.
    std::vector<std::string> Flow() const {
        static const std::set<std::string> kinds = {"header_initialised", "message", "header_dialog",
                                                    "right_checked", "header_stored", "lines_saved",
                                                    "document_closed"};
        std::vector<std::string> flow;
        for (const json& event : Transcript())
            if (kinds.count(event["event"])) flow.push_back(event["event"]);
        return flow;
    }
};

TEST_F(DocumentBuilder, CreatesOneLinePerMergedCodeInCodeOrder) {
    Start({{"goods",
            {K9(0, 10, "SRUBA", "Śruba M6"), K9(0, 12, "NK-1", "Nakrętka"), Codes(0, 12, "NAKRETKA"),
             K9(0, 13, "ZERO"), K9(0, 14, "ABC")}},
           {"document", {{"date", "10.12.26"}, {"header", {{"text", ""}, {"893", 7}, {"897", 9}}}}}},
          {{"SRUBA", 1500}, {"NAKRETKA", 2000}, {"SRUBA", 500}, {"ZERO", 1000}, {"ZERO", -1000}, {"abc", 100},
           {"ABC", 200}});

    EXPECT_EQ(Build(), 1);

    EXPECT_EQ(Flow(), (std::vector<std::string>{"header_initialised", "header_dialog", "header_stored",
                                                "lines_saved", "document_closed"}));
    EXPECT_EQ(IndexBuilds(), 1) << "every code is known in warehouse 0";

    const char* header = TzakRecord();
    EXPECT_EQ(std::memcmp(header + TzakField::Note, "Zbiorczo z filii", 17), 0);
    EXPECT_STREQ(header + TzakField::Date1, "10.12.26");
    EXPECT_STREQ(header + TzakField::Date2, "10.12.26");
    EXPECT_EQ(Events("header_dialog")[0]["caption"], "Zbieracz");
    EXPECT_EQ(Events("header_stored")[0]["note"], "Zbiorczo z filii");

    // abc and ABC stay two positions and both find the one entry ABC.
    const json lines = {Line(14, 0, 200, "ABC"), Line(12, 0, 2000, "NK-1"), Line(10, 0, 2000, "SRUBA"),
                        Line(13, 0, 0, "ZERO"), Line(14, 0, 100, "ABC")};
    const json saved = Events("lines_saved");
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0]["count"], 5);
    EXPECT_EQ(saved[0]["document_type"], 701);
    EXPECT_EQ(saved[0]["line_type"], 702);
    EXPECT_EQ(saved[0]["kind"], ".PZK");
    EXPECT_EQ(saved[0]["lines"], lines);
    const json closed = Events("document_closed");
    ASSERT_EQ(closed.size(), 1u);
    EXPECT_EQ(closed[0]["arguments"], json({701, 0, 0, 0, 0, 0, 0, 1, 0, 0, 9, 7}));
    EXPECT_EQ(closed[0]["lines"], lines);

    // The builder leaves the numbers of the last line set.
    EXPECT_EQ(*HostGoodsNo(), 14);
    EXPECT_EQ(*HostWarehouseNo(), 0);
    EXPECT_EQ(int{PositionAt(2).goodsId}, 10);
    EXPECT_EQ(int{PositionAt(2).warehouse}, 0);
}

TEST_F(DocumentBuilder, TheLowestWarehouseThatKnowsACodeWins) {
    Start({{"goods", {K9(7, 70, "X"), K9(3, 30, "X"), K9(5, 50, "Y"), K9(6, 60, "Y")}}}, {{"Y", 2000}, {"X", 1000}});
    ASSERT_EQ(Build(), 1);
    EXPECT_EQ(Events("lines_saved")[0]["lines"], json({Line(30, 3, 1000, "X"), Line(50, 5, 2000, "Y")}));
    EXPECT_EQ(IndexBuilds(), 6) << "warehouses 0 to 5, none after the last code was found";
    EXPECT_TRUE(Events("message").empty());
}

struct MessageCase {
    const char* name;
    json scenario;
    std::vector<Position> positions;
    json messages;  // [service, title, text] each
    int dialogs;
    int linesSaved;  // -1: no save
    bool closed;
};

void PrintTo(const MessageCase& c, std::ostream* out) { *out << c.name; }

class DocumentBuilderMessages : public DocumentBuilder, public ::testing::WithParamInterface<MessageCase> {};

TEST_P(DocumentBuilderMessages, ReportsAndEndsAsTheCaseRequires) {
    const MessageCase& c = GetParam();
    Start(c.scenario, c.positions);
    Build();
    json messages = json::array();
    for (const json& m : Events("message")) {
        EXPECT_EQ(m["flags"], 1);
        messages.push_back({m["service"], m["title"], m["text"]});
    }
    EXPECT_EQ(messages, c.messages);
    EXPECT_EQ(static_cast<int>(Events("header_dialog").size()), c.dialogs);
    const json saved = Events("lines_saved");
    if (c.linesSaved < 0) {
        EXPECT_TRUE(saved.empty());
    } else {
        ASSERT_EQ(saved.size(), 1u);
        EXPECT_EQ(saved[0]["count"], c.linesSaved);
        EXPECT_EQ(saved[0]["kind"], ".PZK");
    }
    EXPECT_EQ(Events("document_closed").size(), c.closed ? 1u : 0u);
}

const json GoodsABC = {K9(0, 1, "A"), K9(0, 2, "B"), K9(0, 3, "C")};

const MessageCase MessageCases[] = {
    {"SomePositionsUnknown",
     {{"goods", GoodsABC}},
     {{"E", 1}, {"A", 1}, {"D", 1}, {"B", 1}, {"C", 1}},
     {{"HostMessageV", "blokada", "Zidentyfikowano 3 pozycji z 5 wczytanych z plików!"}},
     1, 3, true},
    {"NoPositionKnown",
     {{"goods", GoodsABC}},
     {{"Q", 1}},
     {{"HostMessageV", "blokada", "Zidentyfikowano 0 pozycji z 1 wczytanych z plików!"},
      {"HostMessageBox", "blokada", "Dokument nie został utworzony!"}},
     0, 0, false},
    {"NoPositionsAtAll", {{"goods", GoodsABC}}, {}, json::array(), 1, 0, true},
    {"LinesTableMissing",
     {{"tables", {{"53", nullptr}}}},
     {{"A", 1}},
     {{"HostMessageBox", "Błąd", "Błąd operacji dyskowej w WypelnijTowaryTzak!"}},
     0, -1, false},
    {"HeaderTableMissing",
     {{"tables", {{"52", nullptr}}}},
     {{"A", 1}},
     {{"HostMessageBox", "Błąd", "Błąd operacji dyskowej w WypelnijTowaryTzak!"}},
     0, -1, false},
    {"K4TableMissing",
     {{"tables", {{"35", nullptr}}}},
     {{"A", 1}},
     {{"HostMessageBox", "Błąd", "Błąd operacji dyskowej w WypelnijTowaryTzak!"}},
     0, -1, false},
    {"NoLinesArray", {{"goods", GoodsABC}, {"document", {{"lines_array", false}}}}, {{"A", 1}}, json::array(), 0, -1,
     false},
    // Warehouse 2 cannot be read: one message, and the search goes on to warehouse 5.
    {"UnbuildableWarehouseReportedOnce",
     {{"goods", {K9(5, 1, "A"), K9(2, 9, "A")}}, {"scan_failures", {{{"table", "k9"}, {"warehouse", 2}}}}},
     {{"A", 1}},
     {{"HostMessageV", "blokada", "Nie da się zrzucić magazynu: 2 do pamięci!"}},
     1, 1, true},
    // Goods 5 has a code in table 117 but no goods record: identified, yet no line.
    {"GoodsRecordNotFoundGivesNoLine",
     {{"goods", {Codes(0, 5, "ONLY117"), K9(0, 6, "B")}}},
     {{"ONLY117", 1}, {"B", 1}},
     json::array(),
     1, 1, true},
};

INSTANTIATE_TEST_SUITE_P(Cases, DocumentBuilderMessages, ::testing::ValuesIn(MessageCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DocumentBuilder, LeavesTheHeaderUntouchedWithoutALinesArray) {
    Start({{"goods", GoodsABC}, {"document", {{"lines_array", false}}}}, {{"A", 1}});
    Build();
    EXPECT_EQ(TzakRecord()[TzakField::Note], 0);
    EXPECT_EQ(int{Kolektor().positionCount}, 1) << "nothing merged";
}

struct HeaderCase {
    const char* name;
    json header;   // the Tzak record at the event
    json answers;  // scripted header runs, right checks, stores
    int dialogs;
    int rightChecks;
    int storeCalls;
    bool initialised;
    bool closed;
};

void PrintTo(const HeaderCase& c, std::ostream* out) { *out << c.name; }

class DocumentBuilderHeader : public DocumentBuilder, public ::testing::WithParamInterface<HeaderCase> {};

TEST_P(DocumentBuilderHeader, ShowsTheHeaderDialogUntilTheHeaderIsDone) {
    const HeaderCase& c = GetParam();
    Start({{"goods", GoodsABC}, {"document", {{"header", c.header}}}, {"answers", c.answers}}, {{"A", 1000}});
    Build();
    EXPECT_EQ(static_cast<int>(Events("header_dialog").size()), c.dialogs);
    EXPECT_EQ(static_cast<int>(Events("right_checked").size()), c.rightChecks);
    EXPECT_EQ(static_cast<int>(Events("header_stored").size()), c.storeCalls);
    EXPECT_EQ(Events("header_initialised").size(), c.initialised ? 1u : 0u);
    // A cancelled header ends the call: no lines saved, no close.
    EXPECT_EQ(Events("lines_saved").size(), c.closed ? 1u : 0u);
    EXPECT_EQ(Events("document_closed").size(), c.closed ? 1u : 0u);
    if (c.closed) {
        EXPECT_EQ(Events("lines_saved")[0]["lines"], json({Line(1, 0, 1000, "A")}));
    }
}

const json Blank = json::object();
const json Loop = {{"k4_962", 0}, {"tzak_877", 0}};

const HeaderCase HeaderCases[] = {
    {"AcceptedAndStored", Blank, json::object(), 1, 0, 1, true, true},
    {"ShownAgainWhileNothingIsDone",
     Blank, {{"document_header", {Loop, Loop, {{"k4_962", 0}, {"tzak_877", 1}}}}}, 3, 0, 0, true, true},
    {"StoreRefusedShowsItAgain",
     Blank, {{"document_header", {{{"tzak_877", 0}}, {{"tzak_877", 0}}}}, {"document_store", {0, 1}}}, 2, 0, 2, true,
     true},
    {"RightRefusedLeavesWithoutStoring",
     Blank, {{"document_header", {{{"k4_232", 5}, {"tzak_877", 0}}}}, {"check_right", {0}}}, 1, 1, 0, true, true},
    {"RightGrantedStores",
     Blank, {{"document_header", {{{"k4_232", 7}, {"tzak_877", 0}}}}, {"check_right", {1}}}, 1, 1, 1, true, true},
    {"LowLevelNeedsNoRight", Blank, {{"document_header", {{{"k4_232", 4}}}}}, 1, 0, 1, true, true},
    {"CancelledAtOnce", Blank, {{"document_header", {{{"result", -1}}}}}, 1, 0, 0, true, false},
    {"CancelledAfterARepeat", Blank, {{"document_header", {Loop, {{"result", -2}}}}}, 2, 0, 0, true, false},
    {"HeaderAlreadyDone", {{"text", "ZAM 5/26"}, {"877", 1}}, json::object(), 0, 0, 0, false, true},
};

INSTANTIATE_TEST_SUITE_P(Cases, DocumentBuilderHeader, ::testing::ValuesIn(HeaderCases),
                         [](const auto& info) { return std::string(info.param.name); });
