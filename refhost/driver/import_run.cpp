#include "import_run.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "host_render.h"
#include "paths.h"
#include "system_message_box.h"
#include "text_encoding.h"

namespace fs = std::filesystem;
using json = nlohmann::json;

namespace tool {

namespace {

// The host's command for a collective order, on an order document.
constexpr uint32_t CollectiveOrderEvent = 236;
constexpr uint32_t OrderDocumentType = 701;
// Any other event of the order table: the plug-in only passes it on.
constexpr uint32_t OtherEvent = 237;

// The dialog result of the OK button (key F12).
constexpr int DialogOk = 0x5001;

// The plug-in keeps the drop directory in a field of 100 characters.
constexpr size_t DirectoryLimit = 100;

bool ReadText(const std::string& path, std::string* text) {
    std::ifstream file(PathOf(path), std::ios::binary);
    if (!file) return false;
    std::ostringstream contents;
    contents << file.rdbuf();
    *text = contents.str();
    return true;
}

std::wstring Wide(const std::string& utf8) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring out(size > 0 ? size - 1 : 0, L'\0');
    if (size > 1) MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, out.data(), size);
    return out;
}

std::string Utf8(const std::wstring& wide) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, out.data(), size, nullptr, nullptr);
    return out;
}

// Members of the host's scenario from a file replace the command's; the
// answers of a kind the file gives come before the command's own.
void MergeScenario(json& base, const json& extra) {
    for (auto& [key, value] : extra.items()) {
        if (key == "answers" && value.is_object() && base.contains("answers")) {
            for (auto& [kind, list] : value.items()) base["answers"][kind] = list;
        } else {
            base[key] = value;
        }
    }
}

const json* LastEvent(const json& transcript, const std::string& kind) {
    const json* found = nullptr;
    for (const json& event : transcript)
        if (event.value("event", "") == kind) found = &event;
    return found;
}

std::string GoodsName(const Catalogue& catalogue, int warehouse, int goodsId) {
    for (const CatalogueRow& row : catalogue.rows)
        if (row.warehouse == warehouse && row.goodsId == goodsId && row.table == "k9") return row.name;
    for (const CatalogueRow& row : catalogue.rows)
        if (row.warehouse == warehouse && row.goodsId == goodsId) return row.name;
    return "";
}

std::string Shown(const json& value) { return value.is_string() ? value.get<std::string>() : value.dump(); }

}  // namespace

bool ParseImportOptions(const std::vector<std::string>& arguments, ImportOptions* options, std::string* error) {
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--interactive") {
            options->interactive = true;
            continue;
        }
        std::string* target = argument == "--orders"     ? &options->orders
                              : argument == "--catalog"  ? &options->catalogue
                              : argument == "--json"     ? &options->json
                              : argument == "--scenario" ? &options->scenario
                              : argument == "--host-dir" ? &options->hostDir
                                                         : nullptr;
        if (target == nullptr) {
            *error = "unknown argument " + argument;
            return false;
        }
        if (i + 1 >= arguments.size()) {
            *error = argument + " needs a value";
            return false;
        }
        *target = arguments[++i];
    }
    if (options->orders.empty() || options->catalogue.empty()) {
        *error = "--orders DIR and --catalog FILE are required";
        return false;
    }
    return true;
}

std::vector<driver::TableEvent> ImportEvents() {
    driver::TableEvent import{}, other{};
    import.arguments[0] = CollectiveOrderEvent;
    import.arguments[1] = OrderDocumentType;
    other.arguments[0] = OtherEvent;
    other.arguments[1] = OrderDocumentType;
    return {import, other};
}

std::string PluginDirectoryPath(const std::string& directory, std::string* error) {
    std::error_code failure;
    if (!fs::is_directory(PathOf(directory), failure)) {
        *error = directory + " is not a directory";
        return "";
    }
    wchar_t full[MAX_PATH];
    const DWORD length = GetFullPathNameW(Wide(directory).c_str(), MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH) {
        *error = directory + ": its full path cannot be had";
        return "";
    }
    std::string path = Utf8(full);
    // "C:\Orders\" would give the archive "C:\Orders\_arch" inside the drop
    // directory itself.
    while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    std::string offending;
    const auto mazovia = MazoviaFromUtf8(path, &offending);
    if (!mazovia) {
        *error = path + " holds '" + offending + "', which the host's code page lacks";
        return "";
    }
    if (mazovia->size() > DirectoryLimit) {
        *error = path + " is " + std::to_string(mazovia->size()) + " characters long; the plug-in keeps at most " +
                 std::to_string(DirectoryLimit) + ": use a shorter path";
        return "";
    }
    return path;
}

bool BuildLifecycleOptions(const ImportOptions& options, const Catalogue& catalogue, const std::string& dropPath,
                           driver::LifecycleOptions* lifecycle, std::string* error) {
    json korpus = {{"goods", GoodsScenario(catalogue)}, {"answers", json::object()}};
    // A person at the terminal answers the prompt; otherwise it is accepted
    // with the drop directory.
    if (!options.interactive) korpus["answers"]["dialog"] = json::array({{{"key", "F12"}, {"text", dropPath}}});
    if (!options.hostDir.empty()) korpus["host_dir"] = options.hostDir;
    lifecycle->events = ImportEvents();
    if (!options.scenario.empty()) {
        std::string text;
        if (!ReadText(options.scenario, &text)) {
            *error = options.scenario + ": cannot be read";
            return false;
        }
        const json scenario = json::parse(text, nullptr, false);
        if (scenario.is_discarded()) {
            *error = options.scenario + ": not valid JSON";
            return false;
        }
        driver::LifecycleOptions read;
        if (!driver::ReadLifecycleScenario(scenario, &read, error)) {
            *error = options.scenario + ": " + *error;
            return false;
        }
        MergeScenario(korpus, read.scenario);
        if (scenario.contains("events")) lifecycle->events = read.events;
        lifecycle->messageBoxAnswers = read.messageBoxAnswers;
    }
    lifecycle->scenario = korpus;
    return true;
}

std::vector<std::string> FileNames(const std::string& directory) {
    std::vector<std::string> names;
    std::error_code error;
    if (!fs::is_directory(PathOf(directory), error)) return names;
    for (const auto& entry : fs::directory_iterator(PathOf(directory), error))
        if (entry.is_regular_file(error)) names.push_back(Utf8Of(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

json ImportResultJson(const driver::LifecycleResult& result, const std::string& dropDirectory,
                      const std::string& archiveDirectory) {
    const json& transcript = result.transcript;
    json messages = json::array();
    for (const json& event : transcript)
        if (event.value("event", "") == "message")
            messages.push_back({{"title", event.value("title", "")},
                                {"text", event.value("text", "")},
                                {"flags", event.value("flags", 0)}});
    json document = {{"created", false}, {"kind", nullptr}, {"note", nullptr}, {"lines", json::array()}};
    if (const json* closed = LastEvent(transcript, "document_closed")) {
        document["created"] = true;
        document["lines"] = closed->value("lines", json::array());
    } else if (const json* saved = LastEvent(transcript, "lines_saved")) {
        document["lines"] = saved->value("lines", json::array());
    }
    if (const json* saved = LastEvent(transcript, "lines_saved")) document["kind"] = saved->value("kind", "");
    if (const json* stored = LastEvent(transcript, "header_stored")) document["note"] = stored->value("note", "");
    json entries = {{"load", result.pluginLoaded},
                    {"load_error", result.loadError},
                    {"30001", result.handshakeCalled ? json(result.handshake) : json(nullptr)},
                    {"30008", result.activationCalled ? json(result.activation) : json(nullptr)},
                    {"display_name", result.displayName},
                    {"events", result.eventResults},
                    {"unloaded", result.unloaded}};
    return {{"messages", messages},
            {"document", document},
            {"archive", FileNames(archiveDirectory)},
            {"drop", FileNames(dropDirectory)},
            {"entries", entries},
            {"violations", result.violations},
            {"system_message_boxes", result.systemMessageBoxes},
            {"transcript", transcript}};
}

std::string ImportReportText(const json& result, const Catalogue& catalogue, bool colour, bool seen) {
    std::string out;
    const json& entries = result["entries"];
    if (!entries.value("load", false)) {
        out += "The plug-in did not load: " + entries.value("load_error", std::string()) + "\n";
    }
    for (const json& box : result.value("system_message_boxes", json::array()))
        out += RenderMessageBox(box.value("title", ""), box.value("text", ""), colour) +
               "(system message box, answered " + Shown(box["answer"]) + ")\n\n";
    for (const json& event : result["transcript"]) {
        if (seen) break;  // the person saw each box as it came
        const std::string kind = event.value("event", "");
        if (kind == "message") {
            out += RenderMessageBox(event.value("title", ""), event.value("text", ""), colour) + "\n";
        } else if (kind == "std_dialog") {
            out += RenderMessageBox("", event.value("text", ""), colour) + "(the host's standard dialog; its flag " +
                   Shown(event["flag_before"]) + " -> " + Shown(event["flag_after"]) + ")\n\n";
        } else if (kind == "dialog") {
            out += RenderDialog(event, colour);
            const int answer = event.value("result", 0);
            out += answer == DialogOk ? "(accepted: \"" + event.value("field_after", std::string()) + "\")\n\n"
                                      : "(closed with " + std::to_string(answer) + ")\n\n";
        } else if (kind == "header_dialog") {
            out += "[header dialog \"" + event.value("caption", std::string()) + "\": " +
                   (event.value("result", 0) < 0 ? "cancelled" : "accepted") + "]\n\n";
        } else if (kind == "violation") {
            out += "CONTRACT VIOLATION in " + event.value("service", std::string()) + ": " +
                   event.value("what", std::string()) + "\n";
        } else if (kind == "exception_reached_host") {
            out += "An exception reached the host (code " + Shown(event["code"]) + ")\n";
        } else if (kind == "user_break") {
            out += "[break pressed]\n";
        }
    }
    const json& document = result["document"];
    if (document.value("created", false)) {
        std::vector<DocumentRow> rows;
        for (const json& line : document["lines"]) {
            const int warehouse = line.value("warehouse", 0), goodsId = line.value("goods_id", 0);
            rows.push_back({line.value("code", std::string()), GoodsName(catalogue, warehouse, goodsId), goodsId,
                            warehouse, line.value("quantity", 0LL)});
        }
        out += "Document " + Shown(document["kind"]) + " \"" + Shown(document["note"]) + "\", " +
               std::to_string(rows.size()) + " line" + (rows.size() == 1 ? "" : "s") + ":\n" +
               RenderDocumentTable(rows);
    } else {
        out += "No document was created.\n";
    }
    auto listing = [](const json& names) {
        std::string text;
        for (const json& name : names) text += (text.empty() ? "" : ", ") + name.get<std::string>();
        return text.empty() ? std::string("(empty)") : text;
    };
    out += "Drop directory afterwards: " + listing(result["drop"]) + "\n";
    out += "Archive afterwards: " + listing(result["archive"]) + "\n";
    if (result.value("violations", 0) > 0)
        out += "The reference host saw " + std::to_string(result.value("violations", 0)) + " contract violation(s).\n";
    return out;
}

std::map<std::string, std::vector<CodeOrigin>> OrderOrigins(const std::string& dropDirectory) {
    std::map<std::string, std::vector<CodeOrigin>> origins;
    for (const std::string& name : FileNames(dropDirectory)) {
        std::string bytes;
        if (!ReadText(dropDirectory + "/" + name, &bytes)) continue;
        const FileReading reading = CheckOrderBytes(bytes, name, nullptr);
        for (const PredictedPosition& position : reading.positions)
            if (!position.code.empty())
                origins[position.code].push_back({name, position.symbolLine, position.thousandths});
    }
    return origins;
}

std::string PreviewReportText(const json& result, const Catalogue& catalogue,
                              const std::map<std::string, std::vector<CodeOrigin>>& origins) {
    std::string out;
    const json& lines = result["document"]["lines"];
    if (!lines.empty()) {
        out += "Warehouse of each line:\n";
        for (const json& line : lines)
            out += "  " + line.value("code", std::string()) + ": warehouse " +
                   std::to_string(line.value("warehouse", 0)) + "\n";
    }
    const KnownCodes known(catalogue);
    std::string unknown;
    for (const auto& [code, from] : origins) {
        if (known.Knows(code)) continue;
        long long total = 0;
        for (const CodeOrigin& origin : from) total += origin.thousandths;
        unknown += "  " + driver::Utf8FromWindows1250(code) + " (" + FormatThousandths(total) + " in all):";
        for (const CodeOrigin& origin : from)
            unknown += " " + origin.file + ":" + std::to_string(origin.line) + " (" +
                       FormatThousandths(origin.thousandths) + ")";
        unknown += "\n";
    }
    out += unknown.empty() ? "Every ordered code was identified.\n" : "Codes no warehouse identified:\n" + unknown;
    return out;
}

}  // namespace tool
