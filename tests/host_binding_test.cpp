#include "shell/host_binding.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "common/mazovia_text.h"
#include "shell/plugin_attach.h"
#include "support/call_probe.h"
#include "support/host_fixture.h"
#include "system_message_box.h"

namespace {

int IndexOf(HostService service) { return static_cast<int>(service); }
void** SlotOf(HostService service) { return &HostServiceTable[IndexOf(service)]; }
uint16_t OrdinalOf(HostService service) { return HostServiceList[IndexOf(service)].ordinal; }

constexpr UINT MissingServiceBoxFlags = MB_ABORTRETRYIGNORE | MB_ICONERROR | MB_TASKMODAL;

std::string OwnModulePath() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

std::string ExpectedDialogText(const std::string& module, const std::string& entry) {
    return "W module  " + module + " \nbrak wpisu  " + entry +
           " \nWywołano z wtyczki  Scalacz .\n\nBłąd ten można zignorować lecz dalsza praca\n"
           "programu w tych warunkach może być niebezpieczna.\n\nKonieczna jest aktualizacja programu!";
}

}  // namespace

// Binding against the reference host, with the system message box answered
// by the test. A "host" that lacks every service is the test program itself,
// which exports nothing.
class HostBinding : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        std::string error;
        ASSERT_TRUE(driver::InterceptSystemMessageBox(&error)) << error;
        driver::AnswerSystemMessageBoxes({});
        korpus_ = GetModuleHandleA("KORPUS.dll");
        lackingEverything_ = GetModuleHandleA(nullptr);
        ASSERT_EQ(GetProcAddress(lackingEverything_, MAKEINTRESOURCEA(52028)), nullptr);
        savedHostModule_ = HostModule;
        IgnoreMissingServices = false;
    }
    void TearDown() override {
        HostModule = savedHostModule_;
        IgnoreMissingServices = false;
        BindHostServicesFrom(korpus_);
        HostFixture::TearDown();
    }
    const std::vector<driver::SystemMessageBox>& Boxes() { return driver::SystemMessageBoxesShown(); }
    void* HostEntry(HostService service) {
        return reinterpret_cast<void*>(GetProcAddress(korpus_, MAKEINTRESOURCEA(OrdinalOf(service))));
    }

    HMODULE korpus_ = nullptr;
    HMODULE lackingEverything_ = nullptr;
    HMODULE savedHostModule_ = nullptr;
};

TEST(FallbackChoice, FollowsTheLastTwoDigitsOfTheOrdinal) {
    struct Case {
        uint16_t ordinal;
        int stub;  // -1: none
    } cases[] = {
        {41399, 0},  {20900, 0},  {35804, 1},  {40512, 3},  {52028, 7}, {52256, 14},
        {52029, -1}, {52460, -1}, {52030, -1}, {52158, -1}, {38417, -1}, {21284, -1},
    };
    for (const Case& c : cases) {
        void* slot = reinterpret_cast<void*>(0x1234);
        ChooseFallback(c.ordinal, &slot);
        EXPECT_EQ(slot, c.stub < 0 ? nullptr : FallbackStubTable[c.stub]) << "ordinal " << c.ordinal;
    }
}

TEST(FallbackChoice, StubEntryKRemovesKArgumentsAndReturnsZero) {
    for (int k = 0; k < FallbackStubCount; ++k) {
        ProbeOutcome outcome{};
        ProbeCall(FallbackStubTable[k], 4 * k, nullptr, &outcome);
        EXPECT_EQ(outcome.bytesLeft, 0) << "entry " << k;
        EXPECT_EQ(outcome.eax, 0u) << "entry " << k;
        EXPECT_EQ(outcome.ebx, ProbeEbx);
        EXPECT_EQ(outcome.esi, ProbeEsi);
        EXPECT_EQ(outcome.edi, ProbeEdi);
        EXPECT_EQ(outcome.ebp, ProbeEbp);
    }
}

// A fallback stands in for a service whose callers keep calling it with the
// service's real arguments and convention; the caller must come out intact.
TEST_F(HostBinding, AFallbackLeavesItsCallerIntactWhateverTheServicesRealArguments) {
    struct Case {
        HostService service;
        int pushed;    // argument bytes the service's callers push
        int left;      // what must still be on the stack afterwards
    } cases[] = {
        {HostService::HostGetTable, 4, 0},       // ordinal says 56 bytes
        {HostService::HostMessageBox, 12, 0},    // ordinal says 28
        {HostService::HostMessageV, 20, 0},      // ordinal says 4
        {HostService::HostWriteFile, 16, 0},     // ordinal says 8
        {HostService::HostSeekGoods, 8, 0},      // ordinal says 12
        {HostService::HostLinesSave, 20, 0},     // ordinal says 8
        {HostService::HostFindFirst, 12, 0},     // as the ordinal says
        {HostService::HostFatalError, 4, 0},     // as the ordinal says
        {HostService::HostProfileV, 24, 24},     // caller cleanup
        {HostService::WDialogBaseSlot24, 0, 0},  // thiscall: the object in ECX
    };
    int object = 0;
    for (const Case& c : cases) {
        ChooseFallback(OrdinalOf(c.service), SlotOf(c.service));
        ASSERT_NE(*SlotOf(c.service), nullptr) << HostServiceList[IndexOf(c.service)].name;
        ProbeOutcome outcome{};
        ProbeCall(*SlotOf(c.service), c.pushed, &object, &outcome);
        const char* name = HostServiceList[IndexOf(c.service)].name;
        EXPECT_EQ(outcome.bytesLeft, c.left) << name;
        EXPECT_EQ(outcome.eax, 0u) << name;
        EXPECT_EQ(outcome.ebx, ProbeEbx) << name;
        EXPECT_EQ(outcome.esi, ProbeEsi) << name;
        EXPECT_EQ(outcome.edi, ProbeEdi) << name;
        EXPECT_EQ(outcome.ebp, ProbeEbp) << name;
    }
    // Where the stub table's entry already fits, it is the one used.
    EXPECT_EQ(*SlotOf(HostService::HostFindFirst), FallbackStubTable[3]);
    EXPECT_EQ(*SlotOf(HostService::HostProfileV), FallbackStubTable[0]);
}

TEST(FallbackStandIns, RemoveWhatTheirServiceRemovesAndReturnZero) {
    struct Case {
        HostService service;
        int calleeBytes;
    } known[] = {
        {HostService::HostDocumentClose, 48}, {HostService::HostDocumentHeader, 44},
        {HostService::HostMessageBoxF, 0},    {HostService::HostAlloc, 0},
        {HostService::WDialogBaseConstruct, 0}, {HostService::HostUserBreak, 0},
        {HostService::HostTextToDouble, 4},   {HostService::HostCopyText, 12},
    };
    for (const Case& c : known)
        EXPECT_EQ(HostServiceCalleeArgumentBytes[IndexOf(c.service)], c.calleeBytes)
            << HostServiceList[IndexOf(c.service)].name;

    constexpr int Pushed = 64;
    int object = 0;
    for (int i = 0; i < HostServiceCount; ++i) {
        ProbeOutcome outcome{};
        ProbeCall(HostServiceFallbacks[i], Pushed, &object, &outcome);
        EXPECT_EQ(outcome.bytesLeft, Pushed - HostServiceCalleeArgumentBytes[i]) << HostServiceList[i].name;
        if (!HostServiceReturnsDouble[i]) {
            EXPECT_EQ(outcome.eax, 0u) << HostServiceList[i].name;
        }
        EXPECT_EQ(outcome.ebx, ProbeEbx) << HostServiceList[i].name;
        EXPECT_EQ(outcome.ebp, ProbeEbp) << HostServiceList[i].name;
    }
}

TEST(FallbackStandIns, ADoubleResultComesBackAsZeroOnTheFpuEveryTime) {
    const int index = IndexOf(HostService::HostTextToDouble);
    ASSERT_TRUE(HostServiceReturnsDouble[index]);
    auto standIn = reinterpret_cast<double(__attribute__((stdcall)) *)(const char*)>(HostServiceFallbacks[index]);
    // The FPU stack has eight registers: a stand-in that pushed nothing, or
    // too much, would show within a few calls.
    for (int i = 0; i < 20; ++i) EXPECT_EQ(standIn("12,5"), 0.0) << "call " << i;
}

TEST_F(HostBinding, WithEveryServicePresentTheTestEntriesFillEverySlotWithoutADialog) {
    HostModule = korpus_;
    for (int i = 0; i < HostServiceCount; ++i) HostServiceTable[i] = HostServiceLazyEntries[i];
    for (int i = 0; i < HostServiceCount; ++i) {
        EXPECT_EQ(HostServiceTestEntries[i](), 0) << HostServiceList[i].name;
        EXPECT_EQ(HostServiceTable[i],
                  reinterpret_cast<void*>(GetProcAddress(korpus_, MAKEINTRESOURCEA(HostServiceList[i].ordinal))))
            << HostServiceList[i].name;
    }
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(HostBinding, ALazyEntryBindsAndCarriesTheCallOnWithArgumentsAndRegistersIntact) {
    HostModule = korpus_;
    *SlotOf(HostService::HostCopyText) = HostServiceLazyEntries[IndexOf(HostService::HostCopyText)];
    char copy[8] = {};
    EXPECT_EQ(HostCopyText(copy, "abc", 5), copy);
    EXPECT_STREQ(copy, "abc");
    EXPECT_EQ(*SlotOf(HostService::HostCopyText), HostEntry(HostService::HostCopyText));

    // thiscall: the object in ECX must reach the host through the binding.
    *SlotOf(HostService::HostListInit) = HostServiceLazyEntries[IndexOf(HostService::HostListInit)];
    alignas(4) unsigned char list[20] = {};
    HostListInit(list);
    EXPECT_EQ(Events("list_initialised").size(), 1u);
    HostListDone(list);

    *SlotOf(HostService::HostApiLevel) = HostServiceLazyEntries[IndexOf(HostService::HostApiLevel)];
    ProbeOutcome outcome{};
    ProbeCall(reinterpret_cast<void*>(&HostApiLevel), 0, nullptr, &outcome);
    EXPECT_EQ(outcome.eax, 112u);
    EXPECT_EQ(outcome.bytesLeft, 0);
    EXPECT_EQ(outcome.ebx, ProbeEbx);
    EXPECT_EQ(outcome.esi, ProbeEsi);
    EXPECT_EQ(outcome.edi, ProbeEdi);
    EXPECT_EQ(outcome.ebp, ProbeEbp);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(HostBinding, AMissingServiceAnsweredRetryRetryIgnoreShowsThreeBoxesThenGetsItsFallback) {
    HostModule = lackingEverything_;
    driver::AnswerSystemMessageBoxes({IDRETRY, IDRETRY, IDIGNORE});
    BindHostService(OrdinalOf(HostService::HostGetTable), SlotOf(HostService::HostGetTable));
    ASSERT_EQ(Boxes().size(), 3u);
    for (const driver::SystemMessageBox& box : Boxes()) {
        EXPECT_EQ(box.text, Boxes()[0].text);
        EXPECT_NE(box.text.find("52256"), std::string::npos);
        EXPECT_EQ(box.flags, MissingServiceBoxFlags);
    }
    EXPECT_TRUE(IgnoreMissingServices);
    EXPECT_EQ(*SlotOf(HostService::HostGetTable), HostServiceFallbacks[IndexOf(HostService::HostGetTable)]);
    EXPECT_EQ(HostGetTable(52), nullptr);

    // From now on misses are bound silently: with a fallback where the ordinal
    // has one, empty where it has none.
    BindHostService(OrdinalOf(HostService::HostFindNext), SlotOf(HostService::HostFindNext));
    EXPECT_EQ(*SlotOf(HostService::HostFindNext), FallbackStubTable[1]);
    BindHostService(OrdinalOf(HostService::HostUserBreak), SlotOf(HostService::HostUserBreak));
    EXPECT_EQ(*SlotOf(HostService::HostUserBreak), nullptr);
    EXPECT_EQ(HostServiceTestEntries[IndexOf(HostService::HostUserBreak)](), -1);
    EXPECT_EQ(Boxes().size(), 3u);
}

TEST_F(HostBinding, AbortLeavesTheSlotEmptyAndTheTestEntryRefuses) {
    HostModule = lackingEverything_;
    driver::AnswerSystemMessageBoxes({IDABORT});
    EXPECT_EQ(HostServiceTestEntries[IndexOf(HostService::HostFindFirst)](), -1);
    EXPECT_EQ(*SlotOf(HostService::HostFindFirst), nullptr);
    EXPECT_EQ(Boxes().size(), 1u);
    EXPECT_FALSE(IgnoreMissingServices);
}

TEST_F(HostBinding, TheDialogNamesTheModuleTheOrdinalAndThePluginWithBlanksForTheMarks) {
    // HostConvertText not bound yet: the dialog binds it on the spot.
    HostModule = korpus_;
    *SlotOf(HostService::HostConvertText) = HostServiceLazyEntries[IndexOf(HostService::HostConvertText)];
    driver::AnswerSystemMessageBoxes({IDABORT});
    EXPECT_EQ(ReportMissingService(52029), 0);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].title, "POWAŻNY BŁĄD WTYCZKI");
    EXPECT_EQ(Boxes()[0].text, ExpectedDialogText(OwnModulePath(), "52029"));
    EXPECT_EQ(Boxes()[0].flags, MissingServiceBoxFlags);
    EXPECT_EQ(*SlotOf(HostService::HostConvertText), HostEntry(HostService::HostConvertText));
}

TEST_F(HostBinding, WithoutTheConversionServiceTheDialogShowsTheUnconvertedTexts) {
    HostModule = lackingEverything_;
    *SlotOf(HostService::HostConvertText) = HostServiceLazyEntries[IndexOf(HostService::HostConvertText)];
    // The miss of HostConvertText is reported first, from inside the dialog
    // that wanted to convert; then the dialog of the first miss.
    driver::AnswerSystemMessageBoxes({IDIGNORE, IDABORT});
    EXPECT_EQ(ReportMissingService(OrdinalOf(HostService::HostMessageBox)), 0);
    ASSERT_EQ(Boxes().size(), 2u);
    EXPECT_NE(Boxes()[0].text.find("52158"), std::string::npos);
    EXPECT_NE(Boxes()[1].text.find("52028"), std::string::npos);
    const std::string unconvertedTitle = driver::Utf8FromWindows1250("POWAŻNY BŁĄD WTYCZKI"_mz);
    EXPECT_EQ(Boxes()[1].title, unconvertedTitle);
    EXPECT_NE(Boxes()[1].title, "POWAŻNY BŁĄD WTYCZKI");
    EXPECT_EQ(*SlotOf(HostService::HostConvertText), nullptr);
}
