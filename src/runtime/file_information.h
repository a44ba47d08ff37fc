// The runtime's entry for GetFileInformationByHandleEx.
//
// Systems before Vista lack the function, so the entry looks it up at run time
// and, where the system has none, fails with ERROR_CALL_NOT_IMPLEMENTED.
// It begins with the hot-patch prologue: at attach the shell redirects it to
// the compatibility library's function of the same name.
#pragma once

#include <windows.h>

BOOL WINAPI RuntimeGetFileInformationByHandleEx(HANDLE file, FILE_INFO_BY_HANDLE_CLASS infoClass,
                                                LPVOID info, DWORD infoSize)
    __attribute__((ms_hook_prologue, noinline, noipa));

using FileInfoByHandleRoutine = BOOL(WINAPI*)(HANDLE file, FILE_INFO_BY_HANDLE_CLASS infoClass, LPVOID info,
                                              DWORD infoSize);
