// File services: C runtime streams over real files, and the directory search.
#include <io.h>
#include <share.h>

#include <cstdio>

#include "host_state.h"
#include "korpus_exports.h"

using namespace korpus;

namespace {

// A stream the plug-in hands back must be one the host opened and not yet closed.
bool KnownStream(const char* service, HostStream stream) {
    if (State().streams.count(stream) != 0) return true;
    Violation(service, stream == nullptr ? "null stream" : "stream is not open in the host");
    return false;
}

}  // namespace

// ---------------------------------------------------------------------------
// 52534 HostOpenFile
// ---------------------------------------------------------------------------
HostStream __stdcall Korpus_HostOpenFile(const char* path, const char* mode, int share, int reserved, int options) {
    Enter("HostOpenFile");
    if (path == nullptr || mode == nullptr) {
        Violation("HostOpenFile", "null path or mode");
        return nullptr;
    }
    if (share != _SH_DENYNO || reserved != 0 || options != -1)
        Violation("HostOpenFile", "arguments after the mode are not 0x40, 0, -1");
    FILE* stream = _fsopen(path, mode, share);
    if (stream != nullptr) State().streams.insert(stream);
    Record("file_open", {{"path", Utf8FromMazovia(path)}, {"mode", mode}, {"opened", stream != nullptr}});
    return stream;
}

// ---------------------------------------------------------------------------
// 52305 HostCloseFile
// ---------------------------------------------------------------------------
int __stdcall Korpus_HostCloseFile(HostStream stream) {
    Enter("HostCloseFile");
    if (!KnownStream("HostCloseFile", stream)) return -1;
    State().streams.erase(stream);
    return std::fclose(stream);
}

// ---------------------------------------------------------------------------
// 52306 HostSeekFile
// ---------------------------------------------------------------------------
int __stdcall Korpus_HostSeekFile(HostStream stream, long offset, int origin) {
    Enter("HostSeekFile");
    if (!KnownStream("HostSeekFile", stream)) return -1;
    return std::fseek(stream, offset, origin);
}

// ---------------------------------------------------------------------------
// 52307 HostReadFile
// ---------------------------------------------------------------------------
int __stdcall Korpus_HostReadFile(void* buffer, int size, int count, HostStream stream) {
    Enter("HostReadFile");
    if (!KnownStream("HostReadFile", stream)) return 0;
    if (buffer == nullptr || size < 0 || count < 0) {
        Violation("HostReadFile", "null buffer or negative size");
        return 0;
    }
    return static_cast<int>(std::fread(buffer, size, count, stream));
}

// ---------------------------------------------------------------------------
// 52308 HostWriteFile
// ---------------------------------------------------------------------------
int __stdcall Korpus_HostWriteFile(const void* buffer, int size, int count, HostStream stream) {
    Enter("HostWriteFile");
    if (!KnownStream("HostWriteFile", stream)) return 0;
    if (buffer == nullptr || size < 0 || count < 0) {
        Violation("HostWriteFile", "null buffer or negative size");
        return 0;
    }
    return static_cast<int>(std::fwrite(buffer, size, count, stream));
}

// ---------------------------------------------------------------------------
// 52536 HostReadLine
// ---------------------------------------------------------------------------
// As fgets: at most size - 1 characters, the line end kept; the rest of a
// longer line comes with the next call. 0 at the end of the file.
char* __stdcall Korpus_HostReadLine(char* buffer, int size, HostStream stream) {
    Enter("HostReadLine");
    if (!KnownStream("HostReadLine", stream)) return nullptr;
    if (buffer == nullptr || size < 2) {
        Violation("HostReadLine", "null buffer or size below 2");
        return nullptr;
    }
    return std::fgets(buffer, size, stream);
}

// ---------------------------------------------------------------------------
// 52542 HostTellFile
// ---------------------------------------------------------------------------
long __stdcall Korpus_HostTellFile(HostStream stream) {
    Enter("HostTellFile");
    if (!KnownStream("HostTellFile", stream)) return -1;
    return std::ftell(stream);
}

// ---------------------------------------------------------------------------
// 52539 HostFileLength
// ---------------------------------------------------------------------------
long __stdcall Korpus_HostFileLength(int descriptor) {
    Enter("HostFileLength");
    bool known = false;
    for (const void* stream : State().streams)
        if (_fileno(static_cast<FILE*>(const_cast<void*>(stream))) == descriptor) known = true;
    if (!known) {
        Violation("HostFileLength", "descriptor " + std::to_string(descriptor) + " is not of an open host stream");
        return -1;
    }
    return _filelength(descriptor);
}

// ---------------------------------------------------------------------------
// 40512 HostFindFirst
// ---------------------------------------------------------------------------
int __stdcall Korpus_HostFindFirst(const char* pattern, void* findData, int attributes) {
    Enter("HostFindFirst");
    (void)pattern, (void)findData, (void)attributes;
    Unimplemented("HostFindFirst");
    return 1;
}

// ---------------------------------------------------------------------------
// 40604 HostFindNext
// ---------------------------------------------------------------------------
int __stdcall Korpus_HostFindNext(void* findData) {
    Enter("HostFindNext");
    (void)findData;
    Unimplemented("HostFindNext");
    return 1;
}

// ---------------------------------------------------------------------------
// 40704 HostFindClose
// ---------------------------------------------------------------------------
int __stdcall Korpus_HostFindClose(void* findData) {
    Enter("HostFindClose");
    (void)findData;
    Unimplemented("HostFindClose");
    return 0;
}
