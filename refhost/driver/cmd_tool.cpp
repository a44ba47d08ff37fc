// The commands for people (run, preview, check) in the driver's command table.
#include "commands.h"
#include "console.h"

namespace {
tool::Arguments Prepared(int argc) {
    tool::PrepareConsole();
    return tool::Utf8Arguments(argc - 1);  // what follows the command's name
}
}  // namespace

int CommandRun(int argc, char**) { return tool::RunCommand(Prepared(argc)); }
int CommandPreview(int argc, char**) { return tool::PreviewCommand(Prepared(argc)); }
int CommandCheck(int argc, char**) { return tool::CheckCommand(Prepared(argc)); }
