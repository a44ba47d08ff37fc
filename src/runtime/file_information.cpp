#include "runtime/file_information.h"

BOOL WINAPI RuntimeGetFileInformationByHandleEx(HANDLE file, FILE_INFO_BY_HANDLE_CLASS infoClass,
                                                LPVOID info, DWORD infoSize) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    const auto system = kernel == nullptr ? nullptr
                                          : reinterpret_cast<FileInfoByHandleRoutine>(reinterpret_cast<void*>(
                                                GetProcAddress(kernel, "GetFileInformationByHandleEx")));
    if (system == nullptr) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return FALSE;
    }
    return system(file, infoClass, info, infoSize);
}
