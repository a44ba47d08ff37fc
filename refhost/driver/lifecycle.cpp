#include "lifecycle.h"

#include <windows.h>

#include <cstdio>

#include <cstring>
#include "system_message_box.h"
#include "text_encoding.h"

namespace driver {

namespace {

using json = nlohmann::json;

// The reference host's control API, taken by name from the KORPUS.dll loaded.
struct KorpusControl {
    int (*reset)(const char*) = nullptr;
    int (*transcript)(char*, int) = nullptr;
    int (*transcriptText)(char*, int) = nullptr;
    int (*violationCount)() = nullptr;
    int (*fireTzakEvent)(const uint32_t*, int*) = nullptr;

    template <class F>
    static bool Take(HMODULE host, const char* name, F* function) {
        *function = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(host, name)));
        return *function != nullptr;
    }
    bool Load(HMODULE host) {
        return Take(host, "KorpusReset", &reset) && Take(host, "KorpusTranscript", &transcript) &&
               Take(host, "KorpusTranscriptText", &transcriptText) &&
               Take(host, "KorpusViolationCount", &violationCount) &&
               Take(host, "KorpusFireTzakEvent", &fireTzakEvent);
    }
    static std::string Read(int (*source)(char*, int)) {
        const int length = source(nullptr, 0);
        std::string text(length + 1, '\0');
        source(text.data(), length + 1);
        text.resize(length);
        return text;
    }
};

// The plug-in's entries, by ordinal.
using HandshakeEntry = int(__stdcall*)(void* host, void* record);
using ActivationEntry = int(__stdcall*)(int32_t flag);

std::string SystemErrorText(DWORD error) {
    char buffer[512] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                        buffer, sizeof buffer, nullptr);
    std::string text(buffer, length);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    if (text.empty()) text = "system error";
    return text + " (error " + std::to_string(error) + ")";
}

void Step(LifecycleResult* result, const std::string& step, const std::string& detail, int value = 0) {
    result->steps.push_back({step, detail, value});
}

// The host's record for the plug-in: the plug-in writes its display name at
// the start. The rest stays as the host filled it, which shows a write past
// the name.
constexpr size_t HostRecordSize = 256;
constexpr char HostRecordFill = '\x5A';

}  // namespace

LifecycleResult RunLifecycle(const LifecycleOptions& options) {
    LifecycleResult result;

    std::string error;
    if (!InterceptSystemMessageBox(&error)) {
        result.loadError = "the system message box cannot be answered: " + error;
        Step(&result, "intercept message box", result.loadError, -1);
        return result;
    }
    std::vector<int> answers;
    for (const json& answer : options.messageBoxAnswers) answers.push_back(SystemMessageBoxAnswer(answer));
    AnswerSystemMessageBoxes(answers);

    HMODULE host = LoadLibraryA(options.hostPath.c_str());
    if (host == nullptr) {
        result.loadError = options.hostPath + ": " + SystemErrorText(GetLastError());
        Step(&result, "load host", result.loadError, -1);
        return result;
    }
    result.hostLoaded = true;
    Step(&result, "load host", options.hostPath);
    KorpusControl korpus;
    if (!korpus.Load(host)) {
        result.loadError = options.hostPath + " is not a reference host: its control functions are missing";
        Step(&result, "load host", result.loadError, -1);
        FreeLibrary(host);
        return result;
    }
    const int reset = korpus.reset(options.scenario.dump().c_str());
    Step(&result, "reset host", reset == 0 ? "scenario applied" : "scenario refused", reset);

    HMODULE plugin = LoadLibraryA(options.pluginPath.c_str());
    if (plugin == nullptr) {
        result.loadError = options.pluginPath + ": " + SystemErrorText(GetLastError());
        Step(&result, "load plug-in", result.loadError, -1);
    } else {
        result.pluginLoaded = true;
        Step(&result, "load plug-in", options.pluginPath);
        auto handshake = reinterpret_cast<HandshakeEntry>(reinterpret_cast<void*>(GetProcAddress(plugin, MAKEINTRESOURCEA(30001))));
        auto activation = reinterpret_cast<ActivationEntry>(reinterpret_cast<void*>(GetProcAddress(plugin, MAKEINTRESOURCEA(30008))));
        if (handshake == nullptr || activation == nullptr) {
            Step(&result, "entries", "the plug-in does not export 30001 and 30008", -1);
        } else {
            static int hostObject = 0;  // what the host pointer designates is the host's business
            char record[HostRecordSize];
            std::memset(record, HostRecordFill, sizeof record);
            result.handshakeCalled = true;
            result.handshake = handshake(&hostObject, record);
            result.displayName = tool::Utf8FromMazovia(std::string(record, strnlen(record, sizeof record)));
            Step(&result, "30001", "handshake; display name \"" + result.displayName + "\"", result.handshake);

            result.activationCalled = true;
            result.activationFlag = result.handshake == 0 ? 0 : 1;
            result.activation = activation(result.activationFlag);
            Step(&result, "30008", result.activationFlag == 0 ? "activation" : "compatibility report (flag 1)",
                 result.activation);

            if (result.handshake == 0 && result.activation == 0) {
                for (const TableEvent& event : options.events) {
                    int value = 0;
                    const int raised = korpus.fireTzakEvent(event.arguments, &value);
                    result.eventResults.push_back(value);
                    Step(&result, "event",
                         "Tzak event " + std::to_string(event.arguments[0]) + " on document type " +
                             std::to_string(event.arguments[1] & 0xFFFF) +
                             (raised ? ": an exception reached the host" : ""),
                         value);
                }
            }
            const int unhook = handshake(nullptr, nullptr);
            Step(&result, "unhook", "30001 with a null host pointer", unhook);
        }
        result.unloaded = FreeLibrary(plugin) != 0;
        Step(&result, "unload", result.unloaded ? "FreeLibrary" : SystemErrorText(GetLastError()),
             result.unloaded ? 0 : -1);
    }

    for (const SystemMessageBox& box : SystemMessageBoxesShown())
        result.systemMessageBoxes.push_back({{"title", box.title},
                                             {"text", box.text},
                                             {"flags", box.flags},
                                             {"answer", SystemMessageBoxAnswerName(box.answer)}});
    result.transcript = json::parse(KorpusControl::Read(korpus.transcript), nullptr, false);
    if (result.transcript.is_discarded()) result.transcript = json::array();
    result.transcriptText = KorpusControl::Read(korpus.transcriptText);
    result.violations = korpus.violationCount();
    FreeLibrary(host);
    return result;
}

bool ReadLifecycleScenario(const json& scenario, LifecycleOptions* options, std::string* error) {
    if (!scenario.is_object()) {
        *error = "the scenario is not a JSON object";
        return false;
    }
    for (auto& [key, value] : scenario.items()) {
        if (key != "korpus" && key != "events" && key != "message_box_answers") {
            *error = "unknown scenario member \"" + key + "\"";
            return false;
        }
        (void)value;
    }
    if (scenario.contains("korpus")) {
        if (!scenario["korpus"].is_object()) {
            *error = "\"korpus\" is not an object";
            return false;
        }
        options->scenario = scenario["korpus"];
    }
    if (scenario.contains("events")) {
        const json& events = scenario["events"];
        if (!events.is_array()) {
            *error = "\"events\" is not an array";
            return false;
        }
        for (size_t i = 0; i < events.size(); ++i) {
            const json& event = events[i];
            if (!event.is_array() || event.size() != 11) {
                *error = "event " + std::to_string(i + 1) + " is not an array of 11 numbers";
                return false;
            }
            TableEvent table{};
            for (size_t k = 0; k < 11; ++k) {
                if (!event[k].is_number_integer() || event[k].get<int64_t>() < INT32_MIN ||
                    event[k].get<int64_t>() > UINT32_MAX) {
                    *error = "event " + std::to_string(i + 1) + ": argument " + std::to_string(k + 1) +
                             " is not a 32-bit number";
                    return false;
                }
                table.arguments[k] = static_cast<uint32_t>(event[k].get<int64_t>());
            }
            options->events.push_back(table);
        }
    }
    if (scenario.contains("message_box_answers")) {
        const json& answers = scenario["message_box_answers"];
        if (!answers.is_array()) {
            *error = "\"message_box_answers\" is not an array";
            return false;
        }
        for (const json& answer : answers) {
            if (SystemMessageBoxAnswer(answer) < 0) {
                *error = "unknown message box answer " + answer.dump();
                return false;
            }
            options->messageBoxAnswers.push_back(answer);
        }
    }
    return true;
}

json LifecycleResultJson(const LifecycleResult& result) {
    json steps = json::array();
    for (const StepReport& step : result.steps)
        steps.push_back({{"step", step.step}, {"detail", step.detail}, {"result", step.result}});
    return {{"host_loaded", result.hostLoaded},
            {"plugin_loaded", result.pluginLoaded},
            {"load_error", result.loadError},
            {"handshake_called", result.handshakeCalled},
            {"handshake", result.handshake},
            {"activation_called", result.activationCalled},
            {"activation_flag", result.activationFlag},
            {"activation", result.activation},
            {"display_name", result.displayName},
            {"event_results", result.eventResults},
            {"unloaded", result.unloaded},
            {"steps", steps},
            {"system_message_boxes", result.systemMessageBoxes},
            {"transcript", result.transcript},
            {"violations", result.violations}};
}

std::string LifecycleReportText(const LifecycleResult& result) {
    std::string text;
    for (const StepReport& step : result.steps)
        text += step.step + ": " + step.detail + " -> " + std::to_string(step.result) + "\n";
    for (const json& box : result.systemMessageBoxes)
        text += "system message box \"" + box["title"].get<std::string>() + "\" answered " +
                box["answer"].get<std::string>() + ":\n" + box["text"].get<std::string>() + "\n";
    text += "host transcript:\n" + result.transcriptText;
    text += "contract violations: " + std::to_string(result.violations) + "\n";
    return text;
}

}  // namespace driver
