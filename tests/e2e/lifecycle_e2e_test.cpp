// The real plug-in DLL, loaded by the system loader next to a reference host
// and driven through the host's order of calls by the driver's lifecycle.
//
// Each run loads a KORPUS.dll (the full one, or a variant under hosts/ that
// lacks something) and Zbieracz.dll, and unloads both at the end, so that one
// test process can go through many hosts.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "lifecycle.h"

using json = nlohmann::json;

namespace {

driver::LifecycleResult RunHost(const std::string& host, const json& scenario = json::object()) {
    driver::LifecycleOptions options;
    options.hostPath = host;
    options.pluginPath = "Zbieracz.dll";
    std::string error;
    EXPECT_TRUE(driver::ReadLifecycleScenario(scenario, &options, &error)) << error;
    return driver::RunLifecycle(options);
}

std::string Variant(const char* name) { return std::string("hosts\\") + name + "\\KORPUS.dll"; }

json EventsOf(const driver::LifecycleResult& result, const std::string& kind) {
    json out = json::array();
    for (const json& event : result.transcript)
        if (event.value("event", "") == kind) out.push_back(event);
    return out;
}

std::string Describe(const driver::LifecycleResult& result) { return driver::LifecycleReportText(result); }

std::string FullPluginPath() {
    char path[MAX_PATH] = {};
    GetFullPathNameA("Zbieracz.dll", sizeof path, path, nullptr);
    return path;
}

const json CollectiveOrderEvent = {236, 701, 3, 4, 5, 6, 7, 8, 9, 10, 11};
const json ForeignEvent = {100, 702, 3, 4, 5, 6, 7, 8, 9, 10, 11};

}  // namespace

TEST(PluginImage, ExportsOnlyTheThreeOrdinalsUnderNoNameAndImportsHostEntry30005ByOrdinal) {
    std::ifstream file("Zbieracz.dll", std::ios::binary);
    ASSERT_TRUE(file);
    const std::string image((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    auto at = [&](size_t offset, auto value) {
        std::memcpy(&value, image.data() + offset, sizeof value);
        return value;
    };
    const uint32_t pe = at(0x3C, uint32_t{});
    ASSERT_EQ(image.compare(pe, 4, std::string("PE\0\0", 4)), 0);
    const uint16_t sections = at(pe + 6, uint16_t{});
    const uint16_t optionalSize = at(pe + 20, uint16_t{});
    const size_t optional = pe + 24;
    const size_t sectionTable = optional + optionalSize;
    auto fileOffset = [&](uint32_t rva) -> size_t {
        for (uint16_t i = 0; i < sections; ++i) {
            const size_t header = sectionTable + 40 * i;
            const uint32_t virtualSize = at(header + 8, uint32_t{});
            const uint32_t virtualAddress = at(header + 12, uint32_t{});
            const uint32_t rawOffset = at(header + 20, uint32_t{});
            if (rva >= virtualAddress && rva < virtualAddress + virtualSize) return rawOffset + (rva - virtualAddress);
        }
        ADD_FAILURE() << "RVA " << rva << " is in no section";
        return 0;
    };

    const uint32_t exportRva = at(optional + 96, uint32_t{});
    ASSERT_NE(exportRva, 0u);
    const size_t exports = fileOffset(exportRva);
    const uint32_t base = at(exports + 16, uint32_t{});
    const uint32_t functions = at(exports + 20, uint32_t{});
    EXPECT_EQ(at(exports + 24, uint32_t{}), 0u) << "no export has a name";
    const size_t addresses = fileOffset(at(exports + 28, uint32_t{}));
    std::vector<uint32_t> exported;
    for (uint32_t i = 0; i < functions; ++i)
        if (at(addresses + 4 * i, uint32_t{}) != 0) exported.push_back(base + i);
    EXPECT_EQ(exported, (std::vector<uint32_t>{30001, 30008, 30009}));

    const uint32_t importRva = at(optional + 104, uint32_t{});
    ASSERT_NE(importRva, 0u);
    bool korpusImported = false;
    for (size_t descriptor = fileOffset(importRva);; descriptor += 20) {
        const uint32_t nameRva = at(descriptor + 12, uint32_t{});
        if (nameRva == 0) break;
        const std::string dll = image.c_str() + fileOffset(nameRva);
        if (_stricmp(dll.c_str(), "KORPUS.dll") != 0) continue;
        korpusImported = true;
        std::vector<uint32_t> entries;
        uint32_t lookupRva = at(descriptor + 0, uint32_t{});
        if (lookupRva == 0) lookupRva = at(descriptor + 16, uint32_t{});
        for (size_t thunk = fileOffset(lookupRva); at(thunk, uint32_t{}) != 0; thunk += 4) entries.push_back(at(thunk, uint32_t{}));
        EXPECT_EQ(entries, (std::vector<uint32_t>{0x80000000u | 30005})) << "by ordinal, and nothing else";
    }
    EXPECT_TRUE(korpusImported);
}

TEST(Lifecycle, AFittingHostLoadsHandshakesActivatesForwardsEventsUnhooksAndUnloads) {
    const auto result = RunHost("KORPUS.dll", {{"korpus", {{"tzak_handler_result", 7}}},
                                           {"events", {ForeignEvent, ForeignEvent}}});
    ASSERT_TRUE(result.pluginLoaded) << Describe(result);
    EXPECT_TRUE(result.systemMessageBoxes.empty());
    EXPECT_EQ(result.handshake, 0);
    EXPECT_EQ(result.displayName, "Scalacz");
    EXPECT_EQ(result.activationFlag, 0);
    EXPECT_EQ(result.activation, 0);
    EXPECT_EQ(result.eventResults, (std::vector<int>{7, 7}));
    const json forwarded = EventsOf(result, "tzak_handler");
    ASSERT_EQ(forwarded.size(), 2u);
    EXPECT_EQ(forwarded[0]["arguments"], ForeignEvent);
    EXPECT_TRUE(result.unloaded);
    ASSERT_FALSE(result.steps.empty());
    EXPECT_EQ(result.steps.back().step, "unload");
    EXPECT_EQ(result.violations, 0) << Describe(result);
}

TEST(Lifecycle, AHostOfAnotherInterfaceLevelGetsTheReportInsteadOfActivation) {
    const auto result = RunHost("KORPUS.dll", {{"korpus", {{"api_level", 111}}}, {"events", {ForeignEvent}}});
    ASSERT_TRUE(result.pluginLoaded) << Describe(result);
    EXPECT_EQ(result.handshake, -1);
    EXPECT_TRUE(result.activationCalled);
    EXPECT_NE(result.activationFlag, 0);
    EXPECT_EQ(result.activation, 0);
    EXPECT_TRUE(result.eventResults.empty()) << "no activation, no events";
    EXPECT_TRUE(result.unloaded);
    EXPECT_EQ(result.violations, 0) << Describe(result);
}

TEST(Lifecycle, AHostWithoutEntry30005CannotLoadThePlugin) {
    const auto result = RunHost(Variant("without_translator"));
    ASSERT_TRUE(result.hostLoaded) << Describe(result);
    EXPECT_FALSE(result.pluginLoaded);
    EXPECT_NE(result.loadError.find("Zbieracz.dll: "), std::string::npos) << result.loadError;
    EXPECT_NE(result.loadError.find("(error "), std::string::npos) << result.loadError;
    EXPECT_TRUE(result.systemMessageBoxes.empty());
    EXPECT_FALSE(result.handshakeCalled);
}

TEST(Lifecycle, AMissingServiceAnsweredRetryRetryIgnoreGetsItsFallbackAndTheLoadGoesOn) {
    const auto result = RunHost(Variant("without_get_table"), {{"message_box_answers", {"retry", "retry", "ignore"}}});
    ASSERT_EQ(result.systemMessageBoxes.size(), 3u) << Describe(result);
    const std::string expected = "W module  " + FullPluginPath() +
                                 " \nbrak wpisu  52256 \nWywołano z wtyczki  Scalacz .\n\n"
                                 "Błąd ten można zignorować lecz dalsza praca\n"
                                 "programu w tych warunkach może być niebezpieczna.\n\n"
                                 "Konieczna jest aktualizacja programu!";
    for (const json& box : result.systemMessageBoxes) {
        EXPECT_EQ(box["title"], "POWAŻNY BŁĄD WTYCZKI");
        EXPECT_EQ(box["text"], expected);
    }
    // The plug-in runs on the fallback: no table comes back, so activation is refused.
    ASSERT_TRUE(result.pluginLoaded) << Describe(result);
    EXPECT_TRUE(result.handshakeCalled);
    EXPECT_TRUE(result.unloaded);
    EXPECT_EQ(result.violations, 0) << Describe(result);
}

TEST(Lifecycle, MissingServicesBehaveAsTheirOrdinalsSay) {
    struct Case {
        const char* host;
        json answers;
        bool loads;
        size_t boxes;
        const char* firstEntry;  // the ordinal the first box names
    } cases[] = {
        {"without_profile", {"ignore"}, true, 1, "41399"},                     // ends in 99: no-argument fallback
        {"without_message_box", {"ignore"}, true, 1, "52028"},                 // 28: fallback 7
        {"without_user_break", {"ignore"}, false, 1, "52460"},                 // ends in 60: none
        {"without_plugin_message", {"ignore"}, false, 1, "52030"},             // ends in 30: none
        {"without_get_table", {"abort"}, false, 1, "52256"},                   // Abort fails the load
        {"without_get_table_and_user_break", {"abort"}, false, 1, "52256"},    // later misses never reported
        {"without_get_table_and_user_break", {"ignore"}, false, 1, "52256"},   // ... and bound silently
        {"without_convert_text", {"ignore"}, false, 1, "52158"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.host) + " answered " + c.answers.dump());
        const auto result = RunHost(Variant(c.host), {{"message_box_answers", c.answers}});
        EXPECT_EQ(result.pluginLoaded, c.loads) << Describe(result);
        ASSERT_EQ(result.systemMessageBoxes.size(), c.boxes) << Describe(result);
        EXPECT_NE(result.systemMessageBoxes[0]["text"].get<std::string>().find(std::string("brak wpisu  ") + c.firstEntry),
                  std::string::npos);
        if (c.loads) {
            EXPECT_EQ(result.handshake, 0) << Describe(result);
            EXPECT_TRUE(result.unloaded);
        } else {
            EXPECT_FALSE(result.handshakeCalled);
        }
        EXPECT_EQ(result.violations, 0) << Describe(result);
    }
}

TEST(Lifecycle, TheDialogConvertsItsTextsThroughTheHostOnlyWhenTheHostCanConvert) {
    // HostMessageBox misses before HostConvertText's own turn: the dialog binds
    // the conversion on the spot and shows the texts converted.
    const auto converted = RunHost(Variant("without_message_box"), {{"message_box_answers", {"abort"}}});
    ASSERT_EQ(converted.systemMessageBoxes.size(), 1u) << Describe(converted);
    EXPECT_EQ(converted.systemMessageBoxes[0]["title"], "POWAŻNY BŁĄD WTYCZKI");

    // Without the conversion its own miss is reported first, from inside the
    // first dialog; both show the host's bytes as they are.
    const auto unconverted = RunHost(Variant("without_message_box_and_convert"), {{"message_box_answers", {"ignore", "ignore"}}});
    ASSERT_EQ(unconverted.systemMessageBoxes.size(), 2u) << Describe(unconverted);
    EXPECT_NE(unconverted.systemMessageBoxes[0]["text"].get<std::string>().find("52158"), std::string::npos);
    EXPECT_NE(unconverted.systemMessageBoxes[1]["text"].get<std::string>().find("52028"), std::string::npos);
    EXPECT_NE(unconverted.systemMessageBoxes[1]["title"], "POWAŻNY BŁĄD WTYCZKI");
    EXPECT_FALSE(unconverted.pluginLoaded) << "HostConvertText has no fallback";
}

TEST(LifecycleCommand, RunsAScenarioFileAndWritesTheResultAsJson) {
    char directory[MAX_PATH] = {};
    GetTempPathA(sizeof directory, directory);
    const std::string scenarioPath = std::string(directory) + "zbieracz-lifecycle-scenario.json";
    const std::string resultPath = std::string(directory) + "zbieracz-lifecycle-result.json";
    std::remove(resultPath.c_str());
    std::ofstream(scenarioPath) << json{{"korpus", {{"api_level", 112}}}, {"events", {ForeignEvent}}}.dump();

    std::string command = "zbieracz-host.exe lifecycle --scenario \"" + scenarioPath + "\" --json \"" + resultPath + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    ASSERT_EQ(WaitForSingleObject(process.hProcess, 120000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(exitCode, 0u);

    std::ifstream out(resultPath);
    ASSERT_TRUE(out) << "no result written";
    const json result = json::parse(out, nullptr, false);
    ASSERT_TRUE(result.is_object());
    EXPECT_EQ(result["plugin_loaded"], true);
    EXPECT_EQ(result["display_name"], "Scalacz");
    EXPECT_EQ(result["event_results"], json({0}));
    EXPECT_EQ(result["violations"], 0);
}
