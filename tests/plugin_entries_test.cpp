#include "shell/plugin_entries.h"

#include <windows.h>

#include <cstring>

#include <delayimp.h>

#include "common/size_check.h"
#include "host/host_entries.h"
#include "shell/plugin_attach.h"
#include "shell/tzak_hook.h"
#include "support/host_fixture.h"

namespace {

using SetSeTranslator = SeTranslator(__cdecl*)(SeTranslator);

SetSeTranslator RuntimeTranslatorSetter() {
    HMODULE runtime = GetModuleHandleA("msvcrt.dll");
    return runtime == nullptr ? nullptr
                              : reinterpret_cast<SetSeTranslator>(
                                    reinterpret_cast<void*>(GetProcAddress(runtime, SetSeTranslatorName)));
}

void __cdecl SentinelTranslator(unsigned int, EXCEPTION_POINTERS*) {}

constexpr char RecordFill = '\x5A';

}  // namespace

// The three exported entries, called as the host calls them.
class PluginEntries : public HostFixture {
protected:
    // The size-check list lives for the process; each test starts it empty.
    void SetUp() override {
        HostFixture::SetUp();
        SizeCheckList = nullptr;
        setTranslator_ = RuntimeTranslatorSetter();
        if (setTranslator_ != nullptr) setTranslator_(&SentinelTranslator);
        std::memset(record_, RecordFill, sizeof record_);
    }
    void TearDown() override {
        if (setTranslator_ != nullptr) setTranslator_(nullptr);
        SizeCheckList = nullptr;
        HostFixture::TearDown();
    }
    // The calling thread's translator now, without changing it.
    SeTranslator CurrentTranslator() {
        SeTranslator current = setTranslator_(nullptr);
        setTranslator_(current);
        return current;
    }
    SeTranslator HostTranslator() {
        return reinterpret_cast<SeTranslator>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleA("KORPUS.dll"), MAKEINTRESOURCEA(HostExceptionTranslatorOrdinal))));
    }

    SetSeTranslator setTranslator_ = nullptr;
    char record_[64];
    int host_ = 0;
};

TEST_F(PluginEntries, HandshakeWritesTheNameInstallsTheHostsTranslatorAndReturnsTheCheck) {
    struct Case {
        int apiLevel;
        int expected;
    } cases[] = {{112, 0}, {111, -1}};
    for (const Case& c : cases) {
        Scenario({{"api_level", c.apiLevel}});
        SizeCheckList = nullptr;
        std::memset(record_, RecordFill, sizeof record_);
        if (setTranslator_ != nullptr) setTranslator_(&SentinelTranslator);
        EXPECT_EQ(PluginHandshake(&host_, record_), c.expected) << "level " << c.apiLevel;
        EXPECT_STREQ(record_, "Scalacz");
        EXPECT_EQ(record_[8], RecordFill) << "nothing beyond the name is written";
        if (setTranslator_ != nullptr) {
            EXPECT_EQ(CurrentTranslator(), HostTranslator());
        }
    }
    if (setTranslator_ == nullptr) GTEST_SKIP() << "this runtime has no _set_se_translator";
}

TEST_F(PluginEntries, HandshakeWithoutARecordStillInstallsTheTranslatorAndChecks) {
    Scenario({{"api_level", 111}});
    EXPECT_EQ(PluginHandshake(&host_, nullptr), -1);
    if (setTranslator_ == nullptr) GTEST_SKIP() << "this runtime has no _set_se_translator";
    EXPECT_EQ(CurrentTranslator(), HostTranslator());
}

TEST_F(PluginEntries, HandshakeWithANullHostOnlyRemovesTheHook) {
    auto* tzak = static_cast<HostTableDescriptor*>(KorpusTable(HostTable::Tzak));
    const TableEventHandler hostHandler = tzak->eventHandler;
    ASSERT_EQ(PluginActivate(0), 0);
    ASSERT_EQ(tzak->eventHandler, &TzakEventHook);

    EXPECT_EQ(PluginHandshake(nullptr, record_), 0);
    EXPECT_EQ(tzak->eventHandler, hostHandler);
    EXPECT_EQ(HookedTzakTable, nullptr);
    EXPECT_EQ(record_[0], RecordFill);
    if (setTranslator_ != nullptr) {
        EXPECT_EQ(CurrentTranslator(), &SentinelTranslator);
    }
    // Before any activation too.
    EXPECT_EQ(PluginHandshake(nullptr, record_), 0);
}

TEST_F(PluginEntries, ActivationWithAFlagShowsTheReportAndInstallsNothing) {
    EXPECT_EQ(PluginActivate(2), 0);
    EXPECT_EQ(HookedTzakTable, nullptr);
}

TEST_F(PluginEntries, ActivationTwiceInstallsTheHookOnceAndSucceedsBothTimes) {
    auto* tzak = static_cast<HostTableDescriptor*>(KorpusTable(HostTable::Tzak));
    const TableEventHandler hostHandler = tzak->eventHandler;
    EXPECT_EQ(PluginIdle(), 0);
    EXPECT_EQ(PluginActivate(0), 0);
    EXPECT_EQ(PluginActivate(0), 0);
    EXPECT_EQ(tzak->eventHandler, &TzakEventHook);
    EXPECT_EQ(SavedTzakHandler, hostHandler);
    EXPECT_EQ(PluginIdle(), 0);
}

TEST_F(PluginEntries, ARefusedHookIsReportedThroughTheHostAndFailsTheActivation) {
    Scenario({{"tables", {{"52", {{"record_size", 900}}}}}});
    auto* tzak = static_cast<HostTableDescriptor*>(KorpusTable(HostTable::Tzak));
    const TableEventHandler hostHandler = tzak->eventHandler;
    EXPECT_EQ(PluginActivate(0), -1);
    EXPECT_EQ(tzak->eventHandler, hostHandler);
    EXPECT_EQ(HookedTzakTable, nullptr);
    const json messages = Events("message");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0]["service"], "HostPluginMessage");
    EXPECT_EQ(messages[0]["text"], "Program wymaga nowszej wtyczki!");
}

TEST(PluginAttach, OtherNotificationsThanProcessAttachDoNothing) {
    const HMODULE self = GetModuleHandleA(nullptr);
    for (DWORD reason : {DWORD{DLL_THREAD_ATTACH}, DWORD{DLL_THREAD_DETACH}, DWORD{DLL_PROCESS_DETACH}}) {
        EXPECT_EQ(OnProcessAttach(self, reason, nullptr), TRUE) << "reason " << reason;
        EXPECT_EQ(PluginModule, nullptr);
        EXPECT_EQ(PluginModulePath[0], 0);
        EXPECT_EQ(HostModule, nullptr);
    }
}

TEST(PluginAttach, FindsTheLoadedHostOnceAndTakesItsDelayLoadHook) {
    const HMODULE korpus = GetModuleHandleA("KORPUS.dll");
    const HMODULE savedHost = HostModule;
    const PfnDliHook savedHook = __pfnDliNotifyHook2;
    // Until attach the hook asks for the default handling of every step.
    ASSERT_NE(savedHook, nullptr);
    EXPECT_EQ(savedHook(dliStartProcessing, nullptr), nullptr);

    HostModule = nullptr;
    FindHostModule();
    EXPECT_EQ(HostModule, korpus);
    EXPECT_EQ(reinterpret_cast<void*>(__pfnDliNotifyHook2),
              reinterpret_cast<void*>(GetProcAddress(korpus, MAKEINTRESOURCEA(HostDelayLoadHookOrdinal))));

    __pfnDliNotifyHook2 = savedHook;
    FindHostModule();  // the host is known already: nothing changes
    EXPECT_EQ(__pfnDliNotifyHook2, savedHook);

    HostModule = savedHost;
}
