// The driver's commands; main.cpp dispatches to them by name.
#pragma once

// zbieracz-host lifecycle --scenario FILE.json [--plugin PATH] [--host PATH] [--json OUT]
int CommandLifecycle(int argc, char** argv);
