// The driver's commands. Each takes the arguments after its name and returns
// the process's exit code.
#pragma once

#include <string>
#include <vector>

namespace tool {

using Arguments = std::vector<std::string>;

// check [--catalog FILE] [--host-dir DIR] DIR|FILE...
int CheckCommand(const Arguments& arguments);

// run --orders DIR --catalog FILE [--json FILE] [--scenario FILE] [--interactive] [--host-dir DIR]
int RunCommand(const Arguments& arguments);
// preview, with the options of run: the same on a copy of DIR
int PreviewCommand(const Arguments& arguments);

}  // namespace tool
