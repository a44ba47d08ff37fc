#include "shell/plugin_entries.h"

#include <windows.h>

#include "common/format.h"
#include "host/host_entries.h"
#include "host/host_services.h"
#include "settings/first_run_notice.h"
#include "shell/compatibility.h"
#include "shell/shell_texts.h"
#include "shell/tzak_hook.h"

namespace {

using SetSeTranslator = SeTranslator(__cdecl*)(SeTranslator translator);

// The runtime's per-thread translator of structured exceptions, where the
// runtime the plug-in runs on has one.
void InstallHostExceptionTranslator() {
    HMODULE runtime = GetModuleHandleA("msvcrt.dll");
    if (runtime == nullptr) return;
    auto install = reinterpret_cast<SetSeTranslator>(
        reinterpret_cast<void*>(GetProcAddress(runtime, SetSeTranslatorName)));
    if (install != nullptr) install(&HostExceptionTranslator);
}

}  // namespace

extern "C" int __attribute__((stdcall)) PluginHandshake(void* host, void* record) {
    if (host == nullptr) return RemoveTzakHook();
    if (record != nullptr) CopyDisplayName(static_cast<char*>(record));
    InstallHostExceptionTranslator();
    return CheckHostCompatibility();
}

extern "C" int __attribute__((stdcall)) PluginActivate(int32_t flag) {
    if (flag != 0) {
        ShowCompatibilityReport();
        return 0;
    }
    if (InstallTzakHook() != 0) {
        RemoveTzakHook();
        HostPluginMessage(Text::NeedsNewerPlugin);
        return -1;
    }
    ShowFirstRunNotice();
    return 0;
}

extern "C" int __attribute__((stdcall)) PluginIdle() { return 0; }
