// zbieracz-host lifecycle: one run of the host's order of calls on a scenario.
//
// Exit status: 0 when the run went through (whatever the plug-in answered),
// 1 when it could not run (scenario, host, message box), 2 on a usage error.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "commands.h"
#include "lifecycle.h"

namespace {

int LifecycleUsage() {
    std::fprintf(stderr,
                 "usage: zbieracz-host lifecycle --scenario FILE.json [--plugin PATH] [--host PATH] [--json OUT]\n");
    return 2;
}

}  // namespace

int CommandLifecycle(int argc, char** argv) {
    std::string scenarioPath, jsonPath;
    driver::LifecycleOptions options;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--scenario") == 0 && hasValue) scenarioPath = argv[++i];
        else if (std::strcmp(argv[i], "--plugin") == 0 && hasValue) options.pluginPath = argv[++i];
        else if (std::strcmp(argv[i], "--host") == 0 && hasValue) options.hostPath = argv[++i];
        else if (std::strcmp(argv[i], "--json") == 0 && hasValue) jsonPath = argv[++i];
        else return LifecycleUsage();
    }
    if (scenarioPath.empty()) return LifecycleUsage();

    std::ifstream file(scenarioPath, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "zbieracz-host: cannot read the scenario %s\n", scenarioPath.c_str());
        return 1;
    }
    std::stringstream contents;
    contents << file.rdbuf();
    const nlohmann::json scenario = nlohmann::json::parse(contents.str(), nullptr, false);
    std::string error;
    if (scenario.is_discarded()) error = "not valid JSON";
    if (error.empty()) driver::ReadLifecycleScenario(scenario, &options, &error);
    if (!error.empty()) {
        std::fprintf(stderr, "zbieracz-host: scenario %s: %s\n", scenarioPath.c_str(), error.c_str());
        return 1;
    }

    const driver::LifecycleResult result = driver::RunLifecycle(options);
    std::fputs(driver::LifecycleReportText(result).c_str(), stdout);
    if (!jsonPath.empty()) {
        std::ofstream out(jsonPath, std::ios::binary);
        out << driver::LifecycleResultJson(result).dump(1) << "\n";
        if (!out) {
            std::fprintf(stderr, "zbieracz-host: cannot write %s\n", jsonPath.c_str());
            return 1;
        }
    }
    return result.hostLoaded ? 0 : 1;
}
