// The three entries the plug-in exports, by ordinal only (src/shell/dll/Zbieracz.def).
#pragma once

#include <cstdint>

extern "C" {
// 30001: with a host pointer, the handshake: writes the display name into the
// host's record (when there is one), installs the host's exception translator
// for the calling thread and returns the compatibility result (0 or -1).
// With a null host pointer, before unloading: removes the table hook; 0.
int __attribute__((stdcall)) PluginHandshake(void* host, void* record);
// 30008: a non-zero flag shows the compatibility report (0). Flag 0 activates:
// 0 when the hook is in, -1 when it was refused.
int __attribute__((stdcall)) PluginActivate(int32_t flag);
// 30009: nothing to do; 0.
int __attribute__((stdcall)) PluginIdle();
}

inline constexpr int HostExceptionTranslatorOrdinal = 30005;
