// Formatted text, messages and INI access shared by all subsystems.
#pragma once

#include <cstddef>

// printf-style formatting into buffer without a size limit: every caller sizes
// its buffer for its worst case. Returns the characters written without the
// terminator, or -1.
int FormatText(char* buffer, const char* format, ...) __attribute__((format(printf, 2, 3)));

// A host message box with formatted text (HostMessageV). Returns the host's result.
int ShowMessageF(const char* title, const char* format, int flags, ...)
    __attribute__((format(printf, 2, 4)));

// One INI read or write through HostProfileV. ProfileRead: scanf-style format,
// the values are addresses; the read succeeded when the low 16 bits of the
// result are 0. ProfileWrite: printf-style format, the values are values.
int AccessProfile(const char* file, int mode, const char* section, const char* key,
                  const char* format, ...);

// True when a result of AccessProfile in read mode says the value was read.
inline bool ProfileReadSucceeded(int result) { return (result & 0xFFFF) == 0; }

// Writes the display name with its terminator to the start of buffer.
void CopyDisplayName(char* buffer);

// Room CopyDisplayName needs, terminator included.
std::size_t DisplayNameSize();
