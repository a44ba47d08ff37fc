#include "common/format.h"

#include <cstdarg>
#include <cstring>

#include "common/texts.h"
#include "host/host_services.h"
#include "runtime/print_format.h"

int FormatText(char* buffer, const char* format, ...) {
    va_list values;
    va_start(values, format);
    // The plug-in's own formatter: its %e, %f and %g pass PositiveZeroHook.
    const int written = PrintFormatV(buffer, format, values);
    va_end(values);
    return written;
}

int ShowMessageF(const char* title, const char* format, int flags, ...) {
    va_list values;
    va_start(values, flags);
    const int result = HostMessageV(0, title, format, flags, values);
    va_end(values);
    return result;
}

int AccessProfile(const char* file, int mode, const char* section, const char* key,
                  const char* format, ...) {
    va_list values;
    va_start(values, format);
    const int result = HostProfileV(file, mode, section, key, format, values);
    va_end(values);
    return result;
}

void CopyDisplayName(char* buffer) { std::memcpy(buffer, Text::DisplayName, DisplayNameSize()); }

std::size_t DisplayNameSize() { return std::strlen(Text::DisplayName) + 1; }
