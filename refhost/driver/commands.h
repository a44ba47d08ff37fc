// The driver's commands. Each takes the arguments after its name and returns
// the process's exit code.
#pragma once

#include <string>
#include <vector>

namespace tool {

using Arguments = std::vector<std::string>;

// check [--catalog FILE] [--host-dir DIR] DIR|FILE...
int CheckCommand(const Arguments& arguments);

// Options shared by the commands: a parsed command line.
struct CommonOptions {
    std::string catalogue;   // --catalog FILE
    std::string hostDir;     // --host-dir DIR
};

}  // namespace tool
