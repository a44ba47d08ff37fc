#include "shell/tzak_hook.h"

#include "host/host_records.h"
#include "support/host_fixture.h"

namespace {

// The order in which the import object's pieces are built and torn down, as
// the reference host saw it, together with the events that reach its handler.
std::vector<std::string> Lifecycle(const json& transcript) {
    static const std::set<std::string> kinds = {"dialog_constructed", "list_initialised", "list_done",
                                                "dialog_destroyed",   "tzak_handler",     "exception_raised",
                                                "exception_reached_host"};
    std::vector<std::string> out;
    for (const json& event : transcript)
        if (kinds.count(event["event"])) out.push_back(event["event"]);
    return out;
}

HostTableDescriptor* TzakDescriptor() { return static_cast<HostTableDescriptor*>(KorpusTable(HostTable::Tzak)); }

}  // namespace

class TzakHook : public HostFixture {};

struct DispatchCase {
    const char* name;
    uint32_t eventCode;
    uint32_t documentType;
    bool imports;
};

class TzakHookDispatch : public TzakHook, public ::testing::WithParamInterface<DispatchCase> {};

TEST_P(TzakHookDispatch, ImportsOnlyTheCollectiveOrderAndAlwaysForwardsTheEventOnce) {
    const DispatchCase& c = GetParam();
    Scenario({{"tzak_handler_result", 77}});
    ASSERT_EQ(InstallTzakHook(), 0);
    EXPECT_EQ(Fire(c.eventCode, c.documentType), 77);

    const json calls = Events("tzak_handler");
    ASSERT_EQ(calls.size(), 1u);
    json expected = {c.eventCode, c.documentType};
    for (uint32_t value : Rest) expected.push_back(value);
    if (c.imports) {
        // A declined prompt forwards the event with the plain document type.
        expected[1] = OrderDocumentType;
    }
    EXPECT_EQ(calls[0]["arguments"], expected);
    EXPECT_EQ(Events("dialog_constructed").size(), c.imports ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Events, TzakHookDispatch,
    ::testing::Values(DispatchCase{"ForeignEventOnOrder", 100, 701, false},
                      DispatchCase{"CollectiveOrderOnLines", 236, 702, false},
                      DispatchCase{"NeighbourEvent", 235, 701, false},
                      DispatchCase{"CollectiveOrder", 236, 701, true},
                      DispatchCase{"CollectiveOrderWithHighBitsInType", 236, 0xABCD0000u | 701, true},
                      DispatchCase{"TypeWhoseLowBitsDiffer", 236, 0x02BD0001u, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TzakHook, InstallAndRemoveFollowTheirStates) {
    HostTableDescriptor* tzak = TzakDescriptor();
    const TableEventHandler host = tzak->eventHandler;

    EXPECT_EQ(RemoveTzakHook(), 0) << "removing when not installed";
    EXPECT_EQ(tzak->eventHandler, host);
    EXPECT_EQ(HookedTzakTable, nullptr);

    EXPECT_EQ(InstallTzakHook(), 0);
    EXPECT_EQ(tzak->eventHandler, &TzakEventHook);
    EXPECT_EQ(HookedTzakTable, tzak);
    EXPECT_EQ(SavedTzakHandler, host);

    EXPECT_EQ(InstallTzakHook(), 0) << "a second installation changes nothing";
    EXPECT_EQ(SavedTzakHandler, host) << "the saved handler must stay the host's, not the hook";

    EXPECT_EQ(RemoveTzakHook(), 0);
    EXPECT_EQ(tzak->eventHandler, host);
    EXPECT_EQ(HookedTzakTable, nullptr);
    EXPECT_EQ(SavedTzakHandler, host) << "kept after removal";

    EXPECT_EQ(InstallTzakHook(), 0) << "installs again after removal";
    EXPECT_EQ(tzak->eventHandler, &TzakEventHook);
}

struct RefusalCase {
    const char* name;
    json table52;
    int32_t hostSize;
};

class TzakHookRefusal : public TzakHook, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(TzakHookRefusal, AddsOneTzakNodeAndLeavesTheSlotAlone) {
    const RefusalCase& c = GetParam();
    Scenario({{"tables", {{"52", c.table52}}}});
    HostTableDescriptor* tzak = TzakDescriptor();
    const TableEventHandler host = tzak != nullptr ? tzak->eventHandler : nullptr;
    EXPECT_EQ(InstallTzakHook(), -1);
    EXPECT_EQ(HookedTzakTable, nullptr);
    if (tzak != nullptr) {
        EXPECT_EQ(tzak->eventHandler, host);
    }
    EXPECT_EQ(TzakHookSizeCheck.ExpectedSize, 901u);
    EXPECT_EQ(TzakHookSizeCheck.HostSize, c.hostSize);
    EXPECT_STREQ(TzakHookSizeCheck.TableName, "Tzak");

    // Refused again (and in earlier cases): the node stands in the list exactly once.
    EXPECT_EQ(InstallTzakHook(), -1);
    int occurrences = 0;
    for (SizeCheck* node = SizeCheckList; node != nullptr; node = node->NextCheck)
        occurrences += node == &TzakHookSizeCheck;
    EXPECT_EQ(occurrences, 1);
}

TEST_F(TzakHook, ARepeatedRefusalKeepsTheNodesFoundAfterTheFirst) {
    Scenario({{"tables", {{"52", {{"record_size", 900}}}}}});
    ASSERT_EQ(InstallTzakHook(), -1);
    static SizeCheck later{966, 0, "k4", nullptr};
    AddSizeMismatch(&later);
    ASSERT_EQ(InstallTzakHook(), -1);
    bool laterListed = false;
    for (SizeCheck* node = SizeCheckList; node != nullptr; node = node->NextCheck) laterListed |= node == &later;
    EXPECT_TRUE(laterListed);
}

INSTANTIATE_TEST_SUITE_P(Tables, TzakHookRefusal,
                         ::testing::Values(RefusalCase{"RecordOf900", {{"record_size", 900}}, 900},
                                           RefusalCase{"NegativeSize", {{"record_size", -1}}, -1},
                                           RefusalCase{"Missing", nullptr, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TzakHook, ADeclinedPromptForwardsTheEventBeforeTheImportObjectIsTornDown) {
    ASSERT_EQ(InstallTzakHook(), 0);
    Fire(CollectiveOrderEvent, OrderDocumentType);
    const std::vector<std::string> expected = {"dialog_constructed", "list_initialised", "tzak_handler",
                                               "list_done", "dialog_destroyed"};
    EXPECT_EQ(Lifecycle(Transcript()), expected);
    EXPECT_EQ(KorpusLiveBlocks(), 0);
}

TEST_F(TzakHook, AnEmptySavedHandlerIsNeverCalled) {
    TzakDescriptor()->eventHandler = nullptr;
    ASSERT_EQ(InstallTzakHook(), 0);
    bool raised = true;
    EXPECT_EQ(Fire(100, 701, &raised), 0);
    EXPECT_FALSE(raised);
    EXPECT_EQ(Fire(CollectiveOrderEvent, OrderDocumentType, &raised), 0);
    EXPECT_FALSE(raised);
    EXPECT_TRUE(Events("tzak_handler").empty());
}

struct ExceptionCase {
    const char* name;
    const char* service;  // where the reference host raises
    std::vector<std::string> lifecycle;
};

class TzakHookException : public TzakHook, public ::testing::WithParamInterface<ExceptionCase> {};

TEST_P(TzakHookException, DestroysTheObjectAsFarAsItWasBuiltAndPassesOnToTheHost) {
    const ExceptionCase& c = GetParam();
    Scenario({{"raise", {{{"service", c.service}, {"call", 1}}}}});
    ASSERT_EQ(InstallTzakHook(), 0);
    bool raised = false;
    Fire(CollectiveOrderEvent, OrderDocumentType, &raised);
    EXPECT_TRUE(raised);
    EXPECT_EQ(Lifecycle(Transcript()), c.lifecycle);
    EXPECT_EQ(KorpusLiveBlocks(), 0);

    // The hook is intact afterwards: the next event goes through normally.
    Fire(100, 701, &raised);
    EXPECT_FALSE(raised);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, TzakHookException,
    ::testing::Values(
        ExceptionCase{"InTheBaseConstructor", "WDialogBaseConstruct",
                      {"exception_raised", "exception_reached_host"}},
        ExceptionCase{"InTheListConstructor", "HostListInit",
                      {"dialog_constructed", "exception_raised", "dialog_destroyed", "exception_reached_host"}},
        ExceptionCase{"InTheHostsHandlerAfterADeclinedPrompt", "TzakHandler",
                      {"dialog_constructed", "list_initialised", "exception_raised", "list_done",
                       "dialog_destroyed", "exception_reached_host"}}),
    [](const auto& info) { return std::string(info.param.name); });
