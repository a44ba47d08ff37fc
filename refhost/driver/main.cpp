// zbieracz-host: the reference host's driver, as a tool people use.
#include <cstring>

#include "commands.h"
#include "console.h"

namespace {

struct Command {
    const char* name;
    const char* summary;
    int (*run)(const tool::Arguments&);
};

const Command Commands[] = {
    {"check", "diagnostics for order files, one per line", &tool::CheckCommand},
};

int Usage() {
    std::string text = "usage: zbieracz-host COMMAND [OPTIONS]\n\ncommands:\n";
    for (const Command& command : Commands)
        text += std::string("  ") + command.name + std::string(10 - std::strlen(command.name), ' ') +
                command.summary + "\n";
    tool::PrintError(text);
    return 2;
}

}  // namespace

int main() {
    tool::PrepareConsole();
    tool::Arguments arguments = tool::Utf8Arguments();
    if (arguments.empty()) return Usage();
    const std::string name = arguments.front();
    arguments.erase(arguments.begin());
    for (const Command& command : Commands)
        if (name == command.name) return command.run(arguments);
    tool::PrintError("zbieracz-host: unknown command " + name + "\n");
    return Usage();
}
