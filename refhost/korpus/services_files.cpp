// File services: C runtime streams over real files, and the directory search.
//
// Faults a scenario injects ("file_faults") make the chosen call fail the way
// a full or failing disk does: an open gives no stream, a read or a write
// moves half of the block and reports 0 items, a seek leaves the position and
// gives -1, a close closes the stream and gives EOF, a tell or a length
// query gives -1, a line read gives 0 as at the end of the file.
#include <windows.h>
#include <io.h>
#include <share.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "host/host_records.h"
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

constexpr uint32_t SearchMagic = 0x444E464B;  // in the host's head of a search record

}  // namespace

// ---------------------------------------------------------------------------
// 52534 HostOpenFile
// ---------------------------------------------------------------------------
HostStream __stdcall Korpus_HostOpenFile(const char* path, const char* mode, int share, int reserved, int options) {
    const int call = Enter("HostOpenFile");
    if (path == nullptr || mode == nullptr) {
        Violation("HostOpenFile", "null path or mode");
        return nullptr;
    }
    if (share != _SH_DENYNO || reserved != 0 || options != -1)
        Violation("HostOpenFile", "arguments after the mode are not 0x40, 0, -1");
    if (FileFault("open", call)) {
        Record("file_open", {{"path", Utf8FromMazovia(path)}, {"mode", mode}, {"opened", false}});
        return nullptr;
    }
    FILE* stream = _fsopen(path, mode, share);
    if (stream != nullptr) State().streams.insert(stream);
    Record("file_open", {{"path", Utf8FromMazovia(path)}, {"mode", mode}, {"opened", stream != nullptr}});
    return stream;
}

// ---------------------------------------------------------------------------
// 52305 HostCloseFile
// ---------------------------------------------------------------------------
int __stdcall Korpus_HostCloseFile(HostStream stream) {
    const int call = Enter("HostCloseFile");
    if (!KnownStream("HostCloseFile", stream)) return -1;
    State().streams.erase(stream);
    int result = std::fclose(stream);
    if (FileFault("close", call)) result = EOF;  // the stream is gone all the same
    Record("file_close", {{"result", result}});
    return result;
}

// ---------------------------------------------------------------------------
// 52306 HostSeekFile
// ---------------------------------------------------------------------------
int __stdcall Korpus_HostSeekFile(HostStream stream, long offset, int origin) {
    const int call = Enter("HostSeekFile");
    if (!KnownStream("HostSeekFile", stream)) return -1;
    if (origin < SEEK_SET || origin > SEEK_END) {
        Violation("HostSeekFile", "origin " + std::to_string(origin) + " is not 0, 1 or 2");
        return -1;
    }
    if (FileFault("seek", call)) return -1;
    return std::fseek(stream, offset, origin);
}

// ---------------------------------------------------------------------------
// 52307 HostReadFile
// ---------------------------------------------------------------------------
int __stdcall Korpus_HostReadFile(void* buffer, int size, int count, HostStream stream) {
    const int call = Enter("HostReadFile");
    if (!KnownStream("HostReadFile", stream)) return 0;
    if (buffer == nullptr || size < 0 || count < 0) {
        Violation("HostReadFile", "null buffer or negative size");
        return 0;
    }
    int result = 0;
    if (FileFault("read", call))
        std::fread(buffer, 1, static_cast<size_t>(size) * count / 2, stream);
    else
        result = static_cast<int>(std::fread(buffer, size, count, stream));
    Record("file_read", {{"size", size}, {"count", count}, {"result", result}});
    return result;
}

// ---------------------------------------------------------------------------
// 52308 HostWriteFile
// ---------------------------------------------------------------------------
int __stdcall Korpus_HostWriteFile(const void* buffer, int size, int count, HostStream stream) {
    const int call = Enter("HostWriteFile");
    if (!KnownStream("HostWriteFile", stream)) return 0;
    if (buffer == nullptr || size < 0 || count < 0) {
        Violation("HostWriteFile", "null buffer or negative size");
        return 0;
    }
    int result = 0;
    if (FileFault("write", call))
        std::fwrite(buffer, 1, static_cast<size_t>(size) * count / 2, stream);
    else
        result = static_cast<int>(std::fwrite(buffer, size, count, stream));
    Record("file_write", {{"size", size}, {"count", count}, {"result", result}});
    return result;
}

// ---------------------------------------------------------------------------
// 52536 HostReadLine
// ---------------------------------------------------------------------------
// As fgets: at most size - 1 characters, the line end kept; the rest of a
// longer line comes with the next call. 0 at the end of the file.
char* __stdcall Korpus_HostReadLine(char* buffer, int size, HostStream stream) {
    const int call = Enter("HostReadLine");
    if (!KnownStream("HostReadLine", stream)) return nullptr;
    if (buffer == nullptr || size < 2) {
        Violation("HostReadLine", "null buffer or size below 2");
        return nullptr;
    }
    if (FileFault("read_line", call)) return nullptr;
    return std::fgets(buffer, size, stream);
}

// ---------------------------------------------------------------------------
// 52542 HostTellFile
// ---------------------------------------------------------------------------
long __stdcall Korpus_HostTellFile(HostStream stream) {
    const int call = Enter("HostTellFile");
    if (!KnownStream("HostTellFile", stream)) return -1;
    if (FileFault("tell", call)) return -1;
    return std::ftell(stream);
}

// ---------------------------------------------------------------------------
// 52539 HostFileLength
// ---------------------------------------------------------------------------
long __stdcall Korpus_HostFileLength(int descriptor) {
    const int call = Enter("HostFileLength");
    bool known = false;
    for (const void* stream : State().streams)
        if (_fileno(static_cast<FILE*>(const_cast<void*>(stream))) == descriptor) known = true;
    if (!known) {
        Violation("HostFileLength", "descriptor " + std::to_string(descriptor) + " is not of an open host stream");
        return -1;
    }
    if (FileFault("length", call)) return -1;
    return _filelength(descriptor);
}

namespace {

// The search behind a record the plug-in hands back, or null (a violation)
// when the record is not that of an open search or its host head was changed.
HostState::Search* OpenSearch(const char* service, const void* findData) {
    if (findData == nullptr) {
        Violation(service, "null search record");
        return nullptr;
    }
    auto found = State().searches.find(findData);
    if (found == State().searches.end()) {
        Violation(service, "search record is not that of an open search (never started, ended without an entry, or closed)");
        return nullptr;
    }
    uint32_t magic = 0, id = 0;
    std::memcpy(&magic, findData, 4);
    std::memcpy(&id, static_cast<const char*>(findData) + 4, 4);
    if (magic != SearchMagic || id != found->second.id) {
        Violation(service, "the host's first 28 bytes of the search record were overwritten");
        return nullptr;
    }
    return &found->second;
}

// Fills the record with the next entry: 0, or 1 when there is none left.
int Deliver(void* findData, HostState::Search& search) {
    if (search.next >= search.names.size()) return 1;
    const std::string& name = search.names[search.next++];
    char* record = static_cast<char*>(findData);
    std::memset(record + FindData::Name, 0, FindData::Size - FindData::Name);
    std::memcpy(record + FindData::Name, name.c_str(), name.size() + 1);
    Record("directory_entry", {{"name", Utf8FromMazovia(name.c_str())}});
    return 0;
}

// Holds the files a scenario makes undeletable open without delete sharing.
void LockUndeletable(const std::string& directory) {
    for (const std::string& name : State().undeletable) {
        const std::string path = directory + name;
        HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (lock != INVALID_HANDLE_VALUE) State().deleteLocks.push_back(lock);
    }
}

}  // namespace

// ---------------------------------------------------------------------------
// 40512 HostFindFirst
// ---------------------------------------------------------------------------
// Attribute mask 0: plain files only; no directories, no "." and "..". The
// entries are taken when the search starts and delivered in name order,
// ignoring the case of ASCII letters. Each entry fills the record's name at
// byte 28 (terminated, at most 260 bytes); the first 28 bytes are the host's.
// Without an entry the result is 1 and no search stays open.
int __stdcall Korpus_HostFindFirst(const char* pattern, void* findData, int attributes) {
    Enter("HostFindFirst");
    if (pattern == nullptr || findData == nullptr) {
        Violation("HostFindFirst", "null pattern or search record");
        return 1;
    }
    if (attributes != 0) {
        Violation("HostFindFirst", "attribute mask " + std::to_string(attributes) + " is not 0");
        return 1;
    }
    if (State().searches.count(findData) != 0)
        Violation("HostFindFirst", "search record of a search still open is started again");

    HostState::Search search;
    search.id = ++State().searchIds;
    WIN32_FIND_DATAA entry;
    HANDLE handle = FindFirstFileA(pattern, &entry);
    if (handle != INVALID_HANDLE_VALUE) {
        do {
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) search.names.push_back(entry.cFileName);
        } while (FindNextFileA(handle, &entry));
        FindClose(handle);
    }
    std::sort(search.names.begin(), search.names.end(),
              [](const std::string& a, const std::string& b) { return _stricmp(a.c_str(), b.c_str()) < 0; });
    Record("directory_search", {{"pattern", Utf8FromMazovia(pattern)}, {"entries", search.names.size()}});

    std::string directory(pattern);
    const size_t slash = directory.find_last_of("\\/");
    directory = slash == std::string::npos ? std::string() : directory.substr(0, slash + 1);
    LockUndeletable(directory);

    char* record = static_cast<char*>(findData);
    std::memset(record, 0, FindData::Name);
    std::memcpy(record, &SearchMagic, 4);
    std::memcpy(record + 4, &search.id, 4);
    State().searches.erase(findData);
    if (search.names.empty()) return 1;
    const int result = Deliver(findData, search);
    State().searches[findData] = std::move(search);
    return result;
}

// ---------------------------------------------------------------------------
// 40604 HostFindNext
// ---------------------------------------------------------------------------
int __stdcall Korpus_HostFindNext(void* findData) {
    Enter("HostFindNext");
    HostState::Search* search = OpenSearch("HostFindNext", findData);
    if (search == nullptr) return 1;
    return Deliver(findData, *search);
}

// ---------------------------------------------------------------------------
// 40704 HostFindClose
// ---------------------------------------------------------------------------
int __stdcall Korpus_HostFindClose(void* findData) {
    Enter("HostFindClose");
    if (OpenSearch("HostFindClose", findData) == nullptr) return -1;
    State().searches.erase(findData);
    std::memset(findData, 0, FindData::Name);
    return 0;
}
