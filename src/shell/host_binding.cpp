#include "shell/host_binding.h"

#include <cstring>
#include <string_view>
#include <type_traits>

#include "common/format.h"
#include "common/texts.h"
#include "shell/shell_texts.h"
#include "shell/plugin_attach.h"

// --- the entries of every service -------------------------------------------

// Assembler names of the generated entries, declared for C++.
extern "C" {
#define ZB_HOST_SERVICE(index, name, ordinal, conv, ret, params)  \
    int ZbTestEntry_##name() __asm__("_zbtest_" #name);          \
    void ZbLazyEntry_##name() __asm__("_zblazy_" #name);         \
    void ZbBindEntry_##name() __asm__("_zbbind_" #name);
#include "host/host_services.def"
#undef ZB_HOST_SERVICE
}

// The bind entry stands in front of a service's call, so it keeps every
// general register and the flags as the caller left them. The lazy entry
// binds and then goes on into the call entry: the caller's return address and
// arguments are still where the service expects them. The test entry reports
// whether the slot is filled after binding.
#define ZB_HOST_SERVICE(index, name, ordinal, conv, ret, params)         \
    __asm__("\t.text\n"                                                  \
            "\t.globl _zbbind_" #name "\n"                               \
            "\t.balign 8\n"                                              \
            "_zbbind_" #name ":\n"                                       \
            "\tpushal\n"                                                 \
            "\tpushfl\n"                                                 \
            "\tcld\n"                                                    \
            "\tpushl $_HostServiceTable+" #index "*4\n"                  \
            "\tpushl $" #ordinal "\n"                                    \
            "\tcall _BindHostService\n"                                  \
            "\taddl $8, %esp\n"                                          \
            "\tpopfl\n"                                                  \
            "\tpopal\n"                                                  \
            "\tret\n"                                                    \
            "\t.globl _zblazy_" #name "\n"                               \
            "\t.balign 8\n"                                              \
            "_zblazy_" #name ":\n"                                       \
            "\tcall _zbbind_" #name "\n"                                 \
            "\tjmp _zbcall_" #name "\n"                                  \
            "\t.globl _zbtest_" #name "\n"                               \
            "\t.balign 8\n"                                              \
            "_zbtest_" #name ":\n"                                       \
            "\tcall _zbbind_" #name "\n"                                 \
            "\txorl %eax, %eax\n"                                        \
            "\tcmpl %eax, _HostServiceTable+" #index "*4\n"              \
            "\tjne 1f\n"                                                 \
            "\tdecl %eax\n"                                              \
            "1:\tret\n");
#include "host/host_services.def"
#undef ZB_HOST_SERVICE

// Until its service is bound, a slot holds the service's lazy entry, so that
// a call made before binding binds first.
void* HostServiceTable[HostServiceCount] = {
#define ZB_HOST_SERVICE(index, name, ordinal, conv, ret, params) reinterpret_cast<void*>(&ZbLazyEntry_##name),
#include "host/host_services.def"
#undef ZB_HOST_SERVICE
};

const HostServiceTestEntry HostServiceTestEntries[HostServiceCount] = {
#define ZB_HOST_SERVICE(index, name, ordinal, conv, ret, params) &ZbTestEntry_##name,
#include "host/host_services.def"
#undef ZB_HOST_SERVICE
};

void* const HostServiceLazyEntries[HostServiceCount] = {
#define ZB_HOST_SERVICE(index, name, ordinal, conv, ret, params) reinterpret_cast<void*>(&ZbLazyEntry_##name),
#include "host/host_services.def"
#undef ZB_HOST_SERVICE
};

// --- fallbacks ----------------------------------------------------------------

// Entry k: "xor eax, eax; ret 4*k".
#define ZB_FALLBACK_STUB(k)                  \
    "\t.globl _zbstub_" #k "\n"              \
    "\t.balign 4\n"                          \
    "_zbstub_" #k ":\n"                      \
    "\txorl %eax, %eax\n"                    \
    "\tret $" #k "*4\n"
__asm__("\t.text\n" ZB_FALLBACK_STUB(0) ZB_FALLBACK_STUB(1) ZB_FALLBACK_STUB(2) ZB_FALLBACK_STUB(3)
            ZB_FALLBACK_STUB(4) ZB_FALLBACK_STUB(5) ZB_FALLBACK_STUB(6) ZB_FALLBACK_STUB(7) ZB_FALLBACK_STUB(8)
                ZB_FALLBACK_STUB(9) ZB_FALLBACK_STUB(10) ZB_FALLBACK_STUB(11) ZB_FALLBACK_STUB(12)
                    ZB_FALLBACK_STUB(13) ZB_FALLBACK_STUB(14));
#undef ZB_FALLBACK_STUB

extern "C" {
#define ZB_DECLARE_STUB(k) void ZbFallbackStub##k() __asm__("_zbstub_" #k);
ZB_DECLARE_STUB(0) ZB_DECLARE_STUB(1) ZB_DECLARE_STUB(2) ZB_DECLARE_STUB(3) ZB_DECLARE_STUB(4)
ZB_DECLARE_STUB(5) ZB_DECLARE_STUB(6) ZB_DECLARE_STUB(7) ZB_DECLARE_STUB(8) ZB_DECLARE_STUB(9)
ZB_DECLARE_STUB(10) ZB_DECLARE_STUB(11) ZB_DECLARE_STUB(12) ZB_DECLARE_STUB(13) ZB_DECLARE_STUB(14)
#undef ZB_DECLARE_STUB

void* const FallbackStubTable[FallbackStubCount] = {
    reinterpret_cast<void*>(&ZbFallbackStub0),  reinterpret_cast<void*>(&ZbFallbackStub1),
    reinterpret_cast<void*>(&ZbFallbackStub2),  reinterpret_cast<void*>(&ZbFallbackStub3),
    reinterpret_cast<void*>(&ZbFallbackStub4),  reinterpret_cast<void*>(&ZbFallbackStub5),
    reinterpret_cast<void*>(&ZbFallbackStub6),  reinterpret_cast<void*>(&ZbFallbackStub7),
    reinterpret_cast<void*>(&ZbFallbackStub8),  reinterpret_cast<void*>(&ZbFallbackStub9),
    reinterpret_cast<void*>(&ZbFallbackStub10), reinterpret_cast<void*>(&ZbFallbackStub11),
    reinterpret_cast<void*>(&ZbFallbackStub12), reinterpret_cast<void*>(&ZbFallbackStub13),
    reinterpret_cast<void*>(&ZbFallbackStub14),
};

bool IgnoreMissingServices = false;
}

namespace {

// The size of a service's arguments as its callers push them, from the
// parameter list of the service list.
template <class Signature>
struct ArgumentList;
template <class... A>
struct ArgumentList<void(A...)> {
    static constexpr int bytes = (0 + ... + static_cast<int>((sizeof(A) + 3) / 4 * 4));
    static constexpr int firstBytes = sizeof...(A) == 0 ? 0 : 4;
};
template <class... A>
struct ArgumentList<void(A..., ...)> : ArgumentList<void(A...)> {};

// What a callee of the convention removes: all of them for stdcall, all but
// the object (passed in ECX) for thiscall, none for cdecl.
constexpr int CalleeBytes(HostCallConvention convention, int bytes, int firstBytes) {
    switch (convention) {
        case HostCallConvention::Stdcall: return bytes;
        case HostCallConvention::Thiscall: return bytes - firstBytes;
        case HostCallConvention::Cdecl: return 0;
    }
    return 0;
}

// A stand-in for a service without a result still clears EAX: "returns 0"
// holds for every fallback.
template <class T>
struct StandInResult {
    using type = T;
};
template <>
struct StandInResult<void> {
    using type = int;
};

}  // namespace

const int HostServiceCalleeArgumentBytes[HostServiceCount] = {
#define ZB_HOST_SERVICE(index, name, ordinal, conv, ret, params)                               \
    CalleeBytes(ZB_CONVENTION_##conv, ArgumentList<void params>::bytes, ArgumentList<void params>::firstBytes),
#include "host/host_services.def"
#undef ZB_HOST_SERVICE
};

const bool HostServiceReturnsDouble[HostServiceCount] = {
#define ZB_HOST_SERVICE(index, name, ordinal, conv, ret, params) std::is_floating_point_v<ret>,
#include "host/host_services.def"
#undef ZB_HOST_SERVICE
};

// The compiler builds each stand-in with the service's own convention and
// parameters, so it removes exactly what the service would and leaves its
// result register (or the FPU's) at zero.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
namespace fallback {
#define ZB_HOST_SERVICE(index, name, ordinal, conv, ret, params) \
    StandInResult<ret>::type ZB_CC_##conv name params { return {}; }
#include "host/host_services.def"
#undef ZB_HOST_SERVICE
}  // namespace fallback
#pragma GCC diagnostic pop

void* const HostServiceFallbacks[HostServiceCount] = {
#define ZB_HOST_SERVICE(index, name, ordinal, conv, ret, params) reinterpret_cast<void*>(&fallback::name),
#include "host/host_services.def"
#undef ZB_HOST_SERVICE
};

int FallbackStubIndex(HostServiceOrdinal ordinal) {
    const int r = ordinal % 100;
    if (r == 99) return 0;
    if (r % 4 == 0 && r <= 56) return r / 4;
    return -1;
}

extern "C" void ChooseFallback(HostServiceOrdinal ordinal, void** slot) {
    const int stub = FallbackStubIndex(ordinal);
    if (stub < 0) {
        *slot = nullptr;
        return;
    }
    // The stub removes as many bytes as the ordinal says. Where the service's
    // real arguments differ, or its result comes back in the FPU, the stub
    // would leave the caller's stack or FPU wrong; the service's own stand-in
    // keeps the caller intact instead.
    const uintptr_t offset = reinterpret_cast<uintptr_t>(slot) - reinterpret_cast<uintptr_t>(HostServiceTable);
    const uintptr_t index = offset / sizeof(void*);
    if (offset % sizeof(void*) == 0 && index < static_cast<uintptr_t>(HostServiceCount) &&
        (HostServiceCalleeArgumentBytes[index] != stub * 4 || HostServiceReturnsDouble[index])) {
        *slot = HostServiceFallbacks[index];
        return;
    }
    *slot = FallbackStubTable[stub];
}

// --- the missing-entry dialog -----------------------------------------------

namespace {

constexpr std::size_t MissingServiceTextSize = 504;
constexpr std::size_t OrdinalDigits = 5;  // a 16-bit ordinal in decimal

// The format's fixed characters, the three fields at their longest and the
// terminator fit the text buffer; wsprintfA is not told its size.
constexpr std::size_t FormatFixedLength = std::string_view(Text::MissingServiceFormat).size() - 3 * 2;
static_assert(FormatFixedLength + (PluginModulePathSize - 1) + OrdinalDigits +
                      std::string_view(Text::DisplayName).size() + 1 <=
                  MissingServiceTextSize,
              "the missing-entry text can outgrow its buffer");

const int ConvertTextIndex = static_cast<int>(HostService::HostConvertText);

// HostConvertText is itself a host service. Before its own test entry has run
// it is bound here on the spot; when the host lacks it, the dialog goes
// without conversion rather than calling an empty slot.
bool ConversionAvailable() {
    if (HostServiceTable[ConvertTextIndex] == HostServiceLazyEntries[ConvertTextIndex]) ZbBindEntry_HostConvertText();
    void* entry = HostServiceTable[ConvertTextIndex];
    return entry != nullptr && entry != HostServiceLazyEntries[ConvertTextIndex];
}

void BlankMarks(char* text) {
    for (char* c = text; *c; ++c)
        if (*c == '\x01') *c = ' ';
    for (char* c = text; *c; ++c)
        if (*c == '\x02') *c = ' ';
}

}  // namespace

extern "C" int ReportMissingService(HostServiceOrdinal ordinal) {
    if (IgnoreMissingServices) return 1;

    char modulePath[PluginModulePathSize] = {};
    const DWORD length = GetModuleFileNameA(PluginModule, modulePath, sizeof modulePath);
    modulePath[sizeof modulePath - 1] = 0;
    const bool pathKnown = length > 0 && modulePath[0] != 0;

    char entry[OrdinalDigits + 1];
    wsprintfA(entry, "%u", static_cast<unsigned>(ordinal));

    char displayName[16];
    static_assert(sizeof displayName >= std::string_view(Text::DisplayName).size() + 1);
    CopyDisplayName(displayName);

    // The title is a constant; it is converted in a copy of its own.
    char title[64];
    static_assert(sizeof title >= std::string_view(Text::MissingServiceTitle).size() + 1);
    std::memcpy(title, Text::MissingServiceTitle, std::strlen(Text::MissingServiceTitle) + 1);

    // The module path comes from the system in code page 3 already. The
    // host's texts are converted before the path joins them, so that the
    // conversion from code page 1 does not garble the path.
    char format[sizeof title + 256];
    static_assert(sizeof format >= std::string_view(Text::MissingServiceFormat).size() + 1);
    std::memcpy(format, Text::MissingServiceFormat, std::strlen(Text::MissingServiceFormat) + 1);
    char unknownModule[16];
    static_assert(sizeof unknownModule >= std::string_view(Text::UnknownModule).size() + 1);
    std::memcpy(unknownModule, Text::UnknownModule, std::strlen(Text::UnknownModule) + 1);
    if (ConversionAvailable()) {
        HostConvertText(format, format, CodePageMazovia, CodePageWindows);
        HostConvertText(displayName, displayName, CodePageMazovia, CodePageWindows);
        HostConvertText(unknownModule, unknownModule, CodePageMazovia, CodePageWindows);
        HostConvertText(title, title, CodePageMazovia, CodePageWindows);
    }

    char text[MissingServiceTextSize];
    wsprintfA(text, format, pathKnown ? modulePath : unknownModule, entry, displayName);
    BlankMarks(text);

    int answer;
    do {
        answer = MessageBoxA(nullptr, text, title, MB_ABORTRETRYIGNORE | MB_ICONERROR | MB_TASKMODAL);
    } while (answer == IDRETRY);
    if (answer == IDIGNORE) {
        IgnoreMissingServices = true;
        return 1;
    }
    return 0;
}

extern "C" void BindHostService(HostServiceOrdinal ordinal, void** slot) {
    FARPROC entry = HostModule != nullptr ? GetProcAddress(HostModule, MAKEINTRESOURCEA(ordinal)) : nullptr;
    *slot = reinterpret_cast<void*>(entry);
    if (entry != nullptr) return;
    if (ReportMissingService(ordinal) == 1) ChooseFallback(ordinal, slot);
}

int BindHostServicesFrom(HMODULE hostModule) {
    int missing = 0;
    for (int i = 0; i < HostServiceCount; ++i) {
        FARPROC entry = GetProcAddress(hostModule, MAKEINTRESOURCEA(HostServiceList[i].ordinal));
        HostServiceTable[i] = reinterpret_cast<void*>(entry);
        if (entry == nullptr) ++missing;
    }
    return missing;
}
