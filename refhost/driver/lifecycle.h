// The host's order of calls, driven against the real plug-in DLL.
//
// Loads KORPUS.dll, then the plug-in, with LoadLibrary; looks the entries up
// by ordinal; runs the handshake, the activation or the report, the table
// events of the scenario, the unhook and FreeLibrary. Every step is reported.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace driver {

struct TableEvent {
    uint32_t arguments[11];
};

struct LifecycleOptions {
    std::string hostPath = "KORPUS.dll";       // the reference host to load first
    std::string pluginPath = "Zbieracz.dll";
    nlohmann::json scenario = nlohmann::json::object();  // handed to KorpusReset
    std::vector<TableEvent> events;            // fired after a successful activation
    // Called before every table event and after each step, for progress or
    // interactive answers; may be empty.
    std::vector<nlohmann::json> messageBoxAnswers;  // answers of the system message box (IDABORT...)
};

struct StepReport {
    std::string step;      // "load host", "load plug-in", "30001", "30008", "event", "unhook", "unload"
    std::string detail;    // what happened, for people
    int result = 0;
};

struct LifecycleResult {
    bool hostLoaded = false;
    bool pluginLoaded = false;
    std::string loadError;          // why a load failed, for people
    bool handshakeCalled = false;
    int handshake = 0;              // result of 30001
    bool activationCalled = false;
    int activationFlag = 0;
    int activation = 0;             // result of 30008
    std::string displayName;        // what 30001 wrote into the host's record (UTF-8)
    std::vector<int> eventResults;  // results of the table events
    std::vector<StepReport> steps;
    nlohmann::json systemMessageBoxes = nlohmann::json::array();  // texts the system box showed
    nlohmann::json transcript = nlohmann::json::array();           // what the reference host recorded
    std::string transcriptText;     // the same, as text for people
    int violations = 0;             // contract violations the reference host saw
    bool unloaded = false;          // FreeLibrary of the plug-in succeeded
};

LifecycleResult RunLifecycle(const LifecycleOptions& options);

// Reads a scenario as the lifecycle command takes it: {"korpus": {...} handed
// to KorpusReset, "events": [[11 numbers], ...], "message_box_answers":
// ["retry", "ignore", 3, ...]}. False, with the reason, when it is not valid.
bool ReadLifecycleScenario(const nlohmann::json& scenario, LifecycleOptions* options, std::string* error);

// The result for tests and tools, and for people.
nlohmann::json LifecycleResultJson(const LifecycleResult& result);
std::string LifecycleReportText(const LifecycleResult& result);

}  // namespace driver
