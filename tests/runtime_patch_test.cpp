// The patcher on real code, the trampoline store, and the two patches the
// plug-in makes to its runtime at attach.
#include <windows.h>
#include <delayimp.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "common/format.h"
#include "shell/runtime_patch.h"
#include "support/host_fixture.h"

namespace {

// Routines to patch: each instantiation is a routine of its own that begins
// with the hot-patch prologue.
template <int N>
__attribute__((ms_hook_prologue, noinline, noipa)) int Target(int x) {
    return x * 3 + N;
}
int Original(int n, int x) { return x * 3 + n; }

using Routine = int (*)(int);
Routine UnpatchedFirst = nullptr;
Routine UnpatchedSecond = nullptr;
__attribute__((noinline, noipa)) int AddThousand(int x) { return UnpatchedFirst(x) + 1000; }
__attribute__((noinline, noipa)) int Negate(int x) { return -UnpatchedSecond(x); }
// Starts with neither form at every optimisation level: no prologue, and the
// first instruction is not a jump.
__attribute__((naked)) int NeitherForm(int) { __asm__("movl 4(%esp), %eax\n\tret\n"); }

constexpr uint8_t HotPatchBytes[5] = {0x8B, 0xFF, 0x55, 0x8B, 0xEC};

std::vector<uint8_t> EntryBytes(const void* at, size_t n = 5) {
    const auto* bytes = static_cast<const uint8_t*>(at);
    return {bytes, bytes + n};
}

const void* JumpDestination(const void* entry) {
    const auto* bytes = static_cast<const uint8_t*>(entry);
    int32_t displacement;
    std::memcpy(&displacement, bytes + 1, 4);
    return bytes + 5 + displacement;
}

DWORD ProtectionOf(const void* at) {
    MEMORY_BASIC_INFORMATION info{};
    VirtualQuery(at, &info, sizeof info);
    return info.Protect;
}

void* Address(Routine routine) { return reinterpret_cast<void*>(routine); }

}  // namespace

// A store of the tests' own, laid out and protected like TrampolinePage, so
// that the slots of the plug-in's store stay for the runtime's patches.
__asm__(".section .trtest,\"xr\"\n"
        "\t.balign 4096\n"
        "\t.globl _TestTrampolines\n"
        "_TestTrampolines:\n"
        "\t.fill 32,1,0\n"
        "\t.text\n");
extern "C" TrampolineSlot TestTrampolines[TrampolineSlotCount];

namespace {

class PatcherTest : public ::testing::Test {
protected:
    // Every test starts with both slots free.
    void SetUp() override {
        DWORD old;
        ASSERT_TRUE(VirtualProtect(TestTrampolines, sizeof(TrampolineSlot) * 2, PAGE_EXECUTE_READWRITE, &old));
        std::memset(TestTrampolines, 0, sizeof(TrampolineSlot) * 2);
        VirtualProtect(TestTrampolines, sizeof(TrampolineSlot) * 2, old, &old);
        UnpatchedFirst = UnpatchedSecond = nullptr;
    }
    int Patch(Routine target, Routine* unpatched, Routine hook) {
        return PatchCodeEntryUsing(TestTrampolines, Address(target), reinterpret_cast<void**>(unpatched),
                                   reinterpret_cast<const void*>(hook));
    }
};

TEST_F(PatcherTest, HotPatchEntryMovesIntoASlotAndJumpsToTheHook) {
    ASSERT_EQ(EntryBytes(Address(Target<1>)), EntryBytes(HotPatchBytes));
    ASSERT_NE(Patch(Target<1>, &UnpatchedFirst, AddThousand), 0);

    const uint8_t* entry = static_cast<const uint8_t*>(Address(Target<1>));
    EXPECT_EQ(entry[0], 0xE9);
    EXPECT_EQ(JumpDestination(entry), Address(AddThousand));
    const TrampolineSlot& slot = TestTrampolines[0];
    EXPECT_EQ(reinterpret_cast<const void*>(UnpatchedFirst), &slot);
    EXPECT_EQ(EntryBytes(slot.prologue), EntryBytes(HotPatchBytes));
    EXPECT_EQ(slot.resume.opcode, 0xE9);
    EXPECT_EQ(JumpDestination(&slot.resume), entry + 5);
    EXPECT_EQ(slot.unused[0] | slot.unused[1], 0);
    EXPECT_EQ(slot.claim, TrampolineSlotTaken);
    EXPECT_EQ(TestTrampolines[1].claim, TrampolineSlotFree);

    // The entry reaches the hook; the slot behaves like the unpatched routine.
    for (int x : {0, 1, -7, 123456}) {
        EXPECT_EQ(Target<1>(x), Original(1, x) + 1000) << x;
        EXPECT_EQ(UnpatchedFirst(x), Original(1, x)) << x;
    }
}

TEST_F(PatcherTest, PatchInFrontOfAPatchRetargetsTheJump) {
    ASSERT_NE(Patch(Target<2>, &UnpatchedFirst, AddThousand), 0);
    const std::vector<uint8_t> before = EntryBytes(Address(Target<2>));

    ASSERT_NE(Patch(Target<2>, &UnpatchedSecond, Negate), 0);
    const std::vector<uint8_t> after = EntryBytes(Address(Target<2>));
    EXPECT_EQ(after[0], before[0]) << "only the displacement changes";
    EXPECT_EQ(JumpDestination(Address(Target<2>)), Address(Negate));
    EXPECT_EQ(Address(UnpatchedSecond), Address(AddThousand)) << "the new hook goes on to the old one";
    EXPECT_EQ(TestTrampolines[1].claim, TrampolineSlotFree) << "the jump form needs no slot";
    for (int x : {0, 5, -40}) EXPECT_EQ(Target<2>(x), -(Original(2, x) + 1000)) << x;
}

TEST_F(PatcherTest, RefusedPatchesChangeNothing) {
    // Both slots go to other routines first.
    ASSERT_NE(Patch(Target<3>, &UnpatchedFirst, AddThousand), 0);
    ASSERT_NE(Patch(Target<4>, &UnpatchedSecond, Negate), 0);
    // Target<3> already jumps to AddThousand: retargeting it there again would
    // make the hook its own unpatched routine.
    struct Case {
        const char* what;
        Routine target;
        Routine hook;
    } cases[] = {
        {"third second-form patch: no free slot", Target<5>, Negate},
        {"neither form", NeitherForm, Negate},
        {"jump already leads to the hook", Target<3>, AddThousand},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> entry = EntryBytes(Address(c.target));
        const DWORD targetProtection = ProtectionOf(Address(c.target));
        const DWORD pageProtection = ProtectionOf(TestTrampolines);
        const std::vector<uint8_t> page = EntryBytes(TestTrampolines, 32);
        Routine unpatched = Target<9>;
        EXPECT_EQ(Patch(c.target, &unpatched, c.hook), 0) << c.what;
        EXPECT_EQ(EntryBytes(Address(c.target)), entry) << c.what;
        EXPECT_EQ(EntryBytes(TestTrampolines, 32), page) << c.what;
        EXPECT_EQ(unpatched, Target<9>) << c.what;
        EXPECT_EQ(ProtectionOf(Address(c.target)), targetProtection) << c.what;
        EXPECT_EQ(ProtectionOf(TestTrampolines), pageProtection) << c.what;
    }
    EXPECT_EQ(Target<5>(2), Original(5, 2));
}

// The runtime's patches, made once here as the attach routine makes them in
// the library; a second round must change nothing.
void PatchRuntimeOnce() {
    static const bool patched = [] {
        PatchRuntimeRoutines();
        PatchRuntimeRoutines();
        return true;
    }();
    (void)patched;
}

TEST(RuntimePatches, UseBothSlotsOfTheReadOnlyTrampolinePage) {
    PatchRuntimeOnce();
    EXPECT_EQ(reinterpret_cast<uintptr_t>(TrampolinePage) % 4096, 0u);
    const DWORD protection = ProtectionOf(TrampolinePage);
    EXPECT_TRUE(protection == PAGE_EXECUTE_READ) << std::hex << protection;
    EXPECT_EQ(reinterpret_cast<const void*>(UnpatchedFloatToDecimal), &TrampolinePage[0]);
    EXPECT_EQ(reinterpret_cast<const void*>(UnpatchedFileInfoByHandle), &TrampolinePage[1]);
    EXPECT_EQ(JumpDestination(reinterpret_cast<const void*>(FloatToDecimal)),
              reinterpret_cast<const void*>(PositiveZeroHook));

    // A further second-form patch finds no slot in the plug-in's store.
    const std::vector<uint8_t> entry = EntryBytes(Address(Target<6>));
    Routine unpatched = nullptr;
    EXPECT_EQ(PatchCodeEntry(Address(Target<6>), reinterpret_cast<void**>(&unpatched),
                             reinterpret_cast<const void*>(Negate)),
              0);
    EXPECT_EQ(EntryBytes(Address(Target<6>)), entry);
    EXPECT_EQ(ProtectionOf(TrampolinePage), protection);
    EXPECT_EQ(TrampolinePage[0].claim, TrampolineSlotTaken);
    EXPECT_EQ(TrampolinePage[1].claim, TrampolineSlotTaken);
}

std::string Formatted(const char* format, double value) {
    char text[2048];
    const int length = FormatText(text, format, value);
    EXPECT_EQ(length, static_cast<int>(std::strlen(text))) << format;
    return text;
}

TEST(RuntimePatches, NegativeZeroFormatsAsZeroAndNothingElseChanges) {
    PatchRuntimeOnce();
    const double smallestNegative = -std::numeric_limits<double>::denorm_min();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* format;
        double value;
        const char* text;
    } cases[] = {
        {"%f", -0.0, "0.000000"},          {"%e", -0.0, "0.000000e+00"},
        {"%g", -0.0, "0"},                 {"%+.2f", -0.0, "+0.00"},
        {"%f", smallestNegative, "-0.000000"},
        {"%e", smallestNegative, "-4.940656e-324"},
        {"%g", smallestNegative, "-4.94066e-324"},
        {"%f", nan, "nan"},                {"%f", -nan, "-nan"},
        {"%E", -nan, "-NAN"},              {"%g", -1.5, "-1.5"},
    };
    for (const Case& c : cases) EXPECT_EQ(Formatted(c.format, c.value), c.text) << c.format << " " << c.value;

    // The unpatched routine still sees the sign: the hook makes the difference.
    char digits[DecimalDigitsCapacity];
    int point = 0;
    EXPECT_EQ(UnpatchedFloatToDecimal(-0.0, SignificantDigits, 6, &point, digits), 1);
    EXPECT_EQ(PositiveZeroHook(-0.0, SignificantDigits, 6, &point, digits), 0);
}

class FileInfoPatch : public HostFixture {};

TEST_F(FileInfoPatch, FirstCallLoadsTheCompatibilityLibraryWithTheHostConsulted) {
    PatchRuntimeOnce();
    HMODULE korpus = GetModuleHandleA("KORPUS.dll");
    const PfnDliHook saved = __pfnDliNotifyHook2;
    __pfnDliNotifyHook2 = reinterpret_cast<PfnDliHook>(reinterpret_cast<void*>(GetProcAddress(korpus, MAKEINTRESOURCEA(30007))));
    ASSERT_NE(__pfnDliNotifyHook2, nullptr);
    // Delay-loaded: nothing in this process has called the function yet.
    ASSERT_EQ(GetModuleHandleA("ZGODA32.dll"), nullptr);

    char path[MAX_PATH];
    GetTempPathA(sizeof path, path);
    std::strcat(path, "zbieracz-fileinfo.tmp");
    HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    const std::string content(1234, 'x');
    WriteFile(file, content.data(), content.size(), &written, nullptr);

    FILE_STANDARD_INFO info{};
    const BOOL done = RuntimeGetFileInformationByHandleEx(file, FileStandardInfo, &info, sizeof info);
    const DWORD error = GetLastError();
    // The way to the unpatched entry still asks the system itself.
    FILE_STANDARD_INFO systemInfo{};
    EXPECT_TRUE(UnpatchedFileInfoByHandle(file, FileStandardInfo, &systemInfo, sizeof systemInfo));
    EXPECT_EQ(systemInfo.EndOfFile.QuadPart, 1234);
    CloseHandle(file);
    __pfnDliNotifyHook2 = saved;

    ASSERT_TRUE(done) << error;
    EXPECT_EQ(info.EndOfFile.QuadPart, 1234);
    EXPECT_NE(GetModuleHandleA("ZGODA32.dll"), nullptr);
    std::vector<int> notifications;
    for (const json& event : Events("delay_load_notification")) {
        notifications.push_back(event["notification"]);
        EXPECT_EQ(event["dll"], "ZGODA32.dll");
    }
    EXPECT_EQ(notifications, (std::vector<int>{dliStartProcessing, dliNotePreLoadLibrary, dliNotePreGetProcAddress,
                                               dliNoteEndProcessing}));
}

}  // namespace
