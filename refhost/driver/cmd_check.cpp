// zbieracz-host check: diagnostics for order files, one per line.
#include <memory>

#include "goods_catalogue.h"
#include "commands.h"
#include "console.h"
#include "order_check.h"

namespace tool {

namespace {
constexpr const char* CheckUsage = "usage: zbieracz-host check [--catalog FILE] [--host-dir DIR] DIR|FILE...\n";
}

int CheckCommand(const Arguments& arguments) {
    std::string cataloguePath;
    std::vector<std::string> targets;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--catalog" || argument == "--host-dir") {
            if (i + 1 >= arguments.size()) {
                PrintError("zbieracz-host check: " + argument + " needs a value\n" + CheckUsage);
                return 2;
            }
            if (argument == "--catalog") cataloguePath = arguments[i + 1];
            ++i;  // the host directory plays no part in a check
        } else if (argument.size() > 1 && argument[0] == '-' && argument != "-") {
            PrintError("zbieracz-host check: unknown option " + argument + "\n" + CheckUsage);
            return 2;
        } else {
            targets.push_back(argument);
        }
    }
    if (targets.empty()) {
        PrintError(CheckUsage);
        return 2;
    }
    std::unique_ptr<KnownCodes> codes;
    if (!cataloguePath.empty()) {
        const Catalogue catalogue = LoadCatalogue(cataloguePath);
        if (!catalogue.Loaded()) {
            PrintError(catalogue.error + "\n");
            return 2;
        }
        codes = std::make_unique<KnownCodes>(catalogue);
    }
    const CheckOutcome outcome = CheckTargets(targets, codes.get());
    for (const std::string& line : outcome.lines) Print(line + "\n");
    return outcome.exitCode;
}

}  // namespace tool
