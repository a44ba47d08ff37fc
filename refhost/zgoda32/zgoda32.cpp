// ZGODA32.dll, the stand-in for the compatibility library from which the
// plug-in's runtime takes newer system functions through its delay-load table.
//
// Each function keeps the exact contract of the Win32 function of its name:
// where the system has it, the system's own does the work.
#include <windows.h>

namespace {

template <typename Function>
Function SystemFunction(const char* name) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    return kernel == nullptr ? nullptr
                             : reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(kernel, name)));
}

}  // namespace

// ---------------------------------------------------------------------------
// GetFileInformationByHandleEx
// ---------------------------------------------------------------------------
extern "C" BOOL WINAPI Zgoda_GetFileInformationByHandleEx(HANDLE file, FILE_INFO_BY_HANDLE_CLASS infoClass,
                                                          LPVOID info, DWORD infoSize) {
    using Routine = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);
    static const Routine system = SystemFunction<Routine>("GetFileInformationByHandleEx");
    if (system == nullptr) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return FALSE;
    }
    return system(file, infoClass, info, infoSize);
}
