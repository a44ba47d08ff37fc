#include "shell/plugin_module.h"

char PluginModulePath[PluginModulePathSize];
