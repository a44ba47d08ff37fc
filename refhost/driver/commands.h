// The driver's commands; main.cpp dispatches to them by name. Each takes the
// arguments from its name on (argv[0] is the command's name) and returns the
// process's exit status.
#pragma once

#include <string>
#include <vector>

// zbieracz-host lifecycle --scenario FILE.json [--plugin PATH] [--host PATH] [--json OUT]
int CommandLifecycle(int argc, char** argv);
// zbieracz-host run --orders DIR --catalog FILE [--json FILE] [--scenario FILE] [--interactive] [--host-dir DIR]
int CommandRun(int argc, char** argv);
// zbieracz-host preview, with the options of run: the same on a copy of DIR
int CommandPreview(int argc, char** argv);
// zbieracz-host check [--catalog FILE] [--host-dir DIR] DIR|FILE...
int CommandCheck(int argc, char** argv);

namespace tool {

using Arguments = std::vector<std::string>;

int CheckCommand(const Arguments& arguments);
int RunCommand(const Arguments& arguments);
int PreviewCommand(const Arguments& arguments);

}  // namespace tool
