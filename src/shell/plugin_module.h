// The plug-in's own module, as the attach routine finds it.
#pragma once

inline constexpr int PluginModulePathSize = 300;

// Full path of the plug-in's module file, terminator included; filled at
// attach, empty before.
extern char PluginModulePath[PluginModulePathSize];
