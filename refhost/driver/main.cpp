// zbieracz-host: the stand-in for the host program. One command per word.
#include <cstdio>
#include <cstring>

#include "commands.h"

namespace {

struct Command {
    const char* name;
    int (*run)(int argc, char** argv);  // argv[0] is the command's name
    const char* summary;
};

constexpr Command Commands[] = {
    {"run", &CommandRun, "import a drop directory of order files with the real plug-in"},
    {"preview", &CommandPreview, "the same on a copy of the directory: what the import would do"},
    {"check", &CommandCheck, "diagnostics for order files, one per line"},
    {"lifecycle", &CommandLifecycle, "load KORPUS.dll and the plug-in and drive the host's order of calls"},
};

int Usage() {
    std::fprintf(stderr, "usage: zbieracz-host COMMAND [ARGUMENTS]\ncommands:\n");
    for (const Command& command : Commands) std::fprintf(stderr, "  %-10s %s\n", command.name, command.summary);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    for (const Command& command : Commands)
        if (std::strcmp(argv[1], command.name) == 0) return command.run(argc - 1, argv + 1);
    std::fprintf(stderr, "zbieracz-host: unknown command \"%s\"\n", argv[1]);
    return Usage();
}
