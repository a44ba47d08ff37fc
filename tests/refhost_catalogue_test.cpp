// The reference host's scans and document services catch the misuses that a
// faulty plug-in would commit.
#include <cstring>
#include <functional>

#include "host/host_records.h"
#include "host/host_services.h"
#include "support/document_fixture.h"

namespace {

struct Misuse {
    const char* name;
    const char* service;  // the service that reports the violation
    std::function<void()> act;
};

void PrintTo(const Misuse& c, std::ostream* out) { *out << c.name; }

uint8_t State[ScanState::Size];
uint8_t Key[ScanState::KeyBufferSize];

HostTableDescriptor* Table(int number) { return HostGetTable(number); }

void StartGoodsScan() {
    HostTableDescriptor* k9 = Table(49);
    HostSetScanKey(4, &k9, Key, 0);
    HostScanFirst(State, k9, 4, Key, 0, 0);
}

const Misuse Misuses[] = {
    {"ScanStateUsedAfterClose", "HostScanNext", [] { StartGoodsScan(); HostScanClose(State); HostScanNext(State); }},
    {"ScanClosedTwice", "HostScanClose", [] { StartGoodsScan(); HostScanClose(State); HostScanClose(State); }},
    {"ScanStateReusedWhileOpen", "HostScanFirst",
     [] { StartGoodsScan(); StartGoodsScan(); HostScanClose(State); }},
    {"KeyBufferNotPrepared", "HostScanFirst",
     [] { std::memset(Key, 0, sizeof Key); HostScanFirst(State, Table(49), 4, Key, 0, 0); HostScanClose(State); }},
    {"WholeScanWithAKeyBuffer", "HostScanFirst",
     [] { HostScanFirst(State, nullptr, 154, Key, 0, 0); HostScanClose(State); }},
    {"KeyOfTheWrongTable", "HostSetScanKey", [] { HostTableDescriptor* t = Table(117); HostSetScanKey(4, &t, Key, 0); }},
    {"ScanStateNeverFilled", "HostScanNext", [] { uint8_t other[ScanState::Size] = {}; HostScanNext(other); }},
    {"LineWithoutPositionedGoods", "HostLineFromGoods",
     [] {
         void** lines = HostLinesAlloc(701, 0, 0, 0);
         HostLineFromGoods(Table(53), Table(53)->recordBuffer, lines, 0, 702);
     }},
    {"MoreLinesSavedThanMade", "HostLinesSave", [] { HostLinesAlloc(701, 0, 0, 0); HostLinesSave(1, 701, 702, ".PZK", 0); }},
    {"LineRecordWrittenPastItsEnd", "HostLinesSave",
     [] {
         void** lines = HostLinesAlloc(701, 0, 0, 0);
         *HostGoodsNo() = 1;
         HostSeekGoods(-1, 0);
         HostLineFromGoods(Table(53), Table(53)->recordBuffer, lines, 0, 702);
         static_cast<char*>(lines[0])[626] = 1;
         HostLinesSave(1, 701, 702, ".PZK", 0);
     }},
    {"DateWithoutRoom", "HostDateText",
     [] { HostDateText(static_cast<char*>(Table(52)->recordBuffer) + RecordSize::Tzak - 8); }},
    {"CloseBeforeSave", "HostDocumentClose",
     [] { HostLinesAlloc(701, 0, 0, 0); HostDocumentClose(701, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0); }},
};

}  // namespace

class RefHostMisuse : public DocumentFixture, public ::testing::WithParamInterface<Misuse> {};

TEST_P(RefHostMisuse, IsReportedAsAViolation) {
    Start({{"goods", {K9(0, 1, "A")}}});
    expectViolations_ = true;
    GetParam().act();
    const json violations = Events("violation");
    ASSERT_FALSE(violations.empty()) << "nothing reported";
    EXPECT_EQ(violations[0]["service"], GetParam().service) << violations.dump(1);
}

INSTANTIATE_TEST_SUITE_P(Cases, RefHostMisuse, ::testing::ValuesIn(Misuses),
                         [](const auto& info) { return std::string(info.param.name); });
