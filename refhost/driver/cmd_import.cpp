// zbieracz-host run and preview: an import with the real plug-in DLL.
//
// Exit status: 0 when the import ran through (whatever it found), 1 when the
// plug-in did not load or the reference host saw a contract violation, 2 on a
// usage error or input that cannot be used (catalogue, drop directory).
#include <windows.h>

#include <filesystem>
#include <fstream>

#include "commands.h"
#include "console.h"
#include "import_run.h"
#include "paths.h"
#include "person.h"

namespace fs = std::filesystem;

namespace tool {

namespace {

constexpr const char* ImportUsage =
    "usage: zbieracz-host run|preview --orders DIR --catalog FILE [--json FILE] [--scenario FILE]\n"
    "                                 [--interactive] [--host-dir DIR]\n";

// The directory of zbieracz-host.exe, where KORPUS.dll keeps its INI file
// unless --host-dir says otherwise.
std::string ProgramDirectory() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return Utf8Of(fs::path(path).parent_path());
}

bool WriteJson(const std::string& path, const nlohmann::json& result) {
    std::ofstream out(PathOf(path), std::ios::binary);
    out << result.dump(2) << "\n";
    return static_cast<bool>(out);
}

int Import(const Arguments& arguments, bool preview) {
    ImportOptions options;
    std::string error;
    if (!ParseImportOptions(arguments, &options, &error)) {
        PrintError("zbieracz-host: " + error + "\n" + ImportUsage);
        return 2;
    }
    const Catalogue catalogue = LoadCatalogue(options.catalogue);
    if (!catalogue.Loaded()) {
        PrintError("zbieracz-host: " + catalogue.error + "\n");
        return 2;
    }
    std::string drop = options.orders;
    fs::path workspace;
    std::error_code failure;
    if (preview) {
        // A dry run: the plug-in empties a copy of the drop directory, and
        // writes its INI file in a host directory of the copy's own.
        if (!fs::is_directory(PathOf(options.orders), failure)) {
            PrintError("zbieracz-host: " + options.orders + " is not a directory\n");
            return 2;
        }
        workspace = fs::temp_directory_path(failure) / ("zbieracz-preview-" + std::to_string(GetCurrentProcessId()));
        fs::remove_all(workspace, failure);
        const fs::path copy = workspace / PathOf(options.orders).lexically_normal().filename();
        const fs::path hostDir = workspace / "host";
        fs::create_directories(copy, failure);
        fs::create_directories(hostDir, failure);
        for (const std::string& name : FileNames(options.orders))
            fs::copy_file(PathOf(options.orders) / PathOf(name), copy / PathOf(name), failure);
        const fs::path ini = PathOf(options.hostDir.empty() ? ProgramDirectory() : options.hostDir) / "Zbieracz.ini";
        if (fs::exists(ini, failure)) fs::copy_file(ini, hostDir / "Zbieracz.ini", failure);
        drop = Utf8Of(copy);
        options.hostDir = Utf8Of(hostDir);
    }
    const std::string dropPath = PluginDirectoryPath(drop, &error);
    driver::LifecycleOptions lifecycle;
    if (dropPath.empty() || !BuildLifecycleOptions(options, catalogue, dropPath, &lifecycle, &error)) {
        PrintError("zbieracz-host: " + error + "\n");
        if (!workspace.empty()) fs::remove_all(workspace, failure);
        return 2;
    }
    const auto origins = preview ? OrderOrigins(drop) : std::map<std::string, std::vector<CodeOrigin>>();

    const bool colour = ColourWanted();
    driver::LifecycleResult outcome;
    {
        // The person watches the host that the lifecycle loads: the same
        // module, held loaded from before the run until after it.
        Person person(options.interactive, colour);
        if (!person.Attend(lifecycle.hostPath) && options.interactive) {
            PrintError("zbieracz-host: " + lifecycle.hostPath + " lets nobody answer for the person at the host\n");
            return 2;
        }
        outcome = driver::RunLifecycle(lifecycle);
    }
    nlohmann::json result = ImportResultJson(outcome, drop, dropPath + "_arch");
    std::string text = ImportReportText(result, catalogue, colour, options.interactive);
    if (preview) {
        text = "Preview on a copy of " + options.orders + " (" + dropPath + "); nothing of yours was changed.\n\n" +
               text + PreviewReportText(result, catalogue, origins);
        result["preview_of"] = options.orders;
    }
    Print(text);
    if (!workspace.empty()) fs::remove_all(workspace, failure);
    if (!options.json.empty() && !WriteJson(options.json, result)) {
        PrintError("zbieracz-host: cannot write " + options.json + "\n");
        return 2;
    }
    return outcome.pluginLoaded && outcome.violations == 0 ? 0 : 1;
}

}  // namespace

int RunCommand(const Arguments& arguments) { return Import(arguments, false); }
int PreviewCommand(const Arguments& arguments) { return Import(arguments, true); }

}  // namespace tool
